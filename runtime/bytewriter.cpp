// Little-endian byte writer: the members that are more than a push.
#include "runtime/bytewriter.h"

#include <cstring>

void ByteWriter::f32_(f32 v) {
  u32 bits;
  memcpy(&bits, &v, 4);
  u32_(bits);
}

void ByteWriter::raw(const void* data, size_t n) {
  const u8* p = static_cast<const u8*>(data);
  bytes.insert(bytes.end(), p, p + n);
}

void ByteWriter::text(const char* s, size_t field) {
  size_t n = strnlen(s, field);
  raw(s, n);
  bytes.insert(bytes.end(), field - n, 0);
}

void ByteWriter::put_u32_at(size_t offset, u32 v) {
  for (int i = 0; i < 4; i++) bytes[offset + i] = u8(v >> (8 * i));
}
