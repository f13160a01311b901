// Tests of the mesh store: scenes, limits, point rounding, smoothed normals and animation frames.
#include "render/mesh.h"

#include <cmath>

#include "render/texture.h"
#include "tests/engine_fixture.h"

namespace {

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

TEST_F(MeshTest, ListLimitsFailWithTheirOwnMessages) {
  EXPECT_FATAL("Mesh: No scene selected", Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr));
  Mesh_Create_Scene(10, 1, 1, 1, 2);
  EXPECT_FATAL("Mesh: No current object", Mesh_Add_Point(0, 0, 0));
  EXPECT_FATAL("Mesh: Invalid scene 3", Mesh_Select_Scene(3));
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_FATAL("Mesh: Too many objects", Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr));
  u32 pts[4] = {0, 0, 0, 0};
  Mesh_Add_Poly(0, 0, 0, 3, pts);
  EXPECT_FATAL("Mesh: Too many polys", Mesh_Add_Poly(0, 0, 0, 3, pts));
  Mesh_Add_Point(0, 0, 0);
  Mesh_Add_Point(0, 0, 0);
  EXPECT_FATAL("Mesh: Too many normals", Mesh_Add_Point(0, 0, 0));
  EXPECT_FATAL("Mesh: Invalid normal index", Mesh_Add_To_Normal(2, 1, 1, 1));
  // (268435454 + 2) x 16 bytes do not fit in 32 bits.
  EXPECT_FATAL("Mesh: Scene 1 points   too large (268435456 records)", Mesh_Create_Scene(268435454, 1, 1, 1, 1));
  EXPECT_FATAL("Mesh: Too many scenes", for (u32 i = 0; i < kMeshMaxScenes; i++) Mesh_Create_Scene(1, 1, 1, 1, 1));
}

TEST_F(MeshTest, MovableListTakesOneMoreThanItsMaximum) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  for (int i = 0; i < 3; i++) Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  EXPECT_EQ(std::pair(mesh_work.movable_count, mesh_work.movables[2]), std::pair(3u, 2u));
  EXPECT_FATAL("Mesh: Too many movable objects", Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr));
  for (u32 i = 0; i < 10; i++) Mesh_Add_Point(0, 0, 0);
  EXPECT_FATAL("Mesh: Too many points", Mesh_Add_Point(9, 9, 9));
}

TEST_F(MeshTest, PointsAreRoundedDownAndPlacedAtTheObject) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(10, 0, 0, 0, 0, kMeshObjectMovable, Mesh_Alloc_Anim_Buffer(10));
  Mesh_Add_Point(2.7f, 0, 0);
  Mesh_Add_Point(-2.2f, 0, 0);
  // The object's own copy is not rounded.
  EXPECT_EQ(std::tuple(Mesh_Get_Point(0).x, Mesh_Get_Point(1).x, mesh_work.objects[0].anim_buffer[1].x),
            std::tuple(12.0f, 7.0f, -2.2f));
}

TEST_F(MeshTest, CoordinatesWrapToSixteenBits) {
  Mesh_Create_Scene(10, 10, 10, 2, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Add_Point(35000.0f, -35000.0f, 1e30f);
  // z out of range: 0x80000000, whose low half is 0.
  const MeshPoint p = Mesh_Get_Point(0);
  EXPECT_EQ(std::tuple(p.x, p.y, p.z), std::tuple(-30536.0f, 30536.0f, 0.0f));
}

TEST_F(MeshTest, AnimationPointsStayInsideTheirBuffer) {
  Mesh_Create_Scene(20, 10, 10, 2, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, Mesh_Alloc_Anim_Buffer(2));
  Mesh_Begin_Anim_Points(1);
  EXPECT_EQ(Mesh_Add_Point(5, 6, 7), 1u);
  EXPECT_EQ(std::pair(mesh_work.objects[0].anim_buffer[1].y, mesh_work.last_point), std::pair(6.0f, -1));
  EXPECT_FATAL("Mesh: Animation buffer overflow", Mesh_Add_Point(5, 6, 7));
}

TEST_F(MeshTest, SmoothedNormalsOfAClosedShapeHaveLengthShadeMinusFour) {
  Mesh_Create_Scene(20, 20, 10, 2, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0x4, nullptr);
  // A tetrahedron; every point lies on three faces.
  for (u32 i = 0; i < 4; i++) Mesh_Add_Point(i == 1 ? 10 : 0, i == 2 ? 10 : 0, i == 3 ? 10 : 0);
  const u32 faces[4][4] = {{0, 2, 1, 0}, {0, 1, 3, 0}, {0, 3, 2, 0}, {1, 2, 3, 0}};
  for (auto& f : faces) Mesh_Add_Poly(0, 3, 0, 3, f);
  Mesh_End_Object();
  for (int i = 0; i < 4; i++) EXPECT_NEAR(Length(mesh_work.normals[i]), 124.0f, 1e-3f);
  // Point 3 sits above: its normal leans to +x +y +z, evenly.
  EXPECT_GT(mesh_work.normals[3].z, 0.0f);
  EXPECT_NEAR(mesh_work.normals[3].x, mesh_work.normals[3].y, 1e-4f);
}
