// Mesh store: the scene table, the working set of the selected scene, adds, normals and animation frames.
#include "render/mesh.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/texture.h"
#include "music/music.h"
#include "runtime/err.h"
#include "runtime/mem.h"

MeshWork mesh_work = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, -1, -1, -1, -1, 0, 0, {0, 0, 0, 0, 0}};

namespace {
MeshScene mesh_scenes[kMeshMaxScenes];
u32 mesh_scene_count = 0;
i32 mesh_selected = -1;
i32 mesh_tick_scene = -1;
// While the music's tick callback runs, mesh calls act on the tick scene.
u8 (*mesh_tick_query)(void) = Music_In_Callback;

f32 mesh_point_scale = 1.0f;
f32 mesh_object_scale = 1.0f;
u32 mesh_uv_rect[4] = {1, 1, 252, 252};
i32 mesh_default_tex_scale = 256;
u32 mesh_poly_colour = 0;
u32 mesh_shade = 128;
u8 mesh_object_type = 0;
u8 mesh_poly_type = 0;
i32 mesh_axes[3] = {0, 1, 2};
u8 mesh_anim_mode = 0;
u32 mesh_anim_next = 0;
u32 mesh_object_flags = 0;
i32 mesh_open_object = -1;
MeshVector mesh_face_normal = {0, 0, 0, 0};

const char* const kBlockNames[6] = {"points  ", "normals ", "polys   ", "objects ", "movables", "doors   "};
enum { MESH_BLOCK_POINTS, MESH_BLOCK_NORMALS, MESH_BLOCK_POLYS, MESH_BLOCK_OBJECTS, MESH_BLOCK_MOVABLES, MESH_BLOCK_DOORS };

// floor() as a whole number; values outside the 32-bit range (and NaN) give the hardware's 0x80000000.
i32 Floor_To_Int(f32 v) {
  f32 f = std::floor(v);
  if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
  return i32(f);
}

void Need_Scene(void) {
  if (!mesh_work.points) Err_Error("Mesh: No scene selected");
}

MeshObject& Current_Object(void) {
  Need_Scene();
  if (mesh_work.last_object < 0) Err_Error("Mesh: No current object");
  return mesh_work.objects[mesh_work.last_object];
}

// Number of records an animation buffer holds; 0 when it is not an engine block.
u32 Anim_Capacity(const MeshPoint* buffer) {
  if (!buffer || Mem_Search_Block(buffer) < 0) return 0;
  return Mem_Get_Size(buffer) / sizeof(MeshPoint);
}

// One point of an object's animation buffer, at the object's load scale.
void Put_Anim_Point(MeshPoint* r, f32 x, f32 y, f32 z, u16 normal) {
  r->x = mesh_object_scale * x;
  r->y = mesh_object_scale * y;
  r->z = mesh_object_scale * z;
  r->normal = normal;
  r->spare = 0;
}

void* Scene_Block(const MeshScene& s, u32 k) {
  void* blocks[6] = {s.points, s.normals, s.polys, s.objects, s.movables, s.doors};
  return blocks[k];
}

// One of a scene's arrays; a size the 32-bit block layer cannot hold is refused, not wrapped.
void* Alloc_Array(u32 scene, u32 block, u64 count, u64 record_bytes) {
  const u64 bytes = count * record_bytes;
  if (bytes > UINT32_MAX)
    Err_Error("Mesh: Scene %d %s too large (%llu records)", int(scene), kBlockNames[block], (unsigned long long)count);
  return Mem_Alloc(u32(bytes));
}

void Describe(void* block, const char* text) {
  Mem_Set_Description(block, "Mesh: ");
  Mem_Set_Description(block, text);
}
}  // namespace

// ---- scenes and defaults ----

void Mesh_Init(void) {
  mesh_work.last_point = mesh_work.last_normal = mesh_work.last_poly = mesh_work.last_object = -1;
  mesh_work.movable_count = 0;
  mesh_work.door_count = 0;
  mesh_uv_rect[0] = 1;
  mesh_uv_rect[1] = 1;
  mesh_uv_rect[2] = 252;
  mesh_uv_rect[3] = 252;
  mesh_anim_mode = 0;
  mesh_anim_next = 0;
  mesh_poly_type = 0;
  mesh_point_scale = 1.0f;
  mesh_object_scale = 1.0f;
  mesh_axes[0] = 0;
  mesh_axes[1] = 1;
  mesh_axes[2] = 2;
  mesh_object_type = 0;
  mesh_shade = 128;
}

void Mesh_Reset(void) { Mesh_Init(); }

u32 Mesh_Create_Scene(u32 max_points, u32 max_polys, u32 max_objects, u32 max_movables, u32 max_normals) {
  if (mesh_scene_count >= kMeshMaxScenes) Err_Error("Mesh: Too many scenes");
  u32 n = mesh_scene_count;
  MeshScene& s = mesh_scenes[n];
  memset(&s, 0, sizeof s);
  s.max[MESH_MAX_POINTS] = max_points;
  s.max[MESH_MAX_NORMALS] = max_normals;
  s.max[MESH_MAX_POLYS] = max_polys;
  s.max[MESH_MAX_OBJECTS] = max_objects;
  s.max[MESH_MAX_MOVABLES] = max_movables;
  s.last_point = s.last_poly = s.last_normal = s.last_object = -1;
  const u32 maxima[6] = {max_points, max_normals, max_polys, max_objects, max_movables, kMeshMaxDoors};
  s.points = static_cast<MeshPoint*>(Alloc_Array(n, MESH_BLOCK_POINTS, max_points + u64(2), sizeof(MeshPoint)));
  s.normals = static_cast<MeshNormal*>(Alloc_Array(n, MESH_BLOCK_NORMALS, max_normals + u64(2), sizeof(MeshNormal)));
  s.polys = static_cast<MeshPoly*>(Alloc_Array(n, MESH_BLOCK_POLYS, max_polys + u64(2), sizeof(MeshPoly)));
  s.objects = static_cast<MeshObject*>(Alloc_Array(n, MESH_BLOCK_OBJECTS, max_objects + u64(2), sizeof(MeshObject)));
  s.movables = static_cast<u32*>(Alloc_Array(n, MESH_BLOCK_MOVABLES, max_movables + u64(2), sizeof(u32)));
  s.doors = static_cast<MeshDoor*>(Alloc_Array(n, MESH_BLOCK_DOORS, kMeshMaxDoors, sizeof(MeshDoor)));
  for (u32 k = 0; k < 6; k++) {
    char text[48];
    snprintf(text, sizeof text, "Scene %d %s(%d)", int(n), kBlockNames[k], int(maxima[k]));
    Describe(Scene_Block(s, k), text);
  }
  s.in_use = 1;
  mesh_scene_count++;
  Mesh_Select_Scene(n);
  mesh_tick_scene = i32(n);
  return n;
}

void Mesh_Select_Scene(u32 scene) {
  if (scene >= mesh_scene_count || !mesh_scenes[scene].in_use) Err_Error("Mesh: Invalid scene %d", int(scene));
  const MeshScene& s = mesh_scenes[scene];
  mesh_selected = i32(scene);
  mesh_work = s;
}

void Mesh_Store_Scene(void) {
  if (mesh_selected < 0) Err_Error("Mesh: No scene selected");
  MeshScene& s = mesh_scenes[mesh_selected];
  static_cast<MeshWork&>(s) = mesh_work;
  const i32 used[6] = {mesh_work.last_point,         mesh_work.last_normal,         mesh_work.last_poly,
                       mesh_work.last_object,        i32(mesh_work.movable_count), i32(mesh_work.door_count)};
  const u32 maxima[6] = {mesh_work.max[MESH_MAX_POINTS],  mesh_work.max[MESH_MAX_NORMALS],
                         mesh_work.max[MESH_MAX_POLYS],   mesh_work.max[MESH_MAX_OBJECTS],
                         mesh_work.max[MESH_MAX_MOVABLES], kMeshMaxDoors};
  for (u32 k = 0; k < 6; k++) {
    void* block = Scene_Block(s, k);
    char text[48];
    snprintf(text, sizeof text, "Scene %d %s(%d/%d)", mesh_selected, kBlockNames[k], int(used[k]), int(maxima[k]));
    Mem_Set_Description(block, "!");
    Describe(block, text);
  }
}

void Mesh_Free_Scene(u32 scene) {
  if (scene >= mesh_scene_count) return;
  MeshScene& s = mesh_scenes[scene];
  if (!s.in_use) return;
  for (u32 k = 0; k < 6; k++) Mem_Free(Scene_Block(s, k));
  s.in_use = 0;
  if (mesh_selected == i32(scene)) {
    // The working set must not keep pointing at freed blocks.
    mesh_selected = -1;
    mesh_work.points = nullptr;
    mesh_work.normals = nullptr;
    mesh_work.polys = nullptr;
    mesh_work.objects = nullptr;
    mesh_work.movables = nullptr;
    mesh_work.doors = nullptr;
  }
}

void Mesh_Free_All_Scenes(void) {
  for (u32 i = 0; i < mesh_scene_count; i++) Mesh_Free_Scene(i);
  mesh_scene_count = 0;
  mesh_selected = -1;
  mesh_tick_scene = -1;
}

MeshScene* Mesh_Get_Scene(u32 scene) { return scene < mesh_scene_count ? &mesh_scenes[scene] : nullptr; }
i32 Mesh_Get_Selected_Scene(void) { return mesh_selected; }
u32 Mesh_Get_Scene_Count(void) { return mesh_scene_count; }
void Mesh_Set_Tick_Scene(u32 scene) { mesh_tick_scene = i32(scene); }
i32 Mesh_Get_Tick_Scene(void) { return mesh_tick_scene; }
void Mesh_Set_Tick_Query(u8 (*in_tick)(void)) { mesh_tick_query = in_tick ? in_tick : Music_In_Callback; }
u8 Mesh_In_Tick(void) { return mesh_tick_query(); }

void Mesh_Set_Scene_View(void* current, void* buffer, u32 file_size, u32 record_count, u32 records_left) {
  if (mesh_selected < 0) Err_Error("Mesh: No scene selected");
  MeshScene& s = mesh_scenes[mesh_selected];
  s.path_current = current;
  s.path_buffer = buffer;
  s.path_file_size = file_size;
  s.path_record_count = record_count;
  s.path_records_left = records_left;
}

void Mesh_Get_Scene_View(void** current, void** buffer, u32* file_size, u32* record_count, u32* records_left) {
  if (mesh_selected < 0) Err_Error("Mesh: No scene selected");
  const MeshScene& s = mesh_scenes[mesh_selected];
  *current = s.path_current;
  *buffer = s.path_buffer;
  *file_size = s.path_file_size;
  *record_count = s.path_record_count;
  *records_left = s.path_records_left;
}

void Mesh_Clear_Counters(void) {
  mesh_open_object = -1;
  mesh_work.last_point = mesh_work.last_poly = mesh_work.last_normal = mesh_work.last_object = -1;
}
void Mesh_Set_Object_Type(u8 type) { mesh_object_type = type; }
void Mesh_Set_Shade(u32 shade) { mesh_shade = shade; }
void Mesh_Set_Poly_Type(u8 type) { mesh_poly_type = type; }
void Mesh_Set_Poly_Colour(u32 colour) { mesh_poly_colour = colour; }
void Mesh_Set_Default_Tex_Scale(i32 scale) { mesh_default_tex_scale = scale; }

void Mesh_Set_Point(u32 point, f32 x, f32 y, f32 z) {
  MeshPoint& p = mesh_work.points[point];
  p.x = x;
  p.y = y;
  p.z = z;
}

void Mesh_Move_Point(u32 point, f32 x, f32 y, f32 z) {
  MeshPoint& p = mesh_work.points[point];
  p.x += x;
  p.y += y;
  p.z += z;
}

// ---- adds ----

i32 Mesh_Claim(i32* last, MeshLimit limit, const char* what) {
  const i32 n = *last + 1;
  if (n >= i32(mesh_work.max[limit])) Err_Error("Mesh: Too many %s", what);
  *last = n;
  return n;
}

void Mesh_Set_Scale(f32 scale) { mesh_point_scale = scale; }

u32 Mesh_Add_Object(f32 x, f32 y, f32 z, u8 attribute_a, u8 attribute_b, u32 flags, MeshPoint* anim_buffer) {
  Need_Scene();
  mesh_object_scale = mesh_point_scale;
  const i32 n = Mesh_Claim(&mesh_work.last_object, MESH_MAX_OBJECTS, "objects");
  MeshObject& o = mesh_work.objects[n];
  memset(&o, 0, sizeof o);
  o.position[0] = mesh_point_scale * x;
  o.position[1] = mesh_point_scale * y;
  o.position[2] = mesh_point_scale * z;
  o.first_point = u16(mesh_work.last_point + 1);
  o.point_count = u16(mesh_work.last_point);
  o.first_poly = u16(mesh_work.last_poly + 1);
  o.poly_count = u16(mesh_work.last_poly);
  o.flags = flags;
  o.attribute_a = attribute_a;
  o.attribute_b = attribute_b;
  o.anim_buffer = anim_buffer;
  o.shade = mesh_shade;
  o.type = mesh_object_type;
  strcpy(o.name, "[noname]");
  mesh_object_flags = flags;
  mesh_open_object = n;
  if (flags & kMeshObjectMovable) {
    if (mesh_work.movable_count > mesh_work.max[MESH_MAX_MOVABLES]) Err_Error("Mesh: Too many movable objects");
    mesh_work.movables[mesh_work.movable_count++] = u32(n);
  }
  return u32(n);
}

u32 Mesh_Add_Point(f32 x, f32 y, f32 z) {
  MeshObject& o = Current_Object();
  if (mesh_anim_mode) {
    if (mesh_anim_next >= Anim_Capacity(o.anim_buffer)) Err_Error("Mesh: Animation buffer overflow");
    Put_Anim_Point(&o.anim_buffer[mesh_anim_next], x, y, z, 0);
    return mesh_anim_next++;
  }
  const i32 n = Mesh_Claim(&mesh_work.last_point, MESH_MAX_POINTS, "points");
  u32 normal = Mesh_Add_Normal(0, 0, 0);
  if (o.flags & kMeshObjectMovable) {
    // A movable object created without a buffer gets one big enough for every point the scene can still take.
    if (!o.anim_buffer) o.anim_buffer = Mesh_Alloc_Anim_Buffer(mesh_work.max[MESH_MAX_POINTS] + 2 - o.first_point);
    u32 k = u32(n) - o.first_point;
    if (k >= Anim_Capacity(o.anim_buffer)) Err_Error("Mesh: Animation buffer overflow");
    Put_Anim_Point(&o.anim_buffer[k], x, y, z, u16(normal));
  }
  MeshPoint& p = mesh_work.points[n];
  p.x = f32(i16(Floor_To_Int(mesh_point_scale * x))) + o.position[0];
  p.y = f32(i16(Floor_To_Int(mesh_point_scale * y))) + o.position[1];
  p.z = f32(i16(Floor_To_Int(mesh_point_scale * z))) + o.position[2];
  p.normal = u16(normal);
  p.spare = 0;
  return u32(n);
}

u32 Mesh_Add_Normal(f32 x, f32 y, f32 z) {
  Need_Scene();
  const i32 n = Mesh_Claim(&mesh_work.last_normal, MESH_MAX_NORMALS, "normals");
  MeshNormal& r = mesh_work.normals[n];
  r.x = x;
  r.y = y;
  r.z = z;
  return u32(n);
}

void Mesh_Add_To_Normal(u16 normal, f32 x, f32 y, f32 z) {
  if (i32(normal) > mesh_work.last_normal) Err_Error("Mesh: Invalid normal index");
  MeshNormal& r = mesh_work.normals[normal];
  r.x += x;
  r.y += y;
  r.z += z;
}

u32 Mesh_Add_Poly(u8 type, u8 texture, u32 flags, u8 vertex_count, const u32* points) {
  Need_Scene();
  const i32 n = Mesh_Claim(&mesh_work.last_poly, MESH_MAX_POLYS, "polys");
  MeshPoly& p = mesh_work.polys[n];
  p.type = type;
  p.texture = texture;
  for (u32 k = 0; k < 4; k++) p.point[k] = points[k];
  p.vertex_count = vertex_count;
  p.flags = flags;
  p.u_scale = p.v_scale = f32(mesh_default_tex_scale);
  p.colour = mesh_poly_colour;
  p.depth_bias = 0;
  p.spare16 = 0;
  p.spare32 = 0;
  return u32(n);
}

u32 Mesh_Add_Sprite(f32 x, f32 y, f32 z, u32 texture, u32 flags, u8 u, u8 v) {
  u32 point = Mesh_Add_Point(x, y, z);
  return Mesh_Add_Sprite_Poly(point, texture, flags, u, v);
}

u32 Mesh_Add_Sprite_Poly(u32 point, u32 texture, u32 flags, u8 u, u8 v) {
  flags |= kMeshPolyOnePoint | kMeshPolyOwnUv;
  const u32 points[4] = {point, point, point, point};
  if (flags & kMeshPolyRawColour) {
    u32 n = Mesh_Add_Poly(0, 0, flags, 1, points);
    mesh_work.polys[n].colour = texture;
    return n;
  }
  u32 n = Mesh_Add_Poly(0, u8(texture), flags, 1, points);
  MeshPoly& p = mesh_work.polys[n];
  p.u[0] = u;
  p.v[0] = v;
  p.value = 50000;
  if (flags & kMeshPolySpriteTexel) {
    const u32* map = Poly_Get_Texture(u8(texture));
    p.colour = map ? map[(v / 2) * 256 + u / 2] : 0;
    p.type = 1;
  }
  return n;
}

u32 Mesh_Add_Dot(f32 x, f32 y, f32 z, u8 texture, u8 type, u32 flags, u8 u, u8 v) {
  u32 point = Mesh_Add_Point(x, y, z);
  return Mesh_Add_Dot_Poly(point, texture, type, flags, u, v);
}

u32 Mesh_Add_Dot_Poly(u32 point, u8 texture, u8 type, u32 flags, u8 u, u8 v) {
  const u32 points[4] = {point, point, point, point};
  u32 n = Mesh_Add_Poly(type, texture, flags | kMeshPolyOnePoint | kMeshPolyOwnUv, 1, points);
  mesh_work.polys[n].u[0] = u;
  mesh_work.polys[n].v[0] = v;
  return point;
}

void Mesh_End_Object(void) {
  MeshObject& o = Current_Object();
  mesh_open_object = -1;
  o.poly_count = u16(mesh_work.last_poly - i32(o.poly_count));
  o.point_count = u16(mesh_work.last_point - i32(o.point_count));
  if (o.flags & kMeshObjectSmooth) {
    for (u32 i = o.first_poly; i < u32(o.first_poly) + o.poly_count; i++) {
      const MeshPoly& p = mesh_work.polys[i];
      if (p.flags & kMeshPolyOwnUv) continue;
      MeshVector f = Mesh_Face_Normal(p);
      MeshVector n = Mesh_Normalize(f.x, f.y, f.z);
      for (u32 k = 0; k < p.vertex_count && k < 4; k++)
        Mesh_Add_To_Normal(mesh_work.points[p.point[k] & 0xFFFF].normal, n.x, n.y, n.z);
    }
    // An object without points has no normals of its own to rescale.
    if (o.point_count > 0) {
      u32 a = mesh_work.points[o.first_point].normal;
      u32 b = mesh_work.points[o.first_point + o.point_count - 1].normal;
      // A shade below 4 would make a huge unsigned length; such normals get length 0.
      f32 length = o.shade > 4 ? f32(o.shade - 4) : 0.0f;
      for (u32 k = a; k <= b && a <= b; k++) {
        MeshNormal& r = mesh_work.normals[k];
        MeshVector v = Mesh_Scale_Vector(Mesh_Normalize(r.x, r.y, r.z), length);
        r.x = v.x;
        r.y = v.y;
        r.z = v.z;
      }
    }
  }
  const u32 x = mesh_uv_rect[0], y = mesh_uv_rect[1], w = mesh_uv_rect[2], h = mesh_uv_rect[3];
  for (u32 i = o.first_poly; i < u32(o.first_poly) + o.poly_count; i++) {
    const MeshPoly& p = mesh_work.polys[i];
    if (p.flags & kMeshPolyOwnUv) continue;
    Mesh_Set_Poly_Uv(i, p.texture, u8(x), u8(y), u8(x + w), u8(y), u8(x + w), u8(y + h), u8(x), u8(y + h));
  }
}

// ---- vectors ----

MeshVector Mesh_Face_Normal(const MeshPoly& poly) {
  u32 last = poly.vertex_count == 0 ? 0 : (poly.vertex_count > 4 ? 3 : poly.vertex_count - 1u);
  const MeshPoint& a = mesh_work.points[poly.point[0]];
  const MeshPoint& b = mesh_work.points[poly.point[1]];
  const MeshPoint& c = mesh_work.points[poly.point[last]];
  f32 e1x = a.x - b.x, e1y = a.y - b.y, e1z = a.z - b.z;
  f32 e2x = a.x - c.x, e2y = a.y - c.y, e2z = a.z - c.z;
  mesh_face_normal.x = e1y * e2z - e1z * e2y;
  mesh_face_normal.y = e1z * e2x - e1x * e2z;
  mesh_face_normal.z = e1x * e2y - e1y * e2x;
  return mesh_face_normal;
}

MeshVector Mesh_Normalize(f32 x, f32 y, f32 z) {
  f32 length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0.0f)) return MeshVector{0, 0, 0, 0};
  return MeshVector{x / length, y / length, z / length, 0};
}

MeshVector Mesh_Scale_Vector(MeshVector v, f32 factor) {
  return MeshVector{v.x * factor, v.y * factor, v.z * factor, v.w};
}

u32 Mesh_Set_Poly_Normal(u32 poly, f32 x, f32 y, f32 z) {
  MeshVector n = Mesh_Normalize(x, y, z);
  MeshNormal& r = mesh_work.normals[mesh_work.points[mesh_work.polys[poly].point[0]].normal];
  r.x = n.x;
  r.y = n.y;
  r.z = n.z;
  return poly;
}

// ---- queries and setters ----

MeshPoint Mesh_Get_Point(u32 point) { return mesh_work.points[point]; }
u32 Mesh_Get_Poly_First_Point(u32 poly) { return mesh_work.polys[poly].point[0]; }

void Mesh_Set_Poly_Uv(u32 poly, u8 texture, u8 u0, u8 v0, u8 u1, u8 v1, u8 u2, u8 v2, u8 u3, u8 v3) {
  MeshPoly& p = mesh_work.polys[poly];
  p.texture = texture;
  p.u[0] = u0;
  p.v[0] = v0;
  p.u[1] = u1;
  p.v[1] = v1;
  p.u[2] = u2;
  p.v[2] = v2;
  p.u[3] = u3;
  p.v[3] = v3;
}

void Mesh_Set_Poly_Flags(u32 poly, u32 flags) { mesh_work.polys[poly].flags = flags; }
void Mesh_Set_Poly_Tex_Scale(u32 poly, i32 u_scale, i32 v_scale) {
  mesh_work.polys[poly].u_scale = f32(u_scale);
  mesh_work.polys[poly].v_scale = f32(v_scale);
}
void Mesh_Set_Poly_Value(u32 poly, u32 value) { mesh_work.polys[poly].value = value; }
u8 Mesh_Get_Poly_Texture(u32 poly) { return mesh_work.polys[poly].texture; }

u32 Mesh_Get_First_Poly(void) { return Current_Object().first_poly; }
u32 Mesh_Get_Last_Poly(void) {
  const MeshObject& o = Current_Object();
  return u32(o.first_poly) + o.poly_count - 1;
}
u32 Mesh_Get_First_Point(void) { return Current_Object().first_point; }
u32 Mesh_Get_Last_Point(void) {
  const MeshObject& o = Current_Object();
  return u32(o.first_point) + o.point_count - 1;
}
u32 Mesh_Get_Object_First_Poly(u32 object) { return mesh_work.objects[object].first_poly; }
u32 Mesh_Get_Object_Last_Poly(u32 object) {
  const MeshObject& o = mesh_work.objects[object];
  return u32(o.first_poly) + o.poly_count - 1;
}
u32 Mesh_Get_Object_First_Point(u32 object) { return mesh_work.objects[object].first_point; }
u32 Mesh_Get_Object_Last_Point(u32 object) {
  const MeshObject& o = mesh_work.objects[object];
  return u32(o.first_point) + o.point_count - 1;
}

// ---- settings and animation ----

void Mesh_Set_Uv_Rect(u32 x, u32 y, u32 width, u32 height) {
  mesh_uv_rect[0] = x;
  mesh_uv_rect[1] = y;
  mesh_uv_rect[2] = width;
  mesh_uv_rect[3] = height;
}

void Mesh_Get_Uv_Rect(u32* x, u32* y, u32* width, u32* height) {
  *x = mesh_uv_rect[0];
  *y = mesh_uv_rect[1];
  *width = mesh_uv_rect[2];
  *height = mesh_uv_rect[3];
}

void Mesh_Set_Axis_Order(i32 a0, i32 a1, i32 a2) {
  mesh_axes[0] = a0;
  mesh_axes[1] = a1;
  mesh_axes[2] = a2;
}

void Mesh_Get_Axis_Order(i32* axes) {
  for (u32 k = 0; k < 3; k++) axes[k] = mesh_axes[k];
}
f32 Mesh_Get_Scale(void) { return mesh_point_scale; }
u8 Mesh_Get_Poly_Type(void) { return mesh_poly_type; }
u32 Mesh_Get_Shade(void) { return mesh_shade; }
u32 Mesh_Get_Object_Flags(void) { return mesh_object_flags; }
i32 Mesh_Get_Open_Object(void) { return mesh_open_object; }

MeshPoint* Mesh_Alloc_Anim_Buffer(u32 points) {
  MeshPoint* buffer = static_cast<MeshPoint*>(Mem_Alloc(points * sizeof(MeshPoint)));
  char text[40];
  snprintf(text, sizeof text, "Object (%d points)", int(points));
  Describe(buffer, text);
  return buffer;
}

void Mesh_Set_Anim_Buffer(MeshPoint* buffer) { Current_Object().anim_buffer = buffer; }

void Mesh_Begin_Anim_Points(u16 first) {
  mesh_anim_mode = 1;
  mesh_anim_next = first;
}

void Mesh_End_Anim_Points(void) { mesh_anim_mode = 0; }

void Mesh_Set_Anim_Frames(u16 frame_count, u16 points_per_frame) {
  MeshObject& o = Current_Object();
  o.anim_frame_count = frame_count;
  o.points_per_frame = points_per_frame;
  o.anim_frame = 0;
  o.frame_offset = 0;
}

void Mesh_Next_Anim_Frame(u16 object) {
  i32 scene = Mesh_In_Tick() ? mesh_tick_scene : mesh_selected;
  if (scene < 0 || u32(scene) >= mesh_scene_count) return;
  MeshObject& o = mesh_scenes[scene].objects[object];
  o.anim_frame++;
  o.frame_offset += o.points_per_frame;
  if (o.anim_frame >= o.anim_frame_count) {
    o.anim_frame = 0;
    o.frame_offset = 0;
  }
}

void* Mesh_Grow_Array(void* block, u32* count, u32 entry_size) {
  *count += 1000;
  return Mem_Realloc(block, (*count + 2) * entry_size);
}

void Mesh_Show_Scene(void) {
  printf("Mesh_Show_Scene:\n\n");
  for (i32 i = 0; i <= mesh_work.last_normal; i++) {
    const MeshNormal& n = mesh_work.normals[i];
    printf("Normal %d: %f, %f, %f\n", int(i), double(n.x), double(n.y), double(n.z));
  }
  printf("\n");
  for (i32 i = 0; i <= mesh_work.last_point; i++) {
    const MeshPoint& p = mesh_work.points[i];
    printf("Point %d: %f, %f, %f -> Normal: %d\n", int(i), double(p.x), double(p.y), double(p.z), int(p.normal));
  }
  printf("\n");
  for (i32 i = 0; i <= mesh_work.last_poly; i++) {
    const MeshPoly& p = mesh_work.polys[i];
    printf("Poly %d: -> Points: ", int(i));
    for (u32 k = 0; k < p.vertex_count && k < 4; k++) printf("%d  ", int(p.point[k]));
    printf("\n");
  }
  printf("\n\n");
  for (i32 i = 0; i <= mesh_work.last_object; i++) {
    const MeshObject& o = mesh_work.objects[i];
    printf("Object %d: %s,    %f, %f, %f   ->\n", int(i), o.name, double(o.position[0]), double(o.position[1]),
           double(o.position[2]));
    printf("   pointindex: %d,  antalpoints: %d\n", int(o.first_point), int(o.point_count));
    printf("   polyindex:  %d,  antalpolys:  %d\n", int(o.first_poly), int(o.poly_count));
    printf("   bbox:  x:%f,%f  y:%f,%f  z:%f,%f\n", double(o.bbox[0]), double(o.bbox[1]), double(o.bbox[2]),
           double(o.bbox[3]), double(o.bbox[4]), double(o.bbox[5]));
  }
  printf("\n\n");
}
