// PCX pictures: run-length decoding into 8-bit or 32-bit pixel blocks, and the screenshot writer.
#include "video/pcx.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "video/picture.h"

namespace {
const u64 kPcxMaxPixelBytes = 64u << 20;  // no picture of the show comes near it
const u32 kPcxPaletteBytes = 768;

PcxPicture pcx_global;
u32 pcx_prefix = 0;  // bytes reserved in front of the pixels (8 while Pcx_Load_Bitmap runs)

u32 Pcx_Bytes_Per_Pixel(const PcxPicture* picture) { return picture->header.colour_planes == 4 ? 4 : 1; }

// The pixel index of (x, y), checked against the picture's width and its pixel block.
u32 Pcx_Checked_Index(const PcxPicture* picture, i32 x, i32 y) {
  u32 width = picture->header.hres;
  if (!picture->pixels || x < 0 || y < 0 || u32(x) >= width) Err_Error("Pcx: Pixel outside the picture");
  u64 index = u64(u32(y)) * width + u32(x);
  if ((index + 1) * Pcx_Bytes_Per_Pixel(picture) > Mem_Get_Size(picture->pixels))
    Err_Error("Pcx: Pixel outside the picture");
  return u32(index);
}

// Checks that the whole rectangle lies inside the picture.
void Pcx_Check_Rect(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h) {
  if (w < 0 || h < 0 || (w > 0 && u64(u32(x)) + u32(w) > picture->header.hres)) Err_Error("Pcx: Cut outside the picture");
  if (w > 0 && h > 0) {
    Pcx_Checked_Index(picture, x, y);
    // The last row is found in 64 bits: a rectangle below the largest row number must not wrap.
    if (i64(y) + h - 1 > INT32_MAX) Err_Error("Pcx: Cut outside the picture");
    Pcx_Checked_Index(picture, x + w - 1, y + h - 1);
  }
}
}  // namespace

const char* Pcx_Decode(const u8* data, u32 size, const char* name, u32 prefix, PcxPicture* picture) {
  if (!data || size < sizeof(PcxHeader)) return "Pcx: Unknown PCX format: ";
  PcxHeader h;
  memcpy(&h, data, sizeof h);
  if (h.manufacturer != 10 || h.version > 5 || h.encoding != 1) return "Pcx: Unknown PCX format: ";
  // Sizes in 16-bit arithmetic; any plane count but 3 is read as one plane of byte pixels, whatever its
  // bits per pixel say.
  u32 width = u16(h.xmax - h.xmin + 1), height = u16(h.ymax - h.ymin + 1);
  u32 planes = h.colour_planes == 3 ? 3 : 1;
  u32 pixel_bytes = planes == 3 ? 4 : 1;
  u64 block = u64(width) * height * pixel_bytes;
  if (width == 0 || height == 0 || block > kPcxMaxPixelBytes) return "Pcx: Bad picture size: ";

  u8* pixels = static_cast<u8*>(Mem_Alloc_Guarded(u32(prefix + block), kVbePictureGuardBytes));
  u8* out = pixels + prefix;
  u8 order[3] = {vbe_screen.color_order[0], vbe_screen.color_order[1], vbe_screen.color_order[2]};
  u8 spare = vbe_screen.color_order[3];
  // One continuous stream of width x height x planes bytes: runs may cross row ends, and a run that
  // crosses the picture's end is cut there. Bytes past the file's end read as 0: files of 1 or 4 bits a
  // pixel hold fewer bytes than their picture has pixels, and load with the rest zero.
  auto next = [&](u32* at) -> u8 { return *at < size ? data[(*at)++] : 0; };
  u32 at = sizeof h;
  u32 run = 0;
  u8 value = 0;
  for (u32 y = 0; y < height; y++) {
    for (u32 p = 0; p < planes; p++) {
      for (u32 x = 0; x < width; x++) {
        if (run == 0) {
          u8 b = next(&at);
          if (b >= 192) {
            run = (b & 63) ? (b & 63) : 256;  // a count of 0 stands for 256
            value = next(&at);
          } else {
            run = 1;
            value = b;
          }
        }
        run--;
        if (planes == 1) {
          out[size_t(y) * width + x] = value;
        } else {
          u8* pixel = out + (size_t(y) * width + x) * 4;
          pixel[order[p] & 3] = value;
          if (p == 2) pixel[spare & 3] = 0;
        }
      }
    }
  }
  // The palette is the file's last 768 bytes. In a shorter file the position 768 bytes before the end
  // wraps past the end, as an unsigned file position does, so the palette reads as 0.
  if (planes == 1)
    for (u32 i = 0; i < kPcxPaletteBytes; i++)
      picture->palette[i] = size >= kPcxPaletteBytes ? data[size - kPcxPaletteBytes + i] >> 2 : 0;
  h.hres = u16(width);
  h.vres = u16(height);
  if (planes == 3) h.colour_planes = 4;
  // Planes 4 marks 32-bit pixels: a file that gave 4 was read as bytes and must not be read as words.
  else if (h.colour_planes == 4) h.colour_planes = 1;
  picture->header = h;
  picture->pixels = pixels;
  Mem_Set_Description(pixels, "Pcx: ");
  Mem_Set_Description(pixels, name ? name : "");
  return nullptr;
}

void Pcx_Load(const char* name, PcxPicture* picture) {
  if (!File_Is_Initialised()) File_Init();
  File_Open(name);
  u32 size = File_Size();
  if (size < sizeof(PcxHeader)) {
    File_Close();
    Err_Error("Pcx: Unknown PCX format: %s", name);
  }
  u8* buffer = static_cast<u8*>(Mem_Alloc(size));
  Mem_Set_Description(buffer, "Pcx: Read buffer");
  u32 got = File_Read(buffer, size);
  File_Close();
  const char* error = got == size ? Pcx_Decode(buffer, size, name, pcx_prefix, picture)
                                  : "Pcx: Picture data runs past the end of the file: ";
  Mem_Free(buffer);
  if (error) Err_Error("%s%s", error, name);
}

u8* Pcx_Load_Global(const char* name) {
  Pcx_Load(name, &pcx_global);
  return pcx_global.pixels;
}

const PcxPicture* Pcx_Global(void) { return &pcx_global; }

u32* Pcx_Load_Global_Rgb(const char* name, u32 width, u32 height) {
  u8* pixels = Pcx_Load_Global(name);
  const PcxHeader& h = pcx_global.header;
  if (h.colour_planes != 4 || h.hres < width || h.vres < height) return nullptr;
  return reinterpret_cast<u32*>(pixels);
}

cbitmap* Pcx_Load_Bitmap(const char* name) {
  PcxPicture picture;
  pcx_prefix = sizeof(cbitmap);
  Pcx_Load(name, &picture);
  pcx_prefix = 0;
  // The block's pixels are read as 32-bit words, so an 8-bit picture would be read four times over.
  if (picture.header.colour_planes != 4) {
    Pcx_Free(&picture);
    Err_Error("Pcx: Not a 24-bit picture: %s", name);
  }
  cbitmap* bitmap = reinterpret_cast<cbitmap*>(picture.pixels);
  bitmap->width = picture.header.hres;
  bitmap->height = picture.header.vres;
  return bitmap;
}

void Pcx_Free(PcxPicture* picture) {
  if (picture->pixels) Mem_Free(picture->pixels);
  picture->pixels = nullptr;
}

u32 Pcx_Get_Pixel(const PcxPicture* picture, i32 x, i32 y) {
  u32 index = Pcx_Checked_Index(picture, x, y);
  if (picture->header.colour_planes == 4) {
    u32 pixel;
    memcpy(&pixel, picture->pixels + size_t(index) * 4, 4);
    return pixel;
  }
  return picture->pixels[index];
}

cbitmap* Pcx_Cut_Bitmap(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h) {
  Pcx_Check_Rect(picture, x, y, w, h);
  cbitmap* bitmap = Vbe_New_Bitmap(u32(w), u32(h));
  u32* out = Vbe_Bitmap_Pixels(bitmap);
  for (i32 j = 0; j < h; j++)
    for (i32 i = 0; i < w; i++) *out++ = Pcx_Get_Pixel(picture, x + i, y + j);
  return bitmap;
}

void Pcx_Cut_Into(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h, void* destination) {
  Pcx_Check_Rect(picture, x, y, w, h);
  // The destination may sit at any byte: the two size words are stored bytewise.
  u32 size[2] = {u32(w), u32(h)};
  memcpy(destination, size, sizeof size);
  bool words = picture->header.colour_planes == 4;
  u8* out = static_cast<u8*>(destination) + sizeof size;
  for (i32 j = 0; j < h; j++)
    for (i32 i = 0; i < w; i++) {
      u32 pixel = Pcx_Get_Pixel(picture, x + i, y + j);
      if (words) {
        memcpy(out, &pixel, 4);
        out += 4;
      } else {
        *out++ = u8(pixel);
      }
    }
}

void Pcx_Show_Info(const PcxPicture* picture) {
  printf("Pcx: Show_Info()\n");
  printf("bits_per_pixel: \t %d\n", picture->header.bits_per_pixel);
  printf("color_planes:   \t %d\n", picture->header.colour_planes);
  printf("hres:           \t %d\n", picture->header.hres);
  printf("vres:           \t %d\n", picture->header.vres);
}

i32 Pcx_Save(const void* pixels, i32 width, i32 height, i32 bits_per_pixel, const char* name) {
  // Only 8-bit pictures and 32-bit pixels (24 and 32) can be written; nothing is created otherwise.
  if (!pixels || !name || width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF) return PCX_SAVE_CANNOT_OPEN;
  if (bits_per_pixel != 8 && bits_per_pixel != 24 && bits_per_pixel != 32) return PCX_SAVE_CANNOT_OPEN;
  FILE* f = fopen(name, "wb");
  if (!f) return PCX_SAVE_CANNOT_OPEN;
  u32 planes = bits_per_pixel == 8 ? 1 : 3;
  PcxHeader h = {};
  h.manufacturer = 10;
  h.version = 5;
  h.encoding = 1;
  h.bits_per_pixel = 8;
  h.xmax = u16(width - 1);
  h.ymax = u16(height - 1);
  h.hres = u16(width);
  h.vres = u16(height);
  h.colour_planes = u8(planes);
  h.bytes_per_line = u16(width);
  h.palette_info = planes == 1 ? 2 : 1;
  if (fwrite(&h, sizeof h, 1, f) != 1 || ferror(f)) {
    fclose(f);
    return PCX_SAVE_WRITE_ERROR;
  }
  const u8* source = static_cast<const u8*>(pixels);
  const u8* order = vbe_screen.color_order;
  u32 n = u32(width) * planes;
  std::vector<u8> line(n);
  for (u32 y = 0; y < u32(height); y++) {
    if (planes == 1) {
      memcpy(line.data(), source + size_t(y) * u32(width), u32(width));
    } else {
      const u8* row = source + size_t(y) * u32(width) * 4;
      for (u32 x = 0; x < u32(width); x++)
        for (u32 p = 0; p < 3; p++) line[p * u32(width) + x] = row[x * 4 + (order[p] & 3)];
    }
    for (u32 i = 0; i < n;) {
      u8 c = line[i];
      u32 run = 1;
      while (i + run < n && line[i + run] == c && run < 63) run++;
      if (run > 1 || c >= 192) fputc(int(0xC0 | run), f);
      fputc(c, f);
      if (ferror(f)) {
        fclose(f);
        return PCX_SAVE_WRITE_ERROR;
      }
      i += run;
    }
  }
  if (planes == 1) {
    // The picture's own colours are not known here: a grey ramp stands in.
    fputc(12, f);
    for (u32 i = 0; i < 256; i++)
      for (u32 k = 0; k < 3; k++) fputc(int(i), f);
    if (ferror(f)) {
      fclose(f);
      return PCX_SAVE_WRITE_ERROR;
    }
  }
  if (fclose(f) != 0) return PCX_SAVE_WRITE_ERROR;
  return PCX_SAVE_OK;
}
