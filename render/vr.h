// The sector-and-portal 3D engine: view, working camera, engine-wide state and the camera and object calls.
#pragma once
#include "runtime/types.h"

// Per-scene tables are indexed by scene point and normal index.
const u32 kVrMaxPoints = 10000;
const u32 kVrMaxNormals = 10000;

enum VrAngle : u8 { VR_PITCH, VR_YAW, VR_ROLL };

// The viewport into the frame buffer and the projection factors.
struct VrView {
  u16 width, height;
  i32 centre_x, centre_y;
  u32* target;  // 32-bit buffer the span fillers draw into
  f32 base_focal;
  f32 focal_x, focal_y;
  i32 origin_x, origin_y;  // offsets of the environment coordinates
  i32 depth_shift, height_shift;
  u8 initialised;
};
extern VrView vr_view;

// The working camera: what a frame is drawn from (copied from the scene record when a scene is selected).
struct VrCamera {
  f32 position[3];
  i32 angles[3];  // pitch, yaw, roll: 0..2047
  i32 aim[3];     // the second angle triple, added to movables' angles for their normals
};
extern VrCamera vr_camera;

// A rotated normal with the environment coordinates the fillers read.
struct VrRotatedNormal {
  f32 x, y, z;
  u16 s, t;
};
static_assert(sizeof(VrRotatedNormal) == 16);
extern VrRotatedNormal vr_normals[kVrMaxNormals];

// The working camera path (also kept per scene in the mesh store).
struct VrPathRecord;
struct VrCameraPath {
  VrPathRecord* current;
  VrPathRecord* buffer;
  u32 file_size;
  u32 record_count;
  u32 records_left;  // from the current record to the end, inclusive
};

// Flags and counters the engine's parts share: the frame statistics, limits and modes.
struct VrEngine {
  u8 sector_world;
  u8 callback_mode;
  u8 flares_on;
  i32 far_limit;  // 0: none; the near limit is the rasterizer's integer z limit
  u32 draw_count;
  u32 points_drawn;
  u32 sectors_drawn;
  i32 camera_sector;
  f32 view_vector[3];  // (sin yaw, -sin pitch, cos yaw): also the light vector of the debug print
  VrCameraPath path;
  u8 path_on;
  u8 path_loops;
  u8 path_stepping;
  u8 path_override;
  u8 tick_busy;
  u32 event_count;
  u32 running_events;
};
extern VrEngine vr_engine;

void VR_Init(void);
void VR_Init_View(void);
void VR_Set_Viewport(u32 x0, u32 y0, u32 x1, u32 y1, u32* target);
void VR_Set_Centre(i32 x, i32 y);
void VR_Set_Screen_Origin(i32 x, i32 y);
void VR_Set_Sprite_Shifts(i32 unused, i32 depth_shift, i32 height_shift);
void VR_Set_Fov(i16 degrees);
void VR_Set_Aspect(f32 ratio);
void VR_Set_Camera_Position(i32 x, i32 y, i32 z);
void VR_Move_Camera(i16 dx, i16 dy, i16 dz);
void VR_Rotate_Camera(i32 d0, i32 d1, i32 d2);
void VR_Rotate_Camera_Aim(i32 d0, i32 d1, i32 d2);
void VR_Rotate_Object(u32 object, i32 d0, i32 d1, i32 d2);
void VR_Set_Object_Position(u32 object, i32 x, i32 y, i32 z);
void VR_Normal_Env_Coords(u32 first, u32 count, u32 form, u32 shade);
void VR_Normal_Env_Coords_Raw(u32 first, u32 count, u32 form, u32 shade);
void VR_Sprite_Env_Coords(u32 first_point, u32 first_normal, u32 count, u32 shade);
void VR_Draw_Quad_Additive(i32 x, i32 y, const u32* texture, i32 w, i32 h, i32 ua, i32 va, i32 ub, i32 vb);
bool VR_Is_On_Screen(f32 x, f32 y, f32 z);
bool VR_Is_Far(f32 z);

// An angle after adding a delta, kept within 0..2047 whatever the delta.
inline i32 VR_Wrap_Angle(i32 angle) { return angle & 2047; }
// The mesh scene that camera and object calls act on: the tick scene inside the music tick, else the
// selected scene; null when there is none.
struct MeshScene;
struct MeshObject;
MeshScene* VR_Scene_In_Context(void);
i32 VR_Context_Scene(void);
// An object of a scene, read through the working set when the scene is the selected one; null when
// there is no such object.
MeshObject* VR_Scene_Object(i32 scene, u32 object);
// The movables list of a scene and its length, the same way.
u32 VR_Scene_Movables(i32 scene, const u32** list);
