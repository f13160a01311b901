// The Direct3D surface stand-ins: lock rules, normalisation, and bilinear loading with channel
// conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/plat_d3d.h"

TEST(PlatSurface, LocksOnlyRectanglesInsideAndOneAtATime) {
  PlatDevice* device = Plat_Create_Device();
  EXPECT_EQ(Plat_Create_Offscreen_Surface(device, 0, 4, PLAT_FMT_R5G6B5, PLAT_POOL_DEFAULT), nullptr);
  EXPECT_EQ(Plat_Create_Offscreen_Surface(device, 4, 4, 99, PLAT_POOL_DEFAULT), nullptr);
  PlatSurface* s = Plat_Create_Offscreen_Surface(device, 5, 4, PLAT_FMT_R8G8B8, PLAT_POOL_DEFAULT);
  ASSERT_NE(s, nullptr);
  u8* bits;
  u32 pitch;
  PlatRect inside = {1, 2, 5, 4};
  for (PlatRect bad : {PlatRect{3, 0, 2, 4}, {1, 1, 1, 3}, {0, 0, 6, 4}})  // inverted, empty, outside
    EXPECT_FALSE(Plat_Surface_Lock(s, &bad, 0, &bits, &pitch)) << bad.left << "," << bad.top;
  u8* base;
  ASSERT_TRUE(Plat_Surface_Lock(s, nullptr, 0, &base, &pitch));
  EXPECT_EQ(pitch, 16u);  // 15 bytes rounded up to 4
  EXPECT_FALSE(Plat_Surface_Lock(s, &inside, 0, &bits, &pitch));
  Plat_Surface_Unlock(s);
  ASSERT_TRUE(Plat_Surface_Lock(s, &inside, 0, &bits, &pitch));
  EXPECT_EQ(bits - base, 2 * 16 + 1 * 3);
  Plat_Surface_Unlock(s);
  Plat_Surface_Release(s);
  Plat_Release_Device(device);
}

TEST(PlatSurface, NormaliseKeepsZero) {
  for (auto [in, want] : {std::pair<PlatVec3, PlatVec3>{{3, 0, 4}, {0.6f, 0, 0.8f}}, {{0, 0, 0}, {0, 0, 0}}}) {
    PlatVec3 out;
    Plat_Vec3_Normalize(&out, &in);
    EXPECT_TRUE(out.x == want.x && out.y == want.y && out.z == want.z) << out.x << " " << out.y << " " << out.z;
  }
}

TEST(PlatSurface, LoadingFromASurfaceScalesBilinearlyAndKeys) {
  PlatDevice* device = Plat_Create_Device();
  PlatSurface* src = Plat_Create_Offscreen_Surface(device, 2, 1, PLAT_FMT_X8R8G8B8, PLAT_POOL_SCRATCH);
  PlatSurface* dst = Plat_Create_Offscreen_Surface(device, 4, 1, PLAT_FMT_A8R8G8B8, PLAT_POOL_SCRATCH);
  u8* bits;
  u32 pitch;
  ASSERT_TRUE(Plat_Surface_Lock(src, nullptr, 0, &bits, &pitch));
  u32 two[2] = {0x00000000u, 0x00FFFFFFu};  // black, white; X8 reads as opaque
  memcpy(bits, two, 8);
  Plat_Surface_Unlock(src);
  // Pixel centres: 0 and 1 clamp, 1.5 / 2 - 0.5 = 0.25 and 0.75 of the way. With opaque black as the key,
  // black turns transparent before the scaling.
  for (auto [key, want] : {std::pair<u32, std::vector<u32>>{0, {0xFF000000u, 0xFF404040u, 0xFFBFBFBFu, 0xFFFFFFFFu}},
                           {0xFF000000u, {0x00000000u, 0x40404040u, 0xBFBFBFBFu, 0xFFFFFFFFu}}}) {
    ASSERT_TRUE(Plat_Load_Surface_From_Surface(dst, src, PLAT_FILTER_LINEAR, key));
    ASSERT_TRUE(Plat_Surface_Lock(dst, nullptr, 0, &bits, &pitch));
    EXPECT_EQ(std::vector<u32>(reinterpret_cast<u32*>(bits), reinterpret_cast<u32*>(bits) + 4), want) << key;
    Plat_Surface_Unlock(dst);
  }
  EXPECT_FALSE(Plat_Load_Surface_From_File(dst, "/nonexistent.png", PLAT_FILTER_LINEAR, 0));
  Plat_Surface_Release(src);
  Plat_Surface_Release(dst);
  Plat_Release_Device(device);
}
