// Fonts and debug text: glyph cells cut from a picture grid, and the 8x6 overlay font drawn bit by bit.
#include "video/font.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "runtime/err.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"

namespace {
// Codes 32 to 95, one byte a line from the top, bit 7 the leftmost pixel. 91 to 94 are level bars.
const u8 kOverlayFont[64][6] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // space
    {0x30, 0x30, 0x30, 0x00, 0x30, 0x00},  // !
    {0xD8, 0x90, 0x00, 0x00, 0x00, 0x00},  // "
    {0x6C, 0xFE, 0x6C, 0xFE, 0x6C, 0x00},  // #
    {0x7E, 0xD0, 0x7C, 0x16, 0xFC, 0x00},  // $
    {0xCC, 0x18, 0x30, 0x60, 0xCC, 0x00},  // %
    {0x60, 0x90, 0x74, 0xD8, 0x6C, 0x00},  // &
    {0x30, 0x20, 0x00, 0x00, 0x00, 0x00},  // apostrophe
    {0x60, 0xC0, 0xC0, 0xC0, 0x60, 0x00},  // (
    {0x18, 0x0C, 0x0C, 0x0C, 0x18, 0x00},  // )
    {0x6C, 0x38, 0xFE, 0x38, 0x6C, 0x00},  // *
    {0x00, 0x30, 0xFC, 0x30, 0x00, 0x00},  // +
    {0x00, 0x00, 0x00, 0x30, 0x20, 0x00},  // ,
    {0x00, 0x00, 0x7C, 0x00, 0x00, 0x00},  // -
    {0x00, 0x00, 0x00, 0x00, 0xC0, 0x00},  // .
    {0x0C, 0x18, 0x30, 0x60, 0xC0, 0x00},  // /
    {0x78, 0x84, 0x84, 0x84, 0x78, 0x00},  // 0
    {0x04, 0x0C, 0x14, 0x04, 0x04, 0x00},  // 1
    {0x78, 0x84, 0x18, 0x20, 0x7C, 0x00},  // 2
    {0x78, 0x04, 0x38, 0x04, 0x78, 0x00},  // 3
    {0x84, 0x84, 0xFC, 0x04, 0x04, 0x00},  // 4
    {0xFC, 0x80, 0xF8, 0x04, 0xF8, 0x00},  // 5
    {0x30, 0x40, 0xF8, 0x84, 0x78, 0x00},  // 6
    {0xFC, 0x04, 0x08, 0x10, 0x10, 0x00},  // 7
    {0x78, 0x84, 0x78, 0x84, 0x78, 0x00},  // 8
    {0x78, 0x84, 0x7C, 0x08, 0x30, 0x00},  // 9
    {0x00, 0x30, 0x00, 0x30, 0x00, 0x00},  // :
    {0x00, 0x30, 0x00, 0x30, 0x20, 0x00},  // ;
    {0x30, 0x60, 0xC0, 0x60, 0x30, 0x00},  // <
    {0x00, 0x7C, 0x00, 0x7C, 0x00, 0x00},  // =
    {0x30, 0x18, 0x0C, 0x18, 0x30, 0x00},  // >
    {0x78, 0xCC, 0x18, 0x00, 0x18, 0x00},  // ?
    {0x78, 0xCC, 0xDC, 0xC0, 0x7C, 0x00},  // @
    {0x30, 0x48, 0x84, 0xFC, 0x84, 0x00},  // A
    {0xF8, 0x84, 0xF8, 0x84, 0xF8, 0x00},  // B
    {0x7C, 0x80, 0x80, 0x80, 0x7C, 0x00},  // C
    {0xF8, 0x84, 0x84, 0x84, 0xF8, 0x00},  // D
    {0xFC, 0x80, 0xF0, 0x80, 0xFC, 0x00},  // E
    {0xFC, 0x80, 0xF0, 0x80, 0x80, 0x00},  // F
    {0x7C, 0x80, 0x84, 0x84, 0x7C, 0x00},  // G
    {0x84, 0x84, 0xFC, 0x84, 0x84, 0x00},  // H
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x00},  // I
    {0x04, 0x04, 0x04, 0x84, 0x78, 0x00},  // J
    {0x84, 0x88, 0xF0, 0x88, 0x84, 0x00},  // K
    {0x80, 0x80, 0x80, 0x80, 0xFC, 0x00},  // L
    {0x82, 0xC6, 0xAA, 0x92, 0x82, 0x00},  // M
    {0x84, 0xC4, 0xA4, 0x94, 0x8C, 0x00},  // N
    {0x78, 0x84, 0x84, 0x84, 0x78, 0x00},  // O
    {0xF8, 0x84, 0xF8, 0x80, 0x80, 0x00},  // P
    {0x78, 0x84, 0x84, 0x78, 0x1C, 0x00},  // Q
    {0xF8, 0x84, 0xF8, 0x90, 0x88, 0x00},  // R
    {0x7C, 0x80, 0x78, 0x04, 0xF8, 0x00},  // S
    {0xFE, 0x10, 0x10, 0x10, 0x10, 0x00},  // T
    {0x84, 0x84, 0x84, 0x84, 0x78, 0x00},  // U
    {0x84, 0x84, 0x84, 0x48, 0x30, 0x00},  // V
    {0x82, 0x82, 0x92, 0xAA, 0x44, 0x00},  // W
    {0x84, 0x48, 0x30, 0x48, 0x84, 0x00},  // X
    {0x88, 0x88, 0x50, 0x20, 0x20, 0x00},  // Y
    {0xF8, 0x10, 0x20, 0x40, 0xF8, 0x00},  // Z
    {0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0},  // [ : six lines
    {0x00, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0},  // backslash: five lines
    {0x00, 0x00, 0x00, 0xC0, 0xC0, 0xC0},  // ] : three lines
    {0x00, 0x00, 0x00, 0x00, 0x00, 0xC0},  // ^ : one line
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // underscore
};

const u32* font_palette = nullptr;
PcxPicture font_picture;
FontTable font_table;
u32 font_colours[256];
char hex_buffer[9];
u32 print_line = 0;
const u64 kFontMaxBlock = 0x7FFFFFFF;  // the largest glyph block the font asks the memory module for

// a x b, or one past kFontMaxBlock when the product would pass it: sizes from a caller's grid cannot wrap.
u64 Font_Size_Product(u64 a, u64 b) { return b != 0 && a > kFontMaxBlock / b ? kFontMaxBlock + 1 : a * b; }

const cbitmap* Font_Glyph(const FontTable* font, char c) {
  i32 code = static_cast<signed char>(c);
  return code >= 0 ? font->glyph[code] : nullptr;
}

const char* Hex_String(u32 value, u32 digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (u32 i = 0; i < digits; i++) hex_buffer[i] = kDigits[(value >> (4 * (digits - 1 - i))) & 15];
  hex_buffer[digits] = 0;
  return hex_buffer;
}
}  // namespace

void Font_Create(FontTable* font, const PcxPicture* picture, i32 x0, i32 y0, u32 cell_width, u32 cell_height,
                 u32 columns, u32 rows, const char* map) {
  memset(font->glyph, 0, sizeof font->glyph);
  u32 bytes = picture->header.colour_planes == 4 ? 4 : 1;
  u64 stride = Font_Size_Product(Font_Size_Product(bytes, cell_width), cell_height) + 16;
  u64 size = Font_Size_Product(Font_Size_Product(stride, columns), rows) + 16;
  if (size > kFontMaxBlock) Err_Error("Font: Font too large");
  font->block = static_cast<u8*>(Mem_Alloc(u32(size)));
  Mem_Set_Description(font->block, "Font: ");
  Mem_Set_Description(font->block, Mem_Get_Description(picture->pixels));
  font->bytes_per_pixel = bytes;
  size_t length = map ? strlen(map) : 0;
  u32 slot = 0;
  for (u32 r = 0; r < rows; r++)
    for (u32 c = 0; c < columns; c++, slot++) {
      if (slot >= length) continue;
      // Only codes 0 to 127 have a place in the table; other cells are left out.
      i32 code = static_cast<signed char>(map[slot]);
      if (code < 0) continue;
      u8* glyph = font->block + stride * slot;
      Pcx_Cut_Into(picture, x0 + 1 + i32(c * (cell_width + 1)), y0 + 1 + i32(r * (cell_height + 1)), i32(cell_width),
                   i32(cell_height), glyph);
      font->glyph[code] = reinterpret_cast<const cbitmap*>(glyph);
    }
  font->cell_width = cell_width;
  font->cell_height = cell_height;
}

FontTable* Font_Load(FontTable* font, const char* name, i32 x0, i32 y0, u32 cell_width, u32 cell_height,
                     u32 columns, u32 rows, const char* map) {
  Pcx_Load(name, &font_picture);
  Font_Create(&font_table, &font_picture, x0, y0, cell_width, cell_height, columns, rows, map);
  for (u32 i = 0; i < 256; i++) {
    const u8* p = font_picture.palette + 3 * i;
    font_colours[i] = Vbe_Pack_Color_Bytes(u8(p[0] * 4), u8(p[1] * 4), u8(p[2] * 4));
  }
  Font_Set_Palette(font_colours);
  Pcx_Free(&font_picture);
  *font = font_table;
  return font;
}

void Font_Set_Palette(const u32* colours) { font_palette = colours; }

i32 Font_Print_With(const FontTable* font, i32 x, i32 y, const char* text, FontDraw draw) {
  // The draw routines read the glyphs as frame pixels: an 8-bit glyph would be read four times over.
  if (font->bytes_per_pixel != sizeof *vbe_screen.frame) Err_Error("Font: Font_Print_With needs a 32-bit font");
  for (; *text; text++, x += i32(font->cell_width)) {
    const cbitmap* glyph = Font_Glyph(font, *text);
    if (glyph) draw(x, y, glyph);  // a character without a glyph leaves a gap
  }
  return 0;
}

i32 Font_Print(const FontTable* font, i32 x, i32 y, const char* text) {
  if (font->bytes_per_pixel != 4) Err_Error("Font: Font_Print needs a 32-bit font");
  return Font_Print_With(font, x, y, text, Vbe_Sprite_Trans);
}

i32 Font_Print_Colour(const FontTable* font, i32 x, i32 y, const char* text) {
  if (font->bytes_per_pixel != 1) Err_Error("Font: Font_Print_Colour needs an 8-bit font");
  if (!font_palette) Err_Error("Font: No palette set");
  for (; *text; text++, x += i32(font->cell_width)) {
    const cbitmap* glyph = Font_Glyph(font, *text);
    if (glyph) Vbe_Sprite_8_Trans(x, y, glyph, font_palette);
  }
  return 0;
}

const char* Hex_String_8(u8 value) { return Hex_String(value, 2); }
const char* Hex_String_16(u16 value) { return Hex_String(value, 4); }
const char* Hex_String_32(u32 value) { return Hex_String(value, 8); }

void Vbe_Draw_Text(i32 x, i32 y, const char* text, u32 colour) {
  u32* frame = vbe_screen.frame;
  i32 width = i32(vbe_screen.width), height = i32(vbe_screen.height);
  if (!frame) return;
  // Positions in 64 bits: a text that starts near the largest x or y runs on past it without wrapping.
  for (i64 left = x; *text; text++, left += 8) {
    i32 index = static_cast<signed char>(*text) - 32;
    if (index > 62) index -= 32;  // lower case onto capitals; 95 to 127 onto 31 to 63
    if (index < 0) index = 0;     // control codes and codes above 127 draw as a space
    for (i32 line = 0; line < 6; line++) {
      i64 py = i64(y) + line;
      if (py < 0 || py >= height) continue;
      u8 bits = kOverlayFont[index][line];
      for (i32 bit = 0; bit < 8; bit++) {
        i64 px = left + bit;
        if ((bits & (0x80 >> bit)) && px >= 0 && px < width) frame[size_t(py) * u32(width) + u32(px)] = colour;
      }
    }
  }
}

void Vbe_Debug_Print(const char* format, ...) {
  char text[80];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (strcmp(text, "!") == 0) {
    print_line = 0;
    return;
  }
  for (char* c = text; *c; c++) *c = char(toupper(static_cast<unsigned char>(*c)));
  Vbe_Draw_Text(15, i32(print_line), text, 0xF0F0F0);
  print_line += 10;
  if (print_line > vbe_screen.height) print_line = 0;
}

void Vbe_Set_Print_Line(u32 n) { print_line = n * 10; }
u32 Vbe_Get_Print_Line(void) { return print_line; }
