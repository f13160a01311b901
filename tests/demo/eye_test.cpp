// Eye scene: the blink machine, the setters, the camera, the texture pastes and whole frames on real data.
#include "demo/eye/eye.h"

#include "art_eye.h"
#include "music/music.h"
#include "render/vrpath.h"
#include "vr_scene_fixture.h"

namespace {
class EyeTest : public VrSceneTest {
 protected:
  void Load(u32 width = 320, u32 height = 200) {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Art_Eye_Entries("/tmp", &entries));
    Start(width, height, entries);
    Eye_Load();
  }
  const EyeState& State() { return *Eye_Get_State(); }
};

TEST_F(EyeTest, LookAtFrames) {
  Load();
  Eye_Event_Dir_Down();
  Eye_Event_Camera();
  for (u32 i = 0; i < 4; i++) {
    Eye_Frame();
    Dump((std::string("eye") + std::to_string(i) + ".png").c_str());
    for (u32 t = 0; t < 100; t++) Eye_Tick();
    Eye_Event_Lid_Half();
    if (i == 2) Eye_Event_Lid_Down();
  }
}
}  // namespace
