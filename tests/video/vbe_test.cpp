// Screen modes and frame buffer: mode set, letterbox, simulated modes, buffers, updates and refusals.
#include "tests/engine_fixture.h"

namespace {

// The show's modes with their 7 per cent letterbox, then the options against a 640x400 or 320x200 surface (no
// video memory: paging ends off): low resolution draws 320x200 and moves the page by the line offset twice;
// smoothing halves the height (a frame of at least 64000 pixels) and moves it twice, both together three times;
// black and white and the tweaked mode are VGA at 320 and 160 bytes a line, and without a linear frame buffer
// keep the present routine.
TEST_F(VideoTest, OptionsPickTheGeometryThePresentRoutineAndTheLetterbox) {
  struct Row {
    u8 low, smooth, bw, fake, no_lfb;
    u32 w, h, set_w, set_h, set_frame;
    void (*present)(void);
    u32 first, end, offset, frame, pixel;
  };
  const u32 k172 = 320 * 172 * 4, kTint = 0xA0B0C0;
  const Row rows[] = {
      {0, 0, 0, 0, 0, 320, 200, 320, 200, 256000, Vbe_Present_32, 14, 186, 14 * 1280, k172, kTint},
      {0, 0, 0, 0, 0, 640, 400, 640, 400, 1024000, Vbe_Present_32, 28, 372, 28 * 2560, 640 * 344 * 4, kTint},
      {0, 0, 0, 0, 0, 960, 600, 960, 600, 2304000, Vbe_Present_32, 42, 558, 42 * 3840, 960 * 516 * 4, kTint},
      {1, 0, 0, 0, 0, 640, 400, 320, 200, 256000, Vbe_Present_32_Low, 14, 186, 2 * 14 * 1280, k172, kTint},
      {0, 1, 0, 0, 0, 640, 400, 640, 200, 512000, Vbe_Present_32_Smooth, 14, 186, 2 * 14 * 2560, 2 * k172, kTint},
      {0, 1, 0, 0, 0, 320, 200, 320, 100, 256000, Vbe_Present_32_Smooth, 7, 93, 2 * 7 * 1280, k172 / 2, kTint},
      {1, 1, 0, 0, 0, 640, 400, 320, 200, 256000, Vbe_Present_32_Low_Smooth, 14, 186, 3 * 14 * 1280, k172, kTint},
      {0, 0, 1, 0, 0, 320, 200, 320, 200, 256000, Vbe_Present_Black_White, 14, 186, 14 * 320, k172, 0xC0C0C0C0},
      {0, 0, 0, 1, 0, 320, 200, 320, 200, 256000, Vbe_Present_Fake_24, 14, 186, 14 * 160, k172, 0},
      {0, 0, 1, 0, 1, 320, 200, 320, 200, 256000, Vbe_Present_None, 14, 186, 14 * 320, k172, 0},
  };
  for (const auto& r : rows) {
    Vbe_Reset();
    Make_Surface(r.w, r.h);
    vbe_screen.low_res = r.low, vbe_screen.smoothing = r.smooth, vbe_screen.black_white = r.bw;
    vbe_screen.fake_24 = r.fake, vbe_screen.no_lfb = r.no_lfb;
    const std::string said = Output_Of([&] {
      Vbe_Init();
      Vbe_Set_Mode(Vbe_Detect_16M(r.w, r.h));
    });
    EXPECT_EQ(said, "Vbe: Unable to initialize vesa extensions.\nVbe: Detected software support for " +
                        std::to_string(r.w) + "x" + std::to_string(r.h) + "x32 LFB mode.\n");
    const VbeScreen& s = vbe_screen;
    EXPECT_EQ(s.screen_base, r.bw || r.fake ? Vbe_Vga_Window() : reinterpret_cast<u8*>(surface.data()));
    EXPECT_EQ(std::tuple(s.width, s.height, s.frame_size), std::tuple(r.set_w, r.set_h, r.set_frame)) << r.present;
    EXPECT_EQ(s.present, r.present);
    Vbe_Squeze(r.first, r.end);
    EXPECT_EQ(s.visible_page - s.screen_base, i64(r.offset)) << r.present;
    EXPECT_EQ(std::pair(s.height, s.frame_size), std::pair(r.end - r.first, r.frame)) << r.present;
    Vbe_Alloc_Buffer();
    Vbe_Fill_Colour(kTint);
    vbe_screen.present();
    EXPECT_TRUE(r.pixel == 0 || memcmp(s.visible_page, &r.pixel, 4) == 0) << r.present;
    Vbe_Free_Buffer();
  }
}

TEST_F(VideoTest, ModesBuffersAndPagesRefuseWhatTheyCannotHold) {
  EXPECT_FATAL("Vbe_Squeze: Vbe not initialized", Vbe_Squeze(10, 20));
  EXPECT_FATAL("Vbe: Unable to initialize linear frame buffer", Vbe_Set_Mode(Vbe_Detect_16M(320, 200)));
  EXPECT_FATAL("Vbe: Unable to initialize video mode. No VBE 2.0 support. Try UNIVBE.", {
    Vbe_Init();
    Vbe_Set_Mode(0);
  });
  Make_Surface(320, 199);
  EXPECT_FATAL("Vbe: Unable to initialize linear frame buffer", Vbe_Set_Mode(Vbe_Detect_16M(320, 200)));
  Make_Surface(16, 1100);
  EXPECT_FATAL("Vbe: Unable to initialize video mode", Vbe_Set_Mode(Vbe_Detect_16M(16, 1100)));
  EXPECT_FATAL("Vbe: Illegal plane index assignment", Vbe_Set_Color_Order(16, 16, 0));
  for (std::pair<u32, u32> size : {std::pair(640u, 480u), std::pair(800u, 400u)}) {
    const u32 w = size.first, h = size.second;
    Make_Surface(w, h);
    EXPECT_FATAL("Vbe: Unable to simulate 320x200 in other resolutions than 640x400.", {
      Vbe_Set_Low_Res();
      Vbe_Set_Mode(Vbe_Detect_16M(w, h));
    });
  }
  Open_Mode(320, 200);
  for (std::pair<u32, u32> range : std::vector<std::pair<u32, u32>>{{100, 100}, {150, 20}, {0, 201}})
    EXPECT_FATAL("Vbe_Squeze:", Vbe_Squeze(range.first, range.second));
  Vbe_Alloc_Mix_Buffer();
  u32 *mix = vbe_screen.mix, *frame = vbe_screen.frame;
  Vbe_Swap_Buffers();
  EXPECT_EQ(vbe_screen.frame, mix);
  EXPECT_EQ(vbe_screen.mix, frame);
  Vbe_Free_Mix_Buffer();
  EXPECT_FATAL("Vbe_Swap_Buffers: No mix buffer", Vbe_Swap_Buffers());
  Vbe_Set_Page_Count(3);
  EXPECT_EQ(vbe_screen.page_count, 3);
  EXPECT_FATAL("Vbe: Illegal page count 4", Vbe_Set_Page_Count(4));
}

TEST_F(VideoTest, UpdatesRectanglesAndPixelsStayInsideTheFrame) {
  Open_Mode(320, 200, 0);
  for (u32 i = 0; i < 320 * 200; i++) vbe_screen.frame[i] = i + 1;
  EXPECT_EQ(Vbe_Add_Update_Span(400, 40), 0);
  EXPECT_EQ(Vbe_Add_Update_Rect(1, 2, 3, 4), 1);
  Vbe_Flush_Updates();
  Vbe_Put_Pixel(5, 2, 0x00ABCDEF);
  Vbe_Put_Pixel(320, 0, 1);
  Vbe_Put_Pixel(-1, 0, 1);
  for (u32 i = 0; i < 320 * 200; i++)
    ASSERT_EQ(surface[i], i == 2 * 320 + 5 ? 0x00ABCDEF : (i >= 100 && i < 110) ? i + 1 : 0u) << i;
  std::vector<u32> out(320 * 200, 0);
  Vbe_Copy_Frame_Rect(-5, 195, 2, 10, out.data());  // moved inside: lands at x 0, y 190
  for (u32 i = 0; i < out.size(); i++) ASSERT_EQ(out[i], i / 320 >= 190 && i % 320 < 2 ? i + 1 : 0u) << i;
}

}  // namespace
