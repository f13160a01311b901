// The box part's data: the crate room, the egg-shaped shell, their pictures and the lens glows.
#include "art_box.h"

#include <algorithm>
#include <cmath>

#include "art.h"
#include "art_race.h"

namespace {
using Vec = ArtVec;

// Egg point at latitude a (0 at the top tip, pi at the bottom) and longitude b.
Vec Egg_At(f32 a, f32 b) {
  const f32 r = kArtBoxShellRadius;
  const f32 rib = 1.0f + 0.06f * std::sin(6.0f * b) * std::sin(a);
  const f32 ring = r * std::sin(a) * (1.0f - 0.14f * std::cos(a)) * rib;
  return {ring * std::cos(b), -kArtBoxShellLength * r * std::cos(a), ring * std::sin(b)};
}
}  // namespace

std::vector<u32> Art_Box_Crate_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  const f32 lo = 4.0f, hi = 194.0f, mid = (lo + hi) * 0.5f, frame = 16.0f;
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      // Texels beyond the face's rectangle repeat it, so that a rounding step shows the same picture.
      const f32 fx = lo + std::fmod(f32(x) - lo + (hi - lo), hi - lo) + 0.5f;
      const f32 fy = lo + std::fmod(f32(y) - lo + (hi - lo), hi - lo) + 0.5f;
      const f32 ex = std::min(fx - lo, hi - fx), ey = std::min(fy - lo, hi - fy), edge = std::min(ex, ey);
      f32 r, g, b;
      if (edge < frame) {
        // The frame: orange metal, bevelled light on its outer and dark on its inner edge.
        const f32 bevel = edge < 2.0f ? 60.0f : edge > frame - 2.0f ? -70.0f : 0.0f;
        const f32 streak = 12.0f * std::sin(0.9f * (ex < ey ? fy : fx));
        r = 235.0f + bevel + streak, g = 140.0f + bevel + streak, b = 40.0f + bevel * 0.5f;
        // Bolts in the corners.
        const f32 cx = fx < mid ? lo + frame * 0.5f : hi - frame * 0.5f;
        const f32 cy = fy < mid ? lo + frame * 0.5f : hi - frame * 0.5f;
        const f32 d = std::hypot(fx - cx, fy - cy);
        if (d < 5.0f) {
          const f32 lit = (cx - fx + cy - fy) * 12.0f;
          r = 200.0f + lit, g = 205.0f + lit, b = 215.0f + lit;
        }
      } else {
        // The panel: dark teal with a faint grid and a glowing cross brace from corner to corner.
        const f32 gx = std::fmod(fx - lo, 19.0f), gy = std::fmod(fy - lo, 19.0f);
        const f32 grid = (gx < 1.0f || gy < 1.0f) ? 30.0f : 0.0f;
        r = 20.0f + grid * 0.3f, g = 70.0f + grid, b = 80.0f + grid;
        const f32 u = fx - mid, v = fy - mid;
        const f32 brace = std::min(std::fabs(u - v), std::fabs(u + v)) * 0.70710678f;
        const f32 glow = 1.0f - Art_Smooth(5.0f, 11.0f, brace);
        r += 230.0f * glow, g += 120.0f * glow, b += 10.0f * glow;
        if (brace < 2.0f) r = 255.0f, g = 240.0f, b = 170.0f;
      }
      pixels[y * 256 + x] = Art_Rgb(r, g, b);
    }
  return pixels;
}

std::vector<u32> Art_Box_Env_Pixels(void) {
  std::vector<u32> pixels(256 * 256, 0);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const f32 dx = (f32(x) - 128.0f) / 124.0f, dy = (f32(y) - 128.0f) / 124.0f;
      const f32 r = std::sqrt(dx * dx + dy * dy);
      if (r >= 1.0f) continue;
      // A deep violet body, a cyan rim and a white highlight toward the upper left.
      const f32 rim = Art_Smooth(0.6f, 1.0f, r);
      const f32 h = std::hypot(dx + 0.35f, dy + 0.4f);
      const f32 shine = std::exp(-h * h * 18.0f), glow = std::exp(-h * h * 3.0f);
      const f32 fade = 1.0f - Art_Smooth(0.93f, 1.0f, r);
      const f32 red = 70.0f + 60.0f * glow - 50.0f * rim + 255.0f * shine;
      const f32 green = 30.0f + 40.0f * glow + 150.0f * rim + 255.0f * shine;
      const f32 blue = 120.0f + 80.0f * glow + 110.0f * rim + 255.0f * shine;
      pixels[y * 256 + x] = Art_Rgb(red * fade, green * fade, blue * fade);
    }
  return pixels;
}

K3dMesh Art_Box_Crate(void) {
  ArtMesh b("kasse", kArtBoxScale);
  const f32 h = kArtBoxHalfSize;
  for (u32 i = 0; i < 8; i++) b.Point({i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h});
  // Each side by its four corners in turn, and the way into the room.
  const u16 sides[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
  const Vec inward[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (u32 s = 0; s < 6; s++) b.Poly({sides[s][0], sides[s][1], sides[s][2], sides[s][3]}, inward[s], 0);
  K3dMesh mesh;
  mesh.objects.push_back(b.object);
  return mesh;
}

u32 Art_Box_Shell_Phase(u32 ring, u32 segment) {
  // Around a ring the phases step by 2 up one side and down the other, so neighbours differ by at most 4.
  const u32 half = kArtBoxShellSegments / 2;
  const u32 turn = segment < half ? 2 * segment : 2 * (kArtBoxShellSegments - 1 - segment) + 1;
  return (kArtBoxShellPhaseStart + kArtBoxShellRingPhase * (ring - 1) + 2 * turn) & 1023;
}

K3dMesh Art_Box_Shell(void) {
  // The scene swells point k by the sine of phase 10 x (first point + k); the points are placed so that
  // each ring's phases lie close together and the rings' step evenly from tip to tip: the swell is one
  // smooth band that runs along the shell. Every index up to the count is used exactly once.
  const u32 rings = kArtBoxShellRings, segments = kArtBoxShellSegments;
  const u32 count = rings * segments + 2;
  auto slot = [&](u32 phase) {  // the first k whose point phase is this one
    const u32 g = (205 * (phase / 2)) & 511;  // 10 g = phase (mod 1024)
    return (g + 512 - kArtBoxShellFirstPoint % 512) % 512;
  };
  std::vector<Vec> at(count);
  std::vector<u16> grid(rings * segments);
  for (u32 i = 1; i <= rings; i++)
    for (u32 j = 0; j < segments; j++) {
      const u32 k = slot(Art_Box_Shell_Phase(i, j));
      at[k] = Egg_At(kArtPi * f32(i) / f32(rings + 1), 2.0f * kArtPi * f32(j) / f32(segments));
      grid[(i - 1) * segments + j] = u16(k);
    }
  // The two indices past 511 repeat the phases of k = 0 and 1: the bottom tip sits at the end of the
  // last ring's phases, the top tip at the start of the first ring's.
  const u16 bottom = 512, top = 513;
  at[bottom] = Egg_At(kArtPi, 0.0f);
  at[top] = Egg_At(0.0f, 0.0f);
  ArtMesh b("egg", kArtBoxShellScale);
  for (const Vec& v : at) b.Point(v);
  auto ring = [&](u32 i, u32 j) { return grid[(i - 1) * segments + j % segments]; };
  // Each polygon faces outward: from the centre to its middle (the egg is seen whole from every side).
  auto outward = [&](std::initializer_list<u16> p) {
    Vec m = {0, 0, 0};
    for (u16 k : p) m = m + b.engine[k];
    b.Poly(p, m, 0);
  };
  for (u32 j = 0; j < segments; j++) outward({top, ring(1, j), ring(1, j + 1)});
  for (u32 i = 1; i < rings; i++)
    for (u32 j = 0; j < segments; j++) outward({ring(i, j), ring(i + 1, j), ring(i + 1, j + 1), ring(i, j + 1)});
  for (u32 j = 0; j < segments; j++) outward({bottom, ring(rings, j + 1), ring(rings, j)});
  K3dMesh mesh;
  mesh.objects.push_back(b.object);
  return mesh;
}

bool Art_Box_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const ArtPicture pictures[] = {{"box/kasse.pcx", Art_Box_Crate_Pixels},
                                 {"box/kenv.pcx", Art_Box_Env_Pixels},
                                 {"box/klensc.pcx", Art_Race_Lens_Pixels, 256, 64}};
  if (!Art_Pcx_Entries(pictures, std::size(pictures), dir + "/boxpicture.pcx.part", entries)) return false;
  entries->push_back({"box/kasse.k3d", K3d_Write(Art_Box_Crate()), DATAFILE_RAW});
  entries->push_back({"box/kgoaegg3.k3d", K3d_Write(Art_Box_Shell()), DATAFILE_RAW});
  return true;
}
