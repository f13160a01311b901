// Little-endian byte writer: builds file images in memory for every layer that writes binary formats.
#pragma once
#include <vector>

#include "runtime/types.h"

struct ByteWriter {
  std::vector<u8> bytes;
  void u8_(u8 v) { bytes.push_back(v); }
  void u16_(u16 v) {
    u8_(u8(v));
    u8_(u8(v >> 8));
  }
  void u32_(u32 v) {
    u16_(u16(v));
    u16_(u16(v >> 16));
  }
  void f32_(f32 v);
  void raw(const void* data, size_t n);
  void fourcc(const char* s) { raw(s, 4); }
  void text(const char* s, size_t field);  // s padded with NULs (or cut) to field bytes
  void put_u32_at(size_t offset, u32 v);
};
