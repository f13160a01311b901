// The test show's data: a rotating mesh, a corridor of sectors with a door, its camera path and a texture.
#include "show_data.h"

#include <cmath>

#include "art.h"

namespace {
using Vec = ArtVec;

// Builds one K3D object. A quad's first edge runs down its texture and its closing edge across; its
// winding is chosen so that the engine's face normal, (A - B) x (A - D), points to the side it faces.
struct ObjectBuilder {
  K3dObject object;
  explicit ObjectBuilder(const char* name) { object.name = name; }
  Vec At(u16 i) const { return {object.points[i][0], object.points[i][1], object.points[i][2]}; }
  u16 Point(Vec p) {
    object.points.push_back({p.x, p.y, p.z});
    return u16(object.points.size() - 1);
  }
  void Quad(u16 a, u16 b, u16 c, u16 d, Vec facing, u8 texture) {
    const Vec n = Art_Cross(At(a) - At(b), At(a) - At(d));
    if (Art_Dot(n, facing) >= 0)
      object.polygons.push_back({{a, b, c, d}, texture});
    else
      object.polygons.push_back({{d, c, b, a}, texture});
  }
  // A rectangle from its corner a, with the texture's rows along down and its columns along across.
  void Rect(Vec a, Vec down, Vec across, Vec facing, u8 texture) {
    const u16 p0 = Point(a), p1 = Point(a + down), p2 = Point(a + down + across), p3 = Point(a + across);
    Quad(p0, p1, p2, p3, facing, texture);
  }
};

// Where a floor, ceiling or end wall of a sector of this half width is cut across: at the door's sides
// too in a wide room, so that every edge ends where its neighbours' edges end. Edges that meet halfway
// along another would open one-pixel cracks, as the projected corners are whole pixels.
std::vector<f32> Columns(f32 half_width) {
  if (half_width > kShowDoorHalfWidth) return {-half_width, -kShowDoorHalfWidth, kShowDoorHalfWidth, half_width};
  return {-half_width, half_width};
}

// The four walls of a box sector from z0 to z1, facing inward.
void Sector_Walls(ObjectBuilder& b, f32 half_width, f32 z0, f32 z1) {
  const f32 w = half_width, h = kShowHalfHeight, len = z1 - z0;
  b.Rect({-w, -h, z0}, {0, 2 * h, 0}, {0, 0, len}, {1, 0, 0}, SHOW_WALL);
  b.Rect({w, -h, z0}, {0, 2 * h, 0}, {0, 0, len}, {-1, 0, 0}, SHOW_WALL);
  const std::vector<f32> x = Columns(half_width);
  for (size_t i = 0; i + 1 < x.size(); i++) {
    b.Rect({x[i], h, z0}, {0, 0, len}, {x[i + 1] - x[i], 0, 0}, {0, -1, 0}, SHOW_FLOOR);
    b.Rect({x[i], -h, z0}, {0, 0, len}, {x[i + 1] - x[i], 0, 0}, {0, 1, 0}, SHOW_CEILING);
  }
}

// An end wall at z facing along facing_z; with an opening, only its outer columns.
void End_Wall(ObjectBuilder& b, f32 half_width, f32 z, f32 facing_z, bool opening) {
  const std::vector<f32> x = Columns(half_width);
  const f32 h = kShowHalfHeight;
  for (size_t i = 0; i + 1 < x.size(); i++) {
    if (opening && x[i] == -kShowDoorHalfWidth) continue;
    b.Rect({x[i], -h, z}, {0, 2 * h, 0}, {x[i + 1] - x[i], 0, 0}, {0, 0, facing_z}, SHOW_WALL);
  }
}

// A portal quad across the corridor at z, the door's width, without polygons.
K3dObject View(const char* name, f32 z) {
  ObjectBuilder b(name);
  const f32 d = kShowDoorHalfWidth, h = kShowHalfHeight;
  b.Point({-d, -h, z});
  b.Point({d, -h, z});
  b.Point({d, h, z});
  b.Point({-d, h, z});
  return b.object;
}

// The door sector: its panel (points 0..3 under the ceiling, 4..7 its bottom edge, open) and its passage.
K3dObject Door(void) {
  ObjectBuilder b("door0");
  const f32 d = kShowDoorHalfWidth, h = kShowHalfHeight, z0 = kShowPanelZ, z1 = kShowPanelZ + kShowPanelDepth;
  const f32 bottom = -h + kShowPanelOpen;
  for (f32 y : {-h, bottom}) {
    b.Point({-d, y, z0});
    b.Point({d, y, z0});
    b.Point({d, y, z1});
    b.Point({-d, y, z1});
  }
  // Front and back first, from the moving edge up, so that the picture stays at the panel's foot.
  b.Quad(4, 0, 1, 5, {0, 0, -1}, SHOW_DOOR);
  b.Quad(7, 3, 2, 6, {0, 0, 1}, SHOW_DOOR);
  b.Quad(4, 5, 6, 7, {0, 1, 0}, SHOW_DOOR);
  b.Quad(0, 1, 2, 3, {0, -1, 0}, SHOW_DOOR);
  b.Quad(4, 0, 3, 7, {-1, 0, 0}, SHOW_DOOR);
  b.Quad(5, 1, 2, 6, {1, 0, 0}, SHOW_DOOR);
  Sector_Walls(b, d, kShowDoorStart, kShowDoorStart + kShowDoorDepth);
  return b.object;
}

u32 Hash(u32 a, u32 b) { return Art_Hash(a, b, 0x7F4A7C15u); }

u32 Clamp_Byte(i32 v) { return u32(v < 0 ? 0 : v > 255 ? 255 : v); }

// The corridor's path at a time t (0 .. 1 over the records), in mesh units.
Vec Path_At(f32 t) {
  const f32 two_pi = 6.2831853f;
  const f32 z = 300.0f + 5700.0f * t;
  return {160.0f * std::sin(two_pi * 1.25f * t), 120.0f + 40.0f * std::sin(two_pi * 2.0f * t), z};
}
}  // namespace

K3dMesh Show_Mesh(void) {
  K3dMesh mesh;
  ObjectBuilder cube("cube");
  const f32 s = 100.0f;
  // Each face from its top-left corner, seen from outside.
  const Vec faces[6][4] = {
      {{0, 0, -1}, {-s, -s, -s}, {0, 2 * s, 0}, {2 * s, 0, 0}}, {{0, 0, 1}, {s, -s, s}, {0, 2 * s, 0}, {-2 * s, 0, 0}},
      {{-1, 0, 0}, {-s, -s, s}, {0, 2 * s, 0}, {0, 0, -2 * s}}, {{1, 0, 0}, {s, -s, -s}, {0, 2 * s, 0}, {0, 0, 2 * s}},
      {{0, -1, 0}, {-s, -s, s}, {0, 0, -2 * s}, {2 * s, 0, 0}}, {{0, 1, 0}, {-s, s, -s}, {0, 0, 2 * s}, {2 * s, 0, 0}}};
  for (const auto& f : faces) cube.Rect(f[1], f[2], f[3], f[0], SHOW_PICTURE);
  mesh.objects.push_back(cube.object);

  // A ring of 16 x 8 quads sharing their points, so that its normals can be smoothed.
  ObjectBuilder ring("ring");
  const u32 around = 16, tube = 8;
  const f32 major = 120.0f, minor = 42.0f, two_pi = 6.2831853f;
  for (u32 i = 0; i < around; i++)
    for (u32 j = 0; j < tube; j++) {
      const f32 u = two_pi * f32(i) / f32(around), v = two_pi * f32(j) / f32(tube);
      const f32 r = major + minor * std::cos(v);
      ring.Point({r * std::cos(u), r * std::sin(u), minor * std::sin(v)});
    }
  for (u32 i = 0; i < around; i++)
    for (u32 j = 0; j < tube; j++) {
      const u32 i1 = (i + 1) % around, j1 = (j + 1) % tube;
      const u16 a = u16(i * tube + j), b = u16(i * tube + j1), c = u16(i1 * tube + j1), d = u16(i1 * tube + j);
      const f32 u = two_pi * (f32(i) + 0.5f) / f32(around);
      const Vec centre = {major * std::cos(u), major * std::sin(u), 0};
      const Vec mid = {(ring.At(a).x + ring.At(c).x) * 0.5f, (ring.At(a).y + ring.At(c).y) * 0.5f,
                       (ring.At(a).z + ring.At(c).z) * 0.5f};
      ring.Quad(a, b, c, d, mid - centre, SHOW_RELIEF);
    }
  mesh.objects.push_back(ring.object);
  return mesh;
}

K3dMesh Show_Corridor(void) {
  K3dMesh mesh;
  const f32 door_end = kShowDoorStart + kShowDoorDepth, hall_end = door_end + 2000.0f;

  ObjectBuilder room0("room0");
  Sector_Walls(room0, kShowRoomHalfWidth, 0, kShowDoorStart);
  End_Wall(room0, kShowRoomHalfWidth, 0, 1, false);
  End_Wall(room0, kShowRoomHalfWidth, kShowDoorStart, -1, true);
  mesh.objects.push_back(room0.object);
  mesh.objects.push_back(View("view0", kShowDoorStart));
  mesh.objects.push_back(Door());
  mesh.objects.push_back(View("view1", door_end));

  ObjectBuilder room1("room1");
  Sector_Walls(room1, kShowRoomHalfWidth, door_end, hall_end);
  End_Wall(room1, kShowRoomHalfWidth, door_end, 1, true);
  End_Wall(room1, kShowRoomHalfWidth, hall_end, -1, true);
  mesh.objects.push_back(room1.object);
  mesh.objects.push_back(View("view2", hall_end));

  ObjectBuilder room2("room2");
  Sector_Walls(room2, kShowDoorHalfWidth, hall_end, kShowCorridorEnd);
  End_Wall(room2, kShowDoorHalfWidth, kShowCorridorEnd, -1, false);
  mesh.objects.push_back(room2.object);
  return mesh;
}

std::vector<PathCameraKey> Show_Camera_Keys(void) {
  std::vector<PathCameraKey> keys;
  for (u32 i = 0; i < kShowPathRecords; i++) {
    const f32 t = f32(i) / f32(kShowPathRecords - 1);
    const Vec p = Path_At(t);
    // Looking ahead along the path, a little down, and leaning into the turns.
    const Vec ahead = Path_At(t + 0.1f);
    const Vec target = {ahead.x * 0.6f, ahead.y + 30.0f, ahead.z + 400.0f};
    const f32 roll = 5.0f * std::sin(6.2831853f * 1.25f * t + 0.5f);
    // The file's y axis points up.
    keys.push_back({{p.x, -p.y, p.z}, {target.x, -target.y, target.z}, roll});
  }
  return keys;
}

std::vector<u32> Show_Texture_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const u32 row = y / 16, shifted = x + ((row & 1) ? 16 : 0);
      const u32 column = (shifted / 32) & 7, lx = shifted % 32, ly = y % 16;
      const i32 grain = i32(Hash(x, y) % 21) - 10;
      i32 r, g, b;
      if (lx < 2 || ly < 2) {
        r = 168 + grain, g = 162 + grain, b = 148 + grain;
      } else {
        const u32 h = Hash(column, row);
        r = 140 + i32(h % 50), g = 58 + i32((h >> 8) % 24), b = 40 + i32((h >> 16) % 18);
        const i32 edge = (lx == 2 || ly == 2) ? 28 : (lx == 31 || ly == 15) ? -34 : 0;
        r += grain + edge, g += grain + edge, b += grain + edge;
      }
      pixels[y * 256 + x] = Clamp_Byte(r) << 16 | Clamp_Byte(g) << 8 | Clamp_Byte(b);
    }
  return pixels;
}

bool Show_Texture_Pcx(const std::string& scratch_path, std::vector<u8>* bytes) {
  return Art_Pcx(Show_Texture_Pixels(), 256, 256, scratch_path, bytes);
}
