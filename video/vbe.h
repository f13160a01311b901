// Screen modes and frame buffer: the emulated video layer over the host's 32-bit surface.
#pragma once
#include "runtime/types.h"

void Vbe_Init(void);
// The host's surface that the present routine writes into (width x height 32-bit pixels).
void Vbe_Set_Host_Surface(u32* pixels, u32 width, u32 height);
void Vbe_Resize_Buffer(u32 width, u32 height);
void Vbe_Alloc_Mix_Buffer(void);
