// VR geometry: camera and object matrices, point transforms, projection with outcodes, polygon classes, fly keys.
#pragma once
#include "render/mesh.h"
#include "render/vr.h"
#include "runtime/types.h"

// Rows apply to a column vector: out[r] = m[3r] x + m[3r + 1] y + m[3r + 2] z.
struct VrMatrix {
  f32 m[9];
};
extern VrMatrix vr_camera_matrix;
extern VrMatrix vr_object_matrix;

// A projected point: screen x, y, integer depth, and the clip outcode in the last byte.
struct VrProjectedPoint {
  i32 x, y, z;
  u8 spare[3];
  u8 outcode;
};
static_assert(sizeof(VrProjectedPoint) == 16);

// Outcode bits against the rasterizer's clip window; 15 = far outside.
const u8 kVrOutLeft = 1, kVrOutRight = 2, kVrOutBelow = 4, kVrOutAbove = 8, kVrOutFar = 15;
// Projected coordinates are held within this bound so that points just in front of the camera stay finite.
const f32 kVrProjectLimit = 1.0e9f;

extern MeshPoint vr_transformed[kVrMaxPoints];
extern VrProjectedPoint vr_projected[kVrMaxPoints];

// Table sine and cosine of any integer angle (2048 a turn).
f32 VR_Sin(i32 angle);
f32 VR_Cos(i32 angle);
// A float truncated toward zero, held within +/- kVrProjectLimit first.
i32 VR_Clamp_To_Int(f32 v);

void VR_Make_Camera_Matrix(void);
void VR_Make_Object_Matrix(i32 a0, i32 a1, i32 a2);
// The camera matrix of given angles, whatever the working camera holds.
VrMatrix VR_Camera_Matrix_Of(i32 pitch, i32 yaw, i32 roll);
VrMatrix VR_Object_Matrix_Of(i32 a0, i32 a1, i32 a2);
void VR_Transform_Points(const MeshPoint* source, MeshPoint* destination, u32 n);
void VR_Transform_Object_Points(const MeshPoint* source, MeshPoint* destination, u32 n, f32 tx, f32 ty, f32 tz);
void VR_Transform_Point(const MeshPoint* source, MeshPoint* destination);
void VR_Rotate_Camera_Vector(const f32* source, f32* destination);
void VR_Rotate_Object_Vector(const f32* source, f32* destination);
void VR_Project_Points(const MeshPoint* source, VrProjectedPoint* destination, u32 n);
void VR_Classify_Polys(void);
// The class of one polygon from the projected table (0 not drawn, 1 clipped, 2 inside).
u8 VR_Classify_Poly(const MeshPoly& poly);
void VR_Debug_Fly_Keys(void);
void VR_Fly_Step(void);
void VR_Step_Fly_Speed(i32* impulse, i32* speed, i32 limit);
// The fly state: forward, then pitch, yaw and roll impulses and speeds.
struct VrFly {
  i32 forward_impulse, forward_speed;
  i32 impulse[3];
  i32 speed[3];
  i32 limit[3];
};
extern VrFly vr_fly;
void VR_Copy_Dwords(const void* source, void* destination, i32 n);
void VR_Init_Map_Focal(void);
f32 VR_Get_Map_Focal(void);

// Float variants: no caller in the show.
void VR_Project_Points_Float(const MeshPoint* source, MeshPoint* destination, u32 n);
void VR_Scale_Points_Float(const MeshPoint* source, MeshPoint* destination, u32 n);
void VR_Float_To_Screen(const MeshPoint* source, VrProjectedPoint* destination, u32 n);
void VR_Classify_Polys_Float(const MeshPoint* projected);
