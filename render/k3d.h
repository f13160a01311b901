// K3D mesh loader: named objects with points and polygons, and animation frames, into the mesh store.
#pragma once
#include "runtime/types.h"

u16 Mesh_Load_K3D(const char* name, f32 ox, f32 oy, f32 oz, f32 scale, u8 texture_base);
u16 Mesh_Load_K3D_Objects(const char* name, f32 ox, f32 oy, f32 oz, f32 scale, u16 attribute_a, u16 attribute_b,
                          u8 texture_base, u32 flags);
// The same loads from bytes already in memory; name is used in messages only.
u16 Mesh_Load_K3D_Buffer(const char* name, const u8* bytes, u32 size, f32 ox, f32 oy, f32 oz, f32 scale,
                         u8 texture_base);
u16 Mesh_Load_K3D_Objects_Buffer(const char* name, const u8* bytes, u32 size, f32 ox, f32 oy, f32 oz, f32 scale,
                                 u16 attribute_a, u16 attribute_b, u8 texture_base, u32 flags);
// How a file is to be loaded, for the check: what the target can take.
enum MeshK3dTarget : u8 {
  MESH_K3D_STILL_OBJECT,     // into an object that is not movable: no animation frames
  MESH_K3D_OBJECTS,          // one object per block: no frame blocks
  MESH_K3D_MOVABLE_NEW,      // into a movable object whose buffer is sized from the header's point total
  MESH_K3D_MOVABLE_BUFFER,   // into a movable object that brought its own buffer
};
// Checks a file's layout without loading it: null when it is sound, else the reason ("Mesh: K3D ...").
const char* Mesh_Check_K3D(const char* name, const u8* bytes, u32 size, MeshK3dTarget target);
