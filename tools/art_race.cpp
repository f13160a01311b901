// The race part's data: a tileable corridor plate, four light streaks and the camera's circuit.
#include "art_race.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
const f32 kTwoPi = 6.2831853f;

// A soft band: 1 within half_width of the centre, falling smoothly to 0 over soft more texels.
f32 Band(f32 distance, f32 half_width, f32 soft) {
  const f32 t = std::clamp((std::fabs(distance) - half_width) / soft, 0.0f, 1.0f);
  return 1.0f - t * t * (3.0f - 2.0f * t);
}

// Distance from v to the nearest multiple of period, on a texture that wraps at 256.
f32 Wrapped(f32 v, f32 period) {
  f32 m = std::fmod(v + period * 0.5f, period);
  if (m < 0) m += period;
  return m - period * 0.5f;
}

// A soft glow's window: 1 at the centre, 0 from radius 0.97 on.
f32 Window(f32 r) { return r >= 0.97f ? 0.0f : (1.0f - r / 0.97f) * (1.0f - r / 0.97f); }

// A point of the circuit at distance d along it, engine axes (y down): two straights along x joined by
// half circles, so that the straights run along the plates' lane lines.
ArtVec Circuit_At(f32 d) {
  const f32 r = kArtRaceTurnRadius, h = kArtRaceStraightHalf, pi = kTwoPi / 2;
  const f32 straight = 2 * h, turn = pi * r;
  d = std::fmod(d, 2 * (straight + turn));
  if (d < 0) d += 2 * (straight + turn);
  if (d < straight) return {-h + d, 0, r};
  d -= straight;
  if (d < turn) return {h + r * std::sin(d / r), 0, r * std::cos(d / r)};
  d -= turn;
  if (d < straight) return {h - d, 0, -r};
  d -= straight;
  return {-h - r * std::sin(d / r), 0, -r * std::cos(d / r)};
}

f32 Circuit_Length(void) { return 2 * (2 * kArtRaceStraightHalf + kTwoPi / 2 * kArtRaceTurnRadius); }
}  // namespace

std::vector<u32> Art_Race_Metal_Pixels(void) {
  // Only broad, soft shapes: the plates are seen out to the horizon without levels of detail, and
  // anything a few texels wide would shimmer there. The lane lines run down the columns (along the
  // flight's straights); what crosses them is dim, so that it does not flicker in the distance.
  std::vector<u32> pixels(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const f32 fx = f32(x) + 0.5f, fy = f32(y) + 0.5f;
      // Large steel panels, lit a little unevenly, with wide soft grooves between them.
      const f32 sheen = 0.5f + 0.5f * std::sin(kTwoPi * fy / 256.0f) * std::cos(kTwoPi * fx / 128.0f);
      f32 r = 70 + 22 * sheen, g = 82 + 24 * sheen, b = 104 + 30 * sheen;
      const f32 groove = std::max(Band(Wrapped(fx - 128, 128), 2, 5), 0.25f * Band(Wrapped(fy, 128), 2, 10));
      r *= 1 - 0.45f * groove, g *= 1 - 0.45f * groove, b *= 1 - 0.45f * groove;
      // Lane lines: long dashes down columns 64 and 192.
      const f32 dash = Band(Wrapped(fy, 64), 20, 8);
      const f32 lane = Band(Wrapped(fx - 64, 128), 3, 8) * (0.55f + 0.45f * dash);
      r = Art_Lerp(r, 255, lane), g = Art_Lerp(g, 225, lane), b = Art_Lerp(b, 150, lane);
      // A glowing rail beside each groove along the columns.
      const f32 rail = 0.5f * Band(Wrapped(fx - 128, 128) - 14, 2, 4) + 0.5f * Band(Wrapped(fx - 128, 128) + 14, 2, 4);
      r = Art_Lerp(r, 90, rail), g = Art_Lerp(g, 200, rail), b = Art_Lerp(b, 255, rail);
      pixels[y * 256 + x] = Art_Rgb(r, g, b);
    }
  return pixels;
}

std::vector<u32> Art_Race_Streak_Pixels(void) {
  // Light streaks stretched across: the sprites hang near the camera's height, so they sweep sideways
  // past it, and a streak reads as their motion. They fade to black well inside each 64-texel cell.
  const f32 colours[4][3] = {{200, 225, 255}, {255, 180, 90}, {120, 255, 235}, {235, 130, 255}};
  std::vector<u32> pixels(256 * 64, 0);
  for (u32 k = 0; k < 4; k++)
    for (u32 y = 0; y < 64; y++)
      for (u32 x = 0; x < 64; x++) {
        const f32 dx = (f32(x) - 31.5f) / 30.0f, dy = (f32(y) - 31.5f) / 30.0f;
        const f32 along = std::max(0.0f, 1 - std::fabs(dx)), across = std::exp(-dy * dy * 90.0f);
        const f32 halo = std::exp(-dy * dy * 14.0f) * along * along * 0.35f;
        const f32 core = std::exp(-(dx * dx * 30.0f + dy * dy * 120.0f));
        const f32 i = std::min(1.6f, along * along * across + halo + core) * (std::fabs(dy) < 0.95f);
        pixels[y * 256 + k * 64 + x] = Art_Rgb(colours[k][0] * i + 120 * core, colours[k][1] * i + 120 * core,
                                               colours[k][2] * i + 120 * core);
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
  const f32 length = Circuit_Length(), step = kArtRaceLaps * length / f32(kArtRacePathRecords), u = kArtRacePathUnit;
  auto heading = [](ArtVec a, ArtVec b) { return std::atan2(b.x - a.x, b.z - a.z); };
  for (u32 i = 0; i < kArtRacePathRecords; i++) {
    const f32 d = step * f32(i), phase = kTwoPi * f32(i) / f32(kArtRacePathRecords);
    ArtVec p = Circuit_At(d), ahead = Circuit_At(d + kArtRaceLookAhead);
    p.y = kArtRaceBob * std::sin(7 * phase);
    ahead.y = p.y + 120.0f;  // a little down, toward the floor's lanes
    // Banked into the turns: by how far the heading turns over the next stretch.
    f32 turn = heading(Circuit_At(d), Circuit_At(d + 400)) - heading(Circuit_At(d - 400), Circuit_At(d));
    turn = std::remainder(turn, kTwoPi);
    const f32 roll = std::clamp(turn * 60.0f, -1.0f, 1.0f) * kArtRaceBank;
    keys.push_back({Art_Path_Point(p, u), Art_Path_Point(ahead, u), roll});
  }
  return keys;
}

bool Art_Race_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const ArtPicture pictures[] = {{"race/metala.pcx", Art_Race_Metal_Pixels},
                                 {"race/klensc.pcx", Art_Race_Streak_Pixels, 256, 64}};
  if (!Art_Pcx_Entries(pictures, std::size(pictures), dir + "/racepicture.pcx.part", entries)) return false;
  entries->push_back({"race/race4.cam", Path_Write_Camera(Art_Race_Camera_Keys()), DATAFILE_RAW});
  return true;
}
