// Mesh store: scenes of points, normals, polygons, objects, movables and doors, and the tools on them.
#pragma once
#include "runtime/types.h"

const u32 kMeshMaxScenes = 20;
const u32 kMeshMaxDoors = 100;
const u32 kMeshNameBytes = 15;

// Polygon flag bits the store itself sets or reads.
const u32 kMeshPolyOnePoint = 0x1;
const u32 kMeshPolyOwnUv = 0x80;
const u32 kMeshPolySpriteTexel = 0x200;
const u32 kMeshPolyRawColour = 0x800;
const u32 kMeshPolyPlaneFromExtra = 0x20000000;
const u32 kMeshPolyNoHit = 0x40000000;
// Object flag bits the store reads.
const u32 kMeshObjectMovable = 0x2;
const u32 kMeshObjectSmooth = 0xC;
const u32 kMeshObjectNoHit = 0x40000000;

// One vertex; the animation buffers and the VR engine's transformed points share this 16-byte layout.
struct MeshPoint {
  f32 x, y, z;
  u16 normal;
  u16 spare;
};
static_assert(sizeof(MeshPoint) == 16);

struct MeshNormal {
  f32 x, y, z;
  f32 w;  // read by nothing
};
static_assert(sizeof(MeshNormal) == 16);

// The four-float vector of the vector helpers.
struct MeshVector {
  f32 x, y, z, w;
};

struct MeshPoly {
  u32 point[4];
  u32 flags;
  u8 type;
  u8 texture;
  u8 vertex_count;
  u8 poly_class;  // written by the VR engine each frame
  u8 u[4];
  u8 v[4];
  u32 colour;
  u32 value;
  u32 extra;  // polygon whose plane the perspective mapping uses (flag bit 29)
  f32 u_scale, v_scale;
  u16 depth_bias;
  u16 spare16;
  u32 spare32;
};

struct MeshObject {
  u32 order_key;
  u32 depth_bias;
  f32 position[3];
  u32 shade;
  u16 first_point, point_count;  // while the object is open the count holds the last point at creation
  u16 first_poly, poly_count;    // the same for polygons
  u32 flags;
  u8 attribute_a, attribute_b;
  i32 angles[3];
  MeshPoint* anim_buffer;
  u8 path_driven;
  u8 hidden;
  u16 path_records_left, path_record_count;
  void* path_current;
  void* path_buffer;
  u16 anim_frame, anim_frame_count;
  u32 points_per_frame;
  u32 frame_offset;
  u8 type;
  char name[kMeshNameBytes];
  f32 bbox[6];  // min x, max x, min y, max y, min z, max z
  u8 portal_count;
  u32 portals[8];
  u8 door_closed;
  u8 kind;  // 0 plain, 1 view, 2 door
};

struct MeshDoor {
  u32 first_point;
  u32 value;
  u8 sector_a, sector_b, extra;
};

// Indices into the five maxima of a scene.
enum MeshLimit : u8 { MESH_MAX_POINTS, MESH_MAX_NORMALS, MESH_MAX_POLYS, MESH_MAX_OBJECTS, MESH_MAX_MOVABLES };

// The selected scene's arrays, counters and maxima: what every add and query works on.
struct MeshWork {
  MeshPoint* points;
  MeshNormal* normals;
  MeshPoly* polys;
  MeshObject* objects;
  u32* movables;
  MeshDoor* doors;
  i32 last_point, last_poly, last_normal, last_object;
  u32 movable_count;
  u32 door_count;
  u32 max[5];  // indexed by MeshLimit
};
// A scene: its working set, kept here while another scene is selected, and its camera state.
struct MeshScene : MeshWork {
  u32 in_use;
  // Camera path state, kept for the VR engine's path stepping.
  void* path_current;
  void* path_buffer;
  u32 path_file_size;
  u32 path_record_count;
  u32 path_records_left;
  u8 path_loops;
  u8 path_on;
  f32 camera_position[3];
  f32 focal_x;
  i32 focal_y;
  i32 camera_angles[3];
  i32 second_angles[3];
  u8 sector_world;
};

extern MeshWork mesh_work;

// ---- scenes and defaults ----
void Mesh_Init(void);
void Mesh_Reset(void);
u32 Mesh_Create_Scene(u32 max_points, u32 max_polys, u32 max_objects, u32 max_movables, u32 max_normals);
void Mesh_Select_Scene(u32 scene);
void Mesh_Store_Scene(void);
void Mesh_Free_Scene(u32 scene);
void Mesh_Free_All_Scenes(void);
MeshScene* Mesh_Get_Scene(u32 scene);
i32 Mesh_Get_Selected_Scene(void);
u32 Mesh_Get_Scene_Count(void);
void Mesh_Set_Tick_Scene(u32 scene);
i32 Mesh_Get_Tick_Scene(void);
// Where the in-tick flag comes from: the music's in-callback flag by default (null restores it).
void Mesh_Set_Tick_Query(u8 (*in_tick)(void));
u8 Mesh_In_Tick(void);
void Mesh_Set_Scene_View(void* current, void* buffer, u32 file_size, u32 record_count, u32 records_left);
void Mesh_Get_Scene_View(void** current, void** buffer, u32* file_size, u32* record_count, u32* records_left);
void Mesh_Clear_Counters(void);
void Mesh_Set_Object_Type(u8 type);
void Mesh_Set_Shade(u32 shade);
void Mesh_Set_Poly_Type(u8 type);
void Mesh_Set_Poly_Colour(u32 colour);
void Mesh_Set_Default_Tex_Scale(i32 scale);
void Mesh_Set_Point(u32 point, f32 x, f32 y, f32 z);
void Mesh_Move_Point(u32 point, f32 x, f32 y, f32 z);

// ---- adds ----
// Claims the index after *last in one of the selected scene's arrays; "Mesh: Too many <what>" when it is full.
i32 Mesh_Claim(i32* last, MeshLimit limit, const char* what);
void Mesh_Set_Scale(f32 scale);
u32 Mesh_Add_Object(f32 x, f32 y, f32 z, u8 attribute_a, u8 attribute_b, u32 flags, MeshPoint* anim_buffer);
u32 Mesh_Add_Point(f32 x, f32 y, f32 z);
u32 Mesh_Add_Normal(f32 x, f32 y, f32 z);
void Mesh_Add_To_Normal(u16 normal, f32 x, f32 y, f32 z);
u32 Mesh_Add_Poly(u8 type, u8 texture, u32 flags, u8 vertex_count, const u32* points);
u32 Mesh_Add_Sprite(f32 x, f32 y, f32 z, u32 texture, u32 flags, u8 u, u8 v);
u32 Mesh_Add_Sprite_Poly(u32 point, u32 texture, u32 flags, u8 u, u8 v);
u32 Mesh_Add_Dot(f32 x, f32 y, f32 z, u8 texture, u8 type, u32 flags, u8 u, u8 v);
u32 Mesh_Add_Dot_Poly(u32 point, u8 texture, u8 type, u32 flags, u8 u, u8 v);
void Mesh_End_Object(void);

// ---- vectors ----
MeshVector Mesh_Face_Normal(const MeshPoly& poly);
MeshVector Mesh_Normalize(f32 x, f32 y, f32 z);
MeshVector Mesh_Scale_Vector(MeshVector v, f32 factor);
u32 Mesh_Set_Poly_Normal(u32 poly, f32 x, f32 y, f32 z);

// ---- queries and setters ----
MeshPoint Mesh_Get_Point(u32 point);
u32 Mesh_Get_Poly_First_Point(u32 poly);
void Mesh_Set_Poly_Uv(u32 poly, u8 texture, u8 u0, u8 v0, u8 u1, u8 v1, u8 u2, u8 v2, u8 u3, u8 v3);
void Mesh_Set_Poly_Flags(u32 poly, u32 flags);
void Mesh_Set_Poly_Tex_Scale(u32 poly, i32 u_scale, i32 v_scale);
void Mesh_Set_Poly_Value(u32 poly, u32 value);
u8 Mesh_Get_Poly_Texture(u32 poly);
u32 Mesh_Get_First_Poly(void);
u32 Mesh_Get_Last_Poly(void);
u32 Mesh_Get_First_Point(void);
u32 Mesh_Get_Last_Point(void);
u32 Mesh_Get_Object_First_Poly(u32 object);
u32 Mesh_Get_Object_Last_Poly(u32 object);
u32 Mesh_Get_Object_First_Point(u32 object);
u32 Mesh_Get_Object_Last_Point(u32 object);

// ---- settings and animation ----
void Mesh_Set_Uv_Rect(u32 x, u32 y, u32 width, u32 height);
void Mesh_Get_Uv_Rect(u32* x, u32* y, u32* width, u32* height);
void Mesh_Set_Axis_Order(i32 a0, i32 a1, i32 a2);
void Mesh_Get_Axis_Order(i32* axes);
f32 Mesh_Get_Scale(void);
u8 Mesh_Get_Poly_Type(void);
u32 Mesh_Get_Shade(void);
// Flags of the newest object, as given to Mesh_Add_Object.
u32 Mesh_Get_Object_Flags(void);
// The object between Mesh_Add_Object and Mesh_End_Object, or -1.
i32 Mesh_Get_Open_Object(void);
MeshPoint* Mesh_Alloc_Anim_Buffer(u32 points);
void Mesh_Set_Anim_Buffer(MeshPoint* buffer);
void Mesh_Begin_Anim_Points(u16 first);
void Mesh_End_Anim_Points(void);
void Mesh_Set_Anim_Frames(u16 frame_count, u16 points_per_frame);
void Mesh_Next_Anim_Frame(u16 object);
void* Mesh_Grow_Array(void* block, u32* count, u32 entry_size);
void Mesh_Show_Scene(void);
