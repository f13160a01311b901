// Flimmer noise: the scaled random draws, palette ranges, the draw order and re-initialisation.
#include "demo/flimmer/flimmer.h"
#include "scene_fixture.h"
#include "video/pixel.h"

namespace {

class Flimmer : public SceneTest {
 protected:
  void SetUp() override { Start(320, 200); }
};

TEST_F(Flimmer, RandomIsTheRuntimeGeneratorScaled) {
  Math_Crt_Seed(1);
  EXPECT_EQ(Flimmer_Random(255.0f), 0);    // 41
  EXPECT_EQ(Flimmer_Random(255.0f), 142);  // 18467
  EXPECT_EQ(Flimmer_Random(1000.0f), 191);  // 6334
  EXPECT_EQ(Flimmer_Random(0.0f), 0);      // drawn, but no range
  bool six = false;
  for (u32 i = 0; i < 5000; i++) {
    const i32 v = Flimmer_Random(7.0f);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 6);  // the eighth palette is never picked
    six |= v == 6;
  }
  EXPECT_TRUE(six);
}

TEST_F(Flimmer, DimCyanPalettesAreOneBrightnessPerEntry) {
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  EXPECT_EQ(Flimmer_Palette_Count(), 8u);
  EXPECT_STREQ(Mem_Get_Description(Flimmer_Map()), "Flimmer: Map");
  for (u32 p = 0; p < 8; p++)
    for (u32 e = 0; e < 256; e++) {
      const u32 c = Flimmer_Palette(p)[e];
      const u32 r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
      ASSERT_LE(r, 12u);
      ASSERT_LE(g, 21u);
      ASSERT_EQ(g, b);
      ASSERT_EQ(c >> 24, 0u);
      // Some brightness v of 0..999 gives both values.
      bool found = false;
      for (u32 v = 0; v < 1000 && !found; v++) found = v * 13 / 1000 == r && v * 22 / 1000 == g;
      ASSERT_TRUE(found) << r << " " << g;
    }
  u32 highest = 0;
  for (u32 i = 0; i < 320 * 400; i++) highest = std::max<u32>(highest, Flimmer_Map()[i]);
  EXPECT_EQ(highest, 253u);
}

class FlimmerWide : public SceneTest {
 protected:
  void SetUp() override { Start(640, 400); }
};

TEST_F(FlimmerWide, DesignFrameTakesPaletteFirstThenOffsetAndCopies) {
  Flimmer_Init(1, 40, 80, 120, 3, 320, 200);
  Math_Crt_Seed(777);
  const i32 palette = Flimmer_Random(7.0f);
  const i32 offset = Flimmer_Random(200.0f * 320.0f);
  Math_Crt_Seed(777);
  ASSERT_TRUE(Vbe_Resize_Active());
  Vbe_Resize_Begin();
  Flimmer_Draw();
  for (u32 i = 0; i < 64000; i++)
    ASSERT_EQ(vbe_screen.frame[i], Flimmer_Palette(u32(palette))[Flimmer_Map()[u32(offset) + i]]) << i;
  Vbe_Resize_End();
}

TEST_F(Flimmer, FullFrameTakesOffsetFirstThenPaletteAndAdds) {
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  std::fill(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4, 0x010101u);
  Math_Crt_Seed(99);
  const i32 offset = Flimmer_Random(200.0f * 320.0f);
  const i32 palette = Flimmer_Random(7.0f);
  Math_Crt_Seed(99);
  ASSERT_FALSE(Vbe_Resize_Active());
  Flimmer_Draw();
  for (u32 i = 0; i < 320 * 172; i++)
    ASSERT_EQ(vbe_screen.frame[i], 0x010101u + Flimmer_Palette(u32(palette))[Flimmer_Map()[u32(offset) + i]]);
}

TEST_F(Flimmer, SecondSetUpAddsPalettesAndReplacesTheMapAThirdIsRefused) {
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  const u32* first = Flimmer_Palette(0);
  Flimmer_Init(1, 50, 50, 50, 0, 320, 200);
  EXPECT_EQ(Flimmer_Palette_Count(), 16u);
  EXPECT_EQ(Flimmer_Palette(0), first);
  EXPECT_LE(Flimmer_Palette(12)[5] & 255, 49u);
  EXPECT_SCENE_FATAL("Flimmer: No room for more than 16 palettes", Flimmer_Init(0, 1, 1, 1, 0, 320, 200));
  Flimmer_Free();
  EXPECT_EQ(Flimmer_Palette_Count(), 0u);
  EXPECT_EQ(Flimmer_Map(), nullptr);
}

TEST_F(Flimmer, ScratchLinesFillWholeMapRows) {
  Math_Crt_Seed(1);
  Flimmer_Init(0, 13, 22, 22, 4, 320, 200);
  u32 full_rows = 0;
  for (u32 row = 0; row < 400; row++) {
    const u8* r = Flimmer_Map() + row * 320;
    full_rows += std::all_of(r, r + 320, [&](u8 v) { return v == r[0]; });
  }
  EXPECT_GE(full_rows, 1u);
  EXPECT_LE(full_rows, 4u);
}

TEST(FlimmerLarge, AFrameLargerThanTheMapReadsInsideItsRepeatedTail) {
  EXPECT_SCENE_IN_CHILD([] {
    SceneRun run;
    run.Start(960, 600);
    Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
    bool ok = Child_Check(Flimmer_Map_Size() >= 960u * 516 + 200 * 320, "map size");
    ok = ok && CHILD_EQ(Flimmer_Map()[128000 + 17], Flimmer_Map()[17]);
    Vbe_Set_Resize(960, 600);  // no resizing: the grain goes onto the whole frame
    SceneTest::Fill(0);
    for (u32 i = 0; i < 20; i++) Flimmer_Draw();
    Flimmer_Draw_Const(0x010101);
    return ok;
  }());
}

}  // namespace
