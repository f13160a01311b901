// Eye scene: a textured square with a blinking eye, seen by a rolling camera that sways with the beat.
#include "demo/eye/eye.h"

#include <cmath>
#include <iterator>

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
#include "video/pixel.h"

namespace {
const u32 kSquareFlags = 0x1C04005;  // perspective, near-clipped, drawn before the sorted polygons
const f32 kHalfSide = 2000.0f;
// The texture slot starts this many texels into the picture and is read 256 texels to a row.
const u32 kTextureOffset = 1786;
const u32 kPictureWidth = 256;
const u32 kPictureMinHeight = 259;  // room for every texel the slot can reach: 1786 + 255 x 257 + 255

const char* const kLidNames[4] = {"eye/keye2a.pcx", "eye/keye3a.pcx", "eye/keye4a.pcx", "eye/keye5a.pcx"};

PcxPicture eye_picture = {};
EyeState eye = {};

// One row of the blink machine: the picture it shows, how long, and the state after it.
struct BlinkRow {
  u8 frame;
  i32 wait;  // ticks; -1: a rest of 180 to 219 ticks
  i32 next;
};
const BlinkRow kBlink[8] = {{0, -1, 1}, {2, 5, 2}, {1, 9, 3}, {2, 5, 0},
                            {3, -1, 5}, {4, 5, 6}, {5, 9, 7}, {4, 5, 4}};

i32 Rest_Ticks(void) { return Math_Random(40) + 180; }

void Blink_Step(void) {
  if (eye.blink_state < 0 || eye.blink_state >= i32(std::size(kBlink))) return;
  const BlinkRow& row = kBlink[eye.blink_state];
  eye.frame_index = row.frame;
  eye.countdown = row.wait < 0 ? Rest_Ticks() : row.wait;
  eye.blink_state = row.next;
}

// A float floored and cut to 16 bits, as the camera's coordinates are kept.
i32 Floor_16(f32 v) { return i16(u16(u32(Math_Float_To_Int(std::floor(v))))); }
}  // namespace

const EyeState* Eye_Get_State(void) { return &eye; }

void Eye_Load(void) {
  eye = EyeState{};
  eye.countdown = 40;
  eye.blink_state = 1;

  Mesh_Set_Scale(1.0f);
  Mesh_Set_Axis_Order(0, -2, 1);
  eye.scene = Mesh_Create_Scene(100, 50, 10, 100, 100);
  Mesh_Set_Poly_Type(3);
  Mesh_Set_Object_Type(0);
  Mesh_Set_Default_Tex_Scale(250);
  Mesh_Add_Object(0, 0, 0, 0, 0, kSquareFlags, nullptr);
  const u32 points[4] = {Mesh_Add_Point(-kHalfSide, kHalfSide, 0), Mesh_Add_Point(kHalfSide, kHalfSide, 0),
                         Mesh_Add_Point(kHalfSide, -kHalfSide, 0), Mesh_Add_Point(-kHalfSide, -kHalfSide, 0)};
  const u32 square = Mesh_Add_Poly(0, 0, kSquareFlags, 4, points);
  Mesh_End_Object();
  VR_Set_Camera_Position(0, 0, -1600);
  VR_Set_Fov(60);
  VR_Set_Aspect(1.5f);

  Pcx_Load("eye/keye1a.pcx", &eye_picture);
  if (eye_picture.header.colour_planes != 4 || eye_picture.header.hres != kPictureWidth ||
      eye_picture.header.vres < kPictureMinHeight)
    Err_Error("Eye: eye/keye1a.pcx must be a 24-bit picture %u wide and at least %u high", kPictureWidth,
              kPictureMinHeight);
  eye.texture = reinterpret_cast<u32*>(eye_picture.pixels);
  eye.frames[0] = Pcx_Cut_Bitmap(&eye_picture, kEyePasteX, kEyePasteY, kEyeLidWidth, kEyeLidHeight);
  for (u32 i = 0; i < 4; i++) eye.frames[i + 1] = Pcx_Load_Bitmap(kLidNames[i]);
  eye.frames[5] = eye.frames[1];

  // The show adds this texture first, so it is slot 0; the square names whichever slot it gets.
  const i32 slot = Poly_Add_Texture(eye.texture + kTextureOffset);
  mesh_work.polys[square].texture = u8(slot);
  VR_Store_Scene();
  Math_Seed_Random();
}

void Eye_Draw(void) {
  VR_Select_Scene(eye.scene);
  const i32 a1 = vr_camera.angles[VR_PITCH], a2 = vr_camera.angles[VR_YAW];
  const f32 a = f32(design_state.sway_amplitude);
  const i32 x = Floor_16(Math_Sin(a2) * a);
  const i32 y = Floor_16(-Math_Sin(a1) * a);
  const i32 z = Floor_16(Math_Cos(a2) * a);
  VR_Set_Camera_Position(x, y, z - 1200);
  if (eye.frame_index != eye.shown_index) {
    Vbe_Sprite_To_Texture(kEyePasteX, kEyePasteY, eye.frames[eye.frame_index], eye.texture);
    eye.shown_index = eye.frame_index;
  }
  VR_Render_Frame();
}

void Eye_Step(void) {
  VR_Select_Tick_Scene(eye.scene);
  if (eye.blinking) {
    if (eye.countdown > 0) {
      if (--eye.countdown == 0) Blink_Step();
    } else if (eye.countdown == 0) {
      Blink_Step();
    }
  }
  VR_Rotate_Camera(0, 0, eye.direction);
}

void Eye_Tick(void) {
  Eye_Step();
  Design_Tick();
}

void Eye_Frame(void) {
  Seq_Set_Part_Name("eye");
  Music_Set_Callback(Eye_Tick);
  Eye_Draw();
  Design_Apply();
  Demo_Frame_Hook();
  VR_Debug_Fly_Keys();
  Design_Set_Snapshot_Hook(Eye_Draw);
}

void Eye_Free(void) { Music_Clear_Callback(); }

void Eye_Event_Dir_Up(void) { eye.direction++; }
void Eye_Event_Dir_Down(void) { eye.direction--; }
void Eye_Event_Dir_Flip(void) { eye.direction = -eye.direction; }
void Eye_Event_Dir_Zero(void) { eye.direction = 0; }

// The roll is stored as the angle within the turn that the next tick would make of it anyway.
void Eye_Event_Camera(void) {
  VR_Select_Scene(eye.scene);
  const i32 roll = eye.direction == 0 ? -600 : eye.direction < 0 ? -200 : 1000;
  vr_camera.angles[VR_ROLL] = VR_Wrap_Angle(roll);
  VR_Store_Scene();
}

void Eye_Event_Blink_On(void) { eye.blinking = 1; }

void Eye_Event_Blink_Reset(void) {
  eye.blinking = 0;
  if (eye.frame_index >= 3) {
    eye.frame_index = 3;
    eye.blink_state = 5;
  } else {
    eye.frame_index = 0;
    eye.blink_state = 1;
  }
  eye.countdown = Rest_Ticks();
}

void Eye_Event_Lid_Reset(void) { eye.frame_index = 0; }
void Eye_Event_Lid_Half(void) { eye.frame_index = 1; }

// Lowering and raising the lid move between the two picture sets. The frame index stays a picture;
// a blink state pushed past the table stops the blink machine, which steps only states 0..7.
void Eye_Event_Lid_Down(void) {
  eye.frame_index = u8(eye.frame_index + 4u > kEyeFrames - 1 ? kEyeFrames - 1 : eye.frame_index + 4u);
  eye.blink_state += 4;
}

void Eye_Event_Lid_Up(void) {
  eye.frame_index = u8(eye.frame_index < 4 ? 0 : eye.frame_index - 4);
  eye.blink_state -= 4;
}
