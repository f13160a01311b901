// Tests of the test show's data: the corridor is a sound sector world for its camera path, the mesh
// faces outward, and the picture comes back from its PCX file texel for texel.
#include "show_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/k3d.h"
#include "video/pcx.h"
#include "vr_fixture.h"
#include "writer.h"

namespace {
class ShowDataTest : public VrTest {
 protected:
  u32 Object(const char* name) {
    for (i32 o = 0; o <= mesh_work.last_object; o++)
      if (std::string(mesh_work.objects[o].name) == name) return u32(o);
    ADD_FAILURE() << "no object " << name;
    return 0;
  }
  void Load_Corridor(void) {
    const std::vector<u8> bytes = K3d_Write(Show_Corridor());
    Mesh_Create_Scene(500, 500, 20, 4, 500);
    Mesh_Load_K3D_Objects_Buffer("corridor.k3d", bytes.data(), u32(bytes.size()), 0, 0, 0, 1.0f, 0, 0, 0, 0x3C00005);
    VR_Init_Sectors();
  }
};

struct Vec3 {
  f32 x, y, z;
};
Vec3 Sub(const K3dPoint& a, const K3dPoint& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
// The engine's face normal of a polygon: (A - B) x (A - last).
Vec3 Face_Normal(const K3dObject& o, const K3dPolygon& p) {
  const Vec3 e1 = Sub(o.points[p.points[0]], o.points[p.points[1]]);
  const Vec3 e2 = Sub(o.points[p.points[0]], o.points[p.points.back()]);
  return {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
}
Vec3 Centroid(const K3dObject& o, const K3dPolygon& p) {
  Vec3 c = {0, 0, 0};
  for (u16 i : p.points) c = {c.x + o.points[i][0], c.y + o.points[i][1], c.z + o.points[i][2]};
  const f32 n = f32(p.points.size());
  return {c.x / n, c.y / n, c.z / n};
}
}  // namespace

TEST_F(ShowDataTest, CorridorJoinsFourSectorsThroughThreeViewsAndOneDoor) {
  Load_Corridor();
  const u32 room0 = Object("room0"), door = Object("door0"), room1 = Object("room1"), room2 = Object("room2");
  ASSERT_EQ(mesh_work.door_count, 3u);
  const u32 joins[3][2] = {{room0, door}, {door, room1}, {room1, room2}};
  for (u32 d = 0; d < 3; d++) {
    const MeshDoor& r = mesh_work.doors[d];
    EXPECT_EQ(std::min(r.sector_a, r.sector_b), std::min(joins[d][0], joins[d][1])) << d;
    EXPECT_EQ(std::max(r.sector_a, r.sector_b), std::max(joins[d][0], joins[d][1])) << d;
  }
  const MeshObject& o = mesh_work.objects[door];
  EXPECT_EQ(o.kind, 2);
  EXPECT_GE(o.point_count, 8);
  EXPECT_GE(o.poly_count, 6);
  EXPECT_EQ(vr_engine.event_count, 1u);
  // The panel's moving edge hangs just under the ceiling, across the whole passage.
  for (u32 k = 4; k < 8; k++) {
    const MeshPoint& p = mesh_work.points[o.first_point + k];
    EXPECT_EQ(p.y, -kShowHalfHeight + kShowPanelOpen) << k;
    EXPECT_EQ(std::fabs(p.x), kShowDoorHalfWidth) << k;
  }
}

TEST_F(ShowDataTest, CameraPathStaysInsideTheSectorsAndReachesTheDoorWhenItIsOpen) {
  Load_Corridor();
  const std::string path = Test_File_Name("corridor.cam");
  ASSERT_TRUE(Write_File(path, Path_Write_Camera(Show_Camera_Keys())));
  VR_Load_Camera_Path(path.c_str(), 1.0f);
  ASSERT_EQ(vr_engine.path.record_count, kShowPathRecords);
  const MeshObject& door = mesh_work.objects[Object("door0")];
  f32 centre[3];
  for (u32 k = 0; k < 3; k++) centre[k] = (door.bbox[2 * k] + door.bbox[2 * k + 1]) * 0.5f;
  i32 near = -1, inside = -1;
  for (u32 r = 0; r < kShowPathRecords; r++) {
    const f32* p = vr_engine.path.buffer[r].position;
    bool held = false;
    for (i32 o = 0; o <= mesh_work.last_object; o++) {
      const MeshObject& s = mesh_work.objects[o];
      if (s.kind == 1) continue;
      held = held || (s.bbox[0] < p[0] && p[0] < s.bbox[1] && s.bbox[2] < p[1] && p[1] < s.bbox[3] &&
                      s.bbox[4] < p[2] && p[2] < s.bbox[5]);
    }
    EXPECT_TRUE(held) << "record " << r << " at " << p[0] << ", " << p[1] << ", " << p[2];
    const f32 d = std::sqrt((p[0] - centre[0]) * (p[0] - centre[0]) + (p[1] - centre[1]) * (p[1] - centre[1]) +
                            (p[2] - centre[2]) * (p[2] - centre[2]));
    if (near < 0 && d < kShowDoorOpenDistance) near = i32(r);
    if (inside < 0 && p[2] > door.bbox[4]) inside = i32(r);
  }
  // A record a tick: the door's 72-step run is over before the camera passes into it.
  ASSERT_GE(near, 0);
  EXPECT_GT(inside - near, 72 + 20);
  EXPECT_GT(vr_engine.path.buffer[kShowPathRecords - 1].position[2], 5500.0f);
  VR_Free_Camera_Path();
}

// Every pixel of every frame along the path is painted: the sectors close the view and no two edges
// meet halfway along a third, with the door open and, before it, shut.
TEST_F(ShowDataTest, CorridorLeavesNoPixelUnpaintedAlongThePath) {
  for (u32 i = 0; i < 4; i++) Add_Texture(i);
  Load_Corridor();
  for (i32 o = 0; o <= mesh_work.last_object; o++) Mesh_Set_Object_Tex_Scale(u32(o), 1000.0f, 256.0f);
  const std::string path = Test_File_Name("corridor.cam");
  ASSERT_TRUE(Write_File(path, Path_Write_Camera(Show_Camera_Keys())));
  VR_Set_Fov(75);
  VR_Load_Camera_Path(path.c_str(), 1.0f);
  Poly_Set_Near(50.0f);
  VR_Store_Scene();
  MeshObject& door = mesh_work.objects[Object("door0")];
  for (u32 closed = 0; closed < 2; closed++) {
    // Shut, the panel's bottom edge is down on the floor, 72 steps of 12 below its open place.
    door.door_closed = u8(closed);
    for (u32 k = 4; closed && k < 8; k++) Mesh_Move_Point(door.first_point + k, 0, 72 * 12.0f, 0);
    for (u32 r = 0; r < (closed ? 150 : kShowPathRecords); r += 7) {
      VR_Select_Scene(0);
      VR_Seek_Camera_Path(i32(r));
      std::fill(frame.begin(), frame.end(), 0);
      VR_Render_Frame();
      EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), 0) << "record " << r << (closed ? ", door shut" : "");
    }
  }
  VR_Free_Camera_Path();
}

TEST_F(ShowDataTest, MeshFacesOutwardAndTheRingGetsSmoothNormals) {
  const K3dMesh mesh = Show_Mesh();
  ASSERT_EQ(mesh.objects.size(), 2u);
  const K3dObject& cube = mesh.objects[0];
  const K3dObject& ring = mesh.objects[1];
  EXPECT_EQ(cube.polygons.size(), 6u);
  EXPECT_EQ(ring.polygons.size(), 128u);
  EXPECT_EQ(ring.points.size(), 128u);
  for (const K3dPolygon& p : cube.polygons) {
    const Vec3 n = Face_Normal(cube, p), c = Centroid(cube, p);
    EXPECT_GT(n.x * c.x + n.y * c.y + n.z * c.z, 0);
  }
  for (const K3dPolygon& p : ring.polygons) {
    const Vec3 n = Face_Normal(ring, p), c = Centroid(ring, p);
    const f32 a = std::atan2(c.y, c.x);
    const Vec3 out = {c.x - 120.0f * std::cos(a), c.y - 120.0f * std::sin(a), c.z};
    EXPECT_GT(n.x * out.x + n.y * out.y + n.z * out.z, 0);
  }
  const std::vector<u8> bytes = K3d_Write(mesh);
  Mesh_Create_Scene(400, 400, 4, 4, 400);
  Mesh_Set_Shade(96);
  Mesh_Load_K3D_Objects_Buffer("box.k3d", bytes.data(), u32(bytes.size()), 0, 0, 0, 1.0f, 0, 0, 0, 0x16);
  Mesh_Set_Shade(128);
  ASSERT_EQ(mesh_work.movable_count, 2u);
  const MeshObject& o = mesh_work.objects[Object("ring")];
  for (u32 i = o.first_point; i < u32(o.first_point) + o.point_count; i++) {
    const MeshNormal& n = mesh_work.normals[mesh_work.points[i].normal];
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 92.0f, 0.01f) << i;
  }
}

TEST_F(ShowDataTest, PictureComesBackFromItsPcxFile) {
  std::vector<u8> first, second;
  ASSERT_TRUE(Show_Texture_Pcx(Test_File_Name("texture.pcx"), &first));
  ASSERT_TRUE(Show_Texture_Pcx(Test_File_Name("texture.pcx"), &second));
  EXPECT_EQ(first, second);
  PcxPicture picture;
  ASSERT_EQ(Pcx_Decode(first.data(), u32(first.size()), "texture.pcx", 0, &picture), nullptr);
  EXPECT_EQ(picture.header.hres, 256);
  EXPECT_EQ(picture.header.vres, 256);
  EXPECT_EQ(picture.header.colour_planes, 4);
  const std::vector<u32> pixels = Show_Texture_Pixels();
  EXPECT_EQ(std::memcmp(picture.pixels, pixels.data(), pixels.size() * 4), 0);
  Pcx_Free(&picture);
}
