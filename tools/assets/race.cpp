// The data file's entries for the race part of the show.
#include "art_race.h"
#include "assets/assets.h"

bool Assets_Race(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Race_Entries(dir, entries); }
