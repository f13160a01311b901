// Race and box data: the pictures as other tools read them, the flight's bounds and the meshes' layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "art_box.h"
#include "art_race.h"
#include "tests/test_util.h"
#include "writer.h"

namespace {
std::string Own_Name(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(t->test_suite_name()) + "." + t->name() + "." + base;
}

const DatafileEntry* Find(const std::vector<DatafileEntry>& entries, const std::string& name) {
  for (const DatafileEntry& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}
}  // namespace

TEST(ArtRace, PicturesReadByImageMagickAtTheirSizes) {
  Require_Tool("identify");
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Race_Entries(".", &entries));
  ASSERT_TRUE(Art_Box_Entries(".", &entries));
  const std::pair<const char*, const char*> sizes[] = {{"race/metala.pcx", "256x256"}, {"race/klensc.pcx", "256x64"},
                                                        {"box/kasse.pcx", "256x256"},   {"box/kenv.pcx", "256x256"},
                                                        {"box/klensc.pcx", "256x64"}};
  for (const auto& [name, size] : sizes) {
    const DatafileEntry* e = Find(entries, name);
    ASSERT_NE(e, nullptr) << name;
    const std::string path = Own_Name("picture.pcx");
    ASSERT_TRUE(Write_File(path, e->data));
    const std::vector<u8> out = Run_Command("identify -format '%wx%h' " + path);
    EXPECT_EQ(std::string(out.begin(), out.end()), size) << name;
    std::remove(path.c_str());
  }
}

TEST(ArtRace, LensGlowsFadeToBlackAtTheirEdges) {
  const std::vector<u32> lens = Art_Race_Lens_Pixels();
  ASSERT_EQ(lens.size(), 256u * 64u);
  for (u32 k = 0; k < 4; k++) {
    for (u32 i = 0; i < 64; i++) {
      EXPECT_EQ(lens[i * 256 + k * 64], 0u);          // left column
      EXPECT_EQ(lens[k * 64 + i], 0u);                // top row
      EXPECT_EQ(lens[63 * 256 + k * 64 + i], 0u);     // bottom row
    }
    EXPECT_GT(lens[32 * 256 + k * 64 + 32] & 0xFF, 40u);  // something shines in the middle
  }
}

TEST(ArtRace, MetalPlateRepeatsWithoutASeamJump) {
  const std::vector<u32> metal = Art_Race_Metal_Pixels();
  auto lum = [&](u32 x, u32 y) { return i32((metal[y * 256 + x] >> 8) & 255); };
  // The panels' seams lie on columns 0 and 128: stepping from the last column into the first crosses a seam
  // as stepping from column 127 into 128 does, and nothing more.
  i32 across = 0, inside = 0;
  for (u32 y = 0; y < 256; y++) {
    across += std::abs(lum(255, y) - lum(0, y));
    inside += std::abs(lum(127, y) - lum(128, y));
  }
  EXPECT_LT(across, inside * 3 / 2);
  EXPECT_GT(across, inside * 2 / 3);
}

TEST(ArtRace, FlightLoopsInsideTheFieldBetweenThePlates) {
  const std::vector<PathCameraKey> keys = Art_Race_Camera_Keys();
  ASSERT_EQ(keys.size(), kArtRacePathRecords);
  for (const PathCameraKey& k : keys) {
    const f32 x = k.position[0] * kArtRacePathUnit, y = k.position[1] * kArtRacePathUnit;
    const f32 z = k.position[2] * kArtRacePathUnit;
    EXPECT_LT(std::fabs(y), 750.0f);
    EXPECT_LT(std::sqrt(x * x + z * z), 8750.0f);
    EXPECT_GT(std::sqrt(x * x + z * z), 3000.0f);
  }
  // The last record leads into the first as any record into the next.
  const auto step = [&](const PathCameraKey& a, const PathCameraKey& b) {
    f32 d = 0;
    for (u32 i = 0; i < 3; i++) d += (a.position[i] - b.position[i]) * (a.position[i] - b.position[i]);
    return std::sqrt(d);
  };
  EXPECT_LT(step(keys.back(), keys.front()), 1.5f * step(keys[0], keys[1]));
}

TEST(ArtBox, RoomAndShellFitTheScene) {
  const K3dMesh room = Art_Box_Crate();
  ASSERT_EQ(room.objects.size(), 1u);
  EXPECT_EQ(room.objects[0].points.size(), 8u);
  EXPECT_EQ(room.objects[0].polygons.size(), 6u);
  for (const K3dPoint& p : room.objects[0].points)
    for (f32 c : p) EXPECT_EQ(std::fabs(c) * kArtBoxScale, kArtBoxHalfSize);
  const K3dMesh shell = Art_Box_Shell();
  ASSERT_EQ(shell.objects.size(), 1u);
  const u32 points = u32(shell.objects[0].points.size()), polys = u32(shell.objects[0].polygons.size());
  EXPECT_EQ(points, kArtBoxShellRings * kArtBoxShellSegments + 2);
  EXPECT_EQ(polys, (kArtBoxShellRings + 1) * kArtBoxShellSegments);
  // The scene holds 800 points and 800 polygons for the room, the four sprites and the shell.
  EXPECT_LE(points + 8 + 4, 800u);
  EXPECT_LE(polys + 6 + 4, 800u);
  // Closed: every edge is shared by exactly two polygons, once each way.
  std::vector<i32> edges(size_t(points) * points, 0);
  for (const K3dPolygon& q : shell.objects[0].polygons)
    for (size_t i = 0; i < q.points.size(); i++) edges[q.points[i] * points + q.points[(i + 1) % q.points.size()]]++;
  for (u32 a = 0; a < points; a++)
    for (u32 b = 0; b < points; b++) EXPECT_EQ(edges[a * points + b], edges[b * points + a]);
}
