// The term part's data: the figure, the hall round it, the camera's flight and the pictures.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "art.h"
#include "k3d_writer.h"
#include "path_writer.h"
#include "runtime/types.h"

// Load scales of the figure, the hall and the path; sizes in engine units (x right, y down, z forward).
const f32 kArtTermFigureScale = 40.0f;
const f32 kArtTermHallScale = 16.0f;
const f32 kArtTermPathScale = 16.0f;
const f32 kArtTermFigureY = 1350.0f;     // where the scene stands the figure (the top of its head)
const f32 kArtTermFigureHeight = 1650.0f;
const f32 kArtTermHallHalf = 6400.0f;    // the hall's walls stand this far from the figure
const f32 kArtTermHallTop = -1600.0f;    // the panelled walls' tops
const f32 kArtTermUpperTop = -8000.0f;   // the plain shaft above them; the hall has no roof
const f32 kArtTermFloorY = kArtTermFigureY + kArtTermFigureHeight;
const u32 kArtTermGridMax = 8;           // the floor's quads a side
const f32 kArtTermLightY = 1140.0f;      // the scene's ceiling light: a diamond of this half-diagonal
const f32 kArtTermLightHalf = 3080.0f;
const ArtVec kArtTermSun = {-5000.0f, -25000.0f, -5000.0f};  // where the scene sets the lens sprite
const f32 kArtTermSunViews[2] = {0.40f, 0.90f};  // parts of the loop at which the camera looks at the sun
const f32 kArtTermSunLook = 0.45f;  // how far the view's target moves from the figure to the sun
const f32 kArtTermOrbitStart = 1.15f * 3.14159265f;  // puts both views on the side away from the sun
const u8 kArtTermFrames = 19;            // the figure's animation ends where it began
const u32 kArtTermPathRecords = 3300;

// Texture numbers the scene reads from the meshes.
enum ArtTermTexture : u8 {
  ART_TERM_CHROME = 0,  // environment-mapped
  ART_TERM_WALL = 1,    // rippled wall
  ART_TERM_PANEL = 2,   // plain panel; on the figure, its chest
  ART_TERM_BAND = 3,    // panel drawn behind what stands before it
  ART_TERM_SCREEN = 4,  // screen; on the figure, its face
  ART_TERM_HEAD = 5,    // the top of the figure's head
  ART_TERM_TRIM = 6,    // wall picture without ripples
};

// "figure": a standing figure facing the camera's start (-z), its arms rising and falling in the frames.
K3dMesh Art_Term_Figure(void);
// "hall": an open hall of inward-facing walls, screens and a floor round the figure.
K3dMesh Art_Term_Hall(void);
// The camera's loop round the figure, now and then looking up at the sun.
std::vector<PathCameraKey> Art_Term_Camera_Keys(void);

// 256 x 256 texels each.
std::vector<u32> Art_Term_Face_Pixels(void);    // the face after (left half) and before (right half)
std::vector<u32> Art_Term_Body_Pixels(void);    // the chest plate in columns 64 .. 127
std::vector<u32> Art_Term_Env_Pixels(void);     // the hall seen in a chrome ball
std::vector<u32> Art_Term_Wall_Pixels(void);    // ripples (columns 0 .. 63) and a panel (64 .. 127)
std::vector<u32> Art_Term_Screen_Pixels(void);  // three screens of 64 columns
std::vector<u32> Art_Term_Panel_Pixels(void);   // light panels above, the figure's chrome below
std::vector<u32> Art_Term_Lens_Pixels(void);    // the sun and the pieces of its lens flare

// The entries "Term/wface2.pcx", "Term/wbody2.pcx", "Term/envir24p.pcx", "Term/Term1.pcx",
// "Term/newdone3.pcx", "Term/Termp9.pcx", "term/klensf.pcx", "Term/tanim.k3d", "Term/kTerm8.k3d" and
// "Term/kTerma.cam".
bool Art_Term_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
