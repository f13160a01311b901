// Tests of the mesh tools: polygon reduction, the door list, polygon turns, object copies and scales.
#include "render/meshtool.h"

#include <cmath>

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
  const MeshPoly& q = mesh_work.polys[0];
  EXPECT_EQ(std::tuple(mesh_work.objects[0].poly_count, mesh_work.last_poly, q.vertex_count), std::tuple(1, 0, 4));
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

// A rhombus a (-6.5, 0), b (0, -5), c (6.5, 0), d (0, 5) split along one diagonal, r = 0.25: |13 - 10| = 3 is
// under a quarter of a shared 13 (3.25) but not of a shared 10 (2.5): the ratio is of the shared diagonal.
TEST_F(MeshToolTest, DiagonalRatioIsTakenOfTheSharedDiagonal) {
  const struct { u32 tri[2][3]; u16 polys; } rows[] = {{{{0, 1, 2}, {0, 2, 3}}, 1}, {{{1, 2, 3}, {1, 3, 0}}, 2}};
  for (const auto& r : rows) {
    SetUp();
    const u32 p0 = Mesh_Add_Point(-6.5f, 0, 0);
    Mesh_Add_Point(0, -5, 0), Mesh_Add_Point(6.5f, 0, 0), Mesh_Add_Point(0, 5, 0);
    for (const auto& t : r.tri) Tri(p0 + t[0], p0 + t[1], p0 + t[2]);
    Mesh_End_Object();
    Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 1);
    EXPECT_EQ(mesh_work.objects[0].poly_count, r.polys) << r.tri[0][0];
  }
}

TEST_F(MeshToolTest, WithoutQuadsTheSecondTriangleGoes) {
  Square();
  Tri(0, 1, 2);
  Tri(1, 3, 2);
  Tri(0, 1, 2);
  Mesh_End_Object();
  Mesh_Polygon_Reduction(0, 0.1f, 0.25f, 0);
  EXPECT_EQ(std::tuple(mesh_work.polys[0].vertex_count, mesh_work.objects[0].poly_count, mesh_work.last_poly),
            std::tuple(3, 2, 1));
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

// Object 0: a quad (0, 1, 2, 3) on (0,0) (30,0) (30,40) (0,20), a triangle (0, 1, 2); u 10, 20, .., v 1, 2, ..
TEST_F(MeshToolTest, PolygonAndObjectTools) {
  for (const auto& xy : {std::pair(0, 0), {30, 0}, {30, 40}, {0, 20}}) Mesh_Add_Point(f32(xy.first), f32(xy.second), 0);
  const u32 q[4] = {0, 1, 2, 3}, quad = Mesh_Add_Poly(0, 0, 0, 4, q), tri = Tri(0, 1, 2);
  Mesh_End_Object();
  const f32 box[6] = {0, 30, 0, 40, 0, 0};  // the sector set-up's box
  std::copy(box, box + 6, mesh_work.objects[0].bbox);
  MeshPoly* p = mesh_work.polys;
  for (u32 k = 0; k < 4; k++) p[quad].u[k] = p[tri].u[k] = u8(10 * (k + 1)), p[quad].v[k] = p[tri].v[k] = u8(k + 1);
  auto points = [p](u32 i) { return std::vector<u32>(p[i].point, p[i].point + p[i].vertex_count); };
  auto us = [p](u32 i) {  // u where v went along with it (v = u / 10), else 0
    std::vector<u32> r;
    for (u32 k = 0; k < p[i].vertex_count; k++) r.push_back(p[i].v[k] * 10 == p[i].u[k] ? p[i].u[k] : 0);
    return r;
  };
  Mesh_Set_Object_Tex_Scale(0, 2.0f, 1.0f);  // |B - A| / 2 and |last - A| / 2
  EXPECT_EQ(std::vector<f32>({p[quad].u_scale, p[quad].v_scale, p[tri].u_scale, p[tri].v_scale}),
            std::vector<f32>({15, 10, 15, 25}));
  EXPECT_EQ(std::pair(Mesh_Find_Object_At(30, 40, 0), Mesh_Find_Object_At(31, 0, 0)), std::pair(0, -1));
  Mesh_Rotate_Poly_Uv(quad);
  EXPECT_EQ(us(quad), std::vector<u32>({40, 10, 20, 30}));
  Mesh_Rotate_Poly_Indices(quad);
  Mesh_Rotate_Poly_Indices(tri);
  EXPECT_EQ(points(quad), std::vector<u32>({3, 0, 1, 2}));
  EXPECT_EQ(points(tri), std::vector<u32>({2, 0, 1}));
  Mesh_Shift_Poly_Indices(quad, 3, 0);
  Mesh_Shift_Poly_Indices(quad, -1, 0);
  EXPECT_EQ(points(quad), std::vector<u32>({2, 3, 0, 1}));
  Mesh_Flip_Object(0);
  EXPECT_EQ(std::vector({points(quad), us(quad), points(tri), us(tri)}),
            std::vector<std::vector<u32>>({{1, 0, 3, 2}, {30, 20, 10, 40}, {1, 0, 2}, {30, 20, 10}}));
  // The copy takes new points and moved indices; the newest object holding a point is found first.
  const u32 c = Mesh_Copy_Object(0), cq = mesh_work.objects[c].first_poly;
  EXPECT_EQ(std::vector({points(cq), us(cq)}), std::vector<std::vector<u32>>({{5, 4, 7, 6}, {30, 20, 10, 40}}));
  std::copy(box, box + 6, mesh_work.objects[c].bbox);
  EXPECT_EQ(Mesh_Find_Object_At(30, 40, 0), i32(c));
  mesh_work.objects[c].flags |= 0x40000000;
  EXPECT_EQ(Mesh_Find_Object_At(30, 40, 0), 0);
  Mesh_Scale_Object(c, 2, -1, 1);
  EXPECT_EQ(std::vector<f32>({mesh_work.points[6].x, mesh_work.points[6].y, mesh_work.points[2].x}),
            std::vector<f32>({60, -40, 30}));
}
