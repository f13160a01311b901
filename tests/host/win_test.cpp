// The host's frame clock and setup script, and the frame step's flow on the headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/present.h"
#include "host/win.h"
#include "platform/plat.h"
#include "runtime/key.h"
#include "runtime/seq.h"

TEST(FrameClock, HalfPeriodStepsRunOneTickEveryOtherStep) {
  f32 acc = 0;
  f32 half = f32(f64(1) / 170.0);
  EXPECT_EQ(Win_Due_Ticks(&acc, half), 0u);
  EXPECT_EQ(Win_Due_Ticks(&acc, half), 1u);
  EXPECT_NEAR(acc, 0.0f, 1e-9f);
}

TEST(FrameClock, RoundsToNearestAndKeepsTheDeficit) {
  f32 acc = 0;
  EXPECT_EQ(Win_Due_Ticks(&acc, 2.4f * kWinTickPeriod), 2u);
  EXPECT_NEAR(acc / kWinTickPeriod, 0.4f, 1e-5f);
  acc = 0;
  EXPECT_EQ(Win_Due_Ticks(&acc, 0.029411765f), 3u);  // 2.5 periods in single precision
  EXPECT_NEAR(acc / kWinTickPeriod, -0.5f, 1e-5f);
  EXPECT_EQ(Win_Due_Ticks(&acc, 1.4f * kWinTickPeriod), 0u);  // the deficit is made up first
  EXPECT_EQ(Win_Due_Ticks(&acc, 0.2f * kWinTickPeriod), 1u);
}

TEST(FrameClock, ALongStallRunsEveryDueTick) {
  f32 acc = 0;
  EXPECT_EQ(Win_Due_Ticks(&acc, 1.0f), 85u);
}

namespace {
u32 heard_order = 0, heard_row = 0;
void Heard(u32* order, u32* row) {
  *order = heard_order;
  *row = heard_row;
}
std::vector<std::string> calls;
void Draw(void) { calls.push_back("draw"); }
void Set1(void) { calls.push_back("set1"); }
void Set2(void) { calls.push_back("set2"); }
intptr_t destroys = 0;

intptr_t Test_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (message == WM_DESTROY) {
    destroys++;
    Plat_Post_Quit(0);
    return 0;
  }
  return Win_Window_Proc(window, message, wparam, lparam);
}
}  // namespace

TEST(FrameStep, SettersPassInOneStepAndTheEndSendsDestroyWithoutPresenting) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  ASSERT_TRUE(Plat_Init(config));
  PlatClass cls = {Test_Proc, "VelMoran / Tarvek", 8};
  ASSERT_TRUE(Plat_Register_Class(&cls));
  PlatWindow window = Plat_Create_Window("VelMoran / Tarvek", "VelMoran / Tarvek", 336, 239);
  ASSERT_NE(window, 0u);
  Win_Set_Main_Window(window);
  ASSERT_EQ(Win_Init_Direct3D(1), 0);
  Key_Init();
  Seq_Set_Position_Reader(Heard);
  Seq_Init();
  u32 start = Seq_Get_End_Order();
  Seq_Add_Event(0, 8, Draw);
  Seq_Add_Event(0, 0, Set1);
  Seq_Add_Event(0, 0, Set2);
  Seq_Add_Event(0, 8, Draw);
  Seq_Add_Control(SEQ_END, 0);
  heard_order = start;
  heard_row = 0;
  Win_Start_Demo();

  Win_Frame_Step();
  EXPECT_EQ(calls, (std::vector<std::string>{"draw"}));
  EXPECT_EQ(Plat_Presented_Frames(), 1u);
  calls.clear();
  heard_row = 8;
  Win_Frame_Step();
  EXPECT_EQ(calls, (std::vector<std::string>{"draw", "set1", "set2", "draw"}));
  EXPECT_EQ(Plat_Presented_Frames(), 2u);
  calls.clear();
  heard_row = 16;
  Win_Frame_Step();
  EXPECT_EQ(calls, (std::vector<std::string>{"draw"}));
  EXPECT_EQ(destroys, 1);
  EXPECT_EQ(Plat_Presented_Frames(), 2u);  // no frame in the step that ended the show
  EXPECT_EQ(Seq_Get_Current(), 4);         // the end event
  Seq_Set_Position_Reader(nullptr);
  Win_Release_Direct3D();
  Plat_Done();
}
