// PCX pictures: the reader of 8-bit palette and 24-bit three-plane pictures, and the writer.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

#pragma pack(push, 1)
// The 128-byte PCX file header, little-endian, as it lies in the file.
struct PcxHeader {
  u8 manufacturer;
  i8 version;
  u8 encoding;
  u8 bits_per_pixel;
  u16 xmin, ymin, xmax, ymax;
  u16 hres, vres;  // after a load: width and height
  u8 palette16[48];
  u8 reserved;
  u8 colour_planes;  // after a 24-bit load: 4
  u16 bytes_per_line;
  u16 palette_info;
  u8 filler[58];
};
#pragma pack(pop)
static_assert(sizeof(PcxHeader) == 128);

struct PcxPicture {
  PcxHeader header;
  u8* pixels;  // one byte per pixel (8-bit), or 32-bit pixels in the colour byte order (24-bit)
  u8 palette[768];  // 8-bit pictures: the file's palette, every value >> 2
};

// Results of Pcx_Save.
enum : i32 { PCX_SAVE_OK = 0, PCX_SAVE_CANNOT_OPEN = -1, PCX_SAVE_WRITE_ERROR = -4 };

void Pcx_Load(const char* name, PcxPicture* picture);
u8* Pcx_Load_Global(const char* name);
const PcxPicture* Pcx_Global(void);
// Pcx_Load_Global of a picture that must be 24-bit and at least width x height: its pixels, or
// nullptr when it is not such a picture (the caller names the fault).
u32* Pcx_Load_Global_Rgb(const char* name, u32 width, u32 height);
cbitmap* Pcx_Load_Bitmap(const char* name);
void Pcx_Free(PcxPicture* picture);
u32 Pcx_Get_Pixel(const PcxPicture* picture, i32 x, i32 y);
cbitmap* Pcx_Cut_Bitmap(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h);
void Pcx_Cut_Into(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h, void* destination);
void Pcx_Show_Info(const PcxPicture* picture);
i32 Pcx_Save(const void* pixels, i32 width, i32 height, i32 bits_per_pixel, const char* name);

// Decodes a whole PCX file held in memory into picture, with prefix bytes reserved in front of the
// pixels. Returns null, or the reason the file is refused (then nothing stays allocated).
const char* Pcx_Decode(const u8* data, u32 size, const char* name, u32 prefix, PcxPicture* picture);
