// The data file's entries for the intro part of the show: logos, flare pictures and the sky animation.
#include "art_intro.h"
#include "assets/assets.h"

bool Assets_Intro(const std::string& dir, std::vector<DatafileEntry>* entries) {
  return Art_Intro_Entries(dir, entries);
}
