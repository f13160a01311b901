// The rig part's data: the structure standing in water, its surroundings, camera orbit and pictures.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "k3d_writer.h"
#include "path_writer.h"
#include "runtime/types.h"

// Sizes in engine units (x right, y down, z forward) and the load scales of the meshes and the path.
const f32 kArtRigSurroundScale = 40.0f;
const f32 kArtRigStructureScale = 20.0f;
const f32 kArtRigPathScale = 20.0f;
const f32 kArtRigHalfSide = 6000.0f;  // the horizon is a square ring of this half side round the origin
const f32 kArtRigHeight = 1800.0f;    // the ring's height over the water
const f32 kArtRigSkyHeight = 1760.0f;  // the sky's
const u32 kArtRigRingQuads = 16;
const u32 kArtRigPathRecords = 2600;  // one a tick; the orbit closes on itself

// Texture numbers of the structure's faces (tiles of "rig/rigformo.pcx").
enum ArtRigTexture : u8 {
  ART_RIG_STEEL = 1,
  ART_RIG_LATTICE,
  ART_RIG_DECK,
  ART_RIG_CABIN,
  ART_RIG_LEG,
  ART_RIG_RUST,
  ART_RIG_STRIPES,
};

// "water": one quad at the water line; "horizon": a square ring of quads, each [top-left, bottom-left,
// bottom-right, top-right] seen from inside; "sky": one quad at the ring's top.
K3dMesh Art_Rig_Surroundings(void);
// The structure: deck, legs and braces, cabins, derrick, crane and flare boom, outward-facing quads.
K3dMesh Art_Rig_Structure(void);
// The camera's closed orbit round the structure, in the path file's axes.
std::vector<PathCameraKey> Art_Rig_Camera_Keys(void);

// 256 x 256 texels each.
std::vector<u32> Art_Rig_Horizon_Pixels(void);  // four tiles of one panorama: sky, hills, distant sea
std::vector<u32> Art_Rig_Water_Pixels(void);    // ripples
std::vector<u32> Art_Rig_Sky_Pixels(void);      // bright hazy clouds
std::vector<u32> Art_Rig_Form_Pixels(void);     // the structure's tiles and the lights' glows

// The entries "rig/horizd.pcx", "rig/water3.pcx", "rig/ksky6.pcx", "rig/rigformo.pcx", "rig/rig6.k3d",
// "rig/rigform7.k3d" and "rig/rigformb.cam".
bool Art_Rig_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
