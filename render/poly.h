// Polygon set-up, clipping and the raster array: vertex lists, clippers, settings, perspective set-up.
#pragma once
#include "runtime/types.h"

#if defined(__SSE__) && (defined(__x86_64__) || defined(__i386__))
#include <xmmintrin.h>
#endif

// Slots of a vertex record.
enum PolySlot : u8 { POLY_X, POLY_Y, POLY_U, POLY_V, POLY_S, POLY_T, POLY_UNUSED, POLY_POINT };

// One polygon vertex: 8 signed 32-bit slots (x, y, u, v, s, t, -, own camera point).
struct PolyVertex {
  i32 slot[8];
};
static_assert(sizeof(PolyVertex) == 32);

// A vertex list holds a polygon as count + 1 records, the last repeating the first.
const u32 kPolyListRecords = 32;
struct PolyVertexList {
  PolyVertex a[kPolyListRecords];
  PolyVertex b[kPolyListRecords];
  PolyVertex c[kPolyListRecords];
  PolyVertex d[kPolyListRecords];
};
extern PolyVertexList poly_lists;

// One line of the raster array; xa = kPolyEmpty marks a line no edge has crossed yet.
struct PolyRasterLine {
  i32 xa, xb;    // 16.16
  u32 uva, uvb;  // u in the high half, v in the low half, each 8.8
  u32 sta, stb;  // the same for s and t
  u32 spare[2];
};
static_assert(sizeof(PolyRasterLine) == 32);

const i32 kPolyEmpty = i32(Fix16_From_Int(0x7FFF));
const u32 kPolyRasterLines = 1600;
const u32 kPolyRasterBytes = kPolyRasterLines * sizeof(PolyRasterLine);

// The rasterizer's settings, counters and filler inputs; callers set the fields they need before drawing.
struct PolyState {
  i32 n;                     // ints per vertex the clippers copy: 2, 4 or 6
  i32 vertex_count;          // vertices of the current polygon
  i32 mapping_vertex_count;  // vertices of list A before clipping (perspective set-up)
  i32 xmin, ymin, xmax, ymax;
  i32 pitch;  // bytes from one target line to the next
  f32 near_z;
  f32 su, sv;
  f32 kx, ky;
  i32 u_origin, v_origin;  // 16.16
  i32 centre_x, centre_y;  // projection centre
  i32 z_limit;             // near limit of the integer z clip
  const void* camera_points;  // 16-byte records starting with f32 x, y, z
  const u32* map1;
  const u32* map2;
  u32 colour;
  i32 entry;  // the edge clippers' out-value: 1 when the first end point was replaced
  u8 align_request;
  // The raster array and its extent.
  PolyRasterLine* raster;
  i32 min_y, max_y;
  u8 edge_count;
  // Raster target: pixels, the offset of each line (none: line x pitch) and its line count (0: no limit).
  u8* target;
  const u32* line_table;
  i32 target_lines;
  // Perspective gradients: value = a * dx + b * dy + c, dx and dy measured from the projection centre.
  f32 ua, ub, uc, va, vb, vc, wa, wb, wc;
  // Lines for an aligned raster array, worked out at start-up while alignment is requested; read by nothing.
  i32 line_count;
};
extern PolyState poly_state;

void Poly_Fill_Dwords(void* destination, i32 n, u32 value);
void Poly_Copy_Dwords(const void* source, void* destination, i32 n);
void Poly_Clear_Raster(void);
void Poly_Reset(void);
void Poly_Init(void);
void Poly_No_Align(void);
void Poly_Set_Clip(i32 xmin, i32 ymin, i32 xmax, i32 ymax);
void Poly_Set_Pitch(i32 bytes);
void Poly_Set_Near(f32 z);
void Poly_Set_Texture_Scale(f32 s);
void Poly_Set_Projection(f32 kx, f32 ky);
void Poly_Set_Centre(i32 x, i32 y);
// Where the fillers write: a 32-bit buffer, its line offsets (null: y x pitch) and its line count.
void Poly_Set_Target(void* pixels, const u32* line_table, i32 lines);

i32 Poly_Clip_Edge_X(PolyVertex** a, PolyVertex** b);
i32 Poly_Clip_Edge_Y(PolyVertex** a, PolyVertex** b);
i32 Poly_Clip_Edge_Z(PolyVertex** a, PolyVertex** b);
void Poly_Clip_X(PolyVertex* in, PolyVertex* out);
void Poly_Clip_Y(PolyVertex* in, PolyVertex* out);
void Poly_Clip_Z(PolyVertex* in, PolyVertex* out);
void Poly_Clip_Near(PolyVertex* in, PolyVertex* out);

// Computes the perspective gradients from the mapping points of list A.
void Poly_Setup_Gradients(f32 su, f32 sv);
void Poly_Draw_Textured(PolyVertex* list);
void Poly_Draw_Textured_Alt(PolyVertex* list);
void Poly_Draw_Textured_Exact(PolyVertex* list);

// Saturating conversions: NaN and values outside the 32-bit range give 0x80000000, as the hardware does.
i32 Poly_Float_To_Int(f32 v);    // truncating toward zero
i32 Poly_Float_Round(f32 v);     // to nearest, ties to even
// The same in one instruction where SSE is there (its out-of-range result is that same word).
inline i32 Poly_Float_Round_Fast(f32 v) {
#if defined(__SSE__) && (defined(__x86_64__) || defined(__i386__))
  return _mm_cvtss_si32(_mm_set_ss(v));
#else
  return Poly_Float_Round(v);
#endif
}
