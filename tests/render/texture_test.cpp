// Tests of the texture slot limit, animated slots, the quarter turn and bump offsets.
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
  EXPECT_FATAL("Poly: Too many textures", Poly_New_Slot());
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
