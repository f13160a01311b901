// The data file's entries for the plasma part of the show.
#include "assets/assets.h"

bool Assets_Plasma(const std::string&, std::vector<DatafileEntry>*) { return true; }
