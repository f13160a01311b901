// Flare effect: the beam line plot, its clipping, the sparks' generation and motion, the levels and the draw.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "demo/flare/flare.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "render/poly.h"
#include "runtime/math.h"
#include "video/pixel.h"

namespace {
typedef std::map<std::pair<u32, u32>, u32> Pixels;  // (x, y) -> value

// Every non-zero pixel of the 320-wide frame.
Pixels Lit(void) {
  Pixels lit;
  for (u32 y = 0; y < vbe_screen.height; y++)
    for (u32 x = 0; x < vbe_screen.width; x++)
      if (u32 v = vbe_screen.frame[y * vbe_screen.width + x]) lit[{x, y}] = v;
  return lit;
}

// The pixels a plot sequence lights: each plot adds at (x, y), (x + 1, y) and twice at (x + 1, y + 1).
Pixels Plots(const std::vector<std::pair<u32, u32>>& plots, u32 colour) {
  Pixels want;
  for (auto [x, y] : plots) {
    want[{x, y}] += colour;
    want[{x + 1, y}] += colour;
    want[{x + 1, y + 1}] += 2 * colour;
  }
  return want;
}

bool Same(const Pixels& got, const Pixels& want) {
  if (got == want) return true;
  for (auto& [p, v] : got) fprintf(stderr, "got (%u, %u) = %06x\n", p.first, p.second, v);
  for (auto& [p, v] : want) fprintf(stderr, "want (%u, %u) = %06x\n", p.first, p.second, v);
  return false;
}

void Start(void) {
  static std::vector<u32> surface;
  Engine_Start_Host(320, 200, Scene_Datafile(Intro_Entries()), &surface);
  Vbe_Clear();
}
}  // namespace

TEST(FlareLine, XMajorLinePlotsUpToButNotTheEndPoint) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Add_Line(10, 10, 14, 11, 0x010203);
    return Same(Lit(), Plots({{10, 10}, {11, 10}, {12, 11}, {13, 11}}, 0x010203));
  }());
}

TEST(FlareLine, YMajorAndDiagonalLinesStepAlongY) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Add_Line(10, 10, 11, 14, 0x000001);
    bool ok = Same(Lit(), Plots({{10, 10}, {10, 11}, {11, 12}, {11, 13}}, 0x000001));
    Vbe_Clear();
    Flare_Add_Line(10, 10, 13, 7, 0x000001);
    ok = ok && Same(Lit(), Plots({{10, 10}, {11, 9}, {12, 8}}, 0x000001));
    Vbe_Clear();
    Flare_Add_Line(30, 20, 27, 20, 0x000001);  // leftwards
    return ok && Same(Lit(), Plots({{30, 20}, {29, 20}, {28, 20}}, 0x000001));
  }());
}

TEST(FlareLine, ZeroLengthPlotsNothingAndAddsSaturate) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Add_Line(50, 50, 50, 50, 0xFFFFFF);
    bool ok = Same(Lit(), {});
    vbe_screen.frame[60 * 320 + 61] = 0xF0FE05;
    Flare_Add_Line(60, 59, 61, 59, 0x030303);  // the lower-right pixel gets the colour twice
    return ok && CHILD_EQ(vbe_screen.frame[60 * 320 + 61], 0xF6FF0Bu);
  }());
}

TEST(FlareLine, LastColumnSpillsIntoTheFirstColumnOfTheNextRows) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Add_Line(319, 50, 319, 52, 0x000001);
    Pixels want = {{{319, 50}, 1}, {{0, 51}, 1}, {{319, 51}, 1}, {{0, 52}, 2 + 1}, {{0, 53}, 2}};
    return Same(Lit(), want);
  }());
}

TEST(FlareLine, PlotsOutsideTheFrameAreDropped) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    // The last row of the 320x172 frame: the lower-right pixels would be past its end.
    Flare_Add_Line(316, 171, 319, 171, 0x000001);
    return Same(Lit(), {{{316, 171}, 1}, {{317, 171}, 2}, {{318, 171}, 2}, {{319, 171}, 1}});
  }());
}

TEST(FlareClip, BeamsAreCutAtTheViewWindow) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Set_View();
    bool ok = CHILD_EQ(poly_state.xmin, 1) && CHILD_EQ(poly_state.ymin, 35) && CHILD_EQ(poly_state.xmax, 319) &&
              CHILD_EQ(poly_state.ymax, 133);
    // Right: cut at x 319, which is not plotted.
    Flare_Clip_Line(160, 85, 760, 85, 0x000001);
    std::vector<std::pair<u32, u32>> plots;
    for (u32 x = 160; x < 319; x++) plots.push_back({x, 85});
    ok = ok && Same(Lit(), Plots(plots, 1));
    // Up: cut at row 35.
    Vbe_Clear();
    Flare_Clip_Line(160, 85, 160, -300, 0x000001);
    plots.clear();
    for (u32 y = 85; y > 35; y--) plots.push_back({160, y});
    ok = ok && Same(Lit(), Plots(plots, 1));
    // Wholly outside: nothing.
    Vbe_Clear();
    Flare_Clip_Line(0, 10, 300, 20, 0x000001);
    ok = ok && Same(Lit(), {});
    // Out through the right edge below the window: cut in x, then in y at row 133.
    Vbe_Clear();
    Flare_Clip_Line(160, 85, 760, 385, 0x000001);
    const Pixels lit = Lit();
    u32 lowest = 0, rightmost = 0;
    for (auto& [p, v] : lit) lowest = std::max(lowest, p.second), rightmost = std::max(rightmost, p.first);
    ok = ok && CHILD_EQ(lowest, 134u) && CHILD_EQ(rightmost, 257u) && CHILD_EQ(lit.count({160, 85}), 1u);
    // The clipper's record size is the renderer's again.
    return ok && CHILD_EQ(poly_state.n, 4);
  }());
}

TEST(FlareSparks, MoveTurnsBothAnglesAndPlacesTheEndPoint) {
  EXPECT_SCENE_IN_CHILD([] {
    Math_Init();
    Math_Seed_Random();
    Flare_Set_Spark(0, 0, 0);
    const FlareSpark s0 = *Flare_Get_Spark(0);
    Flare_Move_Sparks(0);
    bool ok = CHILD_EQ(Flare_Get_Spark(0)->angle_a, 0) && CHILD_EQ(Flare_Get_Spark(0)->x, 0);
    Flare_Move_Sparks(256);
    const FlareSpark* s = Flare_Get_Spark(0);
    // A at an eighth of a turn; B at 256 x speed, a multiple of an eighth: its cosine is 0, -1/sqrt 2 or -1.
    const i32 b = 256 * s0.speed_b % 2048;
    const f32 cos_b = b == 512 ? 0.0f : b == 1024 ? -1.0f : -0.70710677f;
    ok = ok && CHILD_EQ(s->angle_a, 256) && CHILD_EQ(s->angle_b, b);
    const f32 l = f32(s0.length);
    ok = ok && Child_Check(std::abs(s->x - i32(2 * cos_b * 0.70710677f * l)) <= 1, "x", s->x) &&
         Child_Check(std::abs(s->y - i32(cos_b * 0.70710677f * l)) <= 1, "y", s->y);
    // Angles given past a turn are kept within it.
    Flare_Set_Spark(1, 4094, -2);
    return ok && CHILD_EQ(Flare_Get_Spark(1)->angle_a, 2046) && CHILD_EQ(Flare_Get_Spark(1)->angle_b, 2046) &&
           CHILD_EQ(Flare_Spark_Count(), 2u);
  }());
}

TEST(FlareSparks, IndexPastTheTableIsFatal) {
  EXPECT_SCENE_FATAL("Flare: Spark 150 out of range", Flare_Set_Spark(150, 0, 0));
}

TEST(FlareLevels, StartFlashLastsThreeHundredEightyTicksAndFreezesTheLevels) {
  EXPECT_SCENE_IN_CHILD([] {
    Flare_Reset();
    bool ok = CHILD_EQ(Flare_Startup(), 190);
    for (i32 t = 1; t <= 380 && ok; t++) {
      Flare_Darken_Glow();
      Flare_Darken_Beams();
      Flare_Tick();
      ok = CHILD_EQ(Flare_Startup(), 190 - t / 2) && CHILD_EQ(Flare_Glow_Level(), 0) && CHILD_EQ(Flare_Beam_Level(), 0);
    }
    Flare_Lighten_Glow();
    ok = ok && CHILD_EQ(Flare_Glow_Level(), 0);
    for (int i = 0; i < 300; i++) Flare_Darken_Glow();
    Flare_Darken_Beams();
    Flare_Darken_Beams();
    Flare_Lighten_Beams();
    return ok && CHILD_EQ(Flare_Glow_Level(), 255) && CHILD_EQ(Flare_Beam_Level(), 1);
  }());
}

TEST(FlareDraw, NothingOnceTheFlashIsOverAndBothLevelsAreFull) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Load();
    Flare_Reset();
    Flare_Set_View();
    for (int i = 0; i < 380; i++) Flare_Tick();
    for (int i = 0; i < 255; i++) Flare_Darken_Glow(), Flare_Darken_Beams();
    Vbe_Fill(0x102030);
    const u32 before = Engine_Crc(vbe_screen.frame, 320 * 172);
    bool ok = CHILD_EQ(Flare_Draw(), false) && CHILD_EQ(Engine_Crc(vbe_screen.frame, 320 * 172), before);
    // With the glow one step back the glow is drawn, and the beams, at level 255, add nothing.
    Flare_Lighten_Glow();
    ok = ok && CHILD_EQ(Flare_Draw(), true);
    const std::vector<u32> drawn(vbe_screen.frame, vbe_screen.frame + 320 * 172);
    Vbe_Fill(0x102030);
    Vbe_Sprite_Darken(0, 35, Flare_Glow_Picture(), 254);
    return ok && Child_Check(std::equal(drawn.begin(), drawn.end(), vbe_screen.frame), "only the glow");
  }());
}

TEST(FlareDraw, BeamColourIsLimitedToThreeAndTakenFromThreeTints) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Set_View();
    Flare_Reset();
    Math_Seed_Random();
    Flare_Set_Spark(0, 2047, 0);  // after one tick A is 0: a beam to the right of the centre
    bool ok = Child_Check(Flare_Get_Spark(0)->length > 20, "a long beam", Flare_Get_Spark(0)->length);
    Flare_Move_Sparks(1);
    const i32 end_x = Flare_Get_Spark(0)->x;
    ok = ok && CHILD_EQ(Flare_Get_Spark(0)->y, 0) && Child_Check(end_x > 0, "to the right", end_x);
    // No pictures: only the beam is drawn, and its first pixel holds its colour once.
    std::vector<u32> colours;
    for (int i = 0; i < 12; i++) {
      Vbe_Clear();
      Flare_Tick();
      Flare_Draw();
      colours.push_back(vbe_screen.frame[85 * 320 + 160]);
    }
    for (u32 c : colours)
      ok = ok && Child_Check(c == 0x030301 || c == 0x030101 || c == 0x010103, "tint", c);
    return ok;
  }());
}

TEST(FlareRun, OneFrameOfTheFlareAloneThenNoTick) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Flare_Load();
    Poly_Set_Clip(0, 0, 319, 171);
    Flare_Run();
    // The flash band is presented: the glow brightened by the full start-up counter, blurred and trailed.
    bool ok = CHILD_EQ(poly_state.ymin, 35) && CHILD_EQ(Flare_Startup(), 190);
    ok = ok && Child_Check(vbe_screen.frame[60 * 320 + 20] != 0 && vbe_screen.frame[20 * 320 + 20] == 0, "band only");
    Music_Call_Callback();
    return ok && CHILD_EQ(Flare_Startup(), 190);
  }());
}
