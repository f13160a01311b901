// Rig scene: reflections, beacon timing and the fade under the sky.
#include "scene_fixture.h"

#include "art.h"
#include "render/mesh.h"
#include "render/texture.h"

namespace {
class RigTest : public SceneTest {};
}  // namespace

TEST_F(RigTest, ReflectionsAreMirroredCopiesInTheirLayers) {
  Start(320, 200, Rig_Entries(false));
  Rig_Load();
  ASSERT_EQ(mesh_work.last_object, 6);
  // The horizon's reflection: its points a quarter as high and upside down.
  const MeshObject& ring = mesh_work.objects[1];
  const MeshObject& c1 = mesh_work.objects[5];
  ASSERT_EQ(c1.point_count, ring.point_count);
  for (u32 k = 0; k < ring.point_count; k++) {
    const MeshPoint &p = mesh_work.points[ring.first_point + k], &q = mesh_work.points[c1.first_point + k];
    EXPECT_EQ(std::make_pair(q.x, q.y), std::make_pair(p.x, p.y * -0.25f)) << k;
  }
  // The structure's reflection: the order of every polygon's corners reversed, textures 10 slots on.
  const MeshObject& s = mesh_work.objects[3];
  const MeshObject& c3 = mesh_work.objects[4];
  const u32 shift = c3.first_point - s.first_point;
  for (u32 k = 0; k < s.poly_count; k++) {
    const MeshPoly& a = mesh_work.polys[s.first_poly + k];
    const MeshPoly& m = mesh_work.polys[c3.first_poly + k];
    EXPECT_EQ(m.texture, a.texture + 10);
    for (u32 i = 0; a.vertex_count == 4 && i < 4; i++) EXPECT_EQ(m.point[i], a.point[3 - i] + shift);
  }
}

// Ticks, then the slots (past the first) of the two beacons: lit for 10 ticks, dark for 80.
TEST_F(RigTest, BeaconsFlashTenTicksThenRestEighty) {
  Load_Rig(false);
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
  Load_Rig(false);
  Sky_Fade_Out();
  Rig_Start_Fade();
  for (u32 n = 0; n < 124; n++) Rig_Frame(), Ticks(1);
  EXPECT_EQ(Rig_Get_View().fade_level, 129);
  Rig_Frame();
  EXPECT_EQ(Rig_Get_View().fade_step, 2);
  Ticks(1);
  EXPECT_EQ(Rig_Get_View().fade_level, 127);
  for (u32 n = 125; n < 159; n++) Rig_Frame(), Ticks(1);
  EXPECT_EQ(Rig_Get_View().sky_on, 1);
  Rig_Frame();
  EXPECT_EQ(Rig_Get_View().sky_on, 0);
  for (u32 n = 159; n < 188; n++) Ticks(1);
  EXPECT_EQ(Rig_Get_View().fade_level, 1);
  Ticks(1);
  EXPECT_EQ(std::make_pair(Rig_Get_View().fade_on, Rig_Get_View().fade_level), std::make_pair(u8(0), i32(0)));
}

TEST_F(RigTest, ForeignDataIsRefused) {
  std::vector<DatafileEntry> entries = Rig_Entries(false);
  K3dMesh two = Art_Rig_Surroundings(), bare = two;
  two.objects.pop_back(), bare.objects[1].polygons.clear();
  std::vector<u8> narrow;
  Art_Pcx(std::vector<u32>(128 * 256), 128, 256, Test_Short_Temp("w.pcx"), &narrow);
  const std::tuple<const char*, std::vector<u8>, const char*> rows[] = {
      {"rig/rig6.k3d", K3d_Write(two), "Rig: rig/rig6.k3d must hold three objects"},
      {"rig/rig6.k3d", K3d_Write(bare), "Rig: Object 1 of rig/rig6.k3d has no polygon"},
      {"rig/water3.pcx", narrow, "Rig: rig/water3.pcx is not a 24-bit picture 256 wide"}};
  Start(320, 200);
  for (const auto& [name, data, said] : rows) {
    for (DatafileEntry& e : entries) e.data = e.name == name ? data : e.data;
    Serve(entries);
    EXPECT_FATAL(said, Rig_Load());
  }
}
