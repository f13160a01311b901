// The setup dialog over the dialog framework's message map: its choices and end codes from scripted clicks
// and from keys, run over the headless platform's dialog.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "host/dialog.h"
#include "host/setup.h"
#include "platform/plat.h"
#include "platform/plat_dialog.h"

namespace {
void Headless(const char* setup, u32 fail = 0) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fail = fail;
  snprintf(config.setup, sizeof config.setup, "%s", setup);
  ASSERT_TRUE(Plat_Init(config));
}
}  // namespace

// Script (or a failing platform): end code and the choices read back (resolution, full screen, vsync,
// debug); a box clicked twice is clear again, a script that runs out closes the dialog.
TEST(SetupDialog, ChoicesAreReadBackAfterTheRun) {
  const std::tuple<const char*, u32, std::vector<i64>> rows[] = {
      {"run", 0, {1, 1, 0, 0, 0}},          {"640 fullscreen,debug vsync,run", 0, {1, 2, 1, 1, 1}},
      {"exit", 0, {2, 1, 0, 0, 0}},         {"800,vsync,vsync,320,640,800,run", 0, {1, 3, 0, 0, 0}},
      {"640,debug", 0, {2, 2, 0, 0, 1}},    {"run", PLAT_FAIL_DIALOG, {-1, 1, 0, 0, 0}}};
  for (auto& [script, fail, want] : rows) {
    Headless(script, fail);
    SetupDialog dialog(kSetupDialogId, 0);
    const i64 end = dialog.Dialog_Run();
    const SetupChoices& c = dialog.SetupDialog_Choices();
    EXPECT_EQ(std::vector<i64>({end, c.resolution, c.fullscreen, c.vsync, c.debug}), want) << script << fail;
    Plat_Done();
  }
}

namespace {
SetupDialog* running = nullptr;
// Tab to the radio group, Down twice: the third resolution; back-Tab, Space: full screen. A command whose
// notification code is not a click toggles it back: the control id alone decides. Escape exits.
bool Keys_Loop(void) {
  for (u8 k : {9, 9, 40, 40}) Plat_Dialog_Key(k, false);
  Plat_Dialog_Key(9, true);
  Plat_Dialog_Key(32, false);
  EXPECT_EQ(running->SetupDialog_Choices().fullscreen, 1u);
  Dialog_Proc(Dialog_Window(), WM_COMMAND, (1u << 16) | SETUP_FULLSCREEN, 0);
  EXPECT_EQ(running->SetupDialog_Choices().fullscreen, 0u);
  Plat_Dialog_Key(27, false);
  return true;
}
}  // namespace

TEST(SetupDialog, KeysReachTheHandlersAndTheControlIdAloneDecides) {
  Headless("");
  SetupDialog dialog(kSetupDialogId, 0);
  running = &dialog;
  EXPECT_EQ(Plat_Dialog_Run(kSetupDialogId, Dialog_Proc, 0, Keys_Loop), 2);
  EXPECT_EQ(dialog.SetupDialog_Choices().resolution, 3u);
  Plat_Done();
}
