// Pictures and the cloud animation of the intro: the two logos, the flare's glow and beams, the sky.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/types.h"

const u32 kArtLogoWidth = 320, kArtLogoHeight = 100;
const u32 kArtFlareWidth = 320, kArtFlareHeight = 99;
const u32 kArtFlareCentreX = 160, kArtFlareCentreY = 50;  // the beams' centre within the flare pictures
const u32 kArtSkyMaxIndex = 100;                           // brightest cloud byte

// The group logo: "TARVEK" in slanted gold letters over a small "PRESENTS", on black (0x00RRGGBB).
std::vector<u32> Art_Intro_Group_Logo(void);
// The title logo: "VELMORAN" in blue chrome letters across a light streak, on black.
std::vector<u32> Art_Intro_Title_Logo(void);
// The glow: a soft white-to-blue light around the centre, black at the picture's edges.
std::vector<u32> Art_Intro_Glow(void);
// The beams: a thin horizontal streak through the centre with a few faint lens ghosts along it.
std::vector<u32> Art_Intro_Beams(void);
// The sky: 32 frames of 160 x 100 cloud brightness bytes, drifting left and looping seamlessly.
std::vector<u8> Art_Intro_Sky(void);
// The entries "intro/tarlogo.pcx", "intro/vellogo.pcx", "flare/flare1.pcx", "flare/flare2.pcx", "sky/sky.pic".
bool Art_Intro_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
