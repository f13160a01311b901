// The credits picture: six pages stacked on a 50-line pitch.
#pragma once
#include <string>
#include <vector>

#include "art_design.h"
#include "datafile_writer.h"

// The 320 x 300 picture: page k (1..6) on rows 50 (k - 1) .. 50 (k - 1) + 48, black between pages and in
// the outermost two columns on either side.
ArtCanvas Art_Credits_Picture(void);
// The entry "credits/credits.pcx".
bool Art_Credits_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
