// Present routines: the frame buffer copied and converted into the visible page.
#include "video/present.h"

#include <cstring>

#include "runtime/err.h"
#include "video/vbe.h"

namespace {
// Every routine first makes sure that the bytes it is about to write lie inside the screen memory.
bool Vbe_Present_Ready(u64 bytes) {
  const VbeScreen& s = vbe_screen;
  if (!s.frame || !s.visible_page) return false;
  if (s.visible_page < s.screen_base || u64(Vbe_Screen_End() - s.visible_page) < bytes)
    Err_Error("Vbe: Present outside the screen memory");
  return true;
}

inline u32 Vbe_To_15(u32 p) { return ((p >> 3) & 0x1F) | ((p >> 6) & 0x3E0) | ((p >> 9) & 0x7C00); }

inline void Vbe_Put_24(u8* d, u32 p) {
  d[0] = u8(p);
  d[1] = u8(p >> 8);
  d[2] = u8(p >> 16);
}

inline void Vbe_Put_15(u8* d, u32 p) {
  u32 v = Vbe_To_15(p);
  d[0] = u8(v);
  d[1] = u8(v >> 8);
}

inline void Vbe_Put_32(u8* d, u32 p) { memcpy(d, &p, 4); }

// The linear routines: every frame pixel in memory order, written `copies` times side by side.
template <u32 kBytes, u32 kCopies, void (*Put)(u8*, u32)>
void Vbe_Present_Linear(void) {
  const VbeScreen& s = vbe_screen;
  u32 n = s.frame_size / 4;
  if (!Vbe_Present_Ready(u64(n) * kBytes * kCopies)) return;
  const u32* src = s.frame;
  u8* d = s.visible_page;
  for (u32 i = 0; i < n; i++) {
    for (u32 c = 0; c < kCopies; c++) Put(d + c * kBytes, src[i]);
    d += kBytes * kCopies;
  }
}

// The row-wise routines: each frame row written, then one screen row of the same length skipped.
template <u32 kBytes, u32 kCopies, void (*Put)(u8*, u32)>
void Vbe_Present_Rows(void) {
  const VbeScreen& s = vbe_screen;
  u64 row_bytes = u64(s.width) * kBytes * kCopies;
  if (s.height == 0) return;
  if (!Vbe_Present_Ready(row_bytes * (2 * u64(s.height) - 1))) return;
  const u32* src = s.frame;
  u8* d = s.visible_page;
  for (u32 y = 0; y < s.height; y++) {
    for (u32 x = 0; x < s.width; x++) {
      for (u32 c = 0; c < kCopies; c++) Put(d + c * kBytes, *src);
      src++;
      d += kBytes * kCopies;
    }
    d += row_bytes;
  }
}

u8 vbe_fake_toggle = 0;
u32 vbe_display_start = 0;
}  // namespace

void Vbe_Present_None(void) {}

void Vbe_Present_32(void) {
  const VbeScreen& s = vbe_screen;
  u32 bytes = s.frame_size & ~3u;
  if (!Vbe_Present_Ready(bytes)) return;
  memcpy(s.visible_page, s.frame, bytes);
}

void Vbe_Present_24(void) { Vbe_Present_Linear<3, 1, Vbe_Put_24>(); }
void Vbe_Present_15(void) { Vbe_Present_Linear<2, 1, Vbe_Put_15>(); }

// An 8-bit frame is copied byte for byte, as a 32-bit one is.
void Vbe_Present_8(void) { Vbe_Present_32(); }

void Vbe_Present_32_Smooth(void) { Vbe_Present_Rows<4, 1, Vbe_Put_32>(); }
void Vbe_Present_24_Smooth(void) { Vbe_Present_Rows<3, 1, Vbe_Put_24>(); }
void Vbe_Present_15_Smooth(void) { Vbe_Present_Rows<2, 1, Vbe_Put_15>(); }
void Vbe_Present_32_Low(void) { Vbe_Present_Linear<4, 2, Vbe_Put_32>(); }
void Vbe_Present_24_Low(void) { Vbe_Present_Linear<3, 2, Vbe_Put_24>(); }
void Vbe_Present_15_Low(void) { Vbe_Present_Linear<2, 2, Vbe_Put_15>(); }
void Vbe_Present_32_Low_Smooth(void) { Vbe_Present_Rows<4, 2, Vbe_Put_32>(); }
void Vbe_Present_24_Low_Smooth(void) { Vbe_Present_Rows<3, 2, Vbe_Put_24>(); }
void Vbe_Present_15_Low_Smooth(void) { Vbe_Present_Rows<2, 2, Vbe_Put_15>(); }

void Vbe_Present_Black_White(void) {
  const VbeScreen& s = vbe_screen;
  u32 n = s.frame_size / 4;
  if (!Vbe_Present_Ready(n)) return;
  for (u32 i = 0; i < n; i++) s.visible_page[i] = u8(s.frame[i]);
}

// The tweaked mode: two pages 32000 bytes apart, alternating; 160 bytes per frame line, written in
// four passes over the columns modulo 4 (which the VGA would route to its four planes).
void Vbe_Present_Fake_24(void) {
  const VbeScreen& s = vbe_screen;
  vbe_fake_toggle ^= 1;
  u32 base = vbe_fake_toggle * 32000u;
  if (!Vbe_Present_Ready(base + u64(s.height) * 160)) return;
  u8* page = s.visible_page + base;
  for (u32 y = 0; y < s.height; y++) {
    u8* line = page + y * 160;
    const u32* row = s.frame + y * s.width;
    for (u32 pass = 0; pass < 4; pass++) {
      for (u32 k = 0; k < 80; k++) {
        u32 x = 4 * k + pass;
        if (x >= s.width) break;
        u32 p = row[x];
        u32 red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
        u32 b4 = blue >> 4;
        if (b4 > 14) b4 = 14;
        line[k] = u8((green >> 4) + 0xF0);
        line[k + 80] = u8(16 * b4 + (red >> 4));
      }
    }
  }
}

void Vbe_Present_32_Unrolled(void) {
  const VbeScreen& s = vbe_screen;
  u32 words = s.frame_size / 4;
  if (!Vbe_Present_Ready(u64(words) * 4)) return;
  const u32* src = s.frame;
  u32* d = reinterpret_cast<u32*>(s.visible_page);
  u32 steps = words / 8;
  for (u32 i = 0; i < steps; i++) {
    d[0] = src[0];
    d[1] = src[1];
    d[2] = src[2];
    d[3] = src[3];
    d[4] = src[4];
    d[5] = src[5];
    d[6] = src[6];
    d[7] = src[7];
    d += 8;
    src += 8;
  }
  // The words left over by a frame size that is not a multiple of 32 bytes.
  for (u32 i = steps * 8; i < words; i++) *d++ = *src++;
}

void Vbe_Present_32_Fpu(void) {
  const VbeScreen& s = vbe_screen;
  u32 words = s.frame_size / 4;
  if (!Vbe_Present_Ready(u64(words) * 4)) return;
  const u8* src = reinterpret_cast<const u8*>(s.frame);
  u8* d = s.visible_page;
  u32 steps = words / 4;
  for (u32 i = 0; i < steps; i++) {
    u64 a, b;
    memcpy(&a, src, 8);
    memcpy(&b, src + 8, 8);
    memcpy(d, &a, 8);
    memcpy(d + 8, &b, 8);
    src += 16;
    d += 16;
  }
  memcpy(d, src, (words - steps * 4) * 4);
}

void Vbe_Copy_Span(const u32* source, u8* destination, u32 byte_count) {
  memcpy(destination, source, byte_count & ~3u);
}

void Vbe_Copy_Span_24(const u32* source, u8* destination, u32 byte_count) {
  u32 stride = vbe_screen.screen_bytes;
  for (u32 i = 0; i < byte_count / 4; i++) {
    Vbe_Put_24(destination, source[i]);
    destination += stride;
  }
}

void Vbe_Copy_Rect(const u32* source, u32* destination, u32 w, u32 h) {
  u32 pitch = vbe_screen.screen_pitch;
  for (u32 y = 0; y < h; y++) {
    memcpy(destination, source, u64(w) * 4);
    source += pitch;
    destination += pitch;
  }
}

void Vbe_Add_Rect(const u32* source, u32* destination, u32 w, u32 h) {
  u32 pitch = vbe_screen.screen_pitch;
  for (u32 y = 0; y < h; y++) {
    for (u32 x = 0; x < w; x++) destination[x] += source[x];
    source += pitch;
    destination += pitch;
  }
}

// The host has no display-start service: the page start is only noted.
void Vbe_Set_Display_Start(u32 offset) { vbe_display_start = offset; }
