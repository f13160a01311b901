// Little-endian byte writer and whole-file helpers for the asset builder and the tests.
#include "writer.h"

#include <cstdio>
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

bool Write_File(const std::string& path, const std::vector<u8>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) {
    fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (!ok) fprintf(stderr, "cannot write %s\n", path.c_str());
  return ok;
}

bool Read_File(const std::string& path, std::vector<u8>* bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  u8 buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  fclose(f);
  return true;
}
