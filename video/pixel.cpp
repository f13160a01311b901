// Pixel and sprite routines: whole-buffer arithmetic, palette expansions and clipped picture blits.
#include "video/pixel.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "video/picture.h"

namespace {
u32 vbe_channel_counter = 0;

inline u32 Vbe_Pixels(void) { return vbe_screen.frame ? vbe_screen.frame_size / 4 : 0; }
inline u32 Vbe_Level(i32 level) { return u32(level) & 0xFF; }
inline u32 Vbe_Level_Word(i32 level) { return Vbe_Level(level) * 0x010101u; }

// Per-channel arithmetic on channels 0-2 (blue, green, red); the spare byte of p is kept.
inline u32 Vbe_Sat_Add(u32 p, u32 c) {
  u32 out = p & 0xFF000000u;
  for (u32 shift = 0; shift < 24; shift += 8) {
    u32 v = ((p >> shift) & 0xFF) + ((c >> shift) & 0xFF);
    out |= (v > 255 ? 255 : v) << shift;
  }
  return out;
}

inline u32 Vbe_Sat_Sub(u32 p, u32 c) {
  u32 out = p & 0xFF000000u;
  for (u32 shift = 0; shift < 24; shift += 8) {
    i32 v = i32((p >> shift) & 0xFF) - i32((c >> shift) & 0xFF);
    out |= u32(v < 0 ? 0 : v) << shift;
  }
  return out;
}

// Floor average of channels 0-2 on the 9-bit sum; the spare byte is p's.
inline u32 Vbe_Average(u32 p, u32 q) {
  u32 out = p & 0xFF000000u;
  for (u32 shift = 0; shift < 24; shift += 8)
    out |= ((((p >> shift) & 0xFF) + ((q >> shift) & 0xFF)) >> 1) << shift;
  return out;
}

inline u32 Vbe_Half(u32 p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline u32 Vbe_Quarter(u32 p) { return (p >> 2) & 0x3F3F3F3Fu; }
inline u32 Vbe_Blue_Word(u32 p) { return (p & 0xFF) * 0x010101u; }

// The loops below have a fast form on SSE2 (four pixels a step) and the plain per-pixel form; both
// give the same words.
#if defined(__SSE2__)
inline __m128i Vbe_Load(const u32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Vbe_Store(u32* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Vbe_Average_Vec(__m128i a, __m128i b) {
  const __m128i low7 = _mm_set1_epi32(0x7F7F7F7F);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  __m128i avg = _mm_add_epi32(_mm_and_si128(a, b), _mm_and_si128(_mm_srli_epi32(_mm_xor_si128(a, b), 1), low7));
  return _mm_or_si128(_mm_and_si128(avg, colour), _mm_andnot_si128(colour, a));
}
#endif

void Vbe_Sat_Add_Loop(u32* d, u32 n, u32 c) {
  u32 i = 0;
#if defined(__SSE2__)
  __m128i v = _mm_set1_epi32(i32(c & 0x00FFFFFF));
  for (; i + 4 <= n; i += 4) Vbe_Store(d + i, _mm_adds_epu8(Vbe_Load(d + i), v));
#endif
  for (; i < n; i++) d[i] = Vbe_Sat_Add(d[i], c);
}

void Vbe_Sat_Sub_Loop(const u32* s, u32* d, u32 n, u32 c) {
  u32 i = 0;
#if defined(__SSE2__)
  __m128i v = _mm_set1_epi32(i32(c & 0x00FFFFFF));
  for (; i + 4 <= n; i += 4) Vbe_Store(d + i, _mm_subs_epu8(Vbe_Load(s + i), v));
#endif
  for (; i < n; i++) d[i] = Vbe_Sat_Sub(s[i], c);
}

void Vbe_Sat_Sub_Add_Loop(const u32* s, u32* d, u32 n, u32 c) {
  u32 i = 0;
#if defined(__SSE2__)
  __m128i v = _mm_set1_epi32(i32(c & 0x00FFFFFF));
  for (; i + 4 <= n; i += 4)
    Vbe_Store(d + i, _mm_add_epi32(Vbe_Load(d + i), _mm_subs_epu8(Vbe_Load(s + i), v)));
#endif
  for (; i < n; i++) d[i] += Vbe_Sat_Sub(s[i], c);
}

void Vbe_Average_Loop(u32* d, u32* other, u32 n, u32 keep) {
  // keep: 0 average only, 1 other gets d's old word, 2 other gets it halved.
  u32 i = 0;
#if defined(__SSE2__)
  const __m128i low7 = _mm_set1_epi32(0x7F7F7F7F);
  for (; i + 4 <= n; i += 4) {
    __m128i a = Vbe_Load(d + i), b = Vbe_Load(other + i);
    Vbe_Store(d + i, Vbe_Average_Vec(a, b));
    if (keep == 1) Vbe_Store(other + i, a);
    if (keep == 2) Vbe_Store(other + i, _mm_and_si128(_mm_srli_epi32(a, 1), low7));
  }
#endif
  for (; i < n; i++) {
    u32 a = d[i];
    d[i] = Vbe_Average(a, other[i]);
    if (keep == 1) other[i] = a;
    if (keep == 2) other[i] = Vbe_Half(a);
  }
}

// Sprite clipping: runs row(destination row, source row, pixels) over the visible rows of a w x h
// picture placed at (x, y) in a bounds_w x bounds_h target of the given row pitch.
template <class Source, class Row>
void Vbe_Clip_Rows(i32 x, i32 y, u32 w, u32 h, Source* source, u32* target, u32 pitch, u32 bounds_w,
                   u32 bounds_h, Row row) {
  if (!source || !target || w == 0 || h == 0) return;
  i64 sx = x, sy = y, vw = w, vh = h;
  i64 bw = bounds_w, bh = bounds_h;
  i64 skip = 0;
  if (sy + vh > bh) {
    if (sy >= bh) return;
    vh = bh - sy;
  }
  if (sy < 0) {
    if (sy + vh <= 0) return;
    vh += sy;
    skip += -sy * i64(w);
    sy = 0;
  }
  if (sx < 0) {
    if (sx + vw <= 0) return;
    vw += sx;
    skip += -sx;
    sx = 0;
  }
  if (sx + vw > bw) {
    if (sx >= bw) return;
    vw = bw - sx;
  }
  Source* s = source + skip;
  u32* d = target + sy * i64(pitch) + sx;
  for (i64 r = 0; r < vh; r++) {
    row(d, s, vw);
    d += pitch;
    s += w;
  }
}

// The same, op(destination pixel, source pixel) on every visible pixel.
template <class Source, class Op>
void Vbe_Clip_Blit(i32 x, i32 y, u32 w, u32 h, Source* source, u32* target, u32 pitch,
                   u32 bounds_w, u32 bounds_h, Op op) {
  Vbe_Clip_Rows(x, y, w, h, source, target, pitch, bounds_w, bounds_h, [&op](u32* d, Source* s, i64 n) {
    for (i64 i = 0; i < n; i++) op(d[i], s[i]);
  });
}

template <class Op>
void Vbe_Sprite_Op(i32 x, i32 y, const cbitmap* picture, Op op) {
  if (!picture || !vbe_screen.frame) return;
  Vbe_Clip_Blit(x, y, picture->width, picture->height, Vbe_Bitmap_Pixels(picture), vbe_screen.frame,
                vbe_screen.width, vbe_screen.width, vbe_screen.height, op);
}

// A sprite whose rows go four pixels a step through vec(destination, source) where SSE2 is there, the
// rest of each row through op.
template <class Op, class Vec>
void Vbe_Sprite_Vec(i32 x, i32 y, const cbitmap* picture, Op op, [[maybe_unused]] Vec vec) {
  if (!picture || !vbe_screen.frame) return;
  Vbe_Clip_Rows(x, y, picture->width, picture->height, Vbe_Bitmap_Pixels(picture), vbe_screen.frame,
                vbe_screen.width, vbe_screen.width, vbe_screen.height, [&](u32* d, const u32* s, i64 n) {
                  i64 i = 0;
#if defined(__SSE2__)
                  for (; i + 4 <= n; i += 4) Vbe_Store(d + i, vec(Vbe_Load(d + i), Vbe_Load(s + i)));
#endif
                  for (; i < n; i++) op(d[i], s[i]);
                });
}

// An 8-bit picture may start at any byte (a font's glyph slots are not whole words): its size words
// are read bytewise.
template <class Op>
void Vbe_Sprite_8_Op(i32 x, i32 y, const cbitmap* picture, Op op) {
  if (!picture || !vbe_screen.frame) return;
  u32 size[2];
  memcpy(size, picture, sizeof size);
  const u8* pixels = reinterpret_cast<const u8*>(picture) + sizeof size;
  Vbe_Clip_Blit(x, y, size[0], size[1], pixels, vbe_screen.frame, vbe_screen.width, vbe_screen.width,
                vbe_screen.height, op);
}

template <class Op>
void Vbe_Each(u32 n, Op op) {
  u32* f = vbe_screen.frame;
  for (u32 i = 0; i < n; i++) op(f[i], i);
}
}  // namespace

void Vbe_Reset_Channel_Counter(void) { vbe_channel_counter = 0; }

// ---- whole-buffer routines ----------------------------------------------------------------------

void Vbe_Clear(void) {
  if (vbe_screen.frame) memset(vbe_screen.frame, 0, u64(Vbe_Pixels()) * 4);
}

void Vbe_Clear_Second(void) {
  if (!vbe_screen.mix) return;
  u32 bytes = vbe_screen.frame_size < Vbe_Mix_Size() ? vbe_screen.frame_size : Vbe_Mix_Size();
  memset(vbe_screen.mix, 0, bytes & ~3u);
}

void Vbe_Fill(u32 colour) { Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p = colour; }); }
void Vbe_Add_Constant(u32 value) { Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p += value; }); }

void Vbe_Add_Constant_Buffer(u32* buffer, u32 byte_count, u32 value) {
  if (!buffer) return;
  for (u32 i = 0; i < byte_count / 4; i++) buffer[i] += value;
}

void Vbe_Brighten(i32 level) { Vbe_Sat_Add_Loop(vbe_screen.frame, Vbe_Pixels(), Vbe_Level_Word(level)); }
void Vbe_Darken(i32 level) {
  Vbe_Sat_Sub_Loop(vbe_screen.frame, vbe_screen.frame, Vbe_Pixels(), Vbe_Level_Word(level));
}
void Vbe_Add_Colour(u32 colour) { Vbe_Sat_Add_Loop(vbe_screen.frame, Vbe_Pixels(), colour); }
void Vbe_Sub_Colour(u32 colour) { Vbe_Sat_Sub_Loop(vbe_screen.frame, vbe_screen.frame, Vbe_Pixels(), colour); }

void Vbe_Brighten_Plain(i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p = Vbe_Sat_Add(p, c); });
}
void Vbe_Darken_Plain(i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p = Vbe_Sat_Sub(p, c); });
}
void Vbe_Add_Colour_Plain(u32 colour) {
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p = Vbe_Sat_Add(p, colour); });
}
void Vbe_Sub_Colour_Plain(u32 colour) {
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p = Vbe_Sat_Sub(p, colour); });
}

void Vbe_Add_Colour_Keep(u32 colour) {
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) {
    u32 out = p & 0xFF000000u;
    for (u32 shift = 0; shift < 24; shift += 8) {
      u32 v = ((p >> shift) & 0xFF) + ((colour >> shift) & 0xFF);
      if (v > 255) return;  // the pixel stays as it was
      out |= v << shift;
    }
    p = out;
  });
}

void Vbe_Sub_Colour_Keep(u32 colour) {
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) {
    u32 out = p & 0xFF000000u;
    for (u32 shift = 0; shift < 24; shift += 8) {
      i32 v = i32((p >> shift) & 0xFF) - i32((colour >> shift) & 0xFF);
      if (v < 0) return;
      out |= u32(v) << shift;
    }
    p = out;
  });
}

void Vbe_Invert(void) { Vbe_Each(Vbe_Pixels(), [](u32& p, u32) { p ^= 0x00FFFFFFu; }); }

void Vbe_Grey_From_Blue(void) {
  Vbe_Each(Vbe_Pixels(), [](u32& p, u32) { p = Vbe_Blue_Word(p) | ((p & 0xFF00u) << 16); });
}

void Vbe_Halve(void) { Vbe_Each(Vbe_Pixels(), [](u32& p, u32) { p = Vbe_Half(p); }); }

void Vbe_Halve_From(const u32* source) {
  if (!source) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) { p = Vbe_Half(source[i]); });
}

void Vbe_Add_Half(const u32* source) {
  if (!source) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) { p += Vbe_Half(source[i]); });
}

void Vbe_Darken_Into(i32 level, const u32* source, u32* destination) {
  if (!source || !destination) return;
  Vbe_Sat_Sub_Loop(source, destination, Vbe_Pixels(), Vbe_Level_Word(level));
}

void Vbe_Darken_Add(i32 level, const u32* source, u32* destination) {
  if (!source || !destination) return;
  Vbe_Sat_Sub_Add_Loop(source, destination, Vbe_Pixels(), Vbe_Level_Word(level));
}

void Vbe_Darken_Into_Plain(i32 level, const u32* source, u32* destination) {
  u32 c = Vbe_Level_Word(level), n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] = Vbe_Sat_Sub(source[i], c);
}

void Vbe_Darken_Add_Plain(i32 level, const u32* source, u32* destination) {
  u32 c = Vbe_Level_Word(level), n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] += Vbe_Sat_Sub(source[i], c);
}

void Vbe_Darken_Or(i32 level, const u32* source, u32* destination) {
  if (!source || !destination) return;
  u32 c = Vbe_Level_Word(level), n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] |= Vbe_Sat_Sub(source[i], c);
}

void Vbe_Darken_Buffer(i32 level, u32* buffer, u32 byte_count) {
  if (!buffer) return;
  Vbe_Sat_Sub_Loop(buffer, buffer, byte_count / 4, Vbe_Level_Word(level));
}

void Vbe_Add_Buffer_Plain(u32* destination, const u32* source) {
  if (!source || !destination) return;
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] += source[i];
}

void Vbe_Add_Buffer(u32* destination, const u32* source) {
  if (!source || !destination) return;
  u32 n = Vbe_Pixels(), i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= n; i += 4)
    Vbe_Store(destination + i, _mm_add_epi32(Vbe_Load(destination + i), Vbe_Load(source + i)));
#endif
  for (; i < n; i++) destination[i] += source[i];
}

void Vbe_Add_Buffer_Keep(u32* destination, const u32* source) {
  if (!source || !destination) return;
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) {
    u32 d = destination[i], s = source[i];
    u32 out = d & 0xFF000000u;
    bool over = false;
    for (u32 shift = 0; shift < 24 && !over; shift += 8) {
      u32 v = ((d >> shift) & 0xFF) + ((s >> shift) & 0xFF);
      over = v > 255;
      out |= v << shift;
    }
    if (!over) destination[i] = out;
  }
}

void Vbe_Or_Buffer(u32* destination, const u32* source) {
  if (!source || !destination) return;
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] |= source[i];
}

void Vbe_Copy_Buffer(u32* destination, const u32* source) {
  if (!source || !destination) return;
  memmove(destination, source, u64(Vbe_Pixels()) * 4);
}

void Vbe_Copy_Buffer_Trans(u32* destination, const u32* source) {
  if (!source || !destination) return;
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++)
    if (source[i]) destination[i] = source[i];
}

void Vbe_Average_Buffer(u32* destination, const u32* other) {
  if (!destination || !other) return;
  Vbe_Average_Loop(destination, const_cast<u32*>(other), Vbe_Pixels(), 0);
}

void Vbe_Trail(u32* destination, u32* other) {
  if (!destination || !other) return;
  Vbe_Average_Loop(destination, other, Vbe_Pixels(), 1);
}

void Vbe_Trail_Half(u32* destination, u32* other) {
  if (!destination || !other) return;
  Vbe_Average_Loop(destination, other, Vbe_Pixels(), 2);
}

void Vbe_Average_Buffer_Plain(u32* destination, const u32* other) {
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) destination[i] = Vbe_Average(destination[i], other[i]);
}

void Vbe_Trail_Plain(u32* destination, u32* other) {
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++) {
    u32 old = destination[i];
    destination[i] = Vbe_Average(old, other[i]);
    other[i] = old;
  }
}

void Vbe_Mask(const u8* mask, u32* buffer, u8 threshold) {
  if (!mask || !buffer) return;
  u32 n = Vbe_Pixels();
  for (u32 i = 0; i < n; i++)
    if (mask[i] >= threshold) buffer[i] = 0;
}

void Vbe_Mask_Copy(const u8* mask, const u32* source, u8 threshold) {
  if (!mask || !source) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) {
    if (mask[i] >= threshold) p = source[i];
  });
}

void Vbe_Clear_Channel(void) {
  vbe_channel_counter = (vbe_channel_counter + 1) & 3;
  u32 shift = ((vbe_channel_counter + 1) & 3) * 8;
  u32 keep = ~(0xFFu << shift);
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) { p &= keep; });
}

void Vbe_Darken_Channel(i32 level) {
  vbe_channel_counter = (vbe_channel_counter + 1) & 3;
  u32 shift = ((vbe_channel_counter + 1) & 3) * 8;
  u32 v = Vbe_Level(level);
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32) {
    u32 c = (p >> shift) & 0xFF;
    c = c > v ? c - v : 0;
    p = (p & ~(0xFFu << shift)) | (c << shift);
  });
}

void Vbe_Swap_Channel(u32* buffer, u32 pixel_count, u8 byte_a, u8 byte_b) {
  // Byte positions outside a pixel would reach into its neighbours.
  if (!buffer || byte_a > 3 || byte_b > 3) return;
  for (u32 i = 0; i < pixel_count; i++) {
    u8* p = reinterpret_cast<u8*>(buffer + i);
    u8 t = p[byte_a];
    p[byte_a] = p[byte_b];
    p[byte_b] = t;
  }
}

void Vbe_Remap(u32* destination, const u32* source) {
  if (!destination || !source) return;
  const u32* rows = Vbe_Zoom_Row_Table();
  const u32* columns = Vbe_Zoom_Column_Table();
  u32 height = vbe_screen.height < Vbe_Zoom_Rows() ? vbe_screen.height : Vbe_Zoom_Rows();
  u32 width = vbe_screen.width < Vbe_Zoom_Columns() ? vbe_screen.width : Vbe_Zoom_Columns();
  for (u32 y = 0; y < height; y++)
    for (u32 x = 0; x < width; x++) destination[y * vbe_screen.width + x] = source[rows[y] + columns[x]];
}

u32 Vbe_Add_Colour_Pixel(u32 pixel, u32 colour) { return Vbe_Sat_Add(pixel, colour); }

// ---- palette expansions -------------------------------------------------------------------------

void Vbe_Expand_8(const u8* source, const u32* palette) {
  if (!source || !palette) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) { p = palette[source[i]]; });
}

void Vbe_Expand_8_Add(const u8* source, const u32* palette) {
  if (!source || !palette) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) { p += palette[source[i]]; });
}

void Vbe_Expand_8_Add_Const(const u8* source, const u32* palette, u32 constant) {
  if (!source || !palette) return;
  Vbe_Each(Vbe_Pixels(), [&](u32& p, u32 i) { p += palette[source[i]] + constant; });
}

namespace {
// A 160-pixel-wide image doubled into 2 x 2 blocks at a fixed 320-pixel pitch; the rows are cut to
// what the frame holds, so a frame narrower than 320 pixels is never overrun.
template <class Op>
void Vbe_Expand_Double(const u8* source, const u32* palette, Op op) {
  if (!source || !palette || !vbe_screen.frame) return;
  u32 rows = vbe_screen.height / 2;
  u32 room = Vbe_Pixels() / 640;
  if (rows > room) rows = room;
  u32* d = vbe_screen.frame;
  for (u32 r = 0; r < rows; r++) {
    for (u32 i = 0; i < 160; i++) {
      u32 c = palette[source[i]];
      op(d[2 * i], c);
      op(d[2 * i + 1], c);
      op(d[320 + 2 * i], c);
      op(d[320 + 2 * i + 1], c);
    }
    source += 160;
    d += 640;
  }
}
}  // namespace

void Vbe_Expand_8_Double(const u8* source, const u32* palette) {
  Vbe_Expand_Double(source, palette, [](u32& d, u32 c) { d = c; });
}

void Vbe_Expand_8_Double_Add(const u8* source, const u32* palette) {
  Vbe_Expand_Double(source, palette, [](u32& d, u32 c) { d += c; });
}

// ---- sprites ------------------------------------------------------------------------------------

void Vbe_Sprite(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) { d = s; });
}

void Vbe_Sprite_Trans(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) {
    if (s) d = s;
  });
}

void Vbe_Sprite_Add(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) { d += s; });
}

void Vbe_Sprite_Sat_Plain(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) { d = Vbe_Sat_Add(d, s); });
}

void Vbe_Sprite_Sat(i32 x, i32 y, const cbitmap* picture) {
#if defined(__SSE2__)
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  Vbe_Sprite_Vec(
      x, y, picture, [](u32& d, u32 s) { d = Vbe_Sat_Add(d, s); },
      [colour](__m128i d, __m128i s) { return _mm_adds_epu8(d, _mm_and_si128(s, colour)); });
#else
  Vbe_Sprite_Sat_Plain(x, y, picture);
#endif
}

void Vbe_Sprite_Brighten(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) { d = Vbe_Sat_Add(s, c); });
}

void Vbe_Sprite_Darken(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) { d = Vbe_Sat_Sub(s, c); });
}

void Vbe_Sprite_Darken_Trans(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) {
    u32 t = Vbe_Sat_Sub(s, c);
    if (t) d = t;
  });
}

void Vbe_Sprite_Darken_Add(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) { d += Vbe_Sat_Sub(s, c); });
}

void Vbe_Sprite_Darken_Sat_Plain(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) { d = Vbe_Sat_Add(Vbe_Sat_Sub(s, c), d); });
}

// The darkened picture keeps its spare byte: the level word and the target's spare byte are not added.
void Vbe_Sprite_Darken_Sat(i32 x, i32 y, const cbitmap* picture, i32 level) {
#if defined(__SSE2__)
  const u32 c = Vbe_Level_Word(level);
  const __m128i level_word = _mm_set1_epi32(i32(c)), colour = _mm_set1_epi32(0x00FFFFFF);
  Vbe_Sprite_Vec(
      x, y, picture, [c](u32& d, u32 s) { d = Vbe_Sat_Add(Vbe_Sat_Sub(s, c), d); },
      [level_word, colour](__m128i d, __m128i s) {
        return _mm_adds_epu8(_mm_subs_epu8(s, level_word), _mm_and_si128(d, colour));
      });
#else
  Vbe_Sprite_Darken_Sat_Plain(x, y, picture, level);
#endif
}

void Vbe_Sprite_Darken_Sub_Add(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) {
    u32 t = Vbe_Sat_Sub(s, c);
    d = t + Vbe_Sat_Sub(d, Vbe_Blue_Word(t));
  });
}

void Vbe_Sprite_Half_Add(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) { d = Vbe_Half(d) + s; });
}

void Vbe_Sprite_Quarter_Sat(i32 x, i32 y, const cbitmap* picture) {
  Vbe_Sprite_Op(x, y, picture, [](u32& d, u32 s) {
    if (s) d = Vbe_Sat_Add(Vbe_Quarter(d), Vbe_Blue_Word(s));
  });
}

void Vbe_Sprite_Darken_Half_Sat(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) {
    d = Vbe_Sat_Add(Vbe_Sat_Sub(s, c), Vbe_Blue_Word(Vbe_Half(d)));
  });
}

void Vbe_Sprite_Darken_Half_Sub_Add(i32 x, i32 y, const cbitmap* picture, i32 level) {
  u32 c = Vbe_Level_Word(level);
  Vbe_Sprite_Op(x, y, picture, [c](u32& d, u32 s) {
    u32 t = Vbe_Sat_Sub(s, c);
    d = t + Vbe_Sat_Sub(Vbe_Half(d), Vbe_Blue_Word(t));
  });
}

void Vbe_Grab_Sprite(i32 x, i32 y, cbitmap* picture) {
  if (!picture || !vbe_screen.frame) return;
  // The same clipping with the roles reversed: the frame rectangle is copied into the picture.
  Vbe_Clip_Blit(x, y, picture->width, picture->height, Vbe_Bitmap_Pixels(picture), vbe_screen.frame,
                vbe_screen.width, vbe_screen.width, vbe_screen.height, [](u32& d, u32& s) { s = d; });
}

void Vbe_Sprite_8(i32 x, i32 y, const cbitmap* picture, const u32* palette) {
  if (!palette) return;
  Vbe_Sprite_8_Op(x, y, picture, [palette](u32& d, u8 s) { d = palette[s]; });
}

void Vbe_Sprite_8_Trans(i32 x, i32 y, const cbitmap* picture, const u32* palette) {
  if (!palette) return;
  Vbe_Sprite_8_Op(x, y, picture, [palette](u32& d, u8 s) {
    if (s) d = palette[s];
  });
}

void Vbe_Sprite_To_Texture(i32 x, i32 y, const cbitmap* picture, u32* texture) {
  if (!picture) return;
  Vbe_Clip_Blit(x, y, picture->width, picture->height, Vbe_Bitmap_Pixels(picture), texture, 256, 256, 256,
                [](u32& d, u32 s) { d = s; });
}

void Vbe_Sprite_To_Texture_Add(i32 x, i32 y, const cbitmap* picture, u32* texture) {
  if (!picture) return;
  Vbe_Clip_Blit(x, y, picture->width, picture->height, Vbe_Bitmap_Pixels(picture), texture, 256, 256, 256,
                [](u32& d, u32 s) { d += s; });
}

void Vbe_Add_Rect_Sat(const u32* source, u32* destination, u32 w, u32 h) {
  if (!source || !destination) return;
  u32 pitch = vbe_screen.screen_pitch;
  // A rectangle that starts in the frame is cut at the frame's right and bottom edges.
  const u32* frame = vbe_screen.frame;
  if (frame && destination >= frame && destination < frame + Vbe_Pixels() && pitch) {
    u32 offset = u32(destination - frame);
    u32 column = offset % pitch;
    if (w > pitch - column) w = pitch - column;
    u32 rows = (Vbe_Pixels() - offset + pitch - 1) / pitch;
    if (h > rows) h = rows;
    if (h && offset + (h - 1) * pitch + w > Vbe_Pixels()) h--;
  }
  for (u32 row = 0; row < h; row++) {
    for (u32 i = 0; i < w; i++) destination[i] = Vbe_Sat_Add(destination[i], Vbe_Blue_Word(source[i]));
    source += pitch;
    destination += pitch;
  }
}
