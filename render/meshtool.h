// Mesh tools: doors, polygon reduction, copies, flips, texture-coordinate tools, grids and raw adds.
#pragma once
#include "render/mesh.h"

// ---- doors ----
void Mesh_Add_Door(u32 first_point, u8 sector_a, u8 sector_b, u8 extra, u32 value);
void Mesh_Add_Door_Quad(const f32* corners, u8 sector_a, u8 sector_b, u8 extra, u32 value);

// ---- tools ----
void Mesh_Set_Reduction_Window(u32 window);
void Mesh_Polygon_Reduction(u32 object, f32 tolerance, f32 ratio, u8 make_quads);
void Mesh_Reduce_Object(f32 tolerance, f32 ratio, u8 make_quads);
void Mesh_Set_Auto_Reduction(f32 tolerance, f32 ratio, u8 make_quads);
// The pending reduction request of the next K3D load; false when none.
bool Mesh_Get_Auto_Reduction(f32* tolerance, f32* ratio, u8* make_quads);
void Mesh_Clear_Auto_Reduction(void);
bool Mesh_Float_Near(f32 a, f32 b, f32 tolerance);
u32 Mesh_Match_Edge(const MeshPoly& a, const MeshPoly& b);
void Mesh_Delete_Poly(u32 poly);
i32 Mesh_Find_Object_At(f32 x, f32 y, f32 z);
u32 Mesh_Copy_Object(u32 object);
void Mesh_Scale_Object(u32 object, f32 fx, f32 fy, f32 fz);
void Mesh_Flip_Object(u32 object);
void Mesh_Rotate_Poly_Uv(u32 poly);
void Mesh_Rotate_Poly_Indices(u32 poly);
void Mesh_Shift_Poly_Indices(u32 poly, i32 n, i32 unused);
void Mesh_Set_Poly_Special(u32 poly, u32 reference);
void Mesh_Set_Object_Tex_Scale(u32 object, f32 divisor, f32 multiplier);
void Mesh_Normal_Map_Uv(u32 object, i32 unused, u8 u_base, u8 v_base, i32 width, i32 height);
i32 Mesh_Find_Poly_By_Texture(u32 offset, u8 texture);
u32 Mesh_Add_Grid(f32 ox, f32 oy, f32 oz, f32 cx, f32 cy, f32 cz, f32 rx, f32 ry, f32 rz, u32 columns, u32 rows,
                  u8 texture);
void Mesh_Add_Raw_Point(f32 x, f32 y, f32 z);
void Mesh_Add_Raw_Triangle(u8 type, u8 texture, u32 flags, u32 p0, u32 p1, u32 p2, u8 u0, u8 v0, u8 u1, u8 v1, u8 u2,
                           u8 v2);
void Mesh_Add_Raw_Object(u16 first_point, u16 point_count, u16 first_poly, u16 poly_count, u32 flags);
