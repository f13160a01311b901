// Pictures of the eye scene: a close-up of an open eye and four pictures of its lid closing.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/types.h"

const u32 kArtEyeWidth = 256, kArtEyeHeight = 264;
const u32 kArtLidX = 42, kArtLidY = 74, kArtLidWidth = 160, kArtLidHeight = 130;

// The whole eye picture (kArtEyeWidth x kArtEyeHeight, 0x00RRGGBB), the eye open.
std::vector<u32> Art_Eye_Picture(void);
// The lid rectangle with the upper lid lowered by closed (0 open .. 1 shut).
std::vector<u32> Art_Eye_Lid(f32 closed);
// The entries "eye/keye1a.pcx" .. "eye/keye5a.pcx".
bool Art_Eye_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
