// Edge walkers and span fillers: write a polygon's edges into the raster array and fill its lines.
#pragma once
#include "render/poly.h"

void Poly_Walk_Edge(const PolyVertex& a, const PolyVertex& b);
void Poly_Walk_Edge_Uv(const PolyVertex& a, const PolyVertex& b);
void Poly_Walk_Edge_Uvst(const PolyVertex& a, const PolyVertex& b);
void Poly_Scan_Outline(const PolyVertex* list);

// The fillers: each walks every edge of the list (poly_state.vertex_count vertices) and fills its lines.
void Poly_Fill_Flat(const PolyVertex* list);
void Poly_Fill_Tex(const PolyVertex* list);
void Poly_Fill_Tex_Add(const PolyVertex* list);
void Poly_Fill_Tex_Or(const PolyVertex* list);
void Poly_Fill_Tex_Sat(const PolyVertex* list);
void Poly_Fill_Tex_Trans(const PolyVertex* list);
void Poly_Fill_Two_Tex(const PolyVertex* list);
void Poly_Fill_Two_Tex_Add(const PolyVertex* list);
void Poly_Fill_Offset_Tex(const PolyVertex* list);
void Poly_Fill_Shade_Table(const PolyVertex* list);
void Poly_Fill_Bump_Tex(const PolyVertex* list);
void Poly_Fill_Persp(const PolyVertex* list);
void Poly_Fill_Persp_Add(const PolyVertex* list);

// The same fillers written the plain way, one pixel at a time: the reference the fast ones must match.
enum PolyFillKind : u8 {
  POLY_FILL_FLAT,
  POLY_FILL_TEX,
  POLY_FILL_TEX_ADD,
  POLY_FILL_TEX_OR,
  POLY_FILL_TEX_SAT,
  POLY_FILL_TEX_TRANS,
  POLY_FILL_TWO_TEX,
  POLY_FILL_TWO_TEX_ADD,
  POLY_FILL_OFFSET_TEX,
  POLY_FILL_SHADE_TABLE,
  POLY_FILL_BUMP_TEX,
  POLY_FILL_PERSP,
  POLY_FILL_PERSP_ADD,
  POLY_FILL_KINDS
};
void Poly_Fill_Plain(PolyFillKind kind, const PolyVertex* list);
// The fast filler of a kind, for tests and benchmarks that run every kind.
void Poly_Fill(PolyFillKind kind, const PolyVertex* list);
// Number of slots a kind's walker reads (2, 4 or 6).
i32 Poly_Fill_Slots(PolyFillKind kind);
// True divisions the perspective fillers have made since start (for tests).
u64 Poly_Get_Divisions(void);
// The filler last entered, drawing or not (for tests); POLY_FILL_KINDS when none since the last forget.
PolyFillKind Poly_Get_Last_Fill(void);
void Poly_Forget_Last_Fill(void);
