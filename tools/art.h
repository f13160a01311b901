// Helpers the picture and mesh makers share: PCX file bytes, packing colour channels, engine-axis vectors.
#pragma once
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "k3d_writer.h"
#include "runtime/types.h"

// Pixels (one byte or one 32-bit word each) as PCX file bytes, through the engine's writer and a scratch file.
bool Art_Pcx_Bytes(const void* pixels, u32 width, u32 height, u32 bits, const std::string& scratch_path,
                   std::vector<u8>* bytes);
// 0x00RRGGBB pixels as 24-bit PCX file bytes.
bool Art_Pcx(const std::vector<u32>& pixels, u32 width, u32 height, const std::string& scratch_path,
             std::vector<u8>* bytes);

// A named maker of a picture (256 x 256 unless given), for a scene's list of pictures.
struct ArtPicture {
  const char* name;
  std::vector<u32> (*pixels)(void);
  u32 width = 256, height = 256;
};
// Each listed picture as a raw PCX entry, in order, through one scratch file.
bool Art_Pcx_Entries(const ArtPicture* pictures, size_t count, const std::string& scratch_path,
                     std::vector<DatafileEntry>* entries);

// The builder's block font: letters of 5 x 7 cells, six cells apart.
const i32 kArtGlyphColumns = 5;
const i32 kArtGlyphRows = 7;
const i32 kArtGlyphAdvance = 6;
// A letter's seven rows, the leftmost cell in bit 4; nullptr for a space or a letter the font lacks.
// round_d picks the rounder D that the coon scene's labels use.
const u8* Art_Glyph_Rows(char c, bool round_d);
// Pixels a text takes across at the given scale.
i32 Art_Text_Width(const char* text, i32 scale);
// Calls put(x, y) for each lit pixel of the text, each cell scale x scale, its top-left corner at (x, y).
template <typename Put>
void Art_Text_Pixels(i32 x, i32 y, const char* text, i32 scale, bool round_d, Put put) {
  for (i32 i = 0; text[i]; i++) {
    const u8* rows = Art_Glyph_Rows(text[i], round_d);
    if (!rows) continue;
    const i32 left = x + i * kArtGlyphAdvance * scale;
    for (i32 r = 0; r < kArtGlyphRows; r++)
      for (i32 c = 0; c < kArtGlyphColumns; c++) {
        if (!(rows[r] & (0x10 >> c))) continue;
        for (i32 dy = 0; dy < scale; dy++)
          for (i32 dx = 0; dx < scale; dx++) put(left + c * scale + dx, y + r * scale + dy);
      }
  }
}

// A channel value cut to 0..255 (fractions dropped).
inline u32 Art_Byte(f32 v) { return u32(std::clamp(v, 0.0f, 255.0f)); }
// Three channel values as one 0x00RRGGBB pixel.
inline u32 Art_Rgb(f32 r, f32 g, f32 b) { return Art_Byte(r) << 16 | Art_Byte(g) << 8 | Art_Byte(b); }

// A well-mixed 32-bit value of two coordinates; each picture maker uses its own salt.
inline u32 Art_Hash(u32 a, u32 b, u32 salt) {
  u32 h = a * 0x9E3779B1u ^ (b + salt) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0xC2B2AE3Du;
  h ^= h >> 13;
  return h;
}

const f32 kArtPi = 3.14159265f;

// A smooth step from 0 to 1 as v goes from e0 to e1 (e1 may be below e0 for a falling step).
inline f32 Art_Smooth(f32 e0, f32 e1, f32 v) {
  const f32 t = std::clamp((v - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// a when t is 0, b when t is 1.
inline f32 Art_Lerp(f32 a, f32 b, f32 t) { return a + (b - a) * t; }

// A point or direction in engine axes (y down).
struct ArtVec {
  f32 x, y, z;
};
inline ArtVec operator+(ArtVec a, ArtVec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline ArtVec operator-(ArtVec a, ArtVec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline ArtVec operator*(ArtVec a, f32 k) { return {a.x * k, a.y * k, a.z * k}; }
inline ArtVec Art_Cross(ArtVec a, ArtVec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline f32 Art_Dot(ArtVec a, ArtVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// An engine point in the file's axes (x, z, up), over a load scale.
inline K3dPoint Art_File_Point(ArtVec p, f32 scale) { return {p.x / scale, p.z / scale, -p.y / scale}; }
// An engine point in a camera path's axes (x, up, z), over a path scale.
inline std::array<f32, 3> Art_Path_Point(ArtVec p, f32 scale) { return {p.x / scale, -p.y / scale, p.z / scale}; }

// The eight corners of a box from corner a to corner b: the four at a.y (narrowed about the centre by
// top_factor), then the four at b.y, each (-x,-z), (+x,-z), (+x,+z), (-x,+z).
inline std::array<ArtVec, 8> Art_Box_Corners(ArtVec a, ArtVec b, f32 top_factor) {
  const f32 cx = (a.x + b.x) * 0.5f, cz = (a.z + b.z) * 0.5f, hx = (b.x - a.x) * 0.5f, hz = (b.z - a.z) * 0.5f;
  const f32 sx[4] = {-1, 1, 1, -1}, sz[4] = {-1, -1, 1, 1};
  std::array<ArtVec, 8> corners;
  for (u32 k = 0; k < 4; k++) {
    corners[k] = {cx + sx[k] * hx * top_factor, a.y, cz + sz[k] * hz * top_factor};
    corners[4 + k] = {cx + sx[k] * hx, b.y, cz + sz[k] * hz};
  }
  return corners;
}

// A K3D object built from engine-axis points, written to the file at a scale.
struct ArtMesh {
  K3dObject object;
  std::vector<ArtVec> engine;
  f32 scale;
  ArtMesh(const char* name, f32 s) : scale(s) { object.name = name; }
  u16 Point(ArtVec p) {
    engine.push_back(p);
    object.points.push_back(Art_File_Point(p, scale));
    return u16(engine.size() - 1);
  }
  // The engine's face normal is (A - B) x (A - L), L the last vertex; the order is turned round when
  // needed so that it points along facing, the side from which the polygon is seen.
  void Poly(std::vector<u16> p, ArtVec facing, u8 texture) {
    const ArtVec a = engine[p[0]], b = engine[p[1]], l = engine[p.back()];
    if (Art_Dot(Art_Cross(a - b, a - l), facing) < 0) std::reverse(p.begin(), p.end());
    object.polygons.push_back({p, texture});
  }
};
