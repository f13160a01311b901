// Tests of the rasterizer set-up: edge and polygon clipping, the near clip, gradients and word helpers.
#include "render/poly.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/fill.h"
#include "vr_fixture.h"

namespace {
class PolyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Poly_Init();
    Poly_Set_Clip(0, 0, 319, 199);
    poly_state.n = 4;
  }
};
}  // namespace

// Edge clips against the window (0, 0)-(319, 199): result, entry flag and where both ends finish
// (bisected ends within a pixel of the true crossing).
TEST_F(PolyTest, EdgeClipsByBisection) {
  const struct {
    PolyVertex a, b;
    bool on_x;
    i32 result, entry, ax, ay, bx, by;
  } rows[] = {
      {Vx(5, 0), Vx(50, 100), false, 1, 0, 5, 0, 50, 100},          // upper end on the bound: unchanged
      {Vx(5, -20), Vx(50, 0), false, 1, 1, 50, 0, 50, 0},           // ends on the bound: its lower end
      {Vx(0, -10), Vx(100, 10), false, 1, 1, 50, 0, 100, 10},       // crossing at the midpoint
      {Vx(0, -100), Vx(600, 500), false, 1, 1, 100, 0, 299, 199},   // crossing both bounds
      {Vx(5, 200), Vx(50, 300), false, 0, 0, 0, 0, 0, 0},          // below
      {Vx(0, -5), Vx(9, -1), false, 0, 0, 0, 0, 0, 0},             // above
      {Vx(-10, 5), Vx(-1, 50), true, 0, 0, 0, 0, 0, 0},            // left
  };
  for (const auto& r : rows) {
    PolyVertex a = r.a, b = r.b;
    PolyVertex *pa = &a, *pb = &b;
    ASSERT_EQ((r.on_x ? Poly_Clip_Edge_X : Poly_Clip_Edge_Y)(&pa, &pb), r.result) << r.ay;
    if (!r.result) continue;
    EXPECT_EQ(poly_state.entry, r.entry) << r.ay;
    EXPECT_NEAR(pa->slot[POLY_X], r.ax, 1) << r.ay;
    EXPECT_EQ(pa->slot[POLY_Y], r.ay);
    EXPECT_NEAR(pb->slot[POLY_X], r.bx, 1) << r.by;
    EXPECT_EQ(pb->slot[POLY_Y], r.by);
  }
}

TEST_F(PolyTest, PolygonClipAddsVerticesOnEachBound) {
  Poly_Clip_X(List({Vx(-100, 100), Vx(160, -100), Vx(420, 100), Vx(160, 300)}), poly_lists.d);
  EXPECT_EQ(poly_state.vertex_count, 6);
  Poly_Clip_Y(poly_lists.d, poly_lists.b);
  EXPECT_EQ(poly_state.vertex_count, 8);
  const PolyVertex* out = poly_lists.b;
  for (i32 i = 0; i <= 8; i++) {
    EXPECT_TRUE(out[i].slot[POLY_X] >= 0 && out[i].slot[POLY_X] <= 319) << i;
    EXPECT_TRUE(out[i].slot[POLY_Y] >= 0 && out[i].slot[POLY_Y] <= 199) << i;
  }
  EXPECT_EQ(std::tuple(out[8].slot[POLY_X], out[8].slot[POLY_Y]), std::tuple(out[0].slot[POLY_X], out[0].slot[POLY_Y]));
}

TEST_F(PolyTest, WindowEdgesAreDrawnUpToTheLastColumnAndLine) {
  Poly_Set_Clip(0, 0, 320, 200);
  poly_state.n = 2;
  Poly_Clip_X(List({Vx(-50, -50), Vx(400, -50), Vx(400, 300), Vx(-50, 300)}), poly_lists.d);
  Poly_Clip_Y(poly_lists.d, poly_lists.b);
  std::vector<u32> frame(320 * 200, 0);
  Poly_Set_Target(frame.data(), nullptr, 200);
  Poly_Set_Pitch(1280);
  poly_state.colour = 9;
  Poly_Fill_Flat(poly_lists.b);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), 9u), 320 * 200);
}

TEST_F(PolyTest, NearClipSplitsAtThePlaneAndDropsVerticesOnIt) {
  MeshPoint cam[4] = {{-10, 0, 32, 0, 0}, {10, 20, 96, 0, 0}, {30, 0, 64, 0, 0}, {0, 0, 80, 0, 0}};
  poly_state.camera_points = cam;
  Poly_Set_Near(64.0f);
  Poly_Set_Projection(100.0f, 100.0f);
  Poly_Set_Centre(160, 100);
  poly_state.n = 4;
  PolyVertex* in = poly_lists.a;
  for (i32 i = 0; i < 3; i++) {
    in[i] = Vx(i, i, 7, 7);
    in[i].slot[POLY_POINT] = i;
  }
  in[3] = in[0];
  poly_state.vertex_count = 3;
  Poly_Clip_Near(in, poly_lists.c);
  // Edge 0-1 crosses at its midpoint (0, 10, 64), projected 100 x 10 / 64 = 15 lines down; vertex 1 stays; vertex 2 lies on the plane and goes;
  // edge 2-0 ends on the plane and adds nothing.
  ASSERT_EQ(poly_state.vertex_count, 2);
  const PolyVertex* out = poly_lists.c;
  EXPECT_EQ(std::vector<i32>({out[0].slot[POLY_X], out[0].slot[POLY_Y], out[0].slot[POLY_U], out[1].slot[POLY_X],
                              out[1].slot[POLY_U], out[2].slot[POLY_X]}),
            std::vector<i32>({160, 100 + 15, 0, 1, 7, 160}));
}

// Two polygons sharing an edge walk it in opposite directions; both must cut it at the same pixel.
TEST_F(PolyTest, NearClipCutsASharedEdgeAlikeBothWays) {
  std::srand(7);
  MeshPoint cam[2] = {};
  poly_state.camera_points = cam;
  Poly_Set_Near(50.0f);
  Poly_Set_Projection(218.0f, 204.375f);
  Poly_Set_Centre(320, 200);
  poly_state.n = 4;
  auto random = [](f32 lo, f32 hi) { return lo + (hi - lo) * f32(std::rand()) / f32(RAND_MAX); };
  PolyVertex* in = poly_lists.a;
  const PolyVertex* out = poly_lists.c;
  for (u32 i = 0; i < 20000; i++) {
    cam[0] = MeshPoint{random(-3000, 3000), random(-3000, 3000), random(-500, 49.9f), 0, 0};
    cam[1] = MeshPoint{random(-3000, 3000), random(-3000, 3000), random(50.1f, 5000), 0, 0};
    // A two-vertex polygon walks the edge 0 to 1, then back: out is the crossing, vertex 1, the crossing.
    in[0].slot[POLY_POINT] = 0, in[1].slot[POLY_POINT] = 1, in[2] = in[0];
    poly_state.vertex_count = 2;
    Poly_Clip_Near(in, poly_lists.c);
    ASSERT_EQ(poly_state.vertex_count, 3);
    ASSERT_EQ(out[0].slot[POLY_X], out[2].slot[POLY_X]) << i;
    ASSERT_EQ(out[0].slot[POLY_Y], out[2].slot[POLY_Y]) << i;
  }
}

TEST_F(PolyTest, GradientsMapTheFirstAndClosingEdges) {
  // A quad in camera space; the texture runs su along P0->P1 and sv along P0->PL.
  MeshPoint cam[4] = {{-50, -40, 200, 0, 0}, {60, -30, 260, 0, 0}, {70, 50, 300, 0, 0}, {-40, 45, 230, 0, 0}};
  poly_state.camera_points = cam;
  Poly_Set_Projection(160.0f, 160.0f);
  Poly_Set_Centre(160, 100);
  for (i32 i = 0; i < 4; i++) poly_lists.a[i].slot[POLY_S] = i;
  poly_state.mapping_vertex_count = 4;
  Poly_Setup_Gradients(128.0f, 64.0f);
  const PolyState& s = poly_state;
  auto uv = [&](const MeshPoint& p, f64* u, f64* v) {
    f64 dx = 160.0 * p.x / p.z, dy = 160.0 * p.y / p.z;
    f64 w = s.wa * dx + s.wb * dy + s.wc;
    *u = (s.ua * dx + s.ub * dy + s.uc) / w;
    *v = (s.va * dx + s.vb * dy + s.vc) / w;
  };
  const f64 want[4][2] = {{0, 0}, {128, 0}, {0, 0}, {0, 64}};
  for (u32 i : {0, 1, 3}) {
    f64 u, v;
    uv(cam[i], &u, &v);
    EXPECT_NEAR(u, want[i][0], 1e-2) << i;
    EXPECT_NEAR(v, want[i][1], 1e-2) << i;
  }
}

TEST_F(PolyTest, DwordHelpers) {
  u32 a[6] = {1, 2, 3, 4, 5, 6}, b[6] = {};
  Poly_Fill_Dwords(b, 3, 0xAB);
  EXPECT_EQ(std::tuple(b[2], b[3]), std::tuple(0xABu, 0u));
  Poly_Copy_Dwords(a, b, 5);
  EXPECT_EQ(b[4], 5u);
  // Upward, a word at a time: one word above its source the copy repeats the first word.
  for (auto copy : {Poly_Copy_Dwords, VR_Copy_Dwords}) {
    for (u32 i = 0; i < 6; i++) a[i] = i + 1;
    copy(a, a + 1, 5);
    EXPECT_EQ(a[5], 1u);
  }
  a[1] = 2;
  Poly_Copy_Dwords(a, b, -3);
  Poly_Fill_Dwords(b, -3, 0);
  EXPECT_EQ(b[0], 1u);
  EXPECT_EQ(std::tuple(Poly_Float_To_Int(-1.75f), Poly_Float_To_Int(NAN)), std::tuple(-1, INT32_MIN));
  const std::pair<f32, i32> rounds[] = {{2.5f, 2},           {-3.5f, -4},          {1e20f, INT32_MIN},
                                        {NAN, INT32_MIN},     {-2147483648.0f, INT32_MIN},
                                        {2147483520.0f, 2147483520}, {2147483648.0f, INT32_MIN}};
  for (auto [v, want] : rounds) {
    EXPECT_EQ(Poly_Float_Round(v), want) << v;
    EXPECT_EQ(Poly_Float_Round_Fast(v), want) << v;
  }
}

// The exact mapping draws into the engine frame buffer with lines 320 pixels apart, not into the raster target.
TEST_F(PolyTest, ExactMappingDrawsIntoTheFrameBufferAt320PixelsALine) {
  std::vector<u32> screen(640 * 8, 0), target(640 * 8, 0), tex(65536, 0x77);
  const VbeScreen saved = vbe_screen;
  vbe_screen.frame = screen.data(), vbe_screen.width = 640, vbe_screen.height = 8;
  Poly_Set_Target(target.data(), nullptr, 8);
  Poly_Set_Pitch(640 * 4);
  MeshPoint cam[1] = {{0, 0, 100, 0, 0}};
  poly_state.camera_points = cam, poly_state.map1 = tex.data();
  // Every mapping point is the same: no plane, and the saturated quotient meets a negative origin.
  poly_state.u_origin = poly_state.v_origin = -3 * kFix16One;
  Poly_Draw_Textured_Exact(List({Vx(2, 1), Vx(6, 1), Vx(6, 3), Vx(2, 3)}));
  vbe_screen = saved;
  for (u32 x = 2; x < 6; x++) EXPECT_EQ(screen[320 + x] & screen[640 + x], 0x77u) << x;
  EXPECT_EQ(std::count(screen.begin(), screen.end(), 0x77u), 8);
  EXPECT_EQ(std::count(target.begin(), target.end(), 0u), 640 * 8);
}

// The plane z = 230 through (0, 0), (230, 0) and, fourth, (0, 230), seen with focal factors 256 from centre (8, 2):
// u = 256 x 230 x 256 x 230 dx / (256 x 230)^2 = dx and v = dy exactly, whole texels on every pixel, so a
// quotient a hair short of its integer would truncate to the texel before. Origins -2 and 3; texel (u, v) holds
// u x 256 + v. Lines 1 and 2 are drawn from x = 2 to 13.
TEST_F(PolyTest, ExactMappingHitsWholeTexelsOnAFacingPlane) {
  std::vector<u32> screen(320 * 4, 0), tex(65536);
  for (u32 i = 0; i < 65536; i++) tex[i] = i;
  const VbeScreen saved = vbe_screen;
  vbe_screen.frame = screen.data(), vbe_screen.width = 320, vbe_screen.height = 4;
  MeshPoint cam[4] = {{0, 0, 230, 0, 0}, {230, 0, 230, 0, 0}, {}, {0, 230, 230, 0, 0}};
  poly_state.camera_points = cam, poly_state.map1 = tex.data();
  Poly_Set_Projection(256.0f, 256.0f);
  Poly_Set_Centre(8, 2);
  poly_state.u_origin = -2 * kFix16One, poly_state.v_origin = 3 * kFix16One;
  Poly_Draw_Textured_Exact(List({Vx(2, 1, 0, 0, 0), Vx(14, 1, 0, 0, 1), Vx(14, 3, 0, 0, 2), Vx(2, 3, 0, 0, 3)}));
  vbe_screen = saved;
  const struct { u32 x, y, texel; } rows[] = {
      {2, 1, 248 * 256 + 2}, {7, 1, 253 * 256 + 2}, {8, 1, 254 * 256 + 2}, {10, 1, 0 * 256 + 2},
      {13, 1, 3 * 256 + 2},  {2, 2, 248 * 256 + 3}, {11, 2, 1 * 256 + 3},  {13, 2, 3 * 256 + 3}};
  for (const auto& r : rows) EXPECT_EQ(screen[r.y * 320 + r.x], r.texel) << r.x << "," << r.y;
  EXPECT_EQ(std::count(screen.begin(), screen.end(), 0u), 320 * 4 - 24);
}

// With alignment requested start-up stores the larger frame side + 5 (320 + 5 before a mode is set); without,
// the count stays as it was.
TEST_F(PolyTest, StartUpStoresTheAlignedLineCount) {
  const VbeScreen saved = vbe_screen;
  const struct { u32 width, height; u8 align; i32 lines; } rows[] = {
      {0, 0, 1, 325}, {0, 480, 1, 325}, {640, 480, 1, 645}, {320, 1000, 1, 1005}, {640, 480, 0, 1005}};
  for (const auto& r : rows) {
    vbe_screen.width = r.width, vbe_screen.height = r.height, poly_state.align_request = r.align;
    Poly_Init();
    EXPECT_EQ(poly_state.line_count, r.lines) << r.width << " x " << r.height;
  }
  vbe_screen = saved;
  poly_state.align_request = 1;
}
