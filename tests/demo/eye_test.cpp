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

TEST_F(EyeTest, BlinkStartsFortyTicksAfterItIsSwitchedOn) {
  Load();
  Eye_Event_Blink_On();
  Ticks(39);
  EXPECT_EQ(State().frame_index, 0);
  Ticks(1);  // state 1: half shut for 5 ticks
  EXPECT_EQ(State().frame_index, 2);
  EXPECT_EQ(State().countdown, 5);
  Ticks(4);
  EXPECT_EQ(State().frame_index, 2);
  Ticks(1);  // state 2: shut for 9
  EXPECT_EQ(State().frame_index, 1);
  Ticks(9);  // state 3: half shut for 5
  EXPECT_EQ(State().frame_index, 2);
  Ticks(5);  // state 0: open for 180 to 219
  EXPECT_EQ(State().frame_index, 0);
  EXPECT_EQ(State().blink_state, 1);
  EXPECT_GE(State().countdown, 180);
  EXPECT_LE(State().countdown, 219);
  const i32 rest = State().countdown;
  Ticks(u32(rest) - 1);
  EXPECT_EQ(State().frame_index, 0);
  Ticks(1);
  EXPECT_EQ(State().frame_index, 2);
}

TEST_F(EyeTest, LoweredLidBlinksThroughTheSecondSet) {
  Load();
  Eye_Event_Lid_Half();
  Eye_Event_Lid_Down();
  EXPECT_EQ(State().frame_index, 5);
  EXPECT_EQ(State().blink_state, 5);
  Eye_Event_Blink_On();
  Ticks(40);  // state 5: nearly shut from the lowered rest
  EXPECT_EQ(State().frame_index, 4);
  Ticks(5);
  EXPECT_EQ(State().frame_index, 5);
  Ticks(9);
  EXPECT_EQ(State().frame_index, 4);
  Ticks(5);  // state 4: lowered rest
  EXPECT_EQ(State().frame_index, 3);
  EXPECT_EQ(State().blink_state, 5);
  EXPECT_GE(State().countdown, 180);
}

// The frame index stays a picture; the blink state goes past the table and the machine stands still.
TEST_F(EyeTest, LidSettersKeepTheFrameIndexAPicture) {
  Load();
  Eye_Event_Lid_Half();
  Eye_Event_Lid_Down();
  Eye_Event_Lid_Down();
  EXPECT_EQ(State().frame_index, 5);
  EXPECT_EQ(State().blink_state, 9);
  Eye_Event_Blink_On();
  Ticks(300);
  EXPECT_EQ(State().frame_index, 5);
  EXPECT_EQ(State().blink_state, 9);
  Eye_Event_Lid_Up();
  EXPECT_EQ(State().frame_index, 1);
  EXPECT_EQ(State().blink_state, 5);
  Eye_Event_Lid_Up();
  Eye_Event_Lid_Up();
  EXPECT_EQ(State().frame_index, 0);
  EXPECT_EQ(State().blink_state, -3);
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
  EXPECT_EQ(State().frame_index, 3);
  EXPECT_EQ(State().blink_state, 5);
  EXPECT_GE(State().countdown, 180);
  EXPECT_LE(State().countdown, 219);
  Eye_Event_Lid_Half();
  Eye_Event_Blink_Reset();
  EXPECT_EQ(State().frame_index, 0);
  EXPECT_EQ(State().blink_state, 1);
}

TEST_F(EyeTest, DirectionRollsTheCameraEveryTick) {
  Load();
  Eye_Event_Camera();
  EXPECT_EQ(Roll(), 2048 - 600);
  Eye_Event_Dir_Down();
  Eye_Event_Dir_Down();
  Eye_Event_Dir_Down();
  EXPECT_EQ(State().direction, -3);
  Eye_Event_Camera();
  EXPECT_EQ(Roll(), 2048 - 200);  // -200 within the turn
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

TEST_F(EyeTest, CameraPullsBackAndForthWithTheSway) {
  Load();
  design_state.sway_amplitude = 0;
  Eye_Draw();
  EXPECT_EQ(vr_camera.position[0], 0.0f);
  EXPECT_EQ(vr_camera.position[1], 0.0f);
  EXPECT_EQ(vr_camera.position[2], -1200.0f);
  design_state.sway_amplitude = 540;
  Eye_Draw();
  EXPECT_EQ(vr_camera.position[2], 540.0f - 1200.0f);
  design_state.sway_amplitude = -600;
  Eye_Draw();
  EXPECT_EQ(vr_camera.position[2], -1800.0f);
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
