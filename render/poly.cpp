// Polygon set-up, clipping and the raster array: state, start-up, bisection clippers, near clip, gradients.
#include "render/poly.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/fill.h"
#include "render/texture.h"
#include "runtime/mem.h"
#include "video/vbe.h"

PolyVertexList poly_lists;
PolyState poly_state = {
    4, 0, 0, 0, 0, 319, 199, 1280, 100.0f, 256.0f, 256.0f, 0.0f, 0.0f, 0, 0, 0, 0, 15, nullptr, nullptr, nullptr,
    0, 0, 1, nullptr, 32767, -32768, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 400};

namespace {
// The exact mapping draws into the engine frame buffer with lines this many pixels apart, whatever the mode.
const i32 kExactLinePixels = 1280 / 4;
// The aligned line count: the larger frame side plus this margin; this side before a mode is set.
const i32 kAlignedLineMargin = 5;
const i32 kAlignedDefaultWidth = 320;
// Scratch records of the edge clippers: three for the lower bound, three for the upper bound.
PolyVertex clip_low[3];
PolyVertex clip_high[3];

void Copy_Slots(const PolyVertex& from, PolyVertex& to, i32 n) {
  for (i32 k = 0; k < n; k++) to.slot[k] = from.slot[k];
}

// Bisects between l (slot c below bound) and h (slot c above bound) until a midpoint lands on bound.
// The records rotate through the three scratch records; the midpoint is summed in 64 bits so far-off
// ends cannot overflow.
PolyVertex* Bisect(PolyVertex* scratch, const PolyVertex& low, const PolyVertex& high, i32 c, i32 bound, i32 n,
                   bool result_high_when_equal) {
  PolyVertex* l = &scratch[0];
  PolyVertex* h = &scratch[1];
  PolyVertex* m = &scratch[2];
  Copy_Slots(low, *l, n);
  Copy_Slots(high, *h, n);
  if (result_high_when_equal && h->slot[c] == bound) return h;
  if (!result_high_when_equal && l->slot[c] == bound) return l;
  for (;;) {
    for (i32 k = 0; k < n; k++) m->slot[k] = i32((i64(l->slot[k]) + i64(h->slot[k])) >> 1);
    i32 y = m->slot[c];
    if (y == bound) return m;
    PolyVertex* freed;
    if (y < bound) {
      freed = l;
      l = m;
    } else {
      freed = h;
      h = m;
    }
    m = freed;
  }
}

// Clips one edge against [lo, hi] on slot c.
i32 Clip_Edge(PolyVertex** a, PolyVertex** b, i32 c, i32 lo, i32 hi) {
  poly_state.entry = 0;
  const i32 n = poly_state.n;
  bool top_is_a = (*a)->slot[c] < (*b)->slot[c];
  PolyVertex** top = top_is_a ? a : b;
  PolyVertex** bottom = top_is_a ? b : a;
  if ((*top)->slot[c] > hi || (*bottom)->slot[c] < lo) return 0;
  if ((*top)->slot[c] < lo) {
    *top = Bisect(clip_low, **top, **bottom, c, lo, n, true);
    if (top_is_a) poly_state.entry = 1;
  }
  if ((*bottom)->slot[c] <= hi) return 1;
  *bottom = Bisect(clip_high, **top, **bottom, c, hi, n, false);
  if (!top_is_a) poly_state.entry = 1;
  return 1;
}

typedef i32 (*EdgeClipper)(PolyVertex**, PolyVertex**);

void Clip_Polygon(PolyVertex* in, PolyVertex* out, EdgeClipper clip, i32 slots) {
  i32 count = 0;
  for (i32 i = 0; i < poly_state.vertex_count; i++) {
    PolyVertex* a = &in[i];
    PolyVertex* b = &in[i + 1];
    if (!clip(&a, &b)) continue;
    // Lists keep one record free for the closing copy; input that is not convex could otherwise overrun them.
    if (poly_state.entry && count < i32(kPolyListRecords) - 1) Copy_Slots(*a, out[count++], slots);
    if (count < i32(kPolyListRecords) - 1) Copy_Slots(*b, out[count++], slots);
  }
  if (count > 0) Copy_Slots(out[0], out[count], slots);
  poly_state.vertex_count = count;
}

const f32* Camera_Point(i32 index) {
  return reinterpret_cast<const f32*>(static_cast<const u8*>(poly_state.camera_points) + i64(index) * 16);
}
}  // namespace

i32 Poly_Float_To_Int(f32 v) {
  if (!(v > -2147483649.0f && v < 2147483648.0f)) return INT32_MIN;
  return i32(v);
}

i32 Poly_Float_Round(f32 v) {
  f32 r = std::nearbyint(v);
  if (!(r >= -2147483648.0f && r < 2147483648.0f)) return INT32_MIN;
  return i32(r);
}

void Poly_Fill_Dwords(void* destination, i32 n, u32 value) {
  u32* d = static_cast<u32*>(destination);
  for (i32 i = 0; i < n; i++) d[i] = value;
}

// Word by word from the lowest address up: a destination one word above the source repeats the first word.
void Poly_Copy_Dwords(const void* source, void* destination, i32 n) {
  const u32* s = static_cast<const u32*>(source);
  u32* d = static_cast<u32*>(destination);
  for (i32 i = 0; i < n; i++) d[i] = s[i];
}

void Poly_Clear_Raster(void) {
  if (poly_state.raster) Poly_Fill_Dwords(poly_state.raster, kPolyRasterBytes / 4, u32(kPolyEmpty));
  poly_state.min_y = 32767;
  poly_state.max_y = -32768;
}

void Poly_Reset(void) {
  Poly_Clear_Raster();
  poly_state.n = 4;
  Poly_Reset_Textures();
  poly_state.pitch = 1280;
  Poly_Set_Near(50.0f);
}

void Poly_Init(void) {
  if (poly_state.align_request) {
    // The aligned request only ever changed a line count nothing reads; the block keeps the default alignment.
    Mem_Set_Align_Mask(65535);
    const i32 side = vbe_screen.width ? std::max(i32(vbe_screen.width), i32(vbe_screen.height)) : kAlignedDefaultWidth;
    poly_state.line_count = side + kAlignedLineMargin;
    Mem_Reset_Align_Mask();
  }
  if (!poly_state.raster) {
    poly_state.raster = static_cast<PolyRasterLine*>(Mem_Alloc(kPolyRasterBytes));
    Mem_Set_Description(poly_state.raster, "Poly: ");
    Mem_Set_Description(poly_state.raster, "Raster array");
  }
  Poly_Reset();
}

void Poly_No_Align(void) { poly_state.align_request = 0; }

void Poly_Set_Clip(i32 xmin, i32 ymin, i32 xmax, i32 ymax) {
  poly_state.xmin = xmin;
  poly_state.ymin = ymin;
  poly_state.xmax = xmax;
  poly_state.ymax = ymax;
}
void Poly_Set_Pitch(i32 bytes) { poly_state.pitch = bytes; }
void Poly_Set_Near(f32 z) { poly_state.near_z = z; }
void Poly_Set_Texture_Scale(f32 s) { poly_state.su = poly_state.sv = s; }
void Poly_Set_Projection(f32 kx, f32 ky) {
  poly_state.kx = kx;
  poly_state.ky = ky;
}
void Poly_Set_Centre(i32 x, i32 y) {
  poly_state.centre_x = x;
  poly_state.centre_y = y;
}
void Poly_Set_Target(void* pixels, const u32* line_table, i32 lines) {
  poly_state.target = static_cast<u8*>(pixels);
  poly_state.line_table = line_table;
  poly_state.target_lines = lines;
}

i32 Poly_Clip_Edge_X(PolyVertex** a, PolyVertex** b) {
  return Clip_Edge(a, b, POLY_X, poly_state.xmin, poly_state.xmax);
}
i32 Poly_Clip_Edge_Y(PolyVertex** a, PolyVertex** b) {
  return Clip_Edge(a, b, POLY_Y, poly_state.ymin, poly_state.ymax);
}

i32 Poly_Clip_Edge_Z(PolyVertex** a, PolyVertex** b) {
  poly_state.entry = 0;
  const i32 c = poly_state.n;
  const i32 limit = poly_state.z_limit;
  bool near_is_a = (*a)->slot[c] < (*b)->slot[c];
  PolyVertex** near = near_is_a ? a : b;
  PolyVertex** far = near_is_a ? b : a;
  if ((*far)->slot[c] < limit) return 0;
  if ((*near)->slot[c] > limit) return 1;
  *near = Bisect(clip_low, **near, **far, c, limit, c + 1, true);
  if (near_is_a) poly_state.entry = 1;
  return 1;
}

void Poly_Clip_X(PolyVertex* in, PolyVertex* out) { Clip_Polygon(in, out, Poly_Clip_Edge_X, poly_state.n); }
void Poly_Clip_Y(PolyVertex* in, PolyVertex* out) { Clip_Polygon(in, out, Poly_Clip_Edge_Y, poly_state.n); }
void Poly_Clip_Z(PolyVertex* in, PolyVertex* out) { Clip_Polygon(in, out, Poly_Clip_Edge_Z, poly_state.n + 1); }

void Poly_Clip_Near(PolyVertex* in, PolyVertex* out) {
  const i32 n = poly_state.n;
  const f32 near_z = poly_state.near_z;
  const f32 inverse = 1.0f / near_z;
  i32 count = 0;
  for (i32 i = 0; i < poly_state.vertex_count && count < i32(kPolyListRecords) - 1; i++) {
    const f32* a = Camera_Point(in[i].slot[POLY_POINT]);
    const f32* b = Camera_Point(in[i + 1].slot[POLY_POINT]);
    if ((near_z - a[2]) * (near_z - b[2]) < 0.0f) {
      // The crossing is taken from the nearer end whichever way the edge is walked, so the two
      // polygons sharing an edge cut it at the very same point.
      const f32* from = a[2] < b[2] ? a : b;
      const f32* to = a[2] < b[2] ? b : a;
      f32 t = (near_z - from[2]) / (to[2] - from[2]);
      f32 cx = from[0] + (to[0] - from[0]) * t;
      f32 cy = from[1] + (to[1] - from[1]) * t;
      PolyVertex& r = out[count++];
      Copy_Slots(in[i + 1], r, n);
      r.slot[POLY_X] = Poly_Float_To_Int(poly_state.kx * cx * inverse) + poly_state.centre_x;
      r.slot[POLY_Y] = Poly_Float_To_Int(poly_state.ky * cy * inverse) + poly_state.centre_y;
      if (n > 2) r.slot[POLY_U] = r.slot[POLY_V] = 0;
    }
    if (b[2] > near_z && count < i32(kPolyListRecords) - 1) Copy_Slots(in[i + 1], out[count++], n);
  }
  if (count > 0) Copy_Slots(out[0], out[count], n);
  poly_state.vertex_count = count;
}

void Poly_Setup_Gradients(f32 su, f32 sv) {
  const PolyVertex* a = poly_lists.a;
  i32 last = poly_state.mapping_vertex_count - 1;
  if (last < 0) last = 0;
  const f32* p0 = Camera_Point(a[0].slot[POLY_S]);
  const f32* p1 = Camera_Point(a[1].slot[POLY_S]);
  const f32* pl = Camera_Point(a[last].slot[POLY_S]);
  const f32 kx = poly_state.kx, ky = poly_state.ky;
  const f32 ox = kx * p0[0], oy = ky * p0[1], oz = p0[2];
  const f32 ex = kx * (p1[0] - p0[0]), ey = ky * (p1[1] - p0[1]), ez = p1[2] - p0[2];
  const f32 fx = kx * (pl[0] - p0[0]), fy = ky * (pl[1] - p0[1]), fz = pl[2] - p0[2];
  poly_state.ua = su * (oy * fz - oz * fy);
  poly_state.ub = su * (oz * fx - ox * fz);
  poly_state.uc = su * (ox * fy - oy * fx);
  poly_state.va = sv * (ey * oz - ez * oy);
  poly_state.vb = sv * (ez * ox - ex * oz);
  poly_state.vc = sv * (ex * oy - ey * ox);
  poly_state.wa = fy * ez - fz * ey;
  poly_state.wb = fz * ex - fx * ez;
  poly_state.wc = fx * ey - fy * ex;
}

void Poly_Draw_Textured(PolyVertex* list) {
  Poly_Setup_Gradients(poly_state.su, poly_state.sv);
  Poly_Fill_Persp(list);
}

void Poly_Draw_Textured_Alt(PolyVertex* list) {
  Poly_Setup_Gradients(poly_state.su, poly_state.sv);
  Poly_Fill_Persp_Add(list);
}

void Poly_Draw_Textured_Exact(PolyVertex* list) {
  // The plane of the first, second and fourth mapping point, both scales 256.
  i32 saved = poly_state.mapping_vertex_count;
  poly_state.mapping_vertex_count = 4;
  Poly_Setup_Gradients(256.0f, 256.0f);
  poly_state.mapping_vertex_count = saved;
  Poly_Scan_Outline(list);
  PolyState& st = poly_state;
  if (!st.raster) return;
  u32* frame = vbe_screen.frame;
  const u64 frame_pixels = u64(vbe_screen.width) * vbe_screen.height;
  i32 y0 = st.min_y < 0 ? 0 : st.min_y;
  i32 y1 = st.max_y > i32(kPolyRasterLines) ? i32(kPolyRasterLines) : st.max_y;
  for (i32 y = y0; y < y1; y++) {
    PolyRasterLine& line = st.raster[y];
    i32 xa = line.xa;
    line.xa = kPolyEmpty;
    // A line no first edge reached belongs to a shape the outline cannot describe.
    if (xa == kPolyEmpty || !frame || !st.map1) continue;
    i32 l = u16(Fix16_Whole(u32(xa))), r = u16(Fix16_Whole(u32(line.xb)));
    if (l > r) std::swap(l, r);
    // Each span stays within its line and the frame buffer.
    const u64 first = u64(y) * kExactLinePixels;
    r = i32(std::min<u64>({u64(r), u64(kExactLinePixels), first < frame_pixels ? frame_pixels - first : 0}));
    u32* row = frame + first;
    f32 dy = f32(y - st.centre_y);
    for (i32 x = l; x < r; x++) {
      f32 dx = f32(x - st.centre_x);
      f32 w = st.wa * dx + st.wb * dy + st.wc;
      // One true division per pixel. The reciprocal and the products in double precision, rounded back to
      // single, give exactly the single-precision quotients u / w and v / w.
      const f64 reciprocal = 1.0 / f64(w);
      f32 u = f32(f64(st.ua * dx + st.ub * dy + st.uc) * reciprocal);
      f32 v = f32(f64(st.va * dx + st.vb * dy + st.vc) * reciprocal);
      // A degenerate plane gives the saturated word; summed without sign it wraps instead of overflowing.
      u32 tu = (u32(Poly_Float_To_Int(u)) + u32(st.u_origin >> kFix16Bits)) & 0xFF;
      u32 tv = (u32(Poly_Float_To_Int(v)) + u32(st.v_origin >> kFix16Bits)) & 0xFF;
      row[x] = st.map1[tu * 256 + tv];
    }
  }
}
