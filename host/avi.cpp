// AVI frame writer over the platform's AVIFile-like layer: bottom-up 24-bit frames, rows padded to 4 bytes.
#include "host/avi.h"

#include <vector>

#include "host/win.h"
#include "platform/avifile.h"

namespace {
PlatAviFile* avi_file = nullptr;
PlatAviStream* avi_stream = nullptr;
i32 avi_width = 0, avi_height = 0;
u32 avi_bits = 0;
u32 avi_frame_rate = 0;
u32 avi_frame_index = 0;
u32 avi_open = 0;
bool avi_full = false;  // the last frame was refused because the file reached its size limit
std::vector<u8> avi_buffer;  // one frame, reused

u32 Avi_Stride(void) { return (u32(avi_width) * 3 + 3) & ~3u; }
}  // namespace

i32 Avi_Open(const char* name, i32, u32 frame_rate, PlatWindow owner, i32 width, i32 height) {
  Avi_Close();
  avi_full = false;
  width &= ~1;
  if (!name || frame_rate == 0 || width <= 0 || height <= 0 || width > 32768 || height > 32768) return AVI_ERROR;
  avi_width = width;
  avi_height = height;
  avi_bits = 32;
  avi_frame_rate = frame_rate;
  if (Plat_Avi_File_Open(&avi_file, name) != PLAT_AVI_OK) return AVI_ERROR;
  PlatAviStreamInfo info = {{'v', 'i', 'd', 's'}, 0, 1, frame_rate, 0, 0xFFFFFFFFu, 0, 0, width, height};
  if (Plat_Avi_File_Create_Stream(avi_file, &avi_stream, &info, owner) != PLAT_AVI_OK) {
    Avi_Close();
    return AVI_ERROR;
  }
  PlatBitmapInfoHeader format = {};
  format.size = sizeof format;
  format.width = width;
  format.height = height;
  format.planes = 1;
  format.bit_count = 24;
  format.image_size = Avi_Stride() * u32(height);
  if (Plat_Avi_Stream_Set_Format(avi_stream, 0, &format, sizeof format) != PLAT_AVI_OK) {
    Avi_Close();
    return AVI_ERROR;
  }
  avi_buffer.assign(format.image_size, 0);
  avi_frame_index = 0;
  avi_open = 1;
  return AVI_OK;
}

i32 Avi_Write_Frame(const u32* pixels, u32 bytes_per_row) {
  avi_full = false;
  if (!avi_open) return AVI_ERROR;
  u32 pitch = bytes_per_row & 0xFFFF;
  if (!pixels || pitch < u32(avi_width) * 4 || pitch % 4 != 0) {
    Avi_Close();
    return AVI_ERROR;
  }
  // Bottom-up rows of blue, green, red bytes; the padding at each row's end stays zero.
  u32 stride = Avi_Stride();
  for (i32 y = 0; y < avi_height; y++) {
    const u32* row = pixels + size_t(avi_height - 1 - y) * (pitch / 4);
    u8* out = avi_buffer.data() + size_t(y) * stride;
    for (i32 x = 0; x < avi_width; x++) {
      u32 p = row[x];
      out[3 * x + 0] = u8(p);
      out[3 * x + 1] = u8(p >> 8);
      out[3 * x + 2] = u8(p >> 16);
    }
  }
  i32 written = Plat_Avi_Stream_Write(avi_stream, i32(avi_frame_index), 1, avi_buffer.data(), u32(avi_buffer.size()), 0);
  if (written != PLAT_AVI_OK) {
    Avi_Close();
    avi_full = written == PLAT_AVI_FULL;
    return AVI_ERROR;
  }
  avi_frame_index++;
  return AVI_OK;
}

void Avi_Close(void) {
  if (avi_stream) Plat_Avi_Stream_Release(avi_stream);
  avi_stream = nullptr;
  if (avi_file) Plat_Avi_File_Release(avi_file);
  avi_file = nullptr;
  avi_open = 0;
  avi_buffer.clear();
  avi_buffer.shrink_to_fit();
}

bool Avi_Full(void) { return avi_full; }

namespace {
bool Avi_Capture_Open(const char* name, u32 frame_rate, u32 width, u32 height) {
  // Frames are captured while the window shows them: the window owns the compressor dialog.
  return Avi_Open(name, 0, frame_rate, Win_Get_Main_Window(), i32(width), i32(height)) == AVI_OK;
}

PlatVideoWrite Avi_Capture_Write(const u32* pixels, u32 width, u32) {
  if (Avi_Write_Frame(pixels, width * 4) == AVI_OK) return PLAT_VIDEO_WRITTEN;
  return Avi_Full() ? PLAT_VIDEO_FULL : PLAT_VIDEO_FAILED;
}

const PlatVideoWriter avi_capture_writer = {Avi_Capture_Open, Avi_Capture_Write, Avi_Close};
}  // namespace

const PlatVideoWriter* Avi_Capture_Writer(void) { return &avi_capture_writer; }
