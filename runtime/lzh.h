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

// LZARI's parameters: a 4096-byte ring, matches of 3 to 60 bytes, 314 symbols (256 characters and 58
// match lengths), a 17-bit arithmetic coder whose symbol model is halved when its total reaches 32767.
const u32 kLzhRing = 4096;
const u32 kLzhLookAhead = 60;
const u32 kLzhThreshold = 2;  // matches are longer than this
const u32 kLzhChars = 256 - kLzhThreshold + kLzhLookAhead;
const u32 kLzhMaxCum = 32767;
const u32 kLzhQ1 = 32768, kLzhQ2 = 65536, kLzhQ3 = 98304, kLzhQ4 = 131072;

// The adaptive model coder and decoder keep alike: symbol frequencies and cumulative counts (falling
// with the symbol, cum[0] the total), the symbol-character maps, and the fixed position table.
struct LzhModel {
  u32 freq[kLzhChars + 1];
  u32 cum[kLzhChars + 1];
  u32 sym_to_char[kLzhChars + 1];
  u32 char_to_sym[kLzhChars];
  u32 pos_cum[kLzhRing + 1];
};
// Every symbol counted once, and the position table.
void Lzh_Model_Start(LzhModel* m);
// Counts symbol s once more, keeping symbols in falling order of frequency.
void Lzh_Model_Update(LzhModel* m, u32 s);
