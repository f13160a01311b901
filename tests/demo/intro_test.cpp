// Intro scene: the darkening schedule, the logo fades, the first frame, the draw paths and the whole scene's frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "demo/flare/flare.h"
#include "demo/intro/intro.h"
#include "demo/sky/sky.h"
#include "intro_harness.h"
#include "music/music.h"
#include "platform/capture.h"
#include "render/poly.h"
#include "runtime/math.h"
#include "runtime/seq.h"
#include "video/pixel.h"

namespace {
std::vector<u32> surface;

void Start(u32 width = 320, u32 height = 200) {
  Engine_Start_Host(width, height, Intro_Datafile(Intro_Entries()), &surface);
  Math_Seed_Random();
  Intro_Load();
}

// One intro tick through the music glue, as the host's frame step runs it.
void Ticks(i32 n) {
  for (i32 i = 0; i < n; i++) Music_Call_Callback();
}

u32 Surface_Crc(void) { return Engine_Crc(surface.data(), surface.size()); }
}  // namespace

TEST(IntroSchedule, DarkensTheFlareOnItsFixedTimetable) {
  INTRO_IN_CHILD([] {
    Start();
    Music_Set_Callback(Intro_Tick);
    std::vector<std::pair<i32, i32>> levels;  // glow, beams after tick t
    for (i32 t = 0; t < 3900; t++) {
      Ticks(1);
      levels.push_back({Flare_Glow_Level(), Flare_Beam_Level()});
    }
    bool ok = INTRO_EQ(Intro_Tick_Count(), 3900);
    // Frozen by the start flash until tick 380; then ten beam steps before tick 400.
    ok = ok && INTRO_EQ(levels[379].first, 0) && INTRO_EQ(levels[379].second, 0);
    ok = ok && INTRO_EQ(levels[380].second, 1) && INTRO_EQ(levels[399].first, 0) && INTRO_EQ(levels[399].second, 10);
    ok = ok && INTRO_EQ(levels[999].first, 37) && INTRO_EQ(levels[999].second, 98);
    ok = ok && INTRO_EQ(levels[2099].first, 96) && INTRO_EQ(levels[2099].second, 154);
    ok = ok && INTRO_EQ(levels[2299].second, 254) && INTRO_EQ(levels[2300].second, 255);
    ok = ok && INTRO_EQ(levels[2415].first, 254) && INTRO_EQ(levels[2416].first, 255);
    return ok;
  }());
}

TEST(IntroSchedule, DoesNothingFromTickThirtyEightHundredOn) {
  INTRO_IN_CHILD([] {
    Start();
    Music_Set_Callback(Intro_Tick);
    Ticks(3800);
    for (int i = 0; i < 100; i++) Flare_Lighten_Glow(), Flare_Lighten_Beams();
    Ticks(500);
    return INTRO_EQ(Flare_Glow_Level(), 155) && INTRO_EQ(Flare_Beam_Level(), 155);
  }());
}

TEST(IntroFades, LogoLevelsCountToTheirEndsAndStop) {
  INTRO_IN_CHILD([] {
    Start();
    bool ok = INTRO_EQ(Intro_Logo_Level(), 250) && INTRO_EQ(Intro_Group_Level(), 0);
    Intro_Logo_Fade_Out();
    ok = ok && INTRO_EQ(Intro_Logo_Level(), 255);
    for (i32 t = 1; t <= 255 && ok; t++) {
      Intro_Tick();
      ok = INTRO_EQ(Intro_Logo_Level(), 255 - t);
    }
    Intro_Tick();
    ok = ok && INTRO_EQ(Intro_Logo_Level(), 0);
    Intro_Logo_Fade_In();
    Intro_Start_Fade();
    for (i32 t = 0; t < 300; t++) Intro_Tick();
    return ok && INTRO_EQ(Intro_Logo_Level(), 255) && INTRO_EQ(Intro_Group_Level(), 255);
  }());
}

TEST(IntroFades, OnlyTheTitleTakesTheSlot) {
  INTRO_IN_CHILD([] {
    Start();
    bool ok = Intro_Check(!Intro_Slot_Holds_Title(), "group logo in the slot");
    Intro_Logo_Fade_Out();
    Intro_Logo_Fade_In();
    ok = ok && Intro_Check(!Intro_Slot_Holds_Title(), "fades leave the slot");
    Intro_Show_Logo();
    return ok && Intro_Check(Intro_Slot_Holds_Title(), "title logo in the slot");
  }());
}

TEST(IntroLoad, LogosAreScaledToTheOutputSize) {
  INTRO_IN_CHILD([] {
    Start(640, 400);
    const cbitmap* g = Intro_Group_Logo();
    const cbitmap* t = Intro_Title_Logo();
    bool ok = INTRO_EQ(g->width, 640u) && INTRO_EQ(g->height, 200u) && INTRO_EQ(t->width, 640u);
    Intro_Free();
    return ok && Intro_Check(!Intro_Group_Logo() && !Intro_Title_Logo() && !Sky_Animation(), "freed");
  }());
}

TEST(IntroLoad, MissingLogoIsFatal) {
  EXPECT_EXIT(
      {
        if (!freopen(Intro_Temp("stdout.txt").c_str(), "w", stdout)) exit(99);
        std::vector<DatafileEntry> entries = Intro_Entries();
        for (auto it = entries.begin(); it != entries.end(); ++it)
          if (it->name == "intro/vellogo.pcx") {
            entries.erase(it);
            break;
          }
        Engine_Start_Host(320, 200, Intro_Datafile(entries), &surface);
        Intro_Load();
        exit(0);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST(IntroPrepare, LeavesTheBrightenedGroupLogoInTheMixBuffer) {
  INTRO_IN_CHILD([] {
    Start();
    Vbe_Fill(0x123456);
    Intro_Prepare_Logo();
    const cbitmap* g = Intro_Group_Logo();
    bool ok = Intro_Check(vbe_screen.frame[0] == 0 && vbe_screen.frame[320 * 100] == 0, "frame cleared");
    ok = ok && INTRO_EQ(vbe_screen.mix[34 * 320], 0u) && INTRO_EQ(vbe_screen.mix[35 * 320], 0x646464u);
    // A letter pixel of the logo, raised by 100 on each channel and held at 255.
    for (u32 i = 0; i < g->width * g->height && ok; i++) {
      const u32 p = Vbe_Bitmap_Pixels(g)[i], want = Vbe_Add_Colour_Pixel(p, 0x646464);
      const u32 y = 35 + i / g->width;
      if (y < 172) ok = INTRO_EQ(vbe_screen.mix[y * 320 + i % g->width], want);
    }
    return ok;
  }());
}

TEST(IntroFrame, FirstFrameSetsTheFlareViewOnce) {
  INTRO_IN_CHILD([] {
    Start(640, 400);
    Intro_Frame();
    bool ok = INTRO_EQ(poly_state.ymin, 35) && INTRO_EQ(poly_state.ymax, 133);
    const u32* design = Vbe_Design_Buffer();
    ok = ok && Intro_Check(design != nullptr, "design buffer");
    Poly_Set_Clip(0, 0, 639, 343);
    Intro_Frame();
    ok = ok && INTRO_EQ(poly_state.ymin, 0) && Intro_Check(Vbe_Design_Buffer() == design, "same design buffer");
    return ok && Intro_Check(std::string(Seq_Get_Part_Name()) == "intro", "part name");
  }());
}

TEST(IntroFrame, TrailWhileTheFlareDrawsPlainBlurAfter) {
  INTRO_IN_CHILD([] {
    Start();
    Intro_Frame();
    // The trail keeps the last frame in the mix buffer.
    Vbe_Fill_Dwords(vbe_screen.mix, 320 * 172, 0x010101);
    Intro_Frame();
    bool ok = Intro_Check(vbe_screen.mix[85 * 320 + 160] != 0x010101, "trail wrote the mix buffer");
    // Once both flare levels are full only the blur runs, and the mix buffer is left alone.
    Ticks(2500);
    ok = ok && INTRO_EQ(Flare_Glow_Level(), 255) && INTRO_EQ(Flare_Beam_Level(), 255);
    Vbe_Fill_Dwords(vbe_screen.mix, 320 * 172, 0x010101);
    Intro_Frame();
    for (u32 i = 0; i < 320 * 172 && ok; i++) ok = INTRO_EQ(vbe_screen.mix[i], 0x010101u);
    return ok;
  }());
}

TEST(IntroFrame, BlankFrameIsBlackAndInstallsNoTick) {
  INTRO_IN_CHILD([] {
    Start();
    Music_Clear_Callback();
    Vbe_Fill(0x777777);
    Intro_Frame_Blank();
    bool ok = INTRO_EQ(vbe_screen.frame[100 * 320 + 100], 0u);
    Ticks(10);
    return ok && INTRO_EQ(Intro_Tick_Count(), 0);
  }());
}

namespace {
// The intro as the show plays it, orders 0 to 8 at 653 ticks an order, a frame every 3 ticks; the
// checksum of every 50th presented frame, chained. VELMORAN_INTRO_DUMP names a folder for PNG copies.
u32 Play_Intro(u32 width, u32 height) {
  Start(width, height);
  const char* dump = getenv("VELMORAN_INTRO_DUMP");
  const i32 order = 653;
  u32 chain = 0, frames = 0;
  auto frame = [&](DemoCallback draw) {
    draw();
    if (++frames % 50 == 0) {
      const u32 crc = Surface_Crc();
      chain = u32(crc32(chain, reinterpret_cast<const Bytef*>(&crc), 4));
      if (dump) {
        const std::string name = std::string(dump) + "/intro_" + std::to_string(width) + "_" + std::to_string(frames) + ".png";
        Plat_Write_Png(name.c_str(), surface.data(), width, height);
      }
    }
  };
  auto stretch = [&](i32 ticks) {
    for (i32 t = 0; t < ticks; t += 3) {
      frame(Intro_Frame);
      Ticks(3);
    }
  };
  Intro_Prepare_Logo();
  for (int i = 0; i < 100; i++) frame(Intro_Frame_Blank);
  Intro_Logo_Fade_Out();
  stretch(2 * order);
  Intro_Logo_Fade_In();
  stretch(order);
  Intro_Show_Logo();
  Intro_Logo_Fade_Out();
  Intro_Start_Fade();
  stretch(2 * order);
  Sky_Fade_In();
  stretch(order / 2);
  Intro_Logo_Fade_In();
  stretch(order / 2);
  return chain;
}
}  // namespace

TEST(IntroShow, FramesAt320x200) {
  INTRO_IN_CHILD(INTRO_EQ(Play_Intro(320, 200), 2341338351u));
}

TEST(IntroShow, FramesAt640x400) {
  INTRO_IN_CHILD(INTRO_EQ(Play_Intro(640, 400), 4001380412u));
}
