// Gang scene: a walk down a corridor of sectors whose doors open and shut, with a figure coming along it.
#include "demo/gang/gang.h"

#include <cstring>

#include "demo/design.h"
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
#include "runtime/key.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/picture.h"

namespace {
const u32 kCorridorFlags = 0x3C00005;  // perspective, near-clipped, back faces culled after the clip
const u32 kFigureFlags = 0x4000000A;   // movable, smoothed, environment-mapped, not hit
const u32 kFlashTexels = 128;
const i32 kFlashTicks = 15;

enum GangPicture { FACE, BODY, GLOSS, WALL, FLOOR, PICTURES };
const char* const kPictureNames[PICTURES] = {"gang/wface1.pcx", "gang/wbody2.pcx", "gang/gangp8.pcx",
                                             "gang/wall7.pcx", "gang/floor2.pcx"};
PcxPicture gang_pictures[PICTURES] = {};
GangState gang = {};

// The pictures are read as 256 x 256 textures at several offsets: anything else is refused.
u32* Load_Picture(GangPicture which) {
  PcxPicture& p = gang_pictures[which];
  Pcx_Load(kPictureNames[which], &p);
  if (p.header.colour_planes != 4 || p.header.hres != 256 || p.header.vres != 256)
    Err_Error("Gang: %s must be a 24-bit picture of 256 x 256", kPictureNames[which]);
  return reinterpret_cast<u32*>(p.pixels);
}

void Make_Textures(void) {
  GangSlots& s = gang.slots;
  s.face = Poly_Add_Texture(Load_Picture(FACE));
  Poly_Scale_Last_Texture(0.7f);
  u32* body = Load_Picture(BODY);
  s.body = Poly_Add_Texture(body);
  Poly_Scale_Last_Texture(0.18f);
  s.body_2 = Poly_Add_Texture(body + 64);
  u32* gloss = Load_Picture(GLOSS);
  s.gloss = Poly_Add_Texture(gloss);
  Poly_Scale_Last_Texture_Above(0.88f, Vbe_Pack_Color(200, 200, 200));
  s.gloss_2 = Poly_Add_Texture(gloss + 128);
  const u32 quarters[4] = {0, 128, 32768, 32896};
  u32* wall = Load_Picture(WALL);
  Poly_Rotate_Texture(wall, 128, 0, 127, 127);
  Poly_Hsv_Texture(wall, -1, 0, -8);
  s.wall = Poly_Add_Texture(wall + quarters[0]);
  for (u32 k = 1; k < 4; k++) Poly_Add_Texture(wall + quarters[k]);
  u32* floor = Load_Picture(FLOOR);
  Poly_Hsv_Texture(floor, -1, 0, -8);
  for (u32 k = 0; k < 4; k++) Poly_Add_Texture(floor + quarters[k]);
}

// How the corridor's file texture numbers become slots: the slot after the first wall slot, quarter turns
// of the point order, the first vertex's texture origin and the perspective scales (kKeep leaves a field).
const i16 kKeep = -1;
struct GangTextureRule {
  u8 slot;
  u8 turns;
  i16 u0, v0;
  i16 u_scale, v_scale;
};
const GangTextureRule kGangTextureRule[] = {
    {7, 0, kKeep, kKeep, kKeep, kKeep},  // floor
    {5, 0, kKeep, kKeep, 118, 118},
    {0, 0, kKeep, kKeep, 118, 118},
    {4, 0, kKeep, kKeep, 124, 124},
    {2, 3, 55, 2, 70, 35},
    {2, 1, kKeep, kKeep, 45, 118},
    {2, 3, 55, 39, 70, 35},
    {2, 3, 55, 2, 70, 35},
    {2, 3, 55, 39, 70, 35},
    {0, 3, kKeep, kKeep, 118, 118},
    {3, 0, 30, 2, kKeep, kKeep},
    {1, 0, kKeep, kKeep, 124, kKeep},
};
const u32 kGangTextureRules = sizeof(kGangTextureRule) / sizeof(kGangTextureRule[0]);

// The figure's planar maps: texture rectangle, the file texture they take, the polygons' new flags,
// the direction the map looks along and the slot drawn into.
const u32 kMapTextured = 0x4;              // affine texture with the polygon's own coordinates
const u32 kMapTexturedGlossy = 0x4 | 0x8;  // the same plus the environment map of the type slot
struct GangBake {
  u32 x, y, w, h;
  u8 texture;
  u32 flags;
  f32 direction[3];
  i32 GangSlots::*slot;
};
const GangBake kGangBakes[] = {
    {1, 3, 126, 127, 4, kMapTextured, {0, 0, -1.0f}, &GangSlots::face},
    {1, 1, 64, 64, 5, kMapTextured, {0, 1.0f, 0}, &GangSlots::face},
    {2, 2, 60, 60, 2, kMapTexturedGlossy, {0, 0, -1.0f}, &GangSlots::body},
};

f32 As_Float(u32 bits) {
  f32 f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
}  // namespace

const GangState* Gang_Get_State(void) { return &gang; }

void Gang_Load(void) {
  gang = GangState{};
  Make_Textures();

  gang.scene = Mesh_Create_Scene(1500, 1500, 50, 10, 1500);
  Mesh_Set_Scale(1.0f);
  Mesh_Set_Axis_Order(0, -2, 1);
  Mesh_Set_Uv_Rect(4, 4, 32, 32);
  Mesh_Set_Reduction_Window(8);
  Mesh_Set_Auto_Reduction(0.1f, 0.25f, 1);
  gang.first_event = vr_engine.event_count;
  Mesh_Load_K3D_Objects("gang/kgang7.k3d", 0, 0, 0, 18.0f, 0, 0, 0, kCorridorFlags);
  VR_Init_Sectors();
  if (vr_engine.event_count < gang.first_event + kGangDoors)
    Err_Error("Gang: gang/kgang7.k3d needs %u doors", kGangDoors);

  for (i32 o = 0; o <= mesh_work.last_object; o++) Mesh_Set_Object_Tex_Scale(u32(o), 2000.0f, 128.0f);
  Gang_Assign_Textures(0, u32(mesh_work.last_poly), gang.slots.wall);

  Mesh_Set_Poly_Type(u8(gang.slots.gloss));
  Mesh_Set_Shade(64);
  gang.figure = Mesh_Add_Object(0, 0, 3000.0f, 0, 0, kFigureFlags, nullptr);
  Mesh_Load_K3D("gang/anim.k3d", 0, 0, 0, 12.0f, 0);
  Mesh_End_Object();
  mesh_work.objects[gang.figure].depth_bias = u32(-500);
  Gang_Bake_Maps();

  VR_Set_Fov(85);
  VR_Set_Aspect(1.5f);
  VR_Set_Camera_Position(0, 0, 0);
  Poly_Set_Near(50.0f);
  VR_Load_Camera_Path("gang/kgang6.cam", 18.0f);
  VR_Store_Scene();

  // Every door runs once at load, so that all but the open side door stand shut.
  VR_Save_Event_Copies();
  for (u32 e = 0; e < 4; e++) VR_Set_Event_Callback(gang.first_event + e, Gang_Door_Step);
  for (u32 e = 0; e < kGangDoors; e++) VR_Trigger_Event(gang.first_event + e);
  for (u32 n = 0; vr_engine.running_events; n++) {
    if (n == kGangSettleLimit) Err_Error("Gang: Door events do not settle");
    VR_Run_Events();
    VR_Step_Events();
  }
  gang.tick = 0;
  // The scene keeps its sector world and path; the working state goes back to a plain world without a
  // path, so that a scene stored after this one does not take them over.
  VR_Exit_Sectors();
  vr_engine.path = VrCameraPath{};
  vr_engine.path_on = 0;
}

void Gang_Assign_Textures(u32 first, u32 end, i32 w) {
  for (u32 i = first; i < end; i++) {
    MeshPoly& p = mesh_work.polys[i];
    if (p.texture >= kGangTextureRules) continue;
    const GangTextureRule& r = kGangTextureRule[p.texture];
    p.texture = u8(w + r.slot);
    for (u32 k = 0; k < r.turns; k++) Mesh_Rotate_Poly_Indices(i);
    if (r.u0 != kKeep) p.u[0] = u8(r.u0), p.v[0] = u8(r.v0);
    if (r.u_scale != kKeep) p.u_scale = f32(r.u_scale);
    if (r.v_scale != kKeep) p.v_scale = f32(r.v_scale);
  }
}

void Gang_Bake_Maps(void) {
  for (const GangBake& b : kGangBakes)
    VR_Map_Object_Texture(gang.figure, b.x, b.y, b.w, b.h, b.texture, b.flags, b.direction[0], b.direction[1],
                          b.direction[2], u32(gang.slots.*b.slot));
}

// Moves the shutter's lower edge by the event's value and keeps its pictures' density as it grows.
void Gang_Door_Step(u32 event) {
  const VrEvent* e = VR_Get_Event(event);
  if (!e || i32(e->scene) != Mesh_Get_Selected_Scene() || !e->saved_points || !e->saved_polys) return;
  MeshObject& door = mesh_work.objects[e->object];
  if (door.point_count < 8 || door.poly_count < 6) return;
  const MeshPoint* saved = reinterpret_cast<const MeshPoint*>(e->saved_points);
  const MeshPoly* saved_polys = reinterpret_cast<const MeshPoly*>(e->saved_polys);
  const i32 v = e->value;
  const f32 fv = f32(v);
  const f32 d[3] = {As_Float(e->parameter[0]), As_Float(e->parameter[1]), As_Float(e->parameter[2])};
  for (u32 k = 4; k < 8; k++)
    Mesh_Set_Point(door.first_point + k, saved[k].x + fv * d[0], saved[k].y + fv * d[1], saved[k].z + fv * d[2]);
  const f32 face = f32((v >> 1) + v + 20);
  mesh_work.polys[door.first_poly + 4].v_scale = face;
  mesh_work.polys[door.first_poly + 5].v_scale = face;
  const f32 side = saved_polys[1].v_scale - f32(v >> 1) - f32(v >> 2) - f32(v >> 5);
  mesh_work.polys[door.first_poly + 1].v_scale = side;
  mesh_work.polys[door.first_poly + 2].v_scale = side;
  if (e->counter == 0 && e->direction == 1) door.door_closed = 1;
}

void Gang_Anim_Tick(void) {
  if (gang.anim_countdown == 0) {
    Mesh_Next_Anim_Frame(u16(gang.figure));
    gang.anim_countdown = 4;
  } else {
    gang.anim_countdown--;
  }
}

// The face slot looks 128 texels further on, at the lit face, for a moment; a flash already on is left alone.
void Gang_Light_Flash(void) {
  if (gang.flash_on) return;
  Poly_Set_Texture(gang.slots.face, Poly_Get_Texture(gang.slots.face) + kFlashTexels);
  gang.flash_on = 1;
  gang.flash_countdown = kFlashTicks;
}

void Gang_Light_Tick(void) {
  if (!gang.flash_on) return;
  if (--gang.flash_countdown > 0) return;
  Poly_Set_Texture(gang.slots.face, Poly_Get_Texture(gang.slots.face) - kFlashTexels);
  gang.flash_on = 0;
}

void Gang_Tick(void) {
  gang.tick++;
  VR_Select_Tick_Scene(gang.scene);
  VR_Step_Camera_Events();
  Gang_Anim_Tick();
  Gang_Light_Tick();
  const u32 e = gang.first_event;
  switch (gang.tick) {
    case 150:
    case 400:
      VR_Trigger_Event(e + 0);
      break;
    case 1200:
    case 1500:
      VR_Trigger_Event(e + 2);
      break;
    case 1800:
    case 2100:
      VR_Trigger_Event(e + 3);
      break;
    case 800:
    case 1400:
    case 1900:
    case 2000:
    case 2200:
      Gang_Light_Flash();
      break;
    default:
      break;
  }
  Design_Tick();
  if (gang.tick > kGangWrapTick) gang.tick = 0;
}

void Gang_Frame(void) {
  Seq_Set_Part_Name("gang");
  VR_Set_Screen_Origin(0, 128);
  Music_Set_Callback(Gang_Tick);
  const i32 f = gang.tick;
  gang.frame_tick = f;
  VR_Select_Scene(gang.scene);
  VR_Seek_Camera_Path(f);
  mesh_work.objects[gang.figure].position[2] = f32((750 - f) * 4);
  VR_Rotate_Camera_Aim((f - gang.previous_tick) * 4, 0, 0);
  gang.previous_tick = f;
  VR_Render_Frame();
  if (Key_Is_Down(KEY_ENTER)) {
    Vbe_Blur_Alternate();
    Vbe_Transition(7, 0);
  }
  Design_Apply();
  Demo_Frame_Hook();
  VR_Debug_Fly_Keys();
  VR_Set_Screen_Origin(0, 0);
}

void Gang_Free(void) {}
