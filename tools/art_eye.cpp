// Pictures of the eye scene: a close-up of an open eye and four pictures of its lid closing.
#include "art_eye.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
const f32 kCx = 122.0f, kCy = 139.0f;  // the eye's centre in the whole picture
const f32 kHalfWidth = 72.0f;

struct Rgb {
  f32 r, g, b;
};
Rgb Mix(Rgb a, Rgb b, f32 t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, f32 k) { return {a.r * k, a.g * k, a.b * k}; }

u32 Hash(u32 a, u32 b) { return Art_Hash(a, b, 0x632BE5ABu); }

u32 Pack(Rgb c) { return Art_Rgb(c.r, c.g, c.b); }

// The opening's upper and lower edges at column x (t = -1 .. 1 across); the outer corner sits higher.
f32 Upper(f32 t) { return kCy - 42.0f * std::pow(1.0f - t * t, 0.7f) - 5.0f * t; }
f32 Lower(f32 t) { return kCy + 27.0f * std::pow(1.0f - t * t, 0.9f) - 5.0f * t; }

// Lashes: short dark strokes leaning outward, growing from the lid's edge toward side (-1 up, +1 down).
bool Lash(f32 x, f32 y, f32 edge, f32 t, f32 side) {
  const f32 d = (y - edge) * side;
  if (d < 0.0f || d > 8.0f * (1.0f - 0.6f * t * t)) return false;
  const f32 lean = x + d * 0.7f * (t < 0 ? -1.0f : 1.0f);
  const f32 phase = std::fmod(lean + 200.0f, 4.0f);
  return phase < 1.3f + 0.6f * (1.0f - d / 8.0f);
}

Rgb Skin(f32 x, f32 y) {
  const Rgb base = {222, 168, 136};
  const f32 dx = (x - 128.0f) / 150.0f, dy = (y - 132.0f) / 150.0f;
  Rgb c = Scale(base, 1.0f - 0.35f * (dx * dx + dy * dy));
  const f32 grain = f32(i32(Hash(u32(x), u32(y)) % 13) - 6);
  c = {c.r + grain, c.g + grain * 0.8f, c.b + grain * 0.7f};
  // The socket's shadow around the opening, and the crease of the open lid above it.
  const f32 t = (x - kCx) / kHalfWidth;
  const f32 ex = (x - kCx) / 88.0f, ey = (y - kCy + 4.0f) / 62.0f;
  const f32 r = std::sqrt(ex * ex + ey * ey);
  if (r < 1.0f) c = Scale(c, 0.82f + 0.18f * r);
  if (std::fabs(t) < 0.95f) {
    const f32 crease = Upper(t) - 15.0f + 6.0f * t * t;
    const f32 d = std::fabs(y - crease);
    if (d < 2.5f) c = Mix(Scale(c, 0.62f), c, d / 2.5f);
  }
  // The brow: a band of dark hair strands above the eye.
  const f32 bx = x - kCx;
  const f32 brow = kCy - 86.0f + 0.0035f * bx * bx - 0.06f * bx;
  const f32 thickness = 14.0f - std::fabs(bx) * 0.06f;
  if (y > brow - thickness * 0.5f && y < brow + thickness * 0.5f && std::fabs(bx) < 112.0f) {
    const u32 h = Hash(u32(x + (y - brow) * 1.5f + 400.0f), 7);
    if (h % 3 != 0) c = Mix(c, {70, 46, 32}, 0.85f);
  }
  return c;
}

Rgb Eyeball(f32 x, f32 y, f32 t, f32 lid) {
  const f32 ix = kCx - 2.0f, iy = kCy + 1.0f, radius = 28.0f;
  const f32 dx = x - ix, dy = y - iy, d = std::sqrt(dx * dx + dy * dy);
  Rgb c;
  if (d < 11.0f) {
    c = {12, 10, 14};
  } else if (d < radius) {
    const f32 angle = std::atan2(dy, dx);
    const f32 streak = 0.78f + 0.22f * std::sin(angle * 29.0f + f32(Hash(u32(angle * 40.0f + 200.0f), 3) % 7));
    c = Scale(Mix({168, 128, 62}, {58, 118, 148}, (d - 11.0f) / 8.0f), streak);
    if (d > radius - 4.0f) c = Mix(c, {22, 40, 58}, (d - radius + 4.0f) / 4.0f);
  } else {
    c = Mix({240, 234, 226}, {214, 160, 150}, std::pow(std::fabs(t), 3.0f));
    if (d < radius + 2.0f) c = Mix({90, 96, 104}, c, (d - radius) / 2.0f);
  }
  // Shine on the cornea.
  const f32 hx = x - (ix - 10.0f), hy = y - (iy - 9.0f), h = std::sqrt(hx * hx + hy * hy);
  if (h < 6.0f) c = Mix(c, {255, 255, 255}, (6.0f - h) / 2.0f);
  // The lid's shadow on the ball.
  const f32 below = y - lid;
  if (below < 9.0f) c = Scale(c, 0.55f + 0.45f * below / 9.0f);
  return c;
}

// The colour at (x, y) of the whole picture with the upper lid lowered by closed.
u32 Pixel(f32 x, f32 y, f32 closed) {
  const f32 t = (x - kCx) / kHalfWidth;
  Rgb c = Skin(x, y);
  if (std::fabs(t) < 1.0f) {
    const f32 upper = Upper(t), lower = Lower(t);
    const f32 lid = upper + closed * (lower - upper);
    if (y > upper && y < lower) {
      if (y < lid - 2.5f)
        c = Mix(Scale(Skin(x, y), 0.92f), {196, 128, 112}, 0.25f + 0.3f * closed * (y - upper) / (lid - upper + 1.0f));
      else if (y < lid + 0.5f)
        c = {96, 52, 46};
      else
        c = Eyeball(x, y, t, lid);
      if (lower - y < 2.5f) c = Mix(c, {196, 118, 110}, 0.8f);
    }
    // Lashes grow up from the open lid and down from a lid that has come down far.
    const f32 side = closed > 0.55f ? 1.0f : -1.0f;
    if (std::fabs(t) < 0.96f && Lash(x, y, lid, t, side)) c = Mix(c, {26, 18, 18}, 0.9f);
  }
  return Pack(c);
}
}  // namespace

std::vector<u32> Art_Eye_Picture(void) {
  std::vector<u32> pixels(size_t(kArtEyeWidth) * kArtEyeHeight);
  for (u32 y = 0; y < kArtEyeHeight; y++)
    for (u32 x = 0; x < kArtEyeWidth; x++) pixels[y * kArtEyeWidth + x] = Pixel(f32(x), f32(y), 0.0f);
  return pixels;
}

std::vector<u32> Art_Eye_Lid(f32 closed) {
  std::vector<u32> pixels(size_t(kArtLidWidth) * kArtLidHeight);
  for (u32 y = 0; y < kArtLidHeight; y++)
    for (u32 x = 0; x < kArtLidWidth; x++)
      pixels[y * kArtLidWidth + x] = Pixel(f32(x + kArtLidX), f32(y + kArtLidY), closed);
  return pixels;
}

bool Art_Eye_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const std::string scratch = dir + "/eye.pcx.part";
  DatafileEntry whole{"eye/keye1a.pcx", {}, DATAFILE_RAW};
  if (!Art_Pcx(Art_Eye_Picture(), kArtEyeWidth, kArtEyeHeight, scratch, &whole.data)) return false;
  entries->push_back(whole);
  // Shut, half shut, lowered at rest, nearly shut from the lowered rest.
  const char* const names[4] = {"eye/keye2a.pcx", "eye/keye3a.pcx", "eye/keye4a.pcx", "eye/keye5a.pcx"};
  const f32 closed[4] = {1.0f, 0.5f, 0.32f, 0.8f};
  for (u32 i = 0; i < 4; i++) {
    DatafileEntry lid{names[i], {}, DATAFILE_RAW};
    if (!Art_Pcx(Art_Eye_Lid(closed[i]), kArtLidWidth, kArtLidHeight, scratch, &lid.data)) return false;
    entries->push_back(lid);
  }
  return true;
}
