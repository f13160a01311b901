// Tests of the VR geometry: matrices, projection of known points, outcodes, polygon classes and the fly camera.
#include "render/vrtransform.h"

#include <cmath>

#include "runtime/key.h"
#include "vr_fixture.h"

namespace {
MeshPoint P(f32 x, f32 y, f32 z) { return MeshPoint{x, y, z, 7, 0}; }

// The product of elementary rotations, for comparing with the closed-form matrices.
VrMatrix Multiply(const VrMatrix& a, const VrMatrix& b) {
  VrMatrix r{};
  for (u32 i = 0; i < 3; i++)
    for (u32 j = 0; j < 3; j++)
      for (u32 k = 0; k < 3; k++) r.m[3 * i + j] += a.m[3 * i + k] * b.m[3 * k + j];
  return r;
}
VrMatrix Rx(i32 a) { return VrMatrix{{1, 0, 0, 0, VR_Cos(a), -VR_Sin(a), 0, VR_Sin(a), VR_Cos(a)}}; }
VrMatrix Ry(i32 a) { return VrMatrix{{VR_Cos(a), 0, VR_Sin(a), 0, 1, 0, -VR_Sin(a), 0, VR_Cos(a)}}; }
VrMatrix Rz(i32 a) { return VrMatrix{{VR_Cos(a), -VR_Sin(a), 0, VR_Sin(a), VR_Cos(a), 0, 0, 0, 1}}; }

class VrTransformTest : public VrTest {
 protected:
  void SetUp() override {
    VrTest::SetUp();
    vr_view.focal_x = vr_view.focal_y = 160.0f;
    vr_view.centre_x = 160, vr_view.centre_y = 100;
    Poly_Set_Clip(0, 0, 319, 199);
  }
};
}  // namespace

TEST_F(VrTransformTest, MatricesAreTheProductsOfElementaryTurns) {
  const i32 angles[][3] = {{0, 0, 0}, {100, 700, 1500}, {2000, 33, 512}, {1024, 1536, 77}};
  for (const auto& a : angles) {
    const VrMatrix cam = VR_Camera_Matrix_Of(a[0], a[1], a[2]);
    const VrMatrix cam_ref = Multiply(Multiply(Rz(-a[2]), Rx(-a[0])), Ry(-a[1]));
    const VrMatrix obj = VR_Object_Matrix_Of(a[0], a[1], a[2]);
    const VrMatrix obj_ref = Multiply(Multiply(Ry(-a[1]), Rx(-a[0])), Rz(-a[2]));
    for (u32 i = 0; i < 9; i++) {
      EXPECT_NEAR(cam.m[i], cam_ref.m[i], 1e-6) << i;
      EXPECT_NEAR(obj.m[i], obj_ref.m[i], 1e-6) << i;
    }
  }
  // Angles outside the turn wrap.
  const VrMatrix a = VR_Camera_Matrix_Of(-600, 4094, 2048 + 5), b = VR_Camera_Matrix_Of(2048 - 600, 2046, 5);
  for (u32 i = 0; i < 9; i++) EXPECT_EQ(a.m[i], b.m[i]);
}

// Focal 160 and centre (160, 100): x = 160 x / z + 160. Points on or behind the camera project from
// plane z = 1; points just in front stay within the bound; the window (0, 0)-(319, 199) sets the outcode.
TEST_F(VrTransformTest, ProjectionAndOutcodes) {
  const u8 kAny = 0xFF;
  const struct {
    f32 x, y, z;
    i32 qx, qy, qz;
    u8 outcode;
  } rows[] = {
      {1.5f, -2.25f, 0, 400, -260, 1, kAny},
      {-1, 1, -50, 0, 260, 1, kAny},
      {1000, -1000, 1e-30f, 1000000000 + 160, -1000000000 + 100, 0, kVrOutFar},
      {540, -50, 160, 700, 50, 160, kVrOutFar},
      {240, -50, 160, 400, 50, 160, kVrOutRight},
      {-165, -50, 160, -5, 50, 160, kVrOutLeft},
      {-110, 150, 160, 50, 250, 160, kVrOutBelow},
      {-110, -105, 160, 50, -5, 160, kVrOutAbove},
      {-165, -105, 160, -5, -5, 160, kVrOutLeft | kVrOutAbove},
      {159, 99, 160, 319, 199, 160, 0},
      {-110, 350, 160, 50, 450, 160, kVrOutFar},
      {478, -50, 160, 638, 50, 160, kVrOutRight},  // x = 2 x xmax is not far yet
      {479, -50, 160, 639, 50, 160, kVrOutFar},
      {-110, 298, 160, 50, 398, 160, kVrOutBelow},  // y = 2 x ymax
      {-110, 299, 160, 50, 399, 160, kVrOutFar},
  };
  for (const auto& r : rows) {
    MeshPoint p = P(r.x, r.y, r.z);
    VrProjectedPoint q{};
    VR_Project_Points(&p, &q, 1);
    EXPECT_EQ(std::tuple(q.x, q.y), std::tuple(r.qx, r.qy)) << r.x << " " << r.y;
    EXPECT_TRUE((r.qz == 0 || q.z == r.qz) && (r.outcode == kAny || q.outcode == r.outcode)) << r.x << " " << r.y;
  }
}

TEST_F(VrTransformTest, ClassesFromFacingAndEdges) {
  auto set = [](u32 i, i32 x, i32 y, u8 code) { vr_projected[i] = VrProjectedPoint{x, y, 10, {0, 0, 0}, code}; };
  MeshPoly p{};
  p.vertex_count = 4;
  for (u32 i = 0; i < 4; i++) p.point[i] = i;
  // Inside, front-facing on screen: (10,10) (10,50) (50,50) (50,10).
  set(0, 10, 10, 0), set(1, 10, 50, 0), set(2, 50, 50, 0), set(3, 50, 10, 0);
  EXPECT_EQ(VR_Classify_Poly(p), 2);
  // The same outline walked the other way faces away.
  std::swap(p.point[1], p.point[3]);
  EXPECT_EQ(VR_Classify_Poly(p), 0);
  p.flags = 0x1;
  EXPECT_EQ(VR_Classify_Poly(p), 2);
  p.flags = 0x1 | 0x1000000;
  EXPECT_EQ(VR_Classify_Poly(p), 1);
  std::swap(p.point[1], p.point[3]);
  p.flags = 0;
  set(2, 400, 50, kVrOutRight);
  EXPECT_EQ(VR_Classify_Poly(p), 1);
  // Each edge beyond a different side: rejected although the quad covers the window.
  set(0, -10, -10, kVrOutLeft | kVrOutAbove), set(1, -10, 210, kVrOutLeft | kVrOutBelow),
      set(2, 330, 210, kVrOutRight | kVrOutBelow), set(3, 330, -10, kVrOutRight | kVrOutAbove);
  EXPECT_EQ(VR_Classify_Poly(p), 0);
}

TEST_F(VrTransformTest, BackFaceTestOnHugeCoordinatesDoesNotOverflow) {
  vr_projected[0] = VrProjectedPoint{-1000000000, -1000000000, 1, {0, 0, 0}, kVrOutLeft};
  vr_projected[1] = VrProjectedPoint{-1000000000, 1000000000, 1, {0, 0, 0}, kVrOutLeft};
  vr_projected[2] = VrProjectedPoint{1000000000, 1000000000, 1, {0, 0, 0}, kVrOutRight};
  MeshPoly p{};
  p.vertex_count = 3;
  p.point[0] = 0, p.point[1] = 1, p.point[2] = 2;
  EXPECT_EQ(VR_Classify_Poly(p), 1);
}

// The debug fly keys, held for some frames and then released for some, on a fresh fly state; the working
// camera's pitch and yaw stay put while the scene's angles turn. A held key adds its impulse every frame up to
// the limit (forward 64, turns 20: 1 + .. + 20 + 5 x 20 = 310 over 25 frames); a released one decays by 1;
// opposites cancel. Moves: floor(sin yaw v), floor(-sin pitch v), floor(cos yaw v), with sin 256 = 0.7071,
// sin 171 = 0.5009, cos 171 = 0.8655. Ctrl with 1 to 5 triggers events 0 to 4 (a mask of the six made).
TEST_F(VrTransformTest, DebugFlyKeys) {
  const struct {
    u8 keys[8];
    u32 held, released;
    i32 pitch, yaw;
    u8 debug, path;
    i32 want[11];  // forward speed, pitch, yaw and roll speeds, the scene's angles, camera position, events
  } rows[] = {
      {{0x26}, 1, 0, 0, 0, 1, 0, {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
      {{0x26}, 25, 0, 0, 0, 1, 0, {0, 20, 0, 0, 310, 0, 0, 0, 0, 0, 0}},
      {{0x28}, 25, 0, 0, 0, 1, 0, {0, -20, 0, 0, 2048 - 310, 0, 0, 0, 0, 0, 0}},
      {{0x26}, 3, 2, 0, 0, 1, 0, {0, 1, 0, 0, 1 + 2 + 3 + 2 + 1, 0, 0, 0, 0, 0, 0}},
      {{0x28}, 2, 1, 0, 0, 1, 0, {0, -1, 0, 0, 2048 - 4, 0, 0, 0, 0, 0, 0}},
      {{0x25}, 2, 0, 0, 0, 1, 0, {0, 0, -2, 0, 0, 2045, 0, 0, 0, 0, 0}},
      {{0x27}, 2, 0, 0, 0, 1, 0, {0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0}},
      {{0x21}, 1, 0, 0, 0, 1, 0, {0, 0, 0, -1, 0, 0, 2047, 0, 0, 0, 0}},
      {{0x22}, 2, 0, 0, 0, 1, 0, {0, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0}},
      {{0x26, 0x28, 0x25, 0x27, 0x21, 0x22, 0x41, 0x5A}, 3, 0, 0, 0, 1, 0, {}},
      {{0x41}, 1, 0, 0, 0, 1, 0, {32, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0}},
      {{0x41}, 3, 0, 0, 0, 1, 0, {64, 0, 0, 0, 0, 0, 0, 0, 0, 32 + 64 + 64, 0}},
      {{0x41}, 1, 2, 0, 0, 1, 0, {30, 0, 0, 0, 0, 0, 0, 0, 0, 32 + 31 + 30, 0}},
      {{0x5A}, 3, 0, 0, 0, 1, 0, {-64, 0, 0, 0, 0, 0, 0, 0, 0, -160, 0}},
      {{0x5A}, 1, 0, 256, 256, 1, 0, {-32, 0, 0, 0, 0, 0, 0, -23, 22, -23, 0}},
      {{0x41}, 1, 0, 256, 171, 1, 0, {32, 0, 0, 0, 0, 0, 0, 16, -23, 27, 0}},
      {{0x41, 0x26}, 1, 0, 0, 0, 0, 0, {}},
      {{0x41, 0x26}, 1, 0, 0, 0, 1, 1, {}},
      {{0x11, 0x33}, 1, 0, 0, 0, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x4}},
      {{0x11, 0x31, 0x35}, 1, 0, 0, 0, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x11}},
      {{0x11, 0x30, 0x36}, 1, 0, 0, 0, 1, 0, {}},
      {{0x33}, 1, 0, 0, 0, 1, 0, {}},
      {{0x11, 0x34}, 1, 0, 0, 0, 0, 0, {}},
  };
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_End_Object();
  for (u32 e = 0; e < 6; e++) VR_Event(0, 0, 0, 0, 0, 1);
  i32* angles = Mesh_Get_Scene(0)->camera_angles;
  for (const auto& r : rows) {
    vr_fly = VrFly{0, 0, {0, 0, 0}, {0, 0, 0}, {20, 20, 20}}, vr_camera = VrCamera{{}, {r.pitch, r.yaw, 0}, {}};
    angles[0] = angles[1] = angles[2] = 0;
    for (u32 e = 0; e < 6; e++) VR_Get_Event(e)->state = 0;
    Demo_Set_Flag(DEMO_FLAG_DEBUG, r.debug), vr_engine.path_on = r.path;
    for (u32 f = 0; f < r.held + r.released; f++) {
      for (u8 k : r.keys) k && f < r.held ? Key_Set_Down(k) : Key_Set_Up(k);
      VR_Debug_Fly_Keys();
    }
    std::vector<i32> got(1, vr_fly.forward_speed);
    for (u32 i = 0; i < 9; i++)
      got.push_back(i < 3 ? vr_fly.speed[i] : i < 6 ? angles[i - 3] : i32(vr_camera.position[i - 6]));
    got.push_back(0);
    for (u32 e = 0; e < 6; e++) got.back() |= i32(VR_Get_Event(e)->state != 0) << e;
    for (u8 k : r.keys) Key_Set_Up(k);
    EXPECT_EQ(got, std::vector<i32>(r.want, r.want + 11)) << "row " << &r - rows;
  }
  Demo_Set_Flag(DEMO_FLAG_DEBUG, 0), vr_engine.path_on = 0;
}
