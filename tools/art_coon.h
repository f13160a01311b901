// The coon scene's pictures: a gridded, lettered picture for the patch to bend, and the label sheet.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/types.h"

const u32 kArtCoonWidth = 320;
const u32 kArtCoonRows = 205;  // 65600 pixels: the patch reads the first 65536
const u32 kArtGreetsHeight = 200;
const u32 kArtLabels = 27;
// Brightness of the picture under the labels (of full) and of the labels' corner marks (0..255).
const f64 kArtCoonDarkCell = 0.30;
const f64 kArtCoonLightCell = 0.42;
const u32 kArtCoonGridLine = 110;
const u32 kArtLabelMark = 150;

// 320 x 205 0x00RRGGBB pixels: coloured cells, grid lines and the show's title.
std::vector<u32> Art_Coon_Picture(void);
// The label texts, pieces 0-8 in the first column of the sheet, 9-17 the second, 18-26 the wide third.
const char* Art_Coon_Label(u32 n);
// 320 x 200 pixels: the labels in white on black, each with corner marks inside its 21-row box.
std::vector<u32> Art_Coon_Greets(void);
// "coon/coon1.pcx" and "coon/greets.pcx".
bool Art_Coon_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
