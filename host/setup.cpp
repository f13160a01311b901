// The setup dialog: handlers for WM_INITDIALOG and WM_COMMAND over the dialog's message map.
#include "host/setup.h"

void SetupDialog::SetupDialog_Create(void) {
  SetupDialog_Register_Handlers();
  choices = {0, 0, 1, 0};
}

void SetupDialog::SetupDialog_Register_Handlers(void) {
  SetupDialog_Add_Handler(WM_COMMAND, &SetupDialog::SetupDialog_On_Command);
  SetupDialog_Add_Handler(WM_INITDIALOG, &SetupDialog::SetupDialog_On_Init);
}

void SetupDialog::SetupDialog_Add_Handler(u32 message, Member member) {
  Dialog_Add_Handler(message, static_cast<DialogMember>(member), 0);
}

// The first resolution starts checked; the check boxes start clear, as the choices do.
i32 SetupDialog::SetupDialog_On_Init(PlatWindow window, uintptr_t, intptr_t) {
  Plat_Send_Dlg_Item_Message(window, SETUP_RES_320, BM_SETCHECK, 1, 0);
  return 1;
}

i32 SetupDialog::SetupDialog_On_Command(PlatWindow, uintptr_t wparam, intptr_t) {
  switch (i32(wparam & 0xFFFF)) {
    case SETUP_RUN: Dialog_End_Ok(); break;
    case SETUP_EXIT: Dialog_End_Cancel(); break;
    case SETUP_RES_320: choices.resolution = 1; break;
    case SETUP_RES_640: choices.resolution = 2; break;
    case SETUP_RES_800: choices.resolution = 3; break;
    case SETUP_DEBUG: choices.debug ^= 1; break;
    case SETUP_VSYNC: choices.vsync ^= 1; break;
    case SETUP_FULLSCREEN: choices.fullscreen ^= 1; break;
    default: break;
  }
  return 0;
}
