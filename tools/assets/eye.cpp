// The data file's entries for the eye part of the show.
#include "assets/assets.h"

bool Assets_Eye(const std::string&, std::vector<DatafileEntry>*) { return true; }
