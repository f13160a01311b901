// Direct3D conveniences: matrices against hand-computed values, the converting and clipping surface copy,
// and loading a PNG written by ImageMagick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "host/d3dutil.h"
#include "tests/engine_fixture.h"

namespace {
const f32 kPi = 3.14159265f;

D3dVector Transform(const D3dMatrix& m, const D3dVector& p) {  // row vector, w = 1
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}
void Expect_Matrix(const D3dMatrix& m, const D3dMatrix& want) {
  for (int i = 0; i < 16; i++) EXPECT_NEAR((&m._11)[i], (&want._11)[i], 1e-5f) << "element _" << i / 4 + 1 << i % 4 + 1;
}
void Expect_Vector(const D3dVector& v, f32 x, f32 y, f32 z) {
  EXPECT_TRUE(std::abs(v.x - x) < 1e-5f && std::abs(v.y - y) < 1e-5f && std::abs(v.z - z) < 1e-5f)
      << v.x << " " << v.y << " " << v.z;
}
}  // namespace

TEST(D3dMatrices, ViewProjectionAndRotationsByHand) {
  D3dMatrix m;
  D3dVector eye = {3, 4, -2}, target = {-1, 2, 6};
  ASSERT_EQ(D3d_Set_View_Matrix(&m, eye, target, {0, 1, 0}), u32(D3D_OK));
  Expect_Vector(Transform(m, eye), 0, 0, 0);
  Expect_Vector(Transform(m, target), 0, 0, std::sqrt(16.0f + 4.0f + 64.0f));
  // Looking along x with up along x: up becomes y.
  ASSERT_EQ(D3d_Set_View_Matrix(&m, {0, 0, 0}, {2, 0, 0}, {1, 0, 0}), u32(D3D_OK));
  Expect_Vector({m._12, m._22, m._32}, 0, 1, 0);
  Expect_Vector({m._11, m._21, m._31}, 0, 0, -1);  // right = up x view = y x x
  EXPECT_EQ(D3d_Set_View_Matrix(&m, {1, 2, 3}, {1, 2, 3}, {0, 1, 0}), u32(E_INVALIDARG));
  ASSERT_EQ(D3d_Set_View_Matrix(&m, {0, 0, 0}, {0, 3, 0}, {0, 1, 0}), u32(D3D_OK));  // along y: up becomes z
  Expect_Vector({m._12, m._22, m._32}, 0, 0, 1);
  // Projection and rotations by hand; the axis form turns the other way.
  ASSERT_EQ(D3d_Set_Projection_Matrix(&m, kPi / 2, 0.625f, 1, 101), u32(D3D_OK));
  Expect_Matrix(m, {0.625f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0});
  EXPECT_EQ(D3d_Set_Projection_Matrix(&m, kPi / 2, 1, 5, 5), u32(E_INVALIDARG));
  EXPECT_EQ(D3d_Set_Projection_Matrix(&m, 0, 1, 1, 100), u32(E_INVALIDARG));
  // A quarter turn about x carries y to z, about y z to x, about z x to y; about (1, 1, 1), a third of a turn
  // in the axis form's sense carries x to z.
  D3dMatrix r[4];
  const std::tuple<const D3dMatrix*, D3dVector, D3dVector> turns[] = {{D3d_Set_Rotate_X(&r[0], kPi / 2), {0, 1, 0}, {0, 0, 1}},
      {D3d_Set_Rotate_Y(&r[1], kPi / 2), {0, 0, 1}, {1, 0, 0}}, {D3d_Set_Rotate_Z(&r[2], kPi / 2), {1, 0, 0}, {0, 1, 0}},
      {D3d_Set_Rotation_Matrix(&r[3], {1, 1, 1}, 2 * kPi / 3), {1, 0, 0}, {0, 0, 1}}};
  for (auto [turn, from, to] : turns) Expect_Vector(Transform(*turn, from), to.x, to.y, to.z);
  // A zero axis leaves cos(angle) on the diagonal and nothing else.
  D3d_Set_Rotation_Matrix(&m, {0, 0, 0}, 1.0f);
  const f32 c1 = std::cos(1.0f);
  Expect_Matrix(m, {c1, 0, 0, 0, 0, c1, 0, 0, 0, 0, c1, 0, 0, 0, 0, 1});
}

namespace {
struct SurfaceTest : ::testing::Test {
  PlatDevice* device = Plat_Create_Device();
  u32 live_before = Plat_Surfaces_Live();
  ~SurfaceTest() override { Plat_Release_Device(device); }

  PlatSurface* Make(u32 w, u32 h, u32 f) { return Plat_Create_Offscreen_Surface(device, w, h, f, PLAT_POOL_SCRATCH); }
  // Pixel x, y of a surface of 2, 3 or 4 bytes a pixel.
  static u32 Get(PlatSurface* s, i32 x, i32 y) {
    u32 format, w, h, pitch, v = 0;
    u8* bits;
    Plat_Surface_Get_Desc(s, &format, &w, &h);
    EXPECT_TRUE(Plat_Surface_Lock(s, nullptr, PLAT_LOCK_READONLY, &bits, &pitch));
    const u32 bytes = format == PLAT_FMT_R5G6B5 || format == PLAT_FMT_A4R4G4B4 ? 2 : format == PLAT_FMT_R8G8B8 ? 3 : 4;
    memcpy(&v, bits + size_t(y) * pitch + size_t(x) * bytes, bytes);
    Plat_Surface_Unlock(s);
    return v;
  }
  // Sets the pixels of a 4-byte surface from a function of x and y.
  template <class F>
  static void Paint(PlatSurface* s, F value) {
    u32 format, w, h, pitch;
    u8* bits;
    Plat_Surface_Get_Desc(s, &format, &w, &h);
    ASSERT_TRUE(Plat_Surface_Lock(s, nullptr, 0, &bits, &pitch));
    for (u32 i = 0; i < w * h; i++) reinterpret_cast<u32*>(bits + i / w * pitch)[i % w] = value(i % w, i / w);
    Plat_Surface_Unlock(s);
  }
};
}  // namespace

TEST_F(SurfaceTest, CopyConvertsChannelsBetweenFormats) {
  OffscreenSurface surface;
  ASSERT_EQ(surface.Set_Device(device), 1u);
  ASSERT_EQ(surface.Create(2, 1, PLAT_FMT_A8R8G8B8), 1u);
  Paint(surface.Get_Surface(), [](u32 x, u32) { return x ? 0xFFFFFFFFu : 0xFF804020u; });
  // Format, pixels 0 and 1 after the copy: 16 bits keep the top bits (15, 15, 3), the alpha goes; 4 bits each
  // truncate 128 to 7, 64 to 3 and 32 to 1.
  const std::tuple<u32, u32, u32> rows[] = {
      {PLAT_FMT_R5G6B5, 0x79E3, 0xFFFF}, {PLAT_FMT_A4R4G4B4, 0xF731, 0xFFFF}, {PLAT_FMT_R8G8B8, 0x804020, 0xFFFFFF}};
  for (auto [format, first, second] : rows) {
    PlatSurface* dest = Make(2, 1, format);
    EXPECT_EQ(surface.Copy_To(dest, 0, 0, 0, 0, 2, 1), 1u);
    EXPECT_EQ(std::make_pair(Get(dest, 0, 0), Get(dest, 1, 0)), std::make_pair(first, second)) << format;
    Plat_Surface_Release(dest);
  }
}

// The source is 4 x 4 whose pixel x, y is 0xFF000000 | x << 16 | y << 8, the destination 3 x 3.
TEST_F(SurfaceTest, CopyClampsTheSourceAndClipsAtTheDestination) {
  OffscreenSurface surface;
  surface.Set_Device(device);
  ASSERT_EQ(surface.Create(4, 4, PLAT_FMT_A8R8G8B8), 1u);
  Paint(surface.Get_Surface(), [](u32 x, u32 y) { return 0xFF000000u | x << 16 | y << 8; });
  PlatSurface* dest = Make(3, 3, PLAT_FMT_A8R8G8B8);
  // Destination place, source rectangle (left, top, right, bottom), then three pixels (x, y, value) after
  // the copy: a source past the surface is clamped to it; off the left and top edge the copy is shortened
  // but still starts at the source's corner.
  const struct {
    i32 dx, dy, left, top, right, bottom;
    u32 pixels[3][3];
  } rows[] = {{1, 1, 2, 2, 9, 9, {{0, 0, 0}, {1, 1, 0xFF020200}, {2, 2, 0xFF030300}}},
              {-1, -2, 1, 0, 4, 4, {{0, 0, 0xFF010000}, {1, 1, 0xFF020100}, {2, 2, 0}}}};
  for (auto& r : rows) {
    Paint(dest, [](u32, u32) { return 0u; });
    EXPECT_EQ(surface.Copy_To(dest, r.dx, r.dy, r.left, r.top, r.right, r.bottom), 1u);
    for (auto& p : r.pixels) EXPECT_EQ(Get(dest, i32(p[0]), i32(p[1])), p[2]) << r.dx << " " << p[0] << "," << p[1];
  }
  // Wholly outside, even where the position plus the width passes the largest i32, or empty: nothing to
  // do, and that is success.
  Paint(dest, [](u32, u32) { return 0u; });
  const i32 outside[][6] = {{5, 0, 0, 0, 4, 4},         {0, -9, 0, 0, 4, 4},         {0, 0, 3, 3, 1, 1},
                            {INT32_MAX, 0, 0, 0, 4, 4}, {0, INT32_MAX - 1, 0, 0, 4, 4}, {INT32_MIN, INT32_MIN, 0, 0, 4, 4}};
  for (auto& o : outside) EXPECT_EQ(surface.Copy_To(dest, o[0], o[1], o[2], o[3], o[4], o[5]), 1u) << o[0] << "," << o[1];
  for (i32 y = 0; y < 3; y++)
    for (i32 x = 0; x < 3; x++) EXPECT_EQ(Get(dest, x, y), 0u);
  // A destination that cannot be locked (the source itself): failure, and both are unlocked.
  EXPECT_EQ(surface.Copy_To(surface.Get_Surface(), 0, 0, 0, 0, 2, 2), 0u);
  EXPECT_EQ(surface.Copy_To(dest, 0, 0, 0, 0, 1, 1), 1u);
  Plat_Surface_Release(dest);
}

TEST_F(SurfaceTest, LoadsAPngScaledTo256WithBlackKeyedOut) {
  Require_Tool("convert");
  const std::string name = ::testing::TempDir() + "d3dutil_load.png";  // red and opaque black side by side
  Run_Command("convert -size 1x1 xc:'#FF0000' xc:'#000000' +append PNG24:" + name);
  OffscreenSurface surface;
  surface.Set_Device(device);
  ASSERT_EQ(surface.Load_From_File(name.c_str(), PLAT_FMT_A8R8G8B8), 1u);
  u32 format, w, h;
  Plat_Surface_Get_Desc(surface.Get_Surface(), &format, &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(256u, 256u));
  EXPECT_EQ(Get(surface.Get_Surface(), 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Get(surface.Get_Surface(), 255, 255), 0x00000000u);
  EXPECT_EQ(surface.Load_From_File("no such file.png", PLAT_FMT_A8R8G8B8), 0u);
  EXPECT_EQ(Plat_Surfaces_Live(), live_before + 1);  // a failed load keeps the surface it had
}
