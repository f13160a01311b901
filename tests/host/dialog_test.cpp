// The dialog framework's message map and the setup dialog's choices and end codes, run over the
// headless platform's dialog.
#include <gtest/gtest.h>

#include <vector>

#include "host/dialog.h"
#include "host/setup.h"
#include "platform/plat.h"
#include "platform/plat_dialog.h"

namespace {
class CountingDialog : public Dialog {
 public:
  CountingDialog() : Dialog(101, 0) {}
  i32 On_First(PlatWindow, uintptr_t wparam, intptr_t) { return first += i32(wparam), 0; }
  i32 On_Second(PlatWindow, uintptr_t, intptr_t) { return second++, 1; }
  i32 first = 0, second = 0;
};

DialogMember Member(i32 (CountingDialog::*m)(PlatWindow, uintptr_t, intptr_t)) {
  return static_cast<DialogMember>(m);
}

void Headless(const char* setup) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  snprintf(config.setup, sizeof config.setup, "%s", setup);
  ASSERT_TRUE(Plat_Init(config));
}

struct Outcome {
  intptr_t end;
  SetupChoices choices;
};

Outcome Run_Setup(const char* script) {
  Headless(script);
  SetupDialog dialog(kSetupDialogId, 0);
  Outcome o = {dialog.Dialog_Run(), dialog.SetupDialog_Choices()};
  Plat_Done();
  return o;
}
}  // namespace

TEST(DialogMap, HandledMessagesReturnTrueAndUnhandledFalse) {
  CountingDialog d;
  d.Dialog_Add_Handler(WM_COMMAND, Member(&CountingDialog::On_First), 0);
  d.Dialog_Add_Handler(WM_INITDIALOG, Member(&CountingDialog::On_Second), 0);
  u32 found = 0;
  EXPECT_TRUE(d.Dialog_Dispatch(1, WM_COMMAND, 5, 0));  // the handler's 0 is not passed on
  EXPECT_TRUE(d.Dialog_Last_Found(&found));
  EXPECT_EQ(found, u32(WM_COMMAND));
  EXPECT_FALSE(d.Dialog_Dispatch(1, WM_PAINT, 0, 0));
  EXPECT_FALSE(d.Dialog_Last_Found(&found));
  EXPECT_FALSE(d.Dialog_Dispatch(1, WM_INITDIALOG + 2, 0, 0));  // past the last key
  EXPECT_TRUE(d.Dialog_Dispatch(1, WM_INITDIALOG, 0, 0));
  EXPECT_EQ(d.first, 5);
  EXPECT_EQ(d.second, 1);
}

TEST(DialogMap, TheFirstRegistrationOfAMessageWins) {
  CountingDialog d;
  d.Dialog_Add_Handler(WM_COMMAND, Member(&CountingDialog::On_First), 0);
  d.Dialog_Add_Handler(WM_COMMAND, Member(&CountingDialog::On_Second), 0);
  d.Dialog_Dispatch(1, WM_COMMAND, 3, 0);
  EXPECT_EQ(d.first, 3);
  EXPECT_EQ(d.second, 0);
}

TEST(DialogMap, TheProcedureKeepsTheFirstWindowAndFollowsTheCurrentDialog) {
  EXPECT_EQ(Dialog_Current(), nullptr);
  EXPECT_EQ(Dialog_Proc(7, WM_COMMAND, 1, 0), 0);  // no dialog: nothing handles it
  {
    CountingDialog d;
    EXPECT_EQ(Dialog_Current(), &d);
    d.Dialog_Add_Handler(WM_COMMAND, Member(&CountingDialog::On_First), 0);
    EXPECT_EQ(Dialog_Proc(9, WM_COMMAND, 4, 0), 1);
    EXPECT_EQ(Dialog_Proc(9, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(d.first, 4);
  }
  EXPECT_EQ(Dialog_Current(), nullptr);
  EXPECT_EQ(Dialog_Window(), 0u);
  // Owned through the base class, the derived destructor runs too.
  Dialog* owned = new SetupDialog(kSetupDialogId, 0);
  EXPECT_EQ(Dialog_Current(), owned);
  delete owned;
  EXPECT_EQ(Dialog_Current(), nullptr);
}

// Script: end code and the choices read back (resolution, full screen, vsync, debug); a box clicked twice
// is clear again, a script that runs out closes the dialog.
TEST(SetupDialog, ChoicesAreReadBackAfterTheRun) {
  const std::pair<const char*, std::vector<u32>> rows[] = {{"run", {1, 1, 0, 0, 0}},
                                                           {"640,fullscreen,debug,vsync,run", {1, 2, 1, 1, 1}},
                                                           {"800,vsync,vsync,320,640,800,run", {1, 3, 0, 0, 0}},
                                                           {"exit", {2, 1, 0, 0, 0}}};
  for (auto& [script, want] : rows) {
    Outcome o = Run_Setup(script);
    const SetupChoices& c = o.choices;
    EXPECT_EQ(std::vector<u32>({u32(o.end), c.resolution, c.fullscreen, c.vsync, c.debug}), want) << script;
  }
}

TEST(SetupDialog, ExitEndsWithTwoAndAFailureWithMinusOne) {
  EXPECT_EQ(Run_Setup("640,debug").end, 2);  // the script runs out: the dialog is closed
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fail = PLAT_FAIL_DIALOG;
  ASSERT_TRUE(Plat_Init(config));
  SetupDialog dialog(kSetupDialogId, 0);
  EXPECT_EQ(dialog.Dialog_Run(), -1);
  Plat_Done();
}

namespace {
SetupDialog* running = nullptr;
bool Keys_Loop(void) {
  // The first resolution is checked by the time the dialog shows, the check boxes are clear.
  EXPECT_EQ(Plat_Send_Dlg_Item_Message(Dialog_Window(), SETUP_RES_320, BM_GETCHECK, 0, 0), 1);
  EXPECT_EQ(Plat_Send_Dlg_Item_Message(Dialog_Window(), SETUP_VSYNC, BM_GETCHECK, 0, 0), 0);
  EXPECT_EQ(Dialog_Window(), kPlatDialogWindow);
  // Tab to the radio group, Down twice: the third resolution; back-Tab, Space: full screen.
  for (u8 k : {9, 9, 40, 40}) Plat_Dialog_Key(k, false);
  Plat_Dialog_Key(9, true);
  Plat_Dialog_Key(32, false);
  EXPECT_EQ(running->SetupDialog_Choices().resolution, 3u);
  EXPECT_EQ(running->SetupDialog_Choices().fullscreen, 1u);
  // The control id alone decides, whatever the notification code above it.
  Dialog_Proc(Dialog_Window(), WM_COMMAND, (1u << 16) | SETUP_FULLSCREEN, 0);
  EXPECT_EQ(running->SetupDialog_Choices().fullscreen, 0u);
  Plat_Dialog_Key(27, false);
  return true;
}
}  // namespace

TEST(SetupDialog, KeysReachTheHandlersAndEscapeExits) {
  Headless("");
  SetupDialog dialog(kSetupDialogId, 0);
  running = &dialog;
  EXPECT_EQ(Plat_Dialog_Run(kSetupDialogId, Dialog_Proc, 0, Keys_Loop), 2);
  EXPECT_EQ(dialog.SetupDialog_Choices().resolution, 3u);
  Plat_Done();
}
