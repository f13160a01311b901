// The data file's entries for the credits part of the show.
#include "assets/assets.h"

bool Assets_Credits(const std::string&, std::vector<DatafileEntry>*) { return true; }
