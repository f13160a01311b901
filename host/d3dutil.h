// Direct3D conveniences beside the presenter: view, projection and rotation matrices, a material
// initialiser, pixel-format descriptions, and an offscreen surface with a converting copy.
#pragma once
#include "platform/plat_d3d.h"
#include "runtime/types.h"

// Row-major 4x4 matrix for row vectors (a point is transformed as p x M).
struct D3dMatrix {
  f32 _11, _12, _13, _14;
  f32 _21, _22, _23, _24;
  f32 _31, _32, _33, _34;
  f32 _41, _42, _43, _44;
};
typedef PlatVec3 D3dVector;
struct D3dColour {
  f32 r, g, b, a;
};
struct D3dMaterial {
  D3dColour diffuse, ambient, specular, emissive;
  f32 power;
};

enum : u32 { D3D_OK = 0, E_INVALIDARG = 0x80070057u };

void D3d_Init_Material(D3dMaterial* material, f32 r, f32 g, f32 b, f32 a);
// Camera at eye looking at target; E_INVALIDARG (matrix untouched) when no frame can be made.
u32 D3d_Set_View_Matrix(D3dMatrix* m, const D3dVector& eye, const D3dVector& target, const D3dVector& up);
// Perspective with depth 0 at near and 1 at far. aspect is height / width (0.625 for 320 x 200):
// it scales x. E_INVALIDARG (matrix untouched) for near = far or a zero field of view.
u32 D3d_Set_Projection_Matrix(D3dMatrix* m, f32 fov, f32 aspect, f32 near_plane, f32 far_plane);
D3dMatrix* D3d_Set_Rotate_X(D3dMatrix* m, f32 angle);
D3dMatrix* D3d_Set_Rotate_Y(D3dMatrix* m, f32 angle);
D3dMatrix* D3d_Set_Rotate_Z(D3dMatrix* m, f32 angle);
// About an axis through the origin; this form turns the opposite way to the three above. A zero
// axis stays zero after normalising, which leaves cos(angle) on the diagonal.
D3dMatrix* D3d_Set_Rotation_Matrix(D3dMatrix* m, const D3dVector& axis, f32 angle);
void D3d_Set_Identity(D3dMatrix* m);
void D3d_Vector_Set(D3dVector* v, f32 x, f32 y, f32 z);
f32 D3d_Dot(const D3dVector& a, const D3dVector& b);
D3dVector D3d_Cross(const D3dVector& a, const D3dVector& b);

struct FormatDesc {
  u32 format;
  u32 red_shift, green_shift, blue_shift, alpha_shift;
  u32 alpha_mask, red_mask, green_mask, blue_mask;
  u32 alpha_max, red_max, green_max, blue_max;
  u32 bits;
};

class FormatInfo {
 public:
  virtual ~FormatInfo() {}
  // 1 and the record filled; 0 without a record; 8 for a format it does not know (the record then
  // holds 0 bits and masks of 0xFF).
  u32 Describe(u32 format, FormatDesc* desc) const;
};

// Result codes of OffscreenSurface.
enum : u32 { SURFACE_FAILED = 0, SURFACE_DONE = 1, SURFACE_NO_DEVICE = 2, SURFACE_BAD_FORMAT = 8 };

class OffscreenSurface {
 public:
  OffscreenSurface() {}
  virtual ~OffscreenSurface();
  OffscreenSurface(const OffscreenSurface&) = delete;
  OffscreenSurface& operator=(const OffscreenSurface&) = delete;

  u32 Set_Device(PlatDevice* device);
  u32 Create(u32 width, u32 height, u32 format);
  // The picture scaled into a 256 x 256 surface of the format; opaque black becomes transparent.
  u32 Load_From_File(const char* name, u32 format);
  PlatSurface* Get_Surface(void) const { return surface; }
  // Copies the source rectangle (clamped to the surface) to x, y of the destination, clipped to it,
  // converting the channels between the two formats.
  u32 Copy_To(PlatSurface* dest, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);

 private:
  void Release_Surface(void);

  FormatInfo info;
  PlatDevice* device = nullptr;  // not owned
  PlatSurface* surface = nullptr;
  u32 width = 0, height = 0, format = 0;
};
