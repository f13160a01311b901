// Race scene: loading, sprite fields, the beat flash, the colour map and whole frames on the scene's data.
#include "scene_fixture.h"

#include "art.h"
#include "render/vrpath.h"
#include "video/pcx.h"

namespace {
class RaceTest : public SceneTest {
 protected:
  // Draws n frames at the heard row with the given ticks after each, as the show's frame step does.
  void Fly(u32 frames, u32 ticks_per_frame, u32 row) {
    for (u32 f = 0; f < frames; f++) {
      music_position.row = row;
      Race_Frame();
      Ticks(ticks_per_frame);
    }
  }

  const MeshObject& Object(u32 o) { return Mesh_Get_Scene(u32(Race_Get_Scene()))->objects[o]; }
};

u32 Texel_Crc(const u32* texels, u32 count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(texels), count * 4));
}
}  // namespace

TEST(RaceBeat, EverySecondBeatOncePerRow) {
  EXPECT_TRUE(Race_Beat_Due(8, 4, 0));
  EXPECT_TRUE(Race_Beat_Due(16, 4, 15));
  EXPECT_FALSE(Race_Beat_Due(8, 4, 8));
  EXPECT_FALSE(Race_Beat_Due(4, 4, 0));
  EXPECT_FALSE(Race_Beat_Due(0, 4, 0));
  EXPECT_TRUE(Race_Beat_Due(0, 4, 63));
  EXPECT_TRUE(Race_Beat_Due(12, 3, 0));
  // No beat set: no flash rather than a division by zero.
  EXPECT_FALSE(Race_Beat_Due(0, 0, 5));
  EXPECT_FALSE(Race_Beat_Due(8, -4, 5));
}

TEST_F(RaceTest, FlashFiresEveryFrameOfABeatRowWithoutSwayAndOnceWithIt) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  design_state.sway_on = 0;
  design_state.last_row = 3;
  Fly(1, 0, 8);
  EXPECT_EQ(design_state.level, 100);
  EXPECT_EQ(design_state.flash_on, 1);
  design_state.level = 40;
  Fly(1, 0, 8);
  EXPECT_EQ(design_state.level, 100);
  design_state.flash_on = 0;
  Fly(1, 0, 9);
  EXPECT_EQ(design_state.flash_on, 0);
  // With the sway on, the layer notes the row, so the second frame of the row does not flash again.
  design_state.sway_on = 1;
  Fly(1, 0, 16);
  EXPECT_EQ(design_state.flash_on, 1);
  EXPECT_EQ(design_state.last_row, 16u);
  design_state.level = 40;
  Fly(1, 0, 16);
  EXPECT_EQ(design_state.level, 40);
  // A flash of 100 lasts 20 ticks.
  Fly(1, 0, 24);
  design_state.sway_on = 0;
  Ticks(19);
  EXPECT_EQ(design_state.flash_on, 1);
  Ticks(1);
  EXPECT_EQ(design_state.flash_on, 0);
}

TEST_F(RaceTest, TicksTurnTheFirstFieldAndCountThePathRecord) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  EXPECT_EQ(Race_Get_Ticks(), 0);
  Fly(1, 3, 1);
  EXPECT_EQ(Race_Get_Ticks(), 3);
  EXPECT_EQ(Object(1).angles[1], 21);
  EXPECT_EQ(Object(1).angles[0] + Object(1).angles[2], 0);
  EXPECT_EQ(Object(2).angles[1], 0);
  EXPECT_EQ(Object(0).angles[1], 0);
  // 7 a tick wraps within the turn.
  Ticks(300);
  EXPECT_EQ(Object(1).angles[1], (303 * 7) & 2047);
  // The next frame shows the record of the tick count; the path loops.
  Fly(1, 0, 1);
  EXPECT_EQ(VR_Get_Path_Record(), 303u);
  Ticks(kArtRacePathRecords);
  Fly(1, 0, 1);
  EXPECT_EQ(VR_Get_Path_Record(), 303u);
}

TEST_F(RaceTest, ColourMapSwapsTheLayersChannelsAndTwiceRestores) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  const u8 t = Race_Get_First_Slot();
  const u32* metal = Poly_Get_Texture(t);
  const u32* lens = Poly_Get_Texture(t + 2);
  const u32 metal_crc = Texel_Crc(metal, 65536), lens_crc = Texel_Crc(lens, 16384);
  const u32 first = metal[0];
  Race_Colour_Map();
  // Channels 0 and 2 of the layer: blue and red change places.
  EXPECT_EQ(metal[0], (first & 0xFF00FF00) | (first >> 16 & 0xFF) | (first & 0xFF) << 16);
  EXPECT_NE(Texel_Crc(lens, 16384), lens_crc);
  Race_Colour_Map();
  EXPECT_EQ(Texel_Crc(metal, 65536), metal_crc);
  EXPECT_EQ(Texel_Crc(lens, 16384), lens_crc);
}

TEST_F(RaceTest, HideAndShowTheSpriteFields) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  Race_Hide_Objects();
  EXPECT_EQ(Object(1).hidden, 1);
  EXPECT_EQ(Object(2).hidden, 1);
  EXPECT_EQ(Object(0).hidden, 0);
  Race_Show_Objects();
  EXPECT_EQ(Object(1).hidden + Object(2).hidden, 0);
}

TEST_F(RaceTest, FramesArePaintedToTheEdges) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  design_state.last_row = 1;
  Fly(1, 0, 1);
  Fly(1, 700, 1);
  Fly(1, 0, 1);
  // Every pixel is painted: black only where the plates meet the horizon.
  u32 lit = 0;
  for (u32 i = 0; i < vbe_screen.width * vbe_screen.height; i++) lit += vbe_screen.frame[i] != 0;
  EXPECT_GT(lit, vbe_screen.width * vbe_screen.height * 9 / 10);
}

TEST_F(RaceTest, RefusesAPlateThatIsTooSmall) {
  Start_As_Host(320, 200);
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Race_Entries(Scene_Scratch_Dir(), &entries));
  for (DatafileEntry& e : entries)
    if (e.name == "race/metala.pcx") {
      ASSERT_TRUE(Art_Pcx(std::vector<u32>(128 * 128, 0x808080), 128, 128, Scene_Temp("small.pcx"), &e.data));
    }
  Serve(entries);
  EXPECT_SCENE_FATAL("Race: race/metala.pcx is not a 256x256 24-bit picture", Race_Load());
}
