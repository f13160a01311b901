// The operations each platform backend (sdl, win32, headless) provides to the common platform code.
// The tables are filled with designated initialisers, so a slot out of place does not compile; the
// optional slots default to null, so a table names only what its backend provides.
#pragma once
#include <vector>

#include "platform/plat.h"

// A back buffer in memory, for backends that present from their own copy: width x height 0x00RRGGBB pixels.
struct PlatMemoryBack {
  std::vector<u32> pixels;
  u32 width = 0, height = 0;
  void Resize(u32 w, u32 h) {
    width = w;
    height = h;
    pixels.assign(size_t(w) * h, 0);
  }
  bool Lock(u32** p, u32* pitch, u32* w, u32* h) {
    *p = pixels.data();
    *pitch = width * 4;
    *w = width;
    *h = height;
    return true;
  }
};

// A system whose own message queue runs the window (win32): the real loop, posting, paint requests,
// the default procedure and the quit message. Its window procedure hands every message to
// Plat_Window_Message.
struct PlatSystemLoop {
  bool (*register_class)(const char* name, u32 style);
  bool (*get_message)(PlatMsg* message);  // false on the quit message; window 1: the main window
  void (*translate_message)(void);        // of the message got last
  intptr_t (*dispatch_message)(void);
  intptr_t (*send_message)(u32 message, uintptr_t wparam, intptr_t lparam);
  void (*post_message)(u32 message, uintptr_t wparam, intptr_t lparam);
  void (*post_quit)(i32 code);
  void (*invalidate)(void);
  void (*update_window)(void);
  intptr_t (*def_window_proc)(u32 message, uintptr_t wparam, intptr_t lparam);
};

struct PlatBackend {
  bool (*init)(const PlatConfig& config);
  void (*done)(void);
  i64 (*frequency)(void);
  i64 (*counter)(void);
  void (*sleep)(u32 milliseconds);
  bool (*create_window)(const char* title, i32 width, i32 height);
  void (*client_size)(i32* width, i32* height);
  void (*set_outer_size)(i32 width, i32 height);
  void (*show)(void);
  void (*pump)(void);         // moves pending input into the message queue
  void (*wait)(void);         // blocks until something may have happened
  void (*frame_advance)(void);  // a paint is about to be delivered
  bool (*minimised)(void);
  bool (*message_box)(const char* text, const char* caption);
  // A fatal message, already printed, shown where the printed one reaches no one (null: nowhere else).
  void (*fatal_box)(const char* text) = nullptr;
  bool (*present_init)(u32 width, u32 height, bool fullscreen, bool vsync);
  void (*present_clear)(u32 argb);
  bool (*present_back_buffer)(void) = nullptr;  // null: always there
  void (*present_put_back_buffer)(void) = nullptr;  // null: nothing to give back
  bool (*present_lock)(u32** pixels, u32* pitch, u32* width, u32* height);
  void (*present_unlock)(void);
  void (*present_flip)(void);
  void (*present_release)(void);
  bool (*wave_open)(u32 rate, u32 channels, u32 bits);
  void (*wave_start)(const u8* ring, u32 bytes);
  u32 (*wave_position)(void);
  void (*wave_stop)(void);
  void (*wave_close)(void);
  void (*show_cursor)(bool show);
  // Runs the modal loop of the dialog set up by Plat_Dialog_Box until it ends; false: not shown.
  bool (*dialog_loop)(void);
  // A system that runs dialogs itself (null: the layer's own dialog above): the whole modal run, owned
  // by the parent window (0: none), the end of it, and messages to its controls.
  intptr_t (*dialog_box)(u32 template_id, PlatWindow parent, PlatWndProc proc, intptr_t param) = nullptr;
  bool (*end_dialog)(PlatWindow dialog, intptr_t code) = nullptr;  // false: not a dialog of the system's
  bool (*dialog_item_message)(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam,
                              intptr_t* result) = nullptr;
  // The host surface (null: zero-filled memory of the layer's own).
  u32* (*create_surface)(u32 width, u32 height) = nullptr;
  void (*free_surface)(u32* pixels) = nullptr;
  const PlatSystemLoop* system_loop = nullptr;  // null: the layer's own queue and paint requests
};

const PlatBackend* Plat_Sdl_Backend(void);
const PlatBackend* Plat_Headless_Backend(void);
const PlatBackend* Plat_Win32_Backend(void);
bool Plat_Sdl_Dialog_Loop(void);  // the dialog drawn in a window of its own

// Shared with the backends.
void Plat_Queue_Message(u32 message, uintptr_t wparam, intptr_t lparam);
u32 Plat_Paint_Count(void);
void (*Plat_Audio_Pump(void))(void);
void Plat_Status_Text(char* text, u32 size);
void Plat_Request_Close(void);  // a limit or the user asks the window to close
void Plat_Check_Time_Limit(void);
// The system's window procedure passes each message of the main window here (system loop only).
intptr_t Plat_Window_Message(u32 message, uintptr_t wparam, intptr_t lparam);
// A dialog run by the system itself (win32): ending it and its controls' messages; false when the
// handle is not such a dialog's.
bool Plat_System_End_Dialog(PlatWindow dialog, intptr_t code);
bool Plat_System_Dialog_Item_Message(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam,
                                     intptr_t* result);  // closes the window once the time limit has passed
