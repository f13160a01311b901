// The data file's entries for the coon part of the show.
#include "art_coon.h"
#include "assets/assets.h"

bool Assets_Coon(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Coon_Entries(dir, entries); }
