// Stand-ins for the Direct3D 9 surface calls and the D3DX helpers the host's surface utilities use:
// offscreen surfaces in memory, vector normalisation, and loading surfaces from files or surfaces.
#pragma once
#include "runtime/types.h"

// Surface formats by their Direct3D numbers.
enum : u32 {
  PLAT_FMT_R8G8B8 = 20,
  PLAT_FMT_A8R8G8B8 = 21,
  PLAT_FMT_X8R8G8B8 = 22,
  PLAT_FMT_R5G6B5 = 23,
  PLAT_FMT_X1R5G5B5 = 24,
  PLAT_FMT_A1R5G5B5 = 25,
  PLAT_FMT_A4R4G4B4 = 26,
  PLAT_FMT_A2B10G10R10 = 31,
};
enum : u32 { PLAT_POOL_DEFAULT = 0, PLAT_POOL_SCRATCH = 3 };
enum : u32 { PLAT_LOCK_READONLY = 0x10 };
// Filters by their D3DX numbers, which reach D3DX unchanged (1 none, 2 point, 3 linear).
enum : u32 { PLAT_FILTER_NONE = 1, PLAT_FILTER_POINT = 2, PLAT_FILTER_LINEAR = 3 };

// The position of a channel mask's lowest set bit; 0 for an empty mask.
inline u32 Plat_Mask_Shift(u32 mask) {
  u32 s = 0;
  while (mask && !(mask & 1)) mask >>= 1, s++;
  return s;
}
// A little-endian pixel of 16, 24 or 32 bits.
inline u32 Plat_Read_Pixel(const u8* p, u32 bits) {
  if (bits == 16) return u32(p[0]) | u32(p[1]) << 8;
  if (bits == 24) return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16;
  return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
}
inline void Plat_Write_Pixel(u8* p, u32 bits, u32 v) {
  for (u32 i = 0; i < bits / 8; i++) p[i] = u8(v >> (8 * i));
}

struct PlatVec3 {
  f32 x, y, z;
};

struct PlatRect {
  i32 left, top, right, bottom;
};

struct PlatDevice;   // makes surfaces
struct PlatSurface;  // width x height pixels of one format, rows pitch bytes apart

PlatDevice* Plat_Create_Device(void);
void Plat_Release_Device(PlatDevice* device);
// Null for a size of 0 or a format outside the eight above.
PlatSurface* Plat_Create_Offscreen_Surface(PlatDevice* device, u32 width, u32 height, u32 format, u32 pool);
void Plat_Surface_Release(PlatSurface* surface);
void Plat_Surface_Get_Desc(const PlatSurface* surface, u32* format, u32* width, u32* height);
// Locks a rectangle (null: all): bits point at its top-left pixel. False for an empty, inverted or
// outside rectangle, or a surface already locked.
bool Plat_Surface_Lock(PlatSurface* surface, const PlatRect* rect, u32 flags, u8** bits, u32* pitch);
void Plat_Surface_Unlock(PlatSurface* surface);
u32 Plat_Surfaces_Live(void);  // surfaces not yet released

// The vector scaled to length 1; a zero vector stays zero.
PlatVec3* Plat_Vec3_Normalize(PlatVec3* out, const PlatVec3* in);

// Loads a PNG picture (up to 4096 x 4096) into the whole surface: scaled bilinearly to its size, pixels equal to the
// colour key (0xAARRGGBB, 0: none) made transparent black, converted into the surface's format.
bool Plat_Load_Surface_From_File(PlatSurface* dest, const char* name, u32 filter, u32 colour_key);
// The same from another surface.
bool Plat_Load_Surface_From_Surface(PlatSurface* dest, PlatSurface* source, u32 filter, u32 colour_key);
