// VR sectors and portals: sector set-up from object names, the portal walk, the frame render, the polygon map.
#pragma once
#include "runtime/types.h"

const u32 kVrMaxPortals = 8;
const u32 kVrMaxLightMaps = 10;
const u32 kVrMaxLights = 10;
const u32 kVrMaxMapPolygons = 64;
const i32 kVrPortalDepth = 8;
const u32 kVrFirstOrderKey = 1000;

void VR_Init_Sectors(void);
void VR_Find_View_Sectors(u32 first_point);
void VR_Exit_Sectors(void);
void VR_Traverse_Portals(i32 from, i32 sector, i32 depth, u32 key);
void VR_Update_View_Vector(void);
void VR_Render_Frame(void);
void VR_Draw_Visible_Sectors(void);
void VR_Draw_By_Callback(void);
void VR_Set_Draw_Callbacks(DemoCallback start, DemoCallback draw, DemoCallback end);
void VR_End_Draw_Callbacks(void);
// The polygon the draw callback is called for.
u32 VR_Get_Callback_Polygon(void);
void VR_Add_Map_Polygon(u32 polygon);
void VR_Set_Map_Params(f32 x, f32 y, f32 z);
void VR_Set_Map_Dump(const char* name);
void VR_Render_Polygon_Map(u32 slot);
// The polygon map as the debug overlay reads it: the records in the list; the name of the dump the next
// map writes (empty when none is pending); the last record's polygon and vertex count (both 0 while the
// list is empty); one component (0 x, 1 y, 2 z, 3 w) of the map direction.
u32 VR_Get_Map_Count(void);
const char* VR_Get_Map_Dump_Name(void);
void VR_Get_Map_Last(u32* polygon, u32* vertex_count);
f32 VR_Get_Map_Direction(u32 axis);
// One planar map of an object: its polygons of one file texture get flags and coordinates within the
// rectangle (x, y, w, h), projected along (dx, dy, dz) into texture slot.
void VR_Map_Object_Texture(u32 object, u32 x, u32 y, u32 w, u32 h, u8 texture, u32 flags, f32 dx, f32 dy, f32 dz,
                           u32 slot);
void VR_Map_Polygon_Pair(u32 a, u32 b, u32 slot);
