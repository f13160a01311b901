// The race part's data: a tileable corridor plate, four light streaks and the camera's circuit.
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
// The circuit, in engine units: straights along x at z = +-radius, joined by half circles; it keeps
// about the sprite fields (+-8750 across) and between the plates (+-2500 from the middle).
const f32 kArtRaceTurnRadius = 1875.0f;  // the straights follow lane lines of the plates
const f32 kArtRaceStraightHalf = 8000.0f;
const f32 kArtRaceLaps = 3.0f;           // laps of the circuit in one loop of the path
const f32 kArtRaceLookAhead = 1800.0f;
const f32 kArtRaceBob = 350.0f;
const f32 kArtRaceBank = 14.0f;          // degrees of roll in the turns

// 256 x 256 texels, 0x00RRGGBB, row after row: steel panels with lane lines down the columns, repeating
// seamlessly.
std::vector<u32> Art_Race_Metal_Pixels(void);
// 256 x 64 texels: four 64 x 64 glows on black side by side (white-blue, amber ring, cyan star, violet ghost);
// the box scene's lens sprites.
std::vector<u32> Art_Race_Lens_Pixels(void);
// 256 x 64 texels: four 64 x 64 light streaks across, on black (white-blue, amber, cyan, violet).
std::vector<u32> Art_Race_Streak_Pixels(void);
// Laps of the circuit through the sprite fields between the plates, in the file's axes (y up), path units.
std::vector<PathCameraKey> Art_Race_Camera_Keys(void);
// The entries "race/metala.pcx", "race/klensc.pcx" and "race/race4.cam".
bool Art_Race_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
