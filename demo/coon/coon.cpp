// Coon scene: a picture bent by a Coons patch between four moving edge curves, with labels on the beat.
#include "demo/coon/coon.h"

#include <algorithm>
#include <cstdlib>

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
#include "video/pixel.h"
#include "video/vbe.h"

namespace {
const f32 kCoonFix = 1048576.0f;  // 1.0 in 12.20 fixed point
const u32 kCoonTextureMask = kCoonTextureTexels - 1;
const u32 kCoonPieceColumns[kCoonGridColumns] = {3, 87, 178};
const u32 kCoonWidePiece = 18;  // pieces from here on come from the wide third column
const u32 kCoonPlaceDraws = 18;

u32* coon_texture = nullptr;  // "coon/coon1.pcx": at least 65536 pixels, read as rows of 320
u32* coon_greets = nullptr;   // "coon/greets.pcx" scaled to the output size
const u32* coon_piece[kCoonPieces];
u32 coon_phase[2];

CoonPoint coon_top[kCoonWidth], coon_right[kCoonHeight], coon_bottom[kCoonWidth], coon_left[kCoonHeight];
CoonCurve bound[4] = {{kCoonWidth, coon_top}, {kCoonHeight, coon_right}, {kCoonWidth, coon_bottom},
                      {kCoonHeight, coon_left}};

CoonLabels coon_labels;

i32 Coon_Fix(f32 v) { return Math_Float_To_Int(v * kCoonFix + 0.5f); }
// Two's complement sums: the running values may wrap without undefined behaviour.
i32 Coon_Add(i32 a, i32 b) { return i32(u32(a) + u32(b)); }
f32 Coon_Sin(u32 angle) { return Math_Sin(i32(angle & 2047)); }
f32 Coon_Cos(u32 angle) { return Math_Cos(i32(angle & 2047)); }

// The picture just loaded through the global record, checked to be 24-bit.
const PcxHeader& Coon_Check_Picture(const char* name) {
  const PcxHeader& h = Pcx_Global()->header;
  if (h.colour_planes != 4) Err_Error("Coon: %s must be a 24-bit picture", name);
  return h;
}
}  // namespace

void Coon_Load(void) {
  coon_texture = reinterpret_cast<u32*>(Pcx_Load_Global("coon/coon1.pcx"));
  const PcxHeader& t = Coon_Check_Picture("coon/coon1.pcx");
  const u32 texels = u32(t.hres) * t.vres;
  if (texels < kCoonTextureTexels) {
    // The patch reads 65536 texels: a smaller picture is repeated to fill them.
    u32* whole = static_cast<u32*>(Mem_Alloc(kCoonTextureTexels * 4));
    Mem_Set_Description(whole, "Coon: ");
    Mem_Set_Description(whole, "Texture");
    for (u32 i = 0; i < kCoonTextureTexels; i++) whole[i] = coon_texture[i % texels];
    Mem_Free(coon_texture);
    coon_texture = whole;
  }
  Poly_Scale_Texture(coon_texture, 0.7f);

  coon_greets = reinterpret_cast<u32*>(Pcx_Load_Global("coon/greets.pcx"));
  const PcxHeader& g = Coon_Check_Picture("coon/greets.pcx");
  if (g.hres != kCoonWidth || g.vres != kCoonHeight) Err_Error("Coon: coon/greets.pcx must be 320x200");
  Poly_Scale_Texture(coon_greets, 0.4f);
  Vbe_Set_Resize(kCoonWidth, kCoonHeight);
  Vbe_Resize_Pixels(&coon_greets, kCoonWidth, kCoonHeight);
  vbe_screen.screen_pitch = u32(Vbe_Scale_X(kCoonWidth));

  u32 n = 0;
  for (u32 column : kCoonPieceColumns)
    for (u32 y = 6; n < kCoonPieces && y <= 174; y += 21)
      coon_piece[n++] = coon_greets + Vbe_Scale_Y(i32(y)) * Vbe_Scale_X(kCoonWidth) + Vbe_Scale_X(i32(column));
  Coon_Reset_Labels();
}

const u32* Coon_Get_Texture(void) { return coon_texture; }

void Coon_Free(void) {
  if (coon_texture) Mem_Free(coon_texture);
  if (coon_greets) Mem_Free(coon_greets);
  coon_texture = nullptr;
  coon_greets = nullptr;
}

void Coon_Init(void) {
  Vbe_Resize_Buffer(kCoonWidth, kCoonHeight);
  Math_Seed_Random();
  coon_labels.last_trigger_row = music_position.row;
}

void Coon_Release_Buffer(void) { Vbe_Free_Resize_Buffer(); }

void Coon_Reset_Labels(void) {
  for (CoonSlot& s : coon_labels.slot) s.piece = -1;
  for (auto& column : coon_labels.grid)
    for (u32 r = 0; r < 8; r++) column[r] = 0;
  coon_labels.grid[2][0] = 1;  // the top right place stays clear for the corner thumbnail
}

void Coon_Tick(void) {
  coon_phase[0] += 2;
  coon_phase[1] += 3;
  Design_Tick();
}

void Coon_Make_Curves(u32 p0, u32 p1) {
  for (u32 i = 0; i < kCoonWidth; i++) {
    coon_top[i].x = f32(i) - Coon_Cos(p1 + 2 * i) * Coon_Sin(p1 + 4 * i) * 30.0f;
    coon_top[i].y = Coon_Sin(p1 + 2 * i) * 100.0f;
  }
  for (u32 k = 0; k < kCoonWidth; k++) {
    coon_bottom[kCoonWidth - 1 - k].x = Coon_Cos(7 * k + p1) * 50.0f + f32(k);
    coon_bottom[kCoonWidth - 1 - k].y = 199.0f - Coon_Sin(p0 + 2 * k) * 160.0f;
  }
  for (u32 k = 0; k < kCoonHeight; k++) {
    coon_left[kCoonHeight - 1 - k].x = Coon_Cos(k + p1) * 100.0f;
    coon_left[kCoonHeight - 1 - k].y = Coon_Cos(p0 + 2 * k) * 50.0f + f32(k);
    coon_right[k].x = 319.0f - Coon_Sin(p1 + 2 * k) * Coon_Cos(p1 + 2 * k) * 200.0f;
    coon_right[k].y = Coon_Sin(k + p1) * 50.0f + f32(k);
  }
}

const CoonCurve* Coon_Get_Bound(void) { return bound; }

void Coon_Draw(void) {
  if (!coon_texture) Err_Error("Coon: Not loaded");
  Coon_Make_Curves(coon_phase[0], coon_phase[1]);
  Vbe_Resize_Begin();
  Coon_Patch(coon_texture, vbe_screen.frame, bound, 0, 0);
  Vbe_Resize_End();
}

void Coon_Patch(const u32* texture, u32* destination, const CoonCurve* bound, i32 x_offset, i32 y_offset) {
  if (bound[0].npt < 2 || bound[1].npt < 2) Err_Error("Coon: A boundary curve needs two points or more");
  const u32 nu = bound[0].npt - 1, nv = bound[1].npt - 1;
  if (bound[2].npt != nu + 1) Err_Error("Coon: Assertion failed: bound[2].npt==nu+1");
  if (bound[3].npt != nv + 1) Err_Error("Coon: Assertion failed: bound[3].npt==nv+1");
  if (!texture || !destination) return;
  // The destination is a surface of 320-pixel rows: the patch's rows and columns must fit in it.
  if (x_offset < 0 || y_offset < 0 || nu + 1 + u32(x_offset) > kCoonWidth || vbe_screen.width != kCoonWidth)
    Err_Error("Coon: The patch does not fit the 320-pixel rows");
  const u32 n = std::min({vbe_screen.height > u32(y_offset) ? vbe_screen.height - u32(y_offset) : 0u,
                          kCoonMaxRows, nv + 1});

  const CoonPoint *top = bound[0].pt, *right = bound[1].pt, *bottom = bound[2].pt, *left = bound[3].pt;
  const CoonPoint c0 = {(left[nv].x + top[0].x) / 2, (left[nv].y + top[0].y) / 2};
  const CoonPoint c1 = {(top[nu].x + right[0].x) / 2, (top[nu].y + right[0].y) / 2};
  const CoonPoint c2 = {(right[nv].x + bottom[0].x) / 2, (right[nv].y + bottom[0].y) / 2};
  const CoonPoint c3 = {(bottom[nu].x + left[0].x) / 2, (bottom[nu].y + left[0].y) / 2};
  const f32 inv_nu = 1.0f / f32(nu), inv_nv = 1.0f / f32(nv);

  Ipoint* pua = static_cast<Ipoint*>(malloc((nu + 1) * sizeof(Ipoint)));
  if (!pua) Err_Error("Coon: Assertion failed: pua = (Ipoint *)malloc((nu+1)*sizeof(Ipoint))");
  for (u32 u = 0; u <= nu; u++) {
    pua[u].x = Coon_Fix(top[u].x);
    pua[u].y = Coon_Fix(top[u].y);
    pua[u].dx = Coon_Fix((bottom[nu - u].x - top[u].x) * inv_nv);
    pua[u].dy = Coon_Fix((bottom[nu - u].y - top[u].y) * inv_nv);
  }
  f32 t = 0.0f;
  for (u32 v = 0; v < n; v++, t += inv_nv) {
    const f32 s = 1.0f - t;
    const CoonPoint& l = left[nv - v];
    const CoonPoint& r = right[v];
    i32 x0 = Coon_Fix(l.x - c0.x * s - c3.x * t + 0.5f);
    i32 y0 = Coon_Fix(l.y - c0.y * s - c3.y * t + 0.5f);
    const i32 dx = Coon_Fix((r.x - l.x - (c1.x - c0.x) * s - (c2.x - c3.x) * t) * inv_nu);
    const i32 dy = Coon_Fix((r.y - l.y - (c1.y - c0.y) * s - (c2.y - c3.y) * t) * inv_nu);
    u32* out = destination + (v + u32(y_offset)) * kCoonWidth + u32(x_offset);
    for (u32 x = 0; x <= nu; x++) {
      Ipoint& p = pua[x];
      const i32 column = Coon_Add(p.x, x0) >> kCoonFixShift;
      const i32 row = Coon_Add(p.y, y0) >> kCoonFixShift;
      out[x] = texture[(u32(row) * kCoonWidth + u32(column)) & kCoonTextureMask];
      x0 = Coon_Add(x0, dx);
      y0 = Coon_Add(y0, dy);
      p.x = Coon_Add(p.x, p.dx);
      p.y = Coon_Add(p.y, p.dy);
    }
  }
  free(pua);
}

void Coon_Trigger(u32 row) {
  CoonLabels& c = coon_labels;
  const i32 since = std::abs(i32(row) - i32(c.last_trigger_row));
  const auto& levels = music_channel_levels.levels;
  if (since < 2 || (levels[kCoonChannelA][0] == 0 && levels[kCoonChannelB][0] == 0)) return;
  c.last_trigger_row = row;
  c.slot_index = (c.slot_index + 1) % kCoonSlots;
  CoonSlot& s = c.slot[c.slot_index];
  if (s.piece >= 0) c.grid[s.column][s.row] = 0;
  s.piece = i32(c.next_piece);
  c.next_piece = (c.next_piece + 1) % kCoonPieces;
  u32 column = 0, place_row = 0;
  for (u32 n = 0; n < kCoonPlaceDraws; n++) {
    column = u32(Math_Random(kCoonGridColumns));
    place_row = u32(Math_Random(kCoonShownRows));
    if (!c.grid[column][place_row]) break;
  }
  s.column = column;
  s.row = place_row;
  c.grid[column][place_row] = 1;
}

void Coon_Draw_Labels(void) {
  u32* frame = vbe_screen.frame;
  if (!frame || !coon_greets) return;
  const u32 pitch = u32(Vbe_Scale_X(kCoonWidth));
  const u64 pixels = u64(vbe_screen.width) * vbe_screen.height;
  for (const CoonSlot& s : coon_labels.slot) {
    if (s.piece < 0 || s.piece >= i32(kCoonPieces)) continue;
    i32 w = Vbe_Scale_X(86), shift = 0;
    if (u32(s.piece) >= kCoonWidePiece) {
      w = Vbe_Scale_X(130);
      shift = Vbe_Scale_X(22);
    }
    const i32 x = Vbe_Scale_X(100) * i32(s.column) - shift + Vbe_Scale_X(10) + Vbe_Scale_X(Math_Random(2) - 1);
    const i32 y = Vbe_Scale_Y(22) * i32(s.row) + Vbe_Scale_Y(30) + Vbe_Scale_Y(Math_Random(2) - 1);
    const i32 h = Vbe_Scale_Y(21);
    // A wide label in the first column starts left of the row: its columns before the row are cut off.
    const i32 cut = x < 0 ? std::min(-x, w) : 0;
    const i64 at = i64(pitch) * y + x + cut;
    if (y < 0 || at >= i64(pixels) || cut == w) continue;  // the rectangle is clipped only inside the frame
    Vbe_Add_Rect_Sat(coon_piece[s.piece] + cut, frame + at, u32(w - cut), u32(h));
  }
}

void Coon_Frame(void) {
  Seq_Set_Part_Name("coon");
  Music_Set_Callback(Coon_Tick);
  Coon_Draw();
  Music_Get_Channel_Levels();
  Coon_Trigger(music_position.row);
  Design_Apply();
  Coon_Draw_Labels();
  Demo_Frame_Hook();
}

const CoonLabels* Coon_Get_Labels(void) { return &coon_labels; }
u32 Coon_Get_Phase(u32 n) { return n < 2 ? coon_phase[n] : 0; }
void Coon_Set_Phases(u32 phase_0, u32 phase_1) {
  coon_phase[0] = phase_0;
  coon_phase[1] = phase_1;
}
const u32* Coon_Get_Piece(u32 n) { return n < kCoonPieces ? coon_piece[n] : nullptr; }
