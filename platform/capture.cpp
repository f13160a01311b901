// Capture of presented frames: chosen frames as PNG pictures (libpng), the show as an AVI through Avi_.
#include "platform/capture.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/avi.h"

namespace {
const u32 kMaxListed = 256;
bool capture_started = false;
bool capture_failed = false;  // a bad setting is reported once and capture stays off
u32 capture_list[kMaxListed];
u32 capture_count = 0;
u32 capture_every = 0;
bool capture_avi_open = false;
bool capture_exit_hooked = false;

bool Capture_Start(void) {
  const PlatConfig& config = Plat_Get_Config();
  capture_started = true;
  if (config.dump_dir[0] &&
      !Plat_Capture_Parse_Frames(config.dump_frames, capture_list, &capture_count, kMaxListed, &capture_every)) {
    fprintf(stderr, "Plat: bad VELMORAN_DUMP_FRAMES \"%s\"\n", config.dump_frames);
    capture_failed = true;
  }
  if (!capture_exit_hooked) {
    atexit(Plat_Capture_Stop);
    capture_exit_hooked = true;
  }
  return !capture_failed;
}

bool Capture_Wanted(u32 frame) {
  if (capture_every) return frame % capture_every == 0;
  for (u32 i = 0; i < capture_count; i++)
    if (capture_list[i] == frame) return true;
  return false;
}

void Capture_Avi(u32 frame, const u32* pixels, u32 width, u32 height) {
  const PlatConfig& config = Plat_Get_Config();
  u32 every = config.avi_every ? config.avi_every : 1;
  if ((frame - 1) % every != 0) return;
  if (!capture_avi_open) {
    u32 rate = (config.fps + every / 2) / every;
    if (Avi_Open(config.avi, 0, rate ? rate : 1, 0, i32(width), i32(height)) != AVI_OK) {
      fprintf(stderr, "Plat: cannot write %s\n", config.avi);
      capture_failed = true;
      return;
    }
    capture_avi_open = true;
  }
  if (Avi_Write_Frame(pixels, width * 4) != AVI_OK) {
    fprintf(stderr, "Plat: AVI capture of %s stopped at frame %u\n", config.avi, frame);
    capture_avi_open = false;
  }
}
}  // namespace

bool Plat_Capture_Parse_Frames(const char* text, u32* list, u32* count, u32 capacity, u32* every) {
  *count = 0;
  *every = 0;
  if (!text || !*text) {
    *every = 1;  // no choice: every frame
    return true;
  }
  if (strncmp(text, "every:", 6) == 0) {
    char* end;
    unsigned long n = strtoul(text + 6, &end, 10);
    if (*end || n == 0 || n > 0xFFFFFFFFul) return false;
    *every = u32(n);
    return true;
  }
  while (*text) {
    char* end;
    unsigned long n = strtoul(text, &end, 10);
    if (end == text || n > 0xFFFFFFFFul || *count >= capacity || (*end && *end != ',')) return false;
    list[(*count)++] = u32(n);
    text = *end ? end + 1 : end;
  }
  return *count > 0;
}

bool Plat_Write_Png(const char* name, const u32* pixels, u32 width, u32 height) {
  FILE* f = fopen(name, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<u8> row(size_t(width) * 3);
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (u32 y = 0; y < height; y++) {
      const u32* in = pixels + size_t(y) * width;
      for (u32 x = 0; x < width; x++) {
        row[3 * x] = u8(in[x] >> 16);
        row[3 * x + 1] = u8(in[x] >> 8);
        row[3 * x + 2] = u8(in[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return fclose(f) == 0 && ok;
}

void Plat_Capture_Frame(u32 frame, const u32* pixels, u32 width, u32 height) {
  const PlatConfig& config = Plat_Get_Config();
  if (!config.dump_dir[0] && !config.avi[0]) return;
  if (!capture_started && !Capture_Start()) return;
  if (capture_failed || !pixels || width == 0 || height == 0) return;
  if (config.dump_dir[0] && Capture_Wanted(frame)) {
    char name[512];
    snprintf(name, sizeof name, "%s/frame%06u.png", config.dump_dir, frame);
    if (!Plat_Write_Png(name, pixels, width, height)) fprintf(stderr, "Plat: cannot write %s\n", name);
  }
  if (config.avi[0]) Capture_Avi(frame, pixels, width, height);
}

void Plat_Capture_Stop(void) {
  if (capture_avi_open) Avi_Close();
  capture_avi_open = false;
  capture_started = false;
  capture_failed = false;
}
