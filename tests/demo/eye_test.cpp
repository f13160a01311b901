// Eye scene: the blink machine, the lid setters, the camera's roll and a picture too small.
#include "demo/eye/eye.h"

#include "art.h"
#include "art_eye.h"
#include "music/music.h"
#include "render/mesh.h"
#include "scene_fixture.h"

namespace {
class EyeTest : public SceneTest {
 protected:
  void Load(void) {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Art_Eye_Entries(Scene_Scratch_Dir(), &entries));
    Start(320, 200, entries);
    Eye_Load();
  }
  const EyeState& State() { return *Eye_Get_State(); }
  // Ticks as the host runs them: through the music's callback slot.
  void Ticks(u32 n) {
    Music_Set_Callback(Eye_Tick);
    for (u32 i = 0; i < n; i++) Music_Call_Callback();
  }
  i32 Roll(void) { return Mesh_Get_Scene(State().scene)->camera_angles[2]; }
};

// After the switch the first step comes 40 ticks later; then the pictures for 5, 9 and 5 ticks, then a
// rest of 180 to 219. With the lid lowered the same blink runs through the second set. Seen every tick.
// One engine start per case (the open lid, then the lowered one), so nothing of the first outlives it.
class EyeBlinkTest : public EyeTest, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(Lid, EyeBlinkTest, ::testing::Bool());
TEST_P(EyeBlinkTest, BlinkStepsThroughItsPicturesAndRests) {
  const u32 last_tick[] = {39, 44, 53, 58, 59};  // of each picture
  const u8 open[] = {0, 2, 1, 2, 0}, lowered[] = {5, 4, 5, 4, 3};
  for (bool lid : {GetParam()}) {
    Load();
    if (lid) Eye_Event_Lid_Half(), Eye_Event_Lid_Down();
    Eye_Event_Blink_On();
    for (u32 tick = 1, k = 0; tick <= 59; tick++) {
      Ticks(1);
      k += tick > last_tick[k];
      ASSERT_EQ(State().frame_index, (lid ? lowered : open)[k]) << lid << " tick " << tick;
    }
    EXPECT_EQ(State().blink_state, lid ? 5 : 1);
    EXPECT_TRUE(State().countdown >= 180 && State().countdown <= 219) << State().countdown;
    const u8 resting = State().frame_index;
    Ticks(u32(State().countdown) - 1);
    EXPECT_EQ(State().frame_index, resting);
    Ticks(1);
    EXPECT_NE(State().frame_index, resting);
  }
}

// The frame index stays a picture (3 raised is 0); the blink state goes past the table and the machine stands
// still. A blink reset at index 5 or 3 leaves the lid lowered: index 3, state 5.
TEST_F(EyeTest, LidSettersKeepTheFrameIndexAPicture) {
  Load();
  const std::pair<DemoCallback, std::pair<u8, i32>> steps[] = {
      {Eye_Event_Lid_Half, {1, 1}}, {Eye_Event_Lid_Down, {5, 5}}, {Eye_Event_Blink_Reset, {3, 5}},
      {Eye_Event_Blink_Reset, {3, 5}},
      {Eye_Event_Lid_Up, {0, 1}},   {Eye_Event_Lid_Down, {4, 5}}, {Eye_Event_Lid_Down, {5, 9}},
      {Eye_Event_Lid_Up, {1, 5}},   {Eye_Event_Lid_Up, {0, 1}},   {Eye_Event_Lid_Up, {0, -3}}};
  for (auto& [setter, after] : steps) {
    setter();
    EXPECT_EQ(std::make_pair(State().frame_index, State().blink_state), after);
    if (State().blink_state == 9) {
      Eye_Event_Blink_On();
      Ticks(300);
      EXPECT_EQ(std::make_pair(State().frame_index, State().blink_state), after);
    }
  }
  Eye_Event_Lid_Half(), Eye_Event_Lid_Reset();
  EXPECT_EQ(State().frame_index, 0);
}

// The camera's roll is -600, -200 or 1000 by the direction's sign, and turns by the direction every tick.
TEST_F(EyeTest, DirectionRollsTheCameraEveryTick) {
  Load();
  Eye_Event_Camera();
  EXPECT_EQ(Roll(), 2048 - 600);
  for (int i = 0; i < 3; i++) Eye_Event_Dir_Down();
  Eye_Event_Camera();
  EXPECT_EQ(Roll(), 2048 - 200);
  Ticks(10);
  EXPECT_EQ(Roll(), 1818);
  Eye_Event_Dir_Flip();
  Eye_Event_Camera();
  EXPECT_EQ(Roll(), 1000);
}

TEST_F(EyeTest, PictureTooSmallForTheTextureIsFatal) {
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Eye_Entries(Scene_Scratch_Dir(), &entries));
  ASSERT_TRUE(Art_Pcx(std::vector<u32>(256 * 256, 0x404040), 256, 256, Test_Short_Temp("small.pcx"), &entries[0].data));
  Start(320, 200, entries);
  EXPECT_FATAL("Eye: eye/keye1a.pcx must be a 24-bit picture 256 wide and at least 259 high", Eye_Load());
}

}  // namespace
