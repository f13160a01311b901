// The platform layer: window, messages, clock, surface, presentation, wave-out and threads with
// Windows-shaped semantics, over one of three backends (sdl or win32, and headless).
#pragma once
#include <cstdint>
#include <string>

#include "runtime/types.h"

typedef u32 PlatWindow;  // 0: none
const PlatWindow kPlatMainWindow = 1;  // the layer's handle of its one window
typedef intptr_t (*PlatWndProc)(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);

struct PlatMsg {
  PlatWindow window;
  u32 message;
  uintptr_t wparam;
  intptr_t lparam;
};

enum : u32 {
  WM_CREATE = 1,
  WM_DESTROY = 2,
  WM_PAINT = 15,
  WM_CLOSE = 16,
  WM_QUIT = 18,
  WM_ERASEBKGND = 20,
  WM_KEYDOWN = 256,
  WM_KEYUP = 257,
  WM_INITDIALOG = 272,
  WM_COMMAND = 273,
  BM_GETCHECK = 0xF0,
  BM_SETCHECK = 0xF1,
};

enum PlatBackendKind : u8 { PLAT_SDL = 0, PLAT_HEADLESS = 1, PLAT_WIN32 = 2 };
#ifdef _WIN32
const PlatBackendKind kPlatDefaultBackend = PLAT_WIN32;
#else
const PlatBackendKind kPlatDefaultBackend = PLAT_SDL;
#endif

// Fault injection points (VELMORAN_FAIL, comma-separated names).
enum : u32 {
  PLAT_FAIL_CLASS = 1u << 0,
  PLAT_FAIL_WINDOW = 1u << 1,
  PLAT_FAIL_PRESENTER = 1u << 2,
  PLAT_FAIL_BACKBUFFER = 1u << 3,
  PLAT_FAIL_AUDIO = 1u << 4,
  PLAT_FAIL_DIALOG = 1u << 5,
};

struct PlatKeyEvent {
  u32 frame;  // paint request index at which the event is delivered
  bool down;
  u8 code;
};

const u32 kPlatMaxScriptKeys = 256;
const u32 kPlatPathBytes = 4096;  // room for any path the system takes, with its terminating zero

struct PlatConfig {
  PlatBackendKind backend = kPlatDefaultBackend;
  u32 fps = 60;                // headless virtual frames per second
  u32 max_frames = 0;          // 0: no limit
  f64 max_seconds = 0;         // 0: no limit (virtual seconds headless, wall-clock with sdl)
  u32 fail = 0;                // PLAT_FAIL_* bits
  i32 border_w = 16, border_h = 39;  // headless emulated window frame
  u32 key_count = 0;
  PlatKeyEvent keys[kPlatMaxScriptKeys];
  char crc_log[kPlatPathBytes] = "";
  char dump_dir[kPlatPathBytes] = "";
  std::string dump_frames;  // list of frame numbers, or "every:N"
  char avi[kPlatPathBytes] = "";
  u32 avi_every = 1;
  char wav[kPlatPathBytes] = "";
  char setup[128] = "";       // scripted setup-dialog answers
  char dialog_keys[256] = "";  // test hook: input fed to the drawn dialog (sdl)
};

// Reads VELMORAN_* variables into a configuration; a malformed value, a number that is not whole or out of
// range, or a text longer than its field is reported by the setting's name and returns false.
bool Plat_Config_From_Env(PlatConfig* config);
// Reads the decimal digits at text (nothing else: no sign, no blank) as a number of at most max; the place
// after the digits, or null when there are none or the number is larger.
const char* Plat_Parse_Digits(const char* text, u32 max, u32* value);
// A capture (AVI, WAV, CRC log, PNG) that failed while the show went on: the run ends with its own code.
void Plat_Note_Output_Failure(void);
bool Plat_Output_Failed(void);

// Life.
bool Plat_Init(const PlatConfig& config);
void Plat_Done(void);
const PlatConfig& Plat_Get_Config(void);
bool Plat_Limit_Reached(void);  // the headless frame or time limit ended the run

// Clock.
i64 Plat_Counter_Frequency(void);
i64 Plat_Counter(void);
i32 Plat_Process_Millis(void);
void Plat_Sleep(u32 milliseconds);

// Window and messages.
struct PlatClass {
  PlatWndProc proc;
  const char* name;
  u32 style;
};
bool Plat_Register_Class(const PlatClass* description);
PlatWindow Plat_Create_Window(const char* class_name, const char* title, i32 width, i32 height);
void Plat_Get_Client_Size(PlatWindow window, i32* width, i32* height);
void Plat_Set_Outer_Size(PlatWindow window, i32 width, i32 height);
void Plat_Show_Window(PlatWindow window);
void Plat_Update_Window(PlatWindow window);
bool Plat_Get_Message(PlatMsg* message);
void Plat_Translate_Message(const PlatMsg* message);
intptr_t Plat_Dispatch_Message(const PlatMsg* message);
intptr_t Plat_Send_Message(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);
void Plat_Post_Message(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);
void Plat_Post_Quit(i32 code);
i32 Plat_Quit_Code(void);
void Plat_Invalidate(PlatWindow window);
intptr_t Plat_Def_Window_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);
void Plat_Message_Box(PlatWindow owner, const char* text, const char* caption);
const char* Plat_Last_Message_Box(void);  // for tests: the text of the last box shown
// A fatal message of the program's own (the engine's go through its error module): printed on standard
// error, and shown in a box too where the backend shows fatal messages when the printed ones reach no
// one (the Windows program started from the desktop).
void Plat_Fatal_Message(const char* text);
void Plat_Show_Cursor(bool show);
bool Plat_Open_Console(void);

// Modal dialogs from the program's dialog templates. The procedure hears WM_INITDIALOG first, then a
// WM_COMMAND (control id, BN_CLICKED) for every control activated; Enter activates the default
// button, Escape and closing the dialog activate id 2. Check boxes and radio buttons keep their own
// state, as auto controls do. Returns the code given to Plat_End_Dialog, -1 when the dialog cannot
// be shown. A VELMORAN_SETUP script (headless: always, "run" when empty) clicks controls by name.
// The system's dialog (win32) is owned by the parent: the main window, a dialog's handle, or 0 (none).
intptr_t Plat_Dialog_Box(u32 template_id, PlatWindow parent, PlatWndProc proc, intptr_t param);
void Plat_End_Dialog(PlatWindow dialog, intptr_t code);  // ends the loop after the current message
// BM_SETCHECK (wparam 0/1) and BM_GETCHECK on a check box or radio button of the running dialog.
intptr_t Plat_Send_Dlg_Item_Message(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam);

// The folder of the running program, without a trailing separator; false when unknown.
bool Plat_Program_Dir(char* path, u32 size);

// The host's 32-bit surface: zero-filled, 64-byte aligned, top-down rows of width pixels.
u32* Plat_Create_Surface(u32 width, u32 height);
void Plat_Free_Surface(u32* pixels);

// Presentation in the manner of a swap chain: clear, get the back buffer, lock, copy, unlock, flip.
// A back-buffer size of 0 x 0 takes the window's client size.
bool Plat_Present_Init(PlatWindow window, u32 width, u32 height, bool fullscreen, bool vsync);
void Plat_Present_Clear(u32 argb);
bool Plat_Present_Get_Back_Buffer(void);  // false when the target cannot be had
void Plat_Present_Put_Back_Buffer(void);  // gives back what Plat_Present_Get_Back_Buffer took
bool Plat_Present_Lock(u32** pixels, u32* pitch_bytes, u32* width, u32* height);
void Plat_Present_Unlock(void);
void Plat_Present_Flip(void);
void Plat_Present_Release(void);
u32 Plat_Presented_Frames(void);
// Text for the frame log: the host reports the heard position and the sequencer's event.
void Plat_Set_Status_Hook(void (*hook)(char* text, u32 size));

// Wave-out: a looping ring of 16-bit stereo PCM at 44100 Hz played by the backend.
bool Plat_Wave_Open(u32 rate, u32 channels, u32 bits);
void Plat_Wave_Start_Loop(const u8* ring, u32 bytes);
u32 Plat_Wave_Position_Bytes(void);  // bytes played since the start (wraps at 2^32)
void Plat_Wave_Stop(void);           // after it returns the ring is never read again
void Plat_Wave_Close(void);
// The mixer's one-round body: the headless backend runs it after every clock advance.
void Plat_Set_Audio_Pump(void (*poll)(void));
bool Plat_Audio_Is_Virtual(void);  // true when no thread should be started (headless)
