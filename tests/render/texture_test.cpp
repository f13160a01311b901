// Tests of the texture slot limit, animated slots, colour operations, the quarter turn and bump offsets.
#include "render/texture.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/poly.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

namespace {
class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Poly_Init();
  }
  u32* Block(u32 words) { return static_cast<u32*>(Mem_Alloc(words * 4)); }
};
}  // namespace

TEST_F(TextureTest, TooManyTexturesIsFatal) {
  for (int i = 0; i < 256; i++) Poly_New_Slot();
  EXPECT_FATAL_OUTPUT(Test_File_Name("slot.txt"), "Poly: Too many textures", Poly_New_Slot());
}

TEST_F(TextureTest, AnimatedSlotStepsThroughItsFrames) {
  static u32 f[3][1];
  i32 slot = Poly_Add_Anim_Texture(3);
  for (auto& t : f) Poly_Add_Texture(t);
  std::vector<u32*> shown;
  for (int i = 0; i < 4; i++) {
    Poly_Step_Anim_Texture(u8(slot));
    shown.push_back(Poly_Get_Texture(slot));
  }
  EXPECT_EQ(shown, (std::vector<u32*>{f[1], f[2], f[0], f[1]}));
}

TEST_F(TextureTest, ScaleShiftAndThreshold) {
  u32* t = Block(4);
  t[0] = 0xAAFF8001;
  t[1] = 0x00C8C8C8;
  Poly_Scale_Texture(t, 0.5f);
  EXPECT_EQ(t[0], 0x007F4000u);
  Poly_Add_Texture(t);
  t[1] = 0x00C8C8C8;
  Poly_Scale_Last_Texture(2.0f);
  EXPECT_EQ(t[1], 0x00909090u);  // 400 modulo 256 = 144
  t[2] = 0x55FFFFFF;
  Poly_Shift_Texture(t, 9);
  EXPECT_EQ(t[2], 0x55000000u);
  t[0] = 0x00808080;
  t[1] = 0x00807F80;
  Poly_Scale_Texture_Above(t, 0.5f, 0x00808080);
  EXPECT_EQ(t[0], 0x00404040u);
  EXPECT_EQ(t[1], 0x00807F80u);
  t[3] = 0x04030201;
  Poly_Scale_Bytes(t, 2.0f);
  EXPECT_EQ(t[3], 0x08060402u);
  Mem_Free(t);
}

TEST_F(TextureTest, QuarterTurnOfARegion) {
  u32* t = Block(65536);
  // [a b / c d] at column 3, row 2.
  t[2 * 256 + 3] = 'a';
  t[2 * 256 + 4] = 'b';
  t[3 * 256 + 3] = 'c';
  t[3 * 256 + 4] = 'd';
  t[0] = 77;
  Poly_Rotate_Texture(t, 3, 2, 2, 2);
  EXPECT_EQ(t[2 * 256 + 3], u32('c'));
  EXPECT_EQ(t[2 * 256 + 4], u32('a'));
  EXPECT_EQ(t[3 * 256 + 3], u32('d'));
  EXPECT_EQ(t[3 * 256 + 4], u32('b'));
  EXPECT_EQ(t[0], 77u);
  // A region whose rows lie past the 32-bit range is outside the block too, not wrapped into it.
  Poly_Rotate_Texture(t, 0, 0xFFFFFF00u, 0x101, 0x101);
  EXPECT_EQ(t[0], 77u);
  Mem_Free(t);
}

TEST_F(TextureTest, BumpOffsetsAroundOneRaisedTexel) {
  u8* height = static_cast<u8*>(Mem_Alloc(65536));
  height[10 * 256 + 10] = 50;
  height[0] = 200;  // borders never get offsets
  i32* map = Poly_Bump_Map(height);
  for (i32 r = 0; r < 256; r++)
    for (i32 c = 0; c < 256; c++) {
      const bool neighbour = std::abs(r - 10) <= 1 && std::abs(c - 10) <= 1 && !(r == 10 && c == 10);
      if (!neighbour && !(r == 1 && c == 1)) {
        ASSERT_EQ(map[r * 256 + c], 0) << r << "," << c;
      }
    }
  // Left of the raised texel: it is in that texel's right column, so dx = -50; above it: dy = -50.
  EXPECT_EQ(map[10 * 256 + 9], -50);
  EXPECT_EQ(map[9 * 256 + 10], -50 * 256);
  EXPECT_EQ(map[11 * 256 + 11], 50 * 256 + 50);
  // Texel (1, 1) sees the corner texel 0: clamped to 126 each way.
  EXPECT_EQ(map[1 * 256 + 1], 126 * 256 + 126);
  Mem_Free(map);
}

TEST_F(TextureTest, HueShiftByAFullTurnKeepsTheColour) {
  u32* t = Block(4);
  t[0] = 0x00FF0000;
  t[1] = 0x0000FF00;
  Poly_Hsv_Texture(t, -360, 0.0f, 0);
  EXPECT_EQ(t[0] & 0xFFFFFF, 0x00FF0000u);
  EXPECT_EQ(t[1] & 0xFFFFFF, 0x0000FF00u);
  Poly_Hsv_Texture(t, 120, 0.0f, 0);  // green moves on to blue
  EXPECT_EQ(t[1] & 0xFFFFFF, 0x000000FFu);
  Mem_Free(t);
}
