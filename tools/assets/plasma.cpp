// The data file's entries for the plasma part of the show.
#include "art_plasma.h"
#include "assets/assets.h"

bool Assets_Plasma(const std::string& dir, std::vector<DatafileEntry>* entries) {
  return Art_Plasma_Entries(dir, entries);
}
