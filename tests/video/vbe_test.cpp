// Screen modes and frame buffer: mode set, letterbox, buffers, listings and the legacy VGA state.
#include "tests/video/video_fixture.h"

namespace {

struct ModeCase {
  u32 width, height;
  u32 lines;       // letterbox lines at top and bottom
  u32 frame_size;  // bytes after the letterbox
};

class ModeTest : public VideoTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeTest, ModeSetAndSevenPercentLetterboxGiveTheShowsGeometry) {
  const ModeCase c = GetParam();
  Make_Surface(c.width, c.height);
  std::string out = Output_Of([&] {
    Vbe_Init();
    EXPECT_EQ(Vbe_Detect_16M(c.width, c.height), 1);
  });
  char expected[200];
  snprintf(expected, sizeof expected,
           "Vbe: Unable to initialize vesa extensions.\nVbe: Detected software support for %ux%ux32 LFB mode.\n",
           c.width, c.height);
  EXPECT_EQ(out, expected);

  Vbe_Set_Mode(1);
  EXPECT_EQ(vbe_screen.width, c.width);
  EXPECT_EQ(vbe_screen.height, c.height);
  EXPECT_EQ(vbe_screen.screen_width, c.width);
  EXPECT_EQ(vbe_screen.screen_height, c.height);
  EXPECT_EQ(vbe_screen.screen_bytes, 4u);
  EXPECT_EQ(vbe_screen.drawing_bits, 32);
  EXPECT_EQ(vbe_screen.frame_size, c.width * c.height * 4);
  EXPECT_EQ(vbe_screen.color_order[0], 2);
  EXPECT_EQ(vbe_screen.color_order[1], 1);
  EXPECT_EQ(vbe_screen.color_order[2], 0);
  EXPECT_EQ(vbe_screen.color_order[3], 3);
  EXPECT_EQ(vbe_screen.paging, 0);
  EXPECT_EQ(vbe_screen.present, &Vbe_Present_32);
  EXPECT_EQ(vbe_screen.put_pixel, &Vbe_Put_Pixel);
  EXPECT_EQ(vbe_screen.screen_base, reinterpret_cast<u8*>(surface.data()));

  u32 p = Math_Percent(c.height, 7);
  EXPECT_EQ(p, c.lines);
  Vbe_Squeze(p, c.height - p);
  Vbe_Alloc_Buffer();
  EXPECT_EQ(vbe_screen.height, c.height - 2 * c.lines);
  EXPECT_EQ(vbe_screen.full_height, c.height);
  EXPECT_EQ(vbe_screen.frame_size, c.frame_size);
  EXPECT_EQ(vbe_screen.visible_page - vbe_screen.screen_base, i64(c.lines * c.width * 4));
  EXPECT_STREQ(Mem_Get_Description(vbe_screen.frame), "Vbe: Buffer");
  EXPECT_EQ(Mem_Get_Size(vbe_screen.frame), c.frame_size);
}

INSTANTIATE_TEST_SUITE_P(ShowSizes, ModeTest,
                         ::testing::Values(ModeCase{320, 200, 14, 220160}, ModeCase{640, 400, 28, 880640},
                                           ModeCase{960, 600, 42, 1981440}));

TEST_F(VideoTest, ModeZeroAfterTheFailedQueryAsksForVbeTwo) {
  Make_Surface(320, 200);
  Expect_Fatal(
      [] {
        Vbe_Init();
        Vbe_Set_Mode(0);
      },
      "Vbe: Unable to initialize video mode. No VBE 2.0 support. Try UNIVBE.");
}

TEST_F(VideoTest, LowResolutionNeedsSixFortyByFourHundred) {
  Make_Surface(640, 480);
  Expect_Fatal(
      [] {
        Vbe_Set_Low_Res();
        Vbe_Set_Mode(Vbe_Detect_16M(640, 480));
      },
      "Vbe: Unable to simulate 320x200 in other resolutions than 640x400.");

  Make_Surface(640, 400);
  Output_Of([] {
    Vbe_Set_Low_Res();
    Vbe_Set_Mode(Vbe_Detect_16M(640, 400));
  });
  EXPECT_EQ(vbe_screen.width, 320u);
  EXPECT_EQ(vbe_screen.height, 200u);
  EXPECT_EQ(vbe_screen.frame_size, 256000u);
  EXPECT_EQ(vbe_screen.screen_line_bytes, 1280u);
  EXPECT_EQ(vbe_screen.present, &Vbe_Present_32_Low);
}

TEST_F(VideoTest, SqueezeMovesTheVisiblePageAndShrinksTheFrame) {
  Make_Surface(640, 400);
  Output_Of([] { Vbe_Set_Mode(Vbe_Detect_16M(640, 400)); });
  Vbe_Squeze(40, 360);
  EXPECT_EQ(vbe_screen.height, 320u);
  EXPECT_EQ(vbe_screen.frame_size, 640u * 320 * 4);
  EXPECT_EQ(vbe_screen.visible_page - vbe_screen.screen_base, 40 * 2560);
}

TEST_F(VideoTest, SqueezeRefusesNoModeAndEmptyOrReversedRanges) {
  Expect_Fatal([] { Vbe_Squeze(10, 20); }, "Vbe_Squeze: Vbe not initialized");
  Make_Surface(320, 200);
  Output_Of([] { Vbe_Set_Mode(Vbe_Detect_16M(320, 200)); });
  Expect_Fatal([] { Vbe_Squeze(100, 100); }, "Vbe_Squeze:");
  Expect_Fatal([] { Vbe_Squeze(150, 20); }, "Vbe_Squeze:");
  Expect_Fatal([] { Vbe_Squeze(0, 201); }, "Vbe_Squeze:");
}

TEST_F(VideoTest, ModeSetRefusesAMissingOrSmallSurfaceAndHeightsBeyondTheLineTables) {
  Expect_Fatal([] { Vbe_Set_Mode(Vbe_Detect_16M(320, 200)); }, "Vbe: Unable to initialize linear frame buffer");
  Make_Surface(320, 199);
  Expect_Fatal([] { Vbe_Set_Mode(Vbe_Detect_16M(320, 200)); }, "Vbe: Unable to initialize linear frame buffer");
  Make_Surface(16, 1100);
  Expect_Fatal([] { Vbe_Set_Mode(Vbe_Detect_16M(16, 1100)); }, "Vbe: Unable to initialize video mode");
}

TEST_F(VideoTest, PageCountsAboveThreeAreRefused) {
  Vbe_Set_Page_Count(3);
  EXPECT_EQ(vbe_screen.page_count, 3);
  Expect_Fatal([] { Vbe_Set_Page_Count(4); }, "Vbe: Illegal page count 4");
}

TEST_F(VideoTest, LineTablesHoldOffsetsOfEveryLine) {
  Open_Mode(960, 600);
  EXPECT_EQ(vbe_screen.frame_lines[1023], 1023u * 3840);
  EXPECT_EQ(vbe_screen.screen_lines[1023], 1023u * 3840);
  EXPECT_EQ(vbe_screen.frame_lines[1], 3840u);
}

TEST_F(VideoTest, ColourOrderFromFieldPositions) {
  Vbe_Set_Color_Order(0, 8, 16);
  EXPECT_EQ(vbe_screen.color_order[0], 0);
  EXPECT_EQ(vbe_screen.color_order[2], 2);
  EXPECT_EQ(vbe_screen.color_order[3], 3);
  Expect_Fatal([] { Vbe_Set_Color_Order(16, 16, 0); }, "Vbe: Illegal plane index assignment");
  Expect_Fatal([] { Vbe_Set_Color_Order(40, 8, 0); }, "Vbe: Illegal plane index assignment");
}

TEST_F(VideoTest, MixBufferIsTakenOnceAndSwapsWithTheFrame) {
  Open_Mode(320, 200);
  Vbe_Alloc_Mix_Buffer();
  u32* first = vbe_screen.mix;
  Vbe_Alloc_Mix_Buffer();
  EXPECT_EQ(vbe_screen.mix, first);
  EXPECT_STREQ(Mem_Get_Description(first), "Vbe: Mix Buffer");
  EXPECT_EQ(Mem_Get_Size(first), 220160u);
  u32* frame = vbe_screen.frame;
  Vbe_Swap_Buffers();
  EXPECT_EQ(vbe_screen.frame, first);
  EXPECT_EQ(vbe_screen.mix, frame);
  Vbe_Swap_Buffers();
  Vbe_Free_Mix_Buffer();
  EXPECT_EQ(vbe_screen.mix, nullptr);
  Expect_Fatal([] { Vbe_Swap_Buffers(); }, "Vbe_Swap_Buffers: No mix buffer");
  Vbe_Free_Buffer();
  EXPECT_EQ(vbe_screen.frame, nullptr);
  EXPECT_EQ(vbe_screen.frame_allocated, 0);
}

TEST_F(VideoTest, SmoothingHalvesTheFrameAndPicksTheSmoothPresent) {
  Make_Surface(640, 400);
  Output_Of([] {
    Vbe_Set_Scanline_Smoothing();
    Vbe_Set_Mode(Vbe_Detect_16M(640, 400));
  });
  EXPECT_EQ(vbe_screen.height, 200u);
  EXPECT_EQ(vbe_screen.frame_size, 640u * 200 * 4);
  EXPECT_EQ(vbe_screen.present, &Vbe_Present_32_Smooth);
}

TEST_F(VideoTest, BlackAndWhitePresentsBlueBytesIntoThePrivateVgaWindow) {
  Output_Of(Vbe_Set_Black_White);
  Vbe_Set_Mode(1);
  EXPECT_EQ(vbe_screen.screen_base, Vbe_Vga_Window());
  EXPECT_EQ(vbe_screen.present, &Vbe_Present_Black_White);
  EXPECT_EQ(vbe_screen.width, 320u);
  Vbe_Squeze(10, 190);
  EXPECT_EQ(vbe_screen.visible_page - Vbe_Vga_Window(), 3200);
  Vbe_Alloc_Buffer();
  vbe_screen.frame[0] = 0x00123456;
  vbe_screen.frame[320 * 180 - 1] = 0x000000AB;
  vbe_screen.present();
  EXPECT_EQ(Vbe_Vga_Window()[3200], 0x56);
  EXPECT_EQ(Vbe_Vga_Window()[3200 + 320 * 180 - 1], 0xAB);
}

TEST_F(VideoTest, FakeTwentyFourAlternatesPagesAndPacksTwoBytesPerPixel) {
  Output_Of(Vbe_Set_Fake_24);
  Vbe_Set_Mode(1);
  EXPECT_EQ(vbe_screen.present, &Vbe_Present_Fake_24);
  Vbe_Alloc_Buffer();
  vbe_screen.frame[3] = 0x00F0A0FF;  // column 3: pass 3, byte 0 of the line
  vbe_screen.present();
  u8* page1 = Vbe_Vga_Window() + 32000;
  EXPECT_EQ(page1[0], 0xA + 0xF0);
  EXPECT_EQ(page1[80], 16 * 14 + 0xF);
  vbe_screen.frame[3] = 0x00102030;
  vbe_screen.present();
  EXPECT_EQ(Vbe_Vga_Window()[0], 0x2 + 0xF0);
  EXPECT_EQ(Vbe_Vga_Window()[80], 16 * 3 + 1);
}

TEST_F(VideoTest, ModeListingOnTheHost) {
  std::string out = Output_Of(Vbe_Get_Modes);
  EXPECT_EQ(out,
            "Vbe: Unable to initialize vesa extensions.\n"
            "Vbe_Get_Modes:\n"
            "1    320 x  200 x 32   0 simulated in 640 x 400\n"
            "1    320 x  200 x 24   0 simulated in 640 x 400\n"
            "1    320 x  200 x 15   0 simulated in 640 x 400\n"
            "13    320 x  200 x 12   2 tweaked\n"
            "13    320 x  200 x  8   0 in black and white\n");
  EXPECT_EQ(vbe_screen.mode_info.x_resolution, 640);
  EXPECT_EQ(Output_Of(Vbe_Show_Modes), "Vbe: Unable to initialize vesa extensions.\nVbe_Show_Modes:\n");
}

TEST_F(VideoTest, UpdateSpansCopyFrameToVisiblePage) {
  Open_Mode(320, 200, 0);
  for (u32 i = 0; i < 320 * 200; i++) vbe_screen.frame[i] = i;
  EXPECT_EQ(Vbe_Add_Update_Span(400, 40), 0);
  EXPECT_EQ(Vbe_Add_Update_Rect(1, 2, 3, 4), 1);
  Vbe_Flush_Updates();
  EXPECT_EQ(Vbe_Update_Count(), 0);
  for (u32 i = 0; i < 320 * 200; i++) EXPECT_EQ(surface[i], (i >= 100 && i < 110) ? i : 0u) << i;
}

TEST_F(VideoTest, FrameRectIsMovedInsideTheFrame) {
  Open_Mode(320, 200, 0);
  for (u32 i = 0; i < 320 * 200; i++) vbe_screen.frame[i] = i + 1;
  std::vector<u32> out(320 * 200, 0);
  Vbe_Copy_Frame_Rect(-5, 195, 2, 10, out.data());  // lands at x 0, y 190
  u32 copied = 0;
  for (u32 i = 0; i < out.size(); i++)
    if (out[i]) {
      copied++;
      EXPECT_EQ(out[i], i + 1);
      EXPECT_GE(i / 320, 190u);
      EXPECT_LT(i % 320, 2u);
    }
  EXPECT_EQ(copied, 20u);
  std::fill(out.begin(), out.end(), 0);
  Vbe_Copy_Frame_Rect(0, 0, 400, 300, out.data());  // larger than the frame: the whole frame
  EXPECT_EQ(out.back(), 320u * 200);
}

TEST_F(VideoTest, PutPixelWritesTheVisiblePageAndDropsPointsOffTheFrame) {
  Open_Mode(320, 200, 0);
  Vbe_Put_Pixel(5, 2, 0x00ABCDEF);
  Vbe_Put_Pixel(320, 0, 1);
  Vbe_Put_Pixel(-1, 0, 1);
  EXPECT_EQ(surface[2 * 320 + 5], 0x00ABCDEFu);
  for (u32 i = 0; i < surface.size(); i++)
    if (i != 2 * 320 + 5) {
      ASSERT_EQ(surface[i], 0u);
    }
}

TEST_F(VideoTest, PaletteFadeStepsTheFirst255EntriesOneUnitPerStep) {
  u8* palette = Vbe_Palette();
  for (u32 i = 0; i < 768; i++) palette[i] = u8(i < 765 ? 100 : 50);
  palette[0] = 10;
  Vbe_Fade_Palette_Black();
  EXPECT_EQ(palette[0], 0);
  EXPECT_EQ(palette[1], 36);
  EXPECT_EQ(palette[764], 36);
  EXPECT_EQ(palette[765], 50);  // entry 255 is not faded
  std::vector<u32> table(256, 0xFF000000u);
  Vbe_Grey_Palette(table.data(), 7);
  EXPECT_EQ(table[255], 0xFF070707u);
}

}  // namespace
