// The made data: sizes as other tools read them, the race plate and flight, the box meshes' layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "art_box.h"
#include "art_coon.h"
#include "art_credits.h"
#include "art_design.h"
#include "art_eye.h"
#include "art_gang.h"
#include "art_intro.h"
#include "art_plasma.h"
#include "art_race.h"
#include "art_rig.h"
#include "art_term.h"
#include "tests/engine_fixture.h"
#include "writer.h"

namespace {
const DatafileEntry* Find(const std::vector<DatafileEntry>& entries, const std::string& name) {
  for (const DatafileEntry& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}
}  // namespace

TEST(ArtData, EveryPictureAndPathHasTheSizeItsSceneReads) {
  Require_Tool("identify");
  std::vector<DatafileEntry> entries;
  bool (*makers[])(const std::string&, std::vector<DatafileEntry>*) = {
      Art_Design_Entries, Art_Intro_Entries, Art_Rig_Entries, Art_Term_Entries, Art_Race_Entries, Art_Box_Entries,
      Art_Eye_Entries,    Gang_Art_Entries,  Art_Plasma_Entries, Art_Coon_Entries, Art_Credits_Entries};
  for (auto make : makers) ASSERT_TRUE(make(".", &entries));
  // Pictures: the size another tool reads; paths: 48-byte camera records, as many as the scene flies.
  const std::pair<const char*, const char*> pictures[] = {
      {"race/metala.pcx", "256x256"},   {"race/klensc.pcx", "256x64"},     {"box/kasse.pcx", "256x256"},
      {"box/kenv.pcx", "256x256"},      {"box/klensc.pcx", "256x64"},      {"Term/wface2.pcx", "256x256"},
      {"Term/wbody2.pcx", "256x256"},   {"Term/envir24p.pcx", "256x256"},  {"Term/Term1.pcx", "256x256"},
      {"Term/newdone3.pcx", "256x256"}, {"Term/Termp9.pcx", "256x256"},    {"term/klensf.pcx", "256x256"},
      {"coon/coon1.pcx", "320x205"},    {"coon/greets.pcx", "320x200"},    {"credits/credits.pcx", "320x300"},
      {"design/strips.pcx", "320x170"}, {"design/prosa4.pcx", "320x200"},  {"eye/keye1a.pcx", "256x264"},
      {"eye/keye2a.pcx", "160x130"},    {"eye/keye5a.pcx", "160x130"},     {"plasma/plasma5.pcx", "256x256"},
      {"plasma/tunnely.pcx", "640x400"}, {"rig/water3.pcx", "256x256"},    {"gang/wall7.pcx", "256x256"},
      {"intro/tarlogo.pcx", "320x100"}, {"flare/flare1.pcx", "320x99"}};
  for (const auto& [name, size] : pictures) {
    const DatafileEntry* e = Find(entries, name);
    ASSERT_NE(e, nullptr) << name;
    const std::string path = Test_Short_Temp("picture.pcx");
    ASSERT_TRUE(Write_File(path, e->data));
    const std::vector<u8> out = Run_Command("identify -format '%wx%h' " + path);
    EXPECT_EQ(std::string(out.begin(), out.end()), size) << name;
    std::remove(path.c_str());
  }
  const std::pair<const char*, u32> paths[] = {
      {"race/race4.cam", 2600}, {"Term/kTerma.cam", 3300}, {"gang/kgang6.cam", 2801}, {"rig/rigformb.cam", 2600}};
  for (const auto& [name, records] : paths) {
    const DatafileEntry* e = Find(entries, name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(e->data.size(), size_t(records) * 48) << name;
  }
}

TEST(ArtRace, LensGlowsFadeToBlackAtTheirEdges) {
  const std::vector<u32> lens = Art_Race_Lens_Pixels();
  ASSERT_EQ(lens.size(), 256u * 64u);
  for (u32 k = 0; k < 4; k++) {
    // Left column, top row and bottom row black.
    for (u32 i = 0; i < 64; i++) EXPECT_EQ(lens[i * 256 + k * 64] | lens[k * 64 + i] | lens[63 * 256 + k * 64 + i], 0u);
    EXPECT_GT(lens[32 * 256 + k * 64 + 32] & 0xFF, 40u);  // something shines in the middle
  }
}

TEST(ArtRace, PlateHoldsNoDetailFinerThanAFewTexelsAndWrapsSeamlessly) {
  // Seen to the horizon without levels of detail, a sharp texel-sized step would shimmer: no channel may
  // jump far between neighbours, across the wrap as inside; the lane lines still stand out.
  const std::vector<u32> plate = Art_Race_Metal_Pixels();
  ASSERT_EQ(plate.size(), 256u * 256u);
  auto channel = [&](u32 x, u32 y, u32 s) { return i32((plate[(y & 255) * 256 + (x & 255)] >> s) & 255); };
  i32 steepest = 0, lo = 255, hi = 0;
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++)
      for (u32 s = 0; s < 24; s += 8) {
        steepest = std::max({steepest, std::abs(channel(x + 1, y, s) - channel(x, y, s)),
                             std::abs(channel(x, y + 1, s) - channel(x, y, s))});
        lo = std::min(lo, channel(x, y, s)), hi = std::max(hi, channel(x, y, s));
      }
  EXPECT_LE(steepest, 48);
  EXPECT_GE(hi - lo, 150);
}

TEST(ArtRace, FlightLapsTheCorridorQuicklyAndLoops) {
  const std::vector<PathCameraKey> keys = Art_Race_Camera_Keys();
  ASSERT_EQ(keys.size(), kArtRacePathRecords);
  const auto at = [&](u32 i, u32 c) { return keys[i % keys.size()].position[c] * kArtRacePathUnit; };
  f32 slowest = 1e9f, fastest = 0;
  for (u32 i = 0; i < keys.size(); i++) {
    // Between the plates (2500 from the middle) and about the sprite fields (8750 from it).
    EXPECT_TRUE(std::fabs(at(i, 1)) < 1500.0f && std::fabs(at(i, 0)) < 10000.0f && std::fabs(at(i, 2)) < 10000.0f) << i;
    // Each record a tick of 85 a second, the last leading into the first as any into the next.
    f32 d = 0;
    for (u32 c = 0; c < 3; c++) d += (at(i + 1, c) - at(i, c)) * (at(i + 1, c) - at(i, c));
    slowest = std::min(slowest, std::sqrt(d) * 85), fastest = std::max(fastest, std::sqrt(d) * 85);
  }
  EXPECT_GT(slowest, 3000.0f);  // units a second
  EXPECT_LT(fastest, 1.2f * slowest);
}

TEST(ArtBox, RoomAndShellFitTheScene) {
  const K3dMesh room = Art_Box_Crate();
  ASSERT_EQ(room.objects.size(), 1u);
  EXPECT_EQ(std::make_pair(room.objects[0].points.size(), room.objects[0].polygons.size()), std::make_pair(size_t(8), size_t(6)));
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
