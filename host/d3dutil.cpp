// Direct3D conveniences: matrix builders, material, pixel-format descriptions, and the offscreen
// surface with its loader and clipped, channel-converting copy.
#include "host/d3dutil.h"

#include <cmath>
#include <cstring>

namespace {
const f32 kTiny = 1e-6f;

f32 D3d_Length(const D3dVector& v) { return std::sqrt(D3d_Dot(v, v)); }
D3dVector D3d_Sub_Scaled(const D3dVector& a, f32 s, const D3dVector& b) {
  return {a.x - s * b.x, a.y - s * b.y, a.z - s * b.z};
}

struct FormatRow {
  u32 format, bits, red_mask, green_mask, blue_mask, alpha_mask, red_max, green_max, blue_max, alpha_max;
};
const FormatRow kFormats[] = {
    {PLAT_FMT_R8G8B8, 24, 0xFF0000, 0xFF00, 0xFF, 0, 255, 255, 255, 0},
    {PLAT_FMT_A8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 255, 255, 255, 255},
    {PLAT_FMT_X8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0, 255, 255, 255, 0},
    {PLAT_FMT_R5G6B5, 16, 0xF800, 0x7E0, 0x1F, 0, 31, 63, 31, 0},
    {PLAT_FMT_X1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, 31, 31, 31, 0},
    {PLAT_FMT_A1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, 31, 31, 31, 1},
    {PLAT_FMT_A4R4G4B4, 16, 0xF00, 0xF0, 0xF, 0xF000, 15, 15, 15, 15},
    {PLAT_FMT_A2B10G10R10, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, 1023, 1023, 1023, 3},
};
const FormatRow kUnknownFormat = {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};

i32 D3d_Clamp(i32 v, i32 low, i32 high) { return v < low ? low : v > high ? high : v; }
}  // namespace

void D3d_Init_Material(D3dMaterial* material, f32 r, f32 g, f32 b, f32 a) {
  memset(material, 0, sizeof *material);
  material->diffuse = material->ambient = {r, g, b, a};
}

u32 D3d_Set_View_Matrix(D3dMatrix* m, const D3dVector& eye, const D3dVector& target, const D3dVector& up) {
  D3dVector view = {target.x - eye.x, target.y - eye.y, target.z - eye.z};
  f32 length = D3d_Length(view);
  if (length < kTiny) return E_INVALIDARG;
  view = {view.x / length, view.y / length, view.z / length};
  // The up vector made perpendicular to the view; along the view, y and then z stand in for it.
  D3dVector u = D3d_Sub_Scaled(up, D3d_Dot(up, view), view);
  if ((length = D3d_Length(u)) < kTiny) {
    u = D3d_Sub_Scaled({0, 1, 0}, view.y, view);
    if ((length = D3d_Length(u)) < kTiny) {
      u = D3d_Sub_Scaled({0, 0, 1}, view.z, view);
      if ((length = D3d_Length(u)) < kTiny) return E_INVALIDARG;
    }
  }
  u = {u.x / length, u.y / length, u.z / length};
  D3dVector right = D3d_Cross(u, view);
  D3d_Set_Identity(m);
  m->_11 = right.x, m->_21 = right.y, m->_31 = right.z;
  m->_12 = u.x, m->_22 = u.y, m->_32 = u.z;
  m->_13 = view.x, m->_23 = view.y, m->_33 = view.z;
  m->_41 = -D3d_Dot(eye, right);
  m->_42 = -D3d_Dot(eye, u);
  m->_43 = -D3d_Dot(eye, view);
  return D3D_OK;
}

u32 D3d_Set_Projection_Matrix(D3dMatrix* m, f32 fov, f32 aspect, f32 near_plane, f32 far_plane) {
  if (std::fabs(far_plane - near_plane) < 0.01f) return E_INVALIDARG;
  if (std::fabs(std::sin(fov / 2)) < 0.01f) return E_INVALIDARG;
  f32 w = std::cos(fov / 2) / std::sin(fov / 2);
  f32 q = far_plane / (far_plane - near_plane);
  memset(m, 0, sizeof *m);
  m->_11 = aspect * w;
  m->_22 = w;
  m->_33 = q;
  m->_34 = 1;
  m->_43 = -q * near_plane;
  return D3D_OK;
}

D3dMatrix* D3d_Set_Rotate_X(D3dMatrix* m, f32 angle) {
  f32 c = std::cos(angle), s = std::sin(angle);
  *m = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
  return m;
}

D3dMatrix* D3d_Set_Rotate_Y(D3dMatrix* m, f32 angle) {
  f32 c = std::cos(angle), s = std::sin(angle);
  *m = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  return m;
}

D3dMatrix* D3d_Set_Rotate_Z(D3dMatrix* m, f32 angle) {
  f32 c = std::cos(angle), s = std::sin(angle);
  *m = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  return m;
}

D3dMatrix* D3d_Set_Rotation_Matrix(D3dMatrix* m, const D3dVector& axis, f32 angle) {
  D3dVector v;
  Plat_Vec3_Normalize(&v, &axis);
  f32 c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  *m = {v.x * v.x * t + c,       v.x * v.y * t - v.z * s, v.x * v.z * t + v.y * s, 0,
        v.y * v.x * t + v.z * s, v.y * v.y * t + c,       v.y * v.z * t - v.x * s, 0,
        v.z * v.x * t - v.y * s, v.z * v.y * t + v.x * s, v.z * v.z * t + c,       0,
        0,                       0,                       0,                       1};
  return m;
}

void D3d_Set_Identity(D3dMatrix* m) { *m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }
void D3d_Vector_Set(D3dVector* v, f32 x, f32 y, f32 z) { *v = {x, y, z}; }
f32 D3d_Dot(const D3dVector& a, const D3dVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3dVector D3d_Cross(const D3dVector& a, const D3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

u32 FormatInfo::Describe(u32 format, FormatDesc* desc) const {
  if (!desc) return 0;
  const FormatRow* row = &kUnknownFormat;
  for (const FormatRow& r : kFormats)
    if (r.format == format) row = &r;
  *desc = {format,
           Plat_Mask_Shift(row->red_mask),
           Plat_Mask_Shift(row->green_mask),
           Plat_Mask_Shift(row->blue_mask),
           Plat_Mask_Shift(row->alpha_mask),
           row->alpha_mask,
           row->red_mask,
           row->green_mask,
           row->blue_mask,
           row->alpha_max,
           row->red_max,
           row->green_max,
           row->blue_max,
           row->bits};
  return row == &kUnknownFormat ? SURFACE_BAD_FORMAT : SURFACE_DONE;
}

OffscreenSurface::~OffscreenSurface() { Release_Surface(); }

void OffscreenSurface::Release_Surface(void) {
  Plat_Surface_Release(surface);
  surface = nullptr;
}

u32 OffscreenSurface::Set_Device(PlatDevice* new_device) {
  if (!new_device) return SURFACE_NO_DEVICE;
  device = new_device;
  return SURFACE_DONE;
}

u32 OffscreenSurface::Create(u32 w, u32 h, u32 f) {
  if (!device) return SURFACE_NO_DEVICE;
  // A surface held before is released, not leaked.
  Release_Surface();
  surface = Plat_Create_Offscreen_Surface(device, w, h, f, PLAT_POOL_DEFAULT);
  if (!surface) return SURFACE_FAILED;
  width = w, height = h, format = f;
  return SURFACE_DONE;
}

u32 OffscreenSurface::Load_From_File(const char* name, u32 f) {
  if (!device) return SURFACE_NO_DEVICE;
  PlatSurface* temporary = Plat_Create_Offscreen_Surface(device, 256, 256, f, PLAT_POOL_SCRATCH);
  if (!temporary) return SURFACE_FAILED;
  if (!Plat_Load_Surface_From_File(temporary, name, PLAT_FILTER_LINEAR, 0xFF000000)) {
    Plat_Surface_Release(temporary);
    return SURFACE_FAILED;
  }
  Release_Surface();
  surface = Plat_Create_Offscreen_Surface(device, 256, 256, f, PLAT_POOL_SCRATCH);
  if (!surface) {
    Plat_Surface_Release(temporary);
    return SURFACE_FAILED;
  }
  bool copied = Plat_Load_Surface_From_Surface(surface, temporary, PLAT_FILTER_LINEAR, 0);
  Plat_Surface_Release(temporary);
  if (!copied) {
    Release_Surface();
    return SURFACE_FAILED;
  }
  width = 256, height = 256, format = f;
  return SURFACE_DONE;
}

u32 OffscreenSurface::Copy_To(PlatSurface* dest, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
  if (!device || !surface) return SURFACE_NO_DEVICE;
  if (!dest) return SURFACE_FAILED;
  left = D3d_Clamp(left, 0, i32(width));
  top = D3d_Clamp(top, 0, i32(height));
  right = D3d_Clamp(right, left, i32(width));
  bottom = D3d_Clamp(bottom, top, i32(height));
  u32 dest_format, dest_width, dest_height;
  Plat_Surface_Get_Desc(dest, &dest_format, &dest_width, &dest_height);
  // Clipping at the destination's left or top edge shortens the copy, which still starts at the
  // source rectangle's corner; in 64 bits, so a position far outside cannot wrap.
  i64 w = right - left, h = bottom - top, sx = left, sy = top, dx = x, dy = y;
  if (dx < 0) w += dx, dx = 0;
  if (dy < 0) h += dy, dy = 0;
  if (dx + w > i64(dest_width)) w = i64(dest_width) - dx;
  if (dy + h > i64(dest_height)) h = i64(dest_height) - dy;
  if (w <= 0 || h <= 0) return SURFACE_DONE;
  FormatDesc from, to;
  u32 result = info.Describe(format, &from);
  if (result != SURFACE_DONE) return result;
  if ((result = info.Describe(dest_format, &to)) != SURFACE_DONE) return result;
  u8 *src_bits, *dst_bits;
  u32 src_pitch, dst_pitch;
  PlatRect src_rect = {i32(sx), i32(sy), i32(sx + w), i32(sy + h)};
  PlatRect dst_rect = {i32(dx), i32(dy), i32(dx + w), i32(dy + h)};
  if (!Plat_Surface_Lock(surface, &src_rect, PLAT_LOCK_READONLY, &src_bits, &src_pitch)) return SURFACE_FAILED;
  if (!Plat_Surface_Lock(dest, &dst_rect, 0, &dst_bits, &dst_pitch)) {
    Plat_Surface_Unlock(surface);
    return SURFACE_FAILED;
  }
  const u32 src_masks[4] = {from.red_mask, from.green_mask, from.blue_mask, from.alpha_mask};
  const u32 src_shifts[4] = {from.red_shift, from.green_shift, from.blue_shift, from.alpha_shift};
  const u32 src_max[4] = {from.red_max, from.green_max, from.blue_max, from.alpha_max};
  const u32 dst_masks[4] = {to.red_mask, to.green_mask, to.blue_mask, to.alpha_mask};
  const u32 dst_shifts[4] = {to.red_shift, to.green_shift, to.blue_shift, to.alpha_shift};
  const u32 dst_max[4] = {to.red_max, to.green_max, to.blue_max, to.alpha_max};
  bool convert = format != dest_format;
  for (i64 row = 0; row < h; row++) {
    const u8* s = src_bits + size_t(row) * src_pitch;
    u8* d = dst_bits + size_t(row) * dst_pitch;
    for (i64 col = 0; col < w; col++, s += from.bits / 8, d += to.bits / 8) {
      if (from.bits < 16) continue;
      u32 pixel = Plat_Read_Pixel(s, from.bits), out = 0;
      for (u32 c = 0; c < 4; c++) {
        u32 channel = (pixel & src_masks[c]) >> src_shifts[c];
        // channel / source maximum x destination maximum, truncated, in exact integers.
        if (convert) channel = src_max[c] ? u32(u64(channel) * dst_max[c] / src_max[c]) : 0;
        out += (channel << dst_shifts[c]) & dst_masks[c];
      }
      if (to.bits >= 16) Plat_Write_Pixel(d, to.bits, out);
    }
  }
  Plat_Surface_Unlock(dest);
  Plat_Surface_Unlock(surface);
  return SURFACE_DONE;
}
