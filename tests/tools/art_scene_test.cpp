// Made scene data as the viewer meets it: the flights' views and bounds, and the lettering's fit.
#include <gtest/gtest.h>

#include <cmath>

#include "art_box.h"
#include "art_coon.h"
#include "art_design.h"
#include "art_gang.h"
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
    EXPECT_LT(std::max(std::fabs(p.x), std::fabs(p.z)), kArtTermHallHalf - 500) << i;
    EXPECT_TRUE(p.y < kArtTermFloorY - 600 && p.y > kArtTermLightY) << i;  // well above the floor, under the light
    const ArtVec to_sun = kArtTermSun - p;
    const f32 off_view = std::acos(std::min(1.0f, Art_Dot(Unit(t - p), Unit(to_sun)))) * 57.29578f;
    // Where the line to the sun passes the ceiling light's height: beyond its diamond.
    const ArtVec cross = p + to_sun * ((p.y - kArtTermLightY) / (p.y - kArtTermSun.y));
    if (off_view < 20.0f && std::fabs(cross.x) + std::fabs(cross.z) > kArtTermLightHalf + 100) seen[i >= second_run]++;
  }
  EXPECT_GE(seen[0], u32(3 * kTicksPerSecond));
  EXPECT_GE(seen[1], u32(3 * kTicksPerSecond));
}

TEST(ArtDesign, EveryOverlayLineLiesWhollyInsideItsPieces) {
  // The lines the post-effect layer cuts from the text picture (x, y, width; 22 rows each): two lines of
  // one piece, then a third of two pieces that the layer shows side by side as they lie in the picture.
  const i32 lines[12][3] = {{2, 22, 90},   {2, 44, 90},   {2, 66, 92},    {2, 110, 90},   {2, 132, 90},  {2, 154, 92},
                            {102, 22, 90}, {102, 44, 90}, {102, 66, 102}, {102, 110, 90}, {102, 132, 90}, {102, 154, 102}};
  const ArtCanvas a = Art_Design_Prosa();
  ASSERT_EQ(a.width * a.height, 320u * 200u);
  std::vector<u32> lit_in(12, 0);
  for (i32 y = 0; y < 200; y++)
    for (i32 x = 0; x < 320; x++) {
      if (!a.pixels[u32(y) * 320 + u32(x)]) continue;
      bool inside = false;
      for (u32 i = 0; i < 12; i++) {
        const i32* l = lines[i];
        if (x < l[0] || x >= l[0] + l[2] || y < l[1] || y >= l[1] + 22) continue;
        inside = true;
        lit_in[i]++;
        // Nothing lit on a line's border: a lit edge is a letter cut off.
        EXPECT_TRUE(x > l[0] && x < l[0] + l[2] - 1 && y > l[1] && y < l[1] + 21) << x << "," << y << " line " << i;
      }
      EXPECT_TRUE(inside) << x << "," << y;
    }
  for (u32 i = 0; i < 12; i++) EXPECT_GT(lit_in[i], 60u) << "line " << i << " holds words";
}

TEST(ArtBox, ShellSwellsAsOneSmoothBandSmallerThanItself) {
  // The scene moves point k of the shell out by 120 x sin(phase), phase = 10 x (first point + k) of 2048
  // steps a turn, masked to 0 .. 1023; all phases then advance together.
  const f32 swell = 120.0f;
  const K3dMesh shell = Art_Box_Shell();
  const K3dObject& o = shell.objects[0];
  const u32 count = u32(o.points.size());
  auto phase = [&](u32 k) { return i32((10 * (kArtBoxShellFirstPoint + k)) & 1023); };
  i32 steepest = 0;
  for (const K3dPolygon& q : o.polygons)
    for (size_t i = 0; i < q.points.size(); i++) {
      const i32 d = std::abs(phase(q.points[i]) - phase(q.points[(i + 1) % q.points.size()]));
      steepest = std::max(steepest, std::min(d, 1024 - d));
    }
  // Neighbours a sixteenth of a cycle apart at most: the swell never differs by more than a fifth of
  // itself across one edge, whatever the moment.
  EXPECT_LE(steepest, 64);
  EXPECT_LE(swell * std::sin(3.14159265f * f32(steepest) / 1024.0f), swell / 5);
  f32 nearest = 1e9f;
  for (u32 k = 0; k < count; k++) {
    const K3dPoint& p = o.points[k];
    nearest = std::min(nearest, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]) * kArtBoxShellScale);
  }
  EXPECT_GT(nearest, swell);
  // At its fullest the shell stays clear of the camera, 500 from its middle.
  EXPECT_LT(kArtBoxShellRadius * kArtBoxShellLength + swell, 420.0f);
}

TEST(ArtCoon, LabelsStayInTheColumnsShownAndStandAboveTheDimPicture) {
  // The scene cuts each label from (column, 6 + 21 row) of the sheet, 21 rows high; it shows 86 columns
  // of the first two columns' labels and 130 of the third's, drawn 22 columns further left. Only the
  // middle 86 of those are free of the neighbouring places.
  const u32 left[3] = {3, 87, 178 + 22};
  const std::vector<u32> sheet = Art_Coon_Greets();
  ASSERT_EQ(sheet.size(), 320u * kArtGreetsHeight);
  std::vector<u32> lit(kArtLabels, 0);
  for (u32 y = 0; y < kArtGreetsHeight; y++)
    for (u32 x = 0; x < 320; x++) {
      if (!(sheet[y * 320 + x] & 0xFF)) continue;  // the scene adds the blue byte alone
      i32 label = -1;
      for (u32 n = 0; n < kArtLabels; n++) {
        const u32 lx = left[n / 9], ly = 6 + 21 * (n % 9);
        if (x >= lx && x < lx + 86 && y >= ly && y < ly + 21) label = i32(n);
      }
      ASSERT_GE(label, 0) << x << "," << y;
      lit[u32(label)]++;
    }
  for (u32 n = 0; n < kArtLabels; n++) EXPECT_GT(lit[n], 100u) << Art_Coon_Label(n);
  // A label adds at most 0.4 x 255; the picture, scaled by 0.7, leaves it that much room nearly everywhere.
  const std::vector<u32> picture = Art_Coon_Picture();
  u32 bright = 0;
  for (u32 c : picture)
    for (u32 s = 0; s < 24; s += 8) bright += ((c >> s) & 255) * 7 / 10 > 255 - 102;
  EXPECT_LT(bright, 3 * picture.size() * 2 / 100);  // of the channel values: the title alone
}

TEST(ArtGang, WalkStaysInTheCorridorAndOutOfTheDoorways) {
  const std::vector<PathCameraKey> keys = Gang_Art_Camera_Keys();
  ASSERT_EQ(keys.size(), kGangPathRecords);
  for (u32 i = 0; i < keys.size(); i++) {
    const ArtVec p = Engine_Point(keys[i].position, kGangFileScale);
    // Narrower than a doorway, clear of floor and ceiling, short of the corridor's near end.
    EXPECT_LT(std::fabs(p.x), kGangDoorHalfWidth - 100) << i;
    EXPECT_TRUE(p.y > kGangCeiling + 150 && p.y < kGangFloor - 150) << i;
    EXPECT_GT(p.z, kGangNearEnd + 300) << i;
    // Never inside a door's passage, where a closing shutter would cut through the view.
    for (f32 z : kGangDoorZ) EXPECT_GT(std::fabs(p.z - z), kGangDoorDepth / 2 + 100) << i;
  }
}
