// The data file "velmoran.dat": every picture, mesh, path and animation entry the loaders open.
#include <vector>

#include "assets/assets.h"
#include "datafile_writer.h"

namespace {
// A few small entries, so that the program starts on a real data file.
std::vector<DatafileEntry> Assets_Test_Entries(void) {
  DatafileEntry pattern{"test/pattern.bin", std::vector<u8>(256), DATAFILE_RAW};
  for (u32 i = 0; i < 256; i++) pattern.data[i] = u8(i);
  const char* text = "Velmoran by Tarvek.\n";
  DatafileEntry notice{"test/notice.txt", std::vector<u8>(text, text + 20), DATAFILE_RAW};
  return {pattern, notice};
}
}  // namespace

bool Assets_Write_Datafile(const std::string& dir) {
  return Datafile_Write(dir + "/velmoran.dat", Assets_Test_Entries());
}
