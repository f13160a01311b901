// The race part's data: a tileable metal plate, four lens glows and the camera's looping flight.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "path_writer.h"
#include "runtime/types.h"

// The flight takes this many ticks (records) for one lap; the path loops.
const u32 kArtRacePathRecords = 2600;
// Engine units per path-file unit: the scene's point scale 0.05 times its path scale 570.
const f32 kArtRacePathUnit = 28.5f;

// 256 x 256 texels, 0x00RRGGBB, row after row: riveted tread plate that repeats seamlessly.
std::vector<u32> Art_Race_Metal_Pixels(void);
// 256 x 64 texels: four 64 x 64 glows on black side by side (white-blue, amber ring, cyan star, violet ghost).
std::vector<u32> Art_Race_Lens_Pixels(void);
// One lap through the sprite field between the planes, in the file's axes (y up), path units.
std::vector<PathCameraKey> Art_Race_Camera_Keys(void);
// The entries "race/metala.pcx", "race/klensc.pcx" and "race/race4.cam".
bool Art_Race_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
