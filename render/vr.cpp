// The sector-and-portal 3D engine: view, working camera, engine-wide state and the camera and object calls.
#include "render/vr.h"

#include <cmath>
#include <cstring>

#include "render/fill.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vrdraw.h"
#include "render/vrtransform.h"
#include "video/vbe.h"
#include "runtime/dmath.h"

VrView vr_view;
VrCamera vr_camera;
VrRotatedNormal vr_normals[kVrMaxNormals];
VrEngine vr_engine;

namespace {
// The rasterizer's focal factors and the selected scene's record follow every change of the view's.
void Publish_Focal(void) {
  Poly_Set_Projection(vr_view.focal_x, vr_view.focal_y);
  const i32 s = Mesh_Get_Selected_Scene();
  if (MeshScene* scene = s < 0 ? nullptr : Mesh_Get_Scene(u32(s))) {
    scene->focal_x = vr_view.focal_x;
    scene->focal_y = VR_Clamp_To_Int(vr_view.focal_y);
  }
}

i32 Clamp(i32 v, i32 lo, i32 hi) { return v < lo ? lo : v > hi ? hi : v; }

// Environment coordinates of one normal direction; form 0 uses y, form 1 z, others write nothing.
void Env_Coords(const f32* normal, u32 index, u32 form, u32 shade, bool raw) {
  if (form > 1 || index >= kVrMaxNormals) return;
  const f32 second = form == 0 ? normal[1] : normal[2];
  VrRotatedNormal& n = vr_normals[index];
  n.s = u16(VR_Clamp_To_Int(normal[0]) + i32(shade) - vr_view.origin_x);
  if (raw)
    n.t = u16(vr_view.origin_y - VR_Clamp_To_Int(second) - i32(shade));
  else
    n.t = u16(vr_view.origin_y - VR_Clamp_To_Int(f32(shade) + second));
}
}  // namespace

i32 VR_Context_Scene(void) { return Mesh_In_Tick() ? Mesh_Get_Tick_Scene() : Mesh_Get_Selected_Scene(); }

MeshScene* VR_Scene_In_Context(void) {
  const i32 s = VR_Context_Scene();
  return s < 0 ? nullptr : Mesh_Get_Scene(u32(s));
}

MeshObject* VR_Scene_Object(i32 scene, u32 object) {
  if (scene < 0) return nullptr;
  if (scene == Mesh_Get_Selected_Scene())
    return mesh_work.objects && i64(object) <= mesh_work.last_object ? &mesh_work.objects[object] : nullptr;
  MeshScene* s = Mesh_Get_Scene(u32(scene));
  if (!s || !s->objects || i64(object) > s->last_object) return nullptr;
  return &s->objects[object];
}

u32 VR_Scene_Movables(i32 scene, const u32** list) {
  *list = nullptr;
  if (scene < 0) return 0;
  if (scene == Mesh_Get_Selected_Scene()) {
    *list = mesh_work.movables;
    return mesh_work.movables ? mesh_work.movable_count : 0;
  }
  MeshScene* s = Mesh_Get_Scene(u32(scene));
  if (!s || !s->movables) return 0;
  *list = s->movables;
  return s->movable_count;
}

void VR_Init(void) {
  VR_Init_View();
  VR_Init_Map_Focal();
  vr_view.initialised = 1;
}

void VR_Init_View(void) {
  VR_Set_Viewport(0, 0, vbe_screen.width, vbe_screen.height, vbe_screen.frame);
  vr_camera = VrCamera{};
  VR_Set_Fov(50);
  VR_Make_Camera_Matrix();
  poly_state.z_limit = 1;
  vr_engine.far_limit = 0;
  VR_Reset_Draw();
  vr_view.depth_shift = 4;
  vr_view.height_shift = 5;
  VR_Set_Screen_Origin(0, 0);
  vr_engine.path_loops = 0;
  vr_engine.path_stepping = 1;
  vr_engine.points_drawn = 0;
  vr_engine.sectors_drawn = 0;
  vr_engine.sector_world = 0;
  vr_engine.running_events = 0;
  vr_engine.event_count = 0;
  vr_engine.callback_mode = 0;
  vr_engine.flares_on = 1;
}

void VR_Set_Viewport(u32 x0, u32 y0, u32 x1, u32 y1, u32* target) {
  vr_view.width = u16(x1 - x0);
  vr_view.height = u16(y1 - y0);
  vr_view.centre_x = i32(vr_view.width) >> 1;
  vr_view.centre_y = i32(vr_view.height) >> 1;
  vr_view.target = target;
  Poly_Set_Clip(i32(x0), i32(y0), i32(x1), i32(y1));
  Poly_Set_Pitch(i32(vr_view.width) * 4);
  Poly_Set_Centre(vr_view.centre_x, vr_view.centre_y);
  Poly_Set_Target(target, nullptr, i32(y1));
}

void VR_Set_Centre(i32 x, i32 y) {
  vr_view.centre_x = x;
  vr_view.centre_y = y;
  Poly_Set_Centre(x, y);
}

void VR_Set_Screen_Origin(i32 x, i32 y) {
  vr_view.origin_x = x;
  vr_view.origin_y = y;
}

void VR_Set_Sprite_Shifts(i32, i32 depth_shift, i32 height_shift) {
  vr_view.depth_shift = depth_shift & 31;
  vr_view.height_shift = height_shift & 31;
}

void VR_Set_Fov(i16 degrees) {
  // The mode's screen height, not the drawing height a letterbox cuts, so the picture keeps its proportions.
  const f32 half = f32(vbe_screen.screen_height) * 0.5f;
  const f32 f = half / f32(Dmath_Tan(f32(degrees) * 0.5f * 3.1415927f * 0.0055555557f));
  const f32 g = f32(i16(VR_Clamp_To_Int(std::floor(f))));
  vr_view.base_focal = vr_view.focal_x = vr_view.focal_y = g;
  Publish_Focal();
}

void VR_Set_Aspect(f32 ratio) {
  const f32 height = f32(vbe_screen.screen_height) * (vbe_screen.low_res ? 2.0f : 1.0f);
  const f32 q = f32(vbe_screen.screen_width) / height;
  if (q < ratio)
    vr_view.focal_x = vr_view.focal_x / (ratio / q);
  else if (q > ratio)
    vr_view.focal_y = (ratio / q) * vr_view.focal_y;
  if (vbe_screen.smoothing) vr_view.focal_y = vr_view.focal_y * 0.5f;
  Publish_Focal();
}

void VR_Set_Camera_Position(i32 x, i32 y, i32 z) {
  vr_camera.position[0] = f32(x);
  vr_camera.position[1] = f32(y);
  vr_camera.position[2] = f32(z);
  if (MeshScene* s = VR_Scene_In_Context())
    std::memcpy(s->camera_position, vr_camera.position, sizeof(s->camera_position));
}

void VR_Move_Camera(i16 dx, i16 dy, i16 dz) {
  vr_camera.position[0] += f32(dx);
  vr_camera.position[1] += f32(dy);
  vr_camera.position[2] += f32(dz);
  if (MeshScene* s = VR_Scene_In_Context())
    std::memcpy(s->camera_position, vr_camera.position, sizeof(s->camera_position));
}

namespace {
// Adds the three turns to a scene's stored angles, each wrapped into the angle range.
void Turn(i32* angles, i32 d0, i32 d1, i32 d2) {
  angles[0] = VR_Wrap_Angle(angles[0] + d0);
  angles[1] = VR_Wrap_Angle(angles[1] + d1);
  angles[2] = VR_Wrap_Angle(angles[2] + d2);
}
}  // namespace

void VR_Rotate_Camera(i32 d0, i32 d1, i32 d2) {
  if (MeshScene* s = VR_Scene_In_Context()) Turn(s->camera_angles, d0, d1, d2);
}

void VR_Rotate_Camera_Aim(i32 d0, i32 d1, i32 d2) {
  if (MeshScene* s = VR_Scene_In_Context()) Turn(s->second_angles, d0, d1, d2);
}

void VR_Rotate_Object(u32 object, i32 d0, i32 d1, i32 d2) {
  MeshObject* o = VR_Scene_Object(VR_Context_Scene(), object);
  if (!o) return;
  i32* a = o->angles;
  a[0] = VR_Wrap_Angle(a[0] + d0);
  a[1] = VR_Wrap_Angle(a[1] + d1);
  a[2] = VR_Wrap_Angle(a[2] + d2);
}

void VR_Set_Object_Position(u32 object, i32 x, i32 y, i32 z) {
  if (i32(object) > mesh_work.last_object) return;
  f32* p = mesh_work.objects[object].position;
  p[0] = f32(x);
  p[1] = f32(y);
  p[2] = f32(z);
}

void VR_Normal_Env_Coords(u32 first, u32 count, u32 form, u32 shade) {
  for (u32 i = first; i < first + count && i < kVrMaxNormals; i++) {
    const f32 n[3] = {vr_normals[i].x, vr_normals[i].y, vr_normals[i].z};
    Env_Coords(n, i, form, shade, false);
  }
}

void VR_Normal_Env_Coords_Raw(u32 first, u32 count, u32 form, u32 shade) {
  for (u32 i = first; i < first + count && i64(i) <= mesh_work.last_normal; i++) {
    const MeshNormal& m = mesh_work.normals[i];
    const f32 n[3] = {m.x, m.y, m.z};
    Env_Coords(n, i, form, shade, true);
  }
}

void VR_Sprite_Env_Coords(u32 first_point, u32 first_normal, u32 count, u32 shade) {
  const i32 m = 2 * i32(shade) - 1;
  for (u32 i = 0; i < count; i++) {
    const u32 p = first_point + i, n = first_normal + i;
    if (p >= kVrMaxPoints || n >= kVrMaxNormals) break;
    const i32 s = Clamp(vr_projected[p].x - vr_view.origin_x - 30, 5, m - 5);
    i32 a = (VR_Clamp_To_Int(vr_transformed[p].z) >> vr_view.depth_shift) - vr_view.origin_y;
    const i32 b = -(VR_Clamp_To_Int(vr_transformed[p].y) >> vr_view.height_shift);
    if (b > 0) a += b;
    a = Clamp(a, 5, m - 5);
    vr_normals[n].s = u16(s);
    vr_normals[n].t = u16(m - a);
  }
}

void VR_Draw_Quad_Additive(i32 x, i32 y, const u32* texture, i32 w, i32 h, i32 ua, i32 va, i32 ub, i32 vb) {
  if (!texture) return;
  const i32 corner[4][4] = {{x, y, ua, va}, {x + w, y, ub, va}, {x + w, y + h, ub, vb}, {x, y + h, ua, vb}};
  for (u32 i = 0; i < 4; i++) std::memcpy(poly_lists.a[i].slot, corner[i], sizeof(corner[i]));
  poly_lists.a[4] = poly_lists.a[0];
  poly_state.map1 = texture;
  poly_state.n = 4;
  poly_state.vertex_count = 4;
  Poly_Clip_X(poly_lists.a, poly_lists.d);
  Poly_Clip_Y(poly_lists.d, poly_lists.b);
  Poly_Fill_Tex_Sat(poly_lists.b);
}

bool VR_Is_On_Screen(f32 x, f32 y, f32 z) {
  return x > 0.0f && x < f32(vr_view.width) && y > 0.0f && y < f32(vr_view.height) && z > 0.0f;
}

bool VR_Is_Far(f32 z) { return z > 300.0f; }
