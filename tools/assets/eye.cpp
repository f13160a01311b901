// The data file's entries for the eye part of the show.
#include "art_eye.h"
#include "assets/assets.h"

bool Assets_Eye(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Eye_Entries(dir, entries); }
