// The rig scene: a structure standing in water with its reflection, a horizon, a sky and blinking lights.
#include "demo/rig/rig.h"

#include <algorithm>
#include <cstring>

#include "demo/design.h"
#include "demo/sky/sky.h"
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

namespace {
const u32 kRigTexels = 65536;  // one 256 x 256 texture
// Where the four horizon tiles, their dark copies and the structure's pictures start in their blocks.
const u32 kRigHorizonOffsets[4] = {0x100, 0x180, 0x8100, 0x8180};
const u32 kRigDarkOffsets[4] = {0x6000, 0x6080, 0xe000, 0xe080};
const u32 kRigFormOffsets[10] = {0, 0x40, 0x80, 0xc0, 0x4000, 0x4040, 0x4080, 0x40c0, 0x40e0, 0x60c0};
// The lights on the structure: the beacon on the mast first, then the deck and side lights.
const f32 kRigLights[6][3] = {{150, -630, -80},   {120, -270, -130}, {-300, -270, -130},
                              {-300, -270, -540}, {120, -270, -540}, {-450, -320, -340}};

struct RigScene {
  i32 scene = -1;
  i32 base = 0;  // first slot the loader added
  i32 sky_slot = -1, dark_sky_slot = -1, dark_horizon_slot = -1;
  u32* dark_horizon = nullptr;  // the block behind the four dark horizon slots
  PcxPicture horizon = {}, water = {}, sky = {}, form = {};
  u32 beacon_a = 0, beacon_b = 0;
  i32 beacon_countdown = 10;
  u8 beacon_phase = 0;
  u32 ticks = 0;
  u32 frame_ticks = 0;
  i32 fade_level = 0, fade_step = 0;
  u8 fade_on = 0, sky_on = 0;
  u8 built = 0;
};
RigScene rig;

// A 24-bit picture 256 texels wide and at least rows high; its pixels.
u32* Rig_Picture(const char* name, PcxPicture* picture, u32 rows) {
  Pcx_Load(name, picture);
  if (picture->header.colour_planes != 4 || picture->header.hres != 256 || picture->header.vres < rows)
    Err_Error("Rig: %s is not a 24-bit picture 256 wide and %u high", name, unsigned(rows));
  return reinterpret_cast<u32*>(picture->pixels);
}

// A texture block of texels, filled from source as far as available texels reach (zeros after),
// with room behind it for the fillers' reach past a slot's start.
u32* Rig_Copy_Block(const u32* source, u32 available, u32 texels, const char* what) {
  u32* block = static_cast<u32*>(Mem_Alloc_Guarded(texels * 4, kPolyTextureGuardBytes));
  Mem_Set_Description(block, "Rig: ");
  Mem_Set_Description(block, what);
  memcpy(block, source, size_t(std::min(available, texels)) * 4);
  return block;
}

// Texels of the picture block from p to its end.
u32 Rig_Texels_From(const PcxPicture& picture, const u32* p) {
  const u32* start = reinterpret_cast<const u32*>(picture.pixels);
  return Mem_Get_Size(picture.pixels) / 4 - u32(p - start);
}

void Rig_Load_Textures(void) {
  u32* horizon = Rig_Picture("rig/horizd.pcx", &rig.horizon, 256);
  Poly_Scale_Texture(horizon, 0.8f);
  Poly_Hsv_Texture(horizon, 0, 0, -30);
  rig.base = Poly_Add_Texture(horizon + kRigHorizonOffsets[0]);
  for (u32 k = 1; k < 4; k++) Poly_Add_Texture(horizon + kRigHorizonOffsets[k]);

  u32* copy = Rig_Copy_Block(horizon, kRigTexels, kRigTexels, "Horizon copy");
  Poly_Scale_Texture(copy, 0.5f);
  Poly_Hsv_Texture(copy, 5, 0, 0);
  rig.dark_horizon_slot = Poly_Add_Texture(copy + kRigDarkOffsets[0]);
  for (u32 k = 1; k < 4; k++) Poly_Add_Texture(copy + kRigDarkOffsets[k]);
  rig.dark_horizon = copy;

  Poly_Add_Texture(Rig_Picture("rig/water3.pcx", &rig.water, 256));
  Poly_Hsv_Last_Texture(1, 1.0f, -13);
  Poly_Scale_Last_Texture(0.45f);

  rig.sky_slot = Poly_Add_Texture(Rig_Picture("rig/ksky6.pcx", &rig.sky, 256));
  Poly_Scale_Last_Texture(0.9f);
  Poly_Hsv_Last_Texture(0, 0, -20);

  Poly_New_Slot();
  rig.dark_sky_slot = Poly_Add_Texture(copy);

  u32* form = Rig_Picture("rig/rigformo.pcx", &rig.form, 160);
  for (u32 offset : kRigFormOffsets) Poly_Add_Texture(form + offset);
  const u32 form_texels = Mem_Get_Size(form) / 4;
  u32* dark_form = Rig_Copy_Block(form, form_texels, form_texels, "Structure copy");
  Poly_Scale_Texture(dark_form, 0.6f);
  Poly_Hsv_Texture(dark_form, 90, 0, -40);
  for (u32 offset : kRigFormOffsets) Poly_Add_Texture(dark_form + offset);
}

void Rig_Set_Object_Textures(u32 object, i32 add) {
  const MeshObject& o = mesh_work.objects[object];
  for (u32 p = o.first_poly; p < u32(o.first_poly) + o.poly_count; p++)
    mesh_work.polys[p].texture = u8(mesh_work.polys[p].texture + add);
}

// The water, horizon and sky: three objects of one polygon, a ring of quads and one polygon.
void Rig_Load_Surroundings(void) {
  const i32 b = rig.base;
  Mesh_Load_K3D_Objects("rig/rig6.k3d", 0, 0, 0, 40.0f, 0, 0, 0, 0x1c00005);
  if (mesh_work.last_object != 2) Err_Error("Rig: rig/rig6.k3d must hold three objects");
  for (u32 o = 0; o < 3; o++)
    if (mesh_work.objects[o].poly_count == 0) Err_Error("Rig: Object %u of rig/rig6.k3d has no polygon", unsigned(o));

  const MeshObject& ring = mesh_work.objects[1];
  const i32 cycle[4] = {0, 3, 2, 1};
  for (u32 k = 0; k < ring.poly_count; k++) {
    const u32 p = ring.first_poly + k;
    mesh_work.polys[p].texture = u8(b + cycle[k % 4]);
    Mesh_Set_Poly_Tex_Scale(p, 122, 124);
  }
  // The ring's foot goes just under the water line.
  for (u32 k = 0; k < ring.point_count; k++) {
    MeshPoint& p = mesh_work.points[ring.first_point + k];
    if (p.y > -1.0f) p.y = 2.0f;
  }

  const u32 sky = mesh_work.objects[2].first_poly;
  mesh_work.polys[sky].texture = u8(b + 9);
  Mesh_Set_Poly_Tex_Scale(sky, 252, 252);
  const u32 water = mesh_work.objects[0].first_poly;
  mesh_work.polys[water].texture = u8(b + 8);
  mesh_work.polys[water].flags |= 0x40;
  Mesh_Set_Poly_Tex_Scale(water, 252, 252);
}

// The structure with its six lights, all in object 3.
void Rig_Load_Structure(void) {
  const i32 b = rig.base;
  Mesh_Set_Poly_Type(u8(b + 30));
  const u32 structure = Mesh_Add_Object(0, 0, 0, u8(b + 10), 0, 4, nullptr);
  for (u32 k = 0; k < 6; k++) {
    const u32 texture = u32(b + (k == 0 ? 19 : 21));
    const u32 p = Mesh_Add_Sprite(kRigLights[k][0], kRigLights[k][1], kRigLights[k][2], texture, 0x500, 32, 32);
    Mesh_Set_Poly_Value(p, 84);
    if (k == 0) rig.beacon_a = p;
  }
  Mesh_Load_K3D("rig/rigform7.k3d", 0, 0, 0, 20.0f, u8(b + 11));
  Mesh_End_Object();
  Mesh_Reduce_Object(0.1f, 0.15f, 1);
  const MeshObject& o = mesh_work.objects[structure];
  for (u32 p = o.first_poly; p < u32(o.first_poly) + o.poly_count; p++) {
    Mesh_Rotate_Poly_Uv(p);
    Mesh_Rotate_Poly_Uv(p);
  }
}

// Mirrored, darker copies of the structure, the horizon and the sky under the water.
void Rig_Load_Reflections(void) {
  Mesh_Set_Uv_Rect(2, 2, 60, 60);
  const u32 c3 = Mesh_Copy_Object(3);
  Mesh_Scale_Object(c3, 1, -1, 1);
  Mesh_Flip_Object(c3);
  mesh_work.objects[c3].order_key = 9000;
  Rig_Set_Object_Textures(c3, 10);
  rig.beacon_b = mesh_work.objects[c3].first_poly;
  mesh_work.objects[0].order_key = 4000;
  mesh_work.objects[1].order_key = 10000;
  mesh_work.objects[2].order_key = 8000;

  Mesh_Set_Uv_Rect(3, 3, 60, 60);
  const u32 c1 = Mesh_Copy_Object(1);
  Mesh_Scale_Object(c1, 1, -0.25f, 1);
  mesh_work.objects[c1].order_key = 18000;
  Rig_Set_Object_Textures(c1, 4);
  const MeshObject& ring = mesh_work.objects[c1];
  for (u32 p = ring.first_poly; p < u32(ring.first_poly) + ring.poly_count; p++) Mesh_Set_Poly_Tex_Scale(p, 25, 124);
  for (u32 k = 0; k < ring.point_count; k++) {
    MeshPoint& p = mesh_work.points[ring.first_point + k];
    if (p.y == -2.0f) p.y = 2.0f;
  }

  const u32 c2 = Mesh_Copy_Object(2);
  Mesh_Scale_Object(c2, 1, -1, 1);
  const u32 sky = mesh_work.objects[c2].first_poly;
  Mesh_Set_Poly_Tex_Scale(sky, 255, 255);
  mesh_work.polys[sky].texture = u8(mesh_work.polys[sky].texture + 2);
  mesh_work.objects[c2].order_key = 17000;
}
}  // namespace

void Rig_Load(void) {
  Mesh_Set_Scale(1.0f);
  Mesh_Set_Poly_Type(1);
  Mesh_Set_Axis_Order(0, -2, 1);
  Rig_Load_Textures();

  rig.scene = i32(Mesh_Create_Scene(500, 500, 50, 10, 500));
  Mesh_Set_Poly_Type(1);
  Mesh_Set_Object_Type(0);
  Mesh_Set_Shade(64);
  Mesh_Set_Uv_Rect(3, 3, 60, 60);
  Mesh_Set_Default_Tex_Scale(124);
  Mesh_Set_Auto_Reduction(0.1f, 0.15f, 1);
  Rig_Load_Surroundings();
  Rig_Load_Structure();
  Rig_Load_Reflections();

  VR_Set_Camera_Position(0, 0, 0);
  Poly_Set_Near(1.0f);
  VR_Set_Fov(86);
  VR_Set_Aspect(1.8f);
  VR_Load_Camera_Path("rig/rigformb.cam", 20.0f);
  VR_Set_Path_Loop();
  VR_Store_Scene();
  // The scene keeps its path; scenes made after it start without one.
  vr_engine.path = VrCameraPath{};
  vr_engine.path_on = 0;
  rig.beacon_countdown = 10;
  rig.beacon_phase = 0;
}

void Rig_Build_Textures(void) {
  if (rig.built) return;
  if (rig.scene < 0) Err_Error("Rig: Textures built before the scene was loaded");
  rig.built = 1;
  const u32* sky = Poly_Get_Texture(rig.sky_slot);
  u32* dark_sky = Rig_Copy_Block(sky, Rig_Texels_From(rig.sky, sky), kRigTexels, "Dark sky");
  Poly_Shift_Texture(dark_sky, 2);
  Poly_Set_Texture(rig.dark_sky_slot, dark_sky);
  // Slot b starts a row into the horizon picture: its last row would lie past the picture.
  const u32* horizon = Poly_Get_Texture(rig.base);
  u32* dark = Rig_Copy_Block(horizon, Rig_Texels_From(rig.horizon, horizon), kRigTexels, "Dark horizon");
  Poly_Shift_Texture(dark, 1);
  for (u32 k = 0; k < 4; k++) Poly_Set_Texture(rig.dark_horizon_slot + i32(k), dark + kRigDarkOffsets[k]);
  rig.dark_horizon = dark;
}

void Rig_Free(void) {}

void Rig_Frame(void) {
  Seq_Set_Part_Name("rig");
  if (!rig.built) Rig_Build_Textures();
  Music_Set_Callback(Rig_Tick);
  VR_Select_Scene(u32(rig.scene));
  rig.frame_ticks = rig.ticks;
  VR_Seek_Camera_Path(i32(rig.ticks));
  Vbe_Clear();
  VR_Render_Frame();
  if (rig.fade_on) Vbe_Darken(rig.fade_level);
  if (rig.sky_on) {
    const i32 level = Sky_Draw();
    if (level <= 22) rig.sky_on = 0;
    if (level <= 80) rig.fade_step = 2;
  }
  Design_Apply();
  Demo_Frame_Hook();
  VR_Debug_Fly_Keys();
}

void Rig_Tick(void) {
  rig.ticks++;
  VR_Select_Tick_Scene(u32(rig.scene));
  Rig_Blink_Beacons();
  Design_Tick();
  if (rig.sky_on) Sky_Tick();
  if (rig.fade_on) {
    rig.fade_level -= rig.fade_step;
    if (rig.fade_level < 1) {
      rig.fade_level = 0;
      rig.fade_on = 0;
    }
  }
}

void Rig_Blink_Beacons(void) {
  if (--rig.beacon_countdown != 0) return;
  MeshScene* s = Mesh_Get_Scene(u32(Mesh_Get_Tick_Scene()));
  const i32 step = rig.beacon_phase == 0 ? 1 : -1;
  if (s) {
    s->polys[rig.beacon_a].texture = u8(s->polys[rig.beacon_a].texture + step);
    s->polys[rig.beacon_b].texture = u8(s->polys[rig.beacon_b].texture + step);
  }
  rig.beacon_countdown = rig.beacon_phase == 0 ? 80 : 10;
  rig.beacon_phase ^= 1;
}

void Rig_Start_Fade(void) {
  rig.fade_level = 253;
  rig.fade_step = 1;
  rig.sky_on = 1;
  rig.fade_on = 1;
}

void Rig_Stop_Fade(void) {
  rig.sky_on = 0;
  rig.fade_on = 0;
}

i32 Rig_Get_Sky_Slot(void) { return rig.sky_slot; }

RigView Rig_Get_View(void) {
  return RigView{rig.scene,        rig.base,        rig.beacon_a,     rig.beacon_b,  rig.beacon_countdown,
                 rig.beacon_phase, rig.ticks,       rig.frame_ticks,  rig.fade_level, rig.fade_step,
                 rig.fade_on,      rig.sky_on,      rig.built};
}
