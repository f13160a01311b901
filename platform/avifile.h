// A small AVIFile-like layer: one uncompressed video stream written into an AVI 1.0 file.
#pragma once
#include "platform/plat.h"
#include "runtime/types.h"

struct PlatAviFile;
struct PlatAviStream;

// What a stream is (the platform's stream-information record, reduced to what the file keeps).
struct PlatAviStreamInfo {
  char type[4];  // "vids"
  u32 handler;
  u32 scale;
  u32 rate;  // rate / scale samples per second
  u32 suggested_buffer;
  u32 quality;  // 0xFFFFFFFF: default
  i32 left, top, right, bottom;  // frame rectangle
};

// The 40-byte bitmap header of a video stream's format, as it is stored in the file.
struct PlatBitmapInfoHeader {
  u32 size;  // 40
  i32 width;
  i32 height;  // positive: rows bottom-up
  u16 planes;
  u16 bit_count;
  u32 compression;  // 0: uncompressed
  u32 image_size;
  i32 x_pels_per_meter;
  i32 y_pels_per_meter;
  u32 colours_used;
  u32 colours_important;
};
static_assert(sizeof(PlatBitmapInfoHeader) == 40);

enum : i32 { PLAT_AVI_OK = 0, PLAT_AVI_ERROR = -1, PLAT_AVI_FULL = -2 };
const u32 kPlatAviKeyFrame = 0x10;

// Creates (or replaces) the file for writing.
i32 Plat_Avi_File_Open(PlatAviFile** file, const char* name);
// The file holds one stream; a second one is refused. Where a person picks the compressor in the
// system's dialog (the window backend), owner owns that dialog (0: none).
i32 Plat_Avi_File_Create_Stream(PlatAviFile* file, PlatAviStream** stream, const PlatAviStreamInfo* info,
                                PlatWindow owner);
// The format must be an uncompressed bitmap header and is set once, before the first sample.
i32 Plat_Avi_Stream_Set_Format(PlatAviStream* stream, i32 position, const void* format, u32 bytes);
// Appends samples (frames) at position start; start must be the next frame. PLAT_AVI_FULL: the frame
// would take the file past its size limit (the file is sound and can be released as it is).
i32 Plat_Avi_Stream_Write(PlatAviStream* stream, i32 start, i32 samples, const void* data, u32 bytes, u32 flags);
u32 Plat_Avi_Stream_Length(const PlatAviStream* stream);
void Plat_Avi_Stream_Release(PlatAviStream* stream);
// Finishes the file (index, sizes, frame counts) and closes it; after a failed write it keeps the
// frames written before it.
void Plat_Avi_File_Release(PlatAviFile* file);

// Largest file the layer writes; a sample that would pass it is refused. Default 2^31 - 1.
void Plat_Avi_Set_Size_Limit(u64 bytes);
