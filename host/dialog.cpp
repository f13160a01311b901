// Minimal modal dialog: the message map, its dispatch, and the one current dialog.
#include "host/dialog.h"

namespace {
Dialog* dialog_current = nullptr;
PlatWindow dialog_window = 0;
}  // namespace

void Dialog::Dialog_Create(u32 id, PlatWindow owner) {
  message_map.clear();
  last_found = message_map.end();
  resource_id = id;
  parent = owner;
  dialog_current = this;
}

void Dialog::Dialog_Destroy(void) {
  if (dialog_current == this) dialog_current = nullptr;
  dialog_window = 0;
  message_map.clear();
  last_found = message_map.end();
}

void Dialog::Dialog_Add_Handler(u32 message, DialogMember member, i32 adjust) {
  message_map.emplace(message, DialogHandler{member, adjust});
}

intptr_t Dialog::Dialog_Run(void) { return Plat_Dialog_Box(resource_id, parent, Dialog_Proc, 0); }

bool Dialog::Dialog_Dispatch(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  auto found = message_map.lower_bound(message);
  if (found == message_map.end() || found->first != message) {
    last_found = message_map.end();
    return false;
  }
  last_found = found;
  // The handler's own result is not passed on.
  Dialog* target = reinterpret_cast<Dialog*>(reinterpret_cast<char*>(this) + found->second.adjust);
  (target->*found->second.member)(window, wparam, lparam);
  return true;
}

bool Dialog::Dialog_Last_Found(u32* message) const {
  if (last_found == message_map.end()) return false;
  *message = last_found->first;
  return true;
}

intptr_t Dialog_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (!dialog_window) dialog_window = window;
  // Messages that arrive with no dialog object have nobody to handle them.
  if (!dialog_current) return 0;
  return dialog_current->Dialog_Dispatch(window, message, wparam, lparam) ? 1 : 0;
}

void Dialog_End_Ok(void) { Plat_End_Dialog(dialog_window, 1); }
void Dialog_End_Cancel(void) { Plat_End_Dialog(dialog_window, 2); }
Dialog* Dialog_Current(void) { return dialog_current; }
PlatWindow Dialog_Window(void) { return dialog_window; }
