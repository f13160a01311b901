// The box part's data: the crate room, the egg-shaped shell, their pictures and the lens glows.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "k3d_writer.h"
#include "runtime/types.h"

// Sizes in engine units (x right, y down, z forward) and the load scales of the two meshes.
const f32 kArtBoxHalfSize = 1200.0f;  // the room encloses the orbiting camera
const f32 kArtBoxScale = 8.0f;
const f32 kArtBoxShellRadius = 190.0f;
const f32 kArtBoxShellScale = 0.75f;
const u32 kArtBoxShellRings = 15;  // rings of points between the two tips
const u32 kArtBoxShellSegments = 24;

// 256 x 256 texels: a crate side (frame, bolts, cross brace) over texels 4 .. 194, where the faces read it.
std::vector<u32> Art_Box_Crate_Pixels(void);
// 256 x 256 texels: a sphere map round (128, 128), lit from the upper left, dark outside radius 124.
std::vector<u32> Art_Box_Env_Pixels(void);
// The room "kasse": 8 shared points and 6 inward-facing quads, all of texture 0.
K3dMesh Art_Box_Crate(void);
// The shell "egg": a closed, outward-facing egg with ribs, its points shared so that its normals smooth.
K3dMesh Art_Box_Shell(void);
// The entries "box/kasse.pcx", "box/kenv.pcx", "box/klensc.pcx", "box/kasse.k3d" and "box/kgoaegg3.k3d".
bool Art_Box_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
