// Little-endian byte writer shared by the format writers of the asset builder.
#pragma once
#include <string>
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
  void text(const char* s, size_t field);  // s padded with NULs (or cut) to field bytes
  void put_u32_at(size_t offset, u32 v);
};

// Writes bytes to a file; returns false (and says why on stderr) when it cannot.
bool Write_File(const std::string& path, const std::vector<u8>& bytes);
bool Read_File(const std::string& path, std::vector<u8>* bytes);
