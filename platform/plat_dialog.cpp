// Modal dialogs: the program's dialog templates, the running dialog's auto controls and focus, and
// how clicks, keys, mouse and setup scripts reach its procedure.
#include "platform/plat_dialog.h"

#include <cstdio>
#include <cstring>

#include "platform/backend.h"

namespace {
// Template 101: the setup dialog.
const PlatDlgControl kSetupControls[] = {
    {1, PLAT_DLG_DEFAULT_PUSH, "RUN!", 5, 130, 116, 14, true, false},
    {2, PLAT_DLG_PUSH, "Exit", 125, 130, 50, 14, true, false},
    {1000, PLAT_DLG_RADIO, "320 x 200", 15, 80, 47, 10, false, false},
    {-1, PLAT_DLG_GROUP, " Resolution ", 5, 70, 75, 55, false, false},
    {1002, PLAT_DLG_RADIO, "640 x 400", 15, 95, 47, 10, false, false},
    {-1, PLAT_DLG_GROUP, " Options ", 85, 70, 95, 55, false, false},
    {1001, PLAT_DLG_CHECK, "Debug Mode", 95, 110, 57, 10, true, false},
    {1003, PLAT_DLG_CHECK, "VSync", 95, 81, 37, 10, true, false},
    {-1, PLAT_DLG_GROUP, " Info ", 5, 0, 175, 65, false, false},
    {-1, PLAT_DLG_STATIC_CENTRED, "Velmoran for Linux, version 1.0", 5, 147, 172, 8, false, true},
    {-1, PLAT_DLG_STATIC,
     "A real-time show by Tarvek: a software-rendered 3D engine and an XM player in step with the "
     "music. Choose the output size and options, then press RUN! (Escape ends the show.)",
     10, 10, 165, 50, false, false},
    {1004, PLAT_DLG_CHECK, "Fullscreen", 95, 96, 48, 10, true, false},
    {1005, PLAT_DLG_RADIO, "800 x 500", 15, 110, 47, 10, false, false},
};
const PlatDlgTemplate kTemplates[] = {
    {101, "Velmoran / Tarvek (WIN32 Version)", 186, 156, sizeof kSetupControls / sizeof kSetupControls[0],
     kSetupControls},
};

const u32 kMaxControls = 32;
const struct {
  const char* name;
  i32 id;
} kScriptNames[] = {{"320", 1000}, {"640", 1002},        {"800", 1005},  {"960", 1005}, {"debug", 1001},
                    {"vsync", 1003}, {"fullscreen", 1004}, {"full", 1004}, {"run", 1},    {"exit", 2}};

const PlatDlgTemplate* dlg_template = nullptr;
PlatWndProc dlg_proc = nullptr;
bool dlg_checked[kMaxControls];
bool dlg_ended = false;
intptr_t dlg_code = 0;
i32 dlg_focus = -1;
i32 dlg_pressed = -1;  // control under the mouse button since it went down

i32 Dlg_Index(i32 id) {
  for (u32 i = 0; dlg_template && i < dlg_template->count; i++)
    if (dlg_template->controls[i].id == id) return i32(i);
  return -1;
}

bool Dlg_Can_Click(PlatDlgKind kind) { return kind <= PLAT_DLG_CHECK; }

// The controls Tab visits: the tab stops, and the radio group through its checked button.
bool Dlg_Tab_Stop(u32 i) {
  const PlatDlgControl& c = dlg_template->controls[i];
  if (c.disabled) return false;
  if (c.kind == PLAT_DLG_RADIO) return dlg_checked[i];
  return c.tab_stop;
}

void Dlg_Tab(bool back) {
  i32 n = i32(dlg_template->count);
  for (i32 step = 1; step <= n; step++) {
    i32 i = ((dlg_focus < 0 ? (back ? 0 : -1) : dlg_focus) + (back ? -step : step) % n + n) % n;
    if (Dlg_Tab_Stop(u32(i))) {
      dlg_focus = i;
      return;
    }
  }
}

// Arrows inside the radio group move to the neighbouring button and check it.
void Dlg_Arrow(bool back) {
  if (dlg_focus < 0 || dlg_template->controls[dlg_focus].kind != PLAT_DLG_RADIO) {
    Dlg_Tab(back);
    return;
  }
  i32 n = i32(dlg_template->count);
  for (i32 step = 1; step < n; step++) {
    i32 i = (dlg_focus + (back ? n - step : step)) % n;
    if (dlg_template->controls[i].kind == PLAT_DLG_RADIO && !dlg_template->controls[i].disabled) {
      dlg_focus = i;
      Plat_Dialog_Click(dlg_template->controls[i].id);
      return;
    }
  }
}
}  // namespace

const PlatDlgTemplate* Plat_Find_Dialog_Template(u32 id) {
  for (const PlatDlgTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}

bool Plat_Dialog_Check_Script(const char* script) {
  char buffer[128];
  snprintf(buffer, sizeof buffer, "%s", script);
  for (char* t = strtok(buffer, ", "); t; t = strtok(nullptr, ", ")) {
    bool known = false;
    for (const auto& n : kScriptNames) known = known || strcmp(t, n.name) == 0;
    if (!known) return false;
  }
  return true;
}

intptr_t Plat_Dialog_Run(u32 template_id, PlatWndProc proc, intptr_t param, bool (*loop)(void)) {
  const PlatDlgTemplate* t = Plat_Find_Dialog_Template(template_id);
  if (!t || !proc || dlg_template || t->count > kMaxControls) return -1;
  dlg_template = t;
  dlg_proc = proc;
  memset(dlg_checked, 0, sizeof dlg_checked);
  dlg_ended = false;
  dlg_code = 0;
  dlg_focus = -1;
  dlg_pressed = -1;
  // The first tab stop has the focus.
  for (u32 i = 0; i < t->count && dlg_focus < 0; i++)
    if (t->controls[i].tab_stop && !t->controls[i].disabled) dlg_focus = i32(i);
  proc(kPlatDialogWindow, WM_INITDIALOG, 0, param);
  bool shown = dlg_ended || (loop ? loop() : Plat_Dialog_Script(Plat_Get_Config().setup));
  intptr_t code = shown ? dlg_code : -1;
  dlg_template = nullptr;
  dlg_proc = nullptr;
  return code;
}

void Plat_End_Dialog(PlatWindow dialog, intptr_t code) {
  if (Plat_System_End_Dialog(dialog, code)) return;
  if (dialog != kPlatDialogWindow || !dlg_template) return;
  dlg_ended = true;
  dlg_code = code;
}

intptr_t Plat_Send_Dlg_Item_Message(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam) {
  intptr_t result;
  if (Plat_System_Dialog_Item_Message(dialog, id, message, wparam, lparam, &result)) return result;
  i32 i = dialog == kPlatDialogWindow ? Dlg_Index(id) : -1;
  if (i < 0) return 0;
  PlatDlgKind kind = dlg_template->controls[i].kind;
  if (kind != PLAT_DLG_RADIO && kind != PLAT_DLG_CHECK) return 0;
  if (message == BM_GETCHECK) return dlg_checked[i] ? 1 : 0;
  if (message == BM_SETCHECK) dlg_checked[i] = wparam != 0;
  return 0;
}

const PlatDlgTemplate* Plat_Dialog_Template(void) { return dlg_template; }
bool Plat_Dialog_Ended(void) { return dlg_ended; }
i32 Plat_Dialog_Focus(void) { return dlg_focus; }
bool Plat_Dialog_Is_Checked(u32 index) { return index < kMaxControls && dlg_checked[index]; }

void Plat_Dialog_Click(i32 id) {
  i32 i = Dlg_Index(id);
  if (i < 0 || dlg_ended) return;
  const PlatDlgControl& c = dlg_template->controls[i];
  if (c.disabled || !Dlg_Can_Click(c.kind)) return;
  if (c.kind == PLAT_DLG_CHECK) dlg_checked[i] = !dlg_checked[i];
  if (c.kind == PLAT_DLG_RADIO)
    for (u32 k = 0; k < dlg_template->count; k++)
      if (dlg_template->controls[k].kind == PLAT_DLG_RADIO) dlg_checked[k] = i32(k) == i;
  // BN_CLICKED (0) in the high word.
  dlg_proc(kPlatDialogWindow, WM_COMMAND, uintptr_t(u16(id)), 0);
}

bool Plat_Dialog_Script(const char* script) {
  if (!Plat_Dialog_Check_Script(script)) return false;
  char buffer[128];
  snprintf(buffer, sizeof buffer, "%s", script);
  for (char* t = strtok(buffer, ", "); t && !dlg_ended; t = strtok(nullptr, ", "))
    for (const auto& n : kScriptNames)
      if (strcmp(t, n.name) == 0) Plat_Dialog_Click(n.id);
  if (!dlg_ended) {
    printf("Plat: The setup script ends without run or exit; the dialog is closed.\n");
    Plat_Dialog_Close();
  }
  // A procedure that does not end on Cancel is ended here: a script never leaves a dialog open.
  if (!dlg_ended) Plat_End_Dialog(kPlatDialogWindow, 2);
  return true;
}

void Plat_Dialog_Close(void) { Plat_Dialog_Click(2); }

void Plat_Dialog_Key(u8 code, bool shift) {
  if (!dlg_template || dlg_ended) return;
  const PlatDlgControl* focus = dlg_focus >= 0 ? &dlg_template->controls[dlg_focus] : nullptr;
  switch (code) {
    case 9:
      Dlg_Tab(shift);
      break;
    case 37:
    case 38:
      Dlg_Arrow(true);
      break;
    case 39:
    case 40:
      Dlg_Arrow(false);
      break;
    case 32:
      if (focus) Plat_Dialog_Click(focus->id);
      break;
    case 13:
      // Enter presses the focused push button, otherwise the default button.
      if (focus && (focus->kind == PLAT_DLG_PUSH || focus->kind == PLAT_DLG_DEFAULT_PUSH))
        Plat_Dialog_Click(focus->id);
      else
        Plat_Dialog_Click(1);
      break;
    case 27:
      Plat_Dialog_Click(2);
      break;
    default:
      break;
  }
}

i32 Plat_Dialog_Hit(i32 x, i32 y) {
  for (u32 i = 0; dlg_template && i < dlg_template->count; i++) {
    const PlatDlgControl& c = dlg_template->controls[i];
    if (!Dlg_Can_Click(c.kind) || c.disabled) continue;
    i32 left = c.x * kPlatDlgScale, top = c.y * kPlatDlgScale;
    if (x >= left && y >= top && x < left + c.w * kPlatDlgScale && y < top + c.h * kPlatDlgScale) return i32(i);
  }
  return -1;
}

void Plat_Dialog_Mouse_Down(i32 x, i32 y) {
  dlg_pressed = Plat_Dialog_Hit(x, y);
  if (dlg_pressed >= 0) dlg_focus = dlg_pressed;
}

void Plat_Dialog_Mouse_Up(i32 x, i32 y) {
  i32 pressed = dlg_pressed;
  dlg_pressed = -1;
  if (pressed >= 0 && Plat_Dialog_Hit(x, y) == pressed) Plat_Dialog_Click(dlg_template->controls[pressed].id);
}
