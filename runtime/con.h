// Console glyphs of the old code page (the banner's 0xF0, the progress and error marks' 0xFE).
#pragma once
#include "runtime/types.h"

enum ConGlyph : u8 { CON_TRIPLE_BAR = 0xF0, CON_SQUARE = 0xFE };

// True when the console shows UTF-8: a UTF-8 locale (LC_ALL, else LC_CTYPE, else LANG) on a terminal.
bool Con_Wants_Utf8(const char* locale, bool terminal);
// The glyph as printed: its UTF-8 form, or the code-page byte itself.
const char* Con_Glyph_Text(ConGlyph glyph, bool utf8);
// Writes the glyph to standard output in the form the console shows; files and pipes get the byte.
void Con_Put_Glyph(ConGlyph glyph);
