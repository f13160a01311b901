// The data file's entries for the intro part of the show.
#include "assets/assets.h"

bool Assets_Intro(const std::string&, std::vector<DatafileEntry>*) { return true; }
