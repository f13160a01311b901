// The data file "velmoran.dat": every picture, mesh, path and animation entry the loaders open.
#include <vector>

#include "assets/assets.h"
#include "datafile_writer.h"

bool Assets_Write_Datafile(const std::string& dir) {
  std::vector<DatafileEntry> entries;
  bool (*const parts[])(const std::string&, std::vector<DatafileEntry>*) = {
      Assets_Design, Assets_Intro, Assets_Rig,    Assets_Term, Assets_Race,    Assets_Box,
      Assets_Eye,    Assets_Gang,  Assets_Plasma, Assets_Coon, Assets_Credits,
  };
  for (auto part : parts)
    if (!part(dir, &entries)) return false;
  return Datafile_Write(dir + "/velmoran.dat", entries);
}
