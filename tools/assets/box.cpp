// The data file's entries for the box part of the show.
#include "assets/assets.h"

bool Assets_Box(const std::string&, std::vector<DatafileEntry>*) { return true; }
