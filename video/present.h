// Present routines: the frame buffer copied and converted into the visible page.
#pragma once
#include "runtime/types.h"

void Vbe_Present_32(void);
void Vbe_Present_24(void);
void Vbe_Present_15(void);
void Vbe_Present_8(void);
void Vbe_Present_32_Smooth(void);
void Vbe_Present_24_Smooth(void);
void Vbe_Present_15_Smooth(void);
void Vbe_Present_32_Low(void);
void Vbe_Present_24_Low(void);
void Vbe_Present_15_Low(void);
void Vbe_Present_32_Low_Smooth(void);
void Vbe_Present_24_Low_Smooth(void);
void Vbe_Present_15_Low_Smooth(void);
void Vbe_Present_Black_White(void);
void Vbe_Present_Fake_24(void);
void Vbe_Present_32_Unrolled(void);
void Vbe_Present_32_Fpu(void);
// Does nothing: the present pointer's value before any mode set.
void Vbe_Present_None(void);

// Update-list copies.
void Vbe_Copy_Span(const u32* source, u8* destination, u32 byte_count);
void Vbe_Copy_Span_24(const u32* source, u8* destination, u32 byte_count);
void Vbe_Copy_Rect(const u32* source, u32* destination, u32 w, u32 h);
void Vbe_Add_Rect(const u32* source, u32* destination, u32 w, u32 h);
void Vbe_Set_Display_Start(u32 offset);
