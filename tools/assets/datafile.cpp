// The data file "velmoran.dat": every picture, mesh, path and animation entry the loaders open.
#include <vector>

#include "assets/assets.h"
#include "datafile_writer.h"
#include "show_data.h"

namespace {
// The test show's entries: the rotating mesh, the corridor with its camera path, and their picture.
bool Assets_Test_Show_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  DatafileEntry texture{"test/texture.pcx", {}, DATAFILE_RAW};
  if (!Show_Texture_Pcx(dir + "/texture.pcx.part", &texture.data)) return false;
  entries->push_back(texture);
  entries->push_back({"test/box.k3d", K3d_Write(Show_Mesh()), DATAFILE_RAW});
  entries->push_back({"test/corridor.k3d", K3d_Write(Show_Corridor()), DATAFILE_RAW});
  entries->push_back({"test/corridor.cam", Path_Write_Camera(Show_Camera_Keys()), DATAFILE_RAW});
  return true;
}
}  // namespace

bool Assets_Write_Datafile(const std::string& dir) {
  std::vector<DatafileEntry> entries;
  if (!Assets_Test_Show_Entries(dir, &entries)) return false;
  bool (*const parts[])(const std::string&, std::vector<DatafileEntry>*) = {
      Assets_Design, Assets_Intro, Assets_Rig,    Assets_Term, Assets_Race,    Assets_Box,
      Assets_Eye,    Assets_Gang,  Assets_Plasma, Assets_Coon, Assets_Credits,
  };
  for (auto part : parts)
    if (!part(dir, &entries)) return false;
  return Datafile_Write(dir + "/velmoran.dat", entries);
}
