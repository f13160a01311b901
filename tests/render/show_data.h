// The test show's data: a rotating mesh, a corridor of sectors with a door, its camera path and a texture.
#pragma once
#include <string>
#include <vector>

#include "k3d_writer.h"
#include "path_writer.h"
#include "runtime/types.h"

// Texture numbers of the corridor's polygons (added to the scene's first corridor slot).
enum ShowCorridorTexture : u8 { SHOW_WALL, SHOW_FLOOR, SHOW_CEILING, SHOW_DOOR };
// Texture numbers of the rotating mesh: the cube's picture, the ring's relief.
enum ShowMeshTexture : u8 { SHOW_PICTURE, SHOW_RELIEF };

// Corridor sizes, in mesh units (x right, y down, z forward).
const f32 kShowRoomHalfWidth = 600.0f;
const f32 kShowDoorHalfWidth = 300.0f;
const f32 kShowHalfHeight = 450.0f;
const f32 kShowDoorStart = 2000.0f;  // the door's passage runs from here
const f32 kShowDoorDepth = 400.0f;
const f32 kShowPanelZ = 2180.0f;     // front face of the door panel
const f32 kShowPanelDepth = 40.0f;
const f32 kShowPanelOpen = 36.0f;    // the open panel's height under the ceiling
const f32 kShowCorridorEnd = 6400.0f;
const u32 kShowPathRecords = 640;    // one a tick
const f32 kShowDoorOpenDistance = 1400.0f;  // the door starts opening when the camera is this near its centre

// A cube "cube" (faces of texture SHOW_PICTURE) and a smooth ring "ring" (SHOW_RELIEF) about the origin.
K3dMesh Show_Mesh(void);
// Sectors "room0", "door0", "room1", "room2" joined by the portal quads "view0".."view2"; the door's
// first eight points are its panel, the last four of them its moving bottom edge.
K3dMesh Show_Corridor(void);
// The camera's flight along the corridor, in mesh units; the file keys for a path scale of 1.
std::vector<PathCameraKey> Show_Camera_Keys(void);
// A 256 x 256 brick picture, 0x00RRGGBB texels, row after row.
std::vector<u32> Show_Texture_Pixels(void);
// The picture as a 24-bit PCX file, written through the engine's writer into a scratch file.
bool Show_Texture_Pcx(const std::string& scratch_path, std::vector<u8>* bytes);
