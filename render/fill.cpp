// Edge walkers and span fillers: the plain per-pixel fillers and the fast ones that must match them.
#include "render/fill.h"

#include <algorithm>

#include "render/texture.h"
#include "runtime/math.h"
#include "runtime/mem.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Texel fetches by AVX2 gathers, chosen at run time. Not on Windows, whose compilers do not align the
// stack for 32-byte values.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define FILL_AVX2 1
#include <immintrin.h>
#else
#define FILL_AVX2 0
#endif

namespace {
u64 fill_divisions = 0;
PolyFillKind fill_last = POLY_FILL_KINDS;  // the last filler entered; KINDS: none since the last forget

enum WalkKind { WALK_X, WALK_UV, WALK_UVST };

// An edge's steps per line: from the division table when one has been built and holds the
// difference (taken as a signed 16-bit value), else by dividing.
i32 Edge_Step(i32 difference, i32 lines) {
  i32 q;
  if (Math_Div_Lookup(lines, i16(difference), &q)) return q;
  return i32(i64(difference) * kFix16One / lines);
}

i32 Texture_Step(i32 difference, i32 lines) {
  i32 q;
  if (Math_Div_Lookup(lines, i16(difference), &q)) return Fix16_To_Fix8(q);
  return difference * kFix8One / lines;
}

// Writes one edge into the raster array: lines top.y .. bottom.y - 1, into xa until a line's xa is taken,
// then into xb for the rest of the edge. Lines outside the raster array are stepped over, not written.
template <WalkKind K>
void Walk(const PolyVertex& a, const PolyVertex& b) {
  PolyState& st = poly_state;
  const PolyVertex* top = &a;
  const PolyVertex* bottom = &b;
  if (a.slot[POLY_Y] > b.slot[POLY_Y]) std::swap(top, bottom);
  const i32 ty = top->slot[POLY_Y], by = bottom->slot[POLY_Y];
  if (ty < st.min_y) st.min_y = ty;
  if (by > st.max_y) st.max_y = by;
  const i32 h = by - ty;
  if (h == 0) {
    st.edge_count--;
    return;
  }
  const u32 x_step = u32(Edge_Step(bottom->slot[POLY_X] - top->slot[POLY_X], h));
  u32 x = Fix16_From_Int(top->slot[POLY_X]);
  u32 uv = 0, uv_step = 0, st_pair = 0, st_step = 0;
  if constexpr (K != WALK_X) {
    i32 du = Texture_Step(bottom->slot[POLY_U] - top->slot[POLY_U], h);
    i32 dv = Texture_Step(bottom->slot[POLY_V] - top->slot[POLY_V], h);
    uv_step = Fix_Pack(u32(du), u32(dv));
    uv = Fix_Pack(Fix8_From_Int(u32(top->slot[POLY_U])), Fix8_From_Int(u32(top->slot[POLY_V]) & 0xFF));
  }
  if constexpr (K == WALK_UVST) {
    i32 ds = Texture_Step(bottom->slot[POLY_S] - top->slot[POLY_S], h);
    i32 dt = Texture_Step(bottom->slot[POLY_T] - top->slot[POLY_T], h);
    st_step = Fix_Pack(u32(ds), u32(dt));
    // Unlike v, t is not masked: bits of t above its low byte run on into s's half.
    st_pair = Fix16_From_Int(i32(Fix8_From_Int(u32(top->slot[POLY_S])))) | Fix8_From_Int(u32(top->slot[POLY_T]));
  }
  i32 y = ty;
  if (y < 0) {
    // Lines above the array: step the edge down to line 0.
    u32 skip = u32(-i64(y) < h ? -y : h);
    x += x_step * skip;
    uv += uv_step * skip;
    st_pair += st_step * skip;
    y += i32(skip);
  }
  const i32 end = std::min(by, i32(kPolyRasterLines));
  if (!st.raster) return;
  PolyRasterLine* line = st.raster + y;
  for (; y < end && line->xa == kPolyEmpty; y++, line++) {
    line->xa = i32(x);
    if constexpr (K != WALK_X) line->uva = uv;
    if constexpr (K == WALK_UVST) line->sta = st_pair;
    x += x_step;
    uv += uv_step;
    st_pair += st_step;
  }
  for (; y < end; y++, line++) {
    line->xb = i32(x);
    if constexpr (K != WALK_X) line->uvb = uv;
    if constexpr (K == WALK_UVST) line->stb = st_pair;
    x += x_step;
    uv += uv_step;
    st_pair += st_step;
  }
}

WalkKind Walk_Of(PolyFillKind kind) {
  switch (kind) {
    case POLY_FILL_FLAT:
    case POLY_FILL_PERSP:
    case POLY_FILL_PERSP_ADD:
      return WALK_X;
    case POLY_FILL_TEX:
    case POLY_FILL_TEX_ADD:
    case POLY_FILL_TEX_OR:
    case POLY_FILL_TEX_SAT:
    case POLY_FILL_TEX_TRANS:
      return WALK_UV;
    default:
      return WALK_UVST;
  }
}

// Resets the extent, walks every edge of the list and says whether any line is left to fill.
bool Walk_All(const PolyVertex* list, WalkKind kind) {
  PolyState& st = poly_state;
  if (st.vertex_count <= 0) return false;
  st.min_y = 32767;
  st.max_y = -32768;
  st.edge_count = u8(st.vertex_count);
  for (i32 i = 0; st.vertex_count > 0; i++, st.vertex_count--) {
    if (kind == WALK_X)
      Walk<WALK_X>(list[i], list[i + 1]);
    else if (kind == WALK_UV)
      Walk<WALK_UV>(list[i], list[i + 1]);
    else
      Walk<WALK_UVST>(list[i], list[i + 1]);
  }
  return st.raster && st.edge_count != 0 && st.max_y - st.min_y > 0;
}

// What a span needs: where it starts, its full width (the steps use it) and the pixels to draw.
struct Span {
  u32* pixels;
  i32 x, y;
  i32 width;
  i32 count;
  u32 uvl, uvr, stl, str;
};

// Drains the raster array line by line. Lines whose first edge never arrived (shapes with two tops or two
// bottoms) are left empty, and spans stop at the end of the target line, so a bad polygon stays inside the
// target; for any polygon drawn wholly inside the target this changes nothing.
template <class Draw>
void Fill_Lines(Draw draw) {
  PolyState& st = poly_state;
  const i32 y0 = std::max(st.min_y, 0);
  const i32 y1 = std::min(st.max_y, i32(kPolyRasterLines));
  const i32 line_pixels = st.pitch / 4;
  const i32 drawn_lines = st.target_lines > 0 ? std::min(y1, st.target_lines) : y1;
  u8* row = nullptr;
  if (st.target && y0 < drawn_lines) row = st.target + (st.line_table ? st.line_table[y0] : u32(y0) * u32(st.pitch));
  for (i32 y = y0; y < y1; y++) {
    PolyRasterLine& line = st.raster[y];
    const i32 xa = line.xa;
    line.xa = kPolyEmpty;
    if (xa == kPolyEmpty || !row || y >= drawn_lines) continue;
    i32 l = i32(Fix16_Whole(u32(xa))), r = i32(Fix16_Whole(u32(line.xb)));
    u32 uvl = line.uva, uvr = line.uvb, stl = line.sta, str = line.stb;
    if (l > r) {
      std::swap(l, r);
      std::swap(uvl, uvr);
      std::swap(stl, str);
    }
    const i32 w = r - l;
    const i32 n = std::min(r, line_pixels) - l;
    if (w > 0 && n > 0) {
      u32* pixels = reinterpret_cast<u32*>(row + i64(y - y0) * st.pitch) + l;
      draw(Span{pixels, l, y, w, n, uvl, uvr, stl, str});
    }
  }
}

// Packed accumulator (first coordinate high, second low, 8.8 each) to a texel index: row high, column low.
inline u32 Index(u32 acc) { return ((acc >> kFix16Bits) & 0xFF00u) | ((acc >> kFix8Bits) & 0xFFu); }

// The accumulator and step of an affine span from the packed end pairs: (second << 16) | first.
inline void Affine_Setup(u32 left, u32 right, i32 w, u32* acc, u32* step) {
  const u32 ul = Fix_High(left), vl = Fix_Low(left), ur = Fix_High(right), vr = Fix_Low(right);
  const i16 du = i16((i32(ur) - i32(ul)) / w);
  const i16 dv = i16((i32(vr) - i32(vl)) / w);
  *acc = Fix_Pack(vl, ul);
  *step = Fix_Pack(u32(u16(dv)), u16(du));
}

inline u32 Sat_Plain(u32 p, u32 t) {
  u32 out = p & 0xFF000000u;
  for (u32 shift = 0; shift < 24; shift += 8) {
    u32 sum = ((p >> shift) & 0xFF) + ((t >> shift) & 0xFF);
    out |= std::min(sum, 255u) << shift;
  }
  return out;
}

// The same, all three bytes at once: sums without the top bits, then the bytes that carried set to 255.
inline u32 Sat_Fast(u32 p, u32 t) {
  const u32 a = p & 0xFFFFFF, b = t & 0xFFFFFF;
  const u32 sum = (a & 0x7F7F7F) + (b & 0x7F7F7F);
  const u32 high = (a ^ b) & 0x808080;
  const u32 carry = ((a & b) | (high & sum)) & 0x808080;
  return (p & 0xFF000000u) | (sum ^ high) | ((carry >> 7) * 0xFF);
}

u32 Pixel_Plain(PolyFillKind kind, u32 p, u32 i1, u32 i2) {
  const PolyState& st = poly_state;
  const u32* m1 = st.map1;
  const u32* m2 = st.map2;
  switch (kind) {
    case POLY_FILL_FLAT:
      return st.colour;
    case POLY_FILL_TEX:
    case POLY_FILL_PERSP:
      return m1[i1];
    case POLY_FILL_TEX_ADD:
    case POLY_FILL_PERSP_ADD:
      return p + m1[i1];
    case POLY_FILL_TEX_OR:
      return p | m1[i1];
    case POLY_FILL_TEX_SAT:
      return Sat_Plain(p, m1[i1]);
    case POLY_FILL_TEX_TRANS:
      return m1[i1] != 0 ? m1[i1] : p;
    case POLY_FILL_TWO_TEX:
      return m1[i1] + m2[i2];
    case POLY_FILL_TWO_TEX_ADD:
      return p + m1[i1] + m2[i2];
    case POLY_FILL_OFFSET_TEX: {
      const u32 a = m1[i2];
      return a + m2[(i1 + (a & 0xFFFF)) & 0xFFFF];
    }
    case POLY_FILL_SHADE_TABLE:
      return m2[(i1 + m1[i2]) & 0xFFFF];
    case POLY_FILL_BUMP_TEX: {
      const PolyBumpTexel& t = reinterpret_cast<const PolyBumpTexel*>(m1)[i2];
      return t.colour + m2[(i1 + u32(t.offset)) & 0xFFFF];
    }
    default:
      return p;
  }
}

template <PolyFillKind K>
inline u32 Pixel_Fast(u32 p, u32 i1, u32 i2, const u32* m1, const u32* m2) {
  if constexpr (K == POLY_FILL_TEX || K == POLY_FILL_PERSP) return m1[i1];
  if constexpr (K == POLY_FILL_TEX_ADD || K == POLY_FILL_PERSP_ADD) return p + m1[i1];
  if constexpr (K == POLY_FILL_TEX_OR) return p | m1[i1];
  if constexpr (K == POLY_FILL_TEX_SAT) return Sat_Fast(p, m1[i1]);
  if constexpr (K == POLY_FILL_TEX_TRANS) return m1[i1] ? m1[i1] : p;
  if constexpr (K == POLY_FILL_TWO_TEX) return m1[i1] + m2[i2];
  if constexpr (K == POLY_FILL_TWO_TEX_ADD) return p + m1[i1] + m2[i2];
  if constexpr (K == POLY_FILL_OFFSET_TEX) {
    const u32 a = m1[i2];
    return a + m2[(i1 + a) & 0xFFFF];
  }
  if constexpr (K == POLY_FILL_SHADE_TABLE) return m2[(i1 + m1[i2]) & 0xFFFF];
  if constexpr (K == POLY_FILL_BUMP_TEX) {
    const PolyBumpTexel& t = reinterpret_cast<const PolyBumpTexel*>(m1)[i2];
    return t.colour + m2[(i1 + u32(t.offset)) & 0xFFFF];
  }
  return p;
}

constexpr bool Two_Maps(PolyFillKind k) { return k >= POLY_FILL_TWO_TEX && k <= POLY_FILL_BUMP_TEX; }

// n pixels from one or two accumulators, four at a time with the accumulators of pixels i .. i + 3
// taken as acc + i x step (the same 32-bit sums the one-by-one walk makes).
#if defined(__SSE2__)
// The saturating span four pixels a round: the texels' top bytes are cleared so that the bytewise
// saturating add keeps the target's top byte, as Sat_Plain does.
inline i32 Span_Sat_Sse2(u32* d, i32 n, u32* acc, u32 step) {
  const u32* m1 = poly_state.map1;
  const __m128i low_bytes = _mm_set1_epi32(0xFFFFFF);
  const u32 step4 = step * 4;
  u32 a = *acc;
  i32 i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i t0 = _mm_cvtsi32_si128(i32(m1[Index(a)]));
    const __m128i t1 = _mm_cvtsi32_si128(i32(m1[Index(a + step)]));
    const __m128i t2 = _mm_cvtsi32_si128(i32(m1[Index(a + step * 2)]));
    const __m128i t3 = _mm_cvtsi32_si128(i32(m1[Index(a + step * 3)]));
    const __m128i t = _mm_unpacklo_epi64(_mm_unpacklo_epi32(t0, t1), _mm_unpacklo_epi32(t2, t3));
    __m128i* p = reinterpret_cast<__m128i*>(d + i);
    _mm_storeu_si128(p, _mm_adds_epu8(_mm_loadu_si128(p), _mm_and_si128(t, low_bytes)));
    a += step4;
  }
  *acc = a;
  return i;
}
#endif

#if FILL_AVX2
bool Fill_Has_Avx2(void) {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
const bool fill_avx2 = Fill_Has_Avx2();

// The copying and the saturating spans eight pixels a round: the accumulators acc + i x step, their
// texel indices (row high, column low, as Index) and one gather of the texels. Returns the pixels done.
template <PolyFillKind K>
__attribute__((target("avx2"))) i32 Span_Gather_Avx2(u32* d, i32 n, u32* acc, u32 step) {
  if (n < 8) return 0;
  const int* m1 = reinterpret_cast<const int*>(poly_state.map1);
  const u32 a0 = *acc;
  const __m256i step8 = _mm256_set1_epi32(i32(step * 8));
  const __m256i row_mask = _mm256_set1_epi32(0xFF00), column_mask = _mm256_set1_epi32(0xFF);
  const __m256i low_bytes = _mm256_set1_epi32(0xFFFFFF);
  __m256i a = _mm256_setr_epi32(i32(a0), i32(a0 + step), i32(a0 + step * 2), i32(a0 + step * 3),
                                i32(a0 + step * 4), i32(a0 + step * 5), i32(a0 + step * 6), i32(a0 + step * 7));
  i32 i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i index = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(a, 16), row_mask),
                                          _mm256_and_si256(_mm256_srli_epi32(a, 8), column_mask));
    __m256i t = _mm256_i32gather_epi32(m1, index, 4);
    __m256i* p = reinterpret_cast<__m256i*>(d + i);
    if constexpr (K == POLY_FILL_TEX_SAT) t = _mm256_adds_epu8(_mm256_loadu_si256(p), _mm256_and_si256(t, low_bytes));
    _mm256_storeu_si256(p, t);
    a = _mm256_add_epi32(a, step8);
  }
  *acc += u32(i) * step;
  return i;
}
#endif

template <PolyFillKind K>
inline void Span_Fast(u32* d, i32 n, u32 acc, u32 step, u32 acc2, u32 step2) {
  const u32* m1 = poly_state.map1;
  const u32* m2 = poly_state.map2;
  i32 i = 0;
#if FILL_AVX2
  if constexpr (K == POLY_FILL_TEX || K == POLY_FILL_TEX_SAT)
    if (fill_avx2) i = Span_Gather_Avx2<K>(d, n, &acc, step);
#endif
#if defined(__SSE2__)
  if constexpr (K == POLY_FILL_TEX_SAT) i += Span_Sat_Sse2(d + i, n - i, &acc, step);
#endif
  const u32 step4 = step * 4, step4b = step2 * 4;
  for (; i + 4 <= n; i += 4) {
    const u32 a0 = acc, a1 = acc + step, a2 = acc + step * 2, a3 = acc + step * 3;
    u32 b0 = 0, b1 = 0, b2 = 0, b3 = 0;
    if constexpr (Two_Maps(K)) {
      b0 = acc2;
      b1 = acc2 + step2;
      b2 = acc2 + step2 * 2;
      b3 = acc2 + step2 * 3;
    }
    d[i] = Pixel_Fast<K>(d[i], Index(a0), Index(b0), m1, m2);
    d[i + 1] = Pixel_Fast<K>(d[i + 1], Index(a1), Index(b1), m1, m2);
    d[i + 2] = Pixel_Fast<K>(d[i + 2], Index(a2), Index(b2), m1, m2);
    d[i + 3] = Pixel_Fast<K>(d[i + 3], Index(a3), Index(b3), m1, m2);
    acc += step4;
    acc2 += step4b;
  }
  for (; i < n; i++) {
    d[i] = Pixel_Fast<K>(d[i], Index(acc), Index(acc2), m1, m2);
    acc += step;
    acc2 += step2;
  }
}

// Perspective span: exact coordinates every 16 pixels (one true division each), linear steps between.
// seg(pixels, count, acc, step) draws one segment.
template <bool Fast, class Segment>
void Persp_Span(const Span& s, Segment segment) {
  const auto round = Fast ? Poly_Float_Round_Fast : Poly_Float_Round;
  const PolyState& st = poly_state;
  const f32 dx = f32(s.x - st.centre_x), dy = f32(s.y - st.centre_y);
  f32 w = st.wa * dx + st.wb * dy + st.wc;
  f32 u = st.ua * dx + st.ub * dy + st.uc;
  f32 v = st.va * dx + st.vb * dy + st.vc;
  const f32 ua16 = 16.0f * st.ua, va16 = 16.0f * st.va, wa16 = 16.0f * st.wa;
  f32 r = 1.0f / w;
  u32 us = u32(round(65535.0f * r * u)) + u32(st.u_origin);
  u32 vs = u32(round(65535.0f * r * v)) + u32(st.v_origin);
  u += ua16;
  v += va16;
  w += wa16;
  r = 1.0f / w;
  fill_divisions += 2;
  i32 remaining = s.width;
  i32 drawn = 0;
  while (remaining > 0) {
    const u32 ue = u32(round(65535.0f * r * u)) + u32(st.u_origin);
    const u32 ve = u32(round(65535.0f * r * v)) + u32(st.v_origin);
    const i32 du = i32(ue - us) >> 4, dv = i32(ve - vs) >> 4;
    const i32 n = std::min(remaining, 16);
    u += ua16;
    v += va16;
    w += wa16;
    r = 1.0f / w;
    fill_divisions++;
    const u32 acc = Fix_Pack(u32(Fix16_To_Fix8(i32(us))), u32(Fix16_To_Fix8(i32(vs))));
    const u32 step = Fix_Pack(u32(Fix16_To_Fix8(du)), u32(Fix16_To_Fix8(dv)));
    const i32 visible = std::min(n, s.count - drawn);
    if (visible > 0) segment(s.pixels + drawn, visible, acc, step);
    drawn += n;
    remaining -= n;
    us = ue;
    vs = ve;
  }
}

void Fill_Plain(PolyFillKind kind, const PolyVertex* list) {
  fill_last = kind;
  if (!Walk_All(list, Walk_Of(kind))) return;
  if (kind == POLY_FILL_PERSP || kind == POLY_FILL_PERSP_ADD) {
    Fill_Lines([kind](const Span& s) {
      Persp_Span<false>(s, [kind](u32* d, i32 n, u32 acc, u32 step) {
        for (i32 i = 0; i < n; i++) {
          d[i] = Pixel_Plain(kind, d[i], Index(acc), 0);
          acc += step;
        }
      });
    });
    return;
  }
  Fill_Lines([kind](const Span& s) {
    u32 acc, step, acc2, step2;
    Affine_Setup(s.uvl, s.uvr, s.width, &acc, &step);
    Affine_Setup(s.stl, s.str, s.width, &acc2, &step2);
    for (i32 i = 0; i < s.count; i++) {
      s.pixels[i] = Pixel_Plain(kind, s.pixels[i], Index(acc), Index(acc2));
      acc += step;
      acc2 += step2;
    }
  });
}

template <PolyFillKind K>
void Fill_Fast(const PolyVertex* list) {
  fill_last = K;
  if constexpr (K == POLY_FILL_FLAT) {
    if (!Walk_All(list, WALK_X)) return;
    const u32 colour = poly_state.colour;
    Fill_Lines([colour](const Span& s) { Mem_Fill32(s.pixels, size_t(s.count), colour); });
  } else if constexpr (K == POLY_FILL_PERSP || K == POLY_FILL_PERSP_ADD) {
    if (!Walk_All(list, WALK_X)) return;
    Fill_Lines([](const Span& s) {
      Persp_Span<true>(s, [](u32* d, i32 n, u32 acc, u32 step) { Span_Fast<K>(d, n, acc, step, 0, 0); });
    });
  } else {
    if (!Walk_All(list, Two_Maps(K) ? WALK_UVST : WALK_UV)) return;
    Fill_Lines([](const Span& s) {
      u32 acc, step, acc2 = 0, step2 = 0;
      Affine_Setup(s.uvl, s.uvr, s.width, &acc, &step);
      if constexpr (Two_Maps(K)) Affine_Setup(s.stl, s.str, s.width, &acc2, &step2);
      Span_Fast<K>(s.pixels, s.count, acc, step, acc2, step2);
    });
  }
}
}  // namespace

void Poly_Walk_Edge(const PolyVertex& a, const PolyVertex& b) { Walk<WALK_X>(a, b); }
void Poly_Walk_Edge_Uv(const PolyVertex& a, const PolyVertex& b) { Walk<WALK_UV>(a, b); }
void Poly_Walk_Edge_Uvst(const PolyVertex& a, const PolyVertex& b) { Walk<WALK_UVST>(a, b); }

void Poly_Scan_Outline(const PolyVertex* list) { Walk_All(list, WALK_X); }

void Poly_Fill_Flat(const PolyVertex* list) { Fill_Fast<POLY_FILL_FLAT>(list); }
void Poly_Fill_Tex(const PolyVertex* list) { Fill_Fast<POLY_FILL_TEX>(list); }
void Poly_Fill_Tex_Add(const PolyVertex* list) { Fill_Fast<POLY_FILL_TEX_ADD>(list); }
void Poly_Fill_Tex_Or(const PolyVertex* list) { Fill_Fast<POLY_FILL_TEX_OR>(list); }
void Poly_Fill_Tex_Sat(const PolyVertex* list) { Fill_Fast<POLY_FILL_TEX_SAT>(list); }
void Poly_Fill_Tex_Trans(const PolyVertex* list) { Fill_Fast<POLY_FILL_TEX_TRANS>(list); }
void Poly_Fill_Two_Tex(const PolyVertex* list) { Fill_Fast<POLY_FILL_TWO_TEX>(list); }
void Poly_Fill_Two_Tex_Add(const PolyVertex* list) { Fill_Fast<POLY_FILL_TWO_TEX_ADD>(list); }
void Poly_Fill_Offset_Tex(const PolyVertex* list) { Fill_Fast<POLY_FILL_OFFSET_TEX>(list); }
void Poly_Fill_Shade_Table(const PolyVertex* list) { Fill_Fast<POLY_FILL_SHADE_TABLE>(list); }
void Poly_Fill_Bump_Tex(const PolyVertex* list) { Fill_Fast<POLY_FILL_BUMP_TEX>(list); }
void Poly_Fill_Persp(const PolyVertex* list) { Fill_Fast<POLY_FILL_PERSP>(list); }
void Poly_Fill_Persp_Add(const PolyVertex* list) { Fill_Fast<POLY_FILL_PERSP_ADD>(list); }

void Poly_Fill_Plain(PolyFillKind kind, const PolyVertex* list) { Fill_Plain(kind, list); }

void Poly_Fill(PolyFillKind kind, const PolyVertex* list) {
  typedef void (*Filler)(const PolyVertex*);
  static const Filler fillers[POLY_FILL_KINDS] = {
      Poly_Fill_Flat,     Poly_Fill_Tex,          Poly_Fill_Tex_Add,    Poly_Fill_Tex_Or,
      Poly_Fill_Tex_Sat,  Poly_Fill_Tex_Trans,    Poly_Fill_Two_Tex,    Poly_Fill_Two_Tex_Add,
      Poly_Fill_Offset_Tex, Poly_Fill_Shade_Table, Poly_Fill_Bump_Tex, Poly_Fill_Persp,
      Poly_Fill_Persp_Add};
  if (kind < POLY_FILL_KINDS) fillers[kind](list);
}

i32 Poly_Fill_Slots(PolyFillKind kind) {
  WalkKind w = Walk_Of(kind);
  return w == WALK_X ? 2 : (w == WALK_UV ? 4 : 6);
}

u64 Poly_Get_Divisions(void) { return fill_divisions; }
PolyFillKind Poly_Get_Last_Fill(void) { return fill_last; }
void Poly_Forget_Last_Fill(void) { fill_last = POLY_FILL_KINDS; }
