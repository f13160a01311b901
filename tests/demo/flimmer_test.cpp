// Flimmer noise: the scaled random draws, re-initialisation and frames larger than the map.
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

// Palette p made all p + 1, so a frame's grain tells which was drawn. Without resizing the offset is drawn first,
// then the palette, rand x 7 / 33000: after seed 1, 18467 gives 3, 26500 5, 15724 3 and 29358 6 (of eight, 7).
// Resizing (factor 2 here) draws the palette first: one draw ahead, the same palettes.
TEST_F(Flimmer, DrawPicksOneOfTheFirstSevenPalettes) {
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  for (u32 p = 0; p < 8; p++) std::fill_n(const_cast<u32*>(Flimmer_Palette(p)), 256, p + 1);
  for (u32 design : {320u, 160u}) {
    Vbe_Set_Resize(design, design * 5 / 8);
    Math_Crt_Seed(1);
    if (design == 160) Math_Crt_Rand();
    std::vector<u32> drawn;
    for (u32 i = 0; i < 4; i++) Fill(0), Flimmer_Draw(), drawn.push_back(At(0, 0));
    EXPECT_EQ(drawn, (std::vector<u32>{4, 6, 4, 7})) << design;
  }
}

TEST_F(Flimmer, SecondSetUpAddsPalettesAndReplacesTheMapAThirdIsRefused) {
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  const u32* first = Flimmer_Palette(0);
  Flimmer_Init(1, 50, 50, 50, 0, 320, 200);
  EXPECT_EQ(Flimmer_Palette_Count(), 16u);
  EXPECT_EQ(Flimmer_Palette(0), first);
  EXPECT_LE(Flimmer_Palette(12)[5] & 255, 49u);
  EXPECT_FATAL("Flimmer: No room for more than 16 palettes", Flimmer_Init(0, 1, 1, 1, 0, 320, 200));
}

TEST(FlimmerLarge, AFrameLargerThanTheMapReadsInsideItsRepeatedTail) {
  EXPECT_CHILD(0, Child_Pass([] {
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
  }()));
}

}  // namespace
