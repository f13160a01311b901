// The AVIFile-like layer over Video for Windows' own AVIFile functions: one uncompressed video stream.
#include "platform/avifile.h"

#include <cstdio>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <vfw.h>

struct PlatAviStream {
  PlatAviFile* file;
  PAVISTREAM stream;
  u32 frames;
  bool has_format;
};

struct PlatAviFile {
  PAVIFILE file;
  u64 bytes;  // what the samples and their index entries take so far
  bool has_stream;
  PlatAviStream stream;
};

namespace {
u64 avi_size_limit = 0x7FFFFFFF;
// Headers and lists before the samples, and per sample its chunk header and index entry.
const u64 kAviHeaderBytes = 2048;
const u64 kAviSampleOverhead = 8 + 16;
const u16 kAviVideoVersion = 0x010A;  // AVIFile needs Video for Windows 1.10 or later
}  // namespace

i32 Plat_Avi_File_Open(PlatAviFile** file, const char* name) {
  *file = nullptr;
  if (HIWORD(VideoForWindowsVersion()) < kAviVideoVersion) return PLAT_AVI_ERROR;
  AVIFileInit();
  DeleteFileA(name);  // replaced, never appended to
  PAVIFILE handle = nullptr;
  if (AVIFileOpenA(&handle, name, OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK) {
    AVIFileExit();
    return PLAT_AVI_ERROR;
  }
  *file = new PlatAviFile{handle, kAviHeaderBytes, false, {}};
  return PLAT_AVI_OK;
}

i32 Plat_Avi_File_Create_Stream(PlatAviFile* file, PlatAviStream** stream, const PlatAviStreamInfo* info) {
  *stream = nullptr;
  if (!file || file->has_stream) return PLAT_AVI_ERROR;
  AVISTREAMINFOA header = {};
  header.fccType = mmioFOURCC(info->type[0], info->type[1], info->type[2], info->type[3]);
  header.fccHandler = info->handler;
  header.dwScale = info->scale;
  header.dwRate = info->rate;
  header.dwSuggestedBufferSize = info->suggested_buffer;
  header.dwQuality = info->quality;
  SetRect(&header.rcFrame, info->left, info->top, info->right, info->bottom);
  PAVISTREAM handle = nullptr;
  if (AVIFileCreateStreamA(file->file, &handle, &header) != AVIERR_OK) return PLAT_AVI_ERROR;
  file->has_stream = true;
  file->stream = {file, handle, 0, false};
  *stream = &file->stream;
  return PLAT_AVI_OK;
}

i32 Plat_Avi_Stream_Set_Format(PlatAviStream* stream, i32 position, const void* format, u32 bytes) {
  if (!stream || stream->has_format || stream->frames || bytes != sizeof(PlatBitmapInfoHeader)) return PLAT_AVI_ERROR;
  const PlatBitmapInfoHeader* header = static_cast<const PlatBitmapInfoHeader*>(format);
  if (header->size != bytes || header->compression != 0) return PLAT_AVI_ERROR;
  if (AVIStreamSetFormat(stream->stream, position, const_cast<void*>(format), LONG(bytes)) != AVIERR_OK)
    return PLAT_AVI_ERROR;
  stream->has_format = true;
  return PLAT_AVI_OK;
}

i32 Plat_Avi_Stream_Write(PlatAviStream* stream, i32 start, i32 samples, const void* data, u32 bytes, u32 flags) {
  if (!stream || !stream->has_format || samples != 1 || u32(start) != stream->frames) return PLAT_AVI_ERROR;
  u64 after = stream->file->bytes + bytes + kAviSampleOverhead;
  if (after > avi_size_limit || after > 0xFFFFFFFFu) return PLAT_AVI_FULL;
  if (AVIStreamWrite(stream->stream, start, samples, const_cast<void*>(data), LONG(bytes), flags, nullptr, nullptr) !=
      AVIERR_OK)
    return PLAT_AVI_ERROR;
  stream->file->bytes = after;
  stream->frames++;
  return PLAT_AVI_OK;
}

u32 Plat_Avi_Stream_Length(const PlatAviStream* stream) { return stream ? stream->frames : 0; }

void Plat_Avi_Stream_Release(PlatAviStream* stream) {
  if (!stream || !stream->stream) return;
  AVIStreamRelease(stream->stream);
  stream->stream = nullptr;
}

void Plat_Avi_File_Release(PlatAviFile* file) {
  if (!file) return;
  Plat_Avi_Stream_Release(&file->stream);
  AVIFileRelease(file->file);
  AVIFileExit();
  delete file;
}

void Plat_Avi_Set_Size_Limit(u64 bytes) { avi_size_limit = bytes; }
