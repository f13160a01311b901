// VR paths and events: camera and object paths, stepping and seeking, scene views, door events, positional sound.
#include "render/vrpath.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "music/music.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vrdraw.h"
#include "render/vrtransform.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "video/vbe.h"

namespace {
VrEvent vr_events[kVrMaxEvents];
i32 vr_sound_unit = 200;

// Reads a whole path file into a described block; the count of whole records comes back, and
// bytes after the last whole record are read but never used.
VrPathRecord* Read_Path(const char* name, const char* kind, u32* size, u32* count) {
  File_Open(name);
  const u32 bytes = File_Size();
  if (VR_Check_Path_Size(bytes)) {
    File_Close();
    Err_Error("VR: Empty path %s", name);
  }
  auto* buffer = static_cast<VrPathRecord*>(Mem_Alloc(bytes));
  char description[64];
  std::snprintf(description, sizeof(description), "%s: %.32s", kind, name);
  Mem_Set_Description(buffer, "VR: ");
  Mem_Set_Description(buffer, description);
  const u32 got = File_Read(buffer, bytes);
  File_Close();
  if (got != bytes) {
    Mem_Free(buffer);
    Err_Error("VR: Unable to read path %s", name);
  }
  *size = bytes;
  *count = bytes / kVrPathRecordBytes;
  return buffer;
}

// One step on; at the end a looping path starts again, another stays on its last record.
template <typename Count>
void Step_Forward(void** current, Count* left, u32 count, void* buffer, bool loops) {
  if (!*current || !buffer || count == 0) return;
  auto* record = static_cast<VrPathRecord*>(*current) + 1;
  *left = Count(*left - 1);
  if (*left == 0) {
    if (loops) {
      record = static_cast<VrPathRecord*>(buffer);
      *left = Count(count);
    } else {
      record--;
      *left = 1;
    }
  }
  *current = record;
}

// One step back; on the first record a looping path goes to its last, another stays.
template <typename Count>
void Step_Back(void** current, Count* left, u32 count, void* buffer, bool loops) {
  if (!*current || !buffer || count == 0) return;
  auto* first = static_cast<VrPathRecord*>(buffer);
  if (*current == first) {
    if (loops) {
      *current = first + count - 1;
      *left = 1;
    }
    return;
  }
  *current = static_cast<VrPathRecord*>(*current) - 1;
  *left = Count(*left + 1);
}

// Record number k of a seek: wrapped when looping, else held on the last record.
u32 Seek_Index(i32 n, u32 count, bool loops) {
  if (n < 0) n = 0;
  if (loops) return u32(n) % count;
  return u32(n) < count - 1 ? u32(n) : count - 1;
}

MeshScene* Selected_Scene(void) {
  const i32 s = Mesh_Get_Selected_Scene();
  return s < 0 ? nullptr : Mesh_Get_Scene(u32(s));
}
}  // namespace

const char* VR_Check_Path_Size(u32 bytes) {
  return bytes < kVrPathRecordBytes ? "VR: Empty path" : nullptr;
}

void VR_Convert_Camera_Records(VrPathRecord* records, u32 count, f32 scale) {
  const f32 k = Mesh_Get_Scale() * scale;
  for (u32 i = 0; i < count; i++) {
    f32 raw[7];
    std::memcpy(raw, &records[i], sizeof(raw));
    const f32 x = raw[0], y = raw[1], z = raw[2];
    VR_Direction_To_Angles(raw[3] - x, -raw[4] + y, raw[5] - z);
    i32 roll = VR_Clamp_To_Int(raw[6] * 0.0055555557f * 3.14159265359f * 325.9493234521802f);
    if (roll < 0) roll += 2048;
    vr_camera.angles[VR_ROLL] = roll & 2047;
    VR_Make_Camera_Matrix();
    records[i].position[0] = k * x;
    records[i].position[1] = -(k * y);
    records[i].position[2] = k * z;
    std::memcpy(records[i].matrix, vr_camera_matrix.m, sizeof(records[i].matrix));
  }
}

void VR_Convert_Object_Records(VrPathRecord* records, u32 count, f32 scale) {
  const f32 k = Mesh_Get_Scale() * scale;
  for (u32 i = 0; i < count; i++) {
    f32 raw[12];
    std::memcpy(raw, &records[i], sizeof(raw));
    const f32* m = raw + 3;
    const f32 rows[9] = {-m[0], -m[6], -m[3], m[2], m[8], m[5], -m[1], -m[7], -m[4]};
    for (u32 a = 0; a < 3; a++) records[i].position[a] = k * raw[a];
    std::memcpy(records[i].matrix, rows, sizeof(rows));
  }
}

void VR_Load_Camera_Path(const char* name, f32 scale) {
  vr_engine.path_on = 1;
  VrCameraPath& p = vr_engine.path;
  p.buffer = Read_Path(name, "cam.path", &p.file_size, &p.record_count);
  p.current = p.buffer;
  p.records_left = p.record_count;
  VR_Convert_Camera_Records(p.buffer, p.record_count, scale);
  Mesh_Set_Scene_View(p.current, p.buffer, p.file_size, p.record_count, p.records_left);
}

void VR_Free_Camera_Path(void) {
  VrCameraPath& p = vr_engine.path;
  if (p.buffer) {
    MeshScene* s = Selected_Scene();
    if (s && s->path_buffer == p.buffer) Mesh_Set_Scene_View(nullptr, nullptr, 0, 0, 0);
    Mem_Free(p.buffer);
  }
  p = VrCameraPath{};
  vr_engine.path_on = 0;
}

void VR_Print_Camera_Path(void) {
  VrCameraPath& p = vr_engine.path;
  if (!p.buffer) return;
  for (u32 i = 0; i < p.record_count; i++)
    std::printf("%f, %f, %f\n", p.buffer[i].position[0], p.buffer[i].position[1], p.buffer[i].position[2]);
  p.current = p.buffer;
  p.records_left = p.record_count;
}

void VR_Apply_Camera_Path(void) {
  const VrPathRecord* r = vr_engine.path.current;
  if (!r) return;
  std::memcpy(vr_camera.position, r->position, sizeof(vr_camera.position));
  std::memcpy(vr_camera_matrix.m, r->matrix, sizeof(vr_camera_matrix.m));
}

void VR_Step_Camera_Path(void) {
  if (!vr_engine.path_stepping) return;
  MeshScene* s = VR_Scene_In_Context();
  if (!s) return;
  Step_Forward(&s->path_current, &s->path_records_left, s->path_record_count, s->path_buffer, s->path_loops);
}

void VR_Step_Camera_Path_Back(void) {
  VrCameraPath& p = vr_engine.path;
  void* current = p.current;
  Step_Back(&current, &p.records_left, p.record_count, p.buffer, vr_engine.path_loops);
  p.current = static_cast<VrPathRecord*>(current);
}

void VR_Seek_Camera_Path(i32 n) {
  VrCameraPath& p = vr_engine.path;
  if (!p.buffer || p.record_count == 0) return;
  const u32 k = Seek_Index(n, p.record_count, vr_engine.path_loops);
  p.records_left = p.record_count - k;
  p.current = p.buffer + k;
}

void VR_Set_Path_Loop(void) {
  vr_engine.path_loops = 1;
  if (MeshScene* s = VR_Scene_In_Context()) s->path_loops = 1;
}

void VR_Load_Object_Path(const char* name, f32 scale) {
  if (mesh_work.last_object < 0) Err_Error("VR: No object for path %s", name);
  MeshObject& o = mesh_work.objects[mesh_work.last_object];
  u32 size = 0, count = 0;
  auto* buffer = Read_Path(name, "obj.path", &size, &count);
  if (count > 0xFFFF) Err_Error("VR: Path %s is too long", name);
  VR_Convert_Object_Records(buffer, count, scale);
  o.path_driven = 1;
  o.path_buffer = buffer;
  o.path_current = buffer;
  o.path_record_count = u16(count);
  o.path_records_left = u16(count);
}

// A path may be loaded onto any object, still or movable, so every object is visited.
void VR_Free_Object_Paths(void) {
  for (i32 i = 0; i <= mesh_work.last_object; i++) {
    MeshObject& o = mesh_work.objects[i];
    if (!o.path_driven) continue;
    if (o.path_buffer) Mem_Free(o.path_buffer);
    o.path_buffer = o.path_current = nullptr;
    o.path_driven = 0;
  }
}

void VR_Apply_Object_Path(u32 object) {
  MeshObject& o = mesh_work.objects[object];
  const auto* r = static_cast<const VrPathRecord*>(o.path_current);
  if (!r) return;
  std::memcpy(o.position, r->position, sizeof(o.position));
  std::memcpy(vr_object_matrix.m, r->matrix, sizeof(vr_object_matrix.m));
}

void VR_Step_Object_Path(u32 object) {
  MeshScene* s = VR_Scene_In_Context();
  MeshObject* o = VR_Scene_Object(VR_Context_Scene(), object);
  if (!s || !o || !o->path_driven) return;
  Step_Forward(&o->path_current, &o->path_records_left, o->path_record_count, o->path_buffer, s->path_loops);
}

void VR_Step_Object_Path_Back(u32 object) {
  MeshObject* o = VR_Scene_Object(VR_Context_Scene(), object);
  if (!o || !o->path_driven) return;
  Step_Back(&o->path_current, &o->path_records_left, o->path_record_count, o->path_buffer, vr_engine.path_loops);
}

void VR_Seek_Object_Paths(i32 n) {
  for (u32 i = 0; i < mesh_work.movable_count; i++) {
    MeshObject& o = mesh_work.objects[mesh_work.movables[i]];
    if (!o.path_driven || !o.path_buffer || o.path_record_count == 0) continue;
    const u32 k = Seek_Index(n, o.path_record_count, vr_engine.path_loops);
    o.path_records_left = u16(o.path_record_count - k);
    o.path_current = static_cast<VrPathRecord*>(o.path_buffer) + k;
  }
}

void VR_Step_All_Paths(void) {
  VR_Step_Camera_Path();
  const u32* list = nullptr;
  const u32 n = VR_Scene_Movables(VR_Context_Scene(), &list);
  for (u32 i = 0; i < n; i++) VR_Step_Object_Path(list[i]);
}

void VR_Step_All_Paths_Back(void) {
  VR_Step_Camera_Path_Back();
  const u32* list = nullptr;
  const u32 n = VR_Scene_Movables(VR_Context_Scene(), &list);
  for (u32 i = 0; i < n; i++) VR_Step_Object_Path_Back(list[i]);
}

void VR_Select_Tick_Scene(u32 scene) { Mesh_Set_Tick_Scene(scene); }

void VR_Tick_Paths(u32 scene) {
  VR_Select_Tick_Scene(scene);
  if (vr_engine.tick_busy) return;
  MeshScene* s = Mesh_Get_Scene(scene);
  if (!s) return;
  if (s->path_on) VR_Step_Camera_Path();
  const u32* list = nullptr;
  const u32 n = VR_Scene_Movables(i32(scene), &list);
  for (u32 i = 0; i < n; i++) {
    MeshObject* o = VR_Scene_Object(i32(scene), list[i]);
    if (o && o->path_driven) VR_Step_Object_Path(list[i]);
  }
  VR_Step_Camera_Events();
}

void VR_Lock_Tick(void) { vr_engine.tick_busy = 1; }
void VR_Unlock_Tick(void) { vr_engine.tick_busy = 0; }

void VR_Store_Scene(void) {
  Mesh_Store_Scene();
  const VrCameraPath& p = vr_engine.path;
  Mesh_Set_Scene_View(p.current, p.buffer, p.file_size, p.record_count, p.records_left);
  MeshScene* s = Selected_Scene();
  if (!s) return;
  std::memcpy(s->camera_position, vr_camera.position, sizeof(s->camera_position));
  s->focal_x = vr_view.focal_x;
  s->focal_y = VR_Clamp_To_Int(vr_view.focal_y);
  s->path_loops = vr_engine.path_loops;
  s->path_on = vr_engine.path_on;
  std::memcpy(s->camera_angles, vr_camera.angles, sizeof(s->camera_angles));
  std::memcpy(s->second_angles, vr_camera.aim, sizeof(s->second_angles));
  s->sector_world = vr_engine.sector_world;
}

void VR_Select_Scene(u32 scene) {
  MeshScene* s = Mesh_Get_Scene(scene);
  if (!s || !s->in_use) Err_Error("VR: Scene %u does not exist", scene);
  vr_engine.tick_busy = 1;
  Mesh_Select_Scene(scene);
  VrCameraPath& p = vr_engine.path;
  void *current = nullptr, *buffer = nullptr;
  Mesh_Get_Scene_View(&current, &buffer, &p.file_size, &p.record_count, &p.records_left);
  p.current = static_cast<VrPathRecord*>(current);
  p.buffer = static_cast<VrPathRecord*>(buffer);
  std::memcpy(vr_camera.position, s->camera_position, sizeof(vr_camera.position));
  vr_engine.path_on = s->path_on;
  vr_engine.path_loops = s->path_loops;
  for (u32 a = 0; a < 3; a++) {
    vr_camera.angles[a] = s->camera_angles[a] & 2047;
    vr_camera.aim[a] = s->second_angles[a] & 2047;
  }
  vr_engine.sector_world = s->sector_world;
  if (vr_engine.path_override) vr_engine.path_on = 0;
  vr_view.focal_y = f32(s->focal_y);
  vr_view.focal_x = s->focal_x;
  Poly_Set_Projection(vr_view.focal_x, vr_view.focal_y);
  Poly_Set_Clip(0, 0, i32(vbe_screen.width), i32(vbe_screen.height));
  vr_engine.tick_busy = 0;
}

u32 VR_Event(u32 argument, u32 object, u32 p0, u32 p1, u32 p2, u32 p3) {
  if (vr_engine.event_count >= kVrMaxEvents) Err_Error("VR: Too many events");
  if (mesh_work.last_object < 0 || i32(object) > mesh_work.last_object)
    Err_Error("VR: Event object %u does not exist", object);
  const u32 index = vr_engine.event_count;
  VrEvent& e = vr_events[index];
  e = VrEvent{};
  const MeshObject& o = mesh_work.objects[object];
  e.object = object;
  e.scene = u32(Mesh_Get_Selected_Scene());
  e.argument = argument;
  e.parameter[0] = p0;
  e.parameter[1] = p1;
  e.parameter[2] = p2;
  e.parameter[3] = p3;
  if (o.point_count) {
    e.saved_points = static_cast<u8*>(Mem_Alloc(u32(o.point_count) * sizeof(MeshPoint)));
    Mem_Set_Description(e.saved_points, "VR_Event: orig.points");
  }
  if (o.poly_count) {
    e.saved_polys = static_cast<u8*>(Mem_Alloc(u32(o.poly_count) * sizeof(MeshPoly)));
    Mem_Set_Description(e.saved_polys, "VR_Event: orig.polys");
  }
  e.increment = -1;
  e.sound[0] = e.sound[1] = -1;
  vr_engine.event_count++;
  return index;
}

void VR_Save_Event_Copies(void) {
  for (u32 i = 0; i < vr_engine.event_count; i++) {
    VrEvent& e = vr_events[i];
    MeshScene* s = Mesh_Get_Scene(e.scene);
    const MeshObject* o = VR_Scene_Object(i32(e.scene), e.object);
    if (!s || !o) continue;
    if (e.saved_points)
      std::memcpy(e.saved_points, s->points + o->first_point, u32(o->point_count) * sizeof(MeshPoint));
    if (e.saved_polys) std::memcpy(e.saved_polys, s->polys + o->first_poly, u32(o->poly_count) * sizeof(MeshPoly));
  }
}

void VR_Set_Event_Sound(u32 event, i32 sound0, i32 sound1, i32 a, i32 b) {
  if (event >= vr_engine.event_count) return;
  VrEvent& e = vr_events[event];
  e.sound[0] = sound0;
  e.sound[1] = sound1;
  e.sound_a = a;
  e.sound_b = b;
}

void VR_Set_Event_Callback(u32 event, VrEventCallback callback) {
  if (event < vr_engine.event_count) vr_events[event].callback = callback;
}

// An event that does not exist, or one already under way, is left alone.
void VR_Trigger_Event(u32 event) {
  if (event >= vr_engine.event_count) return;
  VrEvent& e = vr_events[event];
  if (e.state != 0) return;
  e.state = 1;
  e.direction ^= 1;
  e.increment = -e.increment;
  e.counter = i32(e.parameter[3]);
  if (MeshObject* o = VR_Scene_Object(i32(e.scene), e.object)) o->door_closed = 0;
  vr_engine.running_events++;
}

void VR_Step_Events(void) {
  for (u32 i = 0; i < vr_engine.event_count; i++) {
    VrEvent& e = vr_events[i];
    if (e.counter > 0) {
      e.counter--;
      e.value += e.increment;
    }
  }
}

void VR_Step_Camera_Events(void) {
  const i32 t = Mesh_Get_Tick_Scene();
  MeshScene* s = t < 0 ? nullptr : Mesh_Get_Scene(u32(t));
  if (s && s->sector_world) VR_Step_Events();
}

void VR_Run_Events(void) {
  for (i32 i = i32(vr_engine.event_count) - 1; i >= 0; i--) {
    VrEvent& e = vr_events[i];
    if (e.state == 0) continue;
    if (e.state == 1) {
      e.state = 2;
      const i32 sound = e.sound[e.direction & 1];
      const MeshObject* o = VR_Scene_Object(i32(e.scene), e.object);
      if (sound >= 0 && o)
        VR_Play_Positional_Sound((o->bbox[0] + o->bbox[1]) * 0.5f, (o->bbox[2] + o->bbox[3]) * 0.5f,
                                 (o->bbox[4] + o->bbox[5]) * 0.5f, sound, 0, e.sound_a, e.sound_b);
    }
    if (e.callback) e.callback(u32(i));
    if (e.counter == 0) {
      e.state = 0;
      if (vr_engine.running_events) vr_engine.running_events--;
    }
  }
}

VrEvent* VR_Get_Event(u32 event) { return event < vr_engine.event_count ? &vr_events[event] : nullptr; }

void VR_Set_Sound_Unit(i32 unit) { vr_sound_unit = unit; }

void VR_Sound_Volume_Pan(f32 x, f32 y, f32 z, i32 base_volume, i32* volume, i32* pan) {
  const f32 unit = f32(vr_sound_unit < 1 ? 1 : vr_sound_unit);
  const f32 dx = x - vr_camera.position[0], dy = y - vr_camera.position[1], dz = z - vr_camera.position[2];
  i32 dist = VR_Clamp_To_Int(std::sqrt(dx * dx + dy * dy + dz * dz) / unit);
  if (dist < 0) dist = 0;
  const f32 s = VR_Sin(vr_camera.angles[VR_YAW]) * 100.0f, c = VR_Cos(vr_camera.angles[VR_YAW]) * 100.0f;
  const f32 q = c * c + s * s;
  i32 p = VR_Clamp_To_Int((dx * c - dz * s) / q * std::sqrt(q) * 4.0f / unit);
  *pan = p < -63 ? -63 : p > 63 ? 63 : p;
  i64 v = i64(base_volume) - dist;
  if (v < 0) v = 0;
  v += 10;
  *volume = i32(v > 63 ? 63 : v);
}

void VR_Play_Positional_Sound(f32 x, f32 y, f32 z, i32 sample, i32 a5, i32 a6, i32 volume) {
  i32 level = 0, pan = 0;
  VR_Sound_Volume_Pan(x, y, z, volume, &level, &pan);
  Music_Play_Sample(sample, a5, a6, level, pan);
}

void VR_Print_Object_Matrix(void) {
  for (u32 c = 0; c < 3; c++)
    std::printf("[%1.3f %1.3f %1.3f]\n", vr_object_matrix.m[c], vr_object_matrix.m[3 + c], vr_object_matrix.m[6 + c]);
}

void VR_Toggle_Path_Override(void) { vr_engine.path_override ^= 1; }
bool VR_Is_Path_Running(void) { return vr_engine.path_on != 0; }
void VR_Set_Path_Running(bool on) { vr_engine.path_on = on ? 1 : 0; }

u32 VR_Get_Path_Record(void) {
  const VrCameraPath& p = vr_engine.path;
  return p.record_count - p.records_left;
}
