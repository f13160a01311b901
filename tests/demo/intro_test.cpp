// Intro scene: the darkening schedule, the logo fades, the trail while the flare draws.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/flare/flare.h"
#include "demo/intro/intro.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "runtime/math.h"

namespace {
std::vector<u32> surface;

void Start(u32 width = 320, u32 height = 200) {
  Engine_Start_Host(width, height, Scene_Datafile(Intro_Entries()), &surface);
  Math_Seed_Random();
  Intro_Load();
}

// One intro tick through the music glue, as the host's frame step runs it.
void Ticks(i32 n) {
  for (i32 i = 0; i < n; i++) Music_Call_Callback();
}
}  // namespace

TEST(IntroSchedule, DarkensTheFlareOnItsFixedTimetable) {
  EXPECT_CHILD(0, Child_Pass([] {
    Start();
    Music_Set_Callback(Intro_Tick);
    std::vector<std::pair<i32, i32>> levels;  // glow, beams after tick t
    for (i32 t = 0; t < 3800; t++) {
      Ticks(1);
      levels.push_back({Flare_Glow_Level(), Flare_Beam_Level()});
    }
    // Frozen by the start flash until tick 380; then ten beam steps before tick 400.
    bool ok = CHILD_EQ(levels[379].first, 0) && CHILD_EQ(levels[379].second, 0);
    ok = ok && CHILD_EQ(levels[380].second, 1) && CHILD_EQ(levels[399].first, 0) && CHILD_EQ(levels[399].second, 10);
    ok = ok && CHILD_EQ(levels[999].first, 37) && CHILD_EQ(levels[999].second, 98);
    ok = ok && CHILD_EQ(levels[2099].first, 96) && CHILD_EQ(levels[2099].second, 154);
    ok = ok && CHILD_EQ(levels[2299].second, 254) && CHILD_EQ(levels[2300].second, 255);
    ok = ok && CHILD_EQ(levels[2415].first, 254) && CHILD_EQ(levels[2416].first, 255);
    // From tick 3800 on the schedule does nothing.
    for (int i = 0; i < 100; i++) Flare_Lighten_Glow(), Flare_Lighten_Beams();
    Ticks(500);
    return ok && CHILD_EQ(Flare_Glow_Level(), 155) && CHILD_EQ(Flare_Beam_Level(), 155);
  }()));
}

TEST(IntroFades, LogoLevelsCountToTheirEndsAndStop) {
  EXPECT_CHILD(0, Child_Pass([] {
    Start();
    Intro_Logo_Fade_Out();
    bool ok = true;
    for (i32 t = 0; t <= 256 && ok; t++, Intro_Tick()) ok = CHILD_EQ(Intro_Logo_Level(), std::max(255 - t, 0));
    Intro_Logo_Fade_In();
    Intro_Start_Fade();
    for (i32 t = 0; t < 300; t++) Intro_Tick();
    return ok && CHILD_EQ(Intro_Logo_Level(), 255) && CHILD_EQ(Intro_Group_Level(), 255);
  }()));
}

TEST(IntroLoad, MissingLogoIsFatal) {
  std::vector<DatafileEntry> entries = Intro_Entries();
  std::erase_if(entries, [](const DatafileEntry& e) { return e.name == "intro/vellogo.pcx"; });
  const std::string data = Scene_Datafile(entries);
  EXPECT_FATAL("File: intro/vellogo.pcx not found in datafile", {
    Engine_Start_Host(320, 200, data, &surface);
    Intro_Load();
  });
}

TEST(IntroFrame, TrailWhileTheFlareDrawsPlainBlurAfter) {
  EXPECT_CHILD(0, Child_Pass([] {
    Start();
    Intro_Frame();
    // The trail keeps the last frame in the mix buffer.
    Vbe_Fill_Dwords(vbe_screen.mix, 320 * 172, 0x010101);
    Intro_Frame();
    bool ok = Child_Check(vbe_screen.mix[85 * 320 + 160] != 0x010101, "trail wrote the mix buffer");
    // Once both flare levels are full only the blur runs, and the mix buffer is left alone.
    Ticks(2500);
    ok = ok && CHILD_EQ(Flare_Glow_Level(), 255) && CHILD_EQ(Flare_Beam_Level(), 255);
    Vbe_Fill_Dwords(vbe_screen.mix, 320 * 172, 0x010101);
    Intro_Frame();
    for (u32 i = 0; i < 320 * 172 && ok; i++) ok = CHILD_EQ(vbe_screen.mix[i], 0x010101u);
    return ok;
  }()));
}
