// Gang scene: the tick schedule, the flash, the figure's frames, the doors and whole frames on real data.
#include "demo/gang/gang.h"

#include "art_gang.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/vrpath.h"
#include "vr_scene_fixture.h"

namespace {
class GangTest : public VrSceneTest {
 protected:
  void Load(u32 width = 320, u32 height = 200) {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Gang_Art_Entries("/tmp", &entries));
    Start(width, height, entries);
    Gang_Load();
  }
  const GangState& State() { return *Gang_Get_State(); }
  void Ticks(u32 n) {
    for (u32 i = 0; i < n; i++) Gang_Tick();
  }
};

TEST_F(GangTest, LookAtFrames) {
  Load();
  const u32 at[] = {0, 220, 300, 700, 1000, 1150, 1350, 1500, 1750, 1950, 2300, 2790};
  u32 now = 0;
  for (u32 t : at) {
    Ticks(t - now);
    now = t;
    Gang_Frame();
    Dump((std::string("gang") + std::to_string(t) + ".png").c_str());
  }
}
}  // namespace
