// The host's frame clock and setup script, and the frame step's flow on the headless platform.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "host/present.h"
#include "host/win.h"
#include "platform/plat.h"
#include "runtime/key.h"
#include "runtime/seq.h"

// Each step runs the due ticks rounded to the nearest and keeps the rest, a deficit included, which is made
// up first; a long stall runs every tick due. Runs of steps: seconds passed, ticks run, rest in periods.
TEST(FrameClock, DueTicksRoundToTheNearestAndKeepTheRest) {
  const f32 p = kWinTickPeriod, half = f32(f64(1) / 170.0), any = NAN;
  const std::vector<std::tuple<f32, u32, f32>> runs[] = {
      {{half, 0, any}, {half, 1, 0}}, {{2.4f * p, 2, 0.4f}}, {{1.0f, 85, any}},
      {{0.029411765f, 3, -0.5f}, {1.4f * p, 0, any}, {0.2f * p, 1, any}}};  // 2.5 periods in single precision
  for (auto& run : runs) {
    f32 acc = 0;
    for (auto [seconds, ticks, rest] : run) {
      EXPECT_EQ(Win_Due_Ticks(&acc, seconds), ticks) << seconds;
      if (!std::isnan(rest)) { EXPECT_NEAR(acc / p, rest, 1e-5f) << seconds; }
    }
  }
}

// The window procedure's own messages: result, and key P after it (the code's bits above the low seven dropped).
TEST(WindowProc, MessagesKeysAndResults) {
  Key_Init();
  const std::tuple<u32, uintptr_t, intptr_t, bool> rows[] = {{WM_CREATE, 0, 0, false}, {WM_ERASEBKGND, 0, 1, false},
      {WM_KEYDOWN, 0x180 | 'P', 0, true}, {WM_KEYUP, 'P', 0, false}};
  for (auto [message, wparam, result, down] : rows)
    EXPECT_TRUE(Win_Window_Proc(1, message, wparam, 0) == result && Key_Is_Down('P') == down) << message;
}

namespace {
u32 heard_order = 0, heard_row = 0;
std::string calls;
intptr_t destroys = 0;
intptr_t Test_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (message != WM_DESTROY) return Win_Window_Proc(window, message, wparam, lparam);
  destroys++;
  Plat_Post_Quit(0);
  return 0;
}
// The headless platform with the host's window (drawn by proc) and Direct3D on it.
void Open_Headless_Window(PlatWndProc proc) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  ASSERT_TRUE(Plat_Init(config));
  PlatClass cls = {proc, "VelMoran / Tarvek", 8};
  ASSERT_TRUE(Plat_Register_Class(&cls));
  Win_Set_Main_Window(Plat_Create_Window("VelMoran / Tarvek", "VelMoran / Tarvek", 336, 239));
  ASSERT_EQ(Win_Init_Direct3D(1), 0);
}
}  // namespace

// A drawing event of 8 rows, two setters, another drawing event and the end: each step draws the current
// frame event and passes what is due; the step that reaches the end sends destroy and presents nothing. Once
// the exit order has begun (a modal box after a platform failure dispatches paints), a paint draws nothing.
TEST(FrameStep, SettersPassInOneStepTheEndSendsDestroyAndNoFrameRunsAfterShutdown) {
  ASSERT_NO_FATAL_FAILURE(Open_Headless_Window(Test_Proc));
  Seq_Set_Position_Reader([](u32* order, u32* row) { *order = heard_order, *row = heard_row; });
  // Steps: row heard, exit order begun first, calls, frames presented and destroys sent so far.
  const std::vector<std::tuple<u32, bool, const char*, u32, intptr_t>> runs[] = {
      {{0, false, "draw ", 1, 0}, {8, false, "draw set1 set2 draw ", 2, 0}, {16, false, "draw ", 2, 1}},
      {{0, false, "draw ", 3, 1}, {4, true, "", 3, 1}}};
  for (auto& run : runs) {
    Key_Init();
    Seq_Init();
    heard_order = Seq_Get_End_Order();
    Seq_Add_Event(0, 8, [] { calls += "draw "; });
    Seq_Add_Event(0, 0, [] { calls += "set1 "; });
    Seq_Add_Event(0, 0, [] { calls += "set2 "; });
    Seq_Add_Event(0, 8, [] { calls += "draw "; });
    Seq_Add_Control(SEQ_END, 0);
    Win_Start_Demo();
    for (auto [row, shut_down, called, frames, destroyed] : run) {
      if (shut_down) Win_Free_All();
      heard_row = row;
      calls.clear();
      Win_Window_Proc(1, WM_PAINT, 0, 0);
      EXPECT_EQ(std::make_tuple(calls, Plat_Presented_Frames(), destroys), std::make_tuple(called, frames, destroyed));
    }
    if (!std::get<1>(run.back())) { EXPECT_EQ(Seq_Get_Current(), 4); }  // the end event
  }
  Seq_Set_Position_Reader(nullptr);
  Win_Release_Direct3D();
  Plat_Done();
}

// Destroying the window lets go of Direct3D at once, while the window still exists (a close destroys it right
// after the message): a frame presented afterwards shows nothing, and the loop is told to quit.
TEST(WindowProc, DestroyReleasesDirect3DWhileTheWindowExists) {
  ASSERT_NO_FATAL_FAILURE(Open_Headless_Window(Win_Window_Proc));
  Seq_Init();
  Win_Start_Demo();
  Win_Present_Frame(nullptr, 0, 0);
  Win_Window_Proc(1, WM_DESTROY, 0, 0);
  Win_Present_Frame(nullptr, 0, 0);
  PlatMsg message;
  EXPECT_EQ(std::make_tuple(Plat_Presented_Frames(), Plat_Get_Message(&message)), std::make_tuple(1u, false));
  Plat_Done();
}
