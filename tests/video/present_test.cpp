// Present routines: the copy loops agree, pixel formats, doubled pixels, skipped lines and the screen's bounds.
#include "tests/engine_fixture.h"

namespace {

// Hand-made state: a w x h frame of noise presented into `screen` (screen_bytes per pixel).
class PresentTest : public VideoTest {
 protected:
  void Setup_Frame(u32 w, u32 h, u32 screen_bytes, std::vector<u8>& screen) {
    frame.resize(size_t(w) * h);
    u32 x = 12345;
    for (u32& p : frame) p = x = x * 1103515245u + 12345u;
    vbe_screen.frame = frame.data(), vbe_screen.width = w, vbe_screen.height = h, vbe_screen.frame_size = w * h * 4;
    vbe_screen.screen_bytes = screen_bytes;
    vbe_screen.screen_pitch = w;
    Use_Screen(screen);
  }
  void Use_Screen(std::vector<u8>& screen) {
    Vbe_Set_Screen_Base(screen.data(), u32(screen.size()));
    vbe_screen.visible_page = screen.data();
  }
  std::vector<u32> frame;
};

TEST_F(PresentTest, AlternativeCopyLoopsGiveTheSameScreenAtOddSizes) {
  for (u32 w : {640u, 17u}) {
    std::vector<u8> a(w * 3 * 4 + 64, 0x55), b = a, c = a;
    Setup_Frame(w, 3, 4, a);
    Vbe_Present_32();
    Use_Screen(b);
    Vbe_Present_32_Unrolled();
    Use_Screen(c);
    Vbe_Present_32_Fpu();
    EXPECT_TRUE(a == b && a == c);
    EXPECT_EQ(0, memcmp(a.data(), frame.data(), w * 12));
    EXPECT_EQ(a[w * 12], 0x55);
  }
}

TEST_F(PresentTest, FifteenAndTwentyFourBitFormats) {
  std::vector<u8> screen(16, 0xEE);
  Setup_Frame(2, 1, 2, screen);
  frame = {0x00FF8040, 0xFF070707};
  vbe_screen.frame = frame.data();
  Vbe_Present_15();
  EXPECT_EQ(std::vector<u8>(screen.begin(), screen.begin() + 5), (std::vector<u8>{0x08, 0x7E, 0, 0, 0xEE}));
  std::fill(screen.begin(), screen.end(), 0xEE);
  vbe_screen.screen_bytes = 3;
  Vbe_Present_24();
  EXPECT_EQ(std::vector<u8>(screen.begin(), screen.begin() + 7),
            (std::vector<u8>{0x40, 0x80, 0xFF, 0x07, 0x07, 0x07, 0xEE}));
}

TEST_F(PresentTest, FakeTwentyFourPacksNibblesOnAlternatePages) {
  // A pixel gives (green >> 4) + 0xF0, and 80 bytes on 16 x min(blue >> 4, 14) + (red >> 4). The four
  // passes (columns modulo 4) share one memory line here, so the last pass's columns 3 and 7 stay.
  std::vector<u8> screen(64160, 0xEE);
  Setup_Frame(8, 1, 4, screen);
  frame = {1, 2, 3, 0x00FF8040, 4, 5, 6, 0x001234FF};
  vbe_screen.frame = frame.data();
  for (u32 call = 0, page = 0; call < 2; call++) {
    Vbe_Present_Fake_24();
    page = call ? 32000 - page : screen[0] == 0xEE ? 32000 : 0;  // the other page on the second call
    const u8* p = &screen[page];
    EXPECT_EQ(std::vector<u8>({p[0], p[1], p[2], p[80], p[81], p[82]}), std::vector<u8>({0xF8, 0xF3, 0xEE, 0x4F, 0xE1, 0xEE}));
  }
}

TEST_F(PresentTest, LowWritesEachPixelTwiceAndSmoothSkipsEveryOtherRow) {
  std::vector<u8> screen(640 * 400 * 4, 0xCA);
  Setup_Frame(320, 200, 4, screen);
  Vbe_Present_32_Low();
  const u32* s = reinterpret_cast<const u32*>(screen.data());
  for (u32 i = 0; i < 320 * 200; i++) ASSERT_TRUE(s[2 * i] == frame[i] && s[2 * i + 1] == frame[i]) << i;
  std::fill(screen.begin(), screen.end(), 0xCA);
  Setup_Frame(640, 200, 4, screen);
  Vbe_Present_32_Smooth();
  for (u32 y = 0; y < 400; y++) ASSERT_EQ(s[y * 640 + 7], y % 2 ? 0xCACACACA : frame[(y / 2) * 640 + 7]) << y;
}

TEST_F(PresentTest, PresentRefusesToWritePastTheScreenMemoryAndDoesNothingBeforeAMode) {
  vbe_screen.present();
  std::vector<u8> screen(100, 0);
  Setup_Frame(8, 8, 4, screen);
  EXPECT_FATAL("Vbe: Present outside the screen memory", Vbe_Present_32());
  EXPECT_FATAL("Vbe: Present outside the screen memory", Vbe_Present_32_Low_Smooth());
}

}  // namespace
