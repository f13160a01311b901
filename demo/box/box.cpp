// The box scene: a spinning crate room with lens sprites, seen by a camera on the sway, and a swelling shell.
#include "demo/box/box.h"

#include <cmath>

#include "demo/design.h"
#include "demo/race/race.h"
#include "music/music.h"
#include "render/k3d.h"
#include "render/meshtool.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "render/vrtransform.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/pixel.h"

namespace {
const u32 kBoxRoomFlags = 0x1C04007;  // movable, textured, perspective-correct, drawn first, never culled
const u32 kBoxSpriteFlags = 2;        // movable
const u32 kBoxShellFlags = 0x4A;      // movable, smoothed, environment-mapped with a saturating add
const u32 kBoxLensFlags = 0x500;      // additive quad sized by the polygon value over depth
const u32 kBoxBaseTexels = 256 * 256;
const u32 kBoxLensTexels = 256 * 64;
const f32 kBoxWobbleReach = 120.0f;
const i32 kBoxShellCameraZ = -500;

// Angle steps per tick of the room (m0) and the sprites (m1) in spin modes 1, 2 and 3.
const i32 kBoxSpin[3][2][3] = {{{3, 1, 2}, {2, 2, 10}}, {{3, 1, 2}, {2, 2, 4}}, {{5, 3, 7}, {3, 2, 10}}};

i32 box_scene = -1;
u8 box_first_slot = 0;
u32* box_picture = nullptr;
u32 box_shell = 0;
u8 box_beat_flash = 1;
u8 box_spin_mode = 1;
u8 box_wobble_on = 1;
u8 box_shell_shown = 0;
u32 box_pending = 0;
BoxWobblePoint* box_wobble = nullptr;
u32 box_wobble_count = 0;
MeshPoint* box_sprite_buffer = nullptr;
u32 box_wobble_object = 0;

// Loads a 24-bit picture of at least the size the scene reads from it.
u32* Box_Picture(const char* name, u32 width, u32 height) {
  u32* pixels = Pcx_Load_Global_Rgb(name, width, height);
  if (!pixels) Err_Error("Box: %s is not a %ux%u 24-bit picture", name, width, height);
  return pixels;
}

MeshObject& Box_Shell_Object(void) { return Mesh_Get_Scene(u32(box_scene))->objects[box_shell]; }

void Box_Set_Shell(u8 shown) {
  box_shell_shown = shown;
  Box_Shell_Object().hidden = shown ? 0 : 1;
}

void Box_Set_Sway(i16 fov, i32 amplitude) {
  VR_Select_Scene(u32(box_scene));
  VR_Set_Fov(fov);
  VR_Store_Scene();
  design_state.sway_amplitude = amplitude;
}
}  // namespace

void Box_Load(void) {
  box_picture = Box_Picture("box/kasse.pcx", 256, 256);
  box_first_slot = u8(Poly_Add_Texture(box_picture));
  Poly_Scale_Last_Texture(0.4f);
  Poly_Add_Texture(Box_Picture("box/kenv.pcx", 256, 256));
  Poly_Hsv_Last_Texture(-360, 0.0f, -30);
  u32* lens = Box_Picture("box/klensc.pcx", 256, 64);
  for (u32 k = 0; k < 4; k++) Poly_Add_Texture(lens + 64 * k);
  const u8 t = box_first_slot;

  box_scene = i32(Mesh_Create_Scene(800, 800, 10, 10, 800));
  Mesh_Set_Scale(1.0f);
  Mesh_Set_Object_Type(0);
  Mesh_Set_Axis_Order(0, -2, 1);
  Mesh_Set_Uv_Rect(4, 4, 2, 2);

  // The room: its animation records come with the mesh.
  Mesh_Add_Object(0, 0, 0, 0, 0, kBoxRoomFlags, nullptr);
  Mesh_Set_Default_Tex_Scale(190);
  Mesh_Load_K3D("box/kasse.k3d", 0, 0, 0, 8.0f, t);
  Mesh_End_Object();
  Mesh_Reduce_Object(0.1f, 0.25f, 1);

  // Four lens sprites round the middle.
  box_sprite_buffer = Mesh_Alloc_Anim_Buffer(kBoxSpriteRecords);
  Mesh_Add_Object(0, 0, 0, 0, 0, kBoxSpriteFlags, box_sprite_buffer);
  const f32 corners[4][3] = {{-300, -300, -300}, {300, -300, 300}, {-300, -300, 300}, {300, 300, 300}};
  for (u32 k = 0; k < 4; k++) {
    const u32 sprite = Mesh_Add_Sprite(corners[k][0], corners[k][1], corners[k][2], t + 2 + k, kBoxLensFlags, 64, 64);
    Mesh_Set_Poly_Value(sprite, 375);
  }
  Mesh_End_Object();

  // The shell, mapped through the environment picture, hidden until its event.
  Mesh_Set_Poly_Type(u8(t + 1));
  box_shell = Mesh_Add_Object(0, 0, 0, 0, 0, kBoxShellFlags, nullptr);
  Mesh_Load_K3D("box/kgoaegg3.k3d", 0, 0, 0, 0.75f, u8(t + 1));
  Mesh_End_Object();
  mesh_work.objects[box_shell].hidden = 1;
  Box_Init_Wobble(box_shell);

  VR_Set_Camera_Position(0, 0, 0);
  VR_Set_Fov(105);
  VR_Set_Aspect(1.5f);
  VR_Store_Scene();
}

void Box_Init_Wobble(u32 object) {
  if (i32(object) > mesh_work.last_object) Err_Error("Box: No object %u to wobble", object);
  const MeshObject& o = mesh_work.objects[object];
  const u32 count = o.point_count;
  // The wobble writes one animation record per point: the buffer must hold them all.
  if (!o.anim_buffer || Mem_Search_Block(o.anim_buffer) < 0 || Mem_Get_Size(o.anim_buffer) / sizeof(MeshPoint) < count)
    Err_Error("Box: Object %u has no animation records for its %u points", object, count);
  if (box_wobble) Mem_Free(box_wobble);
  box_wobble = static_cast<BoxWobblePoint*>(Mem_Alloc(count ? count * sizeof(BoxWobblePoint) : 1));
  Mem_Set_Description(box_wobble, "Box: ");
  Mem_Set_Description(box_wobble, "Wobble table");
  box_wobble_count = count;
  box_wobble_object = object;
  for (u32 k = 0; k < count; k++) {
    BoxWobblePoint& e = box_wobble[k];
    const u32 index = o.first_point + k;
    e.point = Mesh_Get_Point(index);
    const MeshNormal& n = mesh_work.normals[e.point.normal];
    e.normal = Mesh_Normalize(n.x, n.y, n.z);
    e.phase = (10 * index) & 1023;
    e.index = index;
  }
}

void Box_Wobble(void) {
  const u32 s = box_pending;
  box_pending = 0;
  if (box_scene < 0 || !box_wobble) return;
  MeshPoint* buffer = Mesh_Get_Scene(u32(box_scene))->objects[box_wobble_object].anim_buffer;
  for (u32 k = 0; k < box_wobble_count; k++) {
    BoxWobblePoint& e = box_wobble[k];
    e.phase = (e.phase + 2 * s) & 1023;
    const f32 sine = Math_Sin(i32(e.phase));
    MeshPoint& r = buffer[k];
    r.x = e.point.x + e.normal.x * sine * kBoxWobbleReach;
    r.y = e.point.y + e.normal.y * sine * kBoxWobbleReach;
    r.z = e.point.z + e.normal.z * sine * kBoxWobbleReach;
    r.normal = e.point.normal;
    r.spare = 0;
  }
}

void Box_Add_Wobble_Step(void) { box_pending++; }

void Box_Render(void) {
  VR_Select_Scene(u32(box_scene));
  i32 x = 0, y = 0, z = kBoxShellCameraZ;
  if (!box_shell_shown) {
    // On the sway's circle round the middle, in the scene camera's direction.
    const MeshScene* s = Mesh_Get_Scene(u32(box_scene));
    const f32 a = f32(design_state.sway_amplitude);
    const i32 yaw = s->camera_angles[VR_YAW], pitch = s->camera_angles[VR_PITCH];
    x = i32(std::floor(Math_Sin(yaw) * a));
    y = i32(std::floor(-Math_Sin(pitch) * a));
    z = i32(std::floor(Math_Cos(yaw) * a));
  }
  VR_Set_Camera_Position(x, y, z);
  if (box_beat_flash && Race_Beat_Due(music_position.row, Music_Get_Beat(), design_state.last_row)) Design_Flash(100);
  if (box_wobble_on) Box_Wobble();
  VR_Render_Frame();
}

void Box_Frame(void) {
  Seq_Set_Part_Name("box");
  Music_Set_Callback(Box_Tick);
  Box_Render();
  VR_Debug_Fly_Keys();
  Design_Apply();
  Demo_Frame_Hook();
}

void Box_Tick(void) {
  VR_Select_Tick_Scene(u32(box_scene));
  const u32* m = nullptr;
  const u32 n = VR_Scene_Movables(box_scene, &m);
  const i32(*spin)[3] = kBoxSpin[(box_spin_mode >= 1 && box_spin_mode <= 3 ? box_spin_mode : 1) - 1];
  if (n > 0) VR_Rotate_Object(m[0], spin[0][0], spin[0][1], spin[0][2]);
  if (n > 1) VR_Rotate_Object(m[1], spin[1][0], spin[1][1], spin[1][2]);
  if (box_shell_shown && n > 2) VR_Rotate_Object(m[2], 3, 1, 3);
  Design_Tick();
  if (box_wobble_on && box_shell_shown) box_pending++;
}

void Box_Colour_Map(void) {
  const u8 a = u8(design_state.channel_a), b = u8(design_state.channel_b);
  Vbe_Swap_Channel(Poly_Get_Texture(box_first_slot), kBoxBaseTexels, a, b);
  Vbe_Swap_Channel(Poly_Get_Texture(box_first_slot + 2), kBoxLensTexels, a, b);
}

void Box_Show_Object(void) {
  Mesh_Select_Scene(u32(box_scene));
  Box_Set_Shell(1);
}

void Box_Hide_Object(void) { Box_Set_Shell(0); }
void Box_Set_Spin_Mode_1(void) { box_spin_mode = 1; }
void Box_Set_Spin_Mode_2(void) { box_spin_mode = 2; }
void Box_Set_Spin_Mode_3(void) { box_spin_mode = 3; }
void Box_Start_Beat_Flash(void) { box_beat_flash = 1; }
void Box_Stop_Beat_Flash(void) { box_beat_flash = 0; }
void Box_Start_Sway(void) { Box_Set_Sway(80, 540); }
void Box_Stop_Sway(void) { Box_Set_Sway(105, 0); }
void Box_Free(void) {}

i32 Box_Get_Scene(void) { return box_scene; }
u32 Box_Get_Shell(void) { return box_shell; }
u32 Box_Get_Wobble_Count(void) { return box_wobble_count; }
const BoxWobblePoint* Box_Get_Wobble_Table(void) { return box_wobble; }
