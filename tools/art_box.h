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
// The scene swells the shell by up to 120 along its normals: a shell of this radius takes that as a
// swelling, not a bursting.
const f32 kArtBoxShellRadius = 230.0f;
const f32 kArtBoxShellLength = 1.15f;  // half its height over its radius
const f32 kArtBoxShellScale = 0.75f;
// Rings x segments = 512: the points then take each of the swell's 512 phases once.
const u32 kArtBoxShellRings = 16;  // rings of points between the two tips
const u32 kArtBoxShellSegments = 32;
const u32 kArtBoxShellFirstPoint = 12;  // the shell's first point in the scene: after the room's 8 and 4 sprites
const u32 kArtBoxShellRingPhase = 64;   // from ring to ring; 16 rings make the whole cycle of 1024
const u32 kArtBoxShellPhaseStart = (10 * kArtBoxShellFirstPoint + 6) & 1023;  // the first ring's

// 256 x 256 texels: a crate side (frame, bolts, cross brace) over texels 4 .. 194, where the faces read it.
std::vector<u32> Art_Box_Crate_Pixels(void);
// 256 x 256 texels: a sphere map round (128, 128), lit from the upper left, dark outside radius 124.
std::vector<u32> Art_Box_Env_Pixels(void);
// The room "kasse": 8 shared points and 6 inward-facing quads, all of texture 0.
K3dMesh Art_Box_Crate(void);
// The swell phase of the shell's point on ring 1 .. rings and segment 0 .. segments - 1.
u32 Art_Box_Shell_Phase(u32 ring, u32 segment);
// The shell "egg": a closed, outward-facing egg with ribs, its points shared so that its normals smooth;
// points are ordered by the swell phase they are to take.
K3dMesh Art_Box_Shell(void);
// The entries "box/kasse.pcx", "box/kenv.pcx", "box/klensc.pcx", "box/kasse.k3d" and "box/kgoaegg3.k3d".
bool Art_Box_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
