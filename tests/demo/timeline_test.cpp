// The show's timeline: 225 events, the loop of 8 passes at 20.00, and the end at 54.00.
#include "demo/timeline.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/seq.h"

namespace {
// Walks the event list as the sequencer starts each event, without running any callback.
struct Start {
  i32 index;
  i64 end;  // the running end position after starting the event, in rows
};

std::vector<Start> Walk(i64* base) {
  Seq_Init();
  *base = i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row();
  Demo_Setup_Sequence();
  std::vector<Start> starts;
  Seq_Run_Demo();
  do {
    starts.push_back({Seq_Get_Current(), i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row() - *base});
  } while (Seq_Next_Event() && starts.size() < 1000);
  return starts;
}

i64 Rows(i32 orders, i32 rows) { return i64(orders) * 64 + rows; }
}  // namespace

TEST(Timeline, HoldsTheShowsEventsWithTheLoopAndTheEnd) {
  i64 base;
  std::vector<Start> starts = Walk(&base);
  EXPECT_EQ(Seq_Get_Count(), 225u);
  EXPECT_EQ(Demo_Timeline_Count(), 225u);
  SeqEvent e;
  // The loop's body, events 102 to 108, is started once per pass: 8 times.
  int body = 0, plasma_inits = 0;
  for (const Start& s : starts) {
    if (s.index == 102) body++;
    if (s.index == 106) plasma_inits++;
  }
  EXPECT_EQ(body, 8);
  EXPECT_EQ(plasma_inits, 8);
  // The end event starts last, at 54.00, and ends the show.
  EXPECT_EQ(starts.back().index, 224);
  EXPECT_EQ(starts.back().end, Rows(54, 0));
  EXPECT_TRUE(Seq_Get_Quit());
  Seq_Set_Current(Seq_Get_Current() - 1);  // as the host does at the end: current names the last event
  Seq_Get_Event(&e);
  EXPECT_EQ(e.control, SEQ_END);
}

TEST(Timeline, GroupsStartWhereTheShowsTableSays) {
  i64 base;
  std::vector<Start> starts = Walk(&base);
  // The end position after starting a group's first event: where the group starts when that event is a
  // setter, where its frame event ends otherwise (event 123 draws from 25.00 to 27.00).
  struct Expect {
    i32 index;
    i64 start;
  } groups[] = {{0, Rows(0, 0)},    {3, Rows(2, 0)},    {11, Rows(7, 0)},   {13, Rows(7, 32)},
                {15, Rows(8, 0)},   {18, Rows(10, 0)},  {98, Rows(20, 0)},  {110, Rows(21, 0)},
                {123, Rows(27, 0)}, {193, Rows(43, 16)}, {199, Rows(43, 48)}, {202, Rows(44, 0)},
                {222, Rows(51, 0)}};
  for (const Expect& g : groups) {
    bool found = false;
    for (const Start& s : starts)
      if (s.index == g.index) {
        EXPECT_EQ(s.end, g.start) << "event " << g.index;
        found = true;
        break;
      }
    EXPECT_TRUE(found) << "event " << g.index;
  }
}
