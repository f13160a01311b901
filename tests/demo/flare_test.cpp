// Flare effect: the beam line plot, its clipping, the start flash's levels and the spark table's bound.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "demo/flare/flare.h"
#include "render/poly.h"
#include "video/pixel.h"
#include "scene_fixture.h"

namespace {
typedef std::map<std::pair<u32, u32>, u32> Pixels;  // (x, y) -> value

// Every non-zero pixel of the frame.
Pixels Lit(void) {
  Pixels lit;
  for (u32 y = 0; y < vbe_screen.height; y++)
    for (u32 x = 0; x < vbe_screen.width; x++)
      if (u32 v = vbe_screen.frame[y * vbe_screen.width + x]) lit[{x, y}] = v;
  return lit;
}

// The pixels a plot sequence lights: each plot adds at (x, y), (x + 1, y) and twice at (x + 1, y + 1).
Pixels Plots(const std::vector<std::pair<u32, u32>>& plots) {
  Pixels want;
  for (auto [x, y] : plots) want[{x, y}] += 1, want[{x + 1, y}] += 1, want[{x + 1, y + 1}] += 2;
  return want;
}

bool Same(const Pixels& got, const Pixels& want, const char* what) {
  if (got == want) return true;
  fprintf(stderr, "%s:\n", what);
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

// Lines plot up to but not the end point; the last column spills into the first of the next rows, and
// plots past the 320x172 frame's end are dropped.
TEST(FlareLine, PlotsStepAlongTheLongerAxisAndStayInTheFrame) {
  EXPECT_CHILD(0, Child_Pass([] {
    Start();
    const struct {
      i32 x0, y0, x1, y1;
      Pixels want;
    } rows[] = {
        {10, 10, 14, 11, Plots({{10, 10}, {11, 10}, {12, 11}, {13, 11}})},
        {10, 10, 11, 14, Plots({{10, 10}, {10, 11}, {11, 12}, {11, 13}})},
        {10, 10, 13, 7, Plots({{10, 10}, {11, 9}, {12, 8}})},
        {30, 20, 27, 20, Plots({{30, 20}, {29, 20}, {28, 20}})},
        {50, 50, 50, 50, {}},
        {319, 50, 319, 52, {{{319, 50}, 1}, {{0, 51}, 1}, {{319, 51}, 1}, {{0, 52}, 3}, {{0, 53}, 2}}},
        {316, 171, 319, 171, {{{316, 171}, 1}, {{317, 171}, 2}, {{318, 171}, 2}, {{319, 171}, 1}}},
    };
    bool ok = true;
    for (auto& r : rows) {
      Vbe_Clear();
      Flare_Add_Line(r.x0, r.y0, r.x1, r.y1, 1);
      ok = Same(Lit(), r.want, "line") && ok;
    }
    // Adds saturate: the lower-right pixel gets the colour twice.
    vbe_screen.frame[60 * 320 + 61] = 0xF0FE05;
    Flare_Add_Line(60, 59, 61, 59, 0x030303);
    return ok && CHILD_EQ(vbe_screen.frame[60 * 320 + 61], 0xF6FF0Bu);
  }()));
}

TEST(FlareClip, BeamsAreCutAtTheViewWindow) {
  EXPECT_CHILD(0, Child_Pass([] {
    Start();
    Flare_Set_View();  // the window (1, 35) - (319, 133)
    // Right: cut at x 319, which is not plotted; up: cut at row 35.
    std::vector<std::pair<u32, u32>> right, up;
    for (u32 x = 160; x < 319; x++) right.push_back({x, 85});
    for (u32 y = 85; y > 35; y--) up.push_back({160, y});
    Flare_Clip_Line(160, 85, 760, 85, 1);
    bool ok = Same(Lit(), Plots(right), "right");
    Vbe_Clear();
    Flare_Clip_Line(160, 85, 160, -300, 1);
    ok = Same(Lit(), Plots(up), "up") && ok;
    Vbe_Clear();
    Flare_Clip_Line(0, 10, 300, 20, 1);  // wholly outside
    return Same(Lit(), {}, "outside") && ok;
  }()));
}

TEST(FlareLevels, StartFlashLastsThreeHundredEightyTicksAndFreezesTheLevels) {
  EXPECT_CHILD(0, Child_Pass([] {
    Flare_Reset();
    bool ok = CHILD_EQ(Flare_Startup(), 190);
    for (i32 t = 1; t <= 380 && ok; t++) {
      Flare_Darken_Glow();
      Flare_Darken_Beams();
      Flare_Tick();
      ok = CHILD_EQ(Flare_Startup(), 190 - t / 2) && CHILD_EQ(Flare_Glow_Level(), 0) && CHILD_EQ(Flare_Beam_Level(), 0);
    }
    for (int i = 0; i < 300; i++) Flare_Darken_Glow();
    return ok && CHILD_EQ(Flare_Glow_Level(), 255);
  }()));
  EXPECT_FATAL("Flare: Spark 150 out of range", Flare_Set_Spark(150, 0, 0));
}
