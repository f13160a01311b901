// Console glyphs: the code-page bytes 0xF0 and 0xFE, or the same characters in UTF-8 on a UTF-8 terminal.
#include "runtime/con.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char kConTripleBarByte[] = "\xF0";
const char kConSquareByte[] = "\xFE";
const char kConTripleBarUtf8[] = "\u2261";  // ≡
const char kConSquareUtf8[] = "\u25A0";     // ■

// 0 not yet decided, 1 bytes, 2 UTF-8: the console does not change while the program runs.
u8 con_mode = 0;

const char* Con_Locale(void) {
  static const char* const names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (const char* name : names) {
    const char* value = getenv(name);
    if (value && value[0]) return value;
  }
  return "";
}
}  // namespace

bool Con_Wants_Utf8(const char* locale, bool terminal) {
  if (!terminal || !locale) return false;
  for (const char* p = locale; *p; p++)
    if (strncasecmp(p, "UTF-8", 5) == 0 || strncasecmp(p, "UTF8", 4) == 0) return true;
  return false;
}

const char* Con_Glyph_Text(ConGlyph glyph, bool utf8) {
  if (glyph == CON_TRIPLE_BAR) return utf8 ? kConTripleBarUtf8 : kConTripleBarByte;
  return utf8 ? kConSquareUtf8 : kConSquareByte;
}

void Con_Put_Glyph(ConGlyph glyph) {
  if (con_mode == 0) con_mode = Con_Wants_Utf8(Con_Locale(), isatty(fileno(stdout)) != 0) ? 2 : 1;
  fputs(Con_Glyph_Text(glyph, con_mode == 2), stdout);
}
