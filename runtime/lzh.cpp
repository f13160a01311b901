// LZARI decoder: LZ77 over a 4096-byte ring with adaptive arithmetic coding of characters, lengths and positions.
#include "runtime/lzh.h"

#include <cstring>

#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"

namespace {
const u32 kRing = 4096;         // ring buffer size
const u32 kLookAhead = 60;      // longest match
const u32 kThreshold = 2;       // matches are longer than this
const u32 kChars = 256 - kThreshold + kLookAhead;  // 314 symbols: 256 characters, 58 match lengths
const u32 kMaxCum = 32767;      // the symbol model is halved when its total reaches this
const u32 kQ1 = 32768, kQ2 = 65536, kQ3 = 98304, kQ4 = 131072;
// A valid stream reads at most three bytes past its last one; reading further means it ended early.
const u32 kSpareBytes = 4;

u8 lzh_ring[kRing];
u32 lzh_freq[kChars + 1];
u32 lzh_cum[kChars + 1];
u32 lzh_sym_to_char[kChars + 1];
u32 lzh_char_to_sym[kChars];
u32 lzh_pos_cum[kRing + 1];
u32 lzh_low, lzh_high, lzh_value;
u32 lzh_mask, lzh_byte;
const u8* lzh_in;
u32 lzh_in_length, lzh_in_index;
bool lzh_ran_out;

u32 Lzh_Get_Bit(void) {
  if (lzh_mask == 0) {
    if (lzh_in_index < lzh_in_length) {
      lzh_byte = lzh_in[lzh_in_index];
    } else {
      lzh_byte = 0;
      if (lzh_in_index - lzh_in_length >= kSpareBytes) lzh_ran_out = true;
    }
    lzh_in_index++;
    lzh_mask = 128;
  }
  u32 bit = (lzh_byte & lzh_mask) ? 1 : 0;
  lzh_mask >>= 1;
  return bit;
}

void Lzh_Start_Model(void) {
  lzh_cum[kChars] = 0;
  for (u32 s = kChars; s >= 1; s--) {
    u32 c = s - 1;
    lzh_char_to_sym[c] = s;
    lzh_sym_to_char[s] = c;
    lzh_freq[s] = 1;
    lzh_cum[s - 1] = lzh_cum[s] + lzh_freq[s];
  }
  lzh_freq[0] = 0;
  lzh_pos_cum[kRing] = 0;
  for (u32 i = kRing; i >= 1; i--) lzh_pos_cum[i - 1] = lzh_pos_cum[i] + 10000 / (i + 200);
}

void Lzh_Update_Model(u32 s) {
  if (lzh_cum[0] >= kMaxCum) {
    u32 c = 0;
    for (u32 i = kChars; i > 0; i--) {
      lzh_cum[i] = c;
      lzh_freq[i] = (lzh_freq[i] + 1) >> 1;
      c += lzh_freq[i];
    }
    lzh_cum[0] = c;
  }
  u32 i = s;
  while (lzh_freq[i] == lzh_freq[i - 1]) i--;  // frequency[0] is 0, so this stops at 1
  if (i < s) {
    u32 ci = lzh_sym_to_char[i], cs = lzh_sym_to_char[s];
    lzh_sym_to_char[i] = cs;
    lzh_sym_to_char[s] = ci;
    lzh_char_to_sym[ci] = s;
    lzh_char_to_sym[cs] = i;
  }
  lzh_freq[i]++;
  while (i > 0) lzh_cum[--i]++;
}

void Lzh_Renormalise(void) {
  for (;;) {
    if (lzh_low >= kQ2) {
      lzh_value -= kQ2;
      lzh_low -= kQ2;
      lzh_high -= kQ2;
    } else if (lzh_low >= kQ1 && lzh_high <= kQ3) {
      lzh_value -= kQ1;
      lzh_low -= kQ1;
      lzh_high -= kQ1;
    } else if (lzh_high > kQ2) {
      break;
    }
    lzh_low += lzh_low;
    lzh_high += lzh_high;
    lzh_value = 2 * lzh_value + Lzh_Get_Bit();
  }
}

// The first index i in 1 .. n whose cumulative count is at most x (the table falls with the index).
u32 Lzh_Search(const u32* cum, u32 n, u32 x) {
  u32 i = 1, j = n;
  while (i < j) {
    u32 k = (i + j) / 2;
    if (cum[k] > x)
      i = k + 1;
    else
      j = k;
  }
  return i;
}

u32 Lzh_Decode_Char(void) {
  u32 range = lzh_high - lzh_low;
  u32 x = ((lzh_value - lzh_low + 1) * lzh_cum[0] - 1) / range;
  u32 s = Lzh_Search(lzh_cum, kChars, x);
  lzh_high = lzh_low + range * lzh_cum[s - 1] / lzh_cum[0];
  lzh_low += range * lzh_cum[s] / lzh_cum[0];
  Lzh_Renormalise();
  u32 c = lzh_sym_to_char[s];
  Lzh_Update_Model(s);
  return c;
}

u32 Lzh_Decode_Position(void) {
  u32 range = lzh_high - lzh_low;
  u32 x = ((lzh_value - lzh_low + 1) * lzh_pos_cum[0] - 1) / range;
  u32 p = Lzh_Search(lzh_pos_cum, kRing, x) - 1;
  lzh_high = lzh_low + range * lzh_pos_cum[p] / lzh_pos_cum[0];
  lzh_low += range * lzh_pos_cum[p + 1] / lzh_pos_cum[0];
  Lzh_Renormalise();
  return p;
}

// Decodes a .KLZ image (u32 size, stream) into a new block; refuses sizes the stream cannot reach.
u8* Lzh_Unpack_Image(const u8* image, u32 length, const char* description) {
  u32 size = length >= 4 ? u32(image[0]) | u32(image[1]) << 8 | u32(image[2]) << 16 | u32(image[3]) << 24 : 0;
  u32 stream_length = length >= 4 ? length - 4 : 0;
  if (size == 0 || size > Lzh_Max_Size(stream_length)) Err_Error("Lzh_Decompress: Illegal file size");
  u8* out = static_cast<u8*>(Mem_Alloc(size));
  Mem_Set_Description(out, "Lzh: ");
  Mem_Set_Description(out, description);
  if (!Lzh_Decode(image + 4, stream_length, out, size)) Err_Error("Lzh_Decompress: Data ends early");
  return out;
}
}  // namespace

u64 Lzh_Max_Size(u32 stream_length) { return (u64(stream_length) + kSpareBytes) * 1024; }

bool Lzh_Decode(const u8* stream, u32 stream_length, u8* out, u32 size) {
  lzh_in = stream;
  lzh_in_length = stream_length;
  lzh_in_index = 0;
  lzh_mask = 0;
  lzh_ran_out = false;
  lzh_low = 0;
  lzh_high = kQ4;
  lzh_value = 0;
  for (u32 i = 0; i < 17; i++) lzh_value = 2 * lzh_value + Lzh_Get_Bit();
  Lzh_Start_Model();
  memset(lzh_ring, ' ', kRing - kLookAhead);
  memset(lzh_ring + kRing - kLookAhead, 0, kLookAhead);
  u32 r = kRing - kLookAhead;
  u32 count = 0;
  while (count < size) {
    u32 c = Lzh_Decode_Char();
    if (c < 256) {
      out[count++] = u8(c);
      lzh_ring[r] = u8(c);
      r = (r + 1) & (kRing - 1);
    } else {
      u32 from = (r - Lzh_Decode_Position() - 1) & (kRing - 1);
      u32 n = c - 255 + kThreshold;
      for (u32 k = 0; k < n && count < size; k++) {
        u8 b = lzh_ring[(from + k) & (kRing - 1)];
        out[count++] = b;
        lzh_ring[r] = b;
        r = (r + 1) & (kRing - 1);
      }
    }
    if (lzh_ran_out) return false;
  }
  return true;
}

u8* Lzh_Decompress(const char* name) {
  File_Open(name);
  u32 length = File_Size();
  u8* image = static_cast<u8*>(Mem_Alloc(length));
  if (File_Read(image, length) != length) Err_Error("Lzh_Decompress: Illegal file size");
  File_Close();
  u8* out = Lzh_Unpack_Image(image, length, name);
  Mem_Free(image);
  return out;
}

u8* Lzh_Decompress_Memory(const void* block) {
  return Lzh_Unpack_Image(static_cast<const u8*>(block), Mem_Get_Size(block), "uncompressed data");
}
