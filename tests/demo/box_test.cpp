// Box scene: loading, the spin table, the orbiting camera, the shell's wobble, the beat flash and whole frames.
#include "scene_fixture.h"

#include <cmath>

#include "render/vrtransform.h"

namespace {
class BoxTest : public SceneTest {
 protected:
  void Draw(u32 row) {
    music_position.row = row;
    Box_Frame();
  }
  MeshScene* Scene(void) { return Mesh_Get_Scene(u32(Box_Get_Scene())); }
  const MeshObject& Object(u32 o) { return Scene()->objects[o]; }
};

u32 Texel_Crc(const u32* texels, u32 count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(texels), count * 4));
}
}  // namespace

TEST_F(BoxTest, ShellFacesOutwardAndItsWobbleStartsAtTenStepsAPoint) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  const BoxWobblePoint* w = Box_Get_Wobble_Table();
  const u32 first = Object(Box_Get_Shell()).first_point;
  EXPECT_EQ(first, kArtBoxShellFirstPoint);  // the made shell orders its points by this
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) {
    EXPECT_EQ(w[k].index, first + k);
    EXPECT_EQ(w[k].phase, (10 * (first + k)) & 1023);
    const f32 out = w[k].normal.x * w[k].point.x + w[k].normal.y * w[k].point.y + w[k].normal.z * w[k].point.z;
    EXPECT_GT(out, 0.0f) << "point " << k;
  }
}

TEST_F(BoxTest, SpinModesTurnTheRoomAndTheSprites) {
  const i32 expect[3][2][3] = {{{3, 1, 2}, {2, 2, 10}}, {{3, 1, 2}, {2, 2, 4}}, {{5, 3, 7}, {3, 2, 10}}};
  void (*modes[3])(void) = {Box_Set_Spin_Mode_1, Box_Set_Spin_Mode_2, Box_Set_Spin_Mode_3};
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  Draw(1);
  for (u32 m = 0; m < 3; m++) {
    modes[m]();
    for (u32 o = 0; o < 2; o++)
      for (u32 a = 0; a < 3; a++) Scene()->objects[o].angles[a] = 0;
    Ticks(1);
    for (u32 o = 0; o < 2; o++)
      for (u32 a = 0; a < 3; a++) EXPECT_EQ(Object(o).angles[a], expect[m][o][a]) << m << o << a;
    EXPECT_EQ(Object(2).angles[0] + Object(2).angles[1] + Object(2).angles[2], 0);
  }
  // Angles stay within the turn: 300 ticks of (5, 3, 7).
  Scene()->objects[0].angles[0] = Scene()->objects[0].angles[1] = Scene()->objects[0].angles[2] = 0;
  Ticks(300);
  EXPECT_EQ(Object(0).angles[0], 1500);
  EXPECT_EQ(Object(0).angles[1], 900);
  EXPECT_EQ(Object(0).angles[2], 2100 - 2048);
  // The shell turns only while it is shown, and then the wobble gathers a step a tick.
  Box_Show_Object();
  Ticks(2);
  EXPECT_EQ(Object(2).angles[0], 6);
  EXPECT_EQ(Object(2).angles[1], 2);
  EXPECT_EQ(Object(2).angles[2], 6);
  EXPECT_EQ(Box_Get_Pending_Steps(), 2u);
}

TEST_F(BoxTest, CameraRidesTheSwayUntilTheShellShows) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  const f32* c = Scene()->camera_position;
  design_state.sway_amplitude = 0;
  Draw(1);
  EXPECT_EQ(c[0], 0.0f);
  EXPECT_EQ(c[1], 0.0f);
  EXPECT_EQ(c[2], 0.0f);
  design_state.sway_amplitude = 540;
  Draw(1);
  EXPECT_EQ(c[2], 540.0f);
  design_state.sway_amplitude = -600;
  Draw(1);
  EXPECT_EQ(c[2], -600.0f);
  // An eighth of a turn of the scene camera: sin = cos = 0.7071, so 381.8 rounds down.
  Scene()->camera_angles[1] = 256;
  design_state.sway_amplitude = 540;
  Draw(1);
  EXPECT_EQ(c[0], 381.0f);
  EXPECT_EQ(c[1], 0.0f);
  EXPECT_EQ(c[2], 381.0f);
  Box_Show_Object();
  EXPECT_EQ(Object(2).hidden, 0);
  Draw(1);
  EXPECT_EQ(c[0], 0.0f);
  EXPECT_EQ(c[2], -500.0f);
  Box_Hide_Object();
  EXPECT_EQ(Object(2).hidden, 1);
  EXPECT_EQ(Box_Get_Shell_Shown(), 0);
}

TEST_F(BoxTest, WobbleStepsReachTheFrameThatFollowsThem) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  Draw(1);
  Box_Show_Object();
  std::vector<u32> before;
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) before.push_back(Box_Get_Wobble_Table()[k].phase);
  Ticks(3);
  Draw(1);
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) EXPECT_EQ(Box_Get_Wobble_Table()[k].phase, (before[k] + 6) & 1023);
  Draw(1);
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) EXPECT_EQ(Box_Get_Wobble_Table()[k].phase, (before[k] + 6) & 1023);
}

TEST_F(BoxTest, WobblePushesPointsOutAlongTheirNormals) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  // The first shell point (index 12) starts at phase 120; 68 steps bring it to 256, an eighth of a turn.
  const BoxWobblePoint& e = Box_Get_Wobble_Table()[0];
  ASSERT_EQ(e.phase, 120u);
  for (u32 i = 0; i < 68; i++) Box_Add_Wobble_Step();
  Box_Wobble();
  EXPECT_EQ(e.phase, 256u);
  const MeshPoint* r = Object(Box_Get_Shell()).anim_buffer;
  const f32 d[3] = {r[0].x - e.point.x, r[0].y - e.point.y, r[0].z - e.point.z};
  EXPECT_NEAR(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 84.85f, 0.01f);
  EXPECT_NEAR(d[0], e.normal.x * 84.8528f, 0.01f);
  EXPECT_NEAR(d[1], e.normal.y * 84.8528f, 0.01f);
  EXPECT_EQ(r[0].normal, e.point.normal);
  // Phases 0..1023 are half a turn: every point stays on or outside its place.
  for (u32 i = 0; i < 300; i++) Box_Add_Wobble_Step();
  Box_Wobble();
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) {
    const BoxWobblePoint& w = Box_Get_Wobble_Table()[k];
    const f32 out = (r[k].x - w.point.x) * w.normal.x + (r[k].y - w.point.y) * w.normal.y + (r[k].z - w.point.z) * w.normal.z;
    EXPECT_GE(out, -0.001f);
    EXPECT_LE(out, 120.001f);
  }
}

TEST_F(BoxTest, BeatFlashFollowsItsSwitch) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  design_state.last_row = 0;
  Box_Stop_Beat_Flash();
  Draw(8);
  EXPECT_EQ(design_state.flash_on, 0);
  Box_Start_Beat_Flash();
  Draw(8);
  EXPECT_EQ(design_state.flash_on, 1);
  EXPECT_EQ(design_state.level, 100);
}

TEST_F(BoxTest, ColourMapSwapsTheLayersChannelsAndTwiceRestores) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  const u8 t = Box_Get_First_Slot();
  const u32 base = Texel_Crc(Poly_Get_Texture(t), 65536), lens = Texel_Crc(Poly_Get_Texture(t + 2), 16384);
  const u32 env = Texel_Crc(Poly_Get_Texture(t + 1), 65536);
  Box_Colour_Map();
  EXPECT_NE(Texel_Crc(Poly_Get_Texture(t), 65536), base);
  EXPECT_NE(Texel_Crc(Poly_Get_Texture(t + 2), 16384), lens);
  EXPECT_EQ(Texel_Crc(Poly_Get_Texture(t + 1), 65536), env);
  Box_Colour_Map();
  EXPECT_EQ(Texel_Crc(Poly_Get_Texture(t), 65536), base);
  EXPECT_EQ(Texel_Crc(Poly_Get_Texture(t + 2), 16384), lens);
}

TEST_F(BoxTest, SwaySettersChangeTheFieldOfViewAndAmplitude) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  const f32 wide = Scene()->focal_x;
  Box_Start_Sway();
  EXPECT_EQ(design_state.sway_amplitude, 540);
  EXPECT_GT(Scene()->focal_x, wide);
  Box_Stop_Sway();
  EXPECT_EQ(design_state.sway_amplitude, 0);
  EXPECT_EQ(Scene()->focal_x, wide);
}

TEST_F(BoxTest, WobbleRefusesAnObjectWithoutAnimationRecords) {
  Start_As_Host(320, 200);
  Load_Race_And_Box();
  Mesh_Create_Scene(10, 10, 2, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (u32 k = 0; k < 3; k++) Mesh_Add_Point(f32(k), 0, 0);
  Mesh_End_Object();
  EXPECT_SCENE_FATAL("Box: Object 0 has no animation records for its 3 points", Box_Init_Wobble(0));
}

