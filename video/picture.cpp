// Pictures, the 320x200 design size and its stretch, transitions, crossfade and colour model.
#include "video/picture.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/err.h"
#include "runtime/mem.h"
#include "render/poly.h"
#include "video/pixel.h"

namespace {
const u32 kZoomTableSize = 4096;

// Resize state.
f32 vbe_fx = 1.0f;
f32 vbe_fy = 1.0f;
u32 vbe_design_width = 0;
u32 vbe_design_height = 0;
u32* vbe_design = nullptr;
u32 vbe_design_rows[kVbeLineTableSize];
u32* vbe_saved_frame = nullptr;
u32 vbe_saved_width = 0;
u32 vbe_saved_height = 0;
u32 vbe_saved_frame_size = 0;
bool vbe_design_open = false;  // between Vbe_Resize_Begin and Vbe_Resize_End

// Zoom tables for Vbe_Remap.
u32 vbe_zoom_rows[kZoomTableSize];
u32 vbe_zoom_columns[kZoomTableSize];
u32 vbe_zoom_row_count = 0;
u32 vbe_zoom_column_count = 0;

// Crossfade state.
const u32* vbe_picture_a = nullptr;
const u32* vbe_picture_b = nullptr;
i32 vbe_level_a = 0, vbe_level_b = 0, vbe_step_a = 0, vbe_step_b = 0;
u8 vbe_crossfade_done = 0;

u32 vbe_blur_flag = 0;
// The polygon rasterizer draws into `target` from now on, with its line table and limit unchanged.
void Vbe_Set_Raster_Target(u32* target) {
  Poly_Set_Target(target, poly_state.line_table, poly_state.target_lines);
}

// The 16.16 step of a factor, truncated: 21845 at factor 3, so the stretch starts one pixel late.
inline u32 Vbe_Step(f32 factor) { return u32(i64(double(kFix16One) / double(factor))); }

// Float to integer as the processor does it: truncation, and 0x80000000 when out of range.
inline i32 Vbe_Float_To_Int(f32 value) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return i32(0x80000000u);
  return i32(value);
}

// The frame-size buffer that the transitions share with the frame must really be that large.
void Vbe_Check_Mix(void) {
  if (!vbe_screen.mix || Vbe_Mix_Size() < vbe_screen.frame_size)
    Err_Error("Vbe_Transition: Mix buffer missing or smaller than the frame");
}
}  // namespace

void Vbe_Reset_Design(void) {
  vbe_fx = vbe_fy = 1.0f;
  vbe_design_width = vbe_design_height = 0;
  vbe_design = nullptr;
  vbe_design_open = false;
  vbe_saved_frame = nullptr;
  vbe_saved_width = vbe_saved_height = vbe_saved_frame_size = 0;
  vbe_zoom_row_count = vbe_zoom_column_count = 0;
  vbe_picture_a = vbe_picture_b = nullptr;
  vbe_level_a = vbe_level_b = vbe_step_a = vbe_step_b = 0;
  vbe_crossfade_done = 0;
  vbe_blur_flag = 0;
}

// ---- pictures -----------------------------------------------------------------------------------

cbitmap* Vbe_New_Bitmap(u32 width, u32 height) {
  u64 bytes = u64(width) * height * 4 + 16;
  if (bytes > 0xFFFF0000ull) Err_Error("Vbe: Picture %ux%u too large", width, height);
  cbitmap* picture = static_cast<cbitmap*>(Mem_Alloc_Guarded(u32(bytes), kVbePictureGuardBytes));
  Mem_Set_Description(picture, "Vbe: ");
  Mem_Set_Description(picture, "cbitmap");
  picture->width = width;
  picture->height = height;
  return picture;
}

void Vbe_Set_Bitmap_Size(cbitmap* picture, u32 width, u32 height) {
  picture->width = width;
  picture->height = height;
}

u32 Vbe_Bitmap_Width(const cbitmap* picture) { return picture->width; }
u32 Vbe_Bitmap_Height(const cbitmap* picture) { return picture->height; }

void Vbe_Scale_Bitmap_Brightness(cbitmap* picture, f32 factor) {
  u32* p = Vbe_Bitmap_Pixels(picture);
  u64 n = u64(picture->width) * picture->height;
  for (u64 i = 0; i < n; i++) {
    u32 out = 0;
    for (u32 shift = 0; shift < 24; shift += 8) {
      f32 c = f32((p[i] >> shift) & 0xFF) * factor;
      out |= (u32(Vbe_Float_To_Int(c)) & 0xFF) << shift;
    }
    p[i] = out;
  }
}

// ---- design size and scaling --------------------------------------------------------------------

void Vbe_Set_Resize(u32 design_width, u32 design_height) {
  if (design_width == 0 || design_height == 0) Err_Error("Vbe_Set_Resize: Illegal design size");
  // While a design draw is open the frame state describes the design buffer: use the saved width.
  u32 width = vbe_design_open ? vbe_saved_width : vbe_screen.width;
  vbe_design_width = design_width;
  vbe_design_height = design_height;
  vbe_fx = f32(double(width) / double(design_width));
  vbe_fy = f32(double(vbe_screen.full_height) / double(design_height));
}

bool Vbe_Resize_Active(void) { return vbe_fx != 1.0f || vbe_fy != 1.0f; }

void Vbe_Resize_Buffer(u32 design_width, u32 design_height) {
  if (vbe_design_open) Err_Error("Vbe_Resize_Buffer: Design draw still open");
  if (design_height > kVbeLineTableSize) Err_Error("Vbe_Resize_Buffer: Design height above 1024");
  u32 old_width = vbe_design_width, old_height = vbe_design_height;
  Vbe_Set_Resize(design_width, design_height);
  if (!Vbe_Resize_Active()) return;
  // An earlier buffer of the same size is reused, one of another size released.
  if (vbe_design && (old_width != design_width || old_height != design_height)) {
    Mem_Free(vbe_design);
    vbe_design = nullptr;
  }
  if (!vbe_design) {
    u64 bytes = u64(design_width) * design_height * 4;
    if (bytes > 0xFFFF0000ull) Err_Error("Vbe_Resize_Buffer: Design size too large");
    vbe_design = static_cast<u32*>(Mem_Alloc(u32(bytes)));
    Mem_Set_Description(vbe_design, "Vbe_Resize_Buffer");
  }
  for (u32 i = 0; i < kVbeLineTableSize; i++) vbe_design_rows[i] = i * design_width;
}

void Vbe_Free_Resize_Buffer(void) {
  if (!Vbe_Resize_Active() || !vbe_design) return;
  if (vbe_design_open) Err_Error("Vbe_Free_Resize_Buffer: Design draw still open");
  Mem_Free(vbe_design);
  vbe_design = nullptr;
}

void Vbe_Resize_Begin(void) {
  if (!Vbe_Resize_Active()) return;
  if (!vbe_design) Err_Error("Vbe_Resize_Begin: No design buffer");
  if (vbe_design_open) Err_Error("Vbe_Resize_Begin: Design draw already open");
  VbeScreen& s = vbe_screen;
  vbe_saved_frame = s.frame;
  vbe_saved_height = s.height;
  vbe_saved_frame_size = s.frame_size;
  vbe_saved_width = s.width;
  s.frame = vbe_design;
  s.width = vbe_design_width;
  s.height = vbe_design_height;
  s.frame_size = vbe_design_width * vbe_design_height * 4;
  Vbe_Make_Frame_Line_Table(u16(vbe_design_width));
  vbe_design_open = true;
}

namespace {
void Vbe_Resize_Close(void (*stretch)(void)) {
  if (!Vbe_Resize_Active() || !vbe_design_open) return;
  VbeScreen& s = vbe_screen;
  s.height = vbe_saved_height;
  s.width = vbe_saved_width;
  s.frame_size = vbe_saved_frame_size;
  s.frame = vbe_saved_frame;
  Vbe_Make_Frame_Line_Table(u16(s.width));
  vbe_design_open = false;
  stretch();
}
}  // namespace

void Vbe_Resize_End(void) { Vbe_Resize_Close(Vbe_Stretch_Design); }
void Vbe_Resize_End_Add(void) { Vbe_Resize_Close(Vbe_Stretch_Design_Add); }

void Vbe_Scale_Rows(const u32* source, u32* destination, u32 new_width, u32 new_height, f32 fx, f32 fy) {
  u32 x_step = Vbe_Step(fx), y_step = Vbe_Step(fy);
  u32 row_length = u32(double(new_width) / double(fx));
  u32 y_sum = 0;
  for (u32 j = 0; j < new_height; j++) {
    const u32* row = source + u64(Fix16_Whole(y_sum)) * row_length;
    u32 x_sum = 0;
    for (u32 i = 0; i < new_width; i++) {
      *destination++ = row[Fix16_Whole(x_sum)];
      x_sum += x_step;
    }
    y_sum += y_step;
  }
}

void Vbe_Resize(cbitmap** picture) {
  if (!Vbe_Resize_Active() || !picture || !*picture) return;
  cbitmap* old = *picture;
  u32 new_width = u32(double(old->width) * vbe_fx);
  u32 new_height = u32(double(old->height) * vbe_fy);
  u64 bytes = u64(new_width) * new_height * 4 + 8;
  if (bytes > 0xFFFF0000ull) Err_Error("Vbe_Resize: Picture too large");
  cbitmap* scaled = static_cast<cbitmap*>(Mem_Alloc_Guarded(u32(bytes), kVbePictureGuardBytes));
  Vbe_Scale_Rows(Vbe_Bitmap_Pixels(old), Vbe_Bitmap_Pixels(scaled), new_width, new_height, vbe_fx, vbe_fy);
  char description[sizeof MemBlock::description];
  strncpy(description, Mem_Get_Description(old), sizeof description - 1);
  description[sizeof description - 1] = 0;
  Mem_Free(old);
  Mem_Set_Description(scaled, "Vbe_Resize: ");
  Mem_Set_Description(scaled, description);
  scaled->width = new_width;
  scaled->height = new_height;
  *picture = scaled;
}

void Vbe_Resize_Pixels(u32** pixels, u32 width, u32 height) {
  if (!Vbe_Resize_Active() || !pixels || !*pixels) return;
  u32 new_width = u32(double(width) * vbe_fx);
  u32 new_height = u32(double(height) * vbe_fy);
  u64 bytes = u64(new_width) * new_height * 4;
  if (bytes > 0xFFFF0000ull) Err_Error("Vbe_Resize: Picture too large");
  u32* scaled = static_cast<u32*>(Mem_Alloc_Guarded(u32(bytes), kVbePictureGuardBytes));
  Vbe_Scale_Rows(*pixels, scaled, new_width, new_height, vbe_fx, vbe_fy);
  char description[sizeof MemBlock::description];
  strncpy(description, Mem_Get_Description(*pixels), sizeof description - 1);
  description[sizeof description - 1] = 0;
  Mem_Free(*pixels);
  Mem_Set_Description(scaled, "Vbe_Resize: ");
  Mem_Set_Description(scaled, description);
  *pixels = scaled;
}

i32 Vbe_Scale_X(i32 x) { return Vbe_Float_To_Int(f32(x) * vbe_fx); }
i32 Vbe_Scale_Y(i32 y) { return Vbe_Float_To_Int(f32(y) * vbe_fy); }
f32 Vbe_Get_Factor_X(void) { return vbe_fx; }
f32 Vbe_Get_Factor_Y(void) { return vbe_fy; }
u32* Vbe_Design_Buffer(void) { return vbe_design; }

namespace {
// Source row and column of the stretch, kept inside the design buffer should the frame have grown
// since the factors were taken.
inline u32 Vbe_Design_Row(u32 y_sum) {
  u32 row = Fix16_Whole(y_sum);
  return vbe_design_rows[row < vbe_design_height ? row : vbe_design_height - 1];
}
inline u32 Vbe_Design_Column(u32 x_sum) {
  u32 column = Fix16_Whole(x_sum);
  return column < vbe_design_width ? column : vbe_design_width - 1;
}

bool Vbe_Stretch_Ready(void) {
  return vbe_design && vbe_screen.frame && vbe_design_width && vbe_design_height &&
         u64(vbe_screen.width) * vbe_screen.height * 4 <= vbe_screen.frame_size;
}

// The plain stretch: running 16.16 sums for rows and columns, one pixel at a time.
template <bool kAdd>
void Vbe_Stretch_Plain(void) {
  if (!Vbe_Stretch_Ready()) return;
  u32 x_step = Vbe_Step(vbe_fx), y_step = Vbe_Step(vbe_fy);
  u32* d = vbe_screen.frame;
  u32 y_sum = 0;
  for (u32 j = 0; j < vbe_screen.height; j++) {
    const u32* row = vbe_design + Vbe_Design_Row(y_sum);
    u32 x_sum = 0;
    for (u32 i = 0; i < vbe_screen.width; i++) {
      if (kAdd)
        *d++ += row[Vbe_Design_Column(x_sum)];
      else
        *d++ = row[Vbe_Design_Column(x_sum)];
      x_sum += x_step;
    }
    y_sum += y_step;
  }
}

// The fast stretch: the column sums are taken once per frame, and a frame row that shows the same
// design row as the one above is copied from it.
template <bool kAdd>
void Vbe_Stretch_Fast(void) {
  if (!Vbe_Stretch_Ready()) return;
  static u32 columns[1 << 16];
  u32 width = vbe_screen.width;
  if (width > (1u << 16)) return Vbe_Stretch_Plain<kAdd>();
  u32 x_step = Vbe_Step(vbe_fx), y_step = Vbe_Step(vbe_fy);
  u32 x_sum = 0;
  for (u32 i = 0; i < width; i++, x_sum += x_step) columns[i] = Vbe_Design_Column(x_sum);
  u32* d = vbe_screen.frame;
  u32 y_sum = 0;
  u32 previous = ~0u;
  for (u32 j = 0; j < vbe_screen.height; j++, y_sum += y_step, d += width) {
    u32 source_row = Vbe_Design_Row(y_sum);
    const u32* row = vbe_design + source_row;
    if (kAdd) {
      for (u32 i = 0; i < width; i++) d[i] += row[columns[i]];
    } else if (source_row == previous) {
      memcpy(d, d - width, u64(width) * 4);
    } else {
      for (u32 i = 0; i < width; i++) d[i] = row[columns[i]];
    }
    previous = source_row;
  }
}
}  // namespace

void Vbe_Stretch_Design(void) { Vbe_Stretch_Fast<false>(); }
void Vbe_Stretch_Design_Add(void) { Vbe_Stretch_Fast<true>(); }
void Vbe_Stretch_Design_Plain(void) { Vbe_Stretch_Plain<false>(); }
void Vbe_Stretch_Design_Add_Plain(void) { Vbe_Stretch_Plain<true>(); }

void Vbe_Make_Zoom_Tables(f32 margin) {
  u32 width = vbe_screen.width, height = vbe_screen.height;
  vbe_zoom_column_count = width < kZoomTableSize ? width : kZoomTableSize;
  vbe_zoom_row_count = height < kZoomTableSize ? height : kZoomTableSize;
  // Entries are kept inside the frame, so a margin beyond its edges cannot send Vbe_Remap outside.
  for (u32 x = 0; x < vbe_zoom_column_count; x++) {
    double span = width > 1 ? double(x) * (double(width) - 1 - 2 * double(margin)) / double(width - 1) : 0;
    i64 v = i64(std::floor(double(margin) + span)) & 0xFFFF;
    vbe_zoom_columns[x] = u32(v < i64(width) ? v : width - 1);
  }
  for (u32 y = 0; y < vbe_zoom_row_count; y++) {
    double span = height > 1 ? double(y) * (double(height) - 1 - 2 * double(margin)) / double(height - 1) : 0;
    i64 v = i64(std::floor(double(margin) + span)) & 0xFFFF;
    vbe_zoom_rows[y] = u32(v < i64(height) ? v : height - 1) * width;
  }
}

const u32* Vbe_Zoom_Row_Table(void) { return vbe_zoom_rows; }
const u32* Vbe_Zoom_Column_Table(void) { return vbe_zoom_columns; }
u32 Vbe_Zoom_Rows(void) { return vbe_zoom_row_count; }
u32 Vbe_Zoom_Columns(void) { return vbe_zoom_column_count; }

// ---- transitions and crossfade ------------------------------------------------------------------

void Vbe_Transition(u8 kind, u32 level) {
  VbeScreen& s = vbe_screen;
  i32 l = i32(level);
  if (kind > 9) return;
  if (kind != 0 && kind != 1 && kind != 4) Vbe_Check_Mix();
  switch (kind) {
    case 0: Vbe_Clear(); break;
    case 1: Vbe_Darken(l); break;
    case 2:
      Vbe_Darken(l);
      Vbe_Swap_Buffers();
      Vbe_Set_Raster_Target(s.frame);
      break;
    case 3:
      Vbe_Halve();
      Vbe_Set_Raster_Target(s.mix);
      Vbe_Add_Buffer(s.frame, s.mix);
      Vbe_Swap_Buffers();
      Vbe_Halve();
      Vbe_Swap_Buffers();
      break;
    case 4: Vbe_Darken_Channel(l); break;
    case 5:
      Vbe_Darken_Add(l, s.mix, s.frame);
      Vbe_Swap_Buffers();
      Vbe_Set_Raster_Target(s.frame);
      break;
    case 6:
      Vbe_Darken_Buffer(l, s.mix, s.frame_size);
      Vbe_Add_Buffer(s.mix, s.frame);
      Vbe_Add_Buffer(s.frame, s.mix);
      break;
    case 7: Vbe_Trail(s.frame, s.mix); break;
    case 8: Vbe_Trail_Half(s.frame, s.mix); break;
    case 9:
      Vbe_Average_Buffer(s.frame, s.mix);
      Vbe_Darken_Add(l, s.frame, s.mix);
      break;
  }
}

void Vbe_Set_Crossfade(i32 level_a, i32 level_b, i32 step_a, i32 step_b, const u32* picture_a,
                       const u32* picture_b) {
  vbe_level_a = level_a;
  vbe_level_b = level_b;
  vbe_step_a = step_a;
  vbe_step_b = step_b;
  vbe_picture_a = picture_a;
  vbe_picture_b = picture_b;
  vbe_crossfade_done = 0;
}

namespace {
// Holds a crossfade level within its range; true when it had gone past an end.
bool Vbe_Hold_Level(i32* level) {
  if (*level > 1020) {
    *level = 1020;
    return true;
  }
  if (*level < 0) {
    *level = 0;
    return true;
  }
  return false;
}
}  // namespace

void Vbe_Step_Crossfade(void) {
  if (vbe_crossfade_done) return;
  vbe_level_a += vbe_step_a;
  vbe_level_b += vbe_step_b;
  // Done once both levels reached an end in the same step.
  const bool a_at_end = Vbe_Hold_Level(&vbe_level_a);
  const bool b_at_end = Vbe_Hold_Level(&vbe_level_b);
  vbe_crossfade_done = b_at_end && a_at_end;
}

void Vbe_Draw_Crossfade(void) {
  u32* f = vbe_screen.frame;
  if (!f) return;
  if (vbe_picture_a) {
    if (vbe_level_a == 0)
      memmove(f, vbe_picture_a, vbe_screen.frame_size & ~3u);
    else if (vbe_level_a == 1020)
      Vbe_Clear();
    else
      Vbe_Darken_Into(vbe_level_a >> 2, vbe_picture_a, f);
  }
  if (vbe_picture_b) {
    if (vbe_level_b == 0)
      memmove(f, vbe_picture_b, vbe_screen.frame_size & ~3u);
    else if (vbe_level_b > 0 && vbe_level_b < 1020)
      Vbe_Darken_Add(vbe_level_b >> 2, vbe_picture_b, f);
  }
}

bool Vbe_Crossfade_Done(void) { return vbe_crossfade_done != 0; }
i32 Vbe_Crossfade_Level_A(void) { return vbe_level_a; }
i32 Vbe_Crossfade_Level_B(void) { return vbe_level_b; }

// ---- blurs --------------------------------------------------------------------------------------

namespace {
inline u32 Vbe_H(u32 p) { return (p >> 1) & 0x7F7F7Fu; }
}  // namespace

void Vbe_Blur(void) {
  u32* f = vbe_screen.frame;
  u32 w = vbe_screen.width, h = vbe_screen.height;
  if (!f || h < 3 || u64(w) * h * 4 > vbe_screen.frame_size) return;
  for (u32 i = w; i < (h - 1) * w; i++)
    f[i] = Vbe_H(Vbe_H(Vbe_H(f[i - w]) + Vbe_H(f[i + w])) + Vbe_H(Vbe_H(f[i - 1]) + Vbe_H(f[i + 1]))) + Vbe_H(f[i]);
}

void Vbe_Blur_Alternate_Plain(void) {
  u32* f = vbe_screen.frame;
  u32 w = vbe_screen.width, h = vbe_screen.height;
  u32 was = vbe_blur_flag;
  vbe_blur_flag ^= 1;
  if (!f || h < 3 || u64(w) * h * 4 > vbe_screen.frame_size) return;
  if (was == 0) {
    for (u32 i = w; i < (h - 1) * w; i++) f[i] = Vbe_H(Vbe_H(f[i - 1]) + Vbe_H(f[i + 1])) + Vbe_H(f[i]);
  } else {
    for (u32 i = w; i < (h - 1) * w; i++) f[i] = Vbe_H(Vbe_H(f[i - w]) + Vbe_H(f[i + w])) + Vbe_H(f[i]);
  }
}

// The vertical pass reads the blurred line above, which lies at least a vector's width back: four
// pixels a step on SSE2. The horizontal pass reads the pixel just blurred and stays one at a time.
void Vbe_Blur_Alternate(void) {
  u32* f = vbe_screen.frame;
  u32 w = vbe_screen.width, h = vbe_screen.height;
  u32 was = vbe_blur_flag;
  if (was == 0 || w < 4) return Vbe_Blur_Alternate_Plain();
  vbe_blur_flag ^= 1;
  if (!f || h < 3 || u64(w) * h * 4 > vbe_screen.frame_size) return;
  const u32 end = (h - 1) * w;
  u32 i = w;
#if defined(__SSE2__)
  const __m128i low7 = _mm_set1_epi32(0x7F7F7F);
  auto half = [low7](__m128i p) { return _mm_and_si128(_mm_srli_epi32(p, 1), low7); };
  auto load = [](const u32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  for (; i + 4 <= end; i += 4) {
    const __m128i sum = _mm_add_epi32(half(load(f + i - w)), half(load(f + i + w)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(f + i), _mm_add_epi32(half(sum), half(load(f + i))));
  }
#endif
  for (; i < end; i++) f[i] = Vbe_H(Vbe_H(f[i - w]) + Vbe_H(f[i + w])) + Vbe_H(f[i]);
}

// ---- colour -------------------------------------------------------------------------------------

u32 Vbe_Pack_Color(u32 r, u32 g, u32 b) {
  const u8* order = vbe_screen.color_order;
  return (r << (8 * order[0])) + (g << (8 * order[1])) + (b << (8 * order[2]));
}

u32 Vbe_Pack_Color_Fast(u32 r, u32 g, u32 b) { return Vbe_Pack_Color(r, g, b); }

u32 Vbe_Pack_Color_Bytes(u32 r, u32 g, u32 b) {
  u8 bytes[4] = {0, 0, 0, 0};
  bytes[vbe_screen.color_order[0]] = u8(r);
  bytes[vbe_screen.color_order[1]] = u8(g);
  bytes[vbe_screen.color_order[2]] = u8(b);
  bytes[vbe_screen.color_order[3]] = 0;
  u32 pixel;
  memcpy(&pixel, bytes, 4);
  return pixel;
}

void Vbe_Unpack_Color(u32 pixel, u32* r, u32* g, u32* b) {
  *r = (pixel >> (8 * vbe_screen.color_order[0])) & 0xFF;
  *g = (pixel >> (8 * vbe_screen.color_order[1])) & 0xFF;
  *b = (pixel >> (8 * vbe_screen.color_order[2])) & 0xFF;
}

VbeHsv Vbe_Rgb_To_Hsv(i32 r, i32 g, i32 b) {
  i32 max = -32768, min = 32767;
  if (r > max) max = r;
  if (g > max) max = g;
  if (b > max) max = b;
  // The minimum's channel: red first, then green or blue only when strictly smaller.
  u32 min_channel = 0;
  min = r;
  if (g < min) {
    min = g;
    min_channel = 1;
  }
  if (b < min) {
    min = b;
    min_channel = 2;
  }
  VbeHsv out = {0, u16(max), 0.0f};
  if (max == min) return out;
  out.saturation = f32((double(max) - double(min)) / double(max));
  i64 hue, r64 = r, g64 = g, b64 = b, min64 = min;
  if (min_channel == 2)
    hue = 120 * (g64 - min64) / ((r64 - min64) + (g64 - min64));
  else if (min_channel == 0)
    hue = 120 + 120 * (b64 - min64) / ((g64 - min64) + (b64 - min64));
  else
    hue = 240 + 120 * (r64 - min64) / ((r64 - min64) + (b64 - min64));
  out.hue = u16(hue);
  return out;
}

u32 Vbe_Hsv_To_Rgb(i32 hue, f32 saturation, i16 value) {
  i64 m = Vbe_Float_To_Int(std::floor((1.0f - saturation) * f32(value)));
  // Hues beyond a turn wrap into it (360 itself stays, the same colour as 0); negative ones too.
  if (hue > 360) hue %= 360;
  if (hue < 0) hue = ((hue % 360) + 360) % 360;
  i64 v = value < 0 ? 0 : value > 255 ? 255 : value;
  i64 d = v - m;
  i64 p, q, t;
  i64 rgb[3];
  u32 pi, qi, third;
  if (hue <= 120) {
    pi = 0, qi = 1, third = 2, t = hue;
  } else if (hue <= 240) {
    pi = 1, qi = 2, third = 0, t = hue - 120;
  } else {
    pi = 2, qi = 0, third = 1, t = hue - 240;
  }
  if (t <= 60) {
    p = v;
    q = m + d * t / (120 - t);
  } else {
    q = v;
    p = m + d * (120 - t) / t;
  }
  rgb[pi] = p;
  rgb[qi] = q;
  rgb[third] = m;
  for (i64& c : rgb) c = c < 0 ? 0 : c > 255 ? 255 : c;
  return Vbe_Pack_Color(u32(rgb[0]), u32(rgb[1]), u32(rgb[2]));
}
