// Texture slots, animated slots, bump maps and the colour operations scenes run on their textures.
#pragma once
#include "runtime/types.h"

const u32 kPolyTextureSlots = 256;
const u32 kPolyAnimRecords = 120;
const u32 kPolyTextureTexels = 65536;
// Fillers may read up to this many bytes from a slot's start: a block that backs a slot needs room for it.
const u32 kPolyTextureGuardBytes = kPolyTextureTexels * 4;

struct PolyAnimTexture {
  u8 slot;
  u8 frame;
  u8 first;
  u8 count;
};

struct PolyTextureTable {
  u32* slot[kPolyTextureSlots];
  i32 newest;
  PolyAnimTexture anim[kPolyAnimRecords];
};
extern PolyTextureTable poly_textures;

// One texel of a bump texture: the colour, then the offset into the second map.
struct PolyBumpTexel {
  u32 colour;
  i32 offset;
};
static_assert(sizeof(PolyBumpTexel) == 8);

void Poly_Reset_Textures(void);
i32 Poly_New_Slot(void);
i32 Poly_Add_Texture(u32* texture);
void Poly_Set_Texture(i32 slot, u32* texture);
u32* Poly_Get_Texture(i32 slot);
void Poly_Swap_Textures(i32 a, i32 b);
i32 Poly_Add_Anim_Texture(u8 count);
void Poly_Step_Anim_Texture(u8 slot);

void Poly_Scale_Texture(u32* texture, f32 factor);
void Poly_Scale_Last_Texture(f32 factor);
void Poly_Scale_Texture_Above(u32* texture, f32 factor, u32 threshold);
void Poly_Scale_Last_Texture_Above(f32 factor, u32 threshold);
void Poly_Shift_Texture(u32* texture, u8 n);
void Poly_Shift_Last_Texture(u8 n);
void Poly_Scale_Bytes(void* block, f32 factor);
void Poly_Hsv_Texture(u32* texture, i32 hue, f32 saturation, i32 value);
void Poly_Hsv_Last_Texture(i32 hue, f32 saturation, i32 value);
void Poly_Rotate_Texture(u32* texture, u32 x, u32 y, u32 w, u32 h);
void Poly_Add_Colour_Rect(u32* first, f32 factor, u32 colour, u32 w, u32 h);
void Poly_Make_Bump_Offsets(const u8* height, i32* destination, u32 stride);
i32* Poly_Bump_Map(u8* height);
PolyBumpTexel* Poly_Bump_Texture(u32* texture, u8* height);
void Poly_Light_Texture_Rect(u32 poly, u32* first, u32 w, u32 h, f32 lx, f32 ly, f32 lz, u32 colour);
