// Pictures and the cloud animation of the intro, drawn procedurally from a fixed seed.
#include "art_intro.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
// Glyph strokes on a grid 4 units wide and 6 high, y down.
struct Stroke {
  f32 x0, y0, x1, y1;
};
struct Glyph {
  char letter;
  std::vector<Stroke> strokes;
};

const std::vector<Glyph>& Art_Glyphs(void) {
  static const std::vector<Glyph> glyphs = {
      {'T', {{0, 0, 4, 0}, {2, 0, 2, 6}}},
      {'A', {{0, 6, 2, 0}, {2, 0, 4, 6}, {0.8f, 3.9f, 3.2f, 3.9f}}},
      {'R', {{0, 6, 0, 0}, {0, 0, 3, 0}, {3, 0, 4, 1}, {4, 1, 4, 2}, {4, 2, 3, 3}, {3, 3, 0, 3}, {2, 3, 4, 6}}},
      {'V', {{0, 0, 2, 6}, {2, 6, 4, 0}}},
      {'E', {{0, 0, 0, 6}, {0, 0, 4, 0}, {0, 3, 3, 3}, {0, 6, 4, 6}}},
      {'K', {{0, 0, 0, 6}, {0, 3.6f, 4, 0}, {1.4f, 2.4f, 4, 6}}},
      {'P', {{0, 6, 0, 0}, {0, 0, 3, 0}, {3, 0, 4, 1}, {4, 1, 4, 2}, {4, 2, 3, 3}, {3, 3, 0, 3}}},
      {'S',
       {{4, 0, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 2}, {0, 2, 1, 3}, {1, 3, 3, 3}, {3, 3, 4, 4}, {4, 4, 4, 5}, {4, 5, 3, 6},
        {3, 6, 0, 6}}},
      {'N', {{0, 6, 0, 0}, {0, 0, 4, 6}, {4, 6, 4, 0}}},
      {'L', {{0, 0, 0, 6}, {0, 6, 4, 6}}},
      {'M', {{0, 6, 0, 0}, {0, 0, 2, 3.6f}, {2, 3.6f, 4, 0}, {4, 0, 4, 6}}},
      {'O',
       {{1, 0, 3, 0}, {3, 0, 4, 1}, {4, 1, 4, 5}, {4, 5, 3, 6}, {3, 6, 1, 6}, {1, 6, 0, 5}, {0, 5, 0, 1}, {0, 1, 1, 0}}},
  };
  return glyphs;
}

const Glyph& Art_Glyph(char c) {
  for (const Glyph& g : Art_Glyphs())
    if (g.letter == c) return g;
  return Art_Glyphs()[0];
}

f32 Art_Segment_Distance(f32 px, f32 py, const Stroke& s) {
  const f32 dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  const f32 len2 = dx * dx + dy * dy;
  f32 t = len2 > 0 ? ((px - s.x0) * dx + (py - s.y0) * dy) / len2 : 0;
  t = std::clamp(t, 0.0f, 1.0f);
  const f32 ex = px - (s.x0 + t * dx), ey = py - (s.y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

// A word laid out in pixels: the strokes of its letters placed and slanted.
struct Word {
  std::vector<Stroke> strokes;
  f32 top, height;
};

// scale: pixels per glyph unit; gap: units between letters; slant: pixels moved right per pixel up.
Word Art_Lay_Word(const char* text, f32 scale, f32 gap, f32 top, f32 slant, u32 picture_width) {
  Word w;
  w.top = top;
  w.height = 6 * scale;
  u32 n = 0;
  for (const char* c = text; *c; c++) n++;
  const f32 width = (f32(n) * 4 + f32(n ? n - 1 : 0) * gap) * scale;
  const f32 left = (f32(picture_width) - width) * 0.5f;
  const f32 mid = top + w.height * 0.5f;
  u32 i = 0;
  for (const char* c = text; *c; c++, i++) {
    const f32 x = left + f32(i) * (4 + gap) * scale;
    for (const Stroke& s : Art_Glyph(*c).strokes) {
      Stroke p = {x + s.x0 * scale, top + s.y0 * scale, x + s.x1 * scale, top + s.y1 * scale};
      p.x0 += (mid - p.y0) * slant;
      p.x1 += (mid - p.y1) * slant;
      w.strokes.push_back(p);
    }
  }
  return w;
}

f32 Art_Word_Distance(const Word& w, f32 x, f32 y) {
  f32 d = 1e9f;
  for (const Stroke& s : w.strokes) d = std::min(d, Art_Segment_Distance(x, y, s));
  return d;
}

struct Rgb {
  f32 r, g, b;
};
Rgb operator*(Rgb c, f32 k) { return {c.r * k, c.g * k, c.b * k}; }
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb Art_Mix(Rgb a, Rgb b, f32 t) { return a * (1 - t) + b * t; }

u32 Art_Pack(Rgb c) {
  const auto ch = [](f32 v) { return u32(std::clamp(v, 0.0f, 255.0f) + 0.5f) & 255; };
  return ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}

// A chrome-like gradient down a letter: bright top, a dark horizon a little under the middle, a lit bottom.
Rgb Art_Chrome(f32 t, Rgb top, Rgb horizon, Rgb bottom) {
  if (t < 0.55f) return Art_Mix(top, horizon, std::pow(t / 0.55f, 1.6f));
  return Art_Mix(horizon * 0.55f, bottom, (t - 0.55f) / 0.45f);
}

// Draws a word: filled strokes of half-width pen in the gradient, a coloured glow around them.
void Art_Draw_Word(std::vector<u32>* pixels, u32 width, u32 height, const Word& w, f32 pen, Rgb top, Rgb horizon,
                   Rgb bottom, Rgb glow, f32 glow_radius) {
  for (u32 y = 0; y < height; y++)
    for (u32 x = 0; x < width; x++) {
      const f32 px = f32(x) + 0.5f, py = f32(y) + 0.5f;
      const f32 d = Art_Word_Distance(w, px, py);
      const f32 cover = std::clamp(pen + 0.5f - d, 0.0f, 1.0f);
      const f32 halo = d > pen ? std::exp(-(d - pen) / glow_radius) : 1.0f;
      if (cover <= 0 && halo < 0.01f) continue;
      const f32 t = std::clamp((py - w.top) / w.height, 0.0f, 1.0f);
      const Rgb face = Art_Chrome(t, top, horizon, bottom);
      const u32 old = (*pixels)[y * width + x];
      const Rgb under = {f32((old >> 16) & 255), f32((old >> 8) & 255), f32(old & 255)};
      const Rgb out = Art_Mix(under + glow * (halo * (1 - cover)), face, cover);
      (*pixels)[y * width + x] = Art_Pack(out);
    }
}

// A thin horizontal rule from x0 to x1 at row y, fading toward its ends.
void Art_Draw_Rule(std::vector<u32>* pixels, u32 width, f32 x0, f32 x1, u32 y, Rgb colour) {
  for (u32 x = u32(x0); x < u32(x1) && x < width; x++) {
    const f32 t = (f32(x) - x0) / (x1 - x0);
    const f32 k = std::sin(t * 3.14159265f);
    (*pixels)[y * width + x] = Art_Pack(colour * k);
  }
}

// A small deterministic generator (xorshift) for the noise lattices.
struct ArtRandom {
  u32 state;
  u32 Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  f32 Unit() { return f32(Next() >> 8) / 16777216.0f; }
};

// One octave of value noise over a lattice of columns x rows cells, wrapping across the columns.
struct NoiseOctave {
  u32 columns, rows;
  std::vector<f32> values;
  f32 At(f32 x, f32 y) const {  // x in cells (wraps), y in cells (0 .. rows - 1)
    const f32 fx = std::floor(x), fy = std::floor(y);
    const f32 tx = x - fx, ty = y - fy;
    const u32 x0 = u32(i32(fx) % i32(columns) + i32(columns)) % columns, x1 = (x0 + 1) % columns;
    const u32 y0 = std::min(u32(fy), rows - 1), y1 = std::min(y0 + 1, rows - 1);
    const f32 sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const f32 a = values[y0 * columns + x0] + (values[y0 * columns + x1] - values[y0 * columns + x0]) * sx;
    const f32 b = values[y1 * columns + x0] + (values[y1 * columns + x1] - values[y1 * columns + x0]) * sx;
    return a + (b - a) * sy;
  }
};
}  // namespace

std::vector<u32> Art_Intro_Group_Logo(void) {
  const u32 w = kArtLogoWidth, h = kArtLogoHeight;
  std::vector<u32> p(w * h, 0);
  const Word name = Art_Lay_Word("TARVEK", 8.0f, 1.5f, 12.0f, 0.22f, w);
  Art_Draw_Word(&p, w, h, name, 3.4f, {255, 236, 150}, {214, 96, 18}, {255, 196, 90}, {120, 30, 6}, 4.0f);
  const Word presents = Art_Lay_Word("PRESENTS", 1.9f, 3.2f, 72.0f, 0.0f, w);
  Art_Draw_Word(&p, w, h, presents, 0.85f, {210, 220, 235}, {150, 165, 190}, {190, 200, 220}, {20, 28, 45}, 1.5f);
  Art_Draw_Rule(&p, w, 50, 104, 78, {150, 90, 40});
  Art_Draw_Rule(&p, w, 216, 270, 78, {150, 90, 40});
  return p;
}

std::vector<u32> Art_Intro_Title_Logo(void) {
  const u32 w = kArtLogoWidth, h = kArtLogoHeight;
  std::vector<u32> p(w * h, 0);
  // The streak first, so the letters are laid over it.
  for (u32 y = 0; y < h; y++)
    for (u32 x = 0; x < w; x++) {
      const f32 dx = std::fabs(f32(x) - 160.0f), dy = f32(y) - 50.0f;
      const f32 k = std::exp(-dx / 90.0f) * std::exp(-dy * dy / 2.0f) + 0.25f * std::exp(-dx / 160.0f) * std::exp(-dy * dy / 18.0f);
      p[y * w + x] = Art_Pack(Rgb{90, 150, 255} * k);
    }
  const Word title = Art_Lay_Word("VELMORAN", 7.0f, 1.2f, 29.0f, 0.0f, w);
  Art_Draw_Word(&p, w, h, title, 3.0f, {240, 246, 255}, {70, 110, 190}, {170, 210, 255}, {10, 40, 110}, 5.0f);
  Art_Draw_Rule(&p, w, 36, 284, 80, {60, 110, 200});
  return p;
}

std::vector<u32> Art_Intro_Glow(void) {
  const u32 w = kArtFlareWidth, h = kArtFlareHeight;
  std::vector<u32> p(w * h, 0);
  for (u32 y = 0; y < h; y++)
    for (u32 x = 0; x < w; x++) {
      const f32 dx = f32(x) - f32(kArtFlareCentreX), dy = (f32(y) - f32(kArtFlareCentreY)) * 1.8f;
      const f32 r = std::sqrt(dx * dx + dy * dy);
      // Black at the top and bottom rows, so the band has no hard edge once the start flash is over.
      const f32 v = (f32(y) - 49.0f) / 50.0f;
      const f32 window = std::max(0.0f, 1.0f - v * v * v * v);
      const f32 core = std::exp(-r / 22.0f), halo = std::exp(-r / 80.0f);
      const f32 level = (190.0f * core + 45.0f * halo) * window;
      const f32 t = std::clamp(core * 1.4f, 0.0f, 1.0f);
      p[y * w + x] = Art_Pack(Rgb{level * (0.35f + 0.65f * t), level * (0.5f + 0.45f * t), level * (0.95f + 0.05f * t)});
    }
  return p;
}

std::vector<u32> Art_Intro_Beams(void) {
  const u32 w = kArtFlareWidth, h = kArtFlareHeight;
  std::vector<u32> p(w * h, 0);
  struct Ghost {
    f32 x, radius, strength;
    Rgb colour;
  };
  const Ghost ghosts[] = {{40, 14, 0.22f, {90, 200, 120}},  {92, 7, 0.3f, {230, 150, 60}},
                          {205, 5, 0.35f, {170, 110, 240}}, {248, 18, 0.16f, {80, 160, 230}},
                          {292, 9, 0.25f, {240, 120, 90}}};
  for (u32 y = 0; y < h; y++)
    for (u32 x = 0; x < w; x++) {
      const f32 dx = f32(x) - f32(kArtFlareCentreX), dy = f32(y) - f32(kArtFlareCentreY);
      const f32 ax = std::fabs(dx), ay = std::fabs(dy);
      const f32 streak = 230.0f * std::exp(-ax / 75.0f) * std::exp(-dy * dy / 1.3f) +
                         50.0f * std::exp(-ax / 150.0f) * std::exp(-dy * dy / 14.0f);
      const f32 spike = 140.0f * std::exp(-ay / 14.0f) * std::exp(-dx * dx / 1.2f);
      Rgb c = Rgb{0.75f, 0.85f, 1.0f} * (streak + spike);
      for (const Ghost& g : ghosts) {
        const f32 gx = f32(x) - g.x, d = std::sqrt(gx * gx + dy * dy);
        if (d > g.radius + 2) continue;
        const f32 inside = std::clamp(g.radius + 0.5f - d, 0.0f, 1.0f);
        const f32 rim = std::exp(-(d - g.radius) * (d - g.radius) / 2.0f);
        c = c + g.colour * (g.strength * (0.45f * inside + 0.8f * rim));
      }
      p[y * w + x] = Art_Pack(c);
    }
  return p;
}

std::vector<u8> Art_Intro_Sky(void) {
  const u32 w = 160, h = 100, frames = 32, drift = 5;  // 32 x 5 = 160: the loop closes
  ArtRandom random{0x5EED5C1Eu};
  // Cells wider than tall: the clouds stretch along the wind.
  const u32 columns[] = {4, 8, 16, 32};
  const f32 amplitude[] = {0.5f, 0.26f, 0.14f, 0.08f};
  std::vector<NoiseOctave> octaves;
  for (u32 o = 0; o < 4; o++) {
    NoiseOctave n{columns[o], u32(f32(h) / (f32(w) / f32(columns[o]) * 0.5f)) + 2, {}};
    n.values.resize(n.columns * n.rows);
    for (f32& v : n.values) v = random.Unit();
    octaves.push_back(n);
  }
  // The field once, wrapping across its width; each frame is the field moved on by the drift.
  std::vector<f32> field(w * h);
  for (u32 y = 0; y < h; y++)
    for (u32 x = 0; x < w; x++) {
      f32 v = 0;
      for (u32 o = 0; o < 4; o++) {
        const f32 cell = f32(w) / f32(columns[o]);
        v += amplitude[o] * octaves[o].At(f32(x) / cell, f32(y) / (cell * 0.5f));
      }
      field[y * w + x] = v;
    }
  // Two passes of a 3 x 3 box soften the lattice's corners.
  for (u32 pass = 0; pass < 2; pass++) {
    std::vector<f32> soft(w * h);
    for (u32 y = 0; y < h; y++)
      for (u32 x = 0; x < w; x++) {
        f32 sum = 0;
        for (i32 dy = -1; dy <= 1; dy++)
          for (i32 dx = -1; dx <= 1; dx++) {
            const u32 yy = u32(std::clamp(i32(y) + dy, 0, i32(h) - 1)), xx = (x + w + u32(dx + 1) - 1) % w;
            sum += field[yy * w + xx];
          }
        soft[y * w + x] = sum / 9.0f;
      }
    field.swap(soft);
  }
  std::vector<u8> out(frames * w * h);
  for (u32 f = 0; f < frames; f++)
    for (u32 y = 0; y < h; y++)
      for (u32 x = 0; x < w; x++) {
        const f32 v = field[y * w + (x + f * drift) % w];
        const f32 cloud = std::pow(std::clamp((v - 0.3f) * 2.4f, 0.0f, 1.0f), 1.3f);
        out[(f * h + y) * w + x] = u8(cloud * f32(kArtSkyMaxIndex) + 0.5f);
      }
  return out;
}

bool Art_Intro_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const ArtPicture pictures[] = {
      {"intro/tarlogo.pcx", Art_Intro_Group_Logo, kArtLogoWidth, kArtLogoHeight},
      {"intro/vellogo.pcx", Art_Intro_Title_Logo, kArtLogoWidth, kArtLogoHeight},
      {"flare/flare1.pcx", Art_Intro_Beams, kArtFlareWidth, kArtFlareHeight},
      {"flare/flare2.pcx", Art_Intro_Glow, kArtFlareWidth, kArtFlareHeight},
  };
  if (!Art_Pcx_Entries(pictures, std::size(pictures), dir + "/intro.pcx.part", entries)) return false;
  entries->push_back({"sky/sky.pic", Art_Intro_Sky(), DATAFILE_RAW});
  return true;
}
