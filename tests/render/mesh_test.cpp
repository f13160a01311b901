// Tests of the mesh store: scenes, limits, point rounding, normals, sprites and animation frames.
#include "render/mesh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/poly.h"
#include "render/texture.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

namespace {
#define EXPECT_FATAL(stmt, text) EXPECT_FATAL_OUTPUT(Test_File_Name("mesh_fatal.txt"), text, stmt)

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Mesh_Free_All_Scenes();
    Mesh_Init();
    Poly_Init();
  }
  void TearDown() override { Mesh_Free_All_Scenes(); }
};

f32 Length(const MeshNormal& n) { return std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z); }
}  // namespace

TEST_F(MeshTest, SceneAcceptsPointsUpToItsMaximumThenFails) {
  Mesh_Create_Scene(4, 10, 5, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (int i = 0; i < 4; i++) EXPECT_EQ(Mesh_Add_Point(f32(i), 0, 0), u32(i));
  EXPECT_FATAL(Mesh_Add_Point(9, 9, 9), "Mesh: Too many points");
}

TEST_F(MeshTest, ListLimitsFailWithTheirOwnMessages) {
  Mesh_Create_Scene(10, 1, 1, 1, 2);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_FATAL(Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr), "Mesh: Too many objects");
  u32 pts[4] = {0, 0, 0, 0};
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  EXPECT_FATAL(Mesh_Add_Poly(0, 0, 0, 3, pts), "Mesh: Too many polys");
  Mesh_Add_Point(0, 0, 0);
  Mesh_Add_Point(0, 0, 0);
  EXPECT_FATAL(Mesh_Add_Point(0, 0, 0), "Mesh: Too many normals");
  EXPECT_FATAL(Mesh_Add_To_Normal(2, 1, 1, 1), "Mesh: Invalid normal index");
  // (268435454 + 2) x 16 bytes do not fit in 32 bits.
  EXPECT_FATAL(Mesh_Create_Scene(268435454, 1, 1, 1, 1), "Mesh: Scene 1 points   too large (268435456 records)");
}

TEST_F(MeshTest, MovableListTakesOneMoreThanItsMaximum) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  for (int i = 0; i < 3; i++) Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  EXPECT_EQ(mesh_work.movable_count, 3u);
  EXPECT_EQ(mesh_work.movables[2], 2u);
  EXPECT_FATAL(Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr), "Mesh: Too many movable objects");
}

TEST_F(MeshTest, AddsWithoutSceneOrObjectFailCleanly) {
  EXPECT_FATAL(Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr), "Mesh: No scene selected");
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  EXPECT_FATAL(Mesh_Add_Point(0, 0, 0), "Mesh: No current object");
  EXPECT_FATAL(Mesh_Select_Scene(3), "Mesh: Invalid scene 3");
}

TEST_F(MeshTest, PointsAreRoundedDownAndPlacedAtTheObject) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(10, 0, 0, 0, 0, kMeshObjectMovable, Mesh_Alloc_Anim_Buffer(10));
  Mesh_Add_Point(2.7f, 0, 0);
  Mesh_Add_Point(-2.2f, 0, 0);
  EXPECT_EQ(Mesh_Get_Point(0).x, 12.0f);
  EXPECT_EQ(Mesh_Get_Point(1).x, 7.0f);
  const MeshObject& o = mesh_work.objects[0];
  EXPECT_EQ(o.anim_buffer[0].x, 2.7f);
  EXPECT_EQ(o.anim_buffer[1].x, -2.2f);
  EXPECT_EQ(o.anim_buffer[1].normal, 1);
  EXPECT_EQ(Mesh_Get_Point(1).normal, 1);
}

TEST_F(MeshTest, CoordinatesWrapToSixteenBits) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Add_Point(35000.0f, -35000.0f, 1e30f);
  EXPECT_EQ(Mesh_Get_Point(0).x, -30536.0f);
  EXPECT_EQ(Mesh_Get_Point(0).y, 30536.0f);
  EXPECT_EQ(Mesh_Get_Point(0).z, 0.0f);  // out of range: 0x80000000, whose low half is 0
}

TEST_F(MeshTest, MovableObjectWithoutBufferGetsOne) {
  Mesh_Create_Scene(20, 10, 10, 2, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  Mesh_Add_Point(1, 0, 0);
  Mesh_Add_Point(2, 0, 0);
  const MeshObject& o = mesh_work.objects[0];
  ASSERT_NE(o.anim_buffer, nullptr);
  EXPECT_EQ(o.anim_buffer[1].x, 2.0f);
  EXPECT_GE(Mem_Get_Size(o.anim_buffer), 20u * 16);
}

TEST_F(MeshTest, AnimationPointsStayInsideTheirBuffer) {
  Mesh_Create_Scene(20, 10, 10, 2, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, Mesh_Alloc_Anim_Buffer(2));
  Mesh_Begin_Anim_Points(1);
  EXPECT_EQ(Mesh_Add_Point(5, 6, 7), 1u);
  EXPECT_EQ(mesh_work.objects[0].anim_buffer[1].y, 6.0f);
  EXPECT_EQ(mesh_work.last_point, -1);
  EXPECT_FATAL(Mesh_Add_Point(5, 6, 7), "Mesh: Animation buffer overflow");
}

TEST_F(MeshTest, VectorHelpers) {
  MeshVector z = Mesh_Normalize(0, 0, 0);
  EXPECT_EQ(z.x, 0.0f);
  EXPECT_EQ(z.y, 0.0f);
  EXPECT_EQ(z.z, 0.0f);
  MeshVector n = Mesh_Normalize(3, 0, 4);
  EXPECT_FLOAT_EQ(n.x, 0.6f);
  EXPECT_FLOAT_EQ(n.z, 0.8f);
  MeshVector s = Mesh_Scale_Vector(MeshVector{1, 2, 3, 9}, 2);
  EXPECT_EQ(s.z, 6.0f);
  EXPECT_EQ(s.w, 9.0f);

  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Add_Point(0, 0, 0);
  Mesh_Add_Point(1, 0, 0);
  Mesh_Add_Point(0, 1, 0);
  u32 pts[4] = {0, 1, 2, 0};
  u32 p = Mesh_Add_Poly(0, 0, 0, 3, pts);
  MeshVector f = Mesh_Face_Normal(mesh_work.polys[p]);
  EXPECT_EQ(f.x, 0.0f);
  EXPECT_EQ(f.y, 0.0f);
  EXPECT_EQ(f.z, 1.0f);
}

TEST_F(MeshTest, SmoothedNormalsOfAClosedShapeHaveLengthShadeMinusFour) {
  Mesh_Create_Scene(20, 20, 10, 2, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0x4, nullptr);
  // A tetrahedron; every point lies on three faces.
  Mesh_Add_Point(0, 0, 0);
  Mesh_Add_Point(10, 0, 0);
  Mesh_Add_Point(0, 10, 0);
  Mesh_Add_Point(0, 0, 10);
  const u32 faces[4][4] = {{0, 2, 1, 0}, {0, 1, 3, 0}, {0, 3, 2, 0}, {1, 2, 3, 0}};
  for (auto& f : faces) Mesh_Add_Poly(0, 3, 0, 3, f);
  Mesh_End_Object();
  const MeshObject& o = mesh_work.objects[0];
  EXPECT_EQ(o.point_count, 4);
  EXPECT_EQ(o.poly_count, 4);
  for (int i = 0; i < 4; i++) EXPECT_NEAR(Length(mesh_work.normals[i]), 124.0f, 1e-3f);
  // Point 3 sits above: its normal leans to +x +y +z, evenly.
  EXPECT_GT(mesh_work.normals[3].z, 0.0f);
  EXPECT_NEAR(mesh_work.normals[3].x, mesh_work.normals[3].y, 1e-4f);
  // Default texture rectangle on every polygon.
  const MeshPoly& p = mesh_work.polys[1];
  EXPECT_EQ(p.texture, 3);
  EXPECT_EQ(p.u[0], 1);
  EXPECT_EQ(p.v[0], 1);
  EXPECT_EQ(p.u[1], 253);
  EXPECT_EQ(p.v[2], 253);
  EXPECT_EQ(p.u[3], 1);
}

TEST_F(MeshTest, SmoothingWithTinyShadeGivesZeroNormals) {
  Mesh_Create_Scene(20, 20, 10, 2, 20);
  Mesh_Set_Shade(2);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0x8, nullptr);
  Mesh_Add_Point(0, 0, 0);
  Mesh_Add_Point(1, 0, 0);
  Mesh_Add_Point(0, 1, 0);
  u32 pts[4] = {0, 1, 2, 0};
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  Mesh_End_Object();
  EXPECT_EQ(Length(mesh_work.normals[0]), 0.0f);
}

TEST_F(MeshTest, SpritesAndDots) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  static u32 texture[65536];
  texture[5 * 256 + 10] = 0x123456;
  i32 slot = Poly_Add_Texture(texture);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  u32 s = Mesh_Add_Sprite(1, 2, 3, u32(slot), 0x500, 20, 11);
  const MeshPoly& p = mesh_work.polys[s];
  EXPECT_EQ(p.flags, 0x581u);
  EXPECT_EQ(p.vertex_count, 1);
  EXPECT_EQ(p.value, 50000u);
  EXPECT_EQ(p.point[3], 0u);
  u32 t = Mesh_Add_Sprite_Poly(0, u32(slot), 0x200, 20, 11);
  EXPECT_EQ(mesh_work.polys[t].colour, 0x123456u);
  EXPECT_EQ(mesh_work.polys[t].type, 1);
  u32 raw = Mesh_Add_Sprite_Poly(0, 0xABCDEF, 0x800, 0, 0);
  EXPECT_EQ(mesh_work.polys[raw].colour, 0xABCDEFu);
  EXPECT_EQ(mesh_work.polys[raw].texture, 0);
  u32 dot = Mesh_Add_Dot(4, 5, 6, 7, 8, 0x10, 30, 40);
  EXPECT_EQ(dot, 1u);
  const MeshPoly& d = mesh_work.polys[mesh_work.last_poly];
  EXPECT_EQ(d.flags, 0x91u);
  EXPECT_EQ(d.texture, 7);
  EXPECT_EQ(d.type, 8);
  EXPECT_EQ(d.u[0], 30);
  EXPECT_EQ(d.v[0], 40);
}

namespace {
u8 tick_flag = 0;
u8 Tick_Flag(void) { return tick_flag; }
}  // namespace

TEST_F(MeshTest, TickCallsStepTheTickScene) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Set_Anim_Frames(4, 5);
  Mesh_Store_Scene();
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Set_Anim_Frames(4, 7);
  Mesh_Store_Scene();
  Mesh_Set_Tick_Scene(0);
  Mesh_Set_Tick_Query(Tick_Flag);
  tick_flag = 1;
  Mesh_Next_Anim_Frame(0);
  tick_flag = 0;
  Mesh_Set_Tick_Query(nullptr);
  EXPECT_EQ(Mesh_Get_Scene(0)->objects[0].frame_offset, 5u);
  EXPECT_EQ(Mesh_Get_Scene(1)->objects[0].frame_offset, 0u);
  Mesh_Next_Anim_Frame(0);
  EXPECT_EQ(Mesh_Get_Scene(1)->objects[0].frame_offset, 7u);
}

TEST_F(MeshTest, ScenesKeepTheirOwnCounters) {
  EXPECT_EQ(Mesh_Create_Scene(200, 10, 10, 2, 200), 0u);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (int i = 0; i < 10; i++) Mesh_Add_Point(f32(i), 0, 0);
  Mesh_Store_Scene();
  EXPECT_STREQ(Mem_Get_Description(Mesh_Get_Scene(0)->points), "Mesh: Scene 0 points  (9/200)");
  EXPECT_STREQ(Mem_Get_Description(Mesh_Get_Scene(0)->doors), "Mesh: Scene 0 doors   (0/100)");
  EXPECT_EQ(Mesh_Create_Scene(5, 5, 5, 5, 5), 1u);
  EXPECT_STREQ(Mem_Get_Description(Mesh_Get_Scene(1)->polys), "Mesh: Scene 1 polys   (5)");
  EXPECT_EQ(Mesh_Get_Selected_Scene(), 1);
  EXPECT_EQ(Mesh_Get_Tick_Scene(), 1);
  EXPECT_EQ(mesh_work.last_point, -1);
  Mesh_Select_Scene(0);
  EXPECT_EQ(mesh_work.last_point, 9);
  EXPECT_EQ(mesh_work.last_object, 0);
  EXPECT_EQ(mesh_work.max[MESH_MAX_POINTS], 200u);
}

TEST_F(MeshTest, ObjectRangesAndDefaults) {
  Mesh_Create_Scene(20, 20, 10, 2, 20);
  Mesh_Set_Scale(2.0f);
  u32 o = Mesh_Add_Object(1, 2, 3, 7, 8, 0, nullptr);
  EXPECT_STREQ(mesh_work.objects[o].name, "[noname]");
  EXPECT_EQ(mesh_work.objects[o].position[2], 6.0f);
  EXPECT_EQ(mesh_work.objects[o].shade, 128u);
  Mesh_Add_Point(1, 1, 1);
  Mesh_Add_Point(2, 2, 2);
  u32 pts[4] = {0, 1, 0, 0};
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  Mesh_End_Object();
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Add_Point(3, 3, 3);
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  Mesh_End_Object();
  EXPECT_EQ(Mesh_Get_First_Point(), 2u);
  EXPECT_EQ(Mesh_Get_Last_Point(), 2u);
  EXPECT_EQ(Mesh_Get_First_Poly(), 1u);
  EXPECT_EQ(Mesh_Get_Last_Poly(), 2u);
  EXPECT_EQ(Mesh_Get_Object_Last_Point(0), 1u);
  EXPECT_EQ(Mesh_Get_Object_Last_Poly(0), 0u);
  EXPECT_EQ(mesh_work.polys[0].u_scale, 256.0f);
}
