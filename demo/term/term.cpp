// The term scene: an environment-mapped figure in a hall under an open sky, lit by a sun with a lens flare.
#include "demo/term/term.h"

#include "demo/design.h"
#include "demo/rig/rig.h"
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
#include "video/pixel.h"

namespace {
struct TermScene {
  i32 scene = -1;
  u32 figure = 0, room = 0, lens_sprite = 0;
  u32 counter_a = 0, counter_a_copy = 0;
  u32 counter_b = 0;
  i32 step = 0, last_step = 0;
  i32 sample = -1;
  TermSlots slots = {};
  PcxPicture face = {}, body = {}, environment = {}, wall = {}, done = {}, panel = {}, lens = {};
};
TermScene term;

// A 24-bit picture of 256 x 256 texels; its pixels.
u32* Term_Picture(const char* name, PcxPicture* picture) {
  Pcx_Load(name, picture);
  if (picture->header.colour_planes != 4 || picture->header.hres != 256 || picture->header.vres != 256)
    Err_Error("Term: %s is not a 256x256 24-bit picture", name);
  return reinterpret_cast<u32*>(picture->pixels);
}

void Term_Load_Textures(void) {
  TermSlots& s = term.slots;
  u32* face = Term_Picture("Term/wface2.pcx", &term.face);
  s.face_1 = Poly_Add_Texture(face);
  Poly_Scale_Last_Texture(0.8f);
  s.face_2 = Poly_Add_Texture(face + 128);

  u32* body = Term_Picture("Term/wbody2.pcx", &term.body);
  Poly_Scale_Texture(body, 0.4f);
  s.body_1 = Poly_Add_Texture(body);
  s.body_2 = Poly_Add_Texture(body + 64);

  s.environment = Poly_Add_Texture(Term_Picture("Term/envir24p.pcx", &term.environment));
  Poly_Scale_Last_Texture(0.8f);
  Poly_Hsv_Last_Texture(120, 0, -10);

  u32* wall = Term_Picture("Term/Term1.pcx", &term.wall);
  s.wall_1 = Poly_Add_Texture(wall);
  Poly_Scale_Last_Texture(0.2f);
  s.wall_2 = Poly_Add_Texture(wall + 64);

  u32* done = Term_Picture("Term/newdone3.pcx", &term.done);
  s.done_1 = Poly_Add_Texture(done);
  s.done_2 = Poly_Add_Texture(done + 64);
  s.done_3 = Poly_Add_Texture(done + 128);

  u32* panel = Term_Picture("Term/Termp9.pcx", &term.panel);
  s.panel_1 = Poly_Add_Texture(panel);
  s.panel_2 = Poly_Add_Texture(panel + 128);
  s.panel_3 = Poly_Add_Texture(panel + 32768);
  s.panel_4 = Poly_Add_Texture(panel + 32896);

  s.lens = Poly_Add_Texture(Term_Picture("term/klensf.pcx", &term.lens));
  Poly_Scale_Last_Texture(0.6f);

  s.floor = Rig_Get_Sky_Slot();
  if (s.floor < 0 || !Poly_Get_Texture(s.floor)) Err_Error("Term: The rig's sky texture is not loaded");
}

// A flat object of one perspective quad over four corners at the given height.
u32 Term_Add_Plane(u32 flags, i32 tex_scale, const f32 corners[4][3], u8 texture) {
  const u32 object = Mesh_Add_Object(0, 0, 0, 0, 0, flags, nullptr);
  Mesh_Set_Default_Tex_Scale(tex_scale);
  u32 points[4];
  for (u32 k = 0; k < 4; k++) points[k] = Mesh_Add_Point(corners[k][0], corners[k][1], corners[k][2]);
  Mesh_Add_Poly(Mesh_Get_Poly_Type(), texture, flags, 4, points);
  Mesh_End_Object();
  return object;
}

// The room's surfaces by the texture number they were made with: walls, panels and screens.
void Term_Dress_Room(void) {
  const TermSlots& s = term.slots;
  const MeshObject& room = mesh_work.objects[term.room];
  const u32 first = room.first_poly, last = first + room.poly_count - 1;
  for (u32 p = first; p < last; p++) {
    MeshPoly& q = mesh_work.polys[p];
    switch (q.texture) {
      case 1:
        q.flags = 0x14;
        q.texture = u8(s.wall_1);
        break;
      case 2:
        q.flags = 4;
        q.texture = u8(s.wall_2);
        break;
      case 3:
        q.flags = 4;
        q.texture = u8(s.wall_2);
        q.depth_bias = u16(-1000);
        break;
      case 4:
        q.flags = 4;
        q.texture = u8(s.done_3);
        q.depth_bias = u16(-1000);
        break;
      case 6:
        q.flags = 4;
        q.texture = u8(s.wall_1);
        break;
      default:
        break;
    }
  }
}

}  // namespace

void Term_Load(void) {
  Term_Load_Textures();
  const TermSlots& s = term.slots;
  Mesh_Set_Poly_Type(u8(s.environment));
  Mesh_Set_Object_Type(0);
  Mesh_Set_Uv_Rect(2, 2, 60, 60);
  Mesh_Set_Axis_Order(0, -2, 1);
  term.scene = i32(Mesh_Create_Scene(1000, 1500, 50, 10, 1000));
  VR_Set_Screen_Origin(0, 0);

  Mesh_Set_Poly_Type(u8(s.panel_1));
  Mesh_Set_Shade(64);
  term.figure = Mesh_Add_Object(0, 1350, 0, 0, 0, 10, nullptr);
  Mesh_Load_K3D("Term/tanim.k3d", 0, 0, 0, 40.0f, 0);
  Mesh_End_Object();
  Term_Build_Maps();

  const f32 sky[4][3] = {{-35000, -30000, -35000}, {35000, -30000, -35000}, {35000, -30000, 35000}, {-35000, -30000, 35000}};
  Term_Add_Plane(0x41C04005, 256, sky, u8(s.floor));

  Mesh_Set_Poly_Type(u8(s.environment));
  Mesh_Set_Shade(125);
  Mesh_Set_Uv_Rect(3, 3, 59, 59);
  term.room = Mesh_Add_Object(0, 0, 0, 0, 0, 10, nullptr);
  Mesh_Load_K3D("Term/kTerm8.k3d", 0, 0, 0, 16.0f, 0);
  Mesh_End_Object();
  Mesh_Set_Reduction_Window(5);
  Mesh_Reduce_Object(0.1f, 0.25f, 1);
  if (mesh_work.objects[term.room].poly_count == 0) Err_Error("Term: Term/kTerm8.k3d has no polygon");
  Term_Dress_Room();

  const f32 light[4][3] = {{-3080, 1140, 0}, {0, 1140, -3080}, {3080, 1140, 0}, {0, 1140, 3080}};
  const u32 ceiling = Term_Add_Plane(0x1C00005, 125, light, u8(s.panel_1));
  mesh_work.objects[ceiling].order_key = 0x82;

  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  term.lens_sprite = Mesh_Add_Sprite(-5000.0f, -25000.0f, -5000.0f, u32(s.lens), 896, 128, 128);
  Mesh_End_Object();
  const u32* lens = Poly_Get_Texture(s.lens);
  const u32* floor = Poly_Get_Texture(s.floor);
  mesh_work.polys[term.lens_sprite].colour = Vbe_Add_Colour_Pixel(lens[64 * 256 + 64], floor[150 * 256 + 150]);
  Mesh_Set_Poly_Value(term.lens_sprite, 5000);

  Poly_Set_Near(1.0f);
  VR_Set_Camera_Position(0, 0, -2000);
  VR_Load_Camera_Path("Term/kTerma.cam", 16.0f);
  VR_Set_Path_Loop();
  Mesh_Next_Anim_Frame(u16(term.figure));
  VR_Set_Fov(70);
  VR_Set_Aspect(1.5f);
  VR_Store_Scene();
  // The scene keeps its path; scenes made after it start without one.
  vr_engine.path = VrCameraPath{};
  vr_engine.path_on = 0;
  term.sample = Music_Load_Sample("term/lights2.snd", 8, 0);
}

void Term_Build_Maps(void) {
  const TermSlots& s = term.slots;
  VR_Map_Object_Texture(term.figure, 1, 4, 126, 129, 4, 4, 0, 0, -1.0f, u32(s.face_2));
  VR_Map_Object_Texture(term.figure, 1, 1, 64, 64, 5, 4, 0, 1.0f, 0, u32(s.face_2));
  VR_Map_Object_Texture(term.figure, 3, 3, 60, 60, 2, 12, 0, 0, -1.0f, u32(s.body_2));
}

void Term_Free(void) {}
void Term_Empty(void) {}

void Term_Frame(void) {
  Seq_Set_Part_Name("term");
  Music_Set_Callback(Term_Tick);
  VR_Select_Scene(u32(term.scene));
  VR_Seek_Camera_Path(i32(term.counter_a));
  Vbe_Clear();
  VR_Render_Frame();
  if (Key_Is_Down(KEY_ENTER)) Vbe_Transition(7, 0);
  Design_Apply();
  Demo_Frame_Hook();
  VR_Debug_Fly_Keys();
}

void Term_Tick(void) {
  term.counter_a++;
  term.counter_a_copy = term.counter_a;
  VR_Select_Tick_Scene(u32(term.scene));
  term.counter_b++;
  term.step = i32(term.counter_b) >> 3;
  const bool window = (term.step >= 116 && term.step <= 124) || (term.step >= 231 && term.step <= 239);
  if (term.step != term.last_step && window) {
    Mesh_Next_Anim_Frame(u16(term.figure));
    term.last_step = term.step;
  }
  VR_Rotate_Camera_Aim(0, 1, 0);
  Design_Tick();
}

void Term_Event_Textures(void) {
  const TermSlots& s = term.slots;
  Poly_Swap_Textures(s.face_2, s.face_1);
  Poly_Swap_Textures(s.panel_1, s.panel_2);
  Poly_Swap_Textures(s.done_3, s.done_2);
  Poly_Swap_Textures(s.panel_3, s.panel_4);
  VR_Play_Positional_Sound(0, -1500.0f, 0, term.sample, 0, 8000, 63);
}

TermView Term_Get_View(void) {
  return TermView{term.scene,     term.figure, term.room, term.lens_sprite, term.counter_a,
                  term.counter_b, term.step,   term.last_step, term.sample, term.slots};
}
