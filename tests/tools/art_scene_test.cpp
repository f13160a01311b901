// Made scene data as the viewer meets it: the flights' views and bounds, and the lettering's fit.
#include <gtest/gtest.h>

#include <cmath>

#include "art_term.h"

namespace {
const f32 kTicksPerSecond = 85.0f;

ArtVec Engine_Point(const std::array<f32, 3>& p, f32 scale) { return {p[0] * scale, -p[1] * scale, p[2] * scale}; }
ArtVec Unit(ArtVec v) { return v * (1.0f / std::sqrt(Art_Dot(v, v))); }
}  // namespace

TEST(ArtTerm, FlightSeesTheSunPastTheCeilingLightTwiceAndStaysInTheHall) {
  const std::vector<PathCameraKey> keys = Art_Term_Camera_Keys();
  ASSERT_EQ(keys.size(), kArtTermPathRecords);
  // The scene's first run shows records 0 .. 2609, its second run the rest.
  const u32 second_run = 2610;
  u32 seen[2] = {0, 0};
  for (u32 i = 0; i < keys.size(); i++) {
    const ArtVec p = Engine_Point(keys[i].position, kArtTermPathScale);
    const ArtVec t = Engine_Point(keys[i].target, kArtTermPathScale);
    EXPECT_LT(std::fabs(p.x), kArtTermHallHalf - 500) << i;
    EXPECT_LT(std::fabs(p.z), kArtTermHallHalf - 500) << i;
    EXPECT_LT(p.y, kArtTermFloorY - 600) << i;  // well above the floor
    EXPECT_GT(p.y, kArtTermLightY) << i;        // under the ceiling light
    const ArtVec to_sun = kArtTermSun - p;
    const f32 off_view = std::acos(std::min(1.0f, Art_Dot(Unit(t - p), Unit(to_sun)))) * 57.29578f;
    // Where the line to the sun passes the ceiling light's height: beyond its diamond.
    const ArtVec cross = p + to_sun * ((p.y - kArtTermLightY) / (p.y - kArtTermSun.y));
    if (off_view < 20.0f && std::fabs(cross.x) + std::fabs(cross.z) > kArtTermLightHalf + 100) seen[i >= second_run]++;
  }
  EXPECT_GE(seen[0], u32(3 * kTicksPerSecond));
  EXPECT_GE(seen[1], u32(3 * kTicksPerSecond));
}
