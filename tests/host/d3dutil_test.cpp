// Direct3D conveniences: matrices against hand-computed values, format descriptions, the converting
// and clipping surface copy, and loading a PNG written by ImageMagick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/d3dutil.h"
#include "tests/test_util.h"

namespace {
const f32 kPi = 3.14159265f;

D3dVector Transform(const D3dMatrix& m, const D3dVector& p) {  // row vector, w = 1
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

void Expect_Matrix(const D3dMatrix& m, const f32 (&want)[16]) {
  const f32* got = &m._11;
  for (int i = 0; i < 16; i++) EXPECT_NEAR(got[i], want[i], 1e-5f) << "element _" << i / 4 + 1 << i % 4 + 1;
}

void Expect_Vector(const D3dVector& v, f32 x, f32 y, f32 z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

D3dMatrix Poisoned(void) {
  D3dMatrix m;
  f32* p = &m._11;
  for (int i = 0; i < 16; i++) p[i] = 7;
  return m;
}

bool Untouched(const D3dMatrix& m) {
  const f32* p = &m._11;
  for (int i = 0; i < 16; i++)
    if (p[i] != 7) return false;
  return true;
}
}  // namespace

TEST(D3dMatrices, ViewFromBehindTheOriginIsATranslation) {
  D3dMatrix m;
  ASSERT_EQ(D3d_Set_View_Matrix(&m, {0, 0, -5}, {0, 0, 0}, {0, 1, 0}), u32(D3D_OK));
  Expect_Matrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1});
}

TEST(D3dMatrices, ViewMapsEyeToOriginAndTargetOntoPositiveZ) {
  D3dMatrix m;
  D3dVector eye = {3, 4, -2}, target = {-1, 2, 6};
  ASSERT_EQ(D3d_Set_View_Matrix(&m, eye, target, {0, 1, 0}), u32(D3D_OK));
  Expect_Vector(Transform(m, eye), 0, 0, 0);
  f32 distance = std::sqrt(16.0f + 4.0f + 64.0f);
  Expect_Vector(Transform(m, target), 0, 0, distance);
  // The rows of the rotation part are orthonormal.
  D3dVector r = {m._11, m._21, m._31}, u = {m._12, m._22, m._32}, v = {m._13, m._23, m._33};
  EXPECT_NEAR(D3d_Dot(r, r), 1, 1e-5f);
  EXPECT_NEAR(D3d_Dot(u, u), 1, 1e-5f);
  EXPECT_NEAR(D3d_Dot(r, u), 0, 1e-5f);
  EXPECT_NEAR(D3d_Dot(u, v), 0, 1e-5f);
}

TEST(D3dMatrices, ViewFallsBackWhenUpIsAlongTheViewAndRefusesEyeAtTarget) {
  D3dMatrix m;
  // Looking along x with up along x: up becomes y.
  ASSERT_EQ(D3d_Set_View_Matrix(&m, {0, 0, 0}, {2, 0, 0}, {1, 0, 0}), u32(D3D_OK));
  Expect_Vector({m._12, m._22, m._32}, 0, 1, 0);
  Expect_Vector({m._11, m._21, m._31}, 0, 0, -1);  // right = up x view = y x x
  // Looking along y with up along y: up becomes z.
  ASSERT_EQ(D3d_Set_View_Matrix(&m, {0, 0, 0}, {0, 3, 0}, {0, -1, 0}), u32(D3D_OK));
  Expect_Vector({m._12, m._22, m._32}, 0, 0, 1);
  m = Poisoned();
  EXPECT_EQ(D3d_Set_View_Matrix(&m, {1, 2, 3}, {1, 2, 3}, {0, 1, 0}), u32(E_INVALIDARG));
  EXPECT_TRUE(Untouched(m));
}

TEST(D3dMatrices, ProjectionByHand) {
  D3dMatrix m;
  ASSERT_EQ(D3d_Set_Projection_Matrix(&m, kPi / 2, 0.625f, 1, 101), u32(D3D_OK));
  Expect_Matrix(m, {0.625f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0});
  m = Poisoned();
  EXPECT_EQ(D3d_Set_Projection_Matrix(&m, kPi / 2, 1, 5, 5), u32(E_INVALIDARG));
  EXPECT_EQ(D3d_Set_Projection_Matrix(&m, 0, 1, 1, 100), u32(E_INVALIDARG));
  EXPECT_TRUE(Untouched(m));
}

TEST(D3dMatrices, RotationsByHandAndTheAxisFormTurnsTheOtherWay) {
  D3dMatrix m, n;
  Expect_Vector(Transform(*D3d_Set_Rotate_Z(&m, kPi / 2), {1, 0, 0}), 0, 1, 0);
  Expect_Vector(Transform(*D3d_Set_Rotate_X(&m, kPi / 2), {0, 1, 0}), 0, 0, 1);
  Expect_Vector(Transform(*D3d_Set_Rotate_Y(&m, kPi / 2), {0, 0, 1}), 1, 0, 0);
  const f32 c = std::cos(0.3f), s = std::sin(0.3f);
  Expect_Matrix(*D3d_Set_Rotate_Y(&m, 0.3f), {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
  D3d_Set_Rotation_Matrix(&m, {5, 0, 0}, 0.7f);
  D3d_Set_Rotate_X(&n, -0.7f);
  Expect_Matrix(m, {n._11, n._12, n._13, n._14, n._21, n._22, n._23, n._24, n._31, n._32, n._33, n._34, n._41,
                    n._42, n._43, n._44});
  // About (1, 1, 1), a third of a turn in this form's sense carries x to z.
  D3d_Set_Rotation_Matrix(&m, {1, 1, 1}, 2 * kPi / 3);
  Expect_Vector(Transform(m, {1, 0, 0}), 0, 0, 1);
  // A zero axis leaves cos(angle) on the diagonal and nothing else.
  D3d_Set_Rotation_Matrix(&m, {0, 0, 0}, 1.0f);
  const f32 c1 = std::cos(1.0f);
  Expect_Matrix(m, {c1, 0, 0, 0, 0, c1, 0, 0, 0, 0, c1, 0, 0, 0, 0, 1});
}

TEST(D3dMatrices, VectorsAndMaterial) {
  D3dVector a, b;
  D3d_Vector_Set(&a, 1, 2, 3);
  D3d_Vector_Set(&b, 4, 5, 6);
  EXPECT_EQ(D3d_Dot(a, b), 32);
  Expect_Vector(D3d_Cross(a, b), -3, 6, -3);
  D3dMaterial mat;
  memset(&mat, 0x55, sizeof mat);
  D3d_Init_Material(&mat, 0.1f, 0.2f, 0.3f, 0.4f);
  EXPECT_EQ(mat.diffuse.g, 0.2f);
  EXPECT_EQ(mat.ambient.a, 0.4f);
  EXPECT_EQ(mat.specular.r, 0);
  EXPECT_EQ(mat.emissive.b, 0);
  EXPECT_EQ(mat.power, 0);
}

TEST(D3dFormats, DescribeGivesShiftsMasksAndMaxima) {
  FormatInfo info;
  FormatDesc d;
  // Format: red, green, blue and alpha shifts, green and alpha maxima, bits.
  const std::pair<u32, std::vector<u32>> rows[] = {{PLAT_FMT_A8R8G8B8, {16, 8, 0, 24, 255, 255, 32}},
                                                   {PLAT_FMT_R5G6B5, {11, 5, 0, 0, 63, 0, 16}},
                                                   {PLAT_FMT_A2B10G10R10, {0, 10, 20, 30, 1023, 3, 32}}};
  for (auto& [format, want] : rows) {
    ASSERT_EQ(info.Describe(format, &d), 1u) << format;
    EXPECT_EQ(std::vector<u32>({d.red_shift, d.green_shift, d.blue_shift, d.alpha_shift, d.green_max, d.alpha_max,
                                d.bits}),
              want)
        << format;
  }
  EXPECT_EQ(info.Describe(PLAT_FMT_A8R8G8B8, nullptr), 0u);
  EXPECT_EQ(info.Describe(50, &d), 8u);
}

namespace {
struct SurfaceTest : ::testing::Test {
  PlatDevice* device = Plat_Create_Device();
  u32 live_before = Plat_Surfaces_Live();
  ~SurfaceTest() override { Plat_Release_Device(device); }

  PlatSurface* Make(u32 w, u32 h, u32 format) {
    return Plat_Create_Offscreen_Surface(device, w, h, format, PLAT_POOL_SCRATCH);
  }
  static u32 Get(PlatSurface* s, i32 x, i32 y) {
    u32 format, w, h, pitch;
    Plat_Surface_Get_Desc(s, &format, &w, &h);
    u8* bits;
    EXPECT_TRUE(Plat_Surface_Lock(s, nullptr, PLAT_LOCK_READONLY, &bits, &pitch));
    u32 bytes = format == PLAT_FMT_R5G6B5 || format == PLAT_FMT_A4R4G4B4 || format == PLAT_FMT_X1R5G5B5 ||
                        format == PLAT_FMT_A1R5G5B5
                    ? 2
                    : format == PLAT_FMT_R8G8B8 ? 3 : 4;
    u32 v = 0;
    memcpy(&v, bits + size_t(y) * pitch + size_t(x) * bytes, bytes);
    Plat_Surface_Unlock(s);
    return v;
  }
  static void Fill(PlatSurface* s, u32 value) {
    u32 format, w, h, pitch;
    Plat_Surface_Get_Desc(s, &format, &w, &h);
    u8* bits;
    ASSERT_TRUE(Plat_Surface_Lock(s, nullptr, 0, &bits, &pitch));
    for (u32 y = 0; y < h; y++)
      for (u32 x = 0; x < w; x++) memcpy(bits + y * pitch + x * 4, &value, 4);
    Plat_Surface_Unlock(s);
  }
  // The source: 4 x 4 of A8R8G8B8 whose pixel x, y is 0xFF000000 | x << 16 | y << 8.
  static void Pattern(PlatSurface* s) {
    u8* bits;
    u32 pitch;
    ASSERT_TRUE(Plat_Surface_Lock(s, nullptr, 0, &bits, &pitch));
    for (u32 y = 0; y < 4; y++)
      for (u32 x = 0; x < 4; x++) {
        u32 v = 0xFF000000u | x << 16 | y << 8;
        memcpy(bits + y * pitch + x * 4, &v, 4);
      }
    Plat_Surface_Unlock(s);
  }
};
}  // namespace

TEST_F(SurfaceTest, CopyConvertsChannelsBetweenFormats) {
  OffscreenSurface surface;
  EXPECT_EQ(surface.Create(4, 4, PLAT_FMT_A8R8G8B8), 2u);
  EXPECT_EQ(surface.Set_Device(nullptr), 2u);
  ASSERT_EQ(surface.Set_Device(device), 1u);
  EXPECT_EQ(surface.Copy_To(nullptr, 0, 0, 0, 0, 4, 4), 2u);  // no surface yet
  ASSERT_EQ(surface.Create(2, 1, PLAT_FMT_A8R8G8B8), 1u);
  EXPECT_EQ(surface.Copy_To(nullptr, 0, 0, 0, 0, 4, 4), 0u);
  u8* bits;
  u32 pitch;
  ASSERT_TRUE(Plat_Surface_Lock(surface.Get_Surface(), nullptr, 0, &bits, &pitch));
  u32 pixels[2] = {0xFF804020u, 0xFFFFFFFFu};
  memcpy(bits, pixels, 8);
  Plat_Surface_Unlock(surface.Get_Surface());

  PlatSurface* r565 = Make(2, 1, PLAT_FMT_R5G6B5);
  EXPECT_EQ(surface.Copy_To(r565, 0, 0, 0, 0, 2, 1), 1u);
  EXPECT_EQ(Get(r565, 0, 0), 0x79E3u);  // 15, 15, 3
  EXPECT_EQ(Get(r565, 1, 0), 0xFFFFu);  // alpha dropped
  PlatSurface* a4 = Make(2, 1, PLAT_FMT_A4R4G4B4);
  EXPECT_EQ(surface.Copy_To(a4, 0, 0, 0, 0, 2, 1), 1u);
  EXPECT_EQ(Get(a4, 0, 0), 0xF731u);  // truncated: 128 -> 7, 64 -> 3, 32 -> 1
  PlatSurface* rgb24 = Make(2, 1, PLAT_FMT_R8G8B8);
  EXPECT_EQ(surface.Copy_To(rgb24, 0, 0, 0, 0, 2, 1), 1u);
  EXPECT_EQ(Get(rgb24, 0, 0), 0x804020u);
  EXPECT_EQ(Get(rgb24, 1, 0), 0xFFFFFFu);

  // X8R8G8B8 into A8R8G8B8: the missing alpha becomes 0.
  ASSERT_EQ(surface.Create(2, 1, PLAT_FMT_X8R8G8B8), 1u);
  Fill(surface.Get_Surface(), 0xFF123456u);
  PlatSurface* argb = Make(2, 1, PLAT_FMT_A8R8G8B8);
  EXPECT_EQ(surface.Copy_To(argb, 0, 0, 0, 0, 2, 1), 1u);
  EXPECT_EQ(Get(argb, 1, 0), 0x00123456u);
  for (PlatSurface* s : {r565, a4, rgb24, argb}) Plat_Surface_Release(s);
}

TEST_F(SurfaceTest, CopyClampsTheSourceAndClipsAtTheDestination) {
  OffscreenSurface surface;
  surface.Set_Device(device);
  ASSERT_EQ(surface.Create(4, 4, PLAT_FMT_A8R8G8B8), 1u);
  Pattern(surface.Get_Surface());
  PlatSurface* dest = Make(3, 3, PLAT_FMT_A8R8G8B8);
  // A source rectangle past the surface is clamped to it; the destination cuts the rest.
  Fill(dest, 0);
  EXPECT_EQ(surface.Copy_To(dest, 1, 1, 2, 2, 9, 9), 1u);
  EXPECT_EQ(Get(dest, 0, 0), 0u);
  EXPECT_EQ(Get(dest, 1, 1), 0xFF020200u);
  EXPECT_EQ(Get(dest, 2, 2), 0xFF030300u);
  // Off the left and top edge: the copy is shortened but still starts at the source's corner.
  Fill(dest, 0);
  EXPECT_EQ(surface.Copy_To(dest, -1, -2, 1, 0, 4, 4), 1u);
  EXPECT_EQ(Get(dest, 0, 0), 0xFF010000u);
  EXPECT_EQ(Get(dest, 1, 1), 0xFF020100u);
  EXPECT_EQ(Get(dest, 2, 2), 0u);
  // Wholly outside, or empty: nothing to do, and that is success.
  Fill(dest, 0);
  EXPECT_EQ(surface.Copy_To(dest, 5, 0, 0, 0, 4, 4), 1u);
  EXPECT_EQ(surface.Copy_To(dest, 0, -9, 0, 0, 4, 4), 1u);
  EXPECT_EQ(surface.Copy_To(dest, 0, 0, 3, 3, 1, 1), 1u);
  // Far outside, where the position plus the width passes the largest i32: still nothing to do.
  EXPECT_EQ(surface.Copy_To(dest, INT32_MAX, 0, 0, 0, 4, 4), 1u);
  EXPECT_EQ(surface.Copy_To(dest, 0, INT32_MAX - 1, 0, 0, 4, 4), 1u);
  EXPECT_EQ(surface.Copy_To(dest, INT32_MIN, INT32_MIN, 0, 0, 4, 4), 1u);
  for (i32 y = 0; y < 3; y++)
    for (i32 x = 0; x < 3; x++) EXPECT_EQ(Get(dest, x, y), 0u);
  // A destination that cannot be locked (the source itself): failure, and both are unlocked.
  EXPECT_EQ(surface.Copy_To(surface.Get_Surface(), 0, 0, 0, 0, 2, 2), 0u);
  EXPECT_EQ(surface.Copy_To(dest, 0, 0, 0, 0, 1, 1), 1u);
  Plat_Surface_Release(dest);
}

TEST_F(SurfaceTest, SurfacesAreReleasedWhenReplacedAndWithTheObject) {
  {
    OffscreenSurface surface;
    surface.Set_Device(device);
    ASSERT_EQ(surface.Create(8, 8, PLAT_FMT_R5G6B5), 1u);
    ASSERT_EQ(surface.Create(8, 8, PLAT_FMT_R5G6B5), 1u);
    EXPECT_EQ(Plat_Surfaces_Live(), live_before + 1);
    EXPECT_EQ(surface.Create(8, 8, 77), 0u);  // a format the device does not make
    EXPECT_EQ(surface.Get_Surface(), nullptr);
    ASSERT_EQ(surface.Create(8, 8, PLAT_FMT_R5G6B5), 1u);
  }
  EXPECT_EQ(Plat_Surfaces_Live(), live_before);
}

TEST_F(SurfaceTest, LoadsAPngScaledTo256WithBlackKeyedOut) {
  Require_Tool("convert");
  std::string name = ::testing::TempDir() + "d3dutil_load.png";
  // Two pixels side by side: red, opaque black.
  Run_Command("convert -size 1x1 xc:'#FF0000' xc:'#000000' +append PNG24:" + name);
  OffscreenSurface surface;
  EXPECT_EQ(surface.Load_From_File(name.c_str(), PLAT_FMT_A8R8G8B8), 2u);
  surface.Set_Device(device);
  ASSERT_EQ(surface.Load_From_File(name.c_str(), PLAT_FMT_A8R8G8B8), 1u);
  u32 format, w, h;
  Plat_Surface_Get_Desc(surface.Get_Surface(), &format, &w, &h);
  EXPECT_EQ(w, 256u);
  EXPECT_EQ(h, 256u);
  EXPECT_EQ(Get(surface.Get_Surface(), 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Get(surface.Get_Surface(), 255, 255), 0x00000000u);
  // The copy into a 16-bit surface goes through the same conversion.
  PlatSurface* r565 = Make(256, 256, PLAT_FMT_R5G6B5);
  EXPECT_EQ(surface.Copy_To(r565, 0, 0, 0, 0, 256, 256), 1u);
  EXPECT_EQ(Get(r565, 10, 10), 0xF800u);
  Plat_Surface_Release(r565);
  // A missing or broken file fails and keeps what was loaded.
  EXPECT_EQ(surface.Load_From_File("no such file.png", PLAT_FMT_A8R8G8B8), 0u);
  EXPECT_NE(surface.Get_Surface(), nullptr);
  EXPECT_EQ(Plat_Surfaces_Live(), live_before + 1);
}
