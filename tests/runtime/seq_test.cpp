// The event sequencer: end positions with row carry, speed factor, loops, Escape and setters.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "runtime/key.h"
#include "runtime/seq.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
u32 heard_order = 0, heard_row = 0;
void Heard(u32* order, u32* row) {
  *order = heard_order;
  *row = heard_row;
}
// The music obeys a jump at once.
void Move(u32 order, u32 row) {
  heard_order = order;
  heard_row = row;
}
std::vector<std::string> calls;
void A(void) { calls.push_back("A"); }
void B(void) { calls.push_back("B"); }
void C(void) { calls.push_back("C"); }

i64 End(void) { return i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row(); }
void Hear(i64 position) {
  heard_order = u32(position / 64);
  heard_row = u32(position % 64);
}

class Sequencer : public ::testing::Test {
 protected:
  void SetUp() override {
    Seq_Set_Position_Reader(Heard);
    Seq_Set_Position_Mover(Move);
    Seq_Set_Speed(1.0f);
    Seq_Init();
    Key_Init();
    calls.clear();
  }
  void TearDown() override {
    Seq_Set_Position_Reader(nullptr);
    Seq_Set_Position_Mover(nullptr);
  }
};

// One host frame: run the current event, move on while it is over (as the host's frame step does).
bool Frame(void) {
  while (Seq_Run_Frame())
    if (!Seq_Next_Event()) return false;
  return true;
}
}  // namespace

TEST_F(Sequencer, EventOf40RowsFrom3_48EndsAt4_24) {
  i64 base = End();
  // Bring the running end to the next 3.48 boundary relative to base.
  i64 target = ((base / 64) + 3) * 64 + 48;
  i64 gap = target - base;
  Seq_Add_Event(i32(gap / 64), u32(gap % 64), A);
  Seq_Add_Event(0, 40, B);
  Seq_Run_Demo();
  ASSERT_EQ(End(), target);
  Hear(target);
  ASSERT_TRUE(Seq_Run_Frame());
  ASSERT_TRUE(Seq_Next_Event());
  EXPECT_EQ(Seq_Get_End_Row(), 24u);
  EXPECT_EQ(Seq_Get_End_Order(), u32(target / 64) + 1);
}

TEST_F(Sequencer, SpeedFactorTruncatesOrders) {
  Seq_Set_Speed(0.5f);
  Seq_Add_Event(3, 0, A);  // 1.5 orders truncated to 1
  Seq_Set_Speed(1.0f);
  Seq_Add_Event(2, 0, B);
  SeqEvent e;
  i64 base = End();
  Seq_Run_Demo();
  Seq_Get_Event(&e);
  EXPECT_EQ(e.orders, 1);
  EXPECT_EQ(End(), base + 64);
  Hear(End());
  ASSERT_TRUE(Seq_Run_Frame());
  ASSERT_TRUE(Seq_Next_Event());
  EXPECT_EQ(End(), base + 3 * 64);
}

TEST_F(Sequencer, OverOnlyWhenTheHeardPositionReachesTheEnd) {
  Seq_Add_Event(1, 0, A);
  i64 base = End();
  Seq_Run_Demo();
  Hear(base + 63);
  EXPECT_FALSE(Seq_Run_Frame());
  Hear(base + 64);
  EXPECT_TRUE(Seq_Run_Frame());  // the callback of an event that is over still runs
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(Sequencer, SettersRunOnceInOrderWithinOneFrame) {
  i64 base = End();
  Seq_Add_Event(0, 8, A);
  Seq_Add_Event(0, 0, B);
  Seq_Add_Event(0, 0, C);
  Seq_Add_Event(1, 0, A);
  Seq_Run_Demo();
  Hear(base);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(calls, (std::vector<std::string>{"A"}));
  calls.clear();
  Hear(base + 8);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(calls, (std::vector<std::string>{"A", "B", "C", "A"}));
  EXPECT_EQ(Seq_Get_Current(), 3);
}

TEST_F(Sequencer, LoopStartWithNRunsTheBodyNTimes) {
  i64 base = End();
  Seq_Add_Control(SEQ_LOOP_START, 8);
  for (int i = 0; i < 7; i++) Seq_Add_Event(0, 1, A);
  Seq_Add_Control(SEQ_LOOP_END, 0);
  Seq_Add_Control(SEQ_END, 0);
  Seq_Run_Demo();
  int frames = 0;
  for (i64 p = base; frames < 1000; p++, frames++) {
    Hear(p);
    if (!Frame()) break;
  }
  // Each of the 7 body events was current on each of the 8 passes, drawing in the frame before its
  // end and once more in the frame that ends it; the end moved by the body's length a pass.
  EXPECT_EQ(calls.size(), 2u * 56u);
  EXPECT_EQ(End(), base + 56);
  EXPECT_TRUE(Seq_Get_Quit());
}

TEST_F(Sequencer, EscapeEndsTheShowAtOnce) {
  Seq_Add_Event(10, 0, A);
  Seq_Add_Event(10, 0, B);
  Seq_Run_Demo();
  Hear(0);
  EXPECT_TRUE(Frame());
  Key_Set_Down(KEY_ESCAPE);
  EXPECT_TRUE(Seq_Run_Frame());
  EXPECT_FALSE(Seq_Next_Event());
}

TEST_F(Sequencer, AnEmptyListIsNeverOverAndAListWithoutEndEventEndsAfterItsLast) {
  Seq_Run_Demo();
  Hear(1000 * 64);
  EXPECT_FALSE(Seq_Run_Frame());
  Seq_Init();
  Seq_Add_Event(0, 1, A);
  Seq_Run_Demo();
  Hear(End());
  EXPECT_TRUE(Seq_Run_Frame());
  EXPECT_FALSE(Seq_Next_Event());
  Seq_Init();
  Seq_Add_Event(0, 0, nullptr);  // no callback: an end event
  Seq_Run_Demo();
  EXPECT_TRUE(Seq_Get_Quit());
}

TEST_F(Sequencer, BadControlEventsAndAFullTableAreFatal) {
  EXPECT_FATAL(Seq_Control_Event(7, 0), "Seq: Illegal control event");
  Seq_Add_Control(SEQ_LOOP_START, 0);
  EXPECT_FATAL(Seq_Run_Demo(), "Seq: Loop start without passes");
  Seq_Init();
  Seq_Add_Control(SEQ_LOOP_END, 0);
  EXPECT_FATAL(Seq_Run_Demo(), "Seq: Loop end without loop start");
  for (u32 i = 1; i < kSeqMaxEvents; i++) Seq_Add_Event(0, 1, A);
  EXPECT_FATAL(Seq_Add_Event(0, 1, A), "Seq: Too many events");
}

namespace {
class DebugKeys : public Sequencer {
 protected:
  void SetUp() override {
    Sequencer::SetUp();
    Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
  }
  void TearDown() override {
    Demo_Set_Flag(DEMO_FLAG_DEBUG, 0);
    Sequencer::TearDown();
  }
};
}  // namespace

TEST_F(DebugKeys, HoldingPHoldsTheShowWithoutBlocking) {
  Seq_Add_Event(1, 0, A);
  i64 base = End();
  Seq_Run_Demo();
  Hear(base + 64);
  Key_Set_Down('P');
  EXPECT_FALSE(Seq_Run_Frame());  // returns at once, draws nothing, does not move on
  EXPECT_TRUE(calls.empty());
  Key_Set_Up('P');
  EXPECT_TRUE(Seq_Run_Frame());
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DebugKeys, SpaceMovesOneOrderAheadAndCtrlToTheEventsEnd) {
  i64 base = End();
  Seq_Add_Event(0, 32, A);
  Seq_Add_Event(0, 16, B);
  Seq_Add_Event(0, 48, C);
  Seq_Run_Demo();
  Hear(base + 5);
  Key_Set_Down(KEY_SPACE);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(i64(heard_order) * 64 + heard_row, base + 64 + 5);
  // The next frame runs each event whose end the jump passed once more and leaves it.
  ASSERT_TRUE(Frame());
  EXPECT_EQ(calls, (std::vector<std::string>{"A", "A", "B", "C"}));
  EXPECT_EQ(Seq_Get_Current(), 2);
  Key_Set_Down(KEY_CTRL);
  Seq_Run_Frame();
  EXPECT_EQ(i64(heard_order) * 64 + heard_row, base + 96);
}

TEST_F(DebugKeys, DebugKeysAreReadOnlyInDebugMode) {
  Seq_Add_Event(1, 0, A);
  Seq_Run_Demo();
  Key_Set_Down(KEY_TAB);
  Demo_Set_Flag(DEMO_FLAG_DEBUG, 0);
  Seq_Run_Frame();
  EXPECT_TRUE(Key_Is_Down(KEY_TAB));  // not consumed outside debug mode
  Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
  Seq_Run_Frame();
  EXPECT_FALSE(Key_Is_Down(KEY_TAB));  // consumed: acts once per press
}
