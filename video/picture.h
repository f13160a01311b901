// Pictures, the 320x200 design size and its stretch, transitions, crossfade and colour model.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

// The hue model's result.
struct VbeHsv {
  u16 hue;
  u16 value;
  f32 saturation;
};

void Vbe_Reset_Design(void);

// Pictures.
cbitmap* Vbe_New_Bitmap(u32 width, u32 height);
void Vbe_Set_Bitmap_Size(cbitmap* picture, u32 width, u32 height);
u32 Vbe_Bitmap_Width(const cbitmap* picture);
u32 Vbe_Bitmap_Height(const cbitmap* picture);
void Vbe_Scale_Bitmap_Brightness(cbitmap* picture, f32 factor);

// Design size and scaling.
void Vbe_Set_Resize(u32 design_width, u32 design_height);
bool Vbe_Resize_Active(void);
void Vbe_Resize_Buffer(u32 design_width, u32 design_height);
void Vbe_Free_Resize_Buffer(void);
void Vbe_Resize_Begin(void);
void Vbe_Resize_End(void);
void Vbe_Resize_End_Add(void);
void Vbe_Resize(cbitmap** picture);
void Vbe_Resize_Pixels(u32** pixels, u32 width, u32 height);
i32 Vbe_Scale_X(i32 x);
i32 Vbe_Scale_Y(i32 y);
f32 Vbe_Get_Factor_X(void);
f32 Vbe_Get_Factor_Y(void);
u32* Vbe_Design_Buffer(void);
void Vbe_Scale_Rows(const u32* source, u32* destination, u32 new_width, u32 new_height, f32 fx,
                    f32 fy);
void Vbe_Stretch_Design(void);
void Vbe_Stretch_Design_Add(void);
// Plain per-pixel versions of the two stretches, kept beside the fast ones.
void Vbe_Stretch_Design_Plain(void);
void Vbe_Stretch_Design_Add_Plain(void);
void Vbe_Make_Zoom_Tables(f32 margin);
const u32* Vbe_Zoom_Row_Table(void);
const u32* Vbe_Zoom_Column_Table(void);
u32 Vbe_Zoom_Rows(void);
u32 Vbe_Zoom_Columns(void);

// Transitions and crossfade.
void Vbe_Transition(u8 kind, u32 level);
void Vbe_Set_Crossfade(i32 level_a, i32 level_b, i32 step_a, i32 step_b, const u32* picture_a,
                       const u32* picture_b);
void Vbe_Step_Crossfade(void);
void Vbe_Draw_Crossfade(void);
bool Vbe_Crossfade_Done(void);
i32 Vbe_Crossfade_Level_A(void);
i32 Vbe_Crossfade_Level_B(void);

// Blurs.
void Vbe_Blur(void);
void Vbe_Blur_Alternate(void);
void Vbe_Blur_Alternate_Plain(void);  // the per-pixel form of the vertical pass, kept beside it

// Colour.
u32 Vbe_Pack_Color(u32 r, u32 g, u32 b);
u32 Vbe_Pack_Color_Fast(u32 r, u32 g, u32 b);
u32 Vbe_Pack_Color_Bytes(u32 r, u32 g, u32 b);
void Vbe_Unpack_Color(u32 pixel, u32* r, u32* g, u32* b);
VbeHsv Vbe_Rgb_To_Hsv(i32 r, i32 g, i32 b);
u32 Vbe_Hsv_To_Rgb(i32 hue, f32 saturation, i16 value);
