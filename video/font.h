// Fonts and debug text: bitmap fonts cut from a PCX grid, the built-in overlay font, hexadecimal text.
#pragma once
#include "runtime/types.h"
#include "video/pcx.h"
#include "video/vbe.h"

struct FontTable {
  const cbitmap* glyph[128];  // per character code; null: no glyph
  u32 cell_width;
  u32 cell_height;
  u8* block;                 // holds every glyph
  u32 bytes_per_pixel;       // of the glyphs: 1 (8-bit picture) or 4
};

typedef void (*FontDraw)(i32 x, i32 y, const cbitmap* glyph);

void Font_Create(FontTable* font, const PcxPicture* picture, i32 x0, i32 y0, u32 cell_width, u32 cell_height,
                 u32 columns, u32 rows, const char* map);
FontTable* Font_Load(FontTable* font, const char* name, i32 x0, i32 y0, u32 cell_width, u32 cell_height,
                     u32 columns, u32 rows, const char* map);
void Font_Set_Palette(const u32* colours);
i32 Font_Print(const FontTable* font, i32 x, i32 y, const char* text);
i32 Font_Print_With(const FontTable* font, i32 x, i32 y, const char* text, FontDraw draw);
i32 Font_Print_Colour(const FontTable* font, i32 x, i32 y, const char* text);

// Hexadecimal digits in one shared buffer, overwritten by every call.
const char* Hex_String_8(u8 value);
const char* Hex_String_16(u16 value);
const char* Hex_String_32(u32 value);

// The overlay font: 8 pixels a character, 6 lines high, set bits only, clipped to the frame.
void Vbe_Draw_Text(i32 x, i32 y, const char* text, u32 colour);
// A debug line at x 15 of the print line, upper case, in 0xF0F0F0; "!" moves the print line to the top.
void Vbe_Debug_Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Vbe_Set_Print_Line(u32 n);
u32 Vbe_Get_Print_Line(void);
