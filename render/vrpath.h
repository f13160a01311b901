// VR paths and events: camera and object paths, stepping and seeking, scene views, door events, positional sound.
#pragma once
#include "render/vr.h"
#include "runtime/types.h"

// One path record after loading: position, then the rotation matrix row by row.
struct VrPathRecord {
  f32 position[3];
  f32 matrix[9];
};
static_assert(sizeof(VrPathRecord) == 48);
const u32 kVrPathRecordBytes = 48;

typedef void (*VrEventCallback)(u32 event);

// A timed animation of one object (a door), stepped 85 times a second and run once a frame.
struct VrEvent {
  u32 object;
  u32 scene;  // the mesh scene whose object it animates
  u8* saved_points;
  u8* saved_polys;
  u32 argument;
  u32 parameter[4];  // p3: duration in steps
  i32 counter;
  u32 direction;
  i32 value;
  i32 increment;
  i32 sound[2];
  i32 sound_a;
  i32 sound_b;
  VrEventCallback callback;
  u8 state;  // 0 idle, 1 triggered, 2 running
};
const u32 kVrMaxEvents = 32;

// Why a path file of this size cannot be loaded, or null when it can.
const char* VR_Check_Path_Size(u32 bytes);
// Converts the raw records of a path file in place; count records, camera (1) or object (0) form.
void VR_Convert_Camera_Records(VrPathRecord* records, u32 count, f32 scale);
void VR_Convert_Object_Records(VrPathRecord* records, u32 count, f32 scale);

void VR_Load_Camera_Path(const char* name, f32 scale);
void VR_Free_Camera_Path(void);
void VR_Print_Camera_Path(void);
void VR_Apply_Camera_Path(void);
void VR_Step_Camera_Path(void);
void VR_Step_Camera_Path_Back(void);
void VR_Seek_Camera_Path(i32 n);
void VR_Set_Path_Loop(void);
void VR_Load_Object_Path(const char* name, f32 scale);
void VR_Free_Object_Paths(void);
void VR_Apply_Object_Path(u32 object);
void VR_Step_Object_Path(u32 object);
void VR_Step_Object_Path_Back(u32 object);
void VR_Seek_Object_Paths(i32 n);
void VR_Step_All_Paths(void);
void VR_Step_All_Paths_Back(void);
void VR_Select_Tick_Scene(u32 scene);
void VR_Tick_Paths(u32 scene);
void VR_Lock_Tick(void);
void VR_Unlock_Tick(void);
void VR_Store_Scene(void);
void VR_Select_Scene(u32 scene);

u32 VR_Event(u32 argument, u32 object, u32 p0, u32 p1, u32 p2, u32 p3);
void VR_Save_Event_Copies(void);
void VR_Set_Event_Sound(u32 event, i32 sound0, i32 sound1, i32 a, i32 b);
void VR_Set_Event_Callback(u32 event, VrEventCallback callback);
void VR_Trigger_Event(u32 event);
void VR_Step_Events(void);
void VR_Step_Camera_Events(void);
void VR_Run_Events(void);
VrEvent* VR_Get_Event(u32 event);
void VR_Set_Sound_Unit(i32 unit);
void VR_Play_Positional_Sound(f32 x, f32 y, f32 z, i32 sample, i32 a5, i32 a6, i32 volume);
// The volume (10..63) and pan (-63..63) a sound at (x, y, z) gets from the working camera.
void VR_Sound_Volume_Pan(f32 x, f32 y, f32 z, i32 base_volume, i32* volume, i32* pan);
void VR_Print_Object_Matrix(void);

// Debug keys of the sequencer: path override ('C'), stepping the paths (Right, Left).
void VR_Toggle_Path_Override(void);
bool VR_Is_Path_Running(void);
void VR_Set_Path_Running(bool on);
// The camera path record reached (for the debug overlay).
u32 VR_Get_Path_Record(void);
