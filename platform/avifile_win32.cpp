// The AVIFile-like layer over Video for Windows' own AVIFile functions: one video stream, written
// through the compressor a person picks in the system's dialog (the window backend), else uncompressed.
#include "platform/avifile.h"

#include <cstdio>

#include "platform/plat.h"
#include "platform/plat_win32.h"

#include <vfw.h>

struct PlatAviStream {
  PlatAviFile* file;
  PAVISTREAM stream;      // where frames go: the compressed stream when there is one, else the raw one
  PAVISTREAM raw;         // the stream of the file
  PAVISTREAM compressed;  // made over the raw stream with the options chosen
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
const UINT kAviChooseFlags = ICMF_CHOOSE_KEYFRAME | ICMF_CHOOSE_DATARATE;

// With a person at the window, the compressor is asked for in the system's dialog, which the owner
// owns, and the frames go through a compressed stream over the raw one; the window runs no frames
// while the dialog is up. Unattended (headless) capture keeps the raw stream: nobody could answer.
// False: cancelled, or the compressor cannot be had.
bool Avi_Choose_Compressor(PlatAviStream* stream, HWND owner) {
  if (Plat_Get_Config().backend != PLAT_WIN32) return true;
  AVICOMPRESSOPTIONS options = {};
  LPAVICOMPRESSOPTIONS chosen[1] = {&options};
  PAVISTREAM streams[1] = {stream->raw};
  Plat_Win32_Modal_Begin();
  INT_PTR answered = AVISaveOptions(owner, kAviChooseFlags, 1, streams, chosen);
  Plat_Win32_Modal_End();
  if (!answered) return false;
  HRESULT made = AVIMakeCompressedStream(&stream->compressed, stream->raw, &options, nullptr);
  AVISaveOptionsFree(1, chosen);
  if (made != AVIERR_OK) return false;
  stream->stream = stream->compressed;
  return true;
}
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

i32 Plat_Avi_File_Create_Stream(PlatAviFile* file, PlatAviStream** stream, const PlatAviStreamInfo* info,
                                PlatWindow owner) {
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
  file->stream = {file, handle, handle, nullptr, 0, false};
  if (!Avi_Choose_Compressor(&file->stream, Plat_Win32_Owner(owner))) {
    Plat_Avi_Stream_Release(&file->stream);
    return PLAT_AVI_ERROR;
  }
  *stream = &file->stream;
  return PLAT_AVI_OK;
}

// The format is the system's bitmap header, whose size field holds 40: the size of that structure. A
// header that claims more (44) is not a bitmap header the codecs and readers accept.
static_assert(sizeof(PlatBitmapInfoHeader) == sizeof(BITMAPINFOHEADER));

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
  if (!stream) return;
  if (stream->compressed) AVIStreamRelease(stream->compressed);
  if (stream->raw) AVIStreamRelease(stream->raw);
  stream->stream = stream->raw = stream->compressed = nullptr;
}

void Plat_Avi_File_Release(PlatAviFile* file) {
  if (!file) return;
  Plat_Avi_Stream_Release(&file->stream);
  AVIFileRelease(file->file);
  AVIFileExit();
  delete file;
}

void Plat_Avi_Set_Size_Limit(u64 bytes) { avi_size_limit = bytes; }
