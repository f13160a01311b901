// The data file's entries for the gang part of the show.
#include "art_gang.h"
#include "assets/assets.h"

bool Assets_Gang(const std::string& dir, std::vector<DatafileEntry>* entries) { return Gang_Art_Entries(dir, entries); }
