// Tests of the VR view and camera calls: turns, focal factors, facing, quads, sound, angles, environment maps.
#include "render/vr.h"

#include "vr_fixture.h"

TEST_F(VrTest, CameraTurnsWrapAroundTheCircle) {
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  MeshScene* s = Mesh_Get_Scene(0);
  s->camera_angles[0] = 2040, s->camera_angles[1] = 5;
  VR_Rotate_Camera(10, -10, -11200);
  EXPECT_EQ(s->camera_angles[0], 2);
  EXPECT_EQ(s->camera_angles[1], 2043);
  EXPECT_EQ(s->camera_angles[2], 2048 * 6 - 11200);
  const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  VR_Rotate_Object(o, 2047, 1, 0);
  VR_Rotate_Object(o, 2, 0, -3);
  EXPECT_EQ(mesh_work.objects[o].angles[0], 1);
  EXPECT_EQ(mesh_work.objects[o].angles[2], 2045);
}

// 50 degrees over 200 lines: 100 / tan 25 = 214.4. A wider aspect than the screen's 1.6 narrows x, a
// narrower one shrinks y. A letterbox cuts the drawing height, not the focal factors: at 640 x 400 with
// 28 lines off at top and bottom, 85 degrees give 200 / tan 42.5 = 218.3, and aspect 1.5 gives y 1.5 / 1.6 x 218.
// Simulated low resolution doubles the height (640 / 800 = 0.8: x 218 / 2), smoothing halves y.
TEST_F(VrTest, FieldOfViewAndAspectSetTheFocalFactors) {
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  VR_Set_Fov(50);
  EXPECT_EQ(std::tuple(poly_state.kx, Mesh_Get_Scene(0)->focal_y), std::tuple(214.0f, 214));
  VR_Set_Aspect(2.0f);
  EXPECT_FLOAT_EQ(vr_view.focal_x, 214.0f / (2.0f / 1.6f));
  VR_Set_Fov(50);
  VR_Set_Aspect(1.0f);
  EXPECT_FLOAT_EQ(vr_view.focal_y, (1.0f / 1.6f) * 214.0f);
  vbe_screen.screen_width = 640, vbe_screen.screen_height = 400, vbe_screen.height = 344;
  VR_Set_Fov(85);
  VR_Set_Aspect(1.5f);
  EXPECT_EQ(std::tuple(poly_state.kx, poly_state.ky, Mesh_Get_Scene(0)->focal_y), std::tuple(218.0f, 204.375f, 204));
  vbe_screen.low_res = vbe_screen.smoothing = 1;
  VR_Set_Fov(85);
  VR_Set_Aspect(1.6f);
  EXPECT_EQ(std::tuple(poly_state.kx, poly_state.ky), std::tuple(109.0f, 109.0f));
}

// A camera-facing object turns its normals with the camera's own matrix, not one aimed at the object.
TEST_F(VrTest, CameraFacingObjectTakesTheCameraMatrix) {
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  Mesh_Add_Object(300, 100, 500, 0, 0, kMeshObjectMovable | 0x10000, nullptr);
  Mesh_Add_Point(0, 0, 0);
  Mesh_End_Object();
  VR_Rotate_Camera(100, 200, 0);
  VR_Store_Scene();
  VR_Select_Scene(0);
  VR_Render_Frame();
  VR_Make_Camera_Matrix();
  for (u32 k = 0; k < 9; k++) EXPECT_EQ(vr_object_matrix.m[k], vr_camera_matrix.m[k]) << k;
}

TEST_F(VrTest, AdditiveQuadSaturatesAndClips) {
  const u32* texture = Poly_Get_Texture(Add_Texture(0));
  std::fill(frame.begin(), frame.end(), 0x00F0F0F0);
  VR_Draw_Quad_Additive(-20, -20, texture, 60, 60, 0, 0, 32, 32);
  EXPECT_EQ(frame[0], 0x00FFFFFFu);  // 0xF0 + 0xA0 saturates
  EXPECT_EQ(frame[39 + 39 * 320], 0x00FFFFFFu);
  EXPECT_EQ(frame[41 + 41 * 320], 0x00F0F0F0u);
}

// Positional sound (sound unit 10, camera at the origin, yaw 0 or a quarter turn), then a direction's angles.
TEST_F(VrTest, PositionalSoundAndDirectionAngles) {
  VR_Set_Sound_Unit(10), VR_Set_Camera_Position(0, 0, 0);
  const struct { f32 x, y, z; i32 yaw, base, volume, pan; } sounds[] = {{100, 0, 0, 0, 63, 63, 40},
      {0, 0, 300, 0, 30, 10, 0}, {-500, 0, 0, 0, 63, 23, -63}, {30, 40, 0, 0, 20, 25, 12},
      {0, 0, 50, 512, 63, 63, -20}, {0, 0, 1000, 0, 20, 10, 0}};
  for (const auto& s : sounds) {
    vr_camera.angles[VR_YAW] = s.yaw;
    i32 volume = 0, pan = 0;
    VR_Sound_Volume_Pan(s.x, s.y, s.z, s.base, &volume, &pan);
    EXPECT_EQ(std::pair(volume, pan), std::pair(s.volume, s.pan)) << s.x << "," << s.z;
  }
  const struct { f32 x, y, z; i32 pitch, yaw; } directions[] = {
      {0, 1, 1.7320508f, 1878, 0}, {1, 0, -1.7320508f, 0, 854}, {-1, 0, 1.7320508f, 0, 1878}, {0, -2, 0, 512, 0}};
  for (const auto& d : directions) {
    VR_Direction_To_Angles(d.x, d.y, d.z);
    EXPECT_EQ(std::pair(vr_camera.angles[VR_PITCH], vr_camera.angles[VR_YAW]), std::pair(d.pitch, d.yaw)) << d.x;
  }
}

// Shade 128, origin (10, 20): normals 0-2 by forms 0 (y), 1 (z), 2 (none); 3-5 from sprites, depth >> 2, height >> 1.
TEST_F(VrTest, EnvironmentCoordinates) {
  vr_view.origin_x = 10, vr_view.origin_y = 20, vr_view.depth_shift = 2, vr_view.height_shift = 1;
  const VrRotatedNormal n[3] = {{60.7f, -30.2f, 10, 0, 0}, {-20.5f, 0, 40.9f, 0, 0}, {1, 1, 1, 7, 7}};
  std::copy(n, n + 3, vr_normals);
  for (u32 form = 0; form < 3; form++) VR_Normal_Env_Coords(form, 1, form, 128);
  const i32 sprites[3][3] = {{100, 10, 400}, {20, -51, 40}, {400, -7, 4000}};  // screen x, camera y, z
  for (u32 i = 0; i < 3; i++)
    vr_projected[i].x = sprites[i][0], vr_transformed[i] = MeshPoint{0, f32(sprites[i][1]), f32(sprites[i][2]), 0, 0};
  VR_Sprite_Env_Coords(0, 3, 3, 128);
  std::vector<std::pair<u32, u32>> got;
  for (u32 i = 0; i < 6; i++) got.push_back({vr_normals[i].s, vr_normals[i].t});
  EXPECT_EQ(got, (std::vector<std::pair<u32, u32>>{{178, 65459}, {98, 65388}, {7, 7}, {60, 175}, {5, 239}, {250, 5}}));
}
