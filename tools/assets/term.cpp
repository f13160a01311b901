// The data file's entries for the term part of the show.
#include "art_term.h"
#include "assets/assets.h"

bool Assets_Term(const std::string& dir, std::vector<DatafileEntry>* entries) { return Art_Term_Entries(dir, entries); }
