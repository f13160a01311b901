// Tests of the mesh tools: polygon reduction and the door list.
#include "render/meshtool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runtime/mem.h"
#include "tests/engine_fixture.h"

namespace {
class MeshToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Mesh_Free_All_Scenes();
    Mesh_Init();
    Mesh_Set_Reduction_Window(0);
    Mesh_Create_Scene(100, 100, 10, 4, 100);
    Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  }
  void TearDown() override { Mesh_Free_All_Scenes(); }
  u32 Tri(u32 a, u32 b, u32 c) {
    const u32 p[4] = {a, b, c, 0};
    return Mesh_Add_Poly(0, 0, 0, 3, p);
  }
  // Points a (0,0), b (1,0), c (0,1), d (1,1) of a unit square, then the end of the object.
  void Square(f32 lift_d = 0) {
    for (u32 i = 0; i < 4; i++) Mesh_Add_Point(i & 1 ? 10 : 0, i & 2 ? 10 : 0, i == 3 ? lift_d : 0);
  }
};
}  // namespace

TEST_F(MeshToolTest, CoplanarTrianglesOfASquareMergeIntoAQuad) {
  Square();
  Tri(0, 1, 2);  // (a, b, c)
  Tri(1, 3, 2);  // (b, d, c)
  Mesh_End_Object();
  Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 1);
  EXPECT_EQ(mesh_work.objects[0].poly_count, 1);
  EXPECT_EQ(mesh_work.last_poly, 0);
  const MeshPoly& q = mesh_work.polys[0];
  EXPECT_EQ(q.vertex_count, 4);
  EXPECT_EQ(std::vector<u32>(q.point, q.point + 4), (std::vector<u32>{0, 1, 3, 2}));
}

TEST_F(MeshToolTest, BentOrThinPairsStay) {
  Square(10 * std::tan(0.5236f));  // d lifted: a 30 degree fold
  Tri(0, 1, 2);
  Tri(1, 3, 2);
  Mesh_End_Object();
  Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 1);
  EXPECT_EQ(mesh_work.objects[0].poly_count, 2);
  // A thin parallelogram: shared diagonal of length 1, the other of length 3.
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  u32 p0 = Mesh_Add_Point(-10, 0, 0);
  Mesh_Add_Point(0, 5, 0);
  Mesh_Add_Point(0, -5, 0);
  Mesh_Add_Point(20, 0, 0);
  Tri(p0 + 1, p0 + 0, p0 + 2);
  Tri(p0 + 1, p0 + 2, p0 + 3);
  Mesh_End_Object();
  Mesh_Polygon_Reduction(1, 0.1f, 0.25f, 1);
  EXPECT_EQ(mesh_work.objects[1].poly_count, 2);
}

TEST_F(MeshToolTest, WithoutQuadsTheSecondTriangleGoes) {
  Square();
  Tri(0, 1, 2);
  Tri(1, 3, 2);
  Tri(0, 1, 2);
  Mesh_End_Object();
  Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 0);
  EXPECT_EQ(mesh_work.polys[0].vertex_count, 3);
  EXPECT_EQ(mesh_work.objects[0].poly_count, 2);
  EXPECT_EQ(mesh_work.last_poly, 1);
}

// With a window, a merge does not pull the window's end in: the pair after it still gets compared.
TEST_F(MeshToolTest, WindowEndStaysPutAfterAMerge) {
  Square();
  Mesh_Add_Point(0, -1, 0);  // e: a thin triangle under the edge a-b, in the square's plane
  for (u32 k = 0; k < 3; k++) Mesh_Add_Point(50, 50, 50 + f32(k));
  Tri(0, 1, 2);  // (a, b, c)
  Tri(1, 3, 2);  // (b, d, c): shares b-c
  Tri(5, 6, 7);  // elsewhere
  Tri(0, 4, 1);  // (a, e, b): shares a-b
  Mesh_End_Object();
  Mesh_Set_Reduction_Window(3);
  Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 0);
  EXPECT_EQ(mesh_work.objects[0].poly_count, 2);
}

TEST_F(MeshToolTest, DoorListIsBounded) {
  const f32 corners[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  Mesh_Add_Door_Quad(corners, 2, 3, 4, 0xFFFFFFFF);
  EXPECT_EQ(mesh_work.doors[0].sector_b, 3);
  for (int i = 1; i < 100; i++) Mesh_Add_Door(0, 0, 0, 0, 0);
  EXPECT_FATAL("Mesh: Too many doors", Mesh_Add_Door(0, 0, 0, 0, 0));
}
