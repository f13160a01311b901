// Rig scene: slot table, reflections, beacon timing, the fade under the sky, and whole frames.
#include "scene_fixture.h"

#include "art.h"
#include "render/mesh.h"
#include "render/texture.h"

namespace {
// Texels from the start of the block that holds slot's texture.
i64 Offset(i32 slot, const u32* block) { return Poly_Get_Texture(slot) - block; }

class RigTest : public SceneTest {};
}  // namespace

TEST_F(RigTest, ReflectionsAreMirroredCopiesInTheirLayers) {
  Start(320, 200);
  Serve(Rig_Entries(false));
  Rig_Load();
  const i32 b = Rig_Get_View().first_slot;
  ASSERT_EQ(mesh_work.last_object, 6);
  const u32 keys[7] = {4000, 10000, 8000, 0, 9000, 18000, 17000};
  for (u32 o = 0; o < 7; o++) EXPECT_EQ(mesh_work.objects[o].order_key, keys[o]) << o;
  // The horizon's reflection: its points a quarter as high and upside down, textures 4 slots on.
  const MeshObject& ring = mesh_work.objects[1];
  const MeshObject& c1 = mesh_work.objects[5];
  ASSERT_EQ(c1.point_count, ring.point_count);
  for (u32 k = 0; k < ring.point_count; k++) {
    EXPECT_EQ(mesh_work.points[c1.first_point + k].y, mesh_work.points[ring.first_point + k].y * -0.25f);
    EXPECT_EQ(mesh_work.points[c1.first_point + k].x, mesh_work.points[ring.first_point + k].x);
  }
  const i32 cycle[4] = {0, 3, 2, 1};
  for (u32 k = 0; k < ring.poly_count; k++) {
    EXPECT_EQ(mesh_work.polys[ring.first_poly + k].texture, b + cycle[k % 4]);
    EXPECT_EQ(mesh_work.polys[c1.first_poly + k].texture, b + 4 + cycle[k % 4]);
    EXPECT_EQ(mesh_work.polys[c1.first_poly + k].u_scale, 25.0f);
  }
  // The ring's foot was pushed under the water line.
  EXPECT_EQ(mesh_work.points[ring.first_point + 1].y, 2.0f);
  // The structure's reflection: the order of every polygon's corners reversed, textures 10 slots on.
  const MeshObject& s = mesh_work.objects[3];
  const MeshObject& c3 = mesh_work.objects[4];
  const u32 shift = c3.first_point - s.first_point;
  for (u32 k = 0; k < s.poly_count; k++) {
    const MeshPoly& a = mesh_work.polys[s.first_poly + k];
    const MeshPoly& m = mesh_work.polys[c3.first_poly + k];
    EXPECT_EQ(m.texture, a.texture + 10);
    if (a.vertex_count == 4) {
      for (u32 i = 0; i < 4; i++) EXPECT_EQ(m.point[i], a.point[3 - i] + shift);
    }
  }
  EXPECT_EQ(mesh_work.polys[mesh_work.objects[6].first_poly].texture, b + 11);
  EXPECT_EQ(mesh_work.polys[mesh_work.objects[0].first_poly].flags & 0x40, 0x40u);
}

TEST_F(RigTest, BuildCopiesTheSkyAndTheHorizonDarker) {
  Start(320, 200);
  Serve(Rig_Entries(false));
  Rig_Load();
  const i32 b = Rig_Get_View().first_slot;
  Rig_Build_Textures();
  const u32* sky = Poly_Get_Texture(b + 9);
  const u32* dark_sky = Poly_Get_Texture(b + 11);
  for (u32 i : {0u, 1234u, 65535u}) EXPECT_EQ(dark_sky[i], (sky[i] >> 2) & 0x3F3F3Fu) << i;
  const u32* horizon = Poly_Get_Texture(b);
  const u32* dark = Poly_Get_Texture(b + 4) - 0x6000;
  for (u32 i : {0u, 777u, 65279u}) EXPECT_EQ(dark[i], (horizon[i] >> 1) & 0x7F7F7Fu) << i;
  // Slot b starts a row into its picture: the copy's last row lies past it and stays black.
  for (u32 i = 65280; i < 65536; i++) ASSERT_EQ(dark[i], 0u) << i;
  EXPECT_EQ(Offset(b + 7, dark), 0xe080);
  // A second build changes nothing.
  Rig_Build_Textures();
  EXPECT_EQ(Poly_Get_Texture(b + 11), dark_sky);
}

TEST_F(RigTest, FirstFrameBuildsTheTexturesWhenTheLoaderHasNot) {
  Start(320, 200);
  Serve(Rig_Entries(false));
  Rig_Load();
  Sky_Load();
  EXPECT_EQ(Rig_Get_View().textures_built, 0);
  Rig_Frame();
  EXPECT_EQ(Rig_Get_View().textures_built, 1);
  EXPECT_STREQ(Seq_Get_Part_Name(), "rig");
}

// Ticks, then the slots (past the first) of the two beacons: lit for 10 ticks, dark for 80.
TEST_F(RigTest, BeaconsFlashTenTicksThenRestEighty) {
  Load_Rig(320, 200, false);
  Rig_Frame();
  const RigView v = Rig_Get_View();
  const MeshPoly* polys = Mesh_Get_Scene(u32(v.scene))->polys;
  const u32 steps[][3] = {{0, 19, 29}, {9, 19, 29}, {1, 20, 30}, {79, 20, 30}, {1, 19, 29}, {10, 20, 30}};
  for (auto& step : steps) {
    Ticks(step[0]);
    EXPECT_EQ(polys[v.beacon_a].texture, v.first_slot + i32(step[1])) << Rig_Get_View().ticks;
    EXPECT_EQ(polys[v.beacon_b].texture, v.first_slot + i32(step[2])) << Rig_Get_View().ticks;
  }
  EXPECT_EQ(Rig_Get_View().ticks, 100u);
}

// From Sky_Fade_Out (204, falling by 1, by 2 below 70) the frame sees sky level 80 after 124 ticks:
// the fade lost 124 by then and loses 2 a tick from there, reaching 0 after tick 189; the sky level is
// 21 at tick 159, which switches the sky off.
TEST_F(RigTest, FadeQuickensWhenTheSkyIsLowAndEnds) {
  Load_Rig(320, 200, false);
  Sky_Fade_Out();
  Rig_Start_Fade();
  RigView v = Rig_Get_View();
  EXPECT_EQ(v.fade_level, 253);
  EXPECT_EQ(v.fade_step, 1);
  for (u32 n = 0; n < 124; n++) {
    Rig_Frame();
    Ticks(1);
  }
  v = Rig_Get_View();
  EXPECT_EQ(v.fade_level, 129);
  EXPECT_EQ(v.fade_step, 1);
  Rig_Frame();
  EXPECT_EQ(Rig_Get_View().fade_step, 2);
  Ticks(1);
  EXPECT_EQ(Rig_Get_View().fade_level, 127);
  for (u32 n = 125; n < 159; n++) {
    Rig_Frame();
    Ticks(1);
  }
  EXPECT_EQ(Rig_Get_View().sky_on, 1);
  Rig_Frame();
  EXPECT_EQ(Rig_Get_View().sky_on, 0);
  for (u32 n = 159; n < 188; n++) Ticks(1);
  v = Rig_Get_View();
  EXPECT_EQ(v.fade_on, 1);
  EXPECT_EQ(v.fade_level, 1);
  Ticks(1);
  v = Rig_Get_View();
  EXPECT_EQ(v.fade_on, 0);
  EXPECT_EQ(v.fade_level, 0);
  Rig_Stop_Fade();
  EXPECT_EQ(Rig_Get_View().sky_on, 0);
}

TEST_F(RigTest, ForeignDataIsRefused) {
  Start(320, 200);
  std::vector<DatafileEntry> entries = Rig_Entries(false);
  K3dMesh two = Art_Rig_Surroundings();
  two.objects.pop_back();
  for (DatafileEntry& e : entries)
    if (e.name == "rig/rig6.k3d") e.data = K3d_Write(two);
  Serve(entries);
  EXPECT_SCENE_FATAL("Rig: rig/rig6.k3d must hold three objects", Rig_Load());
  for (DatafileEntry& e : entries)
    if (e.name == "rig/water3.pcx") Art_Pcx(std::vector<u32>(128 * 256), 128, 256, Scene_Temp("w.pcx"), &e.data);
  Serve(entries);
  EXPECT_SCENE_FATAL("Rig: rig/water3.pcx is not a 24-bit picture 256 wide", Rig_Load());
}
