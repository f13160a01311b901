// Mesh tools: doors, polygon reduction, copies, scaling, flips, texture-coordinate tools, grids and raw adds.
#include "render/meshtool.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/poly.h"
#include "runtime/err.h"
#include "runtime/mem.h"

namespace {
u32 reduction_window = 0;
bool reduction_requested = false;
f32 reduction_tolerance = 0, reduction_ratio = 0;
u8 reduction_make_quads = 0;
// The last edge match: shared and unshared point indices.
u32 match_shared[9];
u32 match_unshared[6];
std::vector<u32> grid_points;

f32 Distance(u32 a, u32 b) {
  const MeshPoint& p = mesh_work.points[a];
  const MeshPoint& q = mesh_work.points[b];
  f32 dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Polygons of an object; an open object's count field still holds its creation mark.
u32 Poly_Count(u32 object) {
  const MeshObject& o = mesh_work.objects[object];
  if (i32(object) == Mesh_Get_Open_Object()) return u32(mesh_work.last_poly + 1 - o.first_poly);
  return o.poly_count;
}
}  // namespace

// ---- doors ----

void Mesh_Add_Door(u32 first_point, u8 sector_a, u8 sector_b, u8 extra, u32 value) {
  if (mesh_work.door_count >= kMeshMaxDoors) Err_Error("Mesh: Too many doors");
  MeshDoor& d = mesh_work.doors[mesh_work.door_count++];
  d.first_point = first_point;
  d.value = value;
  d.sector_a = sector_a;
  d.sector_b = sector_b;
  d.extra = extra;
}

void Mesh_Add_Door_Quad(const f32* corners, u8 sector_a, u8 sector_b, u8 extra, u32 value) {
  u32 first = Mesh_Add_Point(corners[0], corners[1], corners[2]);
  for (u32 k = 1; k < 4; k++) Mesh_Add_Point(corners[3 * k], corners[3 * k + 1], corners[3 * k + 2]);
  Mesh_Add_Door(first, sector_a, sector_b, extra, value);
}

// ---- polygon reduction ----

void Mesh_Set_Reduction_Window(u32 window) { reduction_window = window; }

bool Mesh_Float_Near(f32 a, f32 b, f32 tolerance) { return std::fabs(a - b) < tolerance; }

u32 Mesh_Match_Edge(const MeshPoly& a, const MeshPoly& b) {
  if (a.vertex_count != 3 || b.vertex_count != 3) return 0;
  u32 shared = 0;
  for (u32 i = 0; i < 3; i++)
    for (u32 j = 0; j < 3; j++)
      if (a.point[i] == b.point[j]) match_shared[shared++] = a.point[i];
  if (shared != 2) return shared;
  u32 unshared = 0;
  for (const MeshPoly* p : {&a, &b})
    for (u32 i = 0; i < 3; i++)
      if (p->point[i] != match_shared[0] && p->point[i] != match_shared[1]) match_unshared[unshared++] = p->point[i];
  if (unshared != 2) Err_Error("Mesh_Polygon_Reduction: nomatch != 2 illegal");
  return shared;
}

void Mesh_Delete_Poly(u32 poly) {
  for (i32 i = i32(poly); i < mesh_work.last_poly; i++) mesh_work.polys[i] = mesh_work.polys[i + 1];
  mesh_work.last_poly--;
  // Later objects' ranges move down with their polygons.
  for (i32 o = 0; o <= mesh_work.last_object; o++) {
    MeshObject& object = mesh_work.objects[o];
    if (object.first_poly > poly) {
      object.first_poly--;
      if (o == Mesh_Get_Open_Object()) object.poly_count--;
    }
  }
}

void Mesh_Polygon_Reduction(u32 object, f32 tolerance, f32 ratio, u8 make_quads) {
  MeshObject& o = mesh_work.objects[object];
  const bool open = i32(object) == Mesh_Get_Open_Object();
  const u32 first = o.first_poly;
  for (u32 i = first; i < first + Poly_Count(object); i++) {
    u32 end = first + Poly_Count(object);
    if (reduction_window != 0) end = std::min(end, i + reduction_window);
    for (u32 j = i + 1; j < end; j++) {
      MeshPoly& pi = mesh_work.polys[i];
      if (Mesh_Match_Edge(pi, mesh_work.polys[j]) != 2) continue;
      MeshVector f1 = Mesh_Face_Normal(pi);
      MeshVector n1 = Mesh_Normalize(f1.x, f1.y, f1.z);
      MeshVector f2 = Mesh_Face_Normal(mesh_work.polys[j]);
      MeshVector n2 = Mesh_Normalize(f2.x, f2.y, f2.z);
      if (!Mesh_Float_Near(n1.x, n2.x, tolerance) || !Mesh_Float_Near(n1.y, n2.y, tolerance) ||
          !Mesh_Float_Near(n1.z, n2.z, tolerance))
        continue;
      const f32 l1 = Distance(match_shared[0], match_shared[1]);
      const f32 l2 = Distance(match_unshared[0], match_unshared[1]);
      if (!(std::fabs(l1 - l2) < l1 * ratio)) continue;
      const u32 extra = match_unshared[1];
      const u32 s0 = match_shared[0], s1 = match_shared[1];
      Mesh_Delete_Poly(j);
      if (!open) o.poly_count--;
      // The polygon that moved into place j is not compared in this pass; the end moves down with
      // the object's end, but a window's end stays where it is.
      end = std::min(end, first + Poly_Count(object));
      if (make_quads) {
        u32 lo = 3, hi = 0;
        for (u32 k = 0; k < 3; k++)
          if (pi.point[k] == s0 || pi.point[k] == s1) {
            lo = std::min(lo, k);
            hi = std::max(hi, k);
          }
        if (hi - lo == 1) {
          for (u32 k = 3; k > hi; k--) pi.point[k] = pi.point[k - 1];
          pi.point[hi] = extra;
        } else {
          pi.point[3] = extra;
        }
        pi.vertex_count = 4;
      }
    }
  }
}

void Mesh_Reduce_Object(f32 tolerance, f32 ratio, u8 make_quads) {
  if (mesh_work.last_object < 0) Err_Error("Mesh: No current object");
  Mesh_Polygon_Reduction(u32(mesh_work.last_object), tolerance, ratio, make_quads);
}

void Mesh_Set_Auto_Reduction(f32 tolerance, f32 ratio, u8 make_quads) {
  reduction_requested = true;
  reduction_tolerance = tolerance;
  reduction_ratio = ratio;
  reduction_make_quads = make_quads;
}

bool Mesh_Get_Auto_Reduction(f32* tolerance, f32* ratio, u8* make_quads) {
  *tolerance = reduction_tolerance;
  *ratio = reduction_ratio;
  *make_quads = reduction_make_quads;
  return reduction_requested;
}

void Mesh_Clear_Auto_Reduction(void) { reduction_requested = false; }

// ---- objects ----

i32 Mesh_Find_Object_At(f32 x, f32 y, f32 z) {
  for (i32 i = mesh_work.last_object; i >= 0; i--) {
    const MeshObject& o = mesh_work.objects[i];
    if (o.flags & kMeshObjectNoHit) continue;
    const f32* b = o.bbox;
    if (b[0] <= x && x <= b[1] && b[2] <= y && y <= b[3] && b[4] <= z && z <= b[5]) return i;
  }
  return -1;
}

u32 Mesh_Copy_Object(u32 object) {
  const MeshObject source = mesh_work.objects[object];
  const u32 copy = Mesh_Add_Object(source.position[0], source.position[1], source.position[2], source.attribute_a,
                                   source.attribute_b, source.flags, source.anim_buffer);
  if (source.flags & kMeshObjectMovable) {
    // A fresh buffer of the source's size; a source without one leaves the copy to get one on its first point.
    MeshPoint* buffer = nullptr;
    if (source.anim_buffer) buffer = Mesh_Alloc_Anim_Buffer(Mem_Get_Size(source.anim_buffer) / sizeof(MeshPoint));
    mesh_work.objects[copy].anim_buffer = buffer;
  }
  const u32 first_point = u32(mesh_work.last_point + 1);
  for (u32 k = 0; k < source.point_count; k++) {
    const MeshPoint p = mesh_work.points[source.first_point + k];
    Mesh_Add_Point(p.x, p.y, p.z);
  }
  const u32 first_poly = u32(mesh_work.last_poly + 1);
  const u32 shift = first_point - source.first_point;
  for (u32 k = 0; k < source.poly_count; k++) {
    const MeshPoly p = mesh_work.polys[source.first_poly + k];
    const u32 points[4] = {p.point[0] + shift, p.point[1] + shift, p.point[2] + shift, p.point[3] + shift};
    Mesh_Add_Poly(p.type, p.texture, p.flags, p.vertex_count, points);
  }
  Mesh_End_Object();
  for (u32 k = 0; k < source.poly_count; k++) {
    const MeshPoly& from = mesh_work.polys[source.first_poly + k];
    MeshPoly& to = mesh_work.polys[first_poly + k];
    std::copy(from.u, from.u + 4, to.u);
    std::copy(from.v, from.v + 4, to.v);
    to.value = from.value;
  }
  return copy;
}

void Mesh_Scale_Object(u32 object, f32 fx, f32 fy, f32 fz) {
  const MeshObject& o = mesh_work.objects[object];
  for (u32 k = 0; k < o.point_count; k++) {
    MeshPoint& p = mesh_work.points[o.first_point + k];
    p.x *= fx;
    p.y *= fy;
    p.z *= fz;
    if ((o.flags & kMeshObjectMovable) && o.anim_buffer) {
      MeshPoint& r = o.anim_buffer[k];
      r.x *= fx;
      r.y *= fy;
      r.z *= fz;
    }
  }
}

void Mesh_Flip_Object(u32 object) {
  const MeshObject& o = mesh_work.objects[object];
  for (u32 i = o.first_poly; i < u32(o.first_poly) + o.poly_count; i++) {
    MeshPoly& p = mesh_work.polys[i];
    const u32 n = std::min<u32>(p.vertex_count, 4);
    if (n <= 2) continue;
    std::reverse(p.point, p.point + n);
    std::reverse(p.u, p.u + n);
    std::reverse(p.v, p.v + n);
  }
}

void Mesh_Rotate_Poly_Uv(u32 poly) {
  MeshPoly& p = mesh_work.polys[poly];
  const u32 n = std::min<u32>(p.vertex_count, 4);
  if (n <= 2) return;
  const u8 last_u = p.u[n - 1], last_v = p.v[n - 1];
  for (u32 k = 3; k >= 1; k--) {
    p.u[k] = p.u[k - 1];
    p.v[k] = p.v[k - 1];
  }
  p.u[0] = last_u;
  p.v[0] = last_v;
}

void Mesh_Rotate_Poly_Indices(u32 poly) {
  MeshPoly& p = mesh_work.polys[poly];
  const u32 n = std::min<u32>(p.vertex_count, 4);
  if (n <= 2) return;
  const u32 last = p.point[n - 1];
  for (u32 k = 3; k >= 1; k--) p.point[k] = p.point[k - 1];
  p.point[0] = last;
}

void Mesh_Shift_Poly_Indices(u32 poly, i32 n, i32) {
  MeshPoly& p = mesh_work.polys[poly];
  for (i32 i = 0; i < n; i++) std::rotate(p.point, p.point + 1, p.point + 4);
}

void Mesh_Set_Poly_Special(u32 poly, u32 reference) {
  mesh_work.polys[poly].flags |= kMeshPolyPlaneFromExtra;
  mesh_work.polys[poly].extra = reference;
}

// ---- texture coordinates ----

void Mesh_Set_Object_Tex_Scale(u32 object, f32 divisor, f32 multiplier) {
  const MeshObject& o = mesh_work.objects[object];
  for (u32 i = o.first_poly; i < u32(o.first_poly) + o.poly_count; i++) {
    const MeshPoly& p = mesh_work.polys[i];
    const u32 last = p.point[p.vertex_count ? std::min<u32>(p.vertex_count, 4) - 1 : 0];
    const f32 u = std::floor(Distance(p.point[1], p.point[0]) * multiplier / divisor);
    const f32 v = std::floor(Distance(last, p.point[0]) * multiplier / divisor);
    Mesh_Set_Poly_Tex_Scale(i, i16(Poly_Float_To_Int(u)), i16(Poly_Float_To_Int(v)));
  }
}

void Mesh_Normal_Map_Uv(u32 object, i32, u8 u_base, u8 v_base, i32 width, i32 height) {
  const MeshObject& o = mesh_work.objects[object];
  for (u32 i = o.first_poly; i < u32(o.first_poly) + o.poly_count; i++) {
    MeshPoly& p = mesh_work.polys[i];
    for (u32 k = 0; k < p.vertex_count && k < 4; k++) {
      const MeshNormal& n = mesh_work.normals[mesh_work.points[p.point[k]].normal];
      p.u[k] = u8(Poly_Float_To_Int(n.x) + width / 2 + u_base);
      p.v[k] = u8(v_base - Poly_Float_To_Int(f32(height / 2) + n.z));
    }
  }
}

i32 Mesh_Find_Poly_By_Texture(u32 offset, u8 texture) {
  for (i32 i = i32(Mesh_Get_First_Poly() + offset); i < mesh_work.last_poly; i++)
    if (mesh_work.polys[i].texture == texture) return i;
  return -1;
}

// ---- grids and raw adds ----

u32 Mesh_Add_Grid(f32 ox, f32 oy, f32 oz, f32 cx, f32 cy, f32 cz, f32 rx, f32 ry, f32 rz, u32 columns, u32 rows,
                  u8 texture) {
  const f32 hx = f32(rows / 2), hyz = f32(columns / 2);
  const f32 sx = ox - (cx + rx) * hx, sy = oy - (cy + ry) * hyz, sz = oz - (cz + rz) * hyz;
  grid_points.assign(size_t(rows) * columns, 0);
  for (u32 r = 0; r < rows; r++)
    for (u32 c = 0; c < columns; c++)
      grid_points[r * columns + c] =
          Mesh_Add_Point(sx + cx * f32(c) + rx * f32(r), sy + cy * f32(c) + ry * f32(r), sz + cz * f32(c) + rz * f32(r));
  const u32 flags = mesh_work.last_object >= 0 ? mesh_work.objects[mesh_work.last_object].flags : 0;
  for (u32 r = 0; r + 1 < rows; r++)
    for (u32 c = 0; c + 1 < columns; c++) {
      const u32 k = r * columns + c;
      const u32 t1[4] = {grid_points[k], grid_points[k + columns], grid_points[k + columns + 1], 0};
      const u32 t2[4] = {grid_points[k], grid_points[k + columns + 1], grid_points[k + 1], 0};
      Mesh_Add_Poly(Mesh_Get_Poly_Type(), texture, flags, 3, t1);
      Mesh_Add_Poly(Mesh_Get_Poly_Type(), texture, flags, 3, t2);
    }
  return grid_points.empty() ? u32(mesh_work.last_point + 1) : grid_points[0];
}

void Mesh_Add_Raw_Point(f32 x, f32 y, f32 z) {
  MeshPoint& p = mesh_work.points[Mesh_Claim(&mesh_work.last_point, MESH_MAX_POINTS, "points")];
  p.x = x;
  p.y = y;
  p.z = z;
  p.normal = u16(Mesh_Claim(&mesh_work.last_normal, MESH_MAX_NORMALS, "normals"));
  p.spare = 0;
}

void Mesh_Add_Raw_Triangle(u8 type, u8 texture, u32 flags, u32 p0, u32 p1, u32 p2, u8 u0, u8 v0, u8 u1, u8 v1, u8 u2,
                           u8 v2) {
  MeshPoly& p = mesh_work.polys[Mesh_Claim(&mesh_work.last_poly, MESH_MAX_POLYS, "polys")];
  p.type = type;
  p.texture = texture;
  p.flags = flags;
  p.point[0] = p0;
  p.point[1] = p1;
  p.point[2] = p2;
  p.point[3] = p0;
  p.vertex_count = 3;
  p.u[0] = u0;
  p.v[0] = v0;
  p.u[1] = u1;
  p.v[1] = v1;
  p.u[2] = u2;
  p.v[2] = v2;
  p.depth_bias = 0;
}

void Mesh_Add_Raw_Object(u16 first_point, u16 point_count, u16 first_poly, u16 poly_count, u32 flags) {
  MeshObject& o = mesh_work.objects[Mesh_Claim(&mesh_work.last_object, MESH_MAX_OBJECTS, "objects")];
  o.position[0] = o.position[1] = o.position[2] = 0;
  o.first_point = first_point;
  o.point_count = point_count;
  o.first_poly = first_poly;
  o.poly_count = poly_count;
  o.flags = flags;
  o.path_driven = 0;
  o.hidden = 0;
  o.shade = Mesh_Get_Shade();
  o.order_key = 0;
  o.depth_bias = 0;
}
