// The event sequencer: end positions with row carry, speed factor, loops, Escape, setters and debug keys.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "render/mesh.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "runtime/demo.h"
#include "runtime/key.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "tests/engine_fixture.h"

namespace {
i64 heard = 0;  // the music's position in rows, 64 to an order
void Heard(u32* order, u32* row) {
  *order = u32(heard / 64);
  *row = u32(heard % 64);
}
void Move(u32 order, u32 row) { heard = i64(order) * 64 + row; }  // the music obeys a jump at once
std::string calls;
void A(void) { calls += "A"; }
void B(void) { calls += "B"; }
void C(void) { calls += "C"; }
void Step(void) { calls += "S", heard++; }  // draws and lets the music move one row

i64 End(void) { return i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row(); }

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
  void TearDown() override { Demo_Set_Flag(DEMO_FLAG_DEBUG, 0); }
};

// One host frame: run the current event, move on while it is over (as the host's frame step does).
bool Frame(void) {
  while (Seq_Run_Frame())
    if (!Seq_Next_Event()) return false;
  return true;
}
}  // namespace

TEST_F(Sequencer, RowsCarryIntoOrdersAndTheSpeedFactorTruncatesOrders) {
  i64 target = (End() / 64 + 3) * 64 + 48, gap = target - End();
  Seq_Add_Event(i32(gap / 64), u32(gap % 64), A);
  Seq_Add_Event(0, 40, B);  // from 3.48: ends at 4.24
  Seq_Set_Speed(0.5f);
  Seq_Add_Event(3, 0, C);  // 1.5 orders truncated to 1
  Seq_Set_Part_Name("old");
  Seq_Run_Demo();
  SeqEvent first{};
  Seq_Get_Event(&first);  // event 0
  ASSERT_EQ(std::make_pair(End(), first.callback), std::make_pair(target, DemoCallback(A)));
  EXPECT_STREQ(Seq_Get_Part_Name(), "") << "an event's start empties the part name";
  for (i64 end : {target + 40, target + 40 + 64}) {
    heard = End();
    ASSERT_TRUE(Seq_Run_Frame());
    ASSERT_TRUE(Seq_Next_Event());
    EXPECT_EQ(End(), end);
  }
}

TEST_F(Sequencer, LoopStartWithNRunsTheBodyNTimes) {
  i64 base = End();
  Seq_Add_Control(SEQ_LOOP_START, 8);
  for (int i = 0; i < 7; i++) Seq_Add_Event(0, 1, A);
  Seq_Add_Control(SEQ_LOOP_END, 0);
  Seq_Add_Control(SEQ_END, 0);
  Seq_Run_Demo();
  for (heard = base; heard < base + 1000 && Frame(); heard++) {
  }
  // Each of the 7 body events was current on each of the 8 passes, drawing in the frame before its
  // end and once more in the frame that ends it; the end moved by the body's length a pass.
  EXPECT_EQ(calls.size(), 2u * 56u);
  EXPECT_EQ(End(), base + 56);
  EXPECT_TRUE(Seq_Get_Quit());
}

TEST_F(Sequencer, EscapeAndListsWithoutEndEvent) {
  Seq_Add_Event(10, 0, A), Seq_Add_Event(10, 0, B);
  Seq_Run_Demo();
  Key_Set_Down(KEY_ESCAPE);
  EXPECT_TRUE(Seq_Run_Frame());
  EXPECT_FALSE(Seq_Next_Event()) << "Escape ends the show at once";
  Key_Init();
  Seq_Init();
  heard = End();
  EXPECT_FALSE(Seq_Event_Over()) << "a list without events is never over";
  Seq_Add_Event(0, 1, A);
  Seq_Run_Demo();
  heard = End();
  EXPECT_TRUE(Seq_Run_Frame());
  EXPECT_FALSE(Seq_Next_Event()) << "a list without end event ends after its last";
}

TEST_F(Sequencer, BadControlEventsAndAFullTableAreFatal) {
  EXPECT_FATAL("Seq: Illegal control event", Seq_Control_Event(7, 0));
  Seq_Add_Control(SEQ_LOOP_START, 0);
  EXPECT_FATAL("Seq: Loop start without passes", Seq_Run_Demo());
  Seq_Init();
  Seq_Add_Control(SEQ_LOOP_END, 0);
  EXPECT_FATAL("Seq: Loop end without loop start", Seq_Run_Demo());
  for (u32 i = 1; i < kSeqMaxEvents; i++) Seq_Add_Event(0, 1, A);
  EXPECT_FATAL("Seq: Too many events", Seq_Add_Event(0, 1, A));
}

TEST_F(Sequencer, DebugKeysHoldAndJumpOnlyInDebugMode) {
  i64 base = End();
  Seq_Add_Event(0, 32, A);
  Seq_Add_Event(0, 16, B);
  Seq_Add_Event(0, 48, C);
  Seq_Run_Demo();
  heard = base + 5;
  Key_Set_Down(KEY_SPACE);
  Seq_Run_Frame();
  EXPECT_EQ(heard, base + 5) << "debug keys are not read outside debug mode";
  Key_Set_Up(KEY_SPACE);
  Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
  calls.clear();
  Key_Set_Down('P');
  EXPECT_FALSE(Seq_Run_Frame());  // held: returns at once, draws nothing, does not move on
  EXPECT_EQ(calls, "");
  Key_Set_Up('P');
  Key_Set_Down(KEY_SPACE);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(heard, base + 64 + 5) << "Space moves one order ahead through the position reader";
  // The next frame runs each event whose end the jump passed once more and leaves it.
  ASSERT_TRUE(Frame());
  EXPECT_EQ(calls, "AABC");
  EXPECT_EQ(Seq_Get_Current(), 2);
  Key_Set_Down(KEY_CTRL);
  Seq_Run_Frame();
  EXPECT_EQ(heard, base + 96) << "Ctrl moves to the event's end";
  // 'C' toggles the path override once a press; Left steps a running camera path 20 records back.
  VrPathRecord records[30] = {};
  vr_engine.path = {records + 25, records, 0, 30, 5}, vr_engine.path_on = 1;
  Key_Set_Down('C'), Key_Set_Down(KEY_LEFT);
  Seq_Run_Frame();
  EXPECT_EQ(std::make_tuple(vr_engine.path_override, Key_Is_Down('C'), vr_engine.path.records_left, vr_engine.path_on),
            std::make_tuple(u8(1), false, 25u, u8(1)));
  // Right steps the selected scene's camera path 10 records on.
  Mem_Init(0), Mesh_Init(), Mesh_Create_Scene(1, 1, 1, 1, 1);
  Mesh_Set_Scene_View(records + 5, records, 0, 30, 25), vr_engine.path_stepping = 1;
  Key_Set_Up(KEY_LEFT), Key_Set_Down(KEY_RIGHT);
  Seq_Run_Frame();
  EXPECT_EQ(Mesh_Get_Scene(0)->path_records_left, 15u);
  Mesh_Free_All_Scenes();
  vr_engine.path = {};
}

// The waiting fades run rounds only while the current event lasts: an event 2 rows long, its callback
// moving the music a row, takes three rounds; once over, a wait runs none.
TEST_F(Sequencer, WaitingFadesRunOnlyWhileTheEventLasts) {
  for (void (*wait)(void) : {Seq_Wait_Darken, Seq_Wait_Brighten, Seq_Wait_Event}) {
    Seq_Init();
    heard = End();
    Seq_Add_Event(0, 2, Step);
    Seq_Run_Demo();
    calls.clear();
    wait();
    EXPECT_EQ(calls, "SSS");
    wait();
    EXPECT_EQ(calls, wait == Seq_Wait_Event ? "SSSS" : "SSS") << "the event is over";
  }
}
