// Fuzz target: data files through the directory check and entry reads, and raw LZARI and zlib streams.
// The first byte picks the path: 0 data file, 1 LZARI stream, 2 zlib stream.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/file.h"
#include "runtime/lzh.h"
#include "runtime/mem.h"
#include "runtime/zlib.h"
#include "writer.h"

namespace {
const u32 kMaxOut = 1 << 20;

void Fuzz_Datafile(const uint8_t* data, size_t size) {
  static std::string path = Scratch_Dir_Make("/tmp") + "/fuzz.dat";
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(data, 1, size, f);
  fclose(f);
  File_Set_Datafile(path.c_str());
  if (File_Try_Init()) return;
  for (u16 i = 0; i < File_Count(); i++) {
    const FileEntry* e = File_Get_Entry(i);
    File_Open(e->name);
    u8 block[700];
    File_Read(block, sizeof block);
    File_Seek(-3, 2);
    for (int k = 0; k < 10; k++) File_Get_Byte();
    File_Close();
    // Longer names do not fit a block description: loading them is a (correct) fatal error.
    if (strlen(e->name) <= 44) File_Load(e->name);
  }
  File_Done();
  Mem_Free_All();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const u8 mode = data[0] % 3;
  data++;
  size--;
  if (mode == 0) {
    Fuzz_Datafile(data, size);
  } else if (size >= 4) {
    u32 n = (u32(data[0]) | u32(data[1]) << 8 | u32(data[2]) << 16 | u32(data[3]) << 24) % kMaxOut;
    std::vector<u8> out(n + 1);
    if (mode == 1)
      Lzh_Decode(data + 4, u32(size - 4), out.data(), n);
    else
      Zlib_Inflate_Status(data + 4, out.data(), u32(size - 4), n);
  }
  return 0;
}
