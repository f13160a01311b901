// The data file's entries for the gang part of the show.
#include "assets/assets.h"

bool Assets_Gang(const std::string&, std::vector<DatafileEntry>*) { return true; }
