// VR polygon drawing: the draw list and its key, the radix sort, the per-polygon fill choice, flares, angles.
#pragma once
#include "render/mesh.h"
#include "runtime/types.h"

// A draw-list entry: 16-bit key (larger = farther), the polygon, and the next entry of its bucket.
struct VrDrawEntry {
  u16 key;
  u16 polygon;
  VrDrawEntry* link;
};
const u32 kVrMaxDraw = 10000;
const u32 kVrMaxFlares = 10;
const u32 kVrMaxTextureLevels = 16;

struct VrFlare {
  i32 x, y;
  const u32* texture;  // a 256 x 256 texture
  u32 colour;          // the light's pixel: the flare shows only while the frame still holds it there
  i32 half_size;       // kind 2
  u8 kind;             // 1, 2 or 3
};

void VR_Reset_Draw(void);
void VR_Build_Draw_List(void);
// Sorts count entries by key into 256 buckets; each bucket ends up far to near, equal keys in list order.
VrDrawEntry** VR_Radix_Sort(VrDrawEntry* entries, u32 count);
void VR_Sort_And_Draw(void);
void VR_Draw_Polygon(void);
void VR_Set_Current_Polygon(u32 polygon);
void VR_Draw_Lens_Flares(void);
void VR_Set_Texture_Levels(u32 n, i32 distance, u32* const* textures);
void VR_Set_Far_Limit(i32 limit);
void VR_Disable_Lens_Flares(void);
void VR_Direction_To_Angles(f32 x, f32 y, f32 z);

// Read access for the frame render, the overlay and tests.
const VrDrawEntry* VR_Get_Draw_List(void);
u32 VR_Get_Pre_Count(void);
const u32* VR_Get_Pre_List(void);  // slots 1..count
u32 VR_Get_Flare_Count(void);
const VrFlare* VR_Get_Flares(void);
void VR_Clear_Flares(void);
// The polygons in the order the last VR_Sort_And_Draw drew them (test and benchmark aid).
void VR_Record_Draw_Order(u32* order, u32 capacity, u32* count);
