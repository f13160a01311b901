// The coon scene's pictures: a gridded, lettered picture for the patch to bend, and the label sheet.
#include "art_coon.h"

#include <cmath>
#include <cstring>

#include "art.h"

namespace {
// Seven letters at most: at two pixels a cell a label then fits the 86 columns the scene shows of it.
const char* const kArtLabelText[kArtLabels] = {
    "KALDERA", "MOSSBYT", "QUARTZ", "NIMBUS",  "VERTEX", "ORBITAL", "FJORD",  "CINDER", "HALCYON",
    "ZEPHYR",  "TUNDRA",  "GLIMMER", "PRISMA", "NORDLYS", "AURORA", "KOBALT", "MERIDIA", "SOLACE",
    "GREETS",  "LUMINA",  "POLARIS", "SPECTRA", "CATHODE", "DRIFT", "NEON", "FJELL", "TARVEK!",
};
const u32 kArtLabelColumn[3] = {3, 87, 178};
// The scene draws the wide third column 22 columns further left: only its middle 86 are lit, so
// that it covers the same place as a narrow label and never its neighbours.
const u32 kArtLabelShown[3] = {0, 0, 22};
const u32 kArtLabelShownWidth = 86;

u32 Art_Grey(u32 level) { return level << 16 | level << 8 | level; }

void Art_Put(std::vector<u32>* pixels, u32 width, i32 x, i32 y, u32 colour) {
  const u32 height = u32(pixels->size() / width);
  if (x >= 0 && y >= 0 && u32(x) < width && u32(y) < height) (*pixels)[u32(y) * width + u32(x)] = colour;
}

// Hue 0..1 at full saturation, scaled by level.
u32 Art_Hue(f64 hue, f64 level) {
  const f64 h = (hue - std::floor(hue)) * 6.0;
  const f64 k[3] = {std::fmod(5.0 + h, 6.0), std::fmod(3.0 + h, 6.0), std::fmod(1.0 + h, 6.0)};
  u32 out = 0;
  for (u32 c = 0; c < 3; c++) {
    const f64 v = 1.0 - std::fmax(0.0, std::fmin(1.0, std::fmin(k[c], 4.0 - k[c])));
    out = out << 8 | u32(std::lround(255.0 * level * (0.25 + 0.75 * v)));
  }
  return out;
}

// Text in the builder's font with the rounder D.
void Art_Coon_Text(std::vector<u32>* pixels, u32 width, i32 x, i32 y, const char* text, i32 scale, u32 colour) {
  Art_Text_Pixels(x, y, text, scale, true, [&](i32 px, i32 py) { Art_Put(pixels, width, px, py, colour); });
}
}  // namespace

std::vector<u32> Art_Coon_Picture(void) {
  const u32 w = kArtCoonWidth, h = kArtCoonRows;
  std::vector<u32> out(w * h);
  // Cells of 16 pixels: the patch reads rows of 320 and wraps 256 columns on, both multiples of 16.
  // Kept dim and quiet, so that the labels added over it stand out.
  for (u32 y = 0; y < h; y++)
    for (u32 x = 0; x < w; x++) {
      const u32 cx = x / 16, cy = y / 16;
      const bool dark = (cx + cy) & 1;
      const f64 hue = f64(x) / w * 0.8 + f64(y) / h * 0.35;
      u32 colour = Art_Hue(hue, dark ? kArtCoonDarkCell : kArtCoonLightCell);
      const u32 fx = x % 16, fy = y % 16;
      if (fx == 0 || fy == 0) colour = Art_Grey(kArtCoonGridLine);
      else if (fx == 1 || fy == 1 || fx == 15 || fy == 15) colour = 0x101010;
      out[y * w + x] = colour;
    }
  const char* title = "VELMORAN";
  const char* group = "TARVEK";
  const i32 title_scale = 3, group_scale = 2;
  const i32 tx = (i32(w) - Art_Text_Width(title, title_scale)) / 2, ty = 80;
  const i32 gx = (i32(w) - Art_Text_Width(group, group_scale)) / 2, gy = 112;
  // A dark shadow under bright letters.
  Art_Coon_Text(&out, w, tx + 3, ty + 3, title, title_scale, 0x100818);
  Art_Coon_Text(&out, w, tx, ty, title, title_scale, 0xFFF4C0);
  Art_Coon_Text(&out, w, gx + 2, gy + 2, group, group_scale, 0x100818);
  Art_Coon_Text(&out, w, gx, gy, group, group_scale, 0xC0F0FF);
  return out;
}

const char* Art_Coon_Label(u32 n) { return n < kArtLabels ? kArtLabelText[n] : ""; }

std::vector<u32> Art_Coon_Greets(void) {
  const u32 w = kArtCoonWidth;
  std::vector<u32> out(w * kArtGreetsHeight, 0);
  for (u32 n = 0; n < kArtLabels; n++) {
    const u32 column = n / 9, row = n % 9;
    const u32 left = kArtLabelColumn[column] + kArtLabelShown[column], top = 6 + 21 * row;
    // No plate: only what is lit is added, so the letters are white and a dim corner mark frames them.
    const u32 mark = Art_Grey(kArtLabelMark), last = kArtLabelShownWidth - 2;
    for (u32 d = 0; d < 5; d++) {
      const u32 xs[4] = {1 + d, last - d, 1, last}, ys[4] = {1, 1, 1 + d, 1 + d};
      for (u32 c = 0; c < 4; c++) {
        Art_Put(&out, w, i32(left + xs[c]), i32(top + ys[c]), mark);
        Art_Put(&out, w, i32(left + xs[c]), i32(top + 19 - ys[c] + 1), mark);
      }
    }
    const char* text = kArtLabelText[n];
    const i32 tx = i32(left + (kArtLabelShownWidth - u32(Art_Text_Width(text, 2))) / 2), ty = i32(top + 4);
    Art_Coon_Text(&out, w, tx, ty, text, 2, Art_Grey(255));
  }
  return out;
}

bool Art_Coon_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  DatafileEntry picture{"coon/coon1.pcx", {}, DATAFILE_RAW};
  const std::vector<u32> bend = Art_Coon_Picture();
  if (!Art_Pcx_Bytes(bend.data(), kArtCoonWidth, kArtCoonRows, 24, dir + "/coon1.pcx.part", &picture.data))
    return false;
  DatafileEntry greets{"coon/greets.pcx", {}, DATAFILE_RAW};
  const std::vector<u32> sheet = Art_Coon_Greets();
  if (!Art_Pcx_Bytes(sheet.data(), kArtCoonWidth, kArtGreetsHeight, 24, dir + "/greets.pcx.part", &greets.data))
    return false;
  entries->push_back(picture);
  entries->push_back(greets);
  return true;
}
