// Gang scene: the doors after load and on their schedule, the flash, and the blurred trail while Enter is held.
#include "demo/gang/gang.h"

#include "art_gang.h"
#include "art.h"
#include "writer.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render/vrpath.h"
#include "runtime/key.h"
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
  EXPECT_EQ(vr_engine.event_count, 5u);
  for (u32 d = 0; d < 4; d++) {
    EXPECT_EQ(Door(d).door_closed, 1) << d;
    // The lower edge came down 72 steps of 12 from under the ceiling to the floor.
    EXPECT_EQ(Shutter_Edge(d), kGangCeiling + kGangShutterOpen + 864.0f) << d;
  }
  EXPECT_EQ(Door(4).door_closed, 0);
  EXPECT_EQ(Shutter_Edge(4), kGangCeiling + kGangShutterOpen);
  // The scene keeps its sector world and path; a scene stored after it starts from neither.
  EXPECT_EQ(Mesh_Get_Scene(State().scene)->sector_world, 1);
  EXPECT_EQ(vr_engine.sector_world + vr_engine.path_on, 0);
}

TEST_F(GangTest, DoorsOpenAndShutOnTheSchedule) {
  Load();
  Ticks(149);
  EXPECT_EQ(VR_Get_Event(State().first_event)->state, 0);
  Ticks(1);
  EXPECT_EQ(VR_Get_Event(State().first_event)->state, 1);
  EXPECT_EQ(Door(0).door_closed, 0);
  // The frames run the door; the ticks step it: 72 steps later it stands open, and at tick 400 it shuts.
  auto run = [&] {
    for (u32 i = 0; i < 80; i++) Gang_Frame(), Ticks(1);
    Gang_Frame();
  };
  run();
  EXPECT_EQ(Shutter_Edge(0), kGangCeiling + kGangShutterOpen);
  Ticks(400 - 231);
  run();
  EXPECT_EQ(Door(0).door_closed, 1);
  EXPECT_EQ(Door(2).door_closed, 1);
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

// Enter held: the picture blurred (the first time along the rows, in place: half of each pixel and a quarter
// of each neighbour), then averaged with the mix buffer (black here), which keeps the blurred picture.
TEST_F(GangTest, EnterHeldBlursAndTrailsThePicture) {
  Load();
  Gang_Frame();
  const u32 w = vbe_screen.width, n = w * vbe_screen.height;
  std::vector<u32> want(vbe_screen.frame, vbe_screen.frame + n);
  const auto half = [](u32 p) { return p >> 1 & 0x7F7F7Fu; };
  for (u32 i = w; i < n - w; i++) want[i] = half(half(want[i - 1]) + half(want[i + 1])) + half(want[i]);
  Vbe_Fill_Dwords(vbe_screen.mix, n, 0);
  Key_Set_Down(KEY_ENTER), Gang_Frame(), Key_Set_Up(KEY_ENTER);
  for (u32 i = 0; i < n; i++)
    ASSERT_EQ(std::make_pair(vbe_screen.frame[i], vbe_screen.mix[i]), std::make_pair(half(want[i]), want[i])) << i;
}

TEST_F(GangTest, ForeignDataIsFatal) {
  std::vector<DatafileEntry> entries = Entries();
  K3dMesh corridor = Gang_Art_Corridor();
  for (K3dObject& o : corridor.objects)
    if (o.name == "door4") o.name = "room4";
  std::vector<DatafileEntry> four_doors = entries, small_wall = entries;
  for (DatafileEntry& e : four_doors)
    if (e.name == "gang/kgang7.k3d") e.data = K3d_Write(corridor);
  for (DatafileEntry& e : small_wall)
    if (e.name == "gang/wall7.pcx") Art_Pcx(std::vector<u32>(128 * 128), 128, 128, Test_Short_Temp("w.pcx"), &e.data);
  Start(320, 200, four_doors);
  EXPECT_FATAL("Gang: gang/kgang7.k3d needs 5 doors", Gang_Load());
  Serve(small_wall);
  EXPECT_FATAL("Gang: gang/wall7.pcx must be a 24-bit picture of 256 x 256", Gang_Load());
}

}  // namespace
