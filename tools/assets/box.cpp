// The data file's entries for the box part of the show.
#include "art_box.h"
#include "assets/assets.h"

bool Assets_Box(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Box_Entries(dir, entries); }
