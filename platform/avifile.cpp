// AVIFile-like writer: RIFF "AVI " with one uncompressed video stream, a "movi" list and an "idx1" index.
#include "platform/avifile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/bytewriter.h"

struct PlatAviStream {
  PlatAviFile* file;
  PlatAviStreamInfo info;
  PlatBitmapInfoHeader format;
  bool has_format;
  bool released;
};

struct PlatAviFile {
  FILE* handle;
  std::string name;
  bool failed;  // a write went wrong: nothing more is written, the file is closed as it is
  bool has_stream;
  PlatAviStream stream;
  u32 frames;
  u64 movi_end;  // file offset just past the last sample chunk
  struct IndexEntry {
    u32 offset;  // of the chunk, counted from the "movi" FOURCC
    u32 bytes;
    u32 flags;
  };
  std::vector<IndexEntry> index;
};

namespace {
u64 avi_size_limit = 0x7FFFFFFF;

// Where the header fields that change with every frame sit.
const u32 kRiffSizeAt = 4;
const u32 kFlagsAt = 44;
const u32 kHasIndexFlag = 0x10;
const u32 kTotalFramesAt = 48;
const u32 kStreamLengthAt = 140;
const u32 kMoviSizeAt = 216;
const u32 kMoviFourccAt = 220;
const u32 kHeaderBytes = 224;

bool Avi_Put(PlatAviFile* file, const void* data, size_t n) {
  if (file->failed) return false;
  if (fwrite(data, 1, n, file->handle) != n) file->failed = true;
  return !file->failed;
}

bool Avi_Patch_U32(PlatAviFile* file, u32 offset, u32 value) {
  u8 b[4] = {u8(value), u8(value >> 8), u8(value >> 16), u8(value >> 24)};
  if (fseek(file->handle, long(offset), SEEK_SET) != 0) file->failed = true;
  return Avi_Put(file, b, 4);
}

u32 Avi_Frame_Micros(const PlatAviStreamInfo& info) {
  if (info.rate == 0) return 0;
  return u32((1000000ull * info.scale + info.rate / 2) / info.rate);
}

// The headers up to the "movi" list, with zero counts that the release fills in.
std::vector<u8> Avi_Headers(const PlatAviStream& s) {
  const PlatBitmapInfoHeader& f = s.format;
  u32 frame_bytes = f.image_size;
  u64 per_second = s.info.scale ? u64(frame_bytes) * s.info.rate / s.info.scale : 0;
  u32 suggested = s.info.suggested_buffer > frame_bytes ? s.info.suggested_buffer : frame_bytes;
  ByteWriter o;
  o.fourcc("RIFF");
  o.u32_(0);
  o.fourcc("AVI ");
  o.fourcc("LIST");
  o.u32_(192);
  o.fourcc("hdrl");
  o.fourcc("avih");
  o.u32_(56);
  o.u32_(Avi_Frame_Micros(s.info));
  o.u32_(per_second > 0xFFFFFFFFu ? 0xFFFFFFFFu : u32(per_second));
  o.u32_(0);     // padding granularity
  o.u32_(kHasIndexFlag);
  o.u32_(0);     // total frames
  o.u32_(0);     // initial frames
  o.u32_(1);     // streams
  o.u32_(suggested);
  o.u32_(u32(f.width));
  o.u32_(u32(f.height < 0 ? -f.height : f.height));
  for (int i = 0; i < 4; i++) o.u32_(0);
  o.fourcc("LIST");
  o.u32_(116);
  o.fourcc("strl");
  o.fourcc("strh");
  o.u32_(56);
  o.bytes.insert(o.bytes.end(), s.info.type, s.info.type + 4);
  o.u32_(s.info.handler);
  o.u32_(0);  // flags
  o.u16_(0);  // priority
  o.u16_(0);  // language
  o.u32_(0);  // initial frames
  o.u32_(s.info.scale);
  o.u32_(s.info.rate);
  o.u32_(0);  // start
  o.u32_(0);  // length
  o.u32_(suggested);
  o.u32_(s.info.quality);
  o.u32_(0);  // sample size: varies per chunk
  o.u16_(u16(s.info.left));
  o.u16_(u16(s.info.top));
  o.u16_(u16(s.info.right));
  o.u16_(u16(s.info.bottom));
  o.fourcc("strf");
  o.u32_(40);
  o.u32_(f.size);
  o.u32_(u32(f.width));
  o.u32_(u32(f.height));
  o.u16_(f.planes);
  o.u16_(f.bit_count);
  o.u32_(f.compression);
  o.u32_(f.image_size);
  o.u32_(u32(f.x_pels_per_meter));
  o.u32_(u32(f.y_pels_per_meter));
  o.u32_(f.colours_used);
  o.u32_(f.colours_important);
  o.fourcc("LIST");
  o.u32_(4);  // movi size
  o.fourcc("movi");
  return o.bytes;
}
}  // namespace

void Plat_Avi_Set_Size_Limit(u64 bytes) { avi_size_limit = bytes; }

i32 Plat_Avi_File_Open(PlatAviFile** file, const char* name) {
  if (!file) return PLAT_AVI_ERROR;
  *file = nullptr;
  if (!name) return PLAT_AVI_ERROR;
  FILE* handle = fopen(name, "wb");
  if (!handle) return PLAT_AVI_ERROR;
  PlatAviFile* f = new PlatAviFile();
  f->handle = handle;
  f->name = name;
  *file = f;
  return PLAT_AVI_OK;
}

// No compressor is asked for here: nothing has an owner.
i32 Plat_Avi_File_Create_Stream(PlatAviFile* file, PlatAviStream** stream, const PlatAviStreamInfo* info,
                                PlatWindow) {
  if (!stream) return PLAT_AVI_ERROR;
  *stream = nullptr;
  if (!file || !info || file->has_stream || memcmp(info->type, "vids", 4) != 0) return PLAT_AVI_ERROR;
  if (info->scale == 0 || info->rate == 0) return PLAT_AVI_ERROR;
  file->has_stream = true;
  file->stream = PlatAviStream{file, *info, {}, false, false};
  *stream = &file->stream;
  return PLAT_AVI_OK;
}

i32 Plat_Avi_Stream_Set_Format(PlatAviStream* stream, i32 position, const void* format, u32 bytes) {
  if (!stream || stream->released || stream->has_format || position != 0 || !format) return PLAT_AVI_ERROR;
  if (bytes != sizeof(PlatBitmapInfoHeader)) return PLAT_AVI_ERROR;
  PlatBitmapInfoHeader f;
  memcpy(&f, format, sizeof f);
  if (f.size != 40 || f.width <= 0 || f.height == 0 || f.planes != 1 || f.compression != 0) return PLAT_AVI_ERROR;
  if (f.bit_count != 24 && f.bit_count != 32) return PLAT_AVI_ERROR;
  u64 stride = (u64(f.width) * (f.bit_count / 8) + 3) & ~u64(3);
  u64 image = stride * u64(f.height < 0 ? -i64(f.height) : f.height);
  if (image == 0 || image > 0xFFFFFFFFu) return PLAT_AVI_ERROR;
  f.image_size = u32(image);
  stream->format = f;
  PlatAviFile* file = stream->file;
  std::vector<u8> headers = Avi_Headers(*stream);
  if (!Avi_Put(file, headers.data(), headers.size())) return PLAT_AVI_ERROR;
  stream->has_format = true;
  file->movi_end = kHeaderBytes;
  return PLAT_AVI_OK;
}

i32 Plat_Avi_Stream_Write(PlatAviStream* stream, i32 start, i32 samples, const void* data, u32 bytes, u32 flags) {
  if (!stream || stream->released || !stream->has_format || !data) return PLAT_AVI_ERROR;
  PlatAviFile* file = stream->file;
  if (file->failed || samples != 1 || start != i32(file->frames) || bytes != stream->format.image_size)
    return PLAT_AVI_ERROR;
  u32 pad = bytes & 1;
  // The file must still fit once this chunk and the whole index are written.
  u64 after = file->movi_end + 8 + bytes + pad + 8 + 16ull * (file->frames + 1);
  if (after > avi_size_limit || after > 0xFFFFFFFFu) return PLAT_AVI_FULL;
  u8 head[8] = {'0', '0', 'd', 'b', u8(bytes), u8(bytes >> 8), u8(bytes >> 16), u8(bytes >> 24)};
  const u8 zero = 0;
  // Flushed at once, so a full disk is found at this frame and not when the file is closed.
  if (!Avi_Put(file, head, 8) || !Avi_Put(file, data, bytes) || (pad && !Avi_Put(file, &zero, 1)) ||
      fflush(file->handle) != 0) {
    file->failed = true;
    return PLAT_AVI_ERROR;
  }
  file->index.push_back({u32(file->movi_end - kMoviFourccAt), bytes, flags | kPlatAviKeyFrame});
  file->movi_end += 8 + bytes + pad;
  file->frames++;
  return PLAT_AVI_OK;
}

u32 Plat_Avi_Stream_Length(const PlatAviStream* stream) { return stream ? stream->file->frames : 0; }

void Plat_Avi_Stream_Release(PlatAviStream* stream) {
  if (stream) stream->released = true;
}

void Plat_Avi_File_Release(PlatAviFile* file) {
  if (!file) return;
  if (file->has_stream && file->stream.has_format) {
    // After a failed write the index goes where the broken chunk began, so the file keeps every
    // frame written whole.
    clearerr(file->handle);
    errno = 0;
    file->failed = fseek(file->handle, long(file->movi_end), SEEK_SET) != 0;
    ByteWriter o;
    o.fourcc("idx1");
    o.u32_(u32(16 * file->index.size()));
    for (const PlatAviFile::IndexEntry& e : file->index) {
      o.fourcc("00db");
      o.u32_(e.flags);
      o.u32_(e.offset);
      o.u32_(e.bytes);
    }
    bool indexed = Avi_Put(file, o.bytes.data(), o.bytes.size()) && fflush(file->handle) == 0;
    int index_error = errno;
    // The header's fields sit in place and need no new room: they are patched even without an index, so
    // the file still tells its frames (players find them by the "movi" list).
    u64 end = indexed ? file->movi_end + o.bytes.size() : file->movi_end;
    clearerr(file->handle);
    file->failed = false;
    errno = 0;
    bool patched = Avi_Patch_U32(file, kRiffSizeAt, u32(end - 8)) &&
                   Avi_Patch_U32(file, kFlagsAt, indexed ? kHasIndexFlag : 0) &&
                   Avi_Patch_U32(file, kTotalFramesAt, file->frames) &&
                   Avi_Patch_U32(file, kStreamLengthAt, file->frames) &&
                   Avi_Patch_U32(file, kMoviSizeAt, u32(file->movi_end - kMoviFourccAt)) && fflush(file->handle) == 0;
    int patch_error = errno;
    const char* s = file->frames == 1 ? "" : "s";
    if (!patched)
      fprintf(stderr, "Plat: the header of %s could not be finished (%s); its %u frame%s may not be found\n",
              file->name.c_str(), patch_error ? strerror(patch_error) : "unknown error", file->frames, s);
    else if (!indexed)
      fprintf(stderr, "Plat: %s holds %u frame%s and no index (%s)\n", file->name.c_str(), file->frames, s,
              index_error ? strerror(index_error) : "unknown error");
  }
  fclose(file->handle);
  delete file;
}
