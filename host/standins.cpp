// Stand-ins for engine calls whose modules are not built yet; each section goes when its module lands.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "demo/scenes.h"
#include "demo/timeline.h"
#include "music/music.h"
#include "render/k3d.h"
#include "render/mesh.h"
#include "render/meshtool.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "render/vrtransform.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/pixel.h"
#include "video/vbe.h"

// ---- timeline and scenes -----------------------------------------------------------------------
// A short test show until the real timeline and scenes exist: a rotating textured mesh, two setters that
// pass in one frame, a flight along a corridor of sectors whose door opens as the camera comes near, end.
namespace {
const u32 kShowTextureBytes = kPolyTextureTexels * 4;
const f32 kShowDoorOpenDistance = 1400.0f;  // the camera path leaves the door time to open from here

PcxPicture show_picture = {};  // "test/texture.pcx": the cube's faces and the corridor's walls
u32* show_textures[8] = {};    // textures made from it at load
u32 show_texture_count = 0;

i32 mesh_scene = -1;
u32 mesh_cube = 0, mesh_ring = 0;
i32 mesh_first_level = 0;  // slot of the darkest of the cube's brightness levels

i32 hall_scene = -1;
u32 hall_door_event = 0;
f32 hall_door_centre[3] = {};
bool hall_door_opened = false;

u32* Show_New_Texture(const char* name, u32 count = 1) {
  if (show_texture_count == 8) Err_Error("Show: Too many textures");
  u32* t = static_cast<u32*>(Mem_Alloc_Guarded(kShowTextureBytes * count, kPolyTextureGuardBytes));
  Mem_Set_Description(t, "Show: ");
  Mem_Set_Description(t, name);
  show_textures[show_texture_count++] = t;
  return t;
}

u32* Show_Picture(void) {
  if (!show_picture.pixels) Err_Error("Show: test/texture.pcx is not loaded");
  return reinterpret_cast<u32*>(show_picture.pixels);
}

u32 Show_Find_Object(const char* name) {
  for (i32 o = 0; o <= mesh_work.last_object; o++)
    if (strcmp(mesh_work.objects[o].name, name) == 0) return u32(o);
  Err_Error("Show: No object %s", name);
}

// The ring is drawn through a shade table: its environment coordinates (a normal's x and y around the
// centre below) pick a lit colour, and its texture moves the pick toward downward normals, darker.
const u32 kShowRingShade = 96;                  // normals of length 92
const f32 kShowEnvX = 96.0f, kShowEnvY = 160.0f;  // where a normal facing the camera lands
const f32 kShowLight[3] = {-0.45f, -0.6f, -0.66f};  // toward the light: upper left, in front
const u32 kShowCubeLevels = 8;

// The cosine between a direction and the light's.
f32 Show_Light_Cosine(f32 x, f32 y, f32 z) {
  const f32* l = kShowLight;
  const f32 a = std::sqrt(x * x + y * y + z * z), b = std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
  return a > 0 ? (x * l[0] + y * l[1] + z * l[2]) / (a * b) : 0;
}

// The lit colours: for column s and row t, the normal (s - 96, 160 - t) / 92 lit from the upper left.
void Show_Make_Shade_Table(u32* table) {
  const f32 radius = f32(kShowRingShade - 4);
  for (u32 t = 0; t < 256; t++)
    for (u32 s = 0; s < 256; s++) {
      f32 nx = (f32(s) - kShowEnvX) / radius, ny = (kShowEnvY - f32(t)) / radius;
      const f32 rr = nx * nx + ny * ny;
      f32 nz = 0;
      if (rr > 1.0f) {
        nx /= std::sqrt(rr);
        ny /= std::sqrt(rr);
      } else {
        nz = -std::sqrt(1.0f - rr);
      }
      const f32 diffuse = std::max(0.0f, Show_Light_Cosine(nx, ny, nz));
      const f32 shine = std::pow(diffuse, 20.0f);
      const f32 level = 0.06f + 0.9f * diffuse;
      const u32 r = std::min(255u, u32(255.0f * (level * 1.0f + 0.55f * shine)));
      const u32 g = std::min(255u, u32(255.0f * (level * 0.62f + 0.55f * shine)));
      const u32 b = std::min(255u, u32(255.0f * (level * 0.34f + 0.55f * shine)));
      table[t * 256 + s] = r << 16 | g << 8 | b;
    }
}

// The ring's texture: per texel, an index offset of up to 60 rows up the shade table, more for darker texels.
void Show_Make_Relief(u32* relief, const u32* picture) {
  for (u32 i = 0; i < 65536; i++) {
    const u32 p = picture[i];
    const u32 lum = (((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255)) / 10;
    const u32 rows = lum >= 190 ? 0 : std::min(60u, (190 - lum) * 3 / 5);
    relief[i] = (0x10000u - rows * 256) & 0xFFFF;
  }
}

// The cube's brightness levels: the picture from dark to a little brighter than itself, one after another.
void Show_Make_Levels(u32* levels, const u32* picture) {
  for (u32 k = 0; k < kShowCubeLevels; k++) {
    const f32 f = 0.2f + 1.0f * f32(k) / f32(kShowCubeLevels - 1);
    for (u32 i = 0; i < 65536; i++) {
      u32 out = 0;
      for (u32 shift = 0; shift < 24; shift += 8)
        out |= std::min(255u, u32(f32((picture[i] >> shift) & 255) * f)) << shift;
      levels[k * 65536 + i] = out;
    }
  }
}

// Lights each face of the cube as it stands: the level whose brightness its turned normal earns.
void Mesh_Light_Cube(void) {
  const MeshObject& o = mesh_work.objects[mesh_cube];
  if (!o.anim_buffer) return;
  VR_Make_Object_Matrix(o.angles[0], o.angles[1], o.angles[2]);
  for (u32 p = o.first_poly; p < u32(o.first_poly) + o.poly_count; p++) {
    MeshPoly& q = mesh_work.polys[p];
    const MeshPoint& a = o.anim_buffer[q.point[0] - o.first_point];
    const MeshPoint& b = o.anim_buffer[q.point[1] - o.first_point];
    const MeshPoint& c = o.anim_buffer[q.point[q.vertex_count - 1] - o.first_point];
    const f32 e1[3] = {a.x - b.x, a.y - b.y, a.z - b.z}, e2[3] = {a.x - c.x, a.y - c.y, a.z - c.z};
    const f32 n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    f32 turned[3];
    VR_Rotate_Object_Vector(n, turned);
    const f32 level = std::max(0.0f, Show_Light_Cosine(turned[0], turned[1], turned[2])) * f32(kShowCubeLevels - 1);
    q.texture = u8(mesh_first_level + i32(level + 0.5f));
  }
}

// The door's panel: yellow and black stripes with a dark rim.
void Show_Make_Door_Texture(u32* t) {
  for (u32 row = 0; row < 256; row++)
    for (u32 x = 0; x < 256; x++) {
      const bool rim = x < 8 || x > 247 || row < 8 || row > 247;
      const bool stripe = ((row + x) / 24) & 1;
      t[row * 256 + x] = rim ? 0x303438 : stripe ? 0xE0B018 : 0x202020;
    }
}

// A dark blue backdrop behind the mesh.
void Show_Backdrop(void) {
  if (!vbe_screen.frame) return;
  for (u32 y = 0; y < vbe_screen.height; y++) {
    const u32 level = 8 + 40 * y / (vbe_screen.height ? vbe_screen.height : 1);
    const u32 colour = (level / 3) << 16 | (level / 2) << 8 | level;
    for (u32 x = 0; x < vbe_screen.width; x++) vbe_screen.frame[y * vbe_screen.width + x] = colour;
  }
}

void Mesh_Tick(void) {
  VR_Select_Tick_Scene(u32(mesh_scene));
  VR_Rotate_Object(mesh_cube, 3, 7, 5);
  VR_Rotate_Object(mesh_ring, 3, 6, 9);
}

void Mesh_Frame(void) {
  Seq_Set_Part_Name("mesh");
  Music_Set_Callback(Mesh_Tick);
  VR_Select_Scene(u32(mesh_scene));
  Poly_Set_Near(50.0f);
  Show_Backdrop();
  Mesh_Light_Cube();
  VR_Render_Frame();
  Demo_Frame_Hook();
}

// Moves the door panel's bottom edge from its open place by the event's value and keeps the
// picture's density; a closing run that ends shuts the portal.
void Hall_Door_Step(u32 event) {
  VrEvent* e = VR_Get_Event(event);
  if (!e || i32(e->scene) != Mesh_Get_Selected_Scene()) return;
  MeshObject& door = mesh_work.objects[e->object];
  const MeshPoint* saved = reinterpret_cast<const MeshPoint*>(e->saved_points);
  f32 step[3];
  memcpy(step, e->parameter, sizeof step);
  const f32 v = f32(e->value);
  for (u32 k = 4; k < 8; k++)
    Mesh_Set_Point(door.first_point + k, saved[k].x + v * step[0], saved[k].y + v * step[1], saved[k].z + v * step[2]);
  Mesh_Set_Object_Tex_Scale(e->object, 1000.0f, 256.0f);
  if (e->counter == 0 && e->direction == 1) door.door_closed = 1;
}

void Hall_Tick(void) {
  VR_Tick_Paths(u32(hall_scene));
  if (hall_door_opened) return;
  const MeshScene* s = Mesh_Get_Scene(u32(hall_scene));
  const VrPathRecord* r = static_cast<const VrPathRecord*>(s->path_current);
  if (!r) return;
  f32 d2 = 0;
  for (u32 k = 0; k < 3; k++) d2 += (r->position[k] - hall_door_centre[k]) * (r->position[k] - hall_door_centre[k]);
  if (d2 < kShowDoorOpenDistance * kShowDoorOpenDistance) {
    VR_Trigger_Event(hall_door_event);
    hall_door_opened = true;
  }
}

void Hall_Frame(void) {
  Seq_Set_Part_Name("corridor");
  Music_Set_Callback(Hall_Tick);
  VR_Select_Scene(u32(hall_scene));
  Poly_Set_Near(50.0f);
  Vbe_Clear();
  VR_Render_Frame();
  Demo_Frame_Hook();
}

void Standin_Setter(void) {}
}  // namespace


// The rotating mesh: a cube drawn with perspective-correct texturing beside a ring lit through a shade table.
void Standin_Load_Mesh(void) {
  Pcx_Load("test/texture.pcx", &show_picture);
  if (show_picture.header.colour_planes != 4 || show_picture.header.hres != 256 || show_picture.header.vres != 256)
    Err_Error("Show: test/texture.pcx is not a 256x256 24-bit picture");
  const i32 first = Poly_Add_Texture(Show_Picture());
  u32* relief = Show_New_Texture("relief");
  Show_Make_Relief(relief, Show_Picture());
  Poly_Add_Texture(relief);
  u32* shades = Show_New_Texture("shade table");
  Show_Make_Shade_Table(shades);
  const i32 shade_slot = Poly_Add_Texture(shades);
  u32* levels = Show_New_Texture("cube levels", kShowCubeLevels);
  Show_Make_Levels(levels, Show_Picture());
  mesh_first_level = Poly_Add_Texture(levels);
  for (u32 k = 1; k < kShowCubeLevels; k++) Poly_Add_Texture(levels + k * 65536);

  mesh_scene = i32(Mesh_Create_Scene(400, 400, 4, 4, 400));
  Mesh_Set_Scale(1.0f);
  Mesh_Set_Axis_Order(0, 1, 2);
  Mesh_Set_Object_Type(0);
  Mesh_Set_Shade(kShowRingShade);
  Mesh_Set_Uv_Rect(0, 0, 127, 63);
  Mesh_Set_Default_Tex_Scale(256);
  Mesh_Set_Poly_Type(u8(shade_slot));
  // Movable, smoothed, with environment coordinates from the turning normals.
  Mesh_Load_K3D_Objects("test/box.k3d", 0, 0, 0, 1.0f, 0, 0, u8(first), 0x16);
  mesh_cube = Show_Find_Object("cube");
  mesh_ring = Show_Find_Object("ring");
  const MeshObject& cube = mesh_work.objects[mesh_cube];
  for (u32 p = cube.first_poly; p < u32(cube.first_poly) + cube.poly_count; p++) Mesh_Set_Poly_Flags(p, 0x1C00004);
  const MeshObject& ring = mesh_work.objects[mesh_ring];
  for (u32 p = ring.first_poly; p < u32(ring.first_poly) + ring.poly_count; p++) Mesh_Set_Poly_Flags(p, 0x10);
  Mesh_Set_Poly_Type(0);
  Mesh_Set_Shade(128);
  VR_Set_Object_Position(mesh_cube, -160, 0, 0);
  VR_Set_Object_Position(mesh_ring, 170, 0, 0);
  VR_Rotate_Object(mesh_cube, 100, 250, 60);
  VR_Rotate_Object(mesh_ring, 400, 0, 100);
  VR_Set_Fov(50);
  VR_Set_Camera_Position(0, 0, -620);
  VR_Store_Scene();
}

// The corridor: three rooms and a door between views, walked by the camera path; the door starts shut.
void Standin_Load_Corridor(void) {
  const i32 first = Poly_Add_Texture(Show_Picture());
  u32* floor = Show_New_Texture("floor");
  memcpy(floor, Show_Picture(), kShowTextureBytes);
  Poly_Add_Texture(floor);
  Poly_Hsv_Last_Texture(200, 0, -50);
  u32* ceiling = Show_New_Texture("ceiling");
  memcpy(ceiling, Show_Picture(), kShowTextureBytes);
  Poly_Add_Texture(ceiling);
  Poly_Scale_Last_Texture(0.45f);
  u32* door = Show_New_Texture("door");
  Show_Make_Door_Texture(door);
  Poly_Add_Texture(door);

  hall_scene = i32(Mesh_Create_Scene(500, 500, 20, 4, 500));
  Mesh_Set_Scale(1.0f);
  Mesh_Set_Axis_Order(0, 1, 2);
  Mesh_Set_Object_Type(0);
  Mesh_Set_Uv_Rect(0, 0, 255, 255);
  Mesh_Set_Poly_Type(0);
  // Perspective-correct, clipped at the near plane and culled after it.
  Mesh_Load_K3D_Objects("test/corridor.k3d", 0, 0, 0, 1.0f, 0, 0, u8(first), 0x3C00005);
  const u32 first_event = vr_engine.event_count;
  VR_Init_Sectors();
  for (i32 o = 0; o <= mesh_work.last_object; o++) Mesh_Set_Object_Tex_Scale(u32(o), 1000.0f, 256.0f);
  const MeshObject& d = mesh_work.objects[Show_Find_Object("door0")];
  if (vr_engine.event_count != first_event + 1 || d.kind != 2) Err_Error("Show: The corridor needs one door");
  hall_door_event = first_event;
  for (u32 k = 0; k < 3; k++) hall_door_centre[k] = (d.bbox[2 * k] + d.bbox[2 * k + 1]) * 0.5f;
  VR_Set_Fov(75);
  VR_Set_Camera_Position(0, 120, 300);
  VR_Load_Camera_Path("test/corridor.cam", 1.0f);
  VR_Store_Scene();
  VR_Save_Event_Copies();
  VR_Set_Event_Callback(hall_door_event, Hall_Door_Step);
  // Shut the door: one whole run, as the ticks and frames would make it.
  VR_Trigger_Event(hall_door_event);
  for (u32 n = 0; vr_engine.running_events && n < 1000; n++) {
    VR_Run_Events();
    VR_Step_Events();
  }
  hall_door_opened = false;
}

// The frees the host calls: the test show's scenes, path and textures.
void Standin_Free_Test_Show(void) {
  if (hall_scene >= 0) {
    VR_Select_Scene(u32(hall_scene));
    VR_Free_Camera_Path();
    Mesh_Free_Scene(u32(hall_scene));
    hall_scene = -1;
  }
  if (mesh_scene >= 0) {
    Mesh_Free_Scene(u32(mesh_scene));
    mesh_scene = -1;
  }
  for (u32 i = 0; i < show_texture_count; i++) Mem_Free(show_textures[i]);
  show_texture_count = 0;
  Pcx_Free(&show_picture);
}

// The test show loads its own data here, so the real scene loaders can replace their stand-ins.
void Demo_Setup_Sequence(void) {
  Standin_Load_Mesh();
  Standin_Load_Corridor();
  Seq_Add_Event(0, 16, Mesh_Frame);
  Seq_Add_Event(0, 0, Standin_Setter);
  Seq_Add_Event(0, 0, Standin_Setter);
  Seq_Add_Event(1, 0, Hall_Frame);
  Seq_Add_Control(SEQ_END, 0);
}
