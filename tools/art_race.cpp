// The race part's data: a tileable metal plate, four lens glows and the camera's looping flight.
#include "art_race.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
const f32 kTwoPi = 6.2831853f;

u32 Hash(u32 a, u32 b) { return Art_Hash(a, b, 0x632BE5ABu); }

// 0 .. 1 from a hash.
f32 Unit(u32 a, u32 b) { return f32(Hash(a, b) & 0xFFFF) / 65535.0f; }

// Height of the plate at a texel: raised lozenges on a diagonal lattice, rivets along the seams, seams sunk.
f32 Plate_Height(i32 x, i32 y) {
  x &= 255, y &= 255;
  f32 h = 0.0f;
  const i32 cx = (x / 32) * 32 + 16, cy = (y / 32) * 32 + 16;
  const f32 dx = f32(x) - f32(cx), dy = f32(y) - f32(cy);
  // Neighbouring lozenges lean the other way.
  const f32 s = (((x / 32) + (y / 32)) & 1) ? 1.0f : -1.0f;
  const f32 a = (dx + s * dy) * 0.70710678f, b = (dx - s * dy) * 0.70710678f;
  const f32 d = std::sqrt((a / 11.0f) * (a / 11.0f) + (b / 3.6f) * (b / 3.6f));
  h = std::max(h, std::clamp((1.0f - d) * 3.0f, 0.0f, 1.0f));
  // Seams every 128 texels, sunk; rivets on them every 32, between the lozenges.
  const f32 sx = f32(((x + 64) & 127) - 64), sy = f32(((y + 64) & 127) - 64);
  if (std::fabs(sx) < 1.5f || std::fabs(sy) < 1.5f) h = -0.6f;
  const f32 ax = f32(((x + 16) & 31) - 16), ay = f32(((y + 16) & 31) - 16);
  const f32 r = std::min(std::hypot(sx, ay), std::hypot(ax, sy));
  if (r < 3.5f) h = std::max(h, 1.2f * std::sqrt(1.0f - (r * r) / (3.5f * 3.5f)));
  return h;
}

// A soft glow's window: 1 at the centre, 0 from radius 0.97 on.
f32 Window(f32 r) { return r >= 0.97f ? 0.0f : (1.0f - r / 0.97f) * (1.0f - r / 0.97f); }

// Camera position on the lap at angle a, engine axes (y down).
void Lap_At(f32 a, f32* x, f32* y, f32* z) {
  const f32 radius = 6000.0f + 1600.0f * std::sin(2.0f * a);
  *x = radius * std::cos(a);
  *z = radius * std::sin(a);
  *y = 350.0f * std::sin(3.0f * a);
}
}  // namespace

std::vector<u32> Art_Race_Metal_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  // Brushing: streaks along x, each row its own, averaged so that they run smoothly and wrap.
  std::vector<f32> streak(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      f32 sum = 0.0f;
      for (u32 k = 0; k < 24; k++) sum += Unit((x + k) & 255, y);
      streak[y * 256 + x] = sum / 24.0f;
    }
  for (i32 y = 0; y < 256; y++)
    for (i32 x = 0; x < 256; x++) {
      const f32 h = Plate_Height(x, y);
      // Lit from the upper left.
      const f32 slope = Plate_Height(x - 1, y - 1) - Plate_Height(x + 1, y + 1);
      const f32 grain = (Unit(u32(x), u32(y) + 7777u) - 0.5f) * 10.0f;
      const f32 v = 165.0f + (streak[u32(y) * 256 + u32(x)] - 0.5f) * 70.0f + grain + 35.0f * h - 90.0f * slope;
      pixels[u32(y) * 256 + u32(x)] = Art_Rgb(v * 0.86f, v * 0.93f, v * 1.02f);
    }
  return pixels;
}

std::vector<u32> Art_Race_Lens_Pixels(void) {
  std::vector<u32> pixels(256 * 64, 0);
  for (u32 k = 0; k < 4; k++)
    for (u32 y = 0; y < 64; y++)
      for (u32 x = 0; x < 64; x++) {
        const f32 dx = (f32(x) - 31.5f) / 32.0f, dy = (f32(y) - 31.5f) / 32.0f;
        const f32 r = std::sqrt(dx * dx + dy * dy), w = Window(r);
        f32 red = 0, green = 0, blue = 0;
        if (k == 0) {  // white core in a blue halo
          const f32 core = std::exp(-r * r * 40.0f), halo = std::exp(-r * r * 5.0f);
          red = 255.0f * (core + 0.25f * halo), green = 255.0f * (core + 0.45f * halo), blue = 255.0f * (core + halo);
        } else if (k == 1) {  // amber ring round a small core
          const f32 ring = std::exp(-((r - 0.58f) / 0.09f) * ((r - 0.58f) / 0.09f)), core = std::exp(-r * r * 60.0f);
          const f32 i = ring * 0.9f + core;
          red = 255.0f * i, green = 170.0f * i, blue = 60.0f * i + 120.0f * core;
        } else if (k == 2) {  // cyan star with four long and four short rays
          const f32 ax = std::fabs(dx), ay = std::fabs(dy);
          const f32 d1 = std::fabs(dx + dy) * 0.70710678f, d2 = std::fabs(dx - dy) * 0.70710678f;
          const f32 rays = std::exp(-ay * 30.0f) * (1.0f - ax) + std::exp(-ax * 30.0f) * (1.0f - ay) +
                           0.5f * (std::exp(-d1 * 30.0f) + std::exp(-d2 * 30.0f)) * (1.0f - r);
          const f32 i = std::min(1.6f, rays + std::exp(-r * r * 30.0f));
          red = 120.0f * i, green = 230.0f * i, blue = 255.0f * i;
        } else {  // violet ghost: a pale disc with a bright rim
          const f32 disc = r < 0.5f ? 0.3f : r < 0.56f ? 0.3f * (0.56f - r) / 0.06f : 0.0f;
          const f32 rim = std::exp(-((r - 0.53f) / 0.045f) * ((r - 0.53f) / 0.045f)) * 0.7f;
          const f32 i = disc + rim;
          red = 200.0f * i, green = 110.0f * i, blue = 255.0f * i;
        }
        pixels[y * 256 + k * 64 + x] = Art_Rgb(red * w * 1.6f, green * w * 1.6f, blue * w * 1.6f);
      }
  return pixels;
}

std::vector<PathCameraKey> Art_Race_Camera_Keys(void) {
  std::vector<PathCameraKey> keys;
  for (u32 i = 0; i < kArtRacePathRecords; i++) {
    const f32 a = kTwoPi * f32(i) / f32(kArtRacePathRecords);
    f32 x, y, z, tx, ty, tz;
    Lap_At(a, &x, &y, &z);
    // Looking a little way ahead along the lap, and a little down.
    Lap_At(a + 0.07f, &tx, &ty, &tz);
    ty += 60.0f;
    const f32 roll = 7.0f * std::sin(2.0f * a + 0.8f);
    const f32 u = kArtRacePathUnit;
    keys.push_back({{x / u, -y / u, z / u}, {tx / u, -ty / u, tz / u}, roll});
  }
  return keys;
}

bool Art_Race_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  DatafileEntry metal{"race/metala.pcx", {}, DATAFILE_RAW};
  if (!Art_Pcx(Art_Race_Metal_Pixels(), 256, 256, dir + "/metala.pcx.part", &metal.data)) return false;
  DatafileEntry lens{"race/klensc.pcx", {}, DATAFILE_RAW};
  if (!Art_Pcx(Art_Race_Lens_Pixels(), 256, 64, dir + "/klensc.pcx.part", &lens.data)) return false;
  entries->push_back(metal);
  entries->push_back(lens);
  entries->push_back({"race/race4.cam", Path_Write_Camera(Art_Race_Camera_Keys()), DATAFILE_RAW});
  return true;
}
