// Fuzz target: the surface loader's PNG reading, through a file as the loader takes it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/plat_d3d.h"
#include "writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string name = Scratch_Dir_Make("/tmp") + "/fuzz.png";
  static PlatDevice* device = Plat_Create_Device();
  static PlatSurface* surface = Plat_Create_Offscreen_Surface(device, 16, 16, PLAT_FMT_A4R4G4B4, PLAT_POOL_SCRATCH);
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  Plat_Load_Surface_From_File(surface, name.c_str(), PLAT_FILTER_LINEAR, 0xFF000000u);
  return 0;
}
