// K3D mesh loader: checks the whole file, then adds its objects, points, polygons and frames to the store.
#include "render/k3d.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/mesh.h"
#include "render/meshtool.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"

namespace {
const u32 kHeaderBytes = 4;
const u32 kNameBytes = 15;
const u32 kPointBytes = 12;
const u32 kMaxFramePoints = 0xFFFF;

// An object of no points still carries one point record, which is read and added like any other; it
// counts in a frame's size, so buffers hold it and later frames line up.
u32 Records(u16 points) { return points == 0 ? 1 : points; }

u8 k3d_object_mode = 0;
u8 k3d_attribute_a = 0, k3d_attribute_b = 0;
u32 k3d_flags = 0;
char k3d_reason[96];

// A little-endian reader over the file's bytes; every read is checked against the end.
struct Reader {
  const u8* bytes;
  u32 size;
  u32 at;
  bool Has(u64 n) const { return at + n <= size; }
  u8 U8() { return bytes[at++]; }
  u16 U16() {
    u16 v = u16(bytes[at] | bytes[at + 1] << 8);
    at += 2;
    return v;
  }
  f32 F32() {
    u32 v = u32(bytes[at]) | u32(bytes[at + 1]) << 8 | u32(bytes[at + 2]) << 16 | u32(bytes[at + 3]) << 24;
    at += 4;
    f32 f;
    memcpy(&f, &v, 4);
    return f;
  }
};

const char* Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(k3d_reason, sizeof k3d_reason, format, args);
  va_end(args);
  return k3d_reason;
}

void Add_Point(Reader& r, f32 ox, f32 oy, f32 oz, f32 scale, const i32* axes) {
  const f32 c[3] = {r.F32(), r.F32(), r.F32()};
  const f32 offset[3] = {ox, oy, oz};
  f32 slot[3] = {0, 0, 0};
  for (u32 k = 0; k < 3; k++) slot[std::abs(axes[k])] = c[k] * scale + offset[k];
  for (u32 k = 0; k < 3; k++)
    if (axes[k] < 0) slot[k] = -slot[k];
  Mesh_Add_Point(slot[0], slot[1], slot[2]);
}

u16 Load(const char* name, const u8* bytes, u32 size, f32 ox, f32 oy, f32 oz, f32 scale, u8 texture_base) {
  const bool object_mode = k3d_object_mode != 0;
  MeshK3dTarget target = MESH_K3D_OBJECTS;
  if (!object_mode) {
    if (mesh_work.last_object < 0) Err_Error("Mesh: No current object");
    const MeshObject& o = mesh_work.objects[mesh_work.last_object];
    target = !(o.flags & kMeshObjectMovable) ? MESH_K3D_STILL_OBJECT
             : o.anim_buffer                 ? MESH_K3D_MOVABLE_BUFFER
                                             : MESH_K3D_MOVABLE_NEW;
  }
  if (const char* why = Mesh_Check_K3D(name, bytes, size, target)) Err_Error("%s", why);
  i32 axes[3];
  Mesh_Get_Axis_Order(axes);
  for (i32 a : axes)
    if (a < -2 || a > 2) Err_Error("Mesh: Invalid axis order");
  Reader r{bytes, size, 0};
  const u16 frame_total = r.U16();
  const u8 frames = r.U8();
  const u8 objects = r.U8();
  // Sum of the first frame's points, known from the check.
  u32 sum = 0;
  {
    Reader s{bytes, size, kHeaderBytes};
    for (u32 o = 0; o < objects; o++) {
      s.at += kNameBytes;
      u16 p = s.U16();
      sum += Records(p);
      s.at += Records(p) * kPointBytes;
      u16 q = s.U16();
      for (u32 k = 0; k < q; k++) s.at += 2 + 2 * s.bytes[s.at];
    }
  }
  if (target == MESH_K3D_MOVABLE_NEW)
    mesh_work.objects[mesh_work.last_object].anim_buffer =
        Mesh_Alloc_Anim_Buffer(frames > 0 ? (u32(frames) + 1) * frame_total : frame_total);
  const u16 result = u16(mesh_work.last_object);
  f32 tolerance, ratio;
  u8 make_quads;
  const bool reduce = Mesh_Get_Auto_Reduction(&tolerance, &ratio, &make_quads);
  for (u32 b = 0; b < objects; b++) {
    char object_name[kNameBytes];
    memcpy(object_name, bytes + r.at, kNameBytes);
    r.at += kNameBytes;
    const u16 p = r.U16();
    if (object_mode) {
      MeshPoint* buffer = (k3d_flags & kMeshObjectMovable) ? Mesh_Alloc_Anim_Buffer(Records(p)) : nullptr;
      Mesh_Add_Object(ox, oy, oz, k3d_attribute_a, k3d_attribute_b, k3d_flags, buffer);
    }
    MeshObject& o = mesh_work.objects[mesh_work.last_object];
    strcpy(o.name, object_name);
    const u32 base = u32(mesh_work.last_point + 1);
    for (u32 k = 0; k < Records(p); k++) Add_Point(r, ox, oy, oz, scale, axes);
    const u16 q = r.U16();
    for (u32 k = 0; k < q; k++) {
      const u8 n = r.U8();
      u32 points[4] = {0, 0, 0, 0};
      for (u32 v = 0; v < n; v++) points[v] = r.U16() + base;
      const u8 texture = u8(r.U8() + texture_base);
      Mesh_Add_Poly(Mesh_Get_Poly_Type(), texture, o.flags, n, points);
    }
    if (object_mode) Mesh_End_Object();
    if (reduce) Mesh_Reduce_Object(tolerance, ratio, make_quads);
  }
  // An object load that made no object has nothing to animate.
  if (frames > 0 && !(object_mode && objects == 0)) {
    Mesh_Begin_Anim_Points(u16(sum));
    Mesh_Set_Anim_Frames(frames, u16(sum));
    for (u32 f = 1; f < frames; f++)
      for (u32 b = 0; b < objects; b++) {
        r.at += kNameBytes;
        const u16 p = r.U16();
        for (u32 k = 0; k < Records(p); k++) Add_Point(r, ox, oy, oz, scale, axes);
      }
    Mesh_End_Anim_Points();
  }
  Mesh_Clear_Auto_Reduction();
  return result;
}

// Reads the whole file through the file layer into an engine block.
u8* Read_Whole(const char* name, u32* size) {
  File_Open(name);
  *size = File_Size();
  u8* bytes = static_cast<u8*>(Mem_Alloc(*size ? *size : 1));
  Mem_Set_Description(bytes, "Mesh: ");
  Mem_Set_Description(bytes, "K3D file");
  const u32 got = File_Read(bytes, *size);
  File_Close();
  if (got != *size) Err_Error("Mesh: K3D %s is truncated", name);
  return bytes;
}
}  // namespace

const char* Mesh_Check_K3D(const char* name, const u8* bytes, u32 size, MeshK3dTarget target) {
  Reader r{bytes, size, 0};
  if (!r.Has(kHeaderBytes)) return Fail("Mesh: K3D %s is truncated", name);
  const u16 frame_total = r.U16();
  const u8 frames = r.U8();
  const u8 objects = r.U8();
  if ((target == MESH_K3D_OBJECTS && frames >= 2) || (target == MESH_K3D_STILL_OBJECT && frames > 0))
    return Fail("Mesh: K3D %s: animation needs a movable object", name);
  u32 sum = 0;
  u16 counts[256];
  for (u32 o = 0; o < objects; o++) {
    if (!r.Has(kNameBytes + 2)) return Fail("Mesh: K3D %s is truncated", name);
    if (!memchr(bytes + r.at, 0, kNameBytes)) return Fail("Mesh: K3D %s: object %d name has no end", name, int(o));
    r.at += kNameBytes;
    const u16 p = r.U16();
    counts[o] = p;
    sum += Records(p);
    if (!r.Has(u64(Records(p)) * kPointBytes + 2)) return Fail("Mesh: K3D %s is truncated", name);
    r.at += Records(p) * kPointBytes;
    const u16 q = r.U16();
    for (u32 k = 0; k < q; k++) {
      if (!r.Has(1)) return Fail("Mesh: K3D %s is truncated", name);
      const u8 n = r.U8();
      if (n < 1 || n > 4) return Fail("Mesh: K3D %s: polygon with %d vertices", name, int(n));
      if (!r.Has(2u * n + 1)) return Fail("Mesh: K3D %s is truncated", name);
      for (u32 v = 0; v < n; v++) {
        const u16 index = r.U16();
        if (index >= Records(p)) return Fail("Mesh: K3D %s: point index %d out of range", name, int(index));
      }
      r.U8();
    }
  }
  // Frames are counted in 16 bits, and a buffer sized from the header must hold every point of a frame.
  if (frames > 0 && sum > kMaxFramePoints)
    return Fail("Mesh: K3D %s: %u points in a frame, more than %u", name, unsigned(sum), unsigned(kMaxFramePoints));
  if (target == MESH_K3D_MOVABLE_NEW && sum > frame_total)
    return Fail("Mesh: K3D %s: frame point total %d below %d", name, int(frame_total), int(sum));
  for (u32 f = 1; f < frames; f++)
    for (u32 o = 0; o < objects; o++) {
      if (!r.Has(kNameBytes + 2)) return Fail("Mesh: K3D %s is truncated", name);
      r.at += kNameBytes;
      const u16 p = r.U16();
      if (p != counts[o])
        return Fail("Mesh: K3D %s: frame %d object %d has %d points, expected %d", name, int(f), int(o), int(p),
                    int(counts[o]));
      if (!r.Has(u64(Records(p)) * kPointBytes)) return Fail("Mesh: K3D %s is truncated", name);
      r.at += Records(p) * kPointBytes;
    }
  return nullptr;
}

u16 Mesh_Load_K3D_Buffer(const char* name, const u8* bytes, u32 size, f32 ox, f32 oy, f32 oz, f32 scale,
                         u8 texture_base) {
  return Load(name, bytes, size, ox, oy, oz, scale, texture_base);
}

u16 Mesh_Load_K3D_Objects_Buffer(const char* name, const u8* bytes, u32 size, f32 ox, f32 oy, f32 oz, f32 scale,
                                 u16 attribute_a, u16 attribute_b, u8 texture_base, u32 flags) {
  k3d_attribute_a = u8(attribute_a);
  k3d_attribute_b = u8(attribute_b);
  k3d_flags = flags;
  k3d_object_mode = 1;
  u16 result = Load(name, bytes, size, ox, oy, oz, scale, texture_base);
  k3d_object_mode = 0;
  return result;
}

u16 Mesh_Load_K3D(const char* name, f32 ox, f32 oy, f32 oz, f32 scale, u8 texture_base) {
  u32 size;
  u8* bytes = Read_Whole(name, &size);
  u16 result = Mesh_Load_K3D_Buffer(name, bytes, size, ox, oy, oz, scale, texture_base);
  Mem_Free(bytes);
  return result;
}

u16 Mesh_Load_K3D_Objects(const char* name, f32 ox, f32 oy, f32 oz, f32 scale, u16 attribute_a, u16 attribute_b,
                          u8 texture_base, u32 flags) {
  u32 size;
  u8* bytes = Read_Whole(name, &size);
  u16 result =
      Mesh_Load_K3D_Objects_Buffer(name, bytes, size, ox, oy, oz, scale, attribute_a, attribute_b, texture_base, flags);
  Mem_Free(bytes);
  return result;
}
