// The platform's modal dialogs, shared by the backends: the program's dialog templates, the state of
// the running dialog, its input (scripted clicks, keys, mouse) and its drawing into 32-bit pixels.
#pragma once
#include "platform/plat.h"

enum PlatDlgKind : u8 {
  PLAT_DLG_PUSH,
  PLAT_DLG_DEFAULT_PUSH,
  PLAT_DLG_RADIO,  // auto radio button; all radio buttons of a template form one group
  PLAT_DLG_CHECK,  // auto check box
  PLAT_DLG_GROUP,
  PLAT_DLG_STATIC,
  PLAT_DLG_STATIC_CENTRED,
};

struct PlatDlgControl {
  i32 id;  // -1: no id
  PlatDlgKind kind;
  const char* text;
  i32 x, y, w, h;  // dialog units
  bool tab_stop;
  bool disabled;
};

struct PlatDlgTemplate {
  u32 id;
  const char* caption;
  i32 w, h;  // dialog units
  u32 count;
  const PlatDlgControl* controls;
};

const i32 kPlatDlgScale = 3;                 // pixels per dialog unit when drawn
const PlatWindow kPlatDialogWindow = 0x101;  // the handle the running dialog's procedure sees

const PlatDlgTemplate* Plat_Find_Dialog_Template(u32 id);

// A setup script: names of controls clicked in order (320, 640, 800 or 960, debug, vsync,
// fullscreen or full, run, exit), separated by commas; true when every name is known.
bool Plat_Dialog_Check_Script(const char* script);

// Runs a dialog: WM_INITDIALOG, then the given loop (null: the configuration's script). -1 when the
// template is unknown, a dialog already runs, or the loop could not show it.
intptr_t Plat_Dialog_Run(u32 template_id, PlatWndProc proc, intptr_t param, bool (*loop)(void));

// The running dialog (for the backends' loops and for tests).
const PlatDlgTemplate* Plat_Dialog_Template(void);  // null when no dialog runs
bool Plat_Dialog_Ended(void);
i32 Plat_Dialog_Focus(void);  // control index with the keyboard focus
bool Plat_Dialog_Is_Checked(u32 index);
void Plat_Dialog_Click(i32 id);  // a control is activated: auto state, then WM_COMMAND
bool Plat_Dialog_Script(const char* script);
void Plat_Dialog_Key(u8 code, bool shift);  // key codes as the window's (Tab 9, Enter 13, ...)
i32 Plat_Dialog_Hit(i32 x, i32 y);          // control index under a pixel of the drawn dialog, -1 none
void Plat_Dialog_Mouse_Down(i32 x, i32 y);
void Plat_Dialog_Mouse_Up(i32 x, i32 y);  // a press and release on the same control clicks it
void Plat_Dialog_Close(void);             // the dialog window's close button

// Draws the running dialog into width x height pixels (0x00RRGGBB, top-down rows).
void Plat_Dialog_Draw(u32* pixels, i32 width, i32 height);
