// Fuzz target: the XM loader on arbitrary bytes, then rows, effects and mixing of what it accepts.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music/xmload.h"
#include "music/xmmix.h"
#include "xm_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XmModule* m = Load_Bytes(std::vector<u8>(data, data + size));
  if (!m) return 0;
  if (Xm_Render_Start(m)) {
    // Walk the song's rows and effects quickly, then mix a little of it.
    for (int i = 0; i < 3000; i++) m->tick_function(m);
    std::vector<i16> pcm(Xm_Chunk_Frames() * 2);
    for (int i = 0; i < 6; i++) Xm_Render_Chunk(pcm.data());
  }
  Xm_Stop_Module(m);
  Xm_Free_Module(m);
  return 0;
}
