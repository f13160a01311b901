// Pixel and sprite routines: whole-buffer arithmetic, palette expansions and clipped picture blits.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

// Whole-buffer routines.
void Vbe_Clear(void);
void Vbe_Clear_Second(void);
void Vbe_Fill(u32 colour);
void Vbe_Add_Constant(u32 value);
void Vbe_Add_Constant_Buffer(u32* buffer, u32 byte_count, u32 value);
void Vbe_Brighten(i32 level);
void Vbe_Darken(i32 level);
void Vbe_Add_Colour(u32 colour);
void Vbe_Sub_Colour(u32 colour);
void Vbe_Add_Colour_Keep(u32 colour);
void Vbe_Sub_Colour_Keep(u32 colour);
void Vbe_Invert(void);
void Vbe_Grey_From_Blue(void);
void Vbe_Halve(void);
void Vbe_Halve_From(const u32* source);
void Vbe_Add_Half(const u32* source);
void Vbe_Darken_Into(i32 level, const u32* source, u32* destination);
void Vbe_Darken_Add(i32 level, const u32* source, u32* destination);
void Vbe_Darken_Or(i32 level, const u32* source, u32* destination);
void Vbe_Darken_Buffer(i32 level, u32* buffer, u32 byte_count);
void Vbe_Add_Buffer(u32* destination, const u32* source);
void Vbe_Add_Buffer_Keep(u32* destination, const u32* source);
void Vbe_Or_Buffer(u32* destination, const u32* source);
void Vbe_Copy_Buffer(u32* destination, const u32* source);
void Vbe_Copy_Buffer_Trans(u32* destination, const u32* source);
void Vbe_Average_Buffer(u32* destination, const u32* other);
void Vbe_Trail(u32* destination, u32* other);
void Vbe_Trail_Half(u32* destination, u32* other);
void Vbe_Mask(const u8* mask, u32* buffer, u8 threshold);
void Vbe_Mask_Copy(const u8* mask, const u32* source, u8 threshold);
void Vbe_Clear_Channel(void);
void Vbe_Darken_Channel(i32 level);
void Vbe_Swap_Channel(u32* buffer, u32 pixel_count, u8 byte_a, u8 byte_b);
void Vbe_Remap(u32* destination, const u32* source);
u32 Vbe_Add_Colour_Pixel(u32 pixel, u32 colour);
void Vbe_Reset_Channel_Counter(void);

// Plain per-pixel versions of the fast loops, kept beside them.
void Vbe_Brighten_Plain(i32 level);
void Vbe_Darken_Plain(i32 level);
void Vbe_Sub_Colour_Plain(u32 colour);
void Vbe_Add_Colour_Plain(u32 colour);
void Vbe_Darken_Into_Plain(i32 level, const u32* source, u32* destination);
void Vbe_Darken_Add_Plain(i32 level, const u32* source, u32* destination);
void Vbe_Trail_Plain(u32* destination, u32* other);
void Vbe_Average_Buffer_Plain(u32* destination, const u32* other);
void Vbe_Add_Buffer_Plain(u32* destination, const u32* source);
void Vbe_Sprite_Sat_Plain(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Darken_Sat_Plain(i32 x, i32 y, const cbitmap* picture, i32 level);

// Palette expansions (one source byte per pixel, 256-entry palette).
void Vbe_Expand_8(const u8* source, const u32* palette);
void Vbe_Expand_8_Add(const u8* source, const u32* palette);
void Vbe_Expand_8_Add_Const(const u8* source, const u32* palette, u32 constant);
void Vbe_Expand_8_Double(const u8* source, const u32* palette);
void Vbe_Expand_8_Double_Add(const u8* source, const u32* palette);

// Sprites: the picture's top-left corner at (x, y) in frame pixels, clipped to the frame.
void Vbe_Sprite(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Trans(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Add(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Sat(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Brighten(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken_Trans(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken_Add(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken_Sat(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken_Sub_Add(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Half_Add(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Quarter_Sat(i32 x, i32 y, const cbitmap* picture);
void Vbe_Sprite_Darken_Half_Sat(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Sprite_Darken_Half_Sub_Add(i32 x, i32 y, const cbitmap* picture, i32 level);
void Vbe_Grab_Sprite(i32 x, i32 y, cbitmap* picture);
void Vbe_Sprite_8(i32 x, i32 y, const cbitmap* picture, const u32* palette);
void Vbe_Sprite_8_Trans(i32 x, i32 y, const cbitmap* picture, const u32* palette);
void Vbe_Sprite_To_Texture(i32 x, i32 y, const cbitmap* picture, u32* texture);
void Vbe_Sprite_To_Texture_Add(i32 x, i32 y, const cbitmap* picture, u32* texture);
void Vbe_Add_Rect_Sat(const u32* source, u32* destination, u32 w, u32 h);
