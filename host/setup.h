// The setup dialog: output resolution, full screen, vertical sync and debug mode, then RUN! or Exit.
#pragma once
#include "host/dialog.h"

struct SetupChoices {
  u32 vsync;       // 0/1
  u32 debug;       // 0/1
  u32 resolution;  // 1: 320 x 200, 2: 640 x 400, 3: the "800 x 500" button (960 x 600)
  u32 fullscreen;  // 0/1
};

// Control ids of dialog template 101.
enum : i32 {
  SETUP_RUN = 1,
  SETUP_EXIT = 2,
  SETUP_RES_320 = 1000,
  SETUP_DEBUG = 1001,
  SETUP_RES_640 = 1002,
  SETUP_VSYNC = 1003,
  SETUP_FULLSCREEN = 1004,
  SETUP_RES_800 = 1005,
};
const u32 kSetupDialogId = 101;

class SetupDialog : public Dialog {
 public:
  SetupDialog(u32 resource_id, PlatWindow parent) : Dialog(resource_id, parent) {
    SetupDialog_Create();
  }
  ~SetupDialog() override {}

  const SetupChoices& SetupDialog_Choices(void) const { return choices; }
  i32 SetupDialog_On_Init(PlatWindow window, uintptr_t wparam, intptr_t lparam);
  i32 SetupDialog_On_Command(PlatWindow window, uintptr_t wparam, intptr_t lparam);

 private:
  typedef i32 (SetupDialog::*Member)(PlatWindow window, uintptr_t wparam, intptr_t lparam);
  void SetupDialog_Create(void);
  void SetupDialog_Register_Handlers(void);
  void SetupDialog_Add_Handler(u32 message, Member member);

  SetupChoices choices = {0, 0, 1, 0};
};
