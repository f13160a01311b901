// Gang scene: the tick schedule, the flash, the figure's frames, the doors and whole frames on real data.
#include "demo/gang/gang.h"

#include "art_gang.h"
#include "video/pcx.h"
#include "writer.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render/vrpath.h"
#include "scene_fixture.h"

namespace {
class GangTest : public SceneTest {
 protected:
  std::vector<DatafileEntry> Entries(void) {
    std::vector<DatafileEntry> entries;
    EXPECT_TRUE(Gang_Art_Entries(Scene_Scratch_Dir(), &entries));
    return entries;
  }
  void Load(u32 width = 320, u32 height = 200) {
    Start(width, height, Entries());
    Gang_Load();
  }
  const GangState& State() { return *Gang_Get_State(); }
  // Ticks as the host runs them: through the music's callback slot.
  void Ticks(u32 n) {
    Music_Set_Callback(Gang_Tick);
    for (u32 i = 0; i < n; i++) Music_Call_Callback();
  }
  const MeshObject& Door(u32 door) {
    const VrEvent* e = VR_Get_Event(State().first_event + door);
    return Mesh_Get_Scene(State().scene)->objects[e->object];
  }
  f32 Shutter_Edge(u32 door) { return Mesh_Get_Scene(State().scene)->points[Door(door).first_point + 4].y; }
};

TEST_F(GangTest, LoadShutsEveryDoorButTheSideDoor) {
  Load();
  EXPECT_EQ(vr_engine.running_events, 0u);
  EXPECT_EQ(vr_engine.event_count, 5u);
  for (u32 d = 0; d < 4; d++) {
    EXPECT_EQ(Door(d).door_closed, 1) << d;
    // The lower edge came down 72 steps of 12 from under the ceiling to the floor.
    EXPECT_EQ(Shutter_Edge(d), kGangCeiling + kGangShutterOpen + 864.0f) << d;
    const MeshPoly* polys = Mesh_Get_Scene(State().scene)->polys + Door(d).first_poly;
    EXPECT_EQ(polys[4].v_scale, 36.0f + 72.0f + 20.0f);
    EXPECT_EQ(polys[5].v_scale, 128.0f);
    const MeshPoly* saved = reinterpret_cast<const MeshPoly*>(VR_Get_Event(State().first_event + d)->saved_polys);
    EXPECT_EQ(polys[1].v_scale, saved[1].v_scale - 36.0f - 18.0f - 2.0f);
    EXPECT_EQ(polys[2].v_scale, polys[1].v_scale);
  }
  EXPECT_EQ(Door(4).door_closed, 0);
  EXPECT_EQ(Shutter_Edge(4), kGangCeiling + kGangShutterOpen);
  EXPECT_EQ(State().tick, 0);
  EXPECT_EQ(poly_state.near_z, 50.0f);
  // The scene keeps its sector world and path; a scene stored after it starts from neither.
  EXPECT_EQ(Mesh_Get_Scene(State().scene)->sector_world, 1);
  EXPECT_EQ(Mesh_Get_Scene(State().scene)->path_record_count, kGangPathRecords);
  EXPECT_EQ(vr_engine.sector_world, 0);
  EXPECT_EQ(vr_engine.path_on, 0);
  EXPECT_EQ(vr_engine.path.buffer, nullptr);
}

TEST_F(GangTest, AssignTexturesFollowsTheFileNumbers) {
  Load();
  const u32 first = u32(mesh_work.last_poly + 1);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (u32 k = 0; k < 4; k++) Mesh_Add_Point(f32(k), 0, 0);
  const u32 pts[4] = {u32(mesh_work.last_point) - 3, u32(mesh_work.last_point) - 2, u32(mesh_work.last_point) - 1,
                      u32(mesh_work.last_point)};
  for (u32 n = 0; n < 13; n++) Mesh_Add_Poly(0, u8(n), 0, 4, pts);
  Mesh_End_Object();
  for (u32 n = 0; n < 13; n++) Mesh_Set_Poly_Tex_Scale(first + n, 7, 9);
  Gang_Assign_Textures(first, first + 13, 100);
  const u8 slot[13] = {107, 105, 100, 104, 102, 102, 102, 102, 102, 100, 103, 101, 12};
  const f32 u_scale[13] = {7, 118, 118, 124, 70, 45, 70, 70, 70, 118, 7, 124, 7};
  const f32 v_scale[13] = {9, 118, 118, 124, 35, 118, 35, 35, 35, 118, 9, 9, 9};
  // Three turns of the corners put the second corner first; one turn the last.
  const u32 first_corner[13] = {0, 0, 0, 0, 1, 3, 1, 1, 1, 1, 0, 0, 0};
  for (u32 n = 0; n < 13; n++) {
    const MeshPoly& p = mesh_work.polys[first + n];
    EXPECT_EQ(p.texture, slot[n]) << n;
    EXPECT_EQ(p.u_scale, u_scale[n]) << n;
    EXPECT_EQ(p.v_scale, v_scale[n]) << n;
    EXPECT_EQ(p.point[0], pts[first_corner[n]]) << n;
  }
  EXPECT_EQ(mesh_work.polys[first + 4].u[0], 55);
  EXPECT_EQ(mesh_work.polys[first + 4].v[0], 2);
  EXPECT_EQ(mesh_work.polys[first + 6].v[0], 39);
  EXPECT_EQ(mesh_work.polys[first + 10].u[0], 30);
}

TEST_F(GangTest, DoorsOpenAndShutOnTheSchedule) {
  Load();
  Ticks(149);
  EXPECT_EQ(VR_Get_Event(State().first_event)->state, 0);
  Ticks(1);
  EXPECT_EQ(VR_Get_Event(State().first_event)->state, 1);
  EXPECT_EQ(Door(0).door_closed, 0);
  // The frames run the door; the ticks step it: 72 steps later it stands open.
  for (u32 i = 0; i < 80; i++) {
    Gang_Frame();
    Ticks(1);
  }
  Gang_Frame();
  EXPECT_EQ(Shutter_Edge(0), kGangCeiling + kGangShutterOpen);
  EXPECT_EQ(Door(0).door_closed, 0);
  Ticks(400 - 231);
  for (u32 i = 0; i < 80; i++) {
    Gang_Frame();
    Ticks(1);
  }
  Gang_Frame();
  EXPECT_EQ(Door(0).door_closed, 1);
  EXPECT_EQ(Door(2).door_closed, 1);
}

TEST_F(GangTest, CounterStartsAgainAfter2800) {
  Load();
  Ticks(2800);
  EXPECT_EQ(State().tick, 2800);
  Ticks(1);
  EXPECT_EQ(State().tick, 0);
  Ticks(150);
  EXPECT_EQ(VR_Get_Event(State().first_event)->state, 1);
}

// The face's slot looks at the lit half (128 texels on) from tick 1900 for 15 ticks, and at ticks 800 and
// 2000; a second flash while one is on leaves it where it is.
TEST_F(GangTest, FlashLooksAtTheLitFaceFor15Ticks) {
  Load();
  u32* face = Poly_Get_Texture(State().slots.face);
  const std::pair<u32, u32> steps[] = {{800, 128}, {1099, 0}, {1, 128}, {14, 128}, {1, 0}, {85, 128}};
  for (auto [ticks, lit] : steps) {
    Ticks(ticks);
    EXPECT_EQ(Poly_Get_Texture(State().slots.face), face + lit) << State().tick;
  }
  Gang_Light_Flash();
  EXPECT_EQ(Poly_Get_Texture(State().slots.face), face + 128);
}

TEST_F(GangTest, FigureStepsEveryFifthTick) {
  Load();
  const MeshObject& figure = Mesh_Get_Scene(State().scene)->objects[State().figure];
  EXPECT_EQ(figure.anim_frame_count, kGangFigureFrames);
  const std::pair<u32, i32> steps[] = {{1, 1}, {4, 1}, {1, 2}, {5 * (kGangFigureFrames - 2), 0}};
  for (auto [ticks, frame] : steps) {
    Ticks(ticks);
    EXPECT_EQ(figure.anim_frame, frame);
  }
}

TEST_F(GangTest, FrameWalksTheFigureAndTheCamera) {
  Load();
  Ticks(1000);
  Gang_Frame();
  const MeshScene* s = Mesh_Get_Scene(State().scene);
  EXPECT_EQ(s->objects[State().figure].position[2], f32((750 - 1000) * 4));
  EXPECT_EQ(s->second_angles[0], 4000 & 2047);
  EXPECT_EQ(VR_Get_Path_Record(), 1000u);
  EXPECT_EQ(vr_view.origin_y, 0);
  EXPECT_STREQ(Seq_Get_Part_Name(), "gang");
}

TEST_F(GangTest, CorridorWithoutFiveDoorsIsFatal) {
  std::vector<DatafileEntry> entries = Entries();
  K3dMesh corridor = Gang_Art_Corridor();
  for (K3dObject& o : corridor.objects)
    if (o.name == "door4") o.name = "room4";
  for (DatafileEntry& e : entries)
    if (e.name == "gang/kgang7.k3d") e.data = K3d_Write(corridor);
  Start(320, 200, entries);
  EXPECT_SCENE_FATAL("Gang: gang/kgang7.k3d needs 5 doors", Gang_Load());
}

TEST_F(GangTest, PictureOfTheWrongSizeIsFatal) {
  std::vector<DatafileEntry> entries = Entries();
  std::vector<u32> small(128 * 128, 0x808080);
  const std::string path = Scene_Temp("small.pcx");
  ASSERT_EQ(Pcx_Save(small.data(), 128, 128, 24, path.c_str()), PCX_SAVE_OK);
  for (DatafileEntry& e : entries)
    if (e.name == "gang/wall7.pcx") { ASSERT_TRUE(Read_File(path, &e.data)); }
  std::remove(path.c_str());
  Start(320, 200, entries);
  EXPECT_SCENE_FATAL("Gang: gang/wall7.pcx must be a 24-bit picture of 256 x 256", Gang_Load());
}

}  // namespace
