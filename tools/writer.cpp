// Whole-file helpers for the asset builder and the tests.
#include "writer.h"

#include <cstdio>

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
