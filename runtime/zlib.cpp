// zlib inflation: one-call inflate into a sized block, from memory, from a file whole or in chunks.
#include "runtime/zlib.h"

#include <zlib.h>

#include <cstring>

#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"

namespace {
u8* zlib_chunk = nullptr;  // input block of the chunked decoder
u32 zlib_chunk_size = 0;

const u64 kZlibMaxRatio = 1032;  // deflate packs at most this many bytes into one
const u64 kZlibSlack = 64;

// The size field of a packed file or block of length bytes (the field, then the stream).
u32 Zlib_Packed_Size(const u8* field, u32 length) {
  if (length < 4) Err_Error("Zlib: Input data corrupted.");
  u32 size = u32(field[0]) | u32(field[1]) << 8 | u32(field[2]) << 16 | u32(field[3]) << 24;
  Zlib_Check_Size(length - 4, size);
  return size;
}

// Opens a packed file and reads its size field; returns a block for the unpacked bytes, with the file's
// length and the unpacked size.
u8* Zlib_Open_File(const char* name, u32* length, u32* size) {
  File_Open(name);
  *length = File_Size();
  u8 field[4] = {};
  File_Read(field, 4);
  *size = Zlib_Packed_Size(field, *length);
  return static_cast<u8*>(Mem_Alloc(*size));
}

void Zlib_Start(z_stream* s) {
  // The installed library's own version and record size: an old version text is refused by it.
  if (inflateInit(s) != Z_OK) Err_Error("Zlib: Unable to initialise inflating.");
}
}  // namespace

void Zlib_Check_Size(u32 stream_length, u32 size) {
  if (size > u64(stream_length) * kZlibMaxRatio + kZlibSlack) Err_Error("Zlib: Unable to complete inflating.");
}

i32 Zlib_Check(i32 result) {
  switch (result) {
    case Z_BUF_ERROR: Err_Error("Zlib: Output buffer overflow.");
    case Z_MEM_ERROR: Err_Error("Zlib: Not enough memory.");
    case Z_DATA_ERROR: Err_Error("Zlib: Input data corrupted.");
    case Z_STREAM_ERROR: Err_Error("Zlib: Stream structure inconsistent.");
    case Z_NEED_DICT: Err_Error("Zlib: Preset dictionary is needed.");
    default: return result;
  }
}

i32 Zlib_Inflate_Status(const void* source, void* destination, u32 source_length, u32 destination_length) {
  z_stream s;
  memset(&s, 0, sizeof s);
  s.next_in = static_cast<Bytef*>(const_cast<void*>(source));
  s.avail_in = source_length;
  s.next_out = static_cast<Bytef*>(destination);
  s.avail_out = destination_length;
  i32 r = inflateInit(&s);
  if (r != Z_OK) return r;
  r = inflate(&s, Z_FINISH);
  bool room_left = s.avail_out != 0;
  // A full destination with the stream not at its end: one byte more of room tells whether data is left
  // over (an overflow) or the input ran out first, inside the last data or the Adler-32 trailer.
  if (r == Z_BUF_ERROR && !room_left) {
    u8 spare = 0;
    s.next_out = &spare;
    s.avail_out = 1;
    r = inflate(&s, Z_FINISH);
    if (s.avail_out == 0) r = Z_BUF_ERROR;
    else if (r == Z_BUF_ERROR) r = ZLIB_INCOMPLETE;
  }
  inflateEnd(&s);
  if (r == Z_STREAM_END) return room_left ? ZLIB_INCOMPLETE : 0;
  // With output room left, a buffer error means the input ran out before the stream's end.
  if (r == Z_BUF_ERROR && room_left) return ZLIB_INCOMPLETE;
  return r == Z_OK ? ZLIB_INCOMPLETE : r;
}

void* Zlib_Inflate(const void* source, void* destination, u32 source_length, u32 destination_length) {
  i32 r = Zlib_Inflate_Status(source, destination, source_length, destination_length);
  if (r == Z_VERSION_ERROR) Err_Error("Zlib: Unable to initialise inflating.");
  if (r != ZLIB_INCOMPLETE) Zlib_Check(r);
  if (r != 0) Err_Error("Zlib: Unable to complete inflating.");
  return destination;
}

u8* Zlib_Decompress_File(const char* name) {
  u32 length = 0, size = 0;
  u8* out = Zlib_Open_File(name, &length, &size);
  u8* in = static_cast<u8*>(Mem_Alloc(length - 4));
  if (File_Read(in, length - 4) != length - 4) Err_Error("Zlib: Unable to complete inflating.");
  File_Close();
  Zlib_Inflate(in, out, length - 4, size);
  Mem_Free(in);
  return out;
}

u8* Zlib_Decompress_Memory(const void* block) {
  u32 length = Mem_Get_Size(block);
  const u8* p = static_cast<const u8*>(block);
  u32 size = Zlib_Packed_Size(p, length);
  u8* out = static_cast<u8*>(Mem_Alloc(size));
  Zlib_Inflate(p + 4, out, length - 4, size);
  return out;
}

u32 Zlib_Refill(z_stream_s* stream) {
  if (stream->avail_in == 0) {
    stream->next_in = zlib_chunk;
    stream->avail_in = File_Read(zlib_chunk, zlib_chunk_size);
  }
  return stream->avail_in;
}

u8* Zlib_Decompress_Stream(const char* name, u32 chunk) {
  u32 length = 0, size = 0;
  u8* out = Zlib_Open_File(name, &length, &size);
  zlib_chunk_size = chunk ? chunk : 1;
  zlib_chunk = static_cast<u8*>(Mem_Alloc(zlib_chunk_size));
  z_stream s;
  memset(&s, 0, sizeof s);
  s.next_out = out;
  s.avail_out = size;
  Zlib_Start(&s);
  i32 r = Z_OK;
  while (Zlib_Refill(&s) != 0) {
    r = inflate(&s, Z_NO_FLUSH);
    // No progress with output room left only means more input is needed; with the output full it is an overflow.
    if (r == Z_BUF_ERROR && s.avail_out != 0) r = Z_OK;
    if (Zlib_Check(r) != Z_OK) break;
  }
  bool complete = r == Z_STREAM_END && s.avail_out == 0;
  inflateEnd(&s);
  File_Close();
  Mem_Free(zlib_chunk);
  zlib_chunk = nullptr;
  // A file that ends early leaves part of the block unwritten: that is a failure, not a result.
  if (!complete) Err_Error("Zlib: Unable to complete inflating.");
  return out;
}
