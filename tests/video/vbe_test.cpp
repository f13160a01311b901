// Screen modes and frame buffer: mode set, letterbox, simulated modes, buffers, updates and refusals.
#include "tests/engine_fixture.h"

namespace {

TEST_F(VideoTest, ModeSetAndSevenPercentLetterboxGiveTheShowsGeometry) {
  for (u32 scale : {1u, 2u, 3u}) {
    const u32 width = 320 * scale, height = 200 * scale, lines = 14 * scale;
    Make_Surface(width, height);
    char expected[200];
    snprintf(expected, sizeof expected,
             "Vbe: Unable to initialize vesa extensions.\nVbe: Detected software support for %ux%ux32 LFB mode.\n",
             width, height);
    EXPECT_EQ(Output_Of([&] {
                Vbe_Init();
                EXPECT_EQ(Vbe_Detect_16M(width, height), 1);
              }),
              expected);
    Vbe_Set_Mode(1);
    EXPECT_EQ(vbe_screen.frame_size, width * height * 4);
    EXPECT_EQ(vbe_screen.screen_base, reinterpret_cast<u8*>(surface.data()));
    Vbe_Squeze(lines, height - lines);
    Vbe_Alloc_Buffer();
    EXPECT_EQ(vbe_screen.height, height - 2 * lines);
    EXPECT_EQ(vbe_screen.frame_size, width * (height - 2 * lines) * 4);
    EXPECT_EQ(vbe_screen.visible_page - vbe_screen.screen_base, i64(lines * width * 4));
    Vbe_Reset();
  }
}

TEST_F(VideoTest, SimulatedLowResolutionNeedsSixFortyByFourHundred) {
  Make_Surface(640, 400);
  Output_Of([] {
    Vbe_Set_Low_Res();
    Vbe_Set_Mode(Vbe_Detect_16M(640, 400));
  });
  EXPECT_EQ(vbe_screen.width * vbe_screen.height, 320u * 200);
  Make_Surface(640, 480);
  EXPECT_FATAL("Vbe: Unable to simulate 320x200 in other resolutions than 640x400.", {
    Vbe_Set_Low_Res();
    Vbe_Set_Mode(Vbe_Detect_16M(640, 480));
  });
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
