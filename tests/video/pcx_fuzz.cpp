// Fuzz target: the PCX reader on arbitrary bytes; a refused file must leave nothing allocated.
#include <cstdint>
#include <cstdlib>

#include "runtime/mem.h"
#include "video/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    Mem_Init(0);
    started = true;
  }
  if (size > (1u << 24)) return 0;
  u16 blocks = Mem_Get_Count();
  PcxPicture picture = {};
  if (Pcx_Decode(data, u32(size), "fuzz.pcx", 0, &picture) == nullptr) {
    // Touch every pixel, so a block smaller than its picture shows up.
    u32 bytes = picture.header.colour_planes == 4 ? 4 : 1;
    volatile u8 sum = 0;
    for (u32 i = 0; i < u32(picture.header.hres) * picture.header.vres * bytes; i++) sum = sum + picture.pixels[i];
    Pcx_Free(&picture);
  }
  if (Mem_Get_Count() != blocks) abort();
  return 0;
}
