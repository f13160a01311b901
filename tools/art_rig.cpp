// The rig part's data: the structure standing in water, its surroundings, camera orbit and pictures.
#include "art_rig.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
using Vec = ArtVec;

f32 Unit(u32 a, u32 b, u32 seed) { return f32(Art_Hash(a, b, seed) & 0xFFFF) / 65535.0f; }

// Smooth value noise on a grid of cells, wrapping every period cells; 0..1.
f32 Noise(f32 x, f32 y, u32 cells, u32 seed) {
  const f32 fx = std::floor(x), fy = std::floor(y);
  const u32 x0 = u32(i32(fx)) % cells, y0 = u32(i32(fy)) % cells;
  const u32 x1 = (x0 + 1) % cells, y1 = (y0 + 1) % cells;
  f32 tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const f32 a = Unit(x0, y0, seed), b = Unit(x1, y0, seed), c = Unit(x0, y1, seed), d = Unit(x1, y1, seed);
  return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
}

// Octaves of noise over a 256-texel square that tiles; 0..1.
f32 Fractal(f32 x, f32 y, u32 cells, u32 octaves, u32 seed) {
  f32 sum = 0, weight = 0, amplitude = 1;
  for (u32 o = 0; o < octaves; o++) {
    const f32 k = f32(cells << o) / 256.0f;
    sum += amplitude * Noise(x * k, y * k, cells << o, seed + o);
    weight += amplitude;
    amplitude *= 0.5f;
  }
  return sum / weight;
}

// Builds an object in engine units. Faces are given by their corners as seen from outside (top-left,
// top-right, bottom-right, bottom-left) and stored so that they face that side and, after the loader
// turns each polygon's texture corners twice, show their tile upright.
struct Builder : ArtMesh {
  using ArtMesh::ArtMesh;
  void Face(u16 tl, u16 tr, u16 br, u16 bl, u8 texture) { object.polygons.push_back({{br, tr, tl, bl}, texture}); }
  // A box from its smaller to its larger corner; textures for the sides, the top and the bottom.
  void Box(Vec a, Vec b, u8 sides, u8 top, u8 bottom) { Taper(a, b, 1.0f, sides, top, bottom); }
  // A box whose top (at a.y) is narrowed about the centre by the factor.
  void Taper(Vec a, Vec b, f32 top_factor, u8 sides, u8 top, u8 bottom) {
    const std::array<Vec, 8> c = Art_Box_Corners(a, b, top_factor);
    u16 t[4], l[4];
    for (u32 k = 0; k < 4; k++) t[k] = Point(c[k]);
    for (u32 k = 0; k < 4; k++) l[k] = Point(c[4 + k]);
    Face(t[0], t[1], l[1], l[0], sides);  // front, facing -z
    Face(t[2], t[3], l[3], l[2], sides);  // back
    Face(t[3], t[0], l[0], l[3], sides);  // left
    Face(t[1], t[2], l[2], l[1], sides);  // right
    if (top) Face(t[3], t[2], t[1], t[0], top);
    if (bottom) Face(l[0], l[1], l[2], l[3], bottom);
  }
};

// The structure's sizes.
const f32 kDeckTop = -240, kDeckBottom = -210;
const Vec kDeckMin = {-320, kDeckTop, -560}, kDeckMax = {190, kDeckBottom, -40};

// The camera's place at t (0 .. 1 round the orbit) and where it looks.
Vec Orbit_Position(f32 t) {
  const f32 a = 2 * kArtPi * t + 0.6f;
  const f32 r = 950.0f + 250.0f * std::sin(2 * kArtPi * 2 * t);
  const f32 y = -260.0f - 110.0f * std::sin(2 * kArtPi * 3 * t + 1.0f);
  return {-90.0f + r * std::sin(a), y, -300.0f + r * std::cos(a)};
}
Vec Orbit_Target(f32 t) {
  return {-70.0f + 60.0f * std::sin(2 * kArtPi * t), -330.0f + 40.0f * std::sin(2 * kArtPi * 2 * t + 0.3f), -300.0f};
}

// The horizon's skyline height (in rows over the water line) along the panorama, 0 .. 511 round.
f32 Skyline(f32 x) {
  const f32 a = 2 * kArtPi * x / 512.0f;
  f32 h = 18 + 10 * std::sin(a * 2 + 0.4f) + 7 * std::sin(a * 5 + 1.3f) + 4 * std::sin(a * 11 + 2.1f) +
          2 * std::sin(a * 23 + 0.2f);
  return std::max(h, 4.0f);
}

// Where panorama piece k lies in the picture (the loader's tile order b, b+3, b+2, b+1).
const u32 kPieceRow[4] = {1, 129, 129, 1};
const u32 kPieceColumn[4] = {0, 128, 0, 128};

u32 Horizon_Texel(f32 x, u32 row) {
  const f32 water_line = 125;
  const f32 up = water_line - f32(row);  // rows over the water line
  const f32 top[3] = {150, 175, 228}, low[3] = {236, 206, 178};
  const f32 t = std::clamp(f32(row) / 105.0f, 0.0f, 1.0f);
  f32 r = Art_Lerp(top[0], low[0], t * t), g = Art_Lerp(top[1], low[1], t * t), b = Art_Lerp(top[2], low[2], t * t);
  const f32 cloud = Fractal(x * 0.5f, f32(row) * 2.0f, 8, 3, 17);
  if (up > 30) {
    const f32 c = std::max(0.0f, cloud - 0.55f) * 1.6f;
    r = Art_Lerp(r, 245, c), g = Art_Lerp(g, 235, c), b = Art_Lerp(b, 230, c);
  }
  const f32 far_hill = Skyline(x * 1.7f + 90) * 0.55f + 6;
  const f32 hill = Skyline(x);
  if (up < far_hill) {
    const f32 haze = 0.55f;
    r = Art_Lerp(r, 120, haze), g = Art_Lerp(g, 128, haze), b = Art_Lerp(b, 158, haze);
  }
  if (up < hill) {
    const f32 shade = Fractal(x * 2.0f, f32(row) * 2.0f, 16, 3, 29);
    const f32 depth = std::clamp((hill - up) / 30.0f, 0.0f, 1.0f);
    r = 70 + 30 * shade - 20 * depth, g = 82 + 30 * shade - 15 * depth, b = 96 + 26 * shade;
    // A few lights of a town along the coast.
    if (up < 5 && (Art_Hash(u32(x), row, 41) & 63) == 0) r = 250, g = 220, b = 150;
  }
  if (up < 3) {
    const f32 shimmer = Unit(u32(x), row, 53);
    r = 80 + 40 * shimmer, g = 100 + 40 * shimmer, b = 130 + 40 * shimmer;
  }
  return Art_Rgb(r, g, b);
}
}  // namespace

K3dMesh Art_Rig_Surroundings(void) {
  K3dMesh mesh;
  const f32 s = kArtRigHalfSide, h = kArtRigHeight, k = kArtRigSurroundScale;
  K3dObject water{"water", {}, {}};
  for (Vec p : {Vec{-s, 0, -s}, Vec{s, 0, -s}, Vec{s, 0, s}, Vec{-s, 0, s}})
    water.points.push_back(Art_File_Point(p, k));
  water.polygons.push_back({{0, 1, 2, 3}, 0});
  mesh.objects.push_back(water);

  // The perimeter from the front wall's left end, turning right as seen from inside.
  K3dObject ring{"horizon", {}, {}};
  const u32 per_side = kArtRigRingQuads / 4;
  const Vec starts[4] = {{-s, 0, s}, {s, 0, s}, {s, 0, -s}, {-s, 0, -s}};
  for (u32 side = 0; side < 4; side++) {
    const Vec a = starts[side], b = starts[(side + 1) % 4];
    for (u32 i = 0; i < per_side; i++) {
      const Vec p = a + (b - a) * (f32(i) / f32(per_side));
      ring.points.push_back(Art_File_Point({p.x, -h, p.z}, k));
      ring.points.push_back(Art_File_Point({p.x, 0, p.z}, k));
    }
  }
  for (u32 q = 0; q < kArtRigRingQuads; q++) {
    const u16 l = u16(2 * q), r = u16(2 * ((q + 1) % kArtRigRingQuads));
    ring.polygons.push_back({{l, u16(l + 1), u16(r + 1), r}, 0});
  }
  mesh.objects.push_back(ring);

  // A little under the ring's top, so that no seam opens between them.
  K3dObject sky{"sky", {}, {}};
  const f32 top = kArtRigSkyHeight;
  for (Vec p : {Vec{-s, -top, s}, Vec{s, -top, s}, Vec{s, -top, -s}, Vec{-s, -top, -s}})
    sky.points.push_back(Art_File_Point(p, k));
  sky.polygons.push_back({{0, 1, 2, 3}, 0});
  mesh.objects.push_back(sky);
  return mesh;
}

K3dMesh Art_Rig_Structure(void) {
  Builder b("rig", kArtRigStructureScale);
  b.Box(kDeckMin, kDeckMax, ART_RIG_STEEL, ART_RIG_DECK, ART_RIG_RUST);
  // Four legs into the water and the braces between them.
  const f32 legs[4][2] = {{-270, -500}, {130, -500}, {130, -100}, {-270, -100}};
  for (const auto& l : legs) b.Box({l[0] - 22, kDeckBottom, l[1] - 22}, {l[0] + 22, 0, l[1] + 22}, ART_RIG_LEG, 0, 0);
  for (f32 y : {-110.0f}) {
    b.Box({-250, y - 8, -508}, {110, y + 8, -492}, ART_RIG_LATTICE, ART_RIG_LATTICE, ART_RIG_LATTICE);
    b.Box({-250, y - 8, -108}, {110, y + 8, -92}, ART_RIG_LATTICE, ART_RIG_LATTICE, ART_RIG_LATTICE);
    b.Box({-278, y - 8, -480}, {-262, y + 8, -120}, ART_RIG_LATTICE, ART_RIG_LATTICE, ART_RIG_LATTICE);
    b.Box({122, y - 8, -480}, {138, y + 8, -120}, ART_RIG_LATTICE, ART_RIG_LATTICE, ART_RIG_LATTICE);
  }
  // Living quarters with a control room on top, and tanks.
  b.Box({-300, -330, -530}, {-80, kDeckTop, -330}, ART_RIG_CABIN, ART_RIG_DECK, 0);
  b.Box({-260, -380, -500}, {-150, -330, -400}, ART_RIG_CABIN, ART_RIG_STEEL, 0);
  b.Box({-40, -290, -520}, {60, kDeckTop, -440}, ART_RIG_RUST, ART_RIG_STEEL, 0);
  b.Box({-40, -290, -420}, {60, kDeckTop, -340}, ART_RIG_RUST, ART_RIG_STEEL, 0);
  // The derrick: a tapering lattice tower with a pole for the beacon.
  b.Taper({115, -600, -115}, {185, kDeckTop, -45}, 0.3f, ART_RIG_LATTICE, ART_RIG_STEEL, 0);
  b.Box({146, -625, -84}, {154, -600, -76}, ART_RIG_STRIPES, ART_RIG_STRIPES, 0);
  // The crane: a pedestal and a boom reaching out over the water.
  b.Box({-90, -300, -160}, {-50, kDeckTop, -120}, ART_RIG_STEEL, ART_RIG_STEEL, 0);
  b.Box({-80, -318, -150}, {-60, -300, 40}, ART_RIG_STRIPES, ART_RIG_STRIPES, ART_RIG_STRIPES);
  // The flare boom leaning out from the side, and posts under the deck lights.
  b.Box({-440, -328, -348}, {-320, -316, -332}, ART_RIG_STRIPES, ART_RIG_STRIPES, ART_RIG_STRIPES);
  b.Box({-328, -328, -352}, {-316, kDeckTop, -328}, ART_RIG_STEEL, 0, 0);
  const f32 posts[4][2] = {{120, -130}, {-300, -130}, {-300, -540}, {120, -540}};
  for (const auto& p : posts) b.Box({p[0] - 3, -262, p[1] - 3}, {p[0] + 3, kDeckTop, p[1] + 3}, ART_RIG_STEEL, 0, 0);
  K3dMesh mesh;
  mesh.objects.push_back(b.object);
  return mesh;
}

std::vector<PathCameraKey> Art_Rig_Camera_Keys(void) {
  std::vector<PathCameraKey> keys;
  const f32 k = kArtRigPathScale;
  for (u32 i = 0; i < kArtRigPathRecords; i++) {
    const f32 t = f32(i) / f32(kArtRigPathRecords);
    const Vec p = Orbit_Position(t), q = Orbit_Target(t);
    const f32 roll = 4.0f * std::sin(2 * kArtPi * 2 * t);
    keys.push_back({Art_Path_Point(p, k), Art_Path_Point(q, k), roll});
  }
  return keys;
}

std::vector<u32> Art_Rig_Horizon_Pixels(void) {
  std::vector<u32> pixels(256 * 256, 0);
  for (u32 piece = 0; piece < 4; piece++)
    for (u32 r = 0; r < 128; r++) {
      const u32 row = kPieceRow[piece] + r;
      if (row >= 256) continue;
      for (u32 c = 0; c < 128; c++) {
        // Columns 3 .. 127 of a tile are what a quad shows: the panorama runs on from one to the next.
        const f32 x = f32(piece * 125) + f32(c) - 3.0f;
        pixels[row * 256 + kPieceColumn[piece] + c] = Horizon_Texel(std::fmod(x + 500.0f, 500.0f) * 512.0f / 500.0f, r);
      }
    }
  // Row 0 and row 128 lie before the tiles' first rows: copy their neighbours.
  for (u32 c = 0; c < 256; c++) {
    pixels[c] = pixels[256 + c];
    pixels[128 * 256 + c] = pixels[129 * 256 + c];
  }
  return pixels;
}

std::vector<u32> Art_Rig_Water_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const f32 fx = f32(x), fy = f32(y);
      const f32 swell = std::sin(2 * kArtPi * (fx * 3 + fy * 5) / 256.0f) * 0.5f + 0.5f;
      const f32 chop = std::sin(2 * kArtPi * (fx * 11 - fy * 7) / 256.0f + 3 * Fractal(fx, fy, 8, 2, 71));
      const f32 grain = Fractal(fx, fy, 32, 3, 73);
      const f32 v = 120 + 55 * swell + 35 * chop * 0.5f + 50 * grain;
      pixels[y * 256 + x] = Art_Rgb(v * 0.25f, v * 0.62f, v);
    }
  return pixels;
}

std::vector<u32> Art_Rig_Sky_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const f32 cloud = Fractal(f32(x), f32(y), 4, 5, 91);
      const f32 c = std::clamp((cloud - 0.42f) * 2.2f, 0.0f, 1.0f);
      const f32 r = Art_Lerp(168, 250, c), g = Art_Lerp(186, 248, c), b = Art_Lerp(226, 246, c);
      pixels[y * 256 + x] = Art_Rgb(r, g, b);
    }
  return pixels;
}

std::vector<u32> Art_Rig_Form_Pixels(void) {
  std::vector<u32> pixels(256 * 256, 0);
  auto tile = [&](u32 row0, u32 col0, auto texel) {
    for (u32 r = 0; r < 64; r++)
      for (u32 c = 0; c < 64; c++) pixels[(row0 + r) * 256 + col0 + c] = texel(r, c);
  };
  auto grain = [](u32 r, u32 c, u32 seed) { return Fractal(f32(c) * 4, f32(r) * 4, 16, 3, seed) - 0.5f; };
  // Steel plates with seams and rivets.
  tile(0, 0, [&](u32 r, u32 c) {
    const f32 g = grain(r, c, 3) * 40;
    const bool seam = r % 21 == 0 || c % 32 == 0;
    const bool rivet = (r % 21 == 3 || r % 21 == 18) && c % 8 == 4;
    const f32 v = seam ? 70 : rivet ? 200 : 140 + g;
    return Art_Rgb(v, v * 1.0f, v * 1.05f);
  });
  // Yellow lattice: a frame with crossing diagonals on dark.
  tile(0, 64, [&](u32 r, u32 c) {
    const i32 cell_r = i32(r % 32), cell_c = i32(c % 32);
    const bool bar = r % 32 < 4 || c % 32 < 4 || std::abs(cell_r - cell_c) < 3 || std::abs(cell_r + cell_c - 31) < 3;
    const f32 g = grain(r, c, 5) * 30;
    return bar ? Art_Rgb(230 + g, 170 + g, 30) : Art_Rgb(25, 25, 30);
  });
  // Deck: dark plates with a painted yellow line.
  tile(0, 128, [&](u32 r, u32 c) {
    const f32 g = grain(r, c, 7) * 30;
    if (c > 28 && c < 34) return Art_Rgb(210 + g, 180 + g, 40);
    const bool seam = r % 16 == 0;
    return seam ? Art_Rgb(50, 52, 55) : Art_Rgb(95 + g, 98 + g, 100 + g);
  });
  // Cabins: white walls with a row of lit windows.
  tile(0, 192, [&](u32 r, u32 c) {
    const f32 g = grain(r, c, 9) * 20;
    const bool window = r > 18 && r < 34 && c % 16 > 4 && c % 16 < 13;
    if (window) return (Art_Hash(c / 16, 0, 11) & 1) ? Art_Rgb(255, 220, 130) : Art_Rgb(40, 60, 80);
    if (r > 44 && r < 48) return Art_Rgb(190, 40, 30);
    return Art_Rgb(215 + g, 215 + g, 205 + g);
  });
  // Legs: dark steel with rust running down and a painted band.
  tile(64, 0, [&](u32 r, u32 c) {
    const f32 g = grain(r, c, 13) * 40;
    const f32 rust = std::max(0.0f, Fractal(f32(c) * 6, f32(r) * 1.5f, 16, 2, 15) - 0.5f) * 2;
    if (r < 8) return Art_Rgb(220, 190, 40);
    return Art_Rgb(Art_Lerp(90 + g, 140, rust), Art_Lerp(92 + g, 70, rust), Art_Lerp(98 + g, 40, rust));
  });
  // Rust.
  tile(64, 64, [&](u32 r, u32 c) {
    const f32 g = grain(r, c, 17);
    return Art_Rgb(140 + 80 * g, 75 + 40 * g, 40 + 20 * g);
  });
  // Red and white stripes.
  tile(64, 128, [&](u32 r, u32 c) {
    const bool red = ((r + c) / 12) & 1;
    const f32 g = grain(r, c, 19) * 20;
    return red ? Art_Rgb(200 + g, 30, 25) : Art_Rgb(230 + g, 230 + g, 225 + g);
  });
  // Glows on black: the beacon's flash and its dim phase, and a steady warm light.
  auto glow = [&](u32 row0, u32 col0, f32 r, f32 g, f32 b, f32 strength) {
    for (u32 y = 0; y < 32; y++)
      for (u32 x = 0; x < 32; x++) {
        const f32 dx = (f32(x) - 15.5f) / 15.5f, dy = (f32(y) - 15.5f) / 15.5f;
        const f32 d = std::sqrt(dx * dx + dy * dy);
        const f32 core = std::max(0.0f, 1 - d * 3.0f);
        const f32 halo = std::max(0.0f, 1 - d) * std::max(0.0f, 1 - d);
        const f32 k = strength * (halo * 0.8f + core);
        pixels[(row0 + y) * 256 + col0 + x] = Art_Rgb(r * k + 255 * core * strength, g * k + 200 * core * strength,
                                                  b * k + 180 * core * strength);
      }
  };
  glow(64, 192, 255, 60, 40, 1.0f);
  glow(64, 224, 160, 20, 10, 0.25f);
  glow(96, 192, 255, 190, 90, 0.8f);
  return pixels;
}

bool Art_Rig_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const ArtPicture pictures[] = {{"rig/horizd.pcx", Art_Rig_Horizon_Pixels},
                                 {"rig/water3.pcx", Art_Rig_Water_Pixels},
                                 {"rig/ksky6.pcx", Art_Rig_Sky_Pixels},
                                 {"rig/rigformo.pcx", Art_Rig_Form_Pixels}};
  if (!Art_Pcx_Entries(pictures, std::size(pictures), dir + "/rigpicture.pcx.part", entries)) return false;
  entries->push_back({"rig/rig6.k3d", K3d_Write(Art_Rig_Surroundings()), DATAFILE_RAW});
  entries->push_back({"rig/rigform7.k3d", K3d_Write(Art_Rig_Structure()), DATAFILE_RAW});
  entries->push_back({"rig/rigformb.cam", Path_Write_Camera(Art_Rig_Camera_Keys()), DATAFILE_RAW});
  return true;
}
