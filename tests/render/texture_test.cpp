// Tests of the texture slot limit, the colour operations, the quarter turn and bump offsets.
#include "render/texture.h"

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

TEST_F(TextureTest, SlotLimitsAreFatal) {
  for (int i = 0; i < 256; i++) Poly_New_Slot();
  EXPECT_FATAL("Poly: Too many textures", Poly_New_Slot());
  EXPECT_FATAL("Poly: Invalid texture slot 256", Poly_Set_Texture(256, nullptr));
  EXPECT_FATAL("Poly: Invalid animated slot 120", Poly_Step_Anim_Texture(120));
}

TEST_F(TextureTest, QuarterTurnOfARegion) {
  u32* t = Block(65536);
  // [a b / c d] at column 3, row 2.
  t[2 * 256 + 3] = 'a', t[2 * 256 + 4] = 'b', t[3 * 256 + 3] = 'c', t[3 * 256 + 4] = 'd', t[0] = 77;
  Poly_Rotate_Texture(t, 3, 2, 2, 2);
  EXPECT_EQ(std::vector<u32>({t[2 * 256 + 3], t[2 * 256 + 4], t[3 * 256 + 3], t[3 * 256 + 4], t[0]}),
            std::vector<u32>({'c', 'a', 'd', 'b', 77}));
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
  // Texel (1, 1) sees the corner texel 0: clamped to 126 each way.
  EXPECT_EQ(std::vector<i32>({map[10 * 256 + 9], map[9 * 256 + 10], map[11 * 256 + 11], map[1 * 256 + 1]}),
            std::vector<i32>({-50, -50 * 256, 50 * 256 + 50, 126 * 256 + 126}));
  Mem_Free(map);
}

// Colour operations in the default colour byte order (red byte 2) and in 3, 2, 1, 0 (red byte 3).
TEST_F(TextureTest, ColourOperationsFindTheChannelsByTheColourByteOrder) {
  const struct { u8 red_byte; void (*op)(u32*); u32 in, want; } rows[] = {
      {2, [](u32* t) { Poly_Scale_Texture(t, 0.5f); }, 0x44FF8001, 0x007F4000},
      {2, [](u32* t) { Poly_Scale_Texture(t, 2.0f); }, 0x00C80000, 0x00900000},
      {2, [](u32* t) { Poly_Shift_Texture(t, 9); }, 0x44FF8001, 0x44000000},
      {2, [](u32* t) { Poly_Scale_Texture_Above(t, 0.5f, 0x00808080); }, 0x00FF7FFF, 0x00FF7FFF},
      {2, [](u32* t) { Poly_Scale_Texture_Above(t, 0.5f, 0x00808080); }, 0x44808080, 0x00404040},  // at the threshold
      {2, [](u32* t) { Poly_Hsv_Texture(t, 120, 0.0f, 0); }, 0x00FF0000, 0x0000FF00},
      {3, [](u32* t) { Poly_Scale_Texture(t, 0.5f); }, 0xFF800144, 0x7F400000},
      {3, [](u32* t) { Poly_Shift_Texture(t, 1); }, 0xFF800144, 0x7F400044},
      {3, [](u32* t) { Poly_Scale_Texture_Above(t, 0.5f, 0xC8000000); }, 0x64800144, 0x64800144},
      {3, [](u32* t) { Poly_Scale_Texture_Above(t, 0.5f, 0xC8000000); }, 0xFF800144, 0x7F400000},
      {3, [](u32* t) { Poly_Hsv_Texture(t, 120, 0.0f, 0); }, 0xFF000000, 0x00FF0000},
  };
  const VbeScreen saved = vbe_screen;
  for (const auto& r : rows) {
    const u8 order[2][4] = {{2, 1, 0, 3}, {3, 2, 1, 0}};
    std::copy(order[r.red_byte - 2], order[r.red_byte - 2] + 4, vbe_screen.color_order);
    u32* t = Block(4);
    std::fill(t, t + 4, r.in);
    r.op(t);
    EXPECT_EQ(t[3], r.want) << std::hex << r.in << " red byte " << int(r.red_byte);
    Mem_Free(t);
  }
  vbe_screen = saved;
}
