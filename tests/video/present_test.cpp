// Present routines: straight copy, pixel formats, doubled pixels, skipped lines and letterbox rows.
#include "tests/video/video_fixture.h"

namespace {

void Fill_Pattern(u32* pixels, u32 n) {
  u32 x = 12345;
  for (u32 i = 0; i < n; i++) {
    x = x * 1103515245u + 12345u;
    pixels[i] = x;
  }
}

// Hand-made state: a w x h frame presented into `screen` (screen_bytes per pixel).
class PresentTest : public VideoTest {
 protected:
  void Setup_Frame(u32 w, u32 h, u32 screen_bytes, std::vector<u8>& screen) {
    frame.assign(size_t(w) * h, 0);
    Fill_Pattern(frame.data(), w * h);
    vbe_screen.frame = frame.data();
    vbe_screen.width = w;
    vbe_screen.height = h;
    vbe_screen.frame_size = w * h * 4;
    vbe_screen.screen_bytes = screen_bytes;
    vbe_screen.screen_pitch = w;
    Vbe_Set_Screen_Base(screen.data(), u32(screen.size()));
    vbe_screen.visible_page = screen.data();
  }
  std::vector<u32> frame;
};

TEST_F(PresentTest, Present32CopiesTheLetterboxedFrameByteForByteAndLeavesBorderRowsAlone) {
  Make_Surface(640, 400, 0xDEADBEEF);
  Open_Mode(640, 400);
  Fill_Pattern(vbe_screen.frame, 640 * 344);
  vbe_screen.present();
  for (u32 y = 0; y < 400; y++)
    for (u32 x = 0; x < 640; x++) {
      u32 want = (y < 28 || y >= 372) ? 0xDEADBEEF : vbe_screen.frame[(y - 28) * 640 + x];
      ASSERT_EQ(surface[y * 640 + x], want) << x << "," << y;
    }
}

TEST_F(PresentTest, AlternativeCopyLoopsGiveTheSameScreenAtOddSizes) {
  for (u32 w : {640u, 17u}) {
    std::vector<u8> a(w * 3 * 4 + 64, 0x55), b = a, c = a;
    Setup_Frame(w, 3, 4, a);
    Vbe_Present_32();
    Vbe_Set_Screen_Base(b.data(), u32(b.size()));
    vbe_screen.visible_page = b.data();
    Vbe_Present_32_Unrolled();
    Vbe_Set_Screen_Base(c.data(), u32(c.size()));
    vbe_screen.visible_page = c.data();
    Vbe_Present_32_Fpu();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_EQ(0, memcmp(a.data(), frame.data(), w * 12));
    EXPECT_EQ(a[w * 12], 0x55);
  }
}

TEST_F(PresentTest, FifteenAndTwentyFourBitFormats) {
  std::vector<u8> screen(16, 0xEE);
  Setup_Frame(2, 1, 2, screen);
  frame[0] = 0x00FF8040;
  frame[1] = 0xFF070707;
  Vbe_Present_15();
  EXPECT_EQ(screen[0] | screen[1] << 8, 0x7E08);
  EXPECT_EQ(screen[2] | screen[3] << 8, 0x0000);
  EXPECT_EQ(screen[4], 0xEE);

  std::fill(screen.begin(), screen.end(), 0xEE);
  vbe_screen.screen_bytes = 3;
  Vbe_Present_24();
  EXPECT_EQ(std::vector<u8>(screen.begin(), screen.begin() + 7),
            (std::vector<u8>{0x40, 0x80, 0xFF, 0x07, 0x07, 0x07, 0xEE}));
}

TEST_F(PresentTest, SmoothWritesEveryOtherScreenRow) {
  std::vector<u8> screen(8 * 400 * 4, 0);
  std::vector<u32> marker(8 * 400, 0xCAFEF00D);
  memcpy(screen.data(), marker.data(), screen.size());
  Setup_Frame(8, 200, 4, screen);
  Vbe_Present_32_Smooth();
  const u32* s = reinterpret_cast<const u32*>(screen.data());
  for (u32 y = 0; y < 400; y++)
    for (u32 x = 0; x < 8; x++) ASSERT_EQ(s[y * 8 + x], y % 2 ? 0xCAFEF00D : frame[(y / 2) * 8 + x]) << y;
}

TEST_F(PresentTest, LowWritesEachFramePixelTwice) {
  std::vector<u8> screen(640 * 200 * 4, 0);
  Setup_Frame(320, 200, 4, screen);
  Vbe_Present_32_Low();
  const u32* s = reinterpret_cast<const u32*>(screen.data());
  for (u32 i = 0; i < 320 * 200; i++) {
    ASSERT_EQ(s[2 * i], frame[i]);
    ASSERT_EQ(s[2 * i + 1], frame[i]);
  }
}

TEST_F(PresentTest, LowSmoothDoublesPixelsAndSkipsRows) {
  std::vector<u8> screen(4 * 4 * 2, 0x11);
  Setup_Frame(2, 2, 2, screen);
  frame = {0x00FF8040, 0x00000008, 0x00080000, 0x00000800};
  vbe_screen.frame = frame.data();
  Vbe_Present_15_Low_Smooth();
  const u16 want[16] = {0x7E08, 0x7E08, 0x0001, 0x0001, 0x1111, 0x1111, 0x1111, 0x1111,
                        0x0400, 0x0400, 0x0020, 0x0020, 0x1111, 0x1111, 0x1111, 0x1111};
  for (u32 i = 0; i < 16; i++) EXPECT_EQ(screen[2 * i] | screen[2 * i + 1] << 8, want[i]) << i;
}

TEST_F(PresentTest, PresentRefusesToWritePastTheScreenMemory) {
  std::vector<u8> screen(100, 0);
  Setup_Frame(8, 8, 4, screen);
  Expect_Fatal([] { Vbe_Present_32(); }, "Vbe: Present outside the screen memory");
  Expect_Fatal([] { Vbe_Present_32_Low_Smooth(); }, "Vbe: Present outside the screen memory");
}

TEST_F(PresentTest, PresentBeforeAnyModeDoesNothing) {
  ASSERT_NE(vbe_screen.present, nullptr);
  vbe_screen.present();
}

TEST_F(PresentTest, RectangleCopiesFollowTheRowPitch) {
  std::vector<u8> screen(16);
  Setup_Frame(4, 4, 4, screen);
  std::vector<u32> out(16, 0);
  Vbe_Copy_Rect(frame.data(), out.data(), 4, 4);  // width equal to the pitch: one block
  EXPECT_EQ(out, frame);
  std::vector<u32> sum(16, 1);
  Vbe_Add_Rect(frame.data() + 5, sum.data() + 5, 2, 2);
  for (u32 i = 0; i < 16; i++) {
    bool inside = (i == 5 || i == 6 || i == 9 || i == 10);
    EXPECT_EQ(sum[i], inside ? frame[i] + 1 : 1u) << i;
  }
  std::vector<u8> span(12, 0);
  vbe_screen.screen_bytes = 3;
  Vbe_Copy_Span_24(frame.data(), span.data(), 16);
  for (u32 i = 0; i < 4; i++) EXPECT_EQ(span[3 * i] | span[3 * i + 1] << 8 | span[3 * i + 2] << 16, frame[i] & 0xFFFFFF);
}

}  // namespace
