// Eye scene: the blink machine, the setters, the camera, the texture pastes and whole frames on real data.
#include "demo/eye/eye.h"

#include "art.h"
#include "art_eye.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render/vrpath.h"
#include "scene_fixture.h"

namespace {
class EyeTest : public SceneTest {
 protected:
  void Load(u32 width = 320, u32 height = 200) {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Art_Eye_Entries(Scene_Scratch_Dir(), &entries));
    Start(width, height, entries);
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
// rest of 180 to 219. With the lid lowered the same blink runs through the second set.
TEST_F(EyeTest, BlinkStepsThroughItsPicturesAndRests) {
  const std::vector<std::pair<u32, u8>> open = {{39, 0}, {1, 2}, {4, 2}, {1, 1}, {9, 2}, {5, 0}};
  const std::vector<std::pair<u32, u8>> lowered = {{39, 5}, {1, 4}, {5, 5}, {9, 4}, {5, 3}};
  for (bool lid : {false, true}) {
    Load();
    if (lid) Eye_Event_Lid_Half(), Eye_Event_Lid_Down();
    Eye_Event_Blink_On();
    for (auto [ticks, frame] : lid ? lowered : open) {
      Ticks(ticks);
      EXPECT_EQ(State().frame_index, frame) << lid;
    }
    EXPECT_EQ(State().blink_state, lid ? 5 : 1);
    EXPECT_GE(State().countdown, 180);
    EXPECT_LE(State().countdown, 219);
    const u8 resting = State().frame_index;
    Ticks(u32(State().countdown) - 1);
    EXPECT_EQ(State().frame_index, resting);
    Ticks(1);
    EXPECT_NE(State().frame_index, resting);
  }
}

// The frame index stays a picture; the blink state goes past the table and the machine stands still.
TEST_F(EyeTest, LidSettersKeepTheFrameIndexAPicture) {
  Load();
  const std::pair<DemoCallback, std::pair<u8, i32>> steps[] = {
      {Eye_Event_Lid_Half, {1, 1}}, {Eye_Event_Lid_Down, {5, 5}}, {Eye_Event_Lid_Down, {5, 9}},
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
  Eye_Event_Lid_Half();
  Eye_Event_Lid_Reset();
  EXPECT_EQ(State().frame_index, 0);
}

TEST_F(EyeTest, BlinkResetRestsInTheSetOfTheLid) {
  Load();
  Eye_Event_Blink_On();
  Eye_Event_Lid_Half();
  Eye_Event_Lid_Down();
  Eye_Event_Blink_Reset();
  EXPECT_EQ(State().blinking, 0);
  EXPECT_EQ(std::make_pair(State().frame_index, State().blink_state), std::make_pair(u8(3), 5));
  EXPECT_GE(State().countdown, 180);
  EXPECT_LE(State().countdown, 219);
  Eye_Event_Lid_Half();
  Eye_Event_Blink_Reset();
  EXPECT_EQ(std::make_pair(State().frame_index, State().blink_state), std::make_pair(u8(0), 1));
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
  Ticks(400);
  EXPECT_EQ(Roll(), (1000 + 1200) & 2047);
  Eye_Event_Dir_Up();
  EXPECT_EQ(State().direction, 4);
  Eye_Event_Dir_Zero();
  EXPECT_EQ(State().direction, 0);
}

// With the angles at 0 the camera sits on the axis at the sway amplitude less 1200.
TEST_F(EyeTest, CameraPullsBackAndForthWithTheSway) {
  Load();
  for (i32 amplitude : {0, 540, -600}) {
    design_state.sway_amplitude = amplitude;
    Eye_Draw();
    EXPECT_EQ(std::vector<f32>(vr_camera.position, vr_camera.position + 3), std::vector<f32>({0, 0, amplitude - 1200.0f}));
  }
}

TEST_F(EyeTest, PastesOnlyWhenThePictureChanges) {
  Load();
  const EyeState& e = State();
  u32* texel = e.texture + (74 + 65) * 256 + 42 + 80;
  const u32 open = *texel;
  Eye_Event_Lid_Half();
  Eye_Draw();
  EXPECT_EQ(e.shown_index, 1);
  EXPECT_EQ(*texel, Vbe_Bitmap_Pixels(e.frames[1])[65 * 160 + 80]);
  EXPECT_NE(*texel, open);
  // A mark survives a second frame with the same picture: nothing is pasted over it.
  *texel = 0x123456;
  Eye_Draw();
  EXPECT_EQ(*texel, 0x123456u);
  Eye_Event_Lid_Reset();
  Eye_Draw();
  EXPECT_EQ(*texel, open);
}

TEST_F(EyeTest, FrameInstallsTheTickAndTheSnapshotHook) {
  Load();
  Eye_Event_Blink_On();
  Eye_Frame();
  EXPECT_EQ(design_state.snapshot_hook, Eye_Draw);
  EXPECT_STREQ(Seq_Get_Part_Name(), "eye");
  Music_Call_Callback();
  EXPECT_EQ(State().countdown, 39);
}

TEST_F(EyeTest, PictureTooSmallForTheTextureIsFatal) {
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Eye_Entries(Scene_Scratch_Dir(), &entries));
  std::vector<u32> small(256 * 256, 0x404040);
  ASSERT_TRUE(Art_Pcx(small, 256, 256, Scene_Temp("small.pcx"), &entries[0].data));
  Start(320, 200, entries);
  EXPECT_SCENE_FATAL("Eye: eye/keye1a.pcx must be a 24-bit picture 256 wide and at least 259 high", Eye_Load());
}

}  // namespace
