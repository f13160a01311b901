// VR sectors and portals: sector set-up from object names, the portal walk, the frame render, the polygon map.
#include "render/vrsector.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/mesh.h"
#include "render/meshtool.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrdraw.h"
#include "render/vrpath.h"
#include "render/vrtransform.h"
#include "runtime/err.h"
#include "runtime/mem.h"

namespace {
u32 vr_light_maps[kVrMaxLightMaps];
u32 vr_light_map_count = 0;
VrMatrix vr_lights[kVrMaxLights];
u32 vr_light_count = 0;
DemoCallback vr_draw_callback = nullptr;
DemoCallback vr_end_callback = nullptr;
u32 vr_callback_polygon = 0;

struct MapRecord {
  u16 polygon;
  u8 vertex_count;
  MeshPoint point[4];
};
MapRecord vr_map[kVrMaxMapPolygons];
u32 vr_map_count = 0;
f32 vr_map_direction[4];
u8 vr_map_dump = 0;
char vr_map_dump_name[256];

bool Strictly_Inside(const MeshObject& o, const f32* p) {
  return o.bbox[0] < p[0] && p[0] < o.bbox[1] && o.bbox[2] < p[1] && p[1] < o.bbox[3] && o.bbox[4] < p[2] &&
         p[2] < o.bbox[5];
}

// Transforms and projects a run of scene points into the frame's tables.
void Transform_Project(u32 first, u32 count) {
  if (count == 0) return;
  if (u64(first) + count > kVrMaxPoints) Err_Error("VR: Too many points");
  VR_Transform_Points(mesh_work.points + first, vr_transformed + first, count);
  VR_Project_Points(vr_transformed + first, vr_projected + first, count);
}

// Rotates scene normal source into table entry n.
void Rotate_Normal(u32 source, u32 n) {
  const MeshNormal& m = mesh_work.normals[source];
  const f32 in[3] = {m.x, m.y, m.z};
  f32 out[3];
  VR_Rotate_Object_Vector(in, out);
  vr_normals[n].x = out[0];
  vr_normals[n].y = out[1];
  vr_normals[n].z = out[2];
}

// Rotates the normals of the given points into the rotated-normal table; with env, gives them
// environment coordinates of the form.
void Rotate_Normals(const MeshPoint* points, u32 count, bool env, u32 form, u32 shade) {
  for (u32 i = 0; i < count; i++) {
    const u32 n = points[i].normal;
    if (i64(n) > mesh_work.last_normal || n >= kVrMaxNormals) continue;
    Rotate_Normal(n, n);
    if (env) VR_Normal_Env_Coords(n, 1, form, shade);
  }
}

// Bit 27: the normals of the current animation frame rotated into the table entries of the first frame's.
void Rotate_Frame_Normals(const MeshObject& o) {
  for (u32 i = 0; i < o.point_count; i++) {
    const u32 n = o.anim_buffer[i].normal;
    const u32 source = n + o.frame_offset;
    if (i64(source) > mesh_work.last_normal || n >= kVrMaxNormals) continue;
    Rotate_Normal(source, n);
  }
}

void Sprite_Env(const MeshObject& o) {
  if (o.point_count == 0) return;
  VR_Sprite_Env_Coords(o.first_point, mesh_work.points[o.first_point].normal, o.point_count, o.shade);
}

// A camera-facing object: its normals turned by the camera matrix as it stands; a light also keeps
// the matrix of its own direction.
void Face_Camera(MeshObject& o) {
  i32 saved[3];
  std::memcpy(saved, vr_camera.angles, sizeof(saved));
  VR_Direction_To_Angles(o.position[0] - vr_camera.position[0], o.position[1] - vr_camera.position[1],
                         o.position[2] - vr_camera.position[2]);
  vr_camera.angles[VR_ROLL] = 0;
  vr_object_matrix = vr_camera_matrix;
  Rotate_Normals(o.anim_buffer, o.point_count, true, o.type, o.shade);
  if ((o.flags & 0x80000) && vr_light_count < kVrMaxLights)
    vr_lights[vr_light_count++] =
        VR_Camera_Matrix_Of(-vr_camera.angles[VR_PITCH], -vr_camera.angles[VR_YAW], 0);
  std::memcpy(vr_camera.angles, saved, sizeof(saved));
}

// Adds a 256 x 256 light picture into a 256 x 256 light map with its corner at (x, y), clipped.
void Add_Light(i32 x, i32 y, const u32* light, u32* map) {
  for (i32 r = 0; r < 256; r++) {
    const i32 ty = y + r;
    if (ty < 0 || ty > 255) continue;
    for (i32 c = 0; c < 256; c++) {
      const i32 tx = x + c;
      if (tx >= 0 && tx <= 255) map[ty * 256 + tx] += light[r * 256 + c];
    }
  }
}

void Paint_Light_Maps(void) {
  for (u32 l = 0; l < vr_light_count; l++) {
    vr_object_matrix = vr_lights[l];
    for (u32 i = 0; i < vr_light_map_count; i++) {
      const MeshObject& o = mesh_work.objects[vr_light_maps[i]];
      if (o.poly_count == 0) continue;
      const MeshPoly& p = mesh_work.polys[o.first_poly];
      u32* map = poly_textures.slot[p.type];
      const u32* light = poly_textures.slot[p.texture];
      if (!map) continue;
      std::memset(map, 0, kPolyTextureTexels * 4);
      MeshPoint turned = mesh_work.points[o.first_point];
      const f32 in[3] = {turned.x, turned.y, turned.z};
      f32 out[3];
      VR_Rotate_Object_Vector(in, out);
      turned.x = out[0], turned.y = out[1], turned.z = out[2];
      VrProjectedPoint q;
      VR_Project_Points(&turned, &q, 1);
      if (light) Add_Light(128 - (q.x >> 3), 128 - (q.y >> 3), light, map);
    }
  }
}

void Place_Movables(void) {
  MeshWork& w = mesh_work;
  for (u32 m = 0; m < w.movable_count; m++) {
    MeshObject& o = w.objects[w.movables[m]];
    if (o.hidden || !o.anim_buffer) continue;
    const MeshPoint* frame = o.anim_buffer + o.frame_offset;
    if (o.path_driven)
      VR_Apply_Object_Path(w.movables[m]);
    else
      VR_Make_Object_Matrix(o.angles[0], o.angles[1], o.angles[2]);
    if (u64(o.first_point) + o.point_count > kVrMaxPoints) Err_Error("VR: Too many points");
    VR_Transform_Object_Points(frame, w.points + o.first_point, o.point_count, o.position[0], o.position[1],
                               o.position[2]);
    if (!o.path_driven)
      VR_Make_Object_Matrix(o.angles[0] + vr_camera.aim[0], o.angles[1] + vr_camera.aim[1],
                            o.angles[2] + vr_camera.aim[2]);
    if (o.flags & 0x20)
      Sprite_Env(o);
    else if (o.flags & 0x10000)
      Face_Camera(o);
    else if (o.flags & 0x18)
      Rotate_Normals(o.anim_buffer, o.point_count, true, o.type, o.shade);
    else if (o.flags & 0x8000000)
      Rotate_Frame_Normals(o);
  }
}

void Place_Statics(void) {
  MeshWork& w = mesh_work;
  for (i32 i = 0; i <= w.last_object; i++) {
    MeshObject& o = w.objects[i];
    if ((o.flags & kMeshObjectMovable) || o.hidden) continue;
    if (o.flags & 0x40000) {
      if (vr_light_map_count < kVrMaxLightMaps) vr_light_maps[vr_light_map_count++] = u32(i);
    } else if (o.flags & 0x20) {
      Sprite_Env(o);
    } else if (o.flags & 0x18) {
      Rotate_Normals(w.points + o.first_point, o.point_count, true, o.type, o.shade);
    } else if (o.flags & 0x8000000) {
      Rotate_Normals(w.points + o.first_point, o.point_count, false, 0, 0);
    }
  }
}

// Hides what the camera cannot see: everything but the camera's sector, then the portal walk opens the rest.
void Find_Visible_Sectors(void) {
  MeshWork& w = mesh_work;
  if (vr_engine.camera_sector > w.last_object || vr_engine.camera_sector < 0) vr_engine.camera_sector = 0;
  for (i32 i = w.last_object; i >= 0; i--) {
    MeshObject& o = w.objects[i];
    if (o.flags & 0x40000000) {
      o.hidden = (o.flags & 0x10000000) ? 1 : 0;
    } else if (Strictly_Inside(o, vr_camera.position)) {
      o.hidden = 0;
      vr_engine.camera_sector = i;
    } else {
      o.hidden = 1;
    }
  }
  if (w.last_object >= 0) VR_Traverse_Portals(-1, vr_engine.camera_sector, kVrPortalDepth, kVrFirstOrderKey);
  for (i32 m = w.last_object; m >= 0; m--) {
    MeshObject& mv = w.objects[m];
    if (!(mv.flags & kMeshObjectMovable)) continue;
    mv.hidden = 1;
    for (i32 i = w.last_object; i >= 0; i--) {
      const MeshObject& o = w.objects[i];
      if ((o.flags & 0x40000000) || o.hidden) continue;
      if (Strictly_Inside(o, mv.position)) {
        mv.hidden = 0;
        mv.order_key = o.order_key;
      }
    }
  }
}
}  // namespace

void VR_Init_Sectors(void) {
  MeshWork& w = mesh_work;
  vr_engine.sector_world = 1;
  if (w.last_object > 255) Err_Error("VR: Too many sectors");
  for (i32 i = 0; i <= w.last_object; i++) {
    MeshObject& o = w.objects[i];
    f32 box[6] = {32767.0f, -32768.0f, 32767.0f, -32768.0f, 32767.0f, -32768.0f};
    for (u32 p = o.first_poly; p < u32(o.first_poly) + o.poly_count; p++) {
      const MeshPoly& poly = w.polys[p];
      for (u32 v = 0; v < poly.vertex_count && v < 4; v++) {
        const MeshPoint& q = w.points[poly.point[v]];
        const f32 c[3] = {q.x, q.y, q.z};
        for (u32 a = 0; a < 3; a++) {
          if (c[a] < box[2 * a]) box[2 * a] = c[a];
          if (c[a] > box[2 * a + 1]) box[2 * a + 1] = c[a];
        }
      }
    }
    std::memcpy(o.bbox, box, sizeof(box));
  }
  for (i32 i = 0; i <= w.last_object; i++) {
    MeshObject& o = w.objects[i];
    if (std::strncmp(o.name, "view", 4) == 0) {
      if (o.point_count < 4) Err_Error("VR: View %d has fewer than 4 points", i);
      o.flags |= 0x40000000 | 0x10000000;
      o.kind = 1;
      VR_Find_View_Sectors(o.first_point);
    } else if (std::strncmp(o.name, "door", 4) == 0) {
      if (o.poly_count < 6) Err_Error("VR: Door %d has fewer than 6 polygons", i);
      o.kind = 2;
      Mesh_Set_Poly_Tex_Scale(o.first_poly + 4, 128, 18);
      Mesh_Set_Poly_Tex_Scale(o.first_poly + 5, 128, 18);
      Mesh_Shift_Poly_Indices(o.first_poly + 5, 2, 0);
      Mesh_Set_Poly_Tex_Scale(o.first_poly + 1, 16, 128);
      f32 twelve = 12.0f;
      u32 p1;
      std::memcpy(&p1, &twelve, 4);
      VR_Event(0, u32(i), 0, p1, 0, 72);
    }
  }
  for (i32 s = 0; s <= w.last_object; s++) {
    MeshObject& o = w.objects[s];
    for (u32 d = 0; d < w.door_count; d++) {
      if (w.doors[d].sector_a != s && w.doors[d].sector_b != s) continue;
      if (o.portal_count >= kVrMaxPortals) Err_Error("VR: Too many portals in sector %d", s);
      o.portals[o.portal_count++] = d;
    }
  }
}

void VR_Find_View_Sectors(u32 p) {
  const MeshPoint* q = mesh_work.points + p;
  f32 c[3];
  c[0] = (q[0].x + q[1].x + q[2].x + q[3].x) / 4.0f;
  c[1] = (q[0].y + q[1].y + q[2].y + q[3].y) / 4.0f;
  c[2] = (q[0].z + q[1].z + q[2].z + q[3].z) / 4.0f;
  MeshPoly quad{};
  for (u32 i = 0; i < 4; i++) quad.point[i] = p + i;
  quad.vertex_count = 4;
  MeshVector f = Mesh_Face_Normal(quad);
  MeshVector n = Mesh_Scale_Vector(Mesh_Normalize(f.x, f.y, f.z), 50.0f);
  const i32 a = Mesh_Find_Object_At(c[0] + n.x, c[1] + n.y, c[2] + n.z);
  const i32 b = Mesh_Find_Object_At(c[0] - n.x, c[1] - n.y, c[2] - n.z);
  if (a == -1 || b == -1) Err_Error("Unable to find view-sector for view at point #%d", p);
  if (a == b) Err_Error("View points to similar sector at point #%d", p);
  if (mesh_work.door_count >= kMeshMaxDoors) Err_Error("VR: Too many views");
  Mesh_Add_Door(p, u8(a), u8(b), 0, u32(-1));
}

void VR_Exit_Sectors(void) { vr_engine.sector_world = 0; }

void VR_Traverse_Portals(i32 from, i32 sector, i32 depth, u32 key) {
  depth--;
  if (depth == 0) return;
  if (sector < 0) Err_Error("VR: Negative sector!!");
  MeshWork& w = mesh_work;
  if (sector > w.last_object) Err_Error("VR: Sector %d does not exist", sector);
  MeshObject& s = w.objects[sector];
  s.hidden = 0;
  s.order_key = key;
  for (u32 i = 0; i < s.portal_count && i < kVrMaxPortals; i++) {
    if (s.portals[i] >= w.door_count) continue;
    const MeshDoor& d = w.doors[s.portals[i]];
    Transform_Project(d.first_point, 4);
    const VrProjectedPoint* q = vr_projected + d.first_point;
    if (q[0].z <= 1 && q[1].z <= 1 && q[2].z <= 1 && q[3].z <= 1) continue;
    u32 c = 0;
    for (u32 e = 0; e < 4; e++)
      if (q[e].outcode & q[(e + 1) & 3].outcode) c++;
    if (c == 4) {
      i32 min_x = 32767, max_x = -32768, min_y = 32767, max_y = -32768;
      for (u32 e = 0; e < 4; e++) {
        if (q[e].x < min_x) min_x = q[e].x;
        if (q[e].x > max_x) max_x = q[e].x;
        if (q[e].y < min_y) min_y = q[e].y;
        if (q[e].y > max_y) max_y = q[e].y;
      }
      if (min_x < 0 && max_x > vr_view.width && min_y < 0 && max_y > vr_view.height) c = 0;
    }
    if (s.door_closed || c >= 4) continue;
    i32 t = -1;
    if (d.sector_a == sector)
      t = d.sector_b;
    else if (d.sector_b == sector)
      t = d.sector_a;
    if (t >= 0 && t != from) VR_Traverse_Portals(sector, t, depth, key + kVrFirstOrderKey);
  }
}

void VR_Update_View_Vector(void) {
  vr_engine.view_vector[0] = VR_Sin(vr_camera.angles[VR_YAW]);
  vr_engine.view_vector[1] = -VR_Sin(vr_camera.angles[VR_PITCH]);
  vr_engine.view_vector[2] = VR_Cos(vr_camera.angles[VR_YAW]);
}

void VR_Render_Frame(void) {
  MeshWork& w = mesh_work;
  if (w.last_point >= i32(kVrMaxPoints) || w.last_normal >= i32(kVrMaxNormals)) Err_Error("VR: Too many points");
  poly_state.camera_points = vr_transformed;
  vr_engine.draw_count = 0;
  vr_engine.points_drawn = 0;
  vr_engine.sectors_drawn = 0;
  VR_Clear_Flares();
  vr_light_map_count = 0;
  vr_light_count = 0;
  if (vr_engine.path_on && vr_engine.path.current)
    VR_Apply_Camera_Path();
  else
    VR_Make_Camera_Matrix();
  VR_Update_View_Vector();
  for (u32 m = 0; m < w.movable_count; m++)
    if (w.objects[w.movables[m]].path_driven) VR_Apply_Object_Path(w.movables[m]);
  if (vr_engine.sector_world) Find_Visible_Sectors();
  Place_Movables();
  Place_Statics();
  Paint_Light_Maps();
  if (w.last_point >= 0) {
    if (vr_engine.callback_mode)
      VR_Draw_By_Callback();
    else
      VR_Draw_Visible_Sectors();
  }
  if (vr_engine.flares_on) VR_Draw_Lens_Flares();
  if (vr_engine.sector_world) VR_Run_Events();
}

void VR_Draw_Visible_Sectors(void) {
  MeshWork& w = mesh_work;
  if (!vr_engine.sector_world) {
    Transform_Project(0, u32(w.last_point + 1));
    vr_engine.points_drawn = u32(w.last_point + 1);
  } else {
    for (i32 i = w.last_object; i >= 0; i--) {
      const MeshObject& o = w.objects[i];
      if (o.hidden) continue;
      Transform_Project(o.first_point, o.point_count);
      vr_engine.points_drawn += o.point_count;
    }
  }
  VR_Classify_Polys();
  if (w.last_poly >= 0) {
    VR_Build_Draw_List();
    VR_Sort_And_Draw();
  }
}

// Every polygon of the scene is handed to the draw callback in index order.
void VR_Draw_By_Callback(void) {
  MeshWork& w = mesh_work;
  Transform_Project(0, u32(w.last_point + 1));
  vr_engine.points_drawn = u32(w.last_point + 1);
  if (w.last_poly < 0 || !vr_draw_callback) return;
  for (i32 i = 0; i <= w.last_poly; i++) {
    vr_callback_polygon = u32(i);
    VR_Set_Current_Polygon(u32(i));
    vr_draw_callback();
  }
}

void VR_Set_Draw_Callbacks(DemoCallback start, DemoCallback draw, DemoCallback end) {
  vr_draw_callback = draw;
  vr_end_callback = end;
  if (start) start();
  vr_engine.callback_mode = 1;
}

void VR_End_Draw_Callbacks(void) {
  if (vr_end_callback) vr_end_callback();
  vr_engine.callback_mode = 0;
}

u32 VR_Get_Callback_Polygon(void) { return vr_callback_polygon; }

void VR_Add_Map_Polygon(u32 polygon) {
  if (vr_map_count >= kVrMaxMapPolygons) Err_Error("VR: Too many map polygons");
  if (i64(polygon) > mesh_work.last_poly) Err_Error("VR: Map polygon %u does not exist", polygon);
  const MeshPoly& p = mesh_work.polys[polygon];
  MapRecord& r = vr_map[vr_map_count];
  r.polygon = u16(polygon);
  r.vertex_count = p.vertex_count > 4 ? 4 : p.vertex_count;
  for (u32 i = 0; i < 4; i++) r.point[i] = mesh_work.points[p.point[i]];
  if (r.vertex_count == 3) r.point[3].x = r.point[3].y = r.point[3].z = 0.0f;
  if (vr_map_count == 0) {
    const MeshVector n = Mesh_Face_Normal(p);
    vr_map_direction[0] = n.x, vr_map_direction[1] = n.y, vr_map_direction[2] = n.z, vr_map_direction[3] = n.w;
  }
  vr_map_count++;
}

void VR_Set_Map_Params(f32 x, f32 y, f32 z) {
  vr_map_direction[0] = x, vr_map_direction[1] = y, vr_map_direction[2] = z;
}

void VR_Map_Object_Texture(u32 object, u32 x, u32 y, u32 w, u32 h, u8 texture, u32 flags, f32 dx, f32 dy, f32 dz,
                           u32 slot) {
  const MeshObject& o = mesh_work.objects[object];
  Mesh_Set_Uv_Rect(x, y, w, h);
  for (u32 p = o.first_poly; p < u32(o.first_poly) + o.poly_count; p++) {
    if (mesh_work.polys[p].texture != texture) continue;
    VR_Add_Map_Polygon(p);
    Mesh_Set_Poly_Flags(p, flags);
  }
  VR_Set_Map_Params(dx, dy, dz);
  VR_Render_Polygon_Map(slot);
}

void VR_Set_Map_Dump(const char* name) {
  std::snprintf(vr_map_dump_name, sizeof(vr_map_dump_name), "%s", name);
  vr_map_dump = 1;
}

u32 VR_Get_Map_Count(void) { return vr_map_count; }
const char* VR_Get_Map_Dump_Name(void) { return vr_map_dump ? vr_map_dump_name : ""; }

void VR_Get_Map_Last(u32* polygon, u32* vertex_count) {
  *polygon = vr_map_count ? vr_map[vr_map_count - 1].polygon : 0;
  *vertex_count = vr_map_count ? vr_map[vr_map_count - 1].vertex_count : 0;
}

f32 VR_Get_Map_Direction(u32 axis) { return axis < 4 ? vr_map_direction[axis] : 0.0f; }

void VR_Render_Polygon_Map(u32 slot) {
  const MeshVector d = Mesh_Normalize(-vr_map_direction[0], vr_map_direction[1], -vr_map_direction[2]);
  VR_Direction_To_Angles(d.x, d.y, d.z);
  vr_camera.angles[VR_ROLL] = 0;
  VR_Make_Camera_Matrix();
  f32 box[6] = {32767.0f, -32768.0f, 32767.0f, -32768.0f, 32767.0f, -32768.0f};
  for (u32 r = 0; r < vr_map_count; r++)
    for (u32 v = 0; v < vr_map[r].vertex_count; v++) {
      const f32 c[3] = {vr_map[r].point[v].x, vr_map[r].point[v].y, vr_map[r].point[v].z};
      for (u32 a = 0; a < 3; a++) {
        if (c[a] < box[2 * a]) box[2 * a] = c[a];
        if (c[a] > box[2 * a + 1]) box[2 * a + 1] = c[a];
      }
    }
  const f32 centre[3] = {(box[0] + box[1]) / 2.0f, (box[2] + box[3]) / 2.0f, (box[4] + box[5]) / 2.0f};
  f32 min_x = 32767.0f, max_x = -32768.0f, min_y = 32767.0f, max_y = -32768.0f;
  for (u32 r = 0; r < vr_map_count; r++)
    for (u32 v = 0; v < vr_map[r].vertex_count; v++) {
      MeshPoint& q = vr_map[r].point[v];
      const f32 in[3] = {q.x - centre[0], q.y - centre[1], q.z - centre[2]};
      f32 out[3];
      VR_Rotate_Camera_Vector(in, out);
      q.x = out[0], q.y = out[1], q.z = out[2];
      if (q.x < min_x) min_x = q.x;
      if (q.x > max_x) max_x = q.x;
      if (q.y < min_y) min_y = q.y;
      if (q.y > max_y) max_y = q.y;
    }
  // A group with no extent along an axis maps onto the middle of the rectangle.
  // The target rectangle is the mesh store's texture rectangle (1, 1, 252, 252 unless a scene set one).
  u32 rect_x, rect_y, rect_w, rect_h;
  Mesh_Get_Uv_Rect(&rect_x, &rect_y, &rect_w, &rect_h);
  const f32 sx = max_x > min_x ? f32(rect_w) / (max_x - min_x) : 0.0f;
  const f32 sy = max_y > min_y ? f32(rect_h) / (max_y - min_y) : 0.0f;
  for (u32 r = 0; r < vr_map_count; r++)
    for (u32 v = 0; v < vr_map[r].vertex_count; v++) {
      MeshPoint& q = vr_map[r].point[v];
      q.x = sx * q.x + f32(rect_w >> 1) + f32(rect_x);
      q.y = sy * q.y + f32(rect_h >> 1) + f32(rect_y);
    }
  if (vr_map_dump) {
    u8* image = static_cast<u8*>(Mem_Alloc(64000));
    Mem_Set_Description(image, "VR: Map dump");
    for (u32 r = 0; r < vr_map_count; r++)
      for (u32 v = 0; v < vr_map[r].vertex_count; v++) {
        const i32 x = VR_Clamp_To_Int(vr_map[r].point[v].x), y = VR_Clamp_To_Int(vr_map[r].point[v].y);
        if (x >= 0 && x < 320 && y >= 0 && y < 200) image[y * 320 + x] = 15;
      }
    if (FILE* f = std::fopen(vr_map_dump_name, "wb")) {
      std::fwrite(image, 1, 64000, f);
      std::fclose(f);
    }
    Mem_Free(image);
    vr_map_dump = 0;
  }
  for (u32 r = 0; r < vr_map_count; r++) {
    u8 uv[8];
    for (u32 v = 0; v < 4; v++) {
      uv[2 * v] = u8(VR_Clamp_To_Int(vr_map[r].point[v].x));
      uv[2 * v + 1] = u8(VR_Clamp_To_Int(vr_map[r].point[v].y));
    }
    Mesh_Set_Poly_Uv(vr_map[r].polygon, u8(slot), uv[0], uv[1], uv[2], uv[3], uv[4], uv[5], uv[6], uv[7]);
  }
  vr_map_count = 0;
  vr_camera.angles[0] = vr_camera.angles[1] = vr_camera.angles[2] = 0;
}

void VR_Map_Polygon_Pair(u32 a, u32 b, u32 slot) {
  VR_Add_Map_Polygon(a);
  VR_Add_Map_Polygon(b);
  VR_Render_Polygon_Map(slot);
}
