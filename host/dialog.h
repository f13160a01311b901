// Minimal modal dialog: message handlers in an ordered map from message number to member handler,
// fed by the platform's dialog procedure.
#pragma once
#include <cstdint>
#include <map>

#include "platform/plat.h"
#include "runtime/types.h"

class Dialog;
typedef i32 (Dialog::*DialogMember)(PlatWindow window, uintptr_t wparam, intptr_t lparam);

// A handler: the member to call and an offset added to the dialog's address before the call.
struct DialogHandler {
  DialogMember member;
  i32 adjust;
};

class Dialog {
 public:
  Dialog(u32 resource_id, PlatWindow parent) { Dialog_Create(resource_id, parent); }
  virtual ~Dialog() { Dialog_Destroy(); }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Adds a handler unless the message already has one.
  void Dialog_Add_Handler(u32 message, DialogMember member, i32 adjust);
  // Runs the dialog modally; returns its end code (-1 when it could not be shown).
  intptr_t Dialog_Run(void);
  // Calls the message's handler and returns true, or returns false when it has none.
  bool Dialog_Dispatch(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);

  u32 Dialog_Resource_Id(void) const { return resource_id; }
  bool Dialog_Last_Found(u32* message) const;  // the message of the entry the last dispatch found

 protected:
  void Dialog_Create(u32 resource_id, PlatWindow parent);
  void Dialog_Destroy(void);

 private:
  std::map<u32, DialogHandler> message_map;
  std::map<u32, DialogHandler>::iterator last_found;
  u32 resource_id = 0;
  PlatWindow parent = 0;
};

// The platform's dialog procedure: keeps the first window handle it sees and dispatches to the
// current dialog; TRUE (1) when a handler ran.
intptr_t Dialog_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);
void Dialog_End_Ok(void);      // ends the running dialog with code 1
void Dialog_End_Cancel(void);  // ends the running dialog with code 2
Dialog* Dialog_Current(void);
PlatWindow Dialog_Window(void);
