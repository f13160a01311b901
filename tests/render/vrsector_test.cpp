// Tests of the sector world: views and doors from names, the portal walk, doors over time, the polygon map.
#include "render/vrsector.h"

#include "vr_fixture.h"

namespace {
// Sectors along +z: sector k spans z 200k .. 200(k + 1); a view joins each pair; the middle one may be a door.
class VrSectorTest : public VrTest {
 protected:
  u32 sectors[3] = {0, 0, 0};
  u32 views[2] = {0, 0};

  void Build(u32 count, bool door) {
    Add_Texture(0), Add_Texture(1);
    Mesh_Create_Scene(200, 100, 10, 2, 200);
    sectors[0] = Vr_Add_Box_Sector("room0", 0, 200, 0x0000FF, count == 2);
    sectors[1] = Vr_Add_Box_Sector(door ? "door1" : "room1", 200, 400, 0x00FF00, count == 2, door ? 2 : 0);
    views[0] = Vr_Add_View("view0", 200);
    if (count == 3) {
      sectors[2] = Vr_Add_Box_Sector("room2", 400, 600, 0xFF0000, true);
      views[1] = Vr_Add_View("view1", 400);
    }
    VR_Init_Sectors();
    VR_Save_Event_Copies();
    VR_Set_Camera_Position(0, 0, 20);
    Poly_Set_Near(10.0f);
    VR_Store_Scene();
  }
  std::vector<u32> Render(void) {
    VR_Select_Scene(0);
    std::fill(frame.begin(), frame.end(), 0);
    std::vector<u32> order(1000);
    u32 count = 0;
    VR_Record_Draw_Order(order.data(), u32(order.size()), &count);
    VR_Render_Frame();
    VR_Record_Draw_Order(nullptr, 0, nullptr);
    order.resize(count);
    return order;
  }
  u32 Object_Of(u32 polygon) {
    for (i32 o = 0; o <= mesh_work.last_object; o++) {
      const MeshObject& ob = mesh_work.objects[o];
      if (polygon >= ob.first_poly && polygon < u32(ob.first_poly) + ob.poly_count) return u32(o);
    }
    return ~0u;
  }
};
}  // namespace

TEST_F(VrSectorTest, TwoSectorWalkDrawsFarSectorFirst) {
  Build(2, false);
  const std::vector<u32> order = Render();
  EXPECT_EQ(vr_engine.camera_sector, i32(sectors[0]));
  EXPECT_EQ(mesh_work.objects[views[0]].hidden, 1);
  ASSERT_FALSE(order.empty());
  // Every polygon of the farther sector comes before any of the nearer one.
  bool near_seen = false;
  for (u32 p : order) {
    if (Object_Of(p) == sectors[0]) near_seen = true;
    if (Object_Of(p) == sectors[1]) { EXPECT_FALSE(near_seen) << p; }
  }
  EXPECT_TRUE(near_seen);
}

TEST_F(VrSectorTest, ThreeSectorWalkAndAClosedDoor) {
  Build(3, true);
  std::vector<u32> order = Render();
  EXPECT_EQ(mesh_work.objects[sectors[2]].hidden, 0);
  EXPECT_EQ(Object_Of(order.front()), sectors[2]);
  EXPECT_EQ(frame[100 * 320 + 160], 0xFF0000u);  // the far end wall through both portals
  // Closed, the door is drawn but the walk stops there.
  mesh_work.objects[sectors[1]].door_closed = 1;
  order = Render();
  EXPECT_EQ(std::tuple(mesh_work.objects[sectors[2]].hidden, mesh_work.objects[sectors[1]].hidden), std::tuple(1, 0));
  for (u32 p : order) EXPECT_NE(Object_Of(p), sectors[2]);
}

TEST_F(VrSectorTest, DoorOpensAndClosesOverTime) {
  Build(3, true);
  EXPECT_EQ(VR_Get_Event(0)->parameter[3], 72u);
  static i32 last_value;
  VR_Set_Event_Callback(0, [](u32 event) {
    VrEvent* ev = VR_Get_Event(event);
    last_value = ev->value;
    if (ev->counter == 0 && ev->direction == 1) mesh_work.objects[ev->object].door_closed = 1;
  });
  VR_Trigger_Event(0);
  for (int tick = 0; tick < 72; tick++) {
    VR_Step_Events();
    if (tick % 3 == 2) Render();
  }
  Render();
  EXPECT_EQ(std::tuple(last_value, mesh_work.objects[sectors[1]].door_closed), std::tuple(72, u8(1)));
  Render();
  EXPECT_EQ(mesh_work.objects[sectors[2]].hidden, 1);
  VR_Trigger_Event(0);
  EXPECT_EQ(mesh_work.objects[sectors[1]].door_closed, 0);
  for (int tick = 0; tick < 72; tick++) VR_Step_Events();
  Render();
  EXPECT_EQ(std::tuple(last_value, mesh_work.objects[sectors[2]].hidden), std::tuple(0, 0));
}

// With the camera in room 0, rooms 0, 1 (a door) and 2 get keys 1000, 2000 and 3000. A movable shows only strictly
// inside a visible sector's box (x, y within +/-100) and takes that sector's key, the lower index's where two hold it.
TEST_F(VrSectorTest, MovablesTakeTheKeyOfTheVisibleSectorHoldingThem) {
  Build(3, true);
  const u32 m = Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  Mesh_End_Object();
  VR_Store_Scene();
  MeshObject& mv = mesh_work.objects[m];
  const struct { f32 x, z; u8 door_closed, overlap, hidden; u32 key; } rows[] = {
      {0, 100, 0, 0, 0, 1000}, {0, 300, 0, 0, 0, 2000}, {0, 500, 0, 0, 0, 3000}, {0, 200, 0, 0, 1, 0},
      {100, 100, 0, 0, 1, 0},  {0, 700, 0, 0, 1, 0},    {0, 500, 1, 0, 1, 0},    {0, 100, 0, 1, 0, 1000}};
  for (const auto& r : rows) {
    mv.position[0] = r.x, mv.position[2] = r.z, mv.order_key = 0;
    mesh_work.objects[sectors[1]].door_closed = r.door_closed;
    mesh_work.objects[sectors[1]].bbox[4] = r.overlap ? 0.0f : 200.0f;  // room 1 reaching back over room 0
    Render();
    EXPECT_EQ(std::tuple(mv.hidden, r.hidden ? 0 : mv.order_key), std::tuple(r.hidden, r.key)) << r.x << "," << r.z;
  }
}

TEST_F(VrSectorTest, SetUpFaults) {
  Mesh_Create_Scene(200, 100, 10, 2, 200);
  Vr_Add_Box_Sector("room0", 0, 200, 0, false);
  Vr_Add_View("view0", 1000);
  EXPECT_FATAL("Unable to find view-sector for view at point #8", VR_Init_Sectors());
  EXPECT_FATAL("VR: Negative sector!!", VR_Traverse_Portals(-1, -1, 8, 1000));
  EXPECT_FATAL("VR: Sector 2 does not exist", VR_Traverse_Portals(-1, 2, 8, 1000));
  // The view moved into the room's middle has the room on both sides; renamed, it is a door of 5 polygons.
  EXPECT_FATAL("View points to similar sector at point #8",
               for (u32 i = 8; i < 12; i++) mesh_work.points[i].z = 100; VR_Init_Sectors());
  EXPECT_FATAL("VR: View 1 has fewer than 4 points", mesh_work.objects[1].point_count = 3, VR_Init_Sectors());
  EXPECT_FATAL("VR: Door 1 has fewer than 6 polygons", std::memcpy(mesh_work.objects[1].name, "door", 4),
               mesh_work.objects[1].poly_count = 5, VR_Init_Sectors());
  EXPECT_FATAL("VR: Too many sectors", mesh_work.last_object = 256, VR_Init_Sectors());
}

TEST_F(VrSectorTest, PolygonMapSpansTheStoreRectangle) {
  Mesh_Create_Scene(20, 10, 2, 1, 20);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  const f32 corners[4][2] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  u32 pts[4];
  for (u32 i = 0; i < 4; i++) pts[i] = Mesh_Add_Point(corners[i][0], corners[i][1], 0);
  const u32 p = Mesh_Add_Poly(0, 0, 0x80, 4, pts);
  Mesh_End_Object();
  // The map fills the rectangle set on the mesh store: its corners go to the rectangle's corners.
  Mesh_Set_Uv_Rect(10, 20, 100, 50);
  VR_Set_Map_Params(0, 0, -1);
  VR_Add_Map_Polygon(p);
  EXPECT_FATAL("VR: Map polygon 1 does not exist", VR_Add_Map_Polygon(p + 1));
  VR_Render_Polygon_Map(3);
  const MeshPoly& q = mesh_work.polys[p];
  EXPECT_EQ(q.texture, 3);
  for (u32 i = 0; i < 4; i++)
    EXPECT_TRUE((q.u[i] == 10 || q.u[i] == 110) && (q.v[i] == 20 || q.v[i] == 70)) << i << " " << int(q.u[i]);
  EXPECT_NE(q.u[0], q.u[2]);
  EXPECT_NE(q.v[0], q.v[2]);
  Mesh_Set_Uv_Rect(1, 1, 252, 252);
  // A degenerate group (no extent) maps to the rectangle's middle instead of dividing by zero.
  VR_Add_Map_Polygon(p);
  mesh_work.points[pts[1]] = mesh_work.points[pts[2]] = mesh_work.points[pts[3]] = mesh_work.points[pts[0]];
  VR_Add_Map_Polygon(p);
  VR_Render_Polygon_Map(3);
}

// From just in front of it a portal covers the whole view, every edge off screen: it is passed all the same.
TEST_F(VrSectorTest, PortalCoveringTheWholeViewIsPassed) {
  Build(2, false);
  VR_Set_Camera_Position(0, 0, 195);
  VR_Store_Scene();
  Render();
  EXPECT_EQ(mesh_work.objects[sectors[1]].hidden, 0);
}
