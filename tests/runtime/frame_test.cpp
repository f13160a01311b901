// Frame services: the loading bar byte for byte, the letterboxed show mode and the debug overlay.
#include "runtime/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "platform/plat.h"
#include "music/music.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/font.h"
#include "video/vbe.h"
#include "tests/engine_fixture.h"

namespace {
std::vector<int> calls;
void Loader_A(void) { calls.push_back(1); }
void Loader_B(void) { calls.push_back(2); }

std::string Bar(const std::string& dots_and_after) { return "Demo: Loading [" + dots_and_after; }

// The headless clock moves 20 ms a paint; the meter is read on paints 1..10, then on every second one.
u32 paints = 0;
intptr_t Rate_Window(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (message == WM_PAINT && (++paints <= 10 || paints % 2 == 0)) printf("%.2f ", Demo_Frame_Rate());
  if (message == WM_DESTROY) Plat_Post_Quit(0);
  return Plat_Def_Window_Proc(window, message, wparam, lparam);
}

std::string Run_Loaders(u32 length, u32 dots) {
  return Output_Of([&] { Demo_Run_Init_Sequence(length, dots); });
}
}  // namespace

TEST(LoadingBar, StepsDrawDotsBackspacesAndMarks) {
  Demo_Add_Init(Loader_A);  // the show's way: its length given, its loaders run without marks
  EXPECT_EQ(Run_Loaders(1, 40), Bar(std::string(40, '.') + "]" + std::string(41, '\b') + "\n"));
  EXPECT_EQ(Run_Loaders(200, 0), Bar("]\n")) << "lengths above 127 draw no dots";
  for (DemoCallback loader : {Loader_A, Loader_B, Loader_A}) Demo_Add_Init(loader);
  EXPECT_EQ(Run_Loaders(0, 0), Bar("...]\b\b\b\b\xfe\xfe\xfe\n"));
  EXPECT_EQ(calls, (std::vector<int>{1, 1, 2, 1}));
  EXPECT_EQ(Run_Loaders(0, 0), Bar("]\b\n")) << "the list was emptied";
  EXPECT_FATAL("Demo: Too many loaders", {
    for (u32 i = 0; i < kDemoMaxLoaders + 1; i++) Demo_Add_Init(Loader_A);
  });
}

TEST(FrameHook, TheLetterboxedFrameIsPresentedWithTheDebugOverlay) {
  EXPECT_CHILD(0, {
    std::vector<u32> surface;
    Mem_Init(0);
    Vbe_Init();
    Engine_Select_Mode(&surface, 320, 200);
    if (vbe_screen.height != 200 - 2 * 14) exit(9);  // the border takes its lines at once, until the mode is set
    Demo_Open_Mode();
    // 7 per cent of 200 lines above and below; a frame of ones presented leaves those rows untouched.
    if (vbe_screen.width != 320 || vbe_screen.height != 200 - 2 * 14) exit(10);
    std::fill(vbe_screen.frame, vbe_screen.frame + 320 * 172, 1);
    Demo_Frame_Hook();
    for (u32 y = 0; y < 200; y++)
      if (surface[y * 320] != (y >= 14 && y < 186 ? 1u : 0u)) exit(11);
    std::fill(vbe_screen.frame, vbe_screen.frame + 320 * 172, 0);
    Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
    Demo_Frame_Hook();
    // "FPS: 0.00": the F's top row (FC) at x 15 of line 10, 14 lines down the surface.
    u32 row = (14 + 10) * 320;
    for (u32 x = 15; x < 21; x++)
      if (surface[row + x] != 0xF0F0F0) exit(20);
    if (surface[row + 21] != 0) exit(21);
    // Event 0 has its SEQ line; MUS shows channel 11's first level byte: the overlay equals these lines.
    Seq_Set_Current(0), Seq_Set_Part_Name("intro"), Music_Play_Module();  // playing, nothing loaded
    music_position = {3, 9}, music_channel_levels.levels[11][0] = 7;  // channel 10 and the second byte stay 0
    u32* frame = vbe_screen.frame;  // holds the FPS line alone, drawn again at the same place
    Demo_Show_Debug_Info();
    std::vector<u32> shown(frame, frame + 320 * 172);
    std::fill(frame, frame + 320 * 172, 0), Vbe_Set_Print_Line(1);
    for (const char* line : {"FPS: 0.00", "SEQ: 0, INTRO, 00.00", "MUS: 03.09  7"}) Vbe_Debug_Print("%s", line);
    exit(std::equal(shown.begin(), shown.end(), frame) ? 0 : 22);
  });
}

// A channel heard shows '[' and rises a character a silent frame up to '^'; one never heard shows '^', one past
// the count stays blank.
TEST(FrameHook, TheChannelMeterFallsFromTheLastNoteHeard) {
  const u8 heard[6] = {49, 64, 0, 0, 49, 0}, silent[6] = {};
  std::string meter;
  for (int frame = 0; frame < 5; frame++) {
    Demo_Step_Channel_Meter(frame ? silent : heard, 2);
    meter += std::string(Demo_Get_Channel_Meter(), 3) + "|";
  }
  EXPECT_EQ(meter, "[^ |\\^ |]^ |^^ |^^ |");
}

// Each tenth reading measures the ten frames since the last: 200 ms give 50.00, then 400 ms 25.00; the
// readings between repeat the last rate.
TEST(FrameRate, MeasuredOverEachTenFramesAndHeldBetween) {
  EXPECT_CHILD(0, {
    PlatConfig config;
    config.backend = PLAT_HEADLESS;
    config.fps = 50;
    config.max_frames = 30;
    PlatClass cls = {Rate_Window, "rate", 0};
    if (!Plat_Init(config) || !Plat_Register_Class(&cls) || !Plat_Create_Window("rate", "rate", 336, 239)) exit(2);
    PlatMsg msg;
    while (Plat_Get_Message(&msg)) Plat_Dispatch_Message(&msg);
  });
  std::string want;
  for (int reading = 1; reading <= 19; reading++) want += reading < 10 ? "0.00 " : "50.00 ";
  EXPECT_EQ(Child_Output().substr(0, want.size() + 6), want + "25.00 ");
}
