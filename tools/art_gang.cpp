// Data of the gang scene: a corridor of sectors with five doors, a walking figure, the camera's walk, five pictures.
#include "art_gang.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "art.h"

namespace {
using Vec = ArtVec;

// An object in engine units, with rectangles from a corner: texture rows along down, columns across.
struct Builder : ArtMesh {
  using ArtMesh::ArtMesh;
  void Quad(u16 a, u16 b, u16 c, u16 d, Vec facing, u8 texture) { Poly({a, b, c, d}, facing, texture); }
  void Rect(Vec a, Vec down, Vec across, Vec facing, u8 texture) {
    const u16 p0 = Point(a), p1 = Point(a + down), p2 = Point(a + down + across), p3 = Point(a + across);
    Quad(p0, p1, p2, p3, facing, texture);
  }
};

const f32 kHeight = kGangFloor - kGangCeiling;

// Cuts of a room's length into panels of at most 800 units, on multiples of the file scale.
std::vector<f32> Panels(f32 z0, f32 z1) {
  const u32 n = u32(std::ceil((z1 - z0) / 800.0f));
  std::vector<f32> cuts;
  for (u32 i = 0; i <= n; i++) cuts.push_back(z0 + std::round((z1 - z0) * f32(i) / f32(n) / kGangFileScale) * kGangFileScale);
  return cuts;
}

const f32 kColumns[4] = {-kGangHalfWidth, -kGangDoorHalfWidth, kGangDoorHalfWidth, kGangHalfWidth};

// A room from z0 to z1: side walls in panels, floor and ceiling in three strips cut at the doorway's
// sides, end walls at both ends with or without a doorway.
K3dObject Room(const char* name, f32 z0, f32 z1, bool open0, bool open1) {
  Builder b(name, kGangFileScale);
  const std::vector<f32> cuts = Panels(z0, z1);
  for (size_t i = 0; i + 1 < cuts.size(); i++) {
    const f32 a = cuts[i], len = cuts[i + 1] - cuts[i];
    const u8 wall = (i % 3 == 1) ? GANG_DETAIL : GANG_WALL;
    b.Rect({-kGangHalfWidth, kGangCeiling, a}, {0, kHeight, 0}, {0, 0, len}, {1, 0, 0}, wall);
    b.Rect({kGangHalfWidth, kGangCeiling, a}, {0, kHeight, 0}, {0, 0, len}, {-1, 0, 0}, wall);
    for (u32 c = 0; c < 3; c++) {
      const f32 x = kColumns[c], w = kColumns[c + 1] - kColumns[c];
      b.Rect({x, kGangFloor, a}, {0, 0, len}, {w, 0, 0}, {0, -1, 0}, GANG_FLOOR);
      b.Rect({x, kGangCeiling, a}, {0, 0, len}, {w, 0, 0}, {0, 1, 0}, GANG_CEILING);
    }
  }
  const f32 ends[2] = {z0, z1};
  const bool open[2] = {open0, open1};
  for (u32 e = 0; e < 2; e++)
    for (u32 c = 0; c < 3; c++) {
      if (open[e] && c == 1) continue;
      const f32 x = kColumns[c], w = kColumns[c + 1] - kColumns[c];
      b.Rect({x, kGangCeiling, ends[e]}, {0, kHeight, 0}, {w, 0, 0}, {0, 0, e == 0 ? 1.0f : -1.0f}, GANG_WALL);
    }
  return b.object;
}

// A door sector centred on zc: the shutter (points 0..3 at the ceiling, 4..7 its open lower edge;
// polygons top, sides, bottom, front from the lower edge up, back), then the doorway's jambs, floor and
// ceiling. The back polygon is written two corners on, as the sector set-up turns it two corners back.
K3dObject Door(const char* name, f32 zc, bool far_wall) {
  Builder b(name, kGangFileScale);
  const f32 d = kGangDoorHalfWidth, zf = zc - 18.0f, zb = zc + 18.0f;
  const f32 low = kGangCeiling + kGangShutterOpen;
  for (f32 y : {kGangCeiling, low}) {
    b.Point({-d, y, zf});
    b.Point({d, y, zf});
    b.Point({d, y, zb});
    b.Point({-d, y, zb});
  }
  const auto fixed = [&](u16 p0, u16 p1, u16 p2, u16 p3) {
    b.object.polygons.push_back({{p0, p1, p2, p3}, GANG_SHUTTER});
  };
  fixed(0, 1, 2, 3);  // top, facing up
  fixed(4, 0, 3, 7);  // left side
  fixed(6, 2, 1, 5);  // right side
  fixed(7, 6, 5, 4);  // bottom, facing down
  fixed(4, 5, 1, 0);  // front, facing -z
  fixed(3, 2, 6, 7);  // back, facing +z
  const f32 z0 = zc - kGangDoorDepth / 2, len = kGangDoorDepth;
  b.Rect({-d, kGangCeiling, z0}, {0, kHeight, 0}, {0, 0, len}, {1, 0, 0}, GANG_TRIM);
  b.Rect({d, kGangCeiling, z0}, {0, kHeight, 0}, {0, 0, len}, {-1, 0, 0}, GANG_TRIM);
  b.Rect({-d, kGangFloor, z0}, {0, 0, len}, {2 * d, 0, 0}, {0, -1, 0}, GANG_FLOOR);
  b.Rect({-d, kGangCeiling, z0}, {0, 0, len}, {2 * d, 0, 0}, {0, 1, 0}, GANG_CEILING);
  if (far_wall) b.Rect({-d, kGangCeiling, z0 + len}, {0, kHeight, 0}, {2 * d, 0, 0}, {0, 0, -1}, GANG_WALL);
  return b.object;
}

// A portal across the doorway at z; with_polygon gives it one quad (views are never drawn).
K3dObject View(const char* name, f32 z, bool with_polygon) {
  Builder b(name, kGangFileScale);
  const f32 d = kGangDoorHalfWidth;
  b.Point({-d, kGangCeiling, z});
  b.Point({d, kGangCeiling, z});
  b.Point({d, kGangFloor, z});
  b.Point({-d, kGangFloor, z});
  if (with_polygon) b.object.polygons.push_back({{0, 1, 2, 3}, GANG_WALL});
  return b.object;
}

// ---- the figure ----

// A box joint-rotated about the x axis: corners relative to its pivot, turned by angle, moved to the pivot.
struct Limb {
  Vec pivot;
  Vec min, max;  // relative to the pivot before turning
  f32 angle;     // radians about x; positive swings the lower end toward -z
};

Vec Turn(Vec p, f32 angle) {
  const f32 c = std::cos(angle), s = std::sin(angle);
  return {p.x, p.y * c + p.z * s, -p.y * s + p.z * c};
}

std::vector<Limb> Pose(f32 phase) {
  const f32 swing = 0.45f * std::sin(phase);
  const f32 bob = -10.0f * std::fabs(std::cos(phase));
  const f32 knee_l = 0.5f * std::max(0.0f, std::sin(phase + kArtPi * 0.5f));
  const f32 knee_r = 0.5f * std::max(0.0f, std::sin(phase - kArtPi * 0.5f));
  const Vec hip_l = {-62, 120 + bob, 0}, hip_r = {62, 120 + bob, 0};
  std::vector<Limb> limbs;
  limbs.push_back({{0, bob, 0}, {-118, -190, -52}, {118, 40, 52}, 0.05f});    // chest
  limbs.push_back({{0, bob, 0}, {-104, 40, -48}, {104, 140, 48}, 0.0f});      // hips
  limbs.push_back({{0, -190 + bob, 0}, {-34, -30, -34}, {34, 0, 34}, 0.0f});  // neck
  limbs.push_back({{0, -214 + bob, 0}, {-74, -140, -78}, {74, 0, 74}, 0.0f}); // head
  for (i32 side = -1; side <= 1; side += 2) {
    const f32 leg = side < 0 ? swing : -swing;
    const f32 knee = side < 0 ? knee_l : knee_r;
    const Vec hip = side < 0 ? hip_l : hip_r;
    limbs.push_back({hip, {-44, 0, -44}, {44, 150, 44}, leg});
    const Vec knee_at = hip + Turn({0, 150, 0}, leg);
    limbs.push_back({knee_at, {-38, 0, -38}, {38, 140, 38}, leg - knee});
    const Vec ankle = knee_at + Turn({0, 140, 0}, leg - knee);
    limbs.push_back({ankle, {-40, 0, -96}, {40, 24, 40}, 0.0f});  // foot, toes toward -z
    const f32 arm = -leg * 0.8f;
    const Vec shoulder = {f32(side) * 150.0f, -180.0f + bob, 0};
    limbs.push_back({shoulder, {-30, 0, -30}, {30, 150, 30}, arm});
    const Vec elbow = shoulder + Turn({0, 150, 0}, arm);
    limbs.push_back({elbow, {-26, 0, -26}, {26, 140, 26}, arm + 0.35f});
  }
  return limbs;
}

// The limbs' corners in a fixed order: 8 a box.
std::vector<Vec> Corners(const std::vector<Limb>& limbs) {
  std::vector<Vec> out;
  for (const Limb& l : limbs)
    for (u32 k = 0; k < 8; k++) {
      const Vec local = {(k & 1) ? l.max.x : l.min.x, (k & 2) ? l.max.y : l.min.y, (k & 4) ? l.max.z : l.min.z};
      out.push_back(l.pivot + Turn(local, l.angle));
    }
  return out;
}

K3dPoint To_File(Vec p) { return Art_File_Point(p, kGangFigureScale); }

// ---- pictures ----

u32 Hash(u32 a, u32 b) { return Art_Hash(a, b, 0x2545F491u); }
f32 Noise(u32 x, u32 y, u32 seed) { return f32(Hash(x + seed * 7919u, y) % 1000) / 1000.0f; }

// The face in a 128-wide half: hair, skin, eyes, brows, nose and mouth; lit adds a cold glare.
u32 Face_Texel(f32 x, f32 y, bool lit) {
  const f32 fx = (x - 64.0f) / 54.0f, fy = (y - 72.0f) / 64.0f;
  const f32 r = fx * fx + fy * fy;
  f32 cr = 34, cg = 30, cb = 36;  // around the head
  if (r < 1.0f) {
    const f32 shade = 1.0f - 0.35f * r;
    cr = 206 * shade, cg = 158 * shade, cb = 128 * shade;
    const auto dark = [&](f32 k, f32 r2, f32 g2, f32 b2) {
      cr += (r2 - cr) * k, cg += (g2 - cg) * k, cb += (b2 - cb) * k;
    };
    for (i32 side = -1; side <= 1; side += 2) {
      const f32 ex = (x - 64.0f - f32(side) * 21.0f) / 11.0f, ey = (y - 66.0f) / 5.5f;
      const f32 e = ex * ex + ey * ey;
      if (e < 1.0f) dark(1.0f, 236, 232, 226);
      if (e < 0.35f) dark(1.0f, 54, 90, 70);
      if (e < 0.1f) dark(1.0f, 8, 8, 8);
      const f32 by = y - (55.0f - 2.0f * std::fabs(x - 64.0f - f32(side) * 21.0f) / 12.0f);
      if (std::fabs(x - 64.0f - f32(side) * 21.0f) < 13.0f && by > -2.5f && by < 2.5f) dark(0.85f, 52, 34, 24);
    }
    if (std::fabs(x - 64.0f) < 5.0f && y > 68.0f && y < 92.0f) dark(0.25f * (y - 68.0f) / 24.0f, 120, 80, 64);
    if (y > 90.0f && y < 94.0f && std::fabs(x - 64.0f) < 7.0f) dark(0.5f, 110, 70, 56);
    const f32 my = y - (106.0f + 0.012f * (x - 64.0f) * (x - 64.0f));
    if (std::fabs(x - 64.0f) < 17.0f && my > -2.0f && my < 2.5f) dark(0.8f, 140, 60, 58);
  }
  // Hair over the top and down the sides.
  const f32 hair_line = 30.0f + 0.016f * (x - 64.0f) * (x - 64.0f);
  if ((y < hair_line && r < 1.25f) || (y < 3.0f)) {
    const f32 strand = 0.75f + 0.25f * std::sin(x * 0.9f + Noise(u32(x), 0, 3) * 3.0f);
    cr = 58 * strand, cg = 40 * strand, cb = 28 * strand;
  }
  if (lit) {
    const f32 glare = 0.55f + 0.45f * std::max(0.0f, 1.0f - r);
    cr = cr * 0.6f + 180 * glare, cg = cg * 0.6f + 190 * glare, cb = cb * 0.6f + 220 * glare;
  }
  return Art_Rgb(cr, cg, cb);
}
}  // namespace

K3dMesh Gang_Art_Corridor(void) {
  K3dMesh mesh;
  const f32 h = kGangDoorDepth / 2;
  const f32* z = kGangDoorZ;
  // Rooms from the near end: D, door 3, C, door 2, B, door 0, A, door 4, E, door 1 (shut at its far wall).
  mesh.objects.push_back(Room("roomD", kGangNearEnd, z[3] - h, false, true));
  mesh.objects.push_back(Room("roomC", z[3] + h, z[2] - h, true, true));
  mesh.objects.push_back(Room("roomB", z[2] + h, z[0] - h, true, true));
  mesh.objects.push_back(Room("roomA", z[0] + h, z[4] - h, true, true));
  mesh.objects.push_back(Room("roomE", z[4] + h, z[1] - h, true, true));
  const char* const doors[kGangDoorCount] = {"door0", "door1", "door2", "door3", "door4"};
  for (u32 i = 0; i < kGangDoorCount; i++) mesh.objects.push_back(Door(doors[i], z[i], i == 1));
  const f32 views[9] = {z[3] - h, z[3] + h, z[2] - h, z[2] + h, z[0] - h, z[0] + h, z[4] - h, z[4] + h, z[1] - h};
  for (u32 i = 0; i < 9; i++) {
    char name[16];
    snprintf(name, sizeof name, "view%u", i);
    mesh.objects.push_back(View(name, views[i], i == 8));
  }
  return mesh;
}

K3dMesh Gang_Art_Figure(void) {
  K3dMesh mesh;
  K3dObject body;
  body.name = "figure";
  const std::vector<Limb> rest = Pose(0.0f);
  const std::vector<Vec> corners = Corners(rest);
  for (const Vec& p : corners) body.points.push_back(To_File(p));
  // The six faces of box k, each facing out; the head's front is the face and its top the crown,
  // the chest's front the clothing.
  const u16 faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}};
  const Vec out[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
  for (u32 k = 0; k < rest.size(); k++) {
    for (u32 f = 0; f < 6; f++) {
      u16 q[4];
      for (u32 i = 0; i < 4; i++) q[i] = u16(k * 8 + faces[f][i]);
      u8 texture = GANG_SKIN;
      if (k == 3 && f == 0) texture = GANG_TRIM;
      if (k == 3 && f == 4) texture = GANG_HEAD_TOP;
      if (k == 0 && f == 0) texture = GANG_WALL;
      // Keep the winding outward whatever the pose: the engine's normal is (A - B) x (A - D).
      const Vec a = corners[q[0]], b = corners[q[1]], d = corners[q[3]];
      const Vec turned = Turn(out[f], rest[k].angle);
      if (Art_Dot(Art_Cross(a - b, a - d), turned) < 0) std::swap(q[1], q[3]);
      body.polygons.push_back({{q[0], q[1], q[2], q[3]}, texture});
    }
  }
  mesh.objects.push_back(body);
  for (u32 f = 1; f < kGangFigureFrames; f++) {
    const std::vector<Vec> c = Corners(Pose(2.0f * kArtPi * f32(f) / f32(kGangFigureFrames)));
    std::vector<K3dPoint> points;
    for (const Vec& p : c) points.push_back(To_File(p));
    mesh.frames.push_back({points});
  }
  mesh.frame_count = u8(kGangFigureFrames);
  return mesh;
}

std::vector<PathCameraKey> Gang_Art_Camera_Keys(void) {
  // Each shot: first and last record, start and end z.
  struct Shot {
    u32 first, last;
    f32 z0, z1;
  };
  const Shot shots[3] = {{0, 1099, -200.0f, -2050.0f}, {1100, 1699, -3300.0f, -4500.0f}, {1700, 2800, -5800.0f, -9300.0f}};
  std::vector<PathCameraKey> keys;
  for (const Shot& s : shots)
    for (u32 i = s.first; i <= s.last; i++) {
      const f32 t = f32(i - s.first) / f32(s.last - s.first);
      const f32 z = s.z0 + (s.z1 - s.z0) * t;
      const f32 x = 50.0f * std::sin(f32(i) * 0.004f), y = -110.0f + 8.0f * std::sin(f32(i) * 0.05f);
      const Vec target = {x * 0.3f, -70.0f, z + 2000.0f};
      const f32 roll = 2.0f * std::sin(f32(i) * 0.003f);
      const f32 k = 1.0f / kGangFileScale;
      keys.push_back({{x * k, -y * k, z * k}, {target.x * k, -target.y * k, target.z * k}, roll});
    }
  return keys;
}

std::vector<u32> Gang_Art_Face(void) {
  std::vector<u32> p(65536);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) p[y * 256 + x] = Face_Texel(f32(x & 127), f32(y), x >= 128);
  return p;
}

std::vector<u32> Gang_Art_Body(void) {
  std::vector<u32> p(65536);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const u32 tx = x & 63, ty = y & 63;
      f32 r = 150, g = 160, b = 190;  // a coat
      if (std::abs(i32(tx) - 32) < 2) r = g = b = 230;              // the zip
      if (ty < 10 && std::abs(i32(tx) - 32) < 14 - i32(ty)) r = 240, g = 220, b = 200;  // collar
      if (ty > 38 && ty < 52 && (std::abs(i32(tx) - 16) < 9 || std::abs(i32(tx) - 48) < 9)) r *= 0.7f, g *= 0.7f, b *= 0.7f;
      const f32 n = 0.85f + 0.3f * Noise(x, y, 5);
      p[y * 256 + x] = Art_Rgb(r * n, g * n, b * n);
    }
  return p;
}

std::vector<u32> Gang_Art_Gloss(void) {
  std::vector<u32> p(65536);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const f32 nx = (f32(x & 127) - 64.0f) / 60.0f, ny = (f32(y & 127) - 64.0f) / 60.0f;
      const f32 rr = std::min(1.0f, nx * nx + ny * ny);
      const f32 nz = std::sqrt(1.0f - rr);
      const f32 light = std::max(0.0f, -0.45f * nx - 0.55f * ny + 0.7f * nz);
      const f32 shine = std::pow(light, 18.0f);
      const f32 level = 24.0f + 120.0f * light;
      p[y * 256 + x] = Art_Rgb(std::min(205.0f, level * 0.8f + 90 * shine), std::min(205.0f, level * 0.72f + 90 * shine),
                           std::min(205.0f, level * 0.62f + 90 * shine));
    }
  return p;
}

// A 256 x 256 picture of four 128 x 128 quarters (q 0-3, row by row): colour gives each pixel from its
// quarter and place in it, and a grain of noise (seeded) scales it by base + spread * noise.
template <typename Colour>
std::vector<u32> Quarters(u32 seed, f32 base, f32 spread, Colour colour) {
  std::vector<u32> p(65536);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const u32 lx = x & 127, ly = y & 127, q = (y >> 7) * 2 + (x >> 7);
      const f32 n = Noise(x, y, seed);
      f32 r, g, b;
      colour(q, lx, ly, r, g, b);
      const f32 k = base + spread * n;
      p[y * 256 + x] = Art_Rgb(r * k, g * k, b * k);
    }
  return p;
}

std::vector<u32> Gang_Art_Wall(void) {
  return Quarters(1, 0.88f, 0.24f, [](u32 q, u32 lx, u32 ly, f32& r, f32& g, f32& b) {
    if (q == 0) {  // concrete panel: a rim, bolts, streaks of grime
      const f32 streak =
          0.85f + 0.15f * std::sin(f32(lx) * 0.31f + Noise(lx, 0, 2) * 4.0f) * Art_Smooth(20, 127, f32(ly));
      r = 118 * streak, g = 124 * streak, b = 112 * streak;
      if (lx < 5 || ly < 5 || lx > 122 || ly > 122) r *= 0.55f, g *= 0.55f, b *= 0.55f;
      const u32 bx = lx < 64 ? 12 : 115, by = ly < 64 ? 12 : 115;
      if ((lx - bx) * (lx - bx) + (ly - by) * (ly - by) < 10) r = g = b = 170;
    } else if (q == 1) {  // pipes along the wall
      const f32 c = std::fmod(f32(lx), 32.0f);
      const f32 round = std::sin(kArtPi * std::clamp((c - 4.0f) / 22.0f, 0.0f, 1.0f));
      r = 60 + 110 * round, g = 70 + 90 * round, b = 62 + 60 * round;
      if (c < 4.0f || c > 26.0f) r = 40, g = 44, b = 42;
      if (ly % 48 < 5 && c >= 4.0f && c <= 26.0f) r *= 0.6f, g *= 0.6f, b *= 0.6f;
    } else if (q == 2) {  // hazard trim of the doorways
      const bool stripe = ((lx + ly) / 16) & 1;
      r = stripe ? 210 : 40, g = stripe ? 160 : 36, b = stripe ? 30 : 30;
      if (lx < 8 || lx > 119) r = 80, g = 82, b = 86;
    } else {  // the shutter: ribbed plates with rivets and a red band
      const f32 rib = 0.8f + 0.2f * std::sin(f32(ly) * kArtPi / 8.0f);
      r = 132 * rib, g = 138 * rib, b = 146 * rib;
      if (ly > 56 && ly < 72) r = 170, g = 40, b = 34;
      if ((lx % 32 == 4 || lx % 32 == 28) && ly % 16 == 4) r = g = b = 200;
    }
  });
}

std::vector<u32> Gang_Art_Floor(void) {
  return Quarters(9, 0.86f, 0.28f, [](u32 q, u32 lx, u32 ly, f32& r, f32& g, f32& b) {
    if (q == 1) {  // ceiling: panels round a strip light
      r = 70, g = 72, b = 78;
      if (lx < 3 || ly < 3) r = g = b = 40;
      const f32 d = std::fabs(f32(lx) - 64.0f);
      if (d < 10.0f && ly > 10 && ly < 118) {
        const f32 glow = 1.0f - d / 10.0f;
        r = 190 + 60 * glow, g = 200 + 50 * glow, b = 190 + 40 * glow;
      }
    } else {  // floor tiles, darker in the lower quarters
      const bool joint = (lx % 64) < 3 || (ly % 64) < 3;
      const f32 tile = 0.8f + 0.2f * Noise(lx / 64, ly / 64 + q * 4, 4);
      r = 92 * tile, g = 86 * tile, b = 78 * tile;
      if (joint) r = 36, g = 34, b = 32;
      if (q >= 2) r *= 0.7f, g *= 0.7f, b *= 0.7f;
    }
  });
}

bool Gang_Art_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const std::string scratch = dir + "/gang.pcx.part";
  const ArtPicture pictures[] = {{"gang/wface1.pcx", Gang_Art_Face},
                                 {"gang/wbody2.pcx", Gang_Art_Body},
                                 {"gang/gangp8.pcx", Gang_Art_Gloss},
                                 {"gang/wall7.pcx", Gang_Art_Wall},
                                 {"gang/floor2.pcx", Gang_Art_Floor}};
  if (!Art_Pcx_Entries(pictures, std::size(pictures), scratch, entries)) return false;
  entries->push_back({"gang/kgang7.k3d", K3d_Write(Gang_Art_Corridor()), DATAFILE_RAW});
  entries->push_back({"gang/anim.k3d", K3d_Write(Gang_Art_Figure()), DATAFILE_RAW});
  entries->push_back({"gang/kgang6.cam", Path_Write_Camera(Gang_Art_Camera_Keys()), DATAFILE_RAW});
  return true;
}
