// Intro scene: the darkening schedule, the logo fades, the first frame, the draw paths and the whole scene's frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "demo/flare/flare.h"
#include "demo/intro/intro.h"
#include "demo/sky/sky.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "platform/capture.h"
#include "render/poly.h"
#include "runtime/math.h"
#include "runtime/seq.h"
#include "video/pixel.h"

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
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Music_Set_Callback(Intro_Tick);
    std::vector<std::pair<i32, i32>> levels;  // glow, beams after tick t
    for (i32 t = 0; t < 3900; t++) {
      Ticks(1);
      levels.push_back({Flare_Glow_Level(), Flare_Beam_Level()});
    }
    bool ok = CHILD_EQ(Intro_Tick_Count(), 3900);
    // Frozen by the start flash until tick 380; then ten beam steps before tick 400.
    ok = ok && CHILD_EQ(levels[379].first, 0) && CHILD_EQ(levels[379].second, 0);
    ok = ok && CHILD_EQ(levels[380].second, 1) && CHILD_EQ(levels[399].first, 0) && CHILD_EQ(levels[399].second, 10);
    ok = ok && CHILD_EQ(levels[999].first, 37) && CHILD_EQ(levels[999].second, 98);
    ok = ok && CHILD_EQ(levels[2099].first, 96) && CHILD_EQ(levels[2099].second, 154);
    ok = ok && CHILD_EQ(levels[2299].second, 254) && CHILD_EQ(levels[2300].second, 255);
    ok = ok && CHILD_EQ(levels[2415].first, 254) && CHILD_EQ(levels[2416].first, 255);
    return ok;
  }());
}

TEST(IntroSchedule, DoesNothingFromTickThirtyEightHundredOn) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Music_Set_Callback(Intro_Tick);
    Ticks(3800);
    for (int i = 0; i < 100; i++) Flare_Lighten_Glow(), Flare_Lighten_Beams();
    Ticks(500);
    return CHILD_EQ(Flare_Glow_Level(), 155) && CHILD_EQ(Flare_Beam_Level(), 155);
  }());
}

TEST(IntroFades, LogoLevelsCountToTheirEndsAndStop) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    bool ok = CHILD_EQ(Intro_Logo_Level(), 250) && CHILD_EQ(Intro_Group_Level(), 0);
    Intro_Logo_Fade_Out();
    ok = ok && CHILD_EQ(Intro_Logo_Level(), 255);
    for (i32 t = 1; t <= 255 && ok; t++) {
      Intro_Tick();
      ok = CHILD_EQ(Intro_Logo_Level(), 255 - t);
    }
    Intro_Tick();
    ok = ok && CHILD_EQ(Intro_Logo_Level(), 0);
    Intro_Logo_Fade_In();
    Intro_Start_Fade();
    for (i32 t = 0; t < 300; t++) Intro_Tick();
    return ok && CHILD_EQ(Intro_Logo_Level(), 255) && CHILD_EQ(Intro_Group_Level(), 255);
  }());
}

TEST(IntroFades, OnlyTheTitleTakesTheSlot) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    bool ok = Child_Check(!Intro_Slot_Holds_Title(), "group logo in the slot");
    Intro_Logo_Fade_Out();
    Intro_Logo_Fade_In();
    ok = ok && Child_Check(!Intro_Slot_Holds_Title(), "fades leave the slot");
    Intro_Show_Logo();
    return ok && Child_Check(Intro_Slot_Holds_Title(), "title logo in the slot");
  }());
}

TEST(IntroLoad, LogosAreScaledToTheOutputSize) {
  EXPECT_SCENE_IN_CHILD([] {
    Start(640, 400);
    const cbitmap* g = Intro_Group_Logo();
    const cbitmap* t = Intro_Title_Logo();
    bool ok = CHILD_EQ(g->width, 640u) && CHILD_EQ(g->height, 200u) && CHILD_EQ(t->width, 640u);
    Intro_Free();
    return ok && Child_Check(!Intro_Group_Logo() && !Intro_Title_Logo() && !Sky_Animation(), "freed");
  }());
}

TEST(IntroLoad, MissingLogoIsFatal) {
  std::vector<DatafileEntry> entries = Intro_Entries();
  std::erase_if(entries, [](const DatafileEntry& e) { return e.name == "intro/vellogo.pcx"; });
  const std::string data = Scene_Datafile(entries);
  EXPECT_SCENE_FATAL("File: intro/vellogo.pcx not found in datafile", {
    Engine_Start_Host(320, 200, data, &surface);
    Intro_Load();
  });
}

TEST(IntroPrepare, LeavesTheBrightenedGroupLogoInTheMixBuffer) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Vbe_Fill(0x123456);
    Intro_Prepare_Logo();
    const cbitmap* g = Intro_Group_Logo();
    bool ok = Child_Check(vbe_screen.frame[0] == 0 && vbe_screen.frame[320 * 100] == 0, "frame cleared");
    ok = ok && CHILD_EQ(vbe_screen.mix[34 * 320], 0u) && CHILD_EQ(vbe_screen.mix[35 * 320], 0x646464u);
    // A letter pixel of the logo, raised by 100 on each channel and held at 255.
    for (u32 i = 0; i < g->width * g->height && ok; i++) {
      const u32 p = Vbe_Bitmap_Pixels(g)[i], want = Vbe_Add_Colour_Pixel(p, 0x646464);
      const u32 y = 35 + i / g->width;
      if (y < 172) ok = CHILD_EQ(vbe_screen.mix[y * 320 + i % g->width], want);
    }
    return ok;
  }());
}

TEST(IntroFrame, FirstFrameSetsTheFlareViewOnce) {
  EXPECT_SCENE_IN_CHILD([] {
    Start(640, 400);
    Intro_Frame();
    bool ok = CHILD_EQ(poly_state.ymin, 35) && CHILD_EQ(poly_state.ymax, 133);
    const u32* design = Vbe_Design_Buffer();
    ok = ok && Child_Check(design != nullptr, "design buffer");
    Poly_Set_Clip(0, 0, 639, 343);
    Intro_Frame();
    ok = ok && CHILD_EQ(poly_state.ymin, 0) && Child_Check(Vbe_Design_Buffer() == design, "same design buffer");
    return ok && Child_Check(std::string(Seq_Get_Part_Name()) == "intro", "part name");
  }());
}

TEST(IntroFrame, TrailWhileTheFlareDrawsPlainBlurAfter) {
  EXPECT_SCENE_IN_CHILD([] {
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
  }());
}

TEST(IntroFrame, BlankFrameIsBlackAndInstallsNoTick) {
  EXPECT_SCENE_IN_CHILD([] {
    Start();
    Music_Clear_Callback();
    Vbe_Fill(0x777777);
    Intro_Frame_Blank();
    bool ok = CHILD_EQ(vbe_screen.frame[100 * 320 + 100], 0u);
    Ticks(10);
    return ok && CHILD_EQ(Intro_Tick_Count(), 0);
  }());
}

