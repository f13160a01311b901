// The data file's entries for the rig part of the show.
#include "assets/assets.h"

bool Assets_Rig(const std::string&, std::vector<DatafileEntry>*) { return true; }
