// Race scene: the beat flash, the colour map and painted frames.
#include "scene_fixture.h"

namespace {
class RaceTest : public SceneTest {
 protected:
  void SetUp() override {
    Start_As_Host(320, 200);
    Load_Race_And_Box();
  }
  // Draws a frame at the heard row with the given ticks after it, as the show's frame step does.
  void Fly(u32 row, u32 ticks = 0) {
    music_position.row = row;
    Race_Frame();
    Ticks(ticks);
  }
};
}  // namespace

TEST(RaceBeat, EverySecondBeatOncePerRow) {
  // Row, rows a beat, last row noted, due; no beat set means no flash rather than a division by zero.
  const std::tuple<u32, i32, u32, bool> rows[] = {{8, 4, 0, true},   {16, 4, 15, true}, {8, 4, 8, false},
                                                   {4, 4, 0, false},  {0, 4, 0, false},  {0, 4, 63, true},
                                                   {12, 3, 0, true},  {0, 0, 5, false},  {8, -4, 5, false}};
  for (auto [row, beat, last, due] : rows) EXPECT_EQ(Race_Beat_Due(row, beat, last), due) << row << " " << beat;
}

TEST_F(RaceTest, FlashFiresEveryFrameOfABeatRowWithoutSwayAndOnceWithIt) {
  design_state.sway_on = 0;
  design_state.last_row = 3;
  Fly(8);
  EXPECT_EQ(design_state.level, 100);
  design_state.level = 40;
  Fly(8);
  EXPECT_EQ(design_state.level, 100);
  // With the sway on, the layer notes the row, so the second frame of the row does not flash again.
  design_state.sway_on = 1;
  Fly(16);
  design_state.level = 40;
  Fly(16);
  EXPECT_EQ(design_state.level, 40);
}

TEST_F(RaceTest, ColourMapSwapsRedAndBlueAndTwiceRestores) {
  const u32* metal = Poly_Get_Texture(Race_Get_First_Slot());
  const std::vector<u32> before(metal, metal + 65536);
  Race_Colour_Map();
  const u32 first = before[0];
  EXPECT_EQ(metal[0], (first & 0xFF00FF00) | (first >> 16 & 0xFF) | (first & 0xFF) << 16);
  Race_Colour_Map();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), metal));
}

TEST_F(RaceTest, FramesArePaintedToTheEdges) {
  design_state.last_row = 1;
  Fly(1, 700);
  Fly(1);
  // Every pixel is painted: black only where the plates meet the horizon.
  u32 lit = 0;
  for (u32 i = 0; i < vbe_screen.width * vbe_screen.height; i++) lit += vbe_screen.frame[i] != 0;
  EXPECT_GT(lit, vbe_screen.width * vbe_screen.height * 9 / 10);
}
