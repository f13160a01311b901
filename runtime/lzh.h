// LZARI decoder: ".KLZ" files (u32 size, then an LZ77 + adaptive arithmetic bit stream) into memory blocks.
#pragma once
#include "runtime/types.h"

// Decodes a .KLZ file read through the file layer; the block is described "Lzh: " and the name.
u8* Lzh_Decompress(const char* name);
// The same from a .KLZ memory block (its block size bounds the stream); described "Lzh: uncompressed data".
u8* Lzh_Decompress_Memory(const void* block);
// Decodes exactly size bytes of an LZARI stream into out. A valid stream may read a few bytes past
// its end, which count as zero bits; false when the stream ends before size bytes came out.
bool Lzh_Decode(const u8* stream, u32 stream_length, u8* out, u32 size);
// The largest size a stream of the given length can decode to (its best case is below 600 : 1).
u64 Lzh_Max_Size(u32 stream_length);
