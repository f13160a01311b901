// Data of the gang scene: a corridor of sectors with five doors, a walking figure, the camera's walk, five pictures.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "k3d_writer.h"
#include "path_writer.h"
#include "runtime/types.h"

// Corridor sizes in engine units (x right, y down, z forward); all are whole multiples of the file scale.
const f32 kGangFileScale = 18.0f;
const f32 kGangFigureScale = 12.0f;
const f32 kGangHalfWidth = 396.0f;
const f32 kGangCeiling = -450.0f, kGangFloor = 432.0f;
const f32 kGangDoorHalfWidth = 234.0f;
const f32 kGangDoorDepth = 396.0f;
const f32 kGangShutterOpen = 18.0f;  // the open shutter's height under the ceiling
const u32 kGangDoorCount = 5;
// Door centres along z in event order: 0 and 2 and 3 open on the schedule, 1 stays shut, 4 stays open.
const f32 kGangDoorZ[kGangDoorCount] = {1998.0f, 5814.0f, -2394.0f, -4806.0f, 4410.0f};
const f32 kGangNearEnd = -10008.0f;
const u32 kGangPathRecords = 2801;
const u32 kGangFigureFrames = 12;

// File texture numbers the scene gives meaning to.
enum GangTexture : u8 {
  GANG_SKIN = 0,      // the figure: environment-mapped
  GANG_CEILING = 1,
  GANG_WALL = 2,      // also the figure's chest
  GANG_FLOOR = 3,
  GANG_TRIM = 4,      // also the figure's face
  GANG_HEAD_TOP = 5,  // the figure's crown
  GANG_SHUTTER = 10,
  GANG_DETAIL = 11,
};

// Sectors "room*", doors "door0".."door4" (a shutter of 8 points and 6 polygons, then its passage) and
// portal quads "view*"; the last object is a view, holding the file's last polygon.
K3dMesh Gang_Art_Corridor(void);
// The figure: one object of boxes, kGangFigureFrames walk frames, facing -z.
K3dMesh Gang_Art_Figure(void);
// The camera's walk: three shots, each backing away along the corridor before the figure.
std::vector<PathCameraKey> Gang_Art_Camera_Keys(void);
// 256 x 256 pictures, 0x00RRGGBB.
std::vector<u32> Gang_Art_Face(void);
std::vector<u32> Gang_Art_Body(void);
std::vector<u32> Gang_Art_Gloss(void);
std::vector<u32> Gang_Art_Wall(void);
std::vector<u32> Gang_Art_Floor(void);
// Every entry the scene's loader opens.
bool Gang_Art_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
