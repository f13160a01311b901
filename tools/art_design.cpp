// Pictures of the post-effect layer's overlays and the small block font that letters them and the credits.
#include "art_design.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

// The block font: seven rows of five cells per letter, the highest bit the leftmost cell.
struct Glyph {
  char c;
  u8 rows[7];
};
const Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'&', {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}}, {'\'', {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}},
};

const u8* Glyph_Rows(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.c == c) return g.rows;
  return nullptr;  // a space, or a letter the font does not have
}

u32 Rgb(u32 r, u32 g, u32 b) { return (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u); }

// Colour c scaled by f (0..1).
u32 Dim(u32 c, f32 f) {
  return Rgb(u32(f32((c >> 16) & 255) * f), u32(f32((c >> 8) & 255) * f), u32(f32(c & 255) * f));
}

// Panel 1: rings around a point low in the panel, fading outward.
void Panel_Rings(ArtCanvas* a, i32 x0, i32 w) {
  const f32 cx = f32(x0) + f32(w) / 2.0f, cy = 118.0f;
  for (i32 y = 0; y < 170; y++)
    for (i32 x = x0 + 2; x < x0 + w - 2; x++) {
      const f32 d = std::sqrt((f32(x) - cx) * (f32(x) - cx) + (f32(y) - cy) * (f32(y) - cy));
      const f32 ring = std::fmod(d, 14.0f);
      if (ring < 3.0f && d < 150.0f) a->Lighten(x, y, Dim(Rgb(90, 200, 255), 1.0f - d / 170.0f));
    }
  a->Lighten(i32(cx), i32(cy), Rgb(255, 255, 255));
}

// Panel 2: slanted bars inside a frame.
void Panel_Bars(ArtCanvas* a, i32 x0, i32 w) {
  for (i32 y = 0; y < 170; y++)
    for (i32 x = x0 + 2; x < x0 + w - 2; x++) {
      const bool rim = x < x0 + 5 || x >= x0 + w - 5 || y < 3 || y >= 167;
      const bool bar = ((x - x0) + y) % 24 < 7 && y > 20 && y < 150;
      if (rim) a->Lighten(x, y, Rgb(255, 150, 40));
      else if (bar) a->Lighten(x, y, Dim(Rgb(255, 120, 30), 0.4f + 0.6f * f32(y) / 170.0f));
    }
}

// Panel 3: a field of dots growing toward the middle.
void Panel_Dots(ArtCanvas* a, i32 x0, i32 w) {
  for (i32 gy = 0; gy < 17; gy++)
    for (i32 gx = 0; gx < 8; gx++) {
      const i32 cx = x0 + 5 + gx * 10, cy = 5 + gy * 10;
      const f32 middle = 1.0f - std::fabs(f32(gy) - 8.0f) / 9.0f;
      const f32 r = 1.0f + 3.5f * middle;
      for (i32 y = cy - 5; y <= cy + 5; y++)
        for (i32 x = cx - 5; x <= cx + 5; x++)
          if (x < x0 + w - 2 && f32((x - cx) * (x - cx) + (y - cy) * (y - cy)) <= r * r)
            a->Lighten(x, y, Dim(Rgb(140, 255, 120), 0.5f + 0.5f * middle));
    }
}

// Panel 4: the show's name written down the panel, one letter under the other.
void Panel_Name(ArtCanvas* a, i32 x0, i32 w) {
  const char* name = "VELMORAN";
  for (i32 i = 0; name[i]; i++) {
    const char letter[2] = {name[i], 0};
    Art_Text_Centred(a, x0 + w / 2, 3 + i * 21, letter, 2, Rgb(255, 90, 200), Rgb(90, 20, 70));
  }
  for (i32 y = 0; y < 170; y++) {
    a->Lighten(x0 + 4, y, Rgb(120, 40, 100));
    a->Lighten(x0 + w - 5, y, Rgb(120, 40, 100));
  }
}

}  // namespace

void ArtCanvas::Put(i32 x, i32 y, u32 colour) {
  if (x >= 0 && y >= 0 && u32(x) < width && u32(y) < height) pixels[size_t(y) * width + u32(x)] = colour;
}

void ArtCanvas::Lighten(i32 x, i32 y, u32 colour) {
  if (x < 0 || y < 0 || u32(x) >= width || u32(y) >= height) return;
  u32& p = pixels[size_t(y) * width + u32(x)];
  u32 out = 0;
  for (u32 s = 0; s < 24; s += 8) out |= std::max((p >> s) & 255, (colour >> s) & 255) << s;
  p = out;
}

i32 Art_Text_Width(const char* text, i32 scale) {
  i32 n = 0;
  while (text[n]) n++;
  return n == 0 ? 0 : (n * 6 - 1) * scale;
}

void Art_Text(ArtCanvas* canvas, i32 x, i32 y, const char* text, i32 scale, u32 colour, u32 glow_colour) {
  for (u32 pass = glow_colour ? 0 : 1; pass < 2; pass++)
    for (i32 i = 0; text[i]; i++) {
      const u8* rows = Glyph_Rows(text[i]);
      if (!rows) continue;
      const i32 left = x + i * 6 * scale;
      for (i32 r = 0; r < 7; r++)
        for (i32 c = 0; c < 5; c++) {
          if (!(rows[r] & (0x10 >> c))) continue;
          for (i32 dy = 0; dy < scale; dy++)
            for (i32 dx = 0; dx < scale; dx++) {
              const i32 px = left + c * scale + dx, py = y + r * scale + dy;
              if (pass == 1) {
                canvas->Put(px, py, colour);
                continue;
              }
              for (i32 gy = -1; gy <= 1; gy++)
                for (i32 gx = -1; gx <= 1; gx++) canvas->Lighten(px + gx, py + gy, glow_colour);
            }
        }
    }
}

void Art_Text_Centred(ArtCanvas* canvas, i32 centre_x, i32 y, const char* text, i32 scale, u32 colour,
                      u32 glow_colour) {
  Art_Text(canvas, centre_x - Art_Text_Width(text, scale) / 2, y, text, scale, colour, glow_colour);
}

ArtCanvas Art_Design_Strips(void) {
  ArtCanvas a(320, 170);
  Panel_Rings(&a, 0, 82);
  Panel_Bars(&a, 83, 78);
  Panel_Dots(&a, 160, 79);
  Panel_Name(&a, 240, 79);
  return a;
}

ArtCanvas Art_Design_Prosa(void) {
  ArtCanvas a(320, 200);
  const u32 text = Rgb(235, 225, 200), glow = Rgb(70, 60, 40);
  const i32 inset = 2, word_gap = 10;
  i32 line_end = 0;  // the last lit column of the line so far
  for (u32 i = 0; i < kArtProsaPieces; i++) {
    const ArtProsaPiece& p = kArtProsa[i];
    // The words' lit columns, glow included, are measured on a scratch strip: a line starts two columns
    // into its piece, and a piece that goes on with a line (the layer shows it beside the one before,
    // as it lies in the picture) starts a word's gap after it.
    const i32 margin = 8;
    ArtCanvas strip(u32(p.w + 2 * margin), u32(kArtProsaHeight));
    Art_Text(&strip, margin, 0, p.text, kArtProsaScale, text, glow);
    i32 first = i32(strip.width), last = -1;
    for (u32 y = 0; y < strip.height; y++)
      for (u32 x = 0; x < strip.width; x++)
        if (strip.pixels[y * strip.width + x]) first = std::min(first, i32(x)), last = std::max(last, i32(x));
    const bool goes_on = i > 0 && kArtProsa[i - 1].y == p.y && p.x < kArtProsa[i - 1].x + kArtProsa[i - 1].w;
    const i32 start = goes_on ? line_end + word_gap : p.x + inset;
    Art_Text(&a, start - (first - margin), p.y + 4, p.text, kArtProsaScale, text, glow);
    line_end = start + (last - first);
  }
  return a;
}

bool Art_Design_Pcx(const ArtCanvas& canvas, const std::string& scratch_path, std::vector<u8>* bytes) {
  return Art_Pcx(canvas.pixels, canvas.width, canvas.height, scratch_path, bytes);
}

bool Art_Design_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const std::string scratch = dir + "/design.pcx.part";
  DatafileEntry strips{"design/strips.pcx", {}, DATAFILE_RAW};
  if (!Art_Design_Pcx(Art_Design_Strips(), scratch, &strips.data)) return false;
  entries->push_back(strips);
  DatafileEntry prosa{"design/prosa4.pcx", {}, DATAFILE_RAW};
  if (!Art_Design_Pcx(Art_Design_Prosa(), scratch, &prosa.data)) return false;
  entries->push_back(prosa);
  return true;
}
