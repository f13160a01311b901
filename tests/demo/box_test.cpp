// Box scene: the shell's wobble table and swell and the camera riding the sway.
#include "scene_fixture.h"

#include <cmath>

#include "render/vrtransform.h"

namespace {
class BoxTest : public SceneTest {
 protected:
  void SetUp() override {
    Start_As_Host(320, 200);
    Load_Race_And_Box();
  }
  void Draw(u32 row) {
    music_position.row = row;
    Box_Frame();
  }
  MeshScene* Scene(void) { return Mesh_Get_Scene(u32(Box_Get_Scene())); }
  const MeshObject& Object(u32 o) { return Scene()->objects[o]; }
};
}  // namespace

TEST_F(BoxTest, ShellFacesOutwardAndItsWobbleStartsAtTenStepsAPoint) {
  const BoxWobblePoint* w = Box_Get_Wobble_Table();
  const u32 first = Object(Box_Get_Shell()).first_point;
  EXPECT_EQ(first, kArtBoxShellFirstPoint);  // the made shell orders its points by this
  for (u32 k = 0; k < Box_Get_Wobble_Count(); k++) {
    EXPECT_EQ(std::make_pair(w[k].index, w[k].phase), std::make_pair(first + k, (10 * (first + k)) & 1023)) << k;
    const f32 out = w[k].normal.x * w[k].point.x + w[k].normal.y * w[k].point.y + w[k].normal.z * w[k].point.z;
    EXPECT_GT(out, 0.0f) << "point " << k;
  }
}

TEST_F(BoxTest, CameraRidesTheSwayUntilTheShellShows) {
  const f32* c = Scene()->camera_position;
  design_state.sway_amplitude = -600;
  Draw(1);
  EXPECT_EQ(std::vector<f32>(c, c + 3), std::vector<f32>({0, 0, -600}));
  // An eighth of a turn of the scene camera: sin = cos = 0.7071, so 381.8 rounds down.
  Scene()->camera_angles[1] = 256;
  design_state.sway_amplitude = 540;
  Draw(1);
  EXPECT_EQ(std::vector<f32>(c, c + 3), std::vector<f32>({381, 0, 381}));
  Box_Show_Object();
  Draw(1);
  EXPECT_EQ(std::vector<f32>(c, c + 3), std::vector<f32>({0, 0, -500}));
}

TEST_F(BoxTest, SpinModesTurnTheBoxAndTheSpritesAndTheShownShellPerTick) {
  const u32* m = nullptr;
  ASSERT_EQ(VR_Scene_Movables(Box_Get_Scene(), &m), 3u);
  const struct { void (*set)(); i32 turn[3][3]; } rows[] = {
      {Box_Set_Spin_Mode_1, {{3, 1, 2}, {2, 2, 10}, {0, 0, 0}}}, {Box_Set_Spin_Mode_2, {{3, 1, 2}, {2, 2, 4}, {0, 0, 0}}},
      {Box_Set_Spin_Mode_3, {{5, 3, 7}, {3, 2, 10}, {0, 0, 0}}}, {Box_Show_Object, {{5, 3, 7}, {3, 2, 10}, {3, 1, 3}}}};
  for (const auto& row : rows) {
    row.set();
    auto angles = [&](u32 k) { return VR_Scene_Object(Box_Get_Scene(), m[k])->angles; };
    for (u32 k = 0; k < 3; k++) std::fill_n(angles(k), 3, 2046);
    Music_Set_Callback(Box_Tick), Music_Call_Callback();  // a tick as the host runs it; angles wrap
    for (u32 k = 0; k < 9; k++) EXPECT_EQ(angles(k / 3)[k % 3], (2046 + row.turn[k / 3][k % 3]) % 2048) << k;
  }
}

TEST_F(BoxTest, WobblePushesPointsOutAlongTheirNormals) {
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

TEST_F(BoxTest, WobbleRefusesAnObjectWithoutAnimationRecords) {
  Mesh_Create_Scene(10, 10, 2, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (u32 k = 0; k < 3; k++) Mesh_Add_Point(f32(k), 0, 0);
  Mesh_End_Object();
  EXPECT_FATAL("Box: Object 0 has no animation records for its 3 points", Box_Init_Wobble(0));
  EXPECT_FATAL("Box: No object 1 to wobble", Box_Init_Wobble(1));
}

