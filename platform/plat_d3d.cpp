// Direct3D surface stand-ins: surfaces in memory, PNG loading through libpng, bilinear scaling and
// channel conversion between the eight surface formats.
#include "platform/plat_d3d.h"

#include <png.h>

#include <cmath>
#include <cstring>
#include <vector>

struct PlatDevice {
  u32 unused;
};

struct PlatSurface {
  u32 format, width, height, pitch, bytes_per_pixel;
  bool locked;
  std::vector<u8> bytes;
};

namespace {
u32 sf_live = 0;

struct Layout {
  u32 format, bits, a, r, g, b;  // masks
};
const Layout kLayouts[] = {
    {PLAT_FMT_R8G8B8, 24, 0, 0xFF0000, 0xFF00, 0xFF},
    {PLAT_FMT_A8R8G8B8, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF},
    {PLAT_FMT_X8R8G8B8, 32, 0, 0xFF0000, 0xFF00, 0xFF},
    {PLAT_FMT_R5G6B5, 16, 0, 0xF800, 0x7E0, 0x1F},
    {PLAT_FMT_X1R5G5B5, 16, 0, 0x7C00, 0x3E0, 0x1F},
    {PLAT_FMT_A1R5G5B5, 16, 0x8000, 0x7C00, 0x3E0, 0x1F},
    {PLAT_FMT_A4R4G4B4, 16, 0xF000, 0xF00, 0xF0, 0xF},
    {PLAT_FMT_A2B10G10R10, 32, 0xC0000000, 0x3FF, 0xFFC00, 0x3FF00000},
};

const Layout* Sf_Layout(u32 format) {
  for (const Layout& l : kLayouts)
    if (l.format == format) return &l;
  return nullptr;
}

// One channel of 0..255 from a packed pixel; a missing alpha channel reads as opaque.
u32 Sf_Get8(u32 pixel, u32 mask, u32 missing) {
  if (!mask) return missing;
  u32 max = mask >> Plat_Mask_Shift(mask);
  return (((pixel & mask) >> Plat_Mask_Shift(mask)) * 255 + max / 2) / max;
}

u32 Sf_Put8(u32 value, u32 mask) {
  if (!mask) return 0;
  u32 max = mask >> Plat_Mask_Shift(mask);
  return (((value * max + 127) / 255) << Plat_Mask_Shift(mask)) & mask;
}

// Scales 0xAARRGGBB pixels bilinearly (pixel centres matched, edges clamped), keys them, and
// writes them into the surface's format.
bool Sf_Store(PlatSurface* dest, const std::vector<u32>& argb, u32 sw, u32 sh, u32 colour_key) {
  if (!dest || dest->locked || sw == 0 || sh == 0) return false;
  const Layout* l = Sf_Layout(dest->format);
  std::vector<u32> keyed(argb);
  if (colour_key)
    for (u32& p : keyed)
      if (p == colour_key) p = 0;
  for (u32 y = 0; y < dest->height; y++) {
    f32 fy = std::fmin(std::fmax((f32(y) + 0.5f) * f32(sh) / f32(dest->height) - 0.5f, 0.0f), f32(sh - 1));
    u32 y0 = u32(fy), y1 = y0 + 1 < sh ? y0 + 1 : y0;
    f32 ty = fy - f32(y0);
    for (u32 x = 0; x < dest->width; x++) {
      f32 fx = std::fmin(std::fmax((f32(x) + 0.5f) * f32(sw) / f32(dest->width) - 0.5f, 0.0f), f32(sw - 1));
      u32 x0 = u32(fx), x1 = x0 + 1 < sw ? x0 + 1 : x0;
      f32 tx = fx - f32(x0);
      u32 out = 0;
      const u32 masks[4] = {l->b, l->g, l->r, l->a};
      for (u32 c = 0; c < 4; c++) {
        auto ch = [&](u32 px, u32 py) { return f32((keyed[size_t(py) * sw + px] >> (8 * c)) & 0xFF); };
        f32 top = ch(x0, y0) + (ch(x1, y0) - ch(x0, y0)) * tx;
        f32 bottom = ch(x0, y1) + (ch(x1, y1) - ch(x0, y1)) * tx;
        out |= Sf_Put8(u32(top + (bottom - top) * ty + 0.5f), masks[c]);
      }
      Plat_Write_Pixel(&dest->bytes[size_t(y) * dest->pitch + size_t(x) * dest->bytes_per_pixel], l->bits, out);
    }
  }
  return true;
}
}  // namespace

PlatDevice* Plat_Create_Device(void) { return new PlatDevice{0}; }
void Plat_Release_Device(PlatDevice* device) { delete device; }

PlatSurface* Plat_Create_Offscreen_Surface(PlatDevice* device, u32 width, u32 height, u32 format, u32 pool) {
  const Layout* l = Sf_Layout(format);
  if (!device || !l || width == 0 || height == 0 || width > 16384 || height > 16384) return nullptr;
  if (pool != PLAT_POOL_DEFAULT && pool != PLAT_POOL_SCRATCH) return nullptr;
  PlatSurface* s = new PlatSurface;
  s->format = format;
  s->width = width;
  s->height = height;
  s->bytes_per_pixel = l->bits / 8;
  s->pitch = (width * s->bytes_per_pixel + 3) & ~3u;
  s->locked = false;
  s->bytes.assign(size_t(s->pitch) * height, 0);
  sf_live++;
  return s;
}

void Plat_Surface_Release(PlatSurface* surface) {
  if (!surface) return;
  sf_live--;
  delete surface;
}

void Plat_Surface_Get_Desc(const PlatSurface* s, u32* format, u32* width, u32* height) {
  *format = s->format;
  *width = s->width;
  *height = s->height;
}

bool Plat_Surface_Lock(PlatSurface* s, const PlatRect* rect, u32, u8** bits, u32* pitch) {
  PlatRect r = rect ? *rect : PlatRect{0, 0, i32(s->width), i32(s->height)};
  if (s->locked || r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom ||
      r.right > i32(s->width) || r.bottom > i32(s->height))
    return false;
  s->locked = true;
  *bits = &s->bytes[size_t(r.top) * s->pitch + size_t(r.left) * s->bytes_per_pixel];
  *pitch = s->pitch;
  return true;
}

void Plat_Surface_Unlock(PlatSurface* s) { s->locked = false; }
u32 Plat_Surfaces_Live(void) { return sf_live; }

PlatVec3* Plat_Vec3_Normalize(PlatVec3* out, const PlatVec3* in) {
  f32 length = std::sqrt(in->x * in->x + in->y * in->y + in->z * in->z);
  if (length == 0) {
    *out = {0, 0, 0};
    return out;
  }
  *out = {in->x / length, in->y / length, in->z / length};
  return out;
}

bool Plat_Load_Surface_From_File(PlatSurface* dest, const char* name, u32, u32 colour_key) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, name)) return false;
  // Bytes B, G, R, A: little-endian 0xAARRGGBB words.
  image.format = PNG_FORMAT_BGRA;
  if (image.width == 0 || image.height == 0 || image.width > 4096 || image.height > 4096) {
    png_image_free(&image);
    return false;
  }
  std::vector<u32> pixels(size_t(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  for (u32& p : pixels) {
    const u8* b = reinterpret_cast<const u8*>(&p);
    p = u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24;
  }
  return Sf_Store(dest, pixels, image.width, image.height, colour_key);
}

bool Plat_Load_Surface_From_Surface(PlatSurface* dest, PlatSurface* source, u32, u32 colour_key) {
  if (!source || source->locked || source == dest) return false;
  const Layout* l = Sf_Layout(source->format);
  std::vector<u32> pixels(size_t(source->width) * source->height);
  for (u32 y = 0; y < source->height; y++)
    for (u32 x = 0; x < source->width; x++) {
      u32 p = Plat_Read_Pixel(&source->bytes[size_t(y) * source->pitch + size_t(x) * source->bytes_per_pixel], l->bits);
      pixels[size_t(y) * source->width + x] = Sf_Get8(p, l->a, 255) << 24 | Sf_Get8(p, l->r, 0) << 16 |
                                              Sf_Get8(p, l->g, 0) << 8 | Sf_Get8(p, l->b, 0);
    }
  return Sf_Store(dest, pixels, source->width, source->height, colour_key);
}
