// The data file's entries for the term part of the show.
#include "assets/assets.h"

bool Assets_Term(const std::string&, std::vector<DatafileEntry>*) { return true; }
