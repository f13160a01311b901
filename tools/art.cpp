// Pictures as PCX file bytes: the engine's writer goes through a file, so a scratch file is written and read back.
#include "art.h"

#include <cstdio>

#include "video/pcx.h"
#include "writer.h"

bool Art_Pcx_Bytes(const void* pixels, u32 width, u32 height, u32 bits, const std::string& scratch_path,
                   std::vector<u8>* bytes) {
  if (Pcx_Save(pixels, i32(width), i32(height), i32(bits), scratch_path.c_str()) != PCX_SAVE_OK) {
    fprintf(stderr, "%s: cannot write the picture\n", scratch_path.c_str());
    return false;
  }
  const bool ok = Read_File(scratch_path, bytes);
  std::remove(scratch_path.c_str());
  return ok;
}

bool Art_Pcx(const std::vector<u32>& pixels, u32 width, u32 height, const std::string& scratch_path,
             std::vector<u8>* bytes) {
  return Art_Pcx_Bytes(pixels.data(), width, height, 24, scratch_path, bytes);
}
