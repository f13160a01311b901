// VR geometry: camera and object matrices, point transforms, projection with outcodes, polygon classes, fly keys.
#include "render/vrtransform.h"

#include <cmath>
#include <cstring>

#include "render/poly.h"
#include "render/vrpath.h"
#include "runtime/demo.h"
#include "runtime/key.h"
#include "runtime/math.h"
#include "runtime/dmath.h"

VrMatrix vr_camera_matrix;
VrMatrix vr_object_matrix;
MeshPoint vr_transformed[kVrMaxPoints];
VrProjectedPoint vr_projected[kVrMaxPoints];
VrFly vr_fly = {0, 0, {0, 0, 0}, {0, 0, 0}, {20, 20, 20}};

namespace {
f32 vr_map_focal = 0.0f;

inline void Rotate(const VrMatrix& r, f32 x, f32 y, f32 z, f32* out) {
  out[0] = r.m[0] * x + r.m[1] * y + r.m[2] * z;
  out[1] = r.m[3] * x + r.m[4] * y + r.m[5] * z;
  out[2] = r.m[6] * x + r.m[7] * y + r.m[8] * z;
}

inline u8 Outcode(i32 x, i32 y) {
  const PolyState& st = poly_state;
  u8 code = 0;
  if (x > st.xmax) code |= kVrOutRight;
  if (x < st.xmin) code |= kVrOutLeft;
  if (y > st.ymax) code |= kVrOutBelow;
  if (y < st.ymin) code |= kVrOutAbove;
  if (std::abs(i64(x)) > 2 * i64(st.xmax) || std::abs(i64(y)) > 2 * i64(st.ymax)) code = kVrOutFar;
  return code;
}
}  // namespace

f32 VR_Sin(i32 angle) { return Math_Sin(angle & 2047); }
f32 VR_Cos(i32 angle) { return Math_Cos(angle & 2047); }

i32 VR_Clamp_To_Int(f32 v) {
  if (!(v > -kVrProjectLimit)) return v != v ? 0 : -i32(kVrProjectLimit);
  if (v > kVrProjectLimit) return i32(kVrProjectLimit);
  return i32(v);
}

VrMatrix VR_Camera_Matrix_Of(i32 pitch, i32 yaw, i32 roll) {
  const f32 cp = VR_Cos(pitch), sp = VR_Sin(pitch);
  const f32 cy = VR_Cos(yaw), sy = VR_Sin(yaw);
  const f32 cr = VR_Cos(roll), sr = VR_Sin(roll);
  VrMatrix r;
  r.m[0] = cr * cy + sr * sp * sy;
  r.m[1] = sr * cp;
  r.m[2] = sr * sp * cy - cr * sy;
  r.m[3] = cr * sp * sy - sr * cy;
  r.m[4] = cr * cp;
  r.m[5] = cr * sp * cy + sr * sy;
  r.m[6] = cp * sy;
  r.m[7] = -sp;
  r.m[8] = cp * cy;
  return r;
}

VrMatrix VR_Object_Matrix_Of(i32 a0, i32 a1, i32 a2) {
  const f32 cp = VR_Cos(a0), sp = VR_Sin(a0);
  const f32 cy = VR_Cos(a1), sy = VR_Sin(a1);
  const f32 cr = VR_Cos(a2), sr = VR_Sin(a2);
  VrMatrix r;
  r.m[0] = cr * cy - sp * sr * sy;
  r.m[1] = sp * cr * sy + sr * cy;
  r.m[2] = -cp * sy;
  r.m[3] = -sr * cp;
  r.m[4] = cr * cp;
  r.m[5] = sp;
  r.m[6] = sp * sr * cy + cr * sy;
  r.m[7] = sr * sy - sp * cr * cy;
  r.m[8] = cp * cy;
  return r;
}

void VR_Make_Camera_Matrix(void) {
  vr_camera_matrix =
      VR_Camera_Matrix_Of(vr_camera.angles[VR_PITCH], vr_camera.angles[VR_YAW], vr_camera.angles[VR_ROLL]);
}

void VR_Make_Object_Matrix(i32 a0, i32 a1, i32 a2) { vr_object_matrix = VR_Object_Matrix_Of(a0, a1, a2); }

// Only x, y and z are written: the fourth word of a destination keeps its normal index.
void VR_Transform_Points(const MeshPoint* source, MeshPoint* destination, u32 n) {
  const f32 cx = vr_camera.position[0], cy = vr_camera.position[1], cz = vr_camera.position[2];
  for (u32 i = 0; i < n; i++) {
    f32 out[3];
    Rotate(vr_camera_matrix, source[i].x - cx, source[i].y - cy, source[i].z - cz, out);
    destination[i].x = out[0];
    destination[i].y = out[1];
    destination[i].z = out[2];
  }
}

void VR_Transform_Object_Points(const MeshPoint* source, MeshPoint* destination, u32 n, f32 tx, f32 ty, f32 tz) {
  for (u32 i = 0; i < n; i++) {
    f32 out[3];
    Rotate(vr_object_matrix, source[i].x, source[i].y, source[i].z, out);
    destination[i].x = out[0] + tx;
    destination[i].y = out[1] + ty;
    destination[i].z = out[2] + tz;
  }
}

void VR_Transform_Point(const MeshPoint* source, MeshPoint* destination) {
  VR_Transform_Points(source, destination, 1);
}

void VR_Rotate_Camera_Vector(const f32* source, f32* destination) {
  f32 out[3];
  Rotate(vr_camera_matrix, source[0], source[1], source[2], out);
  std::memcpy(destination, out, sizeof(out));
}

void VR_Rotate_Object_Vector(const f32* source, f32* destination) {
  f32 out[3];
  Rotate(vr_object_matrix, source[0], source[1], source[2], out);
  std::memcpy(destination, out, sizeof(out));
}

void VR_Project_Points(const MeshPoint* source, VrProjectedPoint* destination, u32 n) {
  const f32 fx = vr_view.focal_x, fy = vr_view.focal_y;
  const i32 cx = vr_view.centre_x, cy = vr_view.centre_y;
  for (u32 i = 0; i < n; i++) {
    const MeshPoint& p = source[i];
    VrProjectedPoint& d = destination[i];
    if (p.z > 0.0f) {
      const f32 r = 1.0f / p.z;
      d.x = VR_Clamp_To_Int(fx * p.x * r) + cx;
      d.y = VR_Clamp_To_Int(fy * p.y * r) + cy;
      d.z = VR_Clamp_To_Int(p.z);
    } else {
      d.x = VR_Clamp_To_Int(fx * p.x) + cx;
      d.y = VR_Clamp_To_Int(fy * p.y) + cy;
      d.z = 1;
    }
    d.outcode = Outcode(d.x, d.y);
  }
}

u8 VR_Classify_Poly(const MeshPoly& poly) {
  const u32 count = poly.vertex_count;
  if (!(poly.flags & 0x1)) {
    if (count < 1) return 0;
    const VrProjectedPoint& a = vr_projected[poly.point[0]];
    const VrProjectedPoint& b = vr_projected[poly.point[count > 1 ? 1 : 0]];
    const VrProjectedPoint& c = vr_projected[poly.point[count - 1]];
    const i64 cross = i64(c.y - i64(a.y)) * (b.x - i64(a.x)) - i64(b.y - i64(a.y)) * (c.x - i64(a.x));
    if (cross >= 0) return 0;
  }
  if (poly.flags & 0x1000000) return 1;
  if (count <= 1) return 1;
  u32 outside = 0, inside = 0;
  for (u32 i = 0; i < count; i++) {
    const u8 a = vr_projected[poly.point[i]].outcode;
    const u8 b = vr_projected[poly.point[i + 1 < count ? i + 1 : 0]].outcode;
    if (a & b)
      outside++;
    else if ((a | b) == 0)
      inside++;
  }
  if (outside == count) return 0;
  if (inside == count) return 2;
  return 1;
}

void VR_Classify_Polys(void) {
  MeshWork& w = mesh_work;
  for (i32 o = w.last_object; o >= 0; o--) {
    const MeshObject& obj = w.objects[o];
    if (obj.hidden) continue;
    for (u32 p = obj.first_poly; p < u32(obj.first_poly) + obj.poly_count; p++)
      w.polys[p].poly_class = VR_Classify_Poly(w.polys[p]);
  }
}

void VR_Step_Fly_Speed(i32* impulse, i32* speed, i32 limit) {
  if (*impulse != 0) {
    *speed += *impulse;
    if (std::abs(*speed) > limit) *speed -= *impulse;
    *impulse = 0;
  } else if (*speed > 0) {
    (*speed)--;
  } else if (*speed < 0) {
    (*speed)++;
  }
}

void VR_Fly_Step(void) {
  VR_Step_Fly_Speed(&vr_fly.forward_impulse, &vr_fly.forward_speed, 64);
  const f32 v = f32(vr_fly.forward_speed);
  const i32 yaw = vr_camera.angles[VR_YAW], pitch = vr_camera.angles[VR_PITCH];
  VR_Move_Camera(i16(std::floor(VR_Sin(yaw) * v)), i16(std::floor(-VR_Sin(pitch) * v)),
                 i16(std::floor(VR_Cos(yaw) * v)));
  for (u32 i = 0; i < 3; i++) VR_Step_Fly_Speed(&vr_fly.impulse[i], &vr_fly.speed[i], vr_fly.limit[i]);
  VR_Rotate_Camera(vr_fly.speed[VR_PITCH], vr_fly.speed[VR_YAW], vr_fly.speed[VR_ROLL]);
}

void VR_Debug_Fly_Keys(void) {
  if (vr_engine.path_on || !Demo_Get_Flag(DEMO_FLAG_DEBUG)) return;
  if (Key_Is_Down(0x26)) vr_fly.impulse[VR_PITCH] += 1;
  if (Key_Is_Down(0x28)) vr_fly.impulse[VR_PITCH] -= 1;
  if (Key_Is_Down(0x25)) vr_fly.impulse[VR_YAW] -= 1;
  if (Key_Is_Down(0x27)) vr_fly.impulse[VR_YAW] += 1;
  if (Key_Is_Down(0x21)) vr_fly.impulse[VR_ROLL] -= 1;
  if (Key_Is_Down(0x22)) vr_fly.impulse[VR_ROLL] += 1;
  if (Key_Is_Down(0x41)) vr_fly.forward_impulse += 32;
  if (Key_Is_Down(0x5A)) vr_fly.forward_impulse -= 32;
  if (Key_Is_Down(0x11))
    for (u32 k = 0; k < 5; k++)
      if (Key_Is_Down(u8(0x31 + k))) VR_Trigger_Event(k);
  VR_Fly_Step();
}

// Upward, word by word, as the rasterizer's copy: an overlapping destination above the source repeats words.
void VR_Copy_Dwords(const void* source, void* destination, i32 n) { Poly_Copy_Dwords(source, destination, n); }

void VR_Init_Map_Focal(void) { vr_map_focal = 128.0f / f32(Dmath_Tan(70.0)); }
f32 VR_Get_Map_Focal(void) { return vr_map_focal; }

void VR_Project_Points_Float(const MeshPoint* source, MeshPoint* destination, u32 n) {
  const f32 f = vr_view.base_focal;
  for (u32 i = 0; i < n; i++) {
    const MeshPoint& p = source[i];
    if (p.z > 0.0f) {
      destination[i].x = f * p.x / p.z;
      destination[i].y = f * p.y / p.z;
      destination[i].z = p.z;
    } else {
      destination[i].x = f * p.x;
      destination[i].y = f * p.y;
      destination[i].z = 1.0f;
    }
  }
}

void VR_Scale_Points_Float(const MeshPoint* source, MeshPoint* destination, u32 n) {
  const f32 f = vr_view.base_focal;
  for (u32 i = 0; i < n; i++) {
    const f32 r = source[i].z == 0.0f ? 1.0f : 1.0f / source[i].z;
    destination[i].x = f * source[i].x * r;
    destination[i].y = f * source[i].y * r;
  }
}

void VR_Float_To_Screen(const MeshPoint* source, VrProjectedPoint* destination, u32 n) {
  for (u32 i = 0; i < n; i++) {
    VrProjectedPoint& d = destination[i];
    d.x = VR_Clamp_To_Int(source[i].x) + vr_view.centre_x;
    d.y = VR_Clamp_To_Int(source[i].y) + vr_view.centre_y;
    d.z = VR_Clamp_To_Int(source[i].z);
    if (std::abs(i64(d.x)) > 2 * i64(poly_state.xmax) || std::abs(i64(d.y)) > 2 * i64(poly_state.ymax)) d.z = 0;
  }
}

void VR_Classify_Polys_Float(const MeshPoint* projected) {
  MeshWork& w = mesh_work;
  for (i32 o = w.last_object; o >= 0; o--) {
    const MeshObject& obj = w.objects[o];
    if (obj.hidden) continue;
    for (u32 p = obj.first_poly; p < u32(obj.first_poly) + obj.poly_count; p++) {
      MeshPoly& poly = w.polys[p];
      if (poly.flags & 0x1 || poly.vertex_count < 1) {
        poly.poly_class = 1;
        continue;
      }
      const MeshPoint& a = projected[poly.point[0]];
      const MeshPoint& b = projected[poly.point[poly.vertex_count > 1 ? 1 : 0]];
      const MeshPoint& c = projected[poly.point[poly.vertex_count - 1]];
      const f32 cross = (c.y - a.y) * (b.x - a.x) - (b.y - a.y) * (c.x - a.x);
      poly.poly_class = cross < 0.0f ? 1 : 0;
    }
  }
}
