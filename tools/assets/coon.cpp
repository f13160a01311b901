// The data file's entries for the coon part of the show.
#include "assets/assets.h"

bool Assets_Coon(const std::string&, std::vector<DatafileEntry>*) { return true; }
