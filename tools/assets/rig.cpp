// The data file's entries for the rig part of the show.
#include "art_rig.h"
#include "assets/assets.h"

bool Assets_Rig(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Rig_Entries(dir, entries); }
