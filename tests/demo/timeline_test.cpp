// The show's timeline: every event against the show's listing, the loop of 8 passes at 20.00, and the end.
#include "demo/timeline.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "demo/box/box.h"
#include "demo/coon/coon.h"
#include "demo/credits/credits.h"
#include "demo/design.h"
#include "demo/eye/eye.h"
#include "demo/gang/gang.h"
#include "demo/intro/intro.h"
#include "demo/plasma/plasma.h"
#include "demo/race/race.h"
#include "demo/rig/rig.h"
#include "demo/sky/sky.h"
#include "demo/term/term.h"
#include "runtime/seq.h"
#include "video/pixel.h"

namespace {
// The show as listed: a row's first event index, its zero-length events in order, then "/" and the frame
// event with its length (orders.rows); "loop-start" (8 passes), "loop-end" and "end" are control events.
const char* const kListing =
    "0 Design_Start_Tint_Hue Intro_Prepare_Logo / Intro_Frame_Blank 2.00\n"
    "3 Intro_Logo_Fade_Out / Intro_Frame 2.00\n"
    "5 Intro_Logo_Fade_In / Intro_Frame 1.00\n"
    "7 Intro_Show_Logo Intro_Logo_Fade_Out Intro_Start_Fade / Intro_Frame 2.00\n"
    "11 Sky_Fade_In / Intro_Frame 0.32\n"
    "13 Intro_Logo_Fade_In / Intro_Frame 0.32\n"
    "15 Sky_Fade_Out Rig_Start_Fade / Rig_Frame 2.00\n"
    "18 Rig_Stop_Fade Design_Start_Tint Vbe_Clear_Second Design_Start_Trail Eye_Event_Blink_On Eye_Event_Dir_Down Eye_Event_Camera Design_Start_Trail Design_Thumb_Bottom_Right Design_Flash_250 / Eye_Frame 1.00\n"
    "29 Design_Stop_Trail Design_Start_Shake Design_Stop_Trail Design_Start_Tint_Hue Design_Thumb_Bottom_Right Design_Flash_250 Design_Stop_Sway Box_Stop_Beat_Flash Box_Set_Spin_Mode_2 / Box_Frame 1.00\n"
    "39 Box_Start_Beat_Flash Design_Start_Tint Eye_Event_Dir_Flip Eye_Event_Camera Vbe_Clear_Second Design_Start_Trail Design_Thumb_Bottom_Right Design_Flash_250 / Eye_Frame 1.00\n"
    "48 Design_Stop_Trail Design_Start_Shake Design_Start_Tint_Hue Design_Thumb_Top_Left Design_Flash_250 / Race_Frame 1.00\n"
    "54 Race_Colour_Map Design_Thumb_Bottom_Right Design_Flash_250 Design_Stop_Sway Box_Set_Spin_Mode_3 / Box_Frame 1.00\n"
    "60 Box_Colour_Map Design_Thumb_Top_Left Design_Flash_250 / Race_Frame 1.00\n"
    "64 Race_Colour_Map Eye_Event_Dir_Flip Eye_Event_Camera Design_Start_Tint Vbe_Clear_Second Design_Start_Trail Design_Thumb_Bottom_Right Design_Flash_250 Eye_Event_Dir_Up Eye_Event_Dir_Up Eye_Event_Camera Eye_Event_Lid_Half / Eye_Frame 1.00\n"
    "77 Design_Start_Shake Design_Stop_Trail Design_Start_Tint_Hue Design_Overlay_1 / Box_Frame 1.00\n"
    "82 Design_Flash_250 Design_Start_Sway Design_Thumb_Top_Left Design_Overlay_0 / Box_Frame 1.00\n"
    "87 Box_Colour_Map Design_Start_Tint Design_Flash_250 Eye_Event_Lid_Half Eye_Event_Lid_Down Eye_Event_Camera Design_Stop_Sway Design_Start_Tint_Hue Design_Thumb_Top_Left Design_Flash_250 / Race_Frame 1.00\n"
    "98 Race_Colour_Map Design_Thumb_Top_Right Vbe_Clear_Second loop-start\n"
    "102 Design_Start_Trail Design_Start_Tint / Eye_Frame 0.04\n"
    "105 Design_Stop_Trail Plasma_Init / Plasma_Frame 0.04\n"
    "108 Plasma_Release_Buffer loop-end\n"
    "110 Design_Thumb_Bottom_Left Design_Flash_250 Design_Overlay_2 Plasma_Init / Plasma_Frame 1.00\n"
    "115 Plasma_Release_Buffer Design_Start_Tint_Hue / Gang_Frame 2.00\n"
    "118 Design_Flash_250 Design_Start_Sway Design_Thumb_Bottom_Right Design_Overlay_4 / Box_Frame 1.00\n"
    "123 / Gang_Frame 2.00\n"
    "124 Design_Flash_250 Design_Start_Sway Design_Thumb_Bottom_Left Design_Overlay_3 / Box_Frame 1.00\n"
    "129 Box_Colour_Map Design_Thumb_Bottom_Left / Rig_Frame 1.00\n"
    "132 Design_Flash_250 Design_Thumb_Top_Left Design_Overlay_0 / Race_Frame 1.00\n"
    "136 Race_Colour_Map Design_Start_Jitter / Gang_Frame 1.00\n"
    "139 Design_Thumb_Bottom_Right Box_Show_Object Design_Stop_Sway Design_Start_Tint Eye_Event_Dir_Flip Design_Start_Jitter Design_Flash_250 Design_Start_Sway Eye_Event_Blink_On Eye_Event_Dir_Flip Eye_Event_Camera / Eye_Frame 1.00\n"
    "151 Design_Stop_Sway Design_Start_Tint_Hue / Term_Frame 2.00\n"
    "154 Term_Event_Textures / Term_Frame 2.00\n"
    "156 Design_Thumb_Top_Right Design_Flash_250 Design_Start_Tint Coon_Init / Coon_Frame 1.00\n"
    "161 Coon_Release_Buffer Design_Flash_250 Coon_Reset_Labels Coon_Init / Coon_Frame 1.00\n"
    "166 Coon_Release_Buffer Vbe_Clear_Second Design_Start_Trail Design_Thumb_Bottom_Left Design_Flash_250 Eye_Event_Camera / Eye_Frame 1.00\n"
    "173 Design_Start_Shake Design_Stop_Trail Design_Start_Tint_Hue Design_Thumb_Bottom_Right / Term_Frame 1.00\n"
    "178 / Rig_Frame 1.00\n"
    "179 Design_Stop_Sway Box_Stop_Beat_Flash Design_Thumb_Top_Left Box_Show_Object Box_Set_Spin_Mode_1 Design_Start_Jitter / Box_Frame 2.00\n"
    "186 Vbe_Clear_Second Design_Start_Trail Design_Flash_250 Eye_Event_Dir_Flip Eye_Event_Camera Design_Sway_Full / Eye_Frame 0.16\n"
    "193 Design_Flash_250 / Eye_Frame 0.16\n"
    "195 Design_Sway_Half Design_Flash_250 Eye_Event_Blink_Reset / Eye_Frame 0.16\n"
    "199 Design_Flash_250 Design_Stop_Sway / Eye_Frame 0.16\n"
    "202 Design_Stop_Trail Design_Snapshot_Frame Design_Start_Frame_Mix Design_Stop_Thumb Credits_Start_Crossfade Credits_Layout / Credits_Frame 1.00\n"
    "209 Credits_Next_Page / Credits_Frame 1.00\n"
    "211 Credits_Next_Page / Credits_Frame 1.00\n"
    "213 Credits_Next_Page / Credits_Frame 1.00\n"
    "215 Credits_Next_Page / Credits_Frame 1.00\n"
    "217 Credits_Next_Page / Credits_Frame 1.00\n"
    "219 Credits_Next_Page Credits_Clear_Row_Dim / Credits_Frame 1.00\n"
    "222 Credits_Start_Fade_Out / Credits_Frame 3.00\n"
    "224 end\n";

#define F(name) {#name, name}
const std::map<std::string, DemoCallback> kFunctions = {
    F(Box_Colour_Map), F(Box_Frame), F(Box_Set_Spin_Mode_1), F(Box_Set_Spin_Mode_2), F(Box_Set_Spin_Mode_3),
    F(Box_Show_Object), F(Box_Start_Beat_Flash), F(Box_Stop_Beat_Flash), F(Coon_Frame), F(Coon_Init),
    F(Coon_Release_Buffer), F(Coon_Reset_Labels), F(Credits_Clear_Row_Dim), F(Credits_Frame), F(Credits_Layout),
    F(Credits_Next_Page), F(Credits_Start_Crossfade), F(Credits_Start_Fade_Out), F(Design_Flash_250),
    F(Design_Overlay_0), F(Design_Overlay_1), F(Design_Overlay_2), F(Design_Overlay_3), F(Design_Overlay_4),
    F(Design_Snapshot_Frame), F(Design_Start_Frame_Mix), F(Design_Start_Jitter), F(Design_Start_Shake),
    F(Design_Start_Sway), F(Design_Start_Tint), F(Design_Start_Tint_Hue), F(Design_Start_Trail),
    F(Design_Stop_Sway), F(Design_Stop_Thumb), F(Design_Stop_Trail), F(Design_Sway_Full), F(Design_Sway_Half),
    F(Design_Thumb_Bottom_Left), F(Design_Thumb_Bottom_Right), F(Design_Thumb_Top_Left), F(Design_Thumb_Top_Right),
    F(Eye_Event_Blink_On), F(Eye_Event_Blink_Reset), F(Eye_Event_Camera), F(Eye_Event_Dir_Down),
    F(Eye_Event_Dir_Flip), F(Eye_Event_Dir_Up), F(Eye_Event_Lid_Down), F(Eye_Event_Lid_Half), F(Eye_Frame),
    F(Gang_Frame), F(Intro_Frame), F(Intro_Frame_Blank), F(Intro_Logo_Fade_In), F(Intro_Logo_Fade_Out),
    F(Intro_Prepare_Logo), F(Intro_Show_Logo), F(Intro_Start_Fade), F(Plasma_Frame), F(Plasma_Init),
    F(Plasma_Release_Buffer), F(Race_Colour_Map), F(Race_Frame), F(Rig_Frame), F(Rig_Start_Fade), F(Rig_Stop_Fade),
    F(Sky_Fade_In), F(Sky_Fade_Out), F(Term_Event_Textures), F(Term_Frame), F(Vbe_Clear_Second),
};
#undef F

struct Expected {
  std::string name;
  i32 orders;
  u32 rows;
  u8 control;
};

std::vector<Expected> Parse_Listing(void) {
  std::vector<Expected> events;
  std::istringstream lines(kListing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    size_t first;
    words >> first;
    EXPECT_EQ(first, events.size()) << line;
    std::string w;
    bool frame = false;
    while (words >> w) {
      if (w == "/") frame = true;
      else if (w == "loop-start") events.push_back({w, 0, 0, SEQ_LOOP_START});
      else if (w == "loop-end") events.push_back({w, 0, 0, SEQ_LOOP_END});
      else if (w == "end") events.push_back({w, 0, 0, SEQ_END});
      else if (!frame) events.push_back({w, 0, 0, SEQ_NONE});
      else {
        std::string length;
        words >> length;
        events.push_back({w, std::stoi(length), u32(std::stoi(length.substr(length.find('.') + 1))), SEQ_NONE});
      }
    }
  }
  return events;
}

}  // namespace

TEST(Timeline, EveryEventIsTheListedOneWithItsLength) {
  std::vector<Expected> expected = Parse_Listing();
  ASSERT_EQ(expected.size(), 225u);
  Seq_Init();
  Demo_Setup_Sequence();
  ASSERT_EQ(Seq_Get_Count(), 225u);
  EXPECT_EQ(Demo_Timeline_Count(), 225u);
  for (u32 i = 0; i < expected.size(); i++) {
    const Expected& x = expected[i];
    Seq_Set_Current(i32(i));
    SeqEvent e;
    Seq_Get_Event(&e);
    EXPECT_EQ(std::make_tuple(e.control, e.orders, e.rows, e.argument),
              std::make_tuple(x.control, x.orders, x.rows, x.control == SEQ_LOOP_START ? 8u : 0u))
        << "event " << i << " " << x.name;
    EXPECT_EQ(e.callback, x.control == SEQ_NONE ? kFunctions.at(x.name) : nullptr) << "event " << i << " " << x.name;
  }
}

// Walks the event list as the sequencer starts each event, without running any callback, noting the index
// started and the running end position (in rows) after each.
TEST(Timeline, TheLoopRunsEightPassesAndTheShowEndsAt54) {
  Seq_Init();
  const i64 base = i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row();
  Demo_Setup_Sequence();
  std::vector<std::pair<i32, i64>> starts;
  Seq_Run_Demo();
  do {
    starts.push_back({Seq_Get_Current(), i64(Seq_Get_End_Order()) * 64 + Seq_Get_End_Row() - base});
  } while (Seq_Next_Event() && starts.size() < 1000);
  int body = 0, plasma_inits = 0;
  for (auto& s : starts) body += s.first == 102, plasma_inits += s.first == 106;
  EXPECT_EQ(std::make_pair(body, plasma_inits), std::make_pair(8, 8));
  // Where groups start (a setter first) or their frame event ends (event 123 draws from 25.00 to 27.00).
  const std::pair<i32, i64> groups[] = {{3, 2 * 64}, {13, 7 * 64 + 32}, {98, 20 * 64}, {110, 21 * 64}, {123, 27 * 64},
                                        {199, 43 * 64 + 48}, {222, 51 * 64}, {224, 54 * 64}};
  for (auto& g : groups) {
    auto at = std::find_if(starts.begin(), starts.end(), [&](auto& s) { return s.first == g.first; });
    ASSERT_NE(at, starts.end()) << g.first;
    EXPECT_EQ(at->second, g.second) << "event " << g.first;
  }
  EXPECT_EQ(starts.back().first, 224);
  EXPECT_TRUE(Seq_Get_Quit());
}
