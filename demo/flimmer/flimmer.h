// The flicker noise effect: film grain expanded from a map of random bytes through random palettes.
#pragma once
#include "runtime/types.h"

const u32 kFlimmerMapRows = 400;
const u32 kFlimmerPalettes = 8;      // made by every set-up
const u32 kFlimmerMaxPalettes = 16;  // room for two set-ups

// C-runtime random number scaled to 0 .. n - 1 (0 when n is not positive; the draw is still taken).
i32 Flimmer_Random(f32 n);
void Flimmer_Init(u8 mode, u32 red, u32 green, u32 blue, i32 lines, i32 width, u32 height);
void Flimmer_Draw(void);
void Flimmer_Draw_Const(u32 constant);
void Flimmer_Frame(void);
void Flimmer_Free(void);

// Read by tests: the map, its size in bytes, and the palettes made so far.
const u8* Flimmer_Map(void);
u32 Flimmer_Map_Size(void);
u32 Flimmer_Palette_Count(void);
const u32* Flimmer_Palette(u32 index);
