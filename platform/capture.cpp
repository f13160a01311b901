// Capture of presented frames: chosen frames as PNG pictures (libpng), the show as a video through the
// writer lent by the program.
#include "platform/capture.h"

#if __has_include(<png.h>)
#include <png.h>
#define PLAT_HAVE_PNG 1
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {
const size_t kEveryPrefixBytes = 6;  // "every:"
bool capture_started = false;
bool capture_failed = false;  // a bad setting is reported once and capture stays off
std::vector<u32> capture_list;
u32 capture_every = 0;
bool capture_exit_hooked = false;
bool capture_pictures_stopped = false;  // a picture failed: no more are written
const PlatVideoWriter* capture_writer = nullptr;
bool capture_video_open = false;
bool capture_video_stopped = false;  // the video failed: the show goes on without it
u32 capture_video_part = 0;          // 0: the name as given, then "name.1.avi", ...
u32 capture_video_frames = 0;        // frames in the open part
std::string capture_video_name;

bool Capture_Start(void) {
  const PlatConfig& config = Plat_Get_Config();
  capture_started = true;
  if (config.dump_dir[0] && !Plat_Capture_Parse_Frames(config.dump_frames.c_str(), &capture_list, &capture_every)) {
    fprintf(stderr, "Plat: bad VELMORAN_DUMP_FRAMES \"%s\"\n", config.dump_frames.c_str());
    capture_failed = true;
  }
  if (config.dump_dir[0] && !Plat_Capture_Make_Dir(config.dump_dir)) capture_failed = true;
  if (!capture_exit_hooked) {
    atexit(Plat_Capture_Stop);
    capture_exit_hooked = true;
  }
  return !capture_failed;
}

bool Capture_Wanted(u32 frame) {
  if (capture_every) return frame % capture_every == 0;
  for (u32 listed : capture_list)
    if (listed == frame) return true;
  return false;
}

bool Capture_Video_Open(u32 width, u32 height) {
  const PlatConfig& config = Plat_Get_Config();
  u32 every = config.avi_every ? config.avi_every : 1;
  u32 rate = (config.fps + every / 2) / every;
  capture_video_name = Plat_Capture_Part_Name(config.avi, capture_video_part);
  if (!capture_writer) {
    fprintf(stderr, "Plat: no video writer for %s\n", capture_video_name.c_str());
    capture_video_stopped = true;
    Plat_Note_Output_Failure();
    return false;
  }
  if (!capture_writer->open(capture_video_name.c_str(), rate ? rate : 1, width, height)) {
    fprintf(stderr, "Plat: cannot write %s\n", capture_video_name.c_str());
    capture_video_stopped = true;
    Plat_Note_Output_Failure();
    return false;
  }
  capture_video_open = true;
  capture_video_frames = 0;
  return true;
}

void Capture_Video(u32 frame, const u32* pixels, u32 width, u32 height) {
  const PlatConfig& config = Plat_Get_Config();
  u32 every = config.avi_every ? config.avi_every : 1;
  if ((frame - 1) % every != 0 || capture_video_stopped) return;
  if (!capture_video_open && !Capture_Video_Open(width, height)) return;
  PlatVideoWrite result = capture_writer->write(pixels, width, height);
  if (result == PLAT_VIDEO_FULL && capture_video_frames > 0) {
    // The full part was finished by the writer; the frame goes into the next part.
    capture_video_open = false;
    std::string full = capture_video_name;
    u32 kept = capture_video_frames;
    capture_video_part++;
    if (!Capture_Video_Open(width, height)) return;
    fprintf(stderr, "Plat: %s is full at %u frames; the capture goes on in %s\n", full.c_str(), kept,
            capture_video_name.c_str());
    result = capture_writer->write(pixels, width, height);
  }
  if (result == PLAT_VIDEO_WRITTEN) {
    capture_video_frames++;
    return;
  }
  capture_video_open = false;  // the writer closed the file
  if (result == PLAT_VIDEO_FULL)
    fprintf(stderr, "Plat: a frame of %ux%u does not fit in %s; the video capture stops\n", width, height,
            capture_video_name.c_str());
  else
    fprintf(stderr, "Plat: writing %s failed at frame %u; it keeps %u frame%s and the video capture stops\n",
            capture_video_name.c_str(), frame, capture_video_frames, capture_video_frames == 1 ? "" : "s");
  capture_video_stopped = true;
  Plat_Note_Output_Failure();
}

// One picture; a picture that cannot be written whole is removed and no more are written.
void Capture_Picture(u32 frame, const u32* pixels, u32 width, u32 height) {
  char number[16];
  snprintf(number, sizeof number, "%06u", frame);
  std::string name = std::string(Plat_Get_Config().dump_dir) + "/frame" + number + ".png";
  if (Plat_Write_Png(name.c_str(), pixels, width, height)) return;
  int why = errno;
  std::remove(name.c_str());
  fprintf(stderr, "Plat: cannot write %s (%s); no more pictures are written\n", name.c_str(),
          why ? strerror(why) : "unknown error");
  capture_pictures_stopped = true;
  Plat_Note_Output_Failure();
}
}  // namespace

void Plat_Capture_Set_Video_Writer(const PlatVideoWriter* writer) { capture_writer = writer; }

std::string Plat_Capture_Part_Name(const std::string& name, u32 part) {
  if (part == 0) return name;
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  bool has_extension = dot != std::string::npos && dot > base;  // a leading dot names, it does not extend
  std::string number = "." + std::to_string(part);
  return has_extension ? name.substr(0, dot) + number + name.substr(dot) : name + number;
}

bool Plat_Capture_Make_Dir(const char* path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (!error && std::filesystem::is_directory(path, error)) return true;
  fprintf(stderr, "Plat: cannot make the folder %s%s%s\n", path, error ? ": " : " (a file has that name)",
          error ? error.message().c_str() : "");
  return false;
}

bool Plat_Capture_Parse_Frames(const char* text, std::vector<u32>* list, u32* every) {
  list->clear();
  *every = 0;
  if (!text || !*text) {
    *every = 1;  // no choice: every frame
    return true;
  }
  // Frames are numbered from 1; every number is taken whole.
  u32 n = 0;
  if (strncmp(text, "every:", kEveryPrefixBytes) == 0) {
    const char* end = Plat_Parse_Digits(text + kEveryPrefixBytes, ~0u, &n);
    if (!end || *end || n == 0) return false;
    *every = n;
    return true;
  }
  while (*text) {
    text = Plat_Parse_Digits(text, ~0u, &n);
    if (!text || n == 0 || (*text && (*text != ',' || !text[1]))) return false;
    list->push_back(n);
    if (*text) text++;
  }
  return true;
}

#ifndef PLAT_HAVE_PNG
// Built without libpng (the Windows program): no pictures.
bool Plat_Write_Png(const char* name, const u32*, u32, u32) {
  fprintf(stderr, "Plat: %s: this program writes no PNG pictures\n", name);
  return false;
}
#else
// libpng's failures end the picture through its jump; the caller says what went wrong, once.
[[noreturn]] static void Capture_Png_Error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void Capture_Png_Warning(png_structp, png_const_charp) {}

bool Plat_Write_Png(const char* name, const u32* pixels, u32 width, u32 height) {
  errno = 0;
  FILE* f = fopen(name, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Capture_Png_Error, Capture_Png_Warning);
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
  int why = errno;  // the failed write's reason, kept past a close that succeeds
  bool closed = fclose(f) == 0;
  if (closed) errno = why;
  return closed && ok;
}
#endif

void Plat_Capture_Frame(u32 frame, const u32* pixels, u32 width, u32 height) {
  const PlatConfig& config = Plat_Get_Config();
  if (!config.dump_dir[0] && !config.avi[0]) return;
  if (!capture_started && !Capture_Start()) return;
  if (capture_failed || !pixels || width == 0 || height == 0) return;
  if (config.dump_dir[0] && !capture_pictures_stopped && Capture_Wanted(frame))
    Capture_Picture(frame, pixels, width, height);
  if (config.avi[0]) Capture_Video(frame, pixels, width, height);
}

void Plat_Capture_Stop(void) {
  if (capture_video_open) capture_writer->close();
  capture_video_open = false;
  capture_video_stopped = false;
  capture_video_part = 0;
  capture_started = false;
  capture_failed = false;
  capture_pictures_stopped = false;
}
