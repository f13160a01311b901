// Plasma scene: four moving windows into a tunnel picture make a height map that bends a colour texture.
#include "demo/plasma/plasma.h"

#include <algorithm>

#include "demo/design.h"
#include "music/music.h"
#include "render/texture.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/picture.h"
#include "video/vbe.h"

namespace {
const i32 kPlasmaTextureMask = 65535;  // 256 x 256 texels
const i32 kPlasmaCentre = 32639;  // 127 x 256 + 127: heights of 127 leave the texture unshifted

u8* plasma_tunnel = nullptr;    // "plasma/tunnely.pcx", one byte a pixel, 640 a row
u32* plasma_texture = nullptr;  // "plasma/plasma5.pcx", 256 x 256
u32 plasma_rows[kPlasmaRowTable];
u8* plasma_map = nullptr;       // 320 x 200 heights, then a zeroed tail for the second point
i32 plasma_phase[kPlasmaPhases];

// The picture just loaded through the global record, checked for its kind and size.
void Plasma_Check_Picture(const char* name, bool eight_bit, u32 width, u32 min_rows) {
  const PcxHeader& h = Pcx_Global()->header;
  const bool kind = eight_bit ? h.colour_planes == 1 : h.colour_planes == 4;
  if (!kind || h.hres != width || h.vres < min_rows)
    Err_Error("Plasma: %s must be %s, %u pixels wide and at least %u rows", name, eight_bit ? "8-bit" : "24-bit",
              width, min_rows);
}

i32 Plasma_Angle(i32 p) { return p % 2048; }
f32 Plasma_C(i32 p) { return Math_Cos(Plasma_Angle(p)) + 1.0f; }
f32 Plasma_S(i32 p) { return Math_Sin(Plasma_Angle(p)) + 1.0f; }

// An offset truncated toward zero, kept inside the windows the tunnel picture holds.
i32 Plasma_Offset(f32 value, i32 low, i32 high) { return std::clamp(Math_Float_To_Int(value), low, high); }
}  // namespace

void Plasma_Load(void) {
  plasma_tunnel = Pcx_Load_Global("plasma/tunnely.pcx");
  Plasma_Check_Picture("plasma/tunnely.pcx", true, kPlasmaTunnelWidth, kPlasmaTunnelRows);
  plasma_texture = reinterpret_cast<u32*>(Pcx_Load_Global("plasma/plasma5.pcx"));
  Plasma_Check_Picture("plasma/plasma5.pcx", false, 256, 256);
  Poly_Scale_Texture(plasma_texture, 0.9f);
  for (u32 i = 0; i < kPlasmaRowTable; i++) plasma_rows[i] = i * kPlasmaTunnelWidth;
  plasma_map = static_cast<u8*>(Mem_Alloc(kPlasmaMapBytes + kPlasmaSecondPoint));
  Mem_Set_Description(plasma_map, "Plasma: ");
  Mem_Set_Description(plasma_map, "Height map");
}

void Plasma_Init(void) {
  for (u32 n : {0u, 3u, 2u, 6u, 1u, 5u, 4u, 7u}) plasma_phase[n] = Math_Crt_Rand() & 2047;
  Vbe_Resize_Buffer(320, 200);
}

void Plasma_Frame(void) {
  Seq_Set_Part_Name("plasma");
  Music_Set_Callback(Plasma_Tick);
  Vbe_Resize_Begin();
  Plasma_Render();
  Vbe_Resize_End();
  Design_Apply();
  Demo_Frame_Hook();
}

void Plasma_Tick(void) {
  const i32 step[kPlasmaPhases] = {4, 4, 4, 6, 4, 6, 6, 8};  // p0 .. p7
  for (u32 n = 0; n < kPlasmaPhases; n++) plasma_phase[n] += step[n];
  Design_Tick();
}

void Plasma_Offsets(i32 a[8]) {
  const i32* p = plasma_phase;
  a[0] = Plasma_Offset((Plasma_C(p[0]) + Plasma_S(p[5])) * 80.0f, 0, 320);
  a[1] = Plasma_Offset((Plasma_C(p[3]) + Plasma_C(p[2])) * 40.0f + 25.0f, 25, 185);
  a[2] = Plasma_Offset(Plasma_C(p[2]) * 160.0f, 0, 320);
  a[3] = Plasma_Offset(Plasma_C(p[6]) * 80.0f + 25.0f, 25, 185);
  a[4] = Plasma_Offset(Plasma_C(p[1]) * 160.0f, 0, 320);
  a[5] = Plasma_Offset(Plasma_C(p[5]) * 80.0f + 25.0f, 25, 185);
  a[6] = Plasma_Offset(Plasma_C(p[4]) * 160.0f, 0, 320);
  a[7] = Plasma_Offset(Plasma_C(p[7]) * 80.0f + 25.0f, 25, 185);
}

void Plasma_Render(void) {
  if (!plasma_map) Err_Error("Plasma: Not loaded");
  i32 a[8];
  Plasma_Offsets(a);
  Plasma_Draw(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
  Plasma_Colour_Pass();
}

void Plasma_Draw(i32 a0, i32 a1, i32 a2, i32 a3, i32 a4, i32 a5, i32 a6, i32 a7) {
  // Columns up to 320 + 319 and rows up to 185 + 199 stay inside the 640 x 386 the loader checked.
  if (!plasma_map || !plasma_tunnel) Err_Error("Plasma: Not loaded");
  for (i32 v : {a0, a2, a4, a6})
    if (v < 0 || v > 320) Err_Error("Plasma: Column offset %d outside 0..320", v);
  for (i32 v : {a1, a3, a5, a7})
    if (v < 0 || v > 185) Err_Error("Plasma: Row offset %d outside 0..185", v);
  u8* out = plasma_map;
  for (u32 y = 0; y < kPlasmaMapHeight; y++) {
    const u8* t0 = plasma_tunnel + plasma_rows[y + u32(a1)] + a0;
    const u8* t2 = plasma_tunnel + plasma_rows[y + u32(a3)] + a2;
    const u8* t4 = plasma_tunnel + plasma_rows[y + u32(a5)] + a4;
    const u8* t6 = plasma_tunnel + plasma_rows[y + u32(a7)] + a6;
    for (u32 x = 0; x < kPlasmaMapWidth; x++) *out++ = u8(t2[x] - t6[x] - t4[x] + t0[x]);
  }
}

void Plasma_Colour_Pass(void) {
  if (!plasma_map || !plasma_texture) Err_Error("Plasma: Not loaded");
  u32* frame = vbe_screen.frame;
  const u32 width = vbe_screen.width;
  if (!frame || width == 0) return;
  // The walk follows the height map in order; it stops where the map ends.
  const u32 rows = std::min(vbe_screen.height, kPlasmaMapBytes / width);
  const u8* h = plasma_map;
  for (u32 y = 0; y < rows; y++) {
    u32* line = frame + y * width;
    for (u32 x = 0; x < width; x++, h++) {
      const i32 second = h[kPlasmaSecondPoint], first = h[0];
      const i32 index = (second + i32(x) + (first + i32(y)) * 256 - kPlasmaCentre) & kPlasmaTextureMask;
      line[x] = plasma_texture[index];
    }
  }
}

void Plasma_Release_Buffer(void) { Vbe_Free_Resize_Buffer(); }

void Plasma_Free(void) {
  for (void* block : {static_cast<void*>(plasma_texture), static_cast<void*>(plasma_tunnel),
                      static_cast<void*>(plasma_map)})
    if (block) Mem_Free(block);
  plasma_texture = nullptr;
  plasma_tunnel = nullptr;
  plasma_map = nullptr;
}

void Plasma_Make_Gradient(u32* table, u32 first, u32 second) {
  for (u32 k = 0; k < 256; k++) table[k] = 0;
  for (u32 shift = 0; shift < 24; shift += 8) {
    const i32 from = i32((first >> shift) & 255), to = i32((second >> shift) & 255);
    // An 8.8 ramp over the 256 entries.
    const i32 step = (to - from) * kFix8One / 256;
    i32 value = from * kFix8One;
    for (u32 k = 0; k < 256; k++, value += step) table[k] |= u32(value >> kFix8Bits) << shift;
  }
}

i32 Plasma_Get_Phase(u32 n) { return n < kPlasmaPhases ? plasma_phase[n] : 0; }
void Plasma_Set_Phase(u32 n, i32 angle) {
  if (n < kPlasmaPhases) plasma_phase[n] = angle;
}
const u8* Plasma_Height_Map(void) { return plasma_map; }
