// The platform's dialogs: scripted answers, auto check boxes and radio buttons, keyboard focus,
// mouse hit-testing and the drawing of the setup template.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/plat.h"
#include "platform/plat_dialog.h"

namespace {
std::vector<std::pair<u32, uintptr_t>> heard;

// Records what the procedure hears; 1 and 2 end the dialog with their own number.
intptr_t Recording_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t) {
  heard.push_back({message, wparam});
  if (message == WM_COMMAND && (wparam == 1 || wparam == 2)) Plat_End_Dialog(window, intptr_t(wparam));
  return 1;
}

intptr_t Silent_Proc(PlatWindow, u32, uintptr_t, intptr_t) { return 0; }

std::vector<uintptr_t> Commands(void) {
  std::vector<uintptr_t> ids;
  for (auto& m : heard)
    if (m.first == WM_COMMAND) ids.push_back(m.second);
  return ids;
}

void Headless(const char* setup, u32 fail = 0) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fail = fail;
  snprintf(config.setup, sizeof config.setup, "%s", setup);
  ASSERT_TRUE(Plat_Init(config));
  heard.clear();
}

// Index of a control of template 101 by id.
i32 Index(i32 id) {
  const PlatDlgTemplate* t = Plat_Find_Dialog_Template(101);
  for (u32 i = 0; i < t->count; i++)
    if (t->controls[i].id == id) return i32(i);
  return -1;
}

void (*loop_body)(void) = nullptr;
bool Test_Loop(void) {
  loop_body();
  return true;
}
}  // namespace

TEST(PlatDialogScript, ClicksNamedControlsInOrderThroughTheProcedure) {
  Headless("640,full,vsync,debug,800,run");
  EXPECT_EQ(Plat_Dialog_Box(101, 0, Recording_Proc, 7), 1);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard[0], std::make_pair(u32(WM_INITDIALOG), uintptr_t(0)));
  EXPECT_EQ(Commands(), (std::vector<uintptr_t>{1002, 1004, 1003, 1001, 1005, 1}));
  Plat_Done();
}

// Script (and injected failure), template, procedure: end code and the commands heard. Without a script the
// headless dialog runs; a script without an end closes the dialog, even when the procedure ignores Cancel; an
// unknown template or a failing platform gives -1 and sends nothing.
TEST(PlatDialogScript, EndCodesAndCommandsAsTabled) {
  const std::tuple<const char*, u32, u32, PlatWndProc, intptr_t, std::vector<uintptr_t>> rows[] = {
      {"", 0, 101, Recording_Proc, 1, {1}},           {"exit", 0, 101, Recording_Proc, 2, {2}},
      {"vsync", 0, 101, Recording_Proc, 2, {1003, 2}}, {"vsync", 0, 101, Silent_Proc, 2, {}},
      {"run", 0, 555, Recording_Proc, -1, {}},        {"run", PLAT_FAIL_DIALOG, 101, Recording_Proc, -1, {}}};
  for (auto& [script, fail, id, proc, code, commands] : rows) {
    Headless(script, fail);
    EXPECT_EQ(Plat_Dialog_Box(id, 0, proc, 0), code) << script;
    EXPECT_EQ(Commands(), commands) << script;
  }
  Plat_Done();
  EXPECT_TRUE(Plat_Dialog_Check_Script("320,640,800,960,debug,vsync,fullscreen,full,run,exit"));
  EXPECT_TRUE(Plat_Dialog_Check_Script(""));
  EXPECT_FALSE(Plat_Dialog_Check_Script("run,now"));
}

TEST(PlatDialogControls, RadioButtonsExcludeEachOtherAndCheckBoxesToggle) {
  Headless("");
  loop_body = [] {
    Plat_Send_Dlg_Item_Message(kPlatDialogWindow, 1000, BM_SETCHECK, 1, 0);
    // After each click, the checks of 320 x 200, 800 x 500, VSync and RUN! (a push button has none).
    for (auto [click, want] : {std::pair<i32, std::vector<intptr_t>>{0, {1, 0, 0, 0}}, {1005, {0, 1, 0, 0}},
                               {1003, {0, 1, 1, 0}}, {1003, {0, 1, 0, 0}}}) {
      if (click) Plat_Dialog_Click(click);
      std::vector<intptr_t> got;
      for (i32 id : {1000, 1005, 1003, 1}) got.push_back(Plat_Send_Dlg_Item_Message(kPlatDialogWindow, id, BM_GETCHECK, 0, 0));
      EXPECT_EQ(got, want) << click;
    }
    Plat_Dialog_Click(-1);  // group boxes and texts are not controls one can click
    Plat_Dialog_Click(1);
    Plat_Dialog_Click(1001);  // after the end nothing more arrives
  };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 1);
  EXPECT_EQ(Commands(), (std::vector<uintptr_t>{1005, 1003, 1003, 1}));
  Plat_Done();
}

TEST(PlatDialogKeys, TabVisitsTheStopsAndTheCheckedRadioButton) {
  Headless("");
  loop_body = [] {
    Plat_Send_Dlg_Item_Message(kPlatDialogWindow, 1000, BM_SETCHECK, 1, 0);
    std::vector<i32> order = {Plat_Dialog_Focus()};
    for (int i = 0; i < 6; i++) {
      Plat_Dialog_Key(9, false);
      order.push_back(Plat_Dialog_Focus());
    }
    EXPECT_EQ(order, (std::vector<i32>{Index(1), Index(2), Index(1000), Index(1001), Index(1003), Index(1004),
                                       Index(1)}));
    Plat_Dialog_Key(9, true);
    EXPECT_EQ(Plat_Dialog_Focus(), Index(1004));
    Plat_Dialog_Key(32, false);  // Space toggles the focused check box
    for (int i = 0; i < 3; i++) Plat_Dialog_Key(9, true);
    EXPECT_EQ(Plat_Dialog_Focus(), Index(1000));
    Plat_Dialog_Key(40, false);  // Down moves within the group and checks
    Plat_Dialog_Key(40, false);
    EXPECT_EQ(Plat_Dialog_Focus(), Index(1005));
    Plat_Dialog_Key(40, false);  // and wraps round
    EXPECT_EQ(Plat_Send_Dlg_Item_Message(kPlatDialogWindow, 1000, BM_GETCHECK, 0, 0), 1);
    Plat_Dialog_Key(38, false);
    Plat_Dialog_Key(13, false);  // Enter on a radio button presses the default button
  };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 1);
  EXPECT_EQ(Commands(), (std::vector<uintptr_t>{1004, 1002, 1005, 1000, 1005, 1}));
  Plat_Done();
}

TEST(PlatDialogKeys, EnterPressesTheFocusedButtonAndEscapeCancels) {
  Headless("");
  loop_body = [] {
    Plat_Dialog_Key(9, false);
    EXPECT_EQ(Plat_Dialog_Focus(), Index(2));
    Plat_Dialog_Key(13, false);
  };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 2);
  loop_body = [] { Plat_Dialog_Key(27, false); };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 2);
  loop_body = [] { Plat_Dialog_Close(); };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 2);
  Plat_Done();
}

TEST(PlatDialogMouse, ClicksHitControlsNotFramesOrText) {
  Headless("");
  loop_body = [] {
    const i32 s = kPlatDlgScale;
    EXPECT_EQ(Plat_Dialog_Hit((5 + 58) * s, (130 + 7) * s), Index(1));
    EXPECT_EQ(Plat_Dialog_Hit(5 * s, 130 * s), Index(1));
    EXPECT_EQ(Plat_Dialog_Hit(121 * s, 130 * s), -1);  // between the two buttons
    EXPECT_EQ(Plat_Dialog_Hit(170 * s, 75 * s), -1);   // inside " Options ", on no control
    EXPECT_EQ(Plat_Dialog_Hit(50 * s, 30 * s), -1);    // the description
    EXPECT_EQ(Plat_Dialog_Hit(100 * s, 100 * s), Index(1004));
    // Press on one control and release on another: no click.
    Plat_Dialog_Mouse_Down(100 * s, 100 * s);
    Plat_Dialog_Mouse_Up(100 * s, 85 * s);
    Plat_Dialog_Mouse_Down(20 * s, 112 * s);
    Plat_Dialog_Mouse_Up(21 * s, 113 * s);
    EXPECT_EQ(Plat_Dialog_Focus(), Index(1005));
    Plat_Dialog_Mouse_Down(140 * s, 136 * s);
    Plat_Dialog_Mouse_Up(140 * s, 136 * s);
  };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 2);
  EXPECT_EQ(Commands(), (std::vector<uintptr_t>{1005, 2}));
  Plat_Done();
}

TEST(PlatDialogDraw, ACheckedBoxChangesOnlyItsOwnPixels) {
  Headless("");
  loop_body = [] {
    const PlatDlgTemplate* t = Plat_Dialog_Template();
    EXPECT_STREQ(t->caption, "Velmoran / Tarvek (WIN32 Version)");
    const i32 w = t->w * kPlatDlgScale, h = t->h * kPlatDlgScale;
    EXPECT_EQ(w, 558);
    EXPECT_EQ(h, 468);
    std::vector<u32> before(size_t(w) * h), after(size_t(w) * h);
    Plat_Dialog_Draw(before.data(), w, h);
    EXPECT_EQ(before[0], 0xD4D0C8u);
    Plat_Dialog_Click(1003);  // VSync at 95, 81, 37 x 10
    Plat_Dialog_Draw(after.data(), w, h);
    i32 left = w, right = 0, top = h, bottom = 0, dark = 0;
    for (i32 y = 0; y < h; y++)
      for (i32 x = 0; x < w; x++)
        if (before[size_t(y) * w + x] != after[size_t(y) * w + x]) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
          dark += after[size_t(y) * w + x] == 0;
        }
    EXPECT_GE(left, 95 * 3);
    EXPECT_LE(right, (95 + 37) * 3);
    EXPECT_GE(top, 81 * 3);
    EXPECT_LE(bottom, (81 + 10) * 3);
    EXPECT_GT(dark, 20);  // the check mark
    // The description's text is drawn: dark pixels inside the " Info " group.
    i32 text = 0;
    for (i32 y = 30; y < 180; y++)
      for (i32 x = 30; x < 525; x++) text += after[size_t(y) * w + x] == 0;
    EXPECT_GT(text, 1000);
    Plat_Dialog_Click(2);
  };
  EXPECT_EQ(Plat_Dialog_Run(101, Recording_Proc, 0, Test_Loop), 2);
  Plat_Done();
}
