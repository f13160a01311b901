// The data file's entries for the credits part of the show.
#include "art_credits.h"
#include "assets/assets.h"

bool Assets_Credits(const std::string& dir, std::vector<DatafileEntry>* entries) {
  return Art_Credits_Entries(dir, entries);
}
