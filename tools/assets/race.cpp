// The data file's entries for the race part of the show.
#include "assets/assets.h"

bool Assets_Race(const std::string&, std::vector<DatafileEntry>*) { return true; }
