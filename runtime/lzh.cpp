// LZARI decoder: LZ77 over a 4096-byte ring with adaptive arithmetic coding of characters, lengths and positions.
#include "runtime/lzh.h"

#include <cstring>

#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"

namespace {
// A valid stream reads at most three bytes past its last one; reading further means it ended early.
const u32 kSpareBytes = 4;

u8 lzh_ring[kLzhRing];
LzhModel lzh_model;
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

void Lzh_Renormalise(void) {
  for (;;) {
    if (lzh_low >= kLzhQ2) {
      lzh_value -= kLzhQ2;
      lzh_low -= kLzhQ2;
      lzh_high -= kLzhQ2;
    } else if (lzh_low >= kLzhQ1 && lzh_high <= kLzhQ3) {
      lzh_value -= kLzhQ1;
      lzh_low -= kLzhQ1;
      lzh_high -= kLzhQ1;
    } else if (lzh_high > kLzhQ2) {
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
  u32 x = ((lzh_value - lzh_low + 1) * lzh_model.cum[0] - 1) / range;
  u32 s = Lzh_Search(lzh_model.cum, kLzhChars, x);
  lzh_high = lzh_low + range * lzh_model.cum[s - 1] / lzh_model.cum[0];
  lzh_low += range * lzh_model.cum[s] / lzh_model.cum[0];
  Lzh_Renormalise();
  u32 c = lzh_model.sym_to_char[s];
  Lzh_Model_Update(&lzh_model, s);
  return c;
}

u32 Lzh_Decode_Position(void) {
  u32 range = lzh_high - lzh_low;
  u32 x = ((lzh_value - lzh_low + 1) * lzh_model.pos_cum[0] - 1) / range;
  u32 p = Lzh_Search(lzh_model.pos_cum, kLzhRing, x) - 1;
  lzh_high = lzh_low + range * lzh_model.pos_cum[p] / lzh_model.pos_cum[0];
  lzh_low += range * lzh_model.pos_cum[p + 1] / lzh_model.pos_cum[0];
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

void Lzh_Model_Start(LzhModel* m) {
  m->cum[kLzhChars] = 0;
  for (u32 s = kLzhChars; s >= 1; s--) {
    u32 c = s - 1;
    m->char_to_sym[c] = s;
    m->sym_to_char[s] = c;
    m->freq[s] = 1;
    m->cum[s - 1] = m->cum[s] + m->freq[s];
  }
  m->freq[0] = 0;
  m->pos_cum[kLzhRing] = 0;
  for (u32 i = kLzhRing; i >= 1; i--) m->pos_cum[i - 1] = m->pos_cum[i] + 10000 / (i + 200);
}

void Lzh_Model_Update(LzhModel* m, u32 s) {
  if (m->cum[0] >= kLzhMaxCum) {
    u32 c = 0;
    for (u32 i = kLzhChars; i > 0; i--) {
      m->cum[i] = c;
      m->freq[i] = (m->freq[i] + 1) >> 1;
      c += m->freq[i];
    }
    m->cum[0] = c;
  }
  u32 i = s;
  while (m->freq[i] == m->freq[i - 1]) i--;  // freq[0] is 0, so this stops at 1
  if (i < s) {
    u32 ci = m->sym_to_char[i], cs = m->sym_to_char[s];
    m->sym_to_char[i] = cs;
    m->sym_to_char[s] = ci;
    m->char_to_sym[ci] = s;
    m->char_to_sym[cs] = i;
  }
  m->freq[i]++;
  while (i > 0) m->cum[--i]++;
}

u64 Lzh_Max_Size(u32 stream_length) { return (u64(stream_length) + kSpareBytes) * 1024; }

bool Lzh_Decode(const u8* stream, u32 stream_length, u8* out, u32 size) {
  lzh_in = stream;
  lzh_in_length = stream_length;
  lzh_in_index = 0;
  lzh_mask = 0;
  lzh_ran_out = false;
  lzh_low = 0;
  lzh_high = kLzhQ4;
  lzh_value = 0;
  for (u32 i = 0; i < 17; i++) lzh_value = 2 * lzh_value + Lzh_Get_Bit();
  Lzh_Model_Start(&lzh_model);
  memset(lzh_ring, ' ', kLzhRing - kLzhLookAhead);
  memset(lzh_ring + kLzhRing - kLzhLookAhead, 0, kLzhLookAhead);
  u32 r = kLzhRing - kLzhLookAhead;
  u32 count = 0;
  while (count < size) {
    u32 c = Lzh_Decode_Char();
    if (c < 256) {
      out[count++] = u8(c);
      lzh_ring[r] = u8(c);
      r = (r + 1) & (kLzhRing - 1);
    } else {
      u32 from = (r - Lzh_Decode_Position() - 1) & (kLzhRing - 1);
      u32 n = c - 255 + kLzhThreshold;
      for (u32 k = 0; k < n && count < size; k++) {
        u8 b = lzh_ring[(from + k) & (kLzhRing - 1)];
        out[count++] = b;
        lzh_ring[r] = b;
        r = (r + 1) & (kLzhRing - 1);
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
