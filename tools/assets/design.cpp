// The data file's entries for the design part of the show.
#include "art_design.h"
#include "assets/assets.h"

bool Assets_Design(const std::string& dir, std::vector<DatafileEntry>* entries) {
  return Art_Design_Entries(dir, entries);
}
