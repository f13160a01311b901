// VR polygon drawing: the draw list and its key, the radix sort, the per-polygon fill choice, flares, angles.
#include "render/vrdraw.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/fill.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrtransform.h"
#include "video/font.h"
#include "runtime/dmath.h"

namespace {
VrDrawEntry vr_draw_list[kVrMaxDraw];
u32 vr_pre_list[kVrMaxDraw];  // slot 0 is never used
u32 vr_pre_count = 0;
VrDrawEntry* vr_heads_low[256];
VrDrawEntry* vr_heads_high[256];
VrFlare vr_flares[kVrMaxFlares];
u32 vr_flare_count = 0;
u32 vr_level_count = 0;
i32 vr_level_distance = 0;
const u32* vr_levels[kVrMaxTextureLevels + 1];
u32 vr_current_polygon = 0;
u32* vr_order_out = nullptr;
u32 vr_order_capacity = 0;
u32* vr_order_count = nullptr;

const u32* Slot(u32 slot) { return poly_textures.slot[slot & 255]; }

// Fills record i of list A from the polygon's vertex i; which slots take what is the fill row's choice.
enum VertexForm { FORM_XY, FORM_UV_POINT, FORM_ST, FORM_UVST, FORM_STUV, FORM_PERSP, FORM_FLAT };

void Build_List(const MeshPoly& p, VertexForm form, u32 plane_poly) {
  PolyVertex* a = poly_lists.a;
  const u32 k = p.vertex_count;
  for (u32 i = 0; i < k; i++) {
    const u32 index = p.point[i];
    const VrProjectedPoint& q = vr_projected[index];
    const VrRotatedNormal& n = vr_normals[mesh_work.points[index].normal];
    i32* s = a[i].slot;
    s[POLY_X] = q.x;
    s[POLY_Y] = q.y;
    switch (form) {
      case FORM_XY:
        break;
      case FORM_UV_POINT:
        s[POLY_U] = p.u[i];
        s[POLY_V] = p.v[i];
        s[POLY_POINT] = i32(index);
        break;
      case FORM_ST:
        s[POLY_U] = n.s;
        s[POLY_V] = n.t;
        break;
      case FORM_UVST:
        s[POLY_U] = p.u[i];
        s[POLY_V] = p.v[i];
        s[POLY_S] = n.s;
        s[POLY_T] = n.t;
        break;
      case FORM_STUV:
        s[POLY_U] = n.s;
        s[POLY_V] = n.t;
        s[POLY_S] = p.u[i];
        s[POLY_T] = p.v[i];
        break;
      case FORM_PERSP:
        s[POLY_S] = i32(mesh_work.polys[plane_poly].point[i]);
        s[POLY_POINT] = i32(index);
        break;
      case FORM_FLAT:
        s[POLY_U] = p.u[i];
        s[POLY_V] = p.v[i];
        s[POLY_S] = i32(index);
        break;
    }
  }
  a[k] = a[0];
}

// The texture of the nearest level whose distance band holds the polygon's first point.
void Pick_Texture_Level(const MeshPoly& p) {
  if (!(p.flags & 0x8000) || vr_level_count == 0) return;
  const i32 z = vr_projected[p.point[0]].z;
  i32 threshold = vr_engine.far_limit, step = vr_level_distance;
  for (u32 level = vr_level_count; level >= 1; level--) {
    threshold -= step;
    if (z > threshold) {
      poly_state.map1 = vr_levels[level];
      return;
    }
    step >>= 1;
  }
}

typedef void (*Filler)(const PolyVertex*);

// Draws list A: as it stands when every vertex is inside, else clipped in x and y first.
void Fill(const MeshPoly& p, Filler filler) {
  poly_state.vertex_count = p.vertex_count;
  if (p.poly_class == 2) {
    filler(poly_lists.a);
    return;
  }
  Poly_Clip_X(poly_lists.a, poly_lists.d);
  Poly_Clip_Y(poly_lists.d, poly_lists.b);
  filler(poly_lists.b);
}

// Perspective fill: near-clipped first when the polygon asks for it, then facing tested again when asked.
void Fill_Perspective(const MeshPoly& p, void (*draw)(PolyVertex*)) {
  poly_state.vertex_count = p.vertex_count;
  poly_state.mapping_vertex_count = p.vertex_count;
  if (p.poly_class == 2) {
    draw(poly_lists.a);
    return;
  }
  PolyVertex* in = poly_lists.a;
  if (p.flags & 0x800000) {
    Poly_Clip_Near(poly_lists.a, poly_lists.c);
    if (p.flags & 0x2000000) {
      const i32 k = poly_state.vertex_count;
      if (k < 3) return;
      const i32* a = poly_lists.c[0].slot;
      const i32* b = poly_lists.c[1].slot;
      const i32* c = poly_lists.c[k - 1].slot;
      const i64 cross = (i64(c[POLY_Y]) - a[POLY_Y]) * (i64(b[POLY_X]) - a[POLY_X]) -
                        (i64(b[POLY_Y]) - a[POLY_Y]) * (i64(c[POLY_X]) - a[POLY_X]);
      if (cross > 0) return;
    }
    in = poly_lists.c;
  }
  Poly_Clip_X(in, poly_lists.d);
  Poly_Clip_Y(poly_lists.d, poly_lists.b);
  draw(poly_lists.b);
}

void Add_Flare(i32 x, i32 y, const u32* texture, u32 colour, u8 kind) {
  if (vr_flare_count >= kVrMaxFlares) return;
  vr_flares[vr_flare_count++] = VrFlare{x, y, texture, colour, 0, kind};
}

void Draw_Point_Primitives(const MeshPoly& p) {
  const VrProjectedPoint& q = vr_projected[p.point[0]];
  const i32 x = q.x, y = q.y, z = q.z;
  if (z <= 0) return;
  const bool on_screen = x >= 0 && x < vr_view.width && y >= 0 && y < vr_view.height;
  const u32 f = p.flags;
  const f32 fx = vr_view.focal_x, fy = vr_view.focal_y;
  if (f & 0x800) {
    if (on_screen && vr_view.target) vr_view.target[u32(y) * vr_view.width + u32(x)] = p.colour;
  } else if (f & 0x100) {
    i32 hw, hh;
    if (f & 0x400) {
      hw = VR_Clamp_To_Int(f32(p.value) * fx / f32(z));
      hh = VR_Clamp_To_Int(f32(p.value) * fy / f32(z));
    } else {
      hw = VR_Clamp_To_Int(f32(p.u[0]) * fx * 0.0033333334f);
      hh = VR_Clamp_To_Int(f32(p.v[0]) * fy * 0.0033333334f);
    }
    VR_Draw_Quad_Additive(x - hw, y - hh, Slot(p.texture), 2 * hw, 2 * hh, 0, 0, p.u[0], p.v[0]);
  } else if (f & 0x2000) {
    const u32* texture = Slot(p.texture);
    i32 left, top, w, h;
    if (f & 0x400) {
      const i32 hw = VR_Clamp_To_Int(f32(p.value) * fx / f32(z));
      const i32 hh = VR_Clamp_To_Int(f32(p.value) * fy / f32(z));
      left = x - hw, top = y - hh, w = 2 * hw, h = 2 * hh;
    } else {
      left = x - (p.u[0] >> 1), top = y - (p.v[0] >> 1), w = p.u[0], h = p.v[0];
    }
    if (texture) {
      const i32 corner[4][4] = {{left, top, 0, 0},
                                {left + w, top, p.u[0], 0},
                                {left + w, top + h, p.u[0], p.v[0]},
                                {left, top + h, 0, p.v[0]}};
      for (u32 i = 0; i < 4; i++) std::memcpy(poly_lists.a[i].slot, corner[i], sizeof(corner[i]));
      poly_lists.a[4] = poly_lists.a[0];
      poly_state.n = 4;
      poly_state.map1 = texture;
      poly_state.vertex_count = 4;
      Poly_Clip_X(poly_lists.a, poly_lists.d);
      Poly_Clip_Y(poly_lists.d, poly_lists.b);
      Poly_Fill_Tex_Trans(poly_lists.b);
    }
  }
  if ((f & 0x200) && on_screen) Add_Flare(x, y, Slot(p.texture), p.colour, p.type);
  if ((f & 0x1000) && on_screen) {
    const u32* texture = Slot(p.texture);
    if (texture) Add_Flare(x, y, texture, texture[u32(p.v[0] >> 1) * 256 + (p.u[0] >> 1)], 2);
  }
  if ((f & 0x4000000) && q.outcode == 0) {
    const VrRotatedNormal& n = vr_normals[mesh_work.points[p.point[0]].normal];
    const f32* l = vr_engine.view_vector;
    const f32 s = std::fabs((l[0] * n.x + l[2] * n.z + l[1] * n.y) * 100.0f) - 80.0f;
    Vbe_Debug_Print("sp: %f", double(s));
    Vbe_Debug_Print("y: %f", double(n.y));
    Vbe_Debug_Print("z: %f", double(n.z));
  }
}

void Quad(i32 cx, i32 cy, i32 w, i32 h, const VrFlare& r, i32 ua, i32 va, i32 ub, i32 vb) {
  VR_Draw_Quad_Additive(cx - (w >> 1), cy - (h >> 1), r.texture, w, h, ua, va, ub, vb);
}
}  // namespace

void VR_Reset_Draw(void) {
  vr_pre_count = 0;
  vr_flare_count = 0;
  vr_engine.draw_count = 0;
}

void VR_Build_Draw_List(void) {
  MeshWork& w = mesh_work;
  const i32 near_limit = poly_state.z_limit;
  const i32 far_limit = vr_engine.far_limit;
  for (i32 o = w.last_object; o >= 0; o--) {
    const MeshObject& obj = w.objects[o];
    if (obj.hidden) continue;
    const u32 base = obj.order_key + obj.depth_bias;
    for (u32 i = obj.first_poly; i < u32(obj.first_poly) + obj.poly_count; i++) {
      const MeshPoly& p = w.polys[i];
      if (p.poly_class == 0) continue;
      const i64 z0 = vr_projected[p.point[0]].z, z1 = vr_projected[p.point[1]].z;
      const i64 z2 = vr_projected[p.point[2]].z;
      const i64 zl = vr_projected[p.point[p.vertex_count ? p.vertex_count - 1 : 0]].z;
      u16 key;
      if (far_limit == 0) {
        if (!(z0 > near_limit || z1 > near_limit || z2 > near_limit || zl > near_limit)) continue;
        key = u16(((z0 + z1 + z2 + zl) >> 2) + p.depth_bias + base);
      } else {
        if (!(z0 > near_limit || z1 > near_limit || z2 > near_limit)) continue;
        if (z0 >= far_limit || z1 >= far_limit || z2 >= far_limit) continue;
        key = u16((z0 + z1 + 2 * z2) >> 2);
      }
      if (p.flags & 0x4000) {
        if (vr_pre_count + 1 < kVrMaxDraw) vr_pre_list[++vr_pre_count] = i;
      } else if (vr_engine.draw_count < kVrMaxDraw) {
        VrDrawEntry& e = vr_draw_list[vr_engine.draw_count++];
        e.key = key;
        e.polygon = u16(i);
        e.link = nullptr;
      }
    }
    vr_engine.sectors_drawn++;
  }
}

VrDrawEntry** VR_Radix_Sort(VrDrawEntry* entries, u32 count) {
  for (u32 b = 0; b < 256; b++) vr_heads_low[b] = vr_heads_high[b] = nullptr;
  for (u32 i = 0; i < count; i++) {
    VrDrawEntry* e = &entries[i];
    const u32 b = e->key & 255;
    e->link = vr_heads_low[b];
    vr_heads_low[b] = e;
  }
  for (u32 b = 0; b < 256; b++) {
    while (VrDrawEntry* e = vr_heads_low[b]) {
      vr_heads_low[b] = e->link;
      const u32 h = e->key >> 8;
      e->link = vr_heads_high[h];
      vr_heads_high[h] = e;
    }
  }
  return vr_heads_high;
}

void VR_Sort_And_Draw(void) {
  VrDrawEntry** heads = VR_Radix_Sort(vr_draw_list, vr_engine.draw_count);
  if (vr_pre_count) {
    vr_engine.draw_count += vr_pre_count;
    for (u32 i = vr_pre_count; i >= 1; i--) {
      vr_current_polygon = vr_pre_list[i];
      vr_pre_count = i - 1;
      VR_Draw_Polygon();
    }
  }
  for (i32 h = 255; h >= 0; h--) {
    while (VrDrawEntry* e = heads[h]) {
      vr_current_polygon = e->polygon;
      heads[h] = e->link;
      VR_Draw_Polygon();
    }
  }
}

void VR_Set_Current_Polygon(u32 polygon) { vr_current_polygon = polygon; }

void VR_Draw_Polygon(void) {
  const MeshPoly& p = mesh_work.polys[vr_current_polygon];
  const u32 f = p.flags;
  if (vr_order_out && *vr_order_count < vr_order_capacity) vr_order_out[(*vr_order_count)++] = vr_current_polygon;
  if (f & 0x10000000) return;
  PolyState& st = poly_state;
  if (p.vertex_count < 1 || p.vertex_count > 4) return;
  if (f & 0x4) {
    st.map1 = Slot(p.texture);
    Pick_Texture_Level(p);
    if (f & 0x400000) {
      st.n = 2;
      st.su = p.u_scale;
      st.sv = p.v_scale;
      st.u_origin = i32(Fix16_From_Int(p.u[0]));
      st.v_origin = i32(Fix16_From_Int(p.v[0]));
      const bool plane = f & 0x20000000;
      const bool known = plane && i64(p.extra) <= i64(mesh_work.last_poly);
      Build_List(p, FORM_PERSP, known ? p.extra : vr_current_polygon);
      if (!st.map1) return;
      Fill_Perspective(p, (!plane && (f & 0x40)) ? Poly_Draw_Textured_Alt : Poly_Draw_Textured);
      return;
    }
    if (f & 0x8) {
      st.map2 = Slot(p.type);
      st.n = 6;
      Build_List(p, FORM_UVST, 0);
      if (st.map1 && st.map2) Fill(p, Poly_Fill_Two_Tex);
    } else if (f & 0x10) {
      st.map2 = Slot(p.type);
      st.n = 6;
      Build_List(p, FORM_STUV, 0);
      if (st.map1 && st.map2) Fill(p, (f & 0x20000) ? Poly_Fill_Bump_Tex : Poly_Fill_Offset_Tex);
    } else {
      st.n = 4;
      Build_List(p, FORM_UV_POINT, 0);
      if (st.map1) Fill(p, (f & 0x40) ? Poly_Fill_Tex_Sat : Poly_Fill_Tex);
    }
  } else if (f & 0x8) {
    st.map1 = Slot(p.type);
    st.n = 4;
    Build_List(p, FORM_ST, 0);
    if (st.map1) Fill(p, (f & 0x40) ? Poly_Fill_Tex_Sat : Poly_Fill_Tex);
  } else if (f & 0x10) {
    st.map1 = Slot(p.texture);
    st.map2 = Slot(p.type);
    st.n = 6;
    Build_List(p, FORM_STUV, 0);
    if (st.map1 && st.map2) Fill(p, Poly_Fill_Shade_Table);
  } else if (f & 0x200000) {
    st.colour = p.colour;
    st.map1 = Slot(1);
    st.n = 4;
    Build_List(p, FORM_FLAT, 0);
    Fill(p, Poly_Fill_Flat);
  } else if (f & 0x80) {
    Draw_Point_Primitives(p);
  }
}

void VR_Draw_Lens_Flares(void) {
  if (vr_flare_count == 0 || !vr_view.target) return;
  const i32 a = VR_Clamp_To_Int(vr_view.focal_x * 0.092485547f);
  const i32 b = VR_Clamp_To_Int(vr_view.focal_y * 0.092485547f);
  const i32 cx = vr_view.centre_x, cy = vr_view.centre_y;
  for (u32 i = 0; i < vr_flare_count; i++) {
    const VrFlare& r = vr_flares[i];
    if (r.x < 0 || r.y < 0 || r.x >= vr_view.width || r.y >= vr_view.height) continue;
    if (vr_view.target[u32(r.y) * vr_view.width + u32(r.x)] != r.colour || !r.texture) continue;
    if (r.kind == 1) {
      const i32 dx = cx - r.x, dy = cy - r.y, ex = r.x - cx, ey = r.y - cy;
      Quad(r.x, r.y, 8 * a, 8 * b, r, 0, 128, 127, 255);
      Quad(cx + dx, cy + dy, 8 * a, 8 * b, r, 128, 0, 255, 127);
      Quad(cx + (dx >> 1), cy + (dy >> 1), a, b, r, 160, 192, 176, 208);
      Quad(cx + ((dx >> 1) >> 1), cy + ((dy >> 1) >> 1), 2 * a, 2 * b, r, 128, 192, 160, 224);
      Quad(cx + dx, cy + dy, 2 * a, 2 * b, r, 192, 224, 224, 256);
      Quad(cx + (ex >> 1), cy + (ey >> 1), 2 * a, 2 * b, r, 128, 224, 160, 256);
      Quad(cx + ((ex >> 1) >> 1), cy + ((ey >> 1) >> 1), 2 * a, 2 * b, r, 160, 224, 192, 256);
    } else if (r.kind == 3) {
      i32 ex = (cx - r.x) >> 1, ey = (cy - r.y) >> 1;
      const i32 steps[4][2] = {{ex, ey}, {ex >> 1, ey >> 1}, {(r.x - cx) >> 1, (r.y - cy) >> 1},
                               {((r.x - cx) >> 1) >> 1, ((r.y - cy) >> 1) >> 1}};
      for (const auto& s : steps) {
        const i32 side = std::abs(s[0]) + 32;
        Quad(cx + s[0], cy + s[1], side, side, r, 0, 0, 64, 64);
      }
    } else if (r.kind == 2) {
      VR_Draw_Quad_Additive(r.x - r.half_size, r.y - r.half_size, r.texture, 2 * r.half_size, 2 * r.half_size, 0,
                            128, 128, 255);
    }
  }
}

void VR_Set_Texture_Levels(u32 n, i32 distance, u32* const* textures) {
  if (n > kVrMaxTextureLevels) n = kVrMaxTextureLevels;
  for (u32 i = 0; i < n; i++) vr_levels[i + 1] = textures[i];
  vr_level_count = n;
  vr_level_distance = distance;
}

void VR_Set_Far_Limit(i32 limit) { vr_engine.far_limit = limit; }
void VR_Disable_Lens_Flares(void) { vr_engine.flares_on = 0; }

void VR_Direction_To_Angles(f32 x, f32 y, f32 z) {
  const f32 k = 325.9493234521802f;
  const f32 h = x * x + z * z;
  const f32 l = h + y * y;
  f32 s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
  if (h != 0.0f) {
    const f32 r = std::sqrt(h);
    s1 = x / r;
    s2 = z / r;
  }
  if (l != 0.0f) s3 = y / std::sqrt(l);
  // Rounding may carry a sine a hair past 1.
  s1 = s1 > 1.0f ? 1.0f : s1 < -1.0f ? -1.0f : s1;
  s3 = s3 > 1.0f ? 1.0f : s3 < -1.0f ? -1.0f : s3;
  i32 pitch = VR_Clamp_To_Int(f32(Dmath_Asin(s3)) * -k);
  i32 yaw = VR_Clamp_To_Int(f32(Dmath_Asin(s1)) * k);
  if (s2 < 0.0f) yaw = 1024 - yaw;
  if (pitch < 0) pitch += 2048;
  if (yaw < 0) yaw += 2048;
  vr_camera.angles[VR_PITCH] = pitch & 2047;
  vr_camera.angles[VR_YAW] = yaw & 2047;
}

const VrDrawEntry* VR_Get_Draw_List(void) { return vr_draw_list; }
u32 VR_Get_Pre_Count(void) { return vr_pre_count; }
const u32* VR_Get_Pre_List(void) { return vr_pre_list; }
u32 VR_Get_Flare_Count(void) { return vr_flare_count; }
const VrFlare* VR_Get_Flares(void) { return vr_flares; }
void VR_Clear_Flares(void) { vr_flare_count = 0; }

void VR_Record_Draw_Order(u32* order, u32 capacity, u32* count) {
  vr_order_out = order;
  vr_order_capacity = capacity;
  vr_order_count = count;
  if (count) *count = 0;
}
