// The data file "velmoran.dat": every picture, mesh, path and animation entry the loaders open.
#include <vector>

#include "assets/assets.h"
#include "writer.h"

bool Assets_Write_Datafile(const std::string& dir) {
  return Write_File(dir + "/velmoran.dat", std::vector<u8>());
}
