// Frame services: the loading bar byte for byte, the letterboxed show mode and the debug overlay.
#include "runtime/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/vr.h"
#include "render/vrsector.h"
#include "runtime/demo.h"
#include "runtime/file.h"
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

// A loader reading 25 files of the data file.
void Loader_Closing_25(void) {
  for (int i = 0; i < 25; i++) File_Open("e"), File_Close();
}

// Whether the overlay draws exactly these lines, each drawing on a cleared frame.
bool Overlay_Is(const std::vector<const char*>& lines) {
  u32* frame = vbe_screen.frame;
  const size_t size = size_t(vbe_screen.width) * vbe_screen.height;
  std::fill(frame, frame + size, 0);
  Demo_Show_Debug_Info();
  std::vector<u32> shown(frame, frame + size);
  std::fill(frame, frame + size, 0), Vbe_Set_Print_Line(1);
  for (const char* line : lines) Vbe_Debug_Print("%s", line);
  return std::equal(shown.begin(), shown.end(), frame);
}
}  // namespace

TEST(LoadingBar, StepsDrawDotsBackspacesAndMarks) {
  Demo_Add_Init(Loader_A);  // the show's way: its length given, its loaders run without marks
  EXPECT_EQ(Run_Loaders(1, 40), Bar(std::string(40, '.') + "]" + std::string(41, '\b') + "\n"));
  // Mode 1, as the host runs it over 50 entries: every file closed while loading draws one step.
  ASSERT_TRUE(Datafile_Write(Test_Short_Temp("dat"), {{"e", {1}, DATAFILE_RAW}}));
  File_Set_Datafile(Test_Short_Temp("dat").c_str()), File_Init();
  Demo_Add_Init(Loader_Closing_25), Demo_Add_Init(Loader_Closing_25);
  EXPECT_EQ(Run_Loaders(1, 50),
            Bar(std::string(50, '.') + "]" + std::string(51, '\b') + std::string(50, '\xfe') + "\n"));
  EXPECT_EQ(Output_Of(Loader_Closing_25), "") << "the marks end with the loading";
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

// The selected scene counts from 1. Interactive colouring adds the polygon map: records gathered of the
// list's 64 and the dump the next map writes, then the last record's polygon, the direction's x and that
// record's vertex count (0 and 0 for an empty list).
TEST(FrameHook, OverlayCountsScenesFromOneAndShowsThePolygonMap) {
  EXPECT_CHILD(0, {
    std::vector<u32> surface;
    Mem_Init(0), Math_Init(), Vbe_Init(), Mesh_Init();
    Engine_Select_Mode(&surface, 320, 200);
    Demo_Open_Mode();
    Mesh_Create_Scene(8, 8, 2, 1, 8), Mesh_Create_Scene(8, 8, 2, 1, 8);  // the second is selected
    vr_view.initialised = 1;
    Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
    const u32 quad[4] = {Mesh_Add_Point(0, 0, 0), Mesh_Add_Point(9, 0, 0), Mesh_Add_Point(9, 9, 0),
                         Mesh_Add_Point(0, 9, 0)};
    Mesh_Add_Poly(0, 0, 0, 4, quad), Mesh_Add_Poly(0, 0, 0, 3, quad);
    Mesh_End_Object();
    const struct {
      void (*step)(void);
      std::vector<const char*> map;
    } rows[] = {{[] {}, {}},
                {[] { Demo_Set_Flag(DEMO_FLAG_COLORING, 1); }, {"POLY:MAP:0/64 ", "     0 0.00 0"}},
                {[] { VR_Add_Map_Polygon(0), VR_Add_Map_Polygon(1), VR_Set_Map_Params(-0.25f, 0, 1); },
                 {"POLY:MAP:2/64 ", "     1 -0.25 3"}},
                {[] { VR_Set_Map_Dump("map.raw"); }, {"POLY:MAP:2/64 map.raw", "     1 -0.25 3"}},
                {[] { VR_Render_Polygon_Map(0); }, {"POLY:MAP:0/64 ", "     0 -0.25 0"}}};
    for (int row = 0; row < int(std::size(rows)); row++) {
      rows[row].step();
      std::vector<const char*> lines = {"FPS: 0.00", "VR:  SCENE:   2 OF  2", "     POINTS:   4,POLYS:   2,OBJS: 1",
                                        "     POINTS:   0,POLYS:   0,OBJS: 0"};
      lines.insert(lines.end(), rows[row].map.begin(), rows[row].map.end());
      if (!Overlay_Is(lines)) exit(10 + row);
    }
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
