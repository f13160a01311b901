// The term part's data: the figure, the hall round it, the camera's flight and the pictures.
#include "art_term.h"

#include <algorithm>
#include <cmath>

#include "art.h"

namespace {
using Vec = ArtVec;

// One K3D object in engine units; quads are given by their corners as seen from the side they face
// (top-left, top-right, bottom-right, bottom-left) and stored [top-left, bottom-left, bottom-right, top-right].
struct Builder : ArtMesh {
  using ArtMesh::ArtMesh;
  void Face(u16 tl, u16 tr, u16 br, u16 bl, u8 texture) { object.polygons.push_back({{tl, bl, br, tr}, texture}); }
};

// The eight corners of a figure part (as the shared box corners), turned by angle about the pivot in x-y.
std::vector<Vec> Part_Corners(Vec a, Vec b, f32 top_factor, Vec pivot, f32 angle) {
  std::vector<Vec> corners;
  for (const Vec& p : Art_Box_Corners(a, b, top_factor)) {
    const f32 dx = p.x - pivot.x, dy = p.y - pivot.y, c = std::cos(angle), s = std::sin(angle);
    corners.push_back({pivot.x + dx * c - dy * s, pivot.y + dx * s + dy * c, p.z});
  }
  return corners;
}

struct FigurePart {
  Vec a, b;
  f32 top_factor;
  i32 arm;  // 0 none, +1 the figure's left (screen right), -1 its right
  u8 front, top;
};

const f32 kShoulderY = 340.0f, kShoulderX = 300.0f;
const FigurePart kFigure[] = {
    {{-105, 0, -115}, {105, 250, 115}, 1.0f, 0, ART_TERM_SCREEN, ART_TERM_HEAD},
    {{-45, 250, -45}, {45, 320, 45}, 1.0f, 0, ART_TERM_CHROME, ART_TERM_CHROME},
    {{-170, 320, -100}, {170, 900, 100}, 1.45f, 0, ART_TERM_PANEL, ART_TERM_CHROME},
    {{-180, 900, -105}, {180, 1000, 105}, 1.0f, 0, ART_TERM_CHROME, ART_TERM_CHROME},
    {{-170, 1000, -80}, {-30, 1650, 80}, 1.0f, 0, ART_TERM_CHROME, ART_TERM_CHROME},
    {{30, 1000, -80}, {170, 1650, 80}, 1.0f, 0, ART_TERM_CHROME, ART_TERM_CHROME},
    {{255, 330, -65}, {365, 700, 65}, 1.0f, 1, ART_TERM_CHROME, ART_TERM_CHROME},
    {{265, 700, -55}, {355, 1060, 55}, 1.0f, 1, ART_TERM_CHROME, ART_TERM_CHROME},
    {{-365, 330, -65}, {-255, 700, 65}, 1.0f, -1, ART_TERM_CHROME, ART_TERM_CHROME},
    {{-355, 700, -55}, {-265, 1060, 55}, 1.0f, -1, ART_TERM_CHROME, ART_TERM_CHROME},
};

// How far the arms are raised in frame k: up over frames 1 .. 10, down again over 11 .. 18 and 0.
f32 Arm_Angle(u32 k) {
  const f32 phase = k <= 10 ? f32(k) / 10.0f : f32(kArtTermFrames - k) / f32(kArtTermFrames - 10);
  return phase * 2.0f;  // radians
}

std::vector<K3dPoint> Figure_Points(u32 frame) {
  std::vector<K3dPoint> points;
  for (const FigurePart& p : kFigure) {
    const Vec pivot = {p.arm * kShoulderX, kShoulderY, 0};
    const f32 angle = -f32(p.arm) * Arm_Angle(frame);
    for (Vec c : Part_Corners(p.a, p.b, p.top_factor, pivot, angle))
      points.push_back(Art_File_Point(c, kArtTermFigureScale));
  }
  return points;
}

// The hall's surfaces: a grid of cols x rows quads from its top-left corner, seen from inside; textures
// stretch a pattern of up to 4 x 4 over it.
void Wall(Builder& b, Vec origin, Vec right, Vec down, const u8 (*textures)[4], u32 cols, u32 rows) {
  u16 grid[kArtTermGridMax + 1][kArtTermGridMax + 1];
  for (u32 r = 0; r <= rows; r++)
    for (u32 c = 0; c <= cols; c++)
      grid[r][c] = b.Point(origin + right * (f32(c) / f32(cols)) + down * (f32(r) / f32(rows)));
  for (u32 r = 0; r < rows; r++)
    for (u32 c = 0; c < cols; c++)
      b.Face(grid[r][c], grid[r][c + 1], grid[r + 1][c + 1], grid[r + 1][c], textures[r * 4 / rows][c * 4 / cols]);
}

Vec Figure_Chest(void) { return {0, kArtTermFigureY + 550, 0}; }

// A sphere-map colour for a direction's (x, y) on the unit disc, from the hall's light above and floor below.
void Env_Colour(f32 x, f32 y, f32* r, f32* g, f32* b) {
  const f32 d = std::sqrt(x * x + y * y);
  const f32 up = -y;
  const f32 sky = Art_Smooth(-0.1f, 0.6f, up);
  *r = Art_Lerp(110, 225, sky);
  *g = Art_Lerp(116, 232, sky);
  *b = Art_Lerp(126, 245, sky);
  // The horizon of the hall: a bright band of light panels.
  const f32 band = std::max(0.0f, 1 - std::abs(up + 0.05f) * 9);
  *r += 70 * band, *g += 60 * band, *b += 40 * band;
  // The floor's grid.
  if (up < -0.1f && (u32((x + 2) * 12) % 3 == 0 || u32((y + 2) * 12) % 3 == 0)) *r *= 0.7f, *g *= 0.7f, *b *= 0.7f;
  if (d > 1) *r *= 0.5f, *g *= 0.5f, *b *= 0.5f;
}

void Disc(std::vector<u32>& pixels, f32 cx, f32 cy, f32 radius, f32 r, f32 g, f32 b, u32 x0, u32 y0, u32 x1, u32 y1,
          bool ring) {
  for (u32 y = y0; y < y1; y++)
    for (u32 x = x0; x < x1; x++) {
      const f32 d = std::sqrt((f32(x) - cx) * (f32(x) - cx) + (f32(y) - cy) * (f32(y) - cy)) / radius;
      const f32 k = ring ? std::max(0.0f, 1 - std::abs(d - 0.8f) * 8) : std::max(0.0f, 1 - d) * std::max(0.0f, 1 - d);
      pixels[y * 256 + x] = Art_Rgb(r * k, g * k, b * k);
    }
}
}  // namespace

K3dMesh Art_Term_Figure(void) {
  Builder b("figure", kArtTermFigureScale);
  for (const FigurePart& p : kFigure) {
    const std::array<Vec, 8> c = Art_Box_Corners(p.a, p.b, p.top_factor);
    u16 t[4], l[4];
    for (u32 k = 0; k < 4; k++) t[k] = b.Point(c[k]), l[k] = b.Point(c[4 + k]);
    b.Face(t[0], t[1], l[1], l[0], p.front);
    b.Face(t[2], t[3], l[3], l[2], ART_TERM_CHROME);
    b.Face(t[3], t[0], l[0], l[3], ART_TERM_CHROME);
    b.Face(t[1], t[2], l[2], l[1], ART_TERM_CHROME);
    b.Face(t[3], t[2], t[1], t[0], p.top);
    b.Face(l[0], l[1], l[2], l[3], ART_TERM_CHROME);
  }
  // The points in the order the builder made them: each part's top four, then its bottom four, paired.
  K3dMesh mesh;
  mesh.objects.push_back(b.object);
  auto paired = [](const std::vector<K3dPoint>& corners) {
    std::vector<K3dPoint> out;
    for (size_t part = 0; part < corners.size(); part += 8)
      for (u32 k = 0; k < 4; k++) out.push_back(corners[part + k]), out.push_back(corners[part + 4 + k]);
    return out;
  };
  mesh.objects[0].points = paired(Figure_Points(0));
  for (u32 k = 1; k < kArtTermFrames; k++) mesh.frames.push_back({paired(Figure_Points(k))});
  mesh.frame_count = kArtTermFrames;
  return mesh;
}

K3dMesh Art_Term_Hall(void) {
  Builder b("hall", kArtTermHallScale);
  const f32 h = kArtTermHallHalf, floor = kArtTermFloorY, top = kArtTermHallTop, upper = kArtTermUpperTop;
  const u8 wall[3][4] = {{ART_TERM_CHROME, ART_TERM_TRIM, ART_TERM_TRIM, ART_TERM_CHROME},
                         {ART_TERM_PANEL, ART_TERM_SCREEN, ART_TERM_SCREEN, ART_TERM_PANEL},
                         {ART_TERM_WALL, ART_TERM_BAND, ART_TERM_BAND, ART_TERM_WALL}};
  // Above the panelled walls a plain shaft rises to the sky, so that looking up shows no gap beside it.
  const u8 shaft[1][4] = {{ART_TERM_PANEL, ART_TERM_PANEL, ART_TERM_PANEL, ART_TERM_PANEL}};
  const Vec corner[4] = {{-h, 0, h}, {h, 0, h}, {h, 0, -h}, {-h, 0, -h}};
  for (u32 k = 0; k < 4; k++) {
    const Vec o = corner[k], right = corner[(k + 1) % 4] - corner[k];
    Wall(b, {o.x, upper, o.z}, right, {0, top - upper, 0}, shaft, 4, 1);
    Wall(b, {o.x, top, o.z}, right, {0, floor - top, 0}, wall, 4, 3);
  }
  const u8 ground[4][4] = {{ART_TERM_CHROME, ART_TERM_CHROME, ART_TERM_CHROME, ART_TERM_CHROME},
                           {ART_TERM_CHROME, ART_TERM_PANEL, ART_TERM_PANEL, ART_TERM_CHROME},
                           {ART_TERM_CHROME, ART_TERM_PANEL, ART_TERM_PANEL, ART_TERM_CHROME},
                           {ART_TERM_CHROME, ART_TERM_CHROME, ART_TERM_CHROME, ART_TERM_CHROME}};
  // The floor in small quads: one reaching behind the camera is not drawn, and a small one leaves no hole.
  Wall(b, {-h, floor, h}, {2 * h, 0, 0}, {0, 0, -2 * h}, ground, kArtTermGridMax, kArtTermGridMax);
  K3dMesh mesh;
  mesh.objects.push_back(b.object);
  return mesh;
}

std::vector<PathCameraKey> Art_Term_Camera_Keys(void) {
  std::vector<PathCameraKey> keys;
  const Vec chest = Figure_Chest(), sun = kArtTermSun;
  const f32 k = kArtTermPathScale;
  for (u32 i = 0; i < kArtTermPathRecords; i++) {
    const f32 t = f32(i) / f32(kArtTermPathRecords);
    // Two turns a loop; at each sun view the camera swings out past the ceiling light's corner, away
    // from the sun, so that the light does not stand between them.
    f32 view = 0;
    for (f32 c : kArtTermSunViews) view = std::max(view, Art_Smooth(0.09f, 0.03f, std::abs(t - c)));
    const f32 a = 4 * kArtPi * t + kArtTermOrbitStart,
              r = 2600 + 400 * std::sin(6 * kArtPi * t) * (1 - view) + 2000 * view;
    const Vec p = {r * std::sin(a), 1900 + 350 * std::sin(2 * kArtPi * 3 * t), -r * std::cos(a)};
    // Turned partway to the sun: far off, it then stands to one side, and its flare chain crosses the view.
    f32 look_up = 0;
    for (f32 c : kArtTermSunViews)
      look_up = std::max(look_up, kArtTermSunLook * Art_Smooth(0.075f, 0.035f, std::abs(t - c)));
    const Vec q = chest * (1 - look_up) + sun * look_up;
    keys.push_back({Art_Path_Point(p, k), Art_Path_Point(q, k), 0});
  }
  return keys;
}

std::vector<u32> Art_Term_Face_Pixels(void) {
  std::vector<u32> pixels(256 * 256, Art_Rgb(40, 40, 46));
  for (u32 half = 0; half < 2; half++)
    for (u32 y = 0; y < 140; y++)
      for (u32 x = 0; x < 128; x++) {
        const f32 fx = (f32(x) - 64) / 64;
        // Silver skin, shaded toward the sides.
        f32 v = 200 - 70 * fx * fx;
        f32 r = v, g = v, b = v * 1.06f;
        if (y < 36) r = 50, g = 44, b = 40;  // hair
        const bool eye = y > 56 && y < 74 && ((x > 26 && x < 52) || (x > 76 && x < 102));
        if (eye) {
          const f32 ex = x < 64 ? f32(x) - 39 : f32(x) - 89, ey = f32(y) - 65;
          const f32 iris = Art_Smooth(9, 4, std::sqrt(ex * ex + ey * ey));
          r = 20, g = 20, b = 26;
          if (half == 1) r += 40 * iris, g += 200 * iris, b += 235 * iris;
          else r += 255 * iris, g += 40 * iris, b += 20 * iris;
        }
        if (y > 76 && y < 96 && std::abs(fx) < 0.1f) r *= 0.75f, g *= 0.75f, b *= 0.75f;  // nose
        if (y > 104 && y < 112 && x > 42 && x < 86) r = half ? 90 : 200, g = 40, b = half ? 50 : 30;  // mouth
        pixels[y * 256 + half * 128 + x] = Art_Rgb(r, g, b);
      }
  return pixels;
}

std::vector<u32> Art_Term_Body_Pixels(void) {
  std::vector<u32> pixels(256 * 256, Art_Rgb(120, 122, 130));
  for (u32 y = 0; y < 64; y++)
    for (u32 x = 0; x < 64; x++) {
      const f32 dx = f32(x) - 31.5f, dy = f32(y) - 26;
      const f32 core = Art_Smooth(10, 3, std::sqrt(dx * dx + dy * dy));
      const bool line = y % 16 == 0 || x == 8 || x == 55;
      f32 v = line ? 90 : 190 - f32(y);
      pixels[y * 256 + 64 + x] = Art_Rgb(v + 60 * core, v + 180 * core, v + 200 * core);
    }
  return pixels;
}

std::vector<u32> Art_Term_Env_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  for (u32 t = 0; t < 256; t++)
    for (u32 s = 0; s < 256; s++) {
      f32 r, g, b;
      Env_Colour((f32(s) - 128) / 124, (f32(t) - 128) / 124, &r, &g, &b);
      pixels[t * 256 + s] = Art_Rgb(r * 0.9f, g, b * 0.8f);
    }
  return pixels;
}

std::vector<u32> Art_Term_Wall_Pixels(void) {
  std::vector<u32> pixels(256 * 256, Art_Rgb(100, 100, 108));
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 128; x++) {
      if (x < 64) {
        // Smooth waves in green and blue: they shift where the rippled wall reads its reflection.
        const f32 g = 128 + 120 * std::sin(2 * kArtPi * f32(y) / 32.0f + std::sin(2 * kArtPi * f32(x) / 64.0f));
        const f32 b = 128 + 120 * std::sin(2 * kArtPi * f32(x) / 32.0f);
        pixels[y * 256 + x] = Art_Rgb(90, g, b);
      } else {
        const u32 px = x - 64, py = y % 64;
        const bool frame = px < 4 || px > 59 || py < 4 || py > 59;
        const bool rivet = (px == 8 || px == 55) && (py == 8 || py == 55);
        const f32 v = frame ? 70 : rivet ? 230 : 150 + f32(Art_Hash(x, y, 3) % 16);
        pixels[y * 256 + x] = Art_Rgb(v, v, v + 10);
      }
    }
  return pixels;
}

std::vector<u32> Art_Term_Screen_Pixels(void) {
  std::vector<u32> pixels(256 * 256, Art_Rgb(10, 10, 14));
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 192; x++) {
      const u32 screen = x / 64, px = x % 64, py = y % 64;
      const bool border = px < 3 || px > 60 || py < 3 || py > 60;
      u32 c;
      if (border) {
        c = Art_Rgb(60, 62, 70);
      } else if (screen == 2) {
        // Lines of text, green on black.
        const bool glyph = py % 8 < 5 && px > 6 && px < 6 + (Art_Hash(py / 8, 0, 7) % 48) && (Art_Hash(px / 3, py / 8, 9) & 3);
        c = glyph ? Art_Rgb(60, 230, 90) : Art_Rgb(0, 30, 10);
      } else if (screen == 1) {
        // The alarm: red bars and a warning sign.
        const bool bar = (py / 6) % 2 == 0 && py < 20;
        const bool sign = px > 26 && px < 38 && py > 26 && py < 54 && !(py > 46 && py < 50);
        c = bar || sign ? Art_Rgb(255, 40, 20) : Art_Rgb(60, 0, 0);
      } else {
        c = Art_Rgb(20, 60, 160 + f32(py));
      }
      pixels[y * 256 + x] = c;
    }
  return pixels;
}

std::vector<u32> Art_Term_Panel_Pixels(void) {
  std::vector<u32> pixels(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      const bool right = x >= 128, lower = y >= 128;
      const u32 px = x % 128, py = y % 128;
      if (!lower) {
        const bool grid = px % 16 < 2 || py % 16 < 2;
        const f32 glow = 1 - std::abs(f32(px) - 64) / 90 - std::abs(f32(py) - 64) / 90;
        f32 v = grid ? 90 : 200 + 55 * std::max(0.0f, glow);
        pixels[y * 256 + x] = right ? Art_Rgb(v, v * 0.7f, v * 0.25f) : Art_Rgb(v * 0.9f, v * 0.95f, v);
      } else {
        // The figure's chrome, kept dim: the body adds it to its own picture.
        f32 r, g, b;
        Env_Colour((f32(px) - 64) / 60, (f32(py) - 64) / 60, &r, &g, &b);
        r *= 0.6f, g *= 0.6f, b *= 0.6f;
        pixels[y * 256 + x] = right ? Art_Rgb(r * 1.1f, g * 0.45f, b * 0.35f) : Art_Rgb(r, g, b);
      }
    }
  return pixels;
}

std::vector<u32> Art_Term_Lens_Pixels(void) {
  std::vector<u32> pixels(256 * 256, 0);
  // The sun: a white core (its middle texel pure white) in a yellow glow.
  for (u32 y = 0; y < 128; y++)
    for (u32 x = 0; x < 128; x++) {
      const f32 d = std::sqrt((f32(x) - 64) * (f32(x) - 64) + (f32(y) - 64) * (f32(y) - 64)) / 64;
      const f32 core = Art_Smooth(0.25f, 0.05f, d), glow = std::max(0.0f, 1 - d) * std::max(0.0f, 1 - d);
      pixels[y * 256 + x] = Art_Rgb(255 * core + 255 * glow, 255 * core + 200 * glow, 255 * core + 90 * glow);
    }
  pixels[64 * 256 + 64] = 0xFFFFFF;
  Disc(pixels, 64, 192, 64, 110, 70, 30, 0, 128, 128, 256, false);     // soft glow
  Disc(pixels, 192, 64, 64, 70, 90, 120, 128, 0, 256, 128, true);      // halo
  Disc(pixels, 168, 200, 8, 90, 120, 60, 160, 192, 176, 208, false);   // small pieces of the flare
  Disc(pixels, 144, 208, 16, 60, 90, 130, 128, 192, 160, 224, false);
  Disc(pixels, 208, 240, 16, 100, 60, 110, 192, 224, 224, 256, true);
  Disc(pixels, 144, 240, 16, 120, 80, 40, 128, 224, 160, 256, false);
  Disc(pixels, 176, 240, 16, 50, 110, 90, 160, 224, 192, 256, false);
  return pixels;
}

bool Art_Term_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  const ArtPicture pictures[] = {
      {"Term/wface2.pcx", Art_Term_Face_Pixels},     {"Term/wbody2.pcx", Art_Term_Body_Pixels},
      {"Term/envir24p.pcx", Art_Term_Env_Pixels},    {"Term/Term1.pcx", Art_Term_Wall_Pixels},
      {"Term/newdone3.pcx", Art_Term_Screen_Pixels}, {"Term/Termp9.pcx", Art_Term_Panel_Pixels},
      {"term/klensf.pcx", Art_Term_Lens_Pixels}};
  if (!Art_Pcx_Entries(pictures, std::size(pictures), dir + "/termpicture.pcx.part", entries)) return false;
  entries->push_back({"Term/tanim.k3d", K3d_Write(Art_Term_Figure()), DATAFILE_RAW});
  entries->push_back({"Term/kTerm8.k3d", K3d_Write(Art_Term_Hall()), DATAFILE_RAW});
  entries->push_back({"Term/kTerma.cam", Path_Write_Camera(Art_Term_Camera_Keys()), DATAFILE_RAW});
  return true;
}
