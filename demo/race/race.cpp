// The race scene: a camera flight along a looping path between two endless plates, through two fields of lens sprites.
#include "demo/race/race.h"

#include "demo/design.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "render/vrtransform.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/picture.h"
#include "video/pixel.h"

namespace {
const f32 kRaceScale = 0.05f;
const u8 kRacePolyType = 3;
const u32 kRacePlaneFlags = 0x1C04007;  // movable, textured, perspective-correct, drawn first
const u32 kRaceFieldFlags = 2;          // movable
const i32 kRaceTexScale = 12800;
const f32 kRaceHalfWidth = 3750000.0f;
const f32 kRaceHalfHeight = 50000.0f;
const u32 kRaceSpriteFlags = 1280;  // additive quad sized by the polygon value over depth
const u32 kRaceFieldValues[kRaceFieldCount] = {714, 571};
const u32 kRaceMetalTexels = 256 * 256;
const u32 kRaceLensTexels = 256 * 64;

i32 race_scene = -1;
i32 race_ticks = 0;  // ticks since the first race frame: the camera path record to show
u8 race_first_slot = 0;
u32 race_fill = 0;
u32 race_fields[kRaceFieldCount] = {};

// Loads a 24-bit picture of at least the size the scene reads from it.
u32* Race_Picture(const char* name, u32 width, u32 height) {
  u32* pixels = Pcx_Load_Global_Rgb(name, width, height);
  if (!pixels) Err_Error("Race: %s is not a %ux%u 24-bit picture", name, width, height);
  return pixels;
}

// A plate of the corridor: four corners at height y, one polygon.
void Race_Plane(f32 y, u8 texture) {
  const f32 w = kRaceHalfWidth;
  u32 points[4];
  points[0] = Mesh_Add_Point(-w, y, -w);
  points[1] = Mesh_Add_Point(w, y, -w);
  points[2] = Mesh_Add_Point(w, y, w);
  points[3] = Mesh_Add_Point(-w, y, w);
  Mesh_Add_Poly(Mesh_Get_Poly_Type(), texture, Mesh_Get_Object_Flags(), 4, points);
}

// A field of sprites at random places; the draws come in the order a, b, c, d for each sprite.
u32 Race_Field(u32 value) {
  const u32 object = Mesh_Add_Object(0, 0, 0, 0, 0, kRaceFieldFlags, Mesh_Alloc_Anim_Buffer(kRaceSpritesPerField));
  for (u32 i = 0; i < kRaceSpritesPerField; i++) {
    const i32 a = Math_Random(1000);
    const i32 b = Math_Random(1000);
    const i32 c = Math_Random(600);
    const i32 d = Math_Random(4);
    const f32 x = f32((a - 500) * 350), y = f32((c - 300) * 50), z = f32((b - 500) * 350);
    const u32 sprite = Mesh_Add_Sprite(x, y, z, u32(race_first_slot + 2 + d), kRaceSpriteFlags, 64, 64);
    Mesh_Set_Poly_Value(sprite, value);
  }
  Mesh_End_Object();
  return object;
}

void Race_Set_Hidden(u8 hidden) {
  if (race_scene < 0) return;
  Mesh_Select_Scene(u32(race_scene));
  for (u32 f : race_fields) mesh_work.objects[f].hidden = hidden;
}
}  // namespace

bool Race_Beat_Due(u32 row, i32 rows_per_beat, u32 last_row) {
  // No beat, no flash (rather than a division by zero).
  if (rows_per_beat <= 0) return false;
  return row % (2 * u32(rows_per_beat)) == 0 && row != last_row;
}

void Race_Load(void) {
  Mesh_Set_Scale(kRaceScale);
  Mesh_Set_Poly_Type(kRacePolyType);
  Mesh_Set_Axis_Order(0, -2, 1);
  // The metal plate twice on the same texels: ceiling and floor.
  race_first_slot = u8(Poly_Add_Texture(Race_Picture("race/metala.pcx", 256, 256)));
  Poly_Scale_Last_Texture(0.4f);
  Poly_Add_Texture(Poly_Get_Texture(race_first_slot));
  race_fill = Vbe_Pack_Color(0, 0, 0);
  // Four lens sprites side by side in one picture.
  u32* lens = Race_Picture("race/klensc.pcx", 256, 64);
  for (u32 k = 0; k < 4; k++) Poly_Add_Texture(lens + 64 * k);

  race_scene = i32(Mesh_Create_Scene(100, 100, 50, 10, 100));
  // The plates each have their own animation records: movable points live there.
  Mesh_Add_Object(0, 0, 0, 0, 0, kRacePlaneFlags, Mesh_Alloc_Anim_Buffer(8));
  Mesh_Set_Default_Tex_Scale(kRaceTexScale);
  Race_Plane(-kRaceHalfHeight, u8(race_first_slot + 1));
  Race_Plane(kRaceHalfHeight, race_first_slot);
  Mesh_End_Object();
  VR_Set_Camera_Position(0, 0, 0);
  for (u32 f = 0; f < kRaceFieldCount; f++) race_fields[f] = Race_Field(kRaceFieldValues[f]);
  VR_Set_Fov(90);
  VR_Set_Aspect(1.5f);
  Poly_Set_Near(1.0f);
  VR_Load_Camera_Path("race/race4.cam", 570.0f);
  VR_Set_Path_Loop();
  VR_Store_Scene();
}

void Race_Frame(void) {
  Seq_Set_Part_Name("race");
  Music_Set_Callback(Race_Tick);
  VR_Select_Scene(u32(race_scene));
  VR_Seek_Camera_Path(race_ticks);
  Vbe_Fill(race_fill);
  VR_Render_Frame();
  if (Race_Beat_Due(music_position.row, Music_Get_Beat(), design_state.last_row)) Design_Flash(100);
  Design_Apply();
  Demo_Frame_Hook();
  VR_Debug_Fly_Keys();
}

void Race_Tick(void) {
  VR_Select_Tick_Scene(u32(race_scene));
  race_ticks++;
  const u32* movables = nullptr;
  if (VR_Scene_Movables(race_scene, &movables) > 1) VR_Rotate_Object(movables[1], 0, 7, 0);
  Design_Tick();
}

void Race_Colour_Map(void) {
  const u8 a = u8(design_state.channel_a), b = u8(design_state.channel_b);
  Vbe_Swap_Channel(Poly_Get_Texture(race_first_slot), kRaceMetalTexels, a, b);
  Vbe_Swap_Channel(Poly_Get_Texture(race_first_slot + 2), kRaceLensTexels, a, b);
}

void Race_Hide_Objects(void) { Race_Set_Hidden(1); }
void Race_Show_Objects(void) { Race_Set_Hidden(0); }
void Race_Free(void) {}

u8 Race_Get_First_Slot(void) { return race_first_slot; }
