// Pictures of the post-effect layer's overlays, lettered in the builder's block font.
#include "art_design.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

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

void Art_Text(ArtCanvas* canvas, i32 x, i32 y, const char* text, i32 scale, u32 colour, u32 glow_colour) {
  if (glow_colour)
    Art_Text_Pixels(x, y, text, scale, false, [&](i32 px, i32 py) {
      for (i32 gy = -1; gy <= 1; gy++)
        for (i32 gx = -1; gx <= 1; gx++) canvas->Lighten(px + gx, py + gy, glow_colour);
    });
  Art_Text_Pixels(x, y, text, scale, false, [&](i32 px, i32 py) { canvas->Put(px, py, colour); });
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
