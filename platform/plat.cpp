// The platform layer's common part: configuration, the window's message queue and procedure,
// paint-driven frames, the surface, and the dispatch to the chosen backend.
#include "platform/plat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/capture.h"
#include "platform/plat_dialog.h"

namespace {
const PlatBackend* plat = nullptr;
PlatConfig plat_config;
PlatClass plat_class = {nullptr, nullptr, 0};
bool plat_class_registered = false;
PlatWindow plat_window = 0;
bool plat_window_live = false;
bool plat_window_invalid = false;
bool plat_window_shown = false;
std::deque<PlatMsg> plat_queue;
bool plat_quit_posted = false;
i32 plat_quit_code = 0;
u32 plat_paints = 0;
u32 plat_next_key = 0;
i64 plat_start_counter = 0;  // the clock at start-up: time limits count from here
bool plat_limit_reached = false;
bool plat_output_failed = false;  // a capture failed while the show went on
bool plat_close_requested = false;
char plat_last_box[256] = "";
bool plat_presenting = false;
u32 plat_presented = 0;
void (*plat_audio_pump)(void) = nullptr;
void (*plat_status_hook)(char*, u32) = nullptr;

// The backends of this program by name; the other system's backend is not built in.
struct PlatBackendName {
  const char* name;
  PlatBackendKind kind;
  const PlatBackend* (*get)(void);
};
const PlatBackendName kPlatBackends[] = {
#ifdef _WIN32
    {"win32", PLAT_WIN32, Plat_Win32_Backend},
#else
    {"sdl", PLAT_SDL, Plat_Sdl_Backend},
#endif
    {"headless", PLAT_HEADLESS, Plat_Headless_Backend},
};

const u32 kPlatMaxKeyCode = 127;
const char* const kPlatKeyDown = "down:";
const char* const kPlatKeyUp = "up:";
const u32 kPlatMaxFps = 1000;
const u32 kPlatMaxBorder = 10000;
const f64 kPlatMaxSeconds = 1e9;

bool Plat_Parse_Keys(const char* text, PlatConfig* c) {
  // "frame:down:code" or "frame:up:code", comma-separated.
  while (*text) {
    u32 frame = 0, code = 0;
    text = Plat_Parse_Digits(text, ~0u, &frame);
    if (!text || *text++ != ':') return false;
    bool down = strncmp(text, kPlatKeyDown, strlen(kPlatKeyDown)) == 0;
    if (!down && strncmp(text, kPlatKeyUp, strlen(kPlatKeyUp)) != 0) return false;
    text = Plat_Parse_Digits(text + strlen(down ? kPlatKeyDown : kPlatKeyUp), kPlatMaxKeyCode, &code);
    if (!text || c->key_count >= kPlatMaxScriptKeys) return false;
    c->keys[c->key_count++] = {frame, down, u8(code)};
    if (*text == ',' && text[1]) text++;
    else if (*text) return false;
  }
  return true;
}

bool Plat_Parse_Fail(const char* text, PlatConfig* c) {
  static const struct { const char* name; u32 bit; } names[] = {
      {"class", PLAT_FAIL_CLASS},         {"window", PLAT_FAIL_WINDOW}, {"presenter", PLAT_FAIL_PRESENTER},
      {"d3d", PLAT_FAIL_PRESENTER},       {"backbuffer", PLAT_FAIL_BACKBUFFER},
      {"audio", PLAT_FAIL_AUDIO},         {"dialog", PLAT_FAIL_DIALOG}};
  std::string buffer = text;
  for (char* t = strtok(buffer.data(), ","); t; t = strtok(nullptr, ",")) {
    bool found = false;
    for (const auto& n : names)
      if (strcmp(t, n.name) == 0) {
        c->fail |= n.bit;
        found = true;
      }
    if (!found) return false;
  }
  return true;
}

void Plat_Copy(char* dst, size_t size, const char* src) { snprintf(dst, size, "%s", src); }

// A setting's number, whole and within min..max; otherwise it is reported by the setting's name.
bool Plat_Number_Setting(const char* name, const char* text, u32 min, u32 max, u32* value) {
  const char* end = Plat_Parse_Digits(text, max, value);
  if (end && !*end && *value >= min) return true;
  fprintf(stderr, "%s: \"%s\" is not a whole number from %u to %u\n", name, text, min, max);
  return false;
}

// A text setting is taken whole or refused: a cut path would name another file.
bool Plat_Text_Setting(const char* name, const char* text, char* field, size_t size) {
  if (strlen(text) < size) {
    Plat_Copy(field, size, text);
    return true;
  }
  fprintf(stderr, "%s: longer than %zu characters\n", name, size - 1);
  return false;
}

bool Plat_Paint_Due(void) {
  return plat_window_live && plat_window_invalid && !plat->minimised();
}

// A paint request: the backend moves its clock first, then limits are checked.
void Plat_Before_Paint(void) {
  plat->frame_advance();
  plat_paints++;
  if (plat_config.max_frames && plat_paints > plat_config.max_frames && !plat_limit_reached) {
    plat_limit_reached = true;
    Plat_Request_Close();
  }
  Plat_Check_Time_Limit();
}

const PlatSystemLoop* Plat_Loop(void) { return plat ? plat->system_loop : nullptr; }
}  // namespace

void Plat_Check_Time_Limit(void) {
  if (plat_config.max_seconds <= 0 || plat_limit_reached) return;
  if (f64(plat->counter() - plat_start_counter) / f64(plat->frequency()) <= plat_config.max_seconds) return;
  plat_limit_reached = true;
  Plat_Request_Close();
}

bool Plat_Config_From_Env(PlatConfig* c) {
  *c = PlatConfig();
  const char* v;
  bool ok = true;
  if ((v = getenv("VELMORAN_BACKEND")) && *v) {
    bool known = false;
    for (const PlatBackendName& b : kPlatBackends)
      if (strcmp(v, b.name) == 0) c->backend = b.kind, known = true;
    if (!known) ok = false, fprintf(stderr, "VELMORAN_BACKEND: unknown backend \"%s\"\n", v);
  }
  if ((v = getenv("VELMORAN_FPS")) && *v) ok &= Plat_Number_Setting("VELMORAN_FPS", v, 1, kPlatMaxFps, &c->fps);
  if ((v = getenv("VELMORAN_MAX_FRAMES")) && *v)
    ok &= Plat_Number_Setting("VELMORAN_MAX_FRAMES", v, 0, ~0u, &c->max_frames);
  if ((v = getenv("VELMORAN_MAX_SECONDS")) && *v) {
    // Plain decimal seconds: no sign, no exponent, no "inf" or "nan".
    char* end = nullptr;
    c->max_seconds = strspn(v, "0123456789.") == strlen(v) ? strtod(v, &end) : -1;
    if (!end || *end || !(c->max_seconds >= 0 && c->max_seconds <= kPlatMaxSeconds))
      ok = false, fprintf(stderr, "VELMORAN_MAX_SECONDS: \"%s\" is not a number of seconds from 0 to %.0f\n", v,
                          kPlatMaxSeconds);
  }
  if ((v = getenv("VELMORAN_KEYS")) && *v && !Plat_Parse_Keys(v, c))
    ok = false, fprintf(stderr, "VELMORAN_KEYS: expected frame:down:code or frame:up:code (code 0 to %u), "
                                "comma-separated, at most %u\n", kPlatMaxKeyCode, kPlatMaxScriptKeys);
  if ((v = getenv("VELMORAN_FAIL")) && *v && !Plat_Parse_Fail(v, c))
    ok = false, fprintf(stderr, "VELMORAN_FAIL: unknown fault \"%s\"\n", v);
  if ((v = getenv("VELMORAN_WINDOW_BORDER")) && *v) {
    u32 w = 0, h = 0;
    const char* end = Plat_Parse_Digits(v, kPlatMaxBorder, &w);
    end = end && *end == 'x' ? Plat_Parse_Digits(end + 1, kPlatMaxBorder, &h) : nullptr;
    if (end && !*end) c->border_w = i32(w), c->border_h = i32(h);
    else ok = false, fprintf(stderr, "VELMORAN_WINDOW_BORDER: expected WxH, each 0 to %u\n", kPlatMaxBorder);
  }
  if ((v = getenv("VELMORAN_CRC_LOG"))) ok &= Plat_Text_Setting("VELMORAN_CRC_LOG", v, c->crc_log, sizeof c->crc_log);
  if ((v = getenv("VELMORAN_DUMP_DIR")))
    ok &= Plat_Text_Setting("VELMORAN_DUMP_DIR", v, c->dump_dir, sizeof c->dump_dir);
  if ((v = getenv("VELMORAN_DUMP_FRAMES"))) {
    c->dump_frames = v;
    std::vector<u32> list;
    u32 every = 0;
    if (!Plat_Capture_Parse_Frames(v, &list, &every))
      ok = false, fprintf(stderr, "VELMORAN_DUMP_FRAMES: expected frame numbers from 1, comma-separated, or every:N\n");
  }
  if ((v = getenv("VELMORAN_AVI"))) ok &= Plat_Text_Setting("VELMORAN_AVI", v, c->avi, sizeof c->avi);
  if ((v = getenv("VELMORAN_AVI_EVERY")) && *v)
    ok &= Plat_Number_Setting("VELMORAN_AVI_EVERY", v, 1, ~0u, &c->avi_every);
  if ((v = getenv("VELMORAN_WAV"))) ok &= Plat_Text_Setting("VELMORAN_WAV", v, c->wav, sizeof c->wav);
  if ((v = getenv("VELMORAN_SETUP"))) ok &= Plat_Text_Setting("VELMORAN_SETUP", v, c->setup, sizeof c->setup);
  if (!Plat_Dialog_Check_Script(c->setup))
    ok = false, fprintf(stderr, "VELMORAN_SETUP: expected e.g. \"640,fullscreen,vsync,debug,run\" or \"exit\"\n");
  if ((v = getenv("VELMORAN_DIALOG_KEYS")))
    ok &= Plat_Text_Setting("VELMORAN_DIALOG_KEYS", v, c->dialog_keys, sizeof c->dialog_keys);
  return ok;
}

const char* Plat_Parse_Digits(const char* text, u32 max, u32* value) {
  if (!text || *text < '0' || *text > '9') return nullptr;
  u64 n = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    n = n * 10 + u64(*text - '0');
    if (n > max) return nullptr;
  }
  *value = u32(n);
  return text;
}

void Plat_Note_Output_Failure(void) { plat_output_failed = true; }
bool Plat_Output_Failed(void) { return plat_output_failed; }

bool Plat_Init(const PlatConfig& config) {
  plat_config = config;
  plat = nullptr;
  for (const PlatBackendName& b : kPlatBackends)
    if (b.kind == config.backend) plat = b.get();
  if (!plat) return false;
  plat_class_registered = false;
  plat_window = 0;
  plat_window_live = plat_window_invalid = plat_window_shown = false;
  plat_queue.clear();
  plat_quit_posted = false;
  plat_quit_code = 0;
  plat_paints = 0;
  plat_next_key = 0;
  plat_limit_reached = plat_close_requested = false;
  plat_output_failed = false;
  plat_last_box[0] = 0;
  plat_presenting = false;
  plat_presented = 0;
  plat_audio_pump = nullptr;
  // The frame log and the sound file are made by the headless backend's virtual clock alone.
  if (config.backend != PLAT_HEADLESS) {
    if (config.crc_log[0]) fprintf(stderr, "VELMORAN_CRC_LOG: written with the headless backend only; not written\n");
    if (config.wav[0]) fprintf(stderr, "VELMORAN_WAV: written with the headless backend only; not written\n");
  }
  if (!plat->init(config)) return false;
  plat_start_counter = plat->counter();
  return true;
}

void Plat_Done(void) {
  if (!plat) return;
  Plat_Present_Release();
  Plat_Capture_Stop();  // the video is finished even when nothing was presented through a swap chain
  plat->wave_stop();
  plat->wave_close();
  plat->done();
  plat = nullptr;
}

const PlatConfig& Plat_Get_Config(void) { return plat_config; }
bool Plat_Limit_Reached(void) { return plat_limit_reached; }

i64 Plat_Counter_Frequency(void) { return plat->frequency(); }
i64 Plat_Counter(void) { return plat->counter(); }
// Process time counts from start-up, as the C runtime's clock does: a clock that counts from boot
// would overflow the product and the 32-bit result on a machine that has run for long.
i32 Plat_Process_Millis(void) { return i32((plat->counter() - plat_start_counter) * 1000 / plat->frequency()); }
void Plat_Sleep(u32 milliseconds) { plat->sleep(milliseconds); }

bool Plat_Register_Class(const PlatClass* description) {
  if (plat_config.fail & PLAT_FAIL_CLASS) return false;
  if (Plat_Loop() && !Plat_Loop()->register_class(description->name, description->style)) return false;
  plat_class = *description;
  plat_class_registered = true;
  return true;
}

PlatWindow Plat_Create_Window(const char* class_name, const char* title, i32 width, i32 height) {
  if (!plat_class_registered || strcmp(class_name, plat_class.name) != 0) return 0;
  if (plat_window != 0 || (plat_config.fail & PLAT_FAIL_WINDOW)) return 0;
  if (Plat_Loop()) {
    // The system sends WM_CREATE from inside the creation: the procedure must know the window then.
    plat_window = kPlatMainWindow;
    plat_window_live = true;
    if (plat->create_window(title, width, height)) return plat_window;
    plat_window = 0;
    plat_window_live = false;
    return 0;
  }
  if (!plat->create_window(title, width, height)) return 0;
  plat_window = kPlatMainWindow;
  plat_window_live = true;
  plat_window_invalid = true;  // a new window needs its first paint
  plat_class.proc(plat_window, WM_CREATE, 0, 0);
  return plat_window;
}

void Plat_Get_Client_Size(PlatWindow, i32* width, i32* height) { plat->client_size(width, height); }
void Plat_Set_Outer_Size(PlatWindow, i32 width, i32 height) { plat->set_outer_size(width, height); }

void Plat_Show_Window(PlatWindow window) {
  if (window != plat_window || !plat_window_live) return;
  plat_window_shown = true;
  plat->show();
}

void Plat_Update_Window(PlatWindow window) {
  if (Plat_Loop()) {
    if (window == plat_window && plat_window_live) Plat_Loop()->update_window();
    return;
  }
  if (window != plat_window || !Plat_Paint_Due()) return;
  Plat_Before_Paint();
  // The paint runs synchronously, before the message loop; a close it caused waits in the queue.
  plat_class.proc(plat_window, WM_PAINT, 0, 0);
}

// Scripted keys reach the queue at the paint they name, with either backend.
static void Plat_Script_Keys(void) {
  while (plat_next_key < plat_config.key_count && plat_config.keys[plat_next_key].frame <= plat_paints) {
    const PlatKeyEvent& k = plat_config.keys[plat_next_key++];
    Plat_Queue_Message(k.down ? WM_KEYDOWN : WM_KEYUP, k.code, 0);
  }
}

bool Plat_Get_Message(PlatMsg* message) {
  if (const PlatSystemLoop* loop = Plat_Loop()) {
    bool more = loop->get_message(message);
    if (message->window) message->window = plat_window;
    if (!more) plat_quit_code = i32(message->wparam);
    return more;
  }
  for (;;) {
    Plat_Script_Keys();
    plat->pump();
    if (!plat_queue.empty()) {
      *message = plat_queue.front();
      plat_queue.pop_front();
      return true;
    }
    if (plat_quit_posted) {
      *message = {0, WM_QUIT, uintptr_t(plat_quit_code), 0};
      return false;
    }
    if (Plat_Paint_Due()) {
      Plat_Before_Paint();
      if (!plat_queue.empty()) continue;  // a limit asked to close: that comes first
      *message = {plat_window, WM_PAINT, 0, 0};
      return true;
    }
    if (!plat_window_live) {
      // Nothing can arrive any more: end the loop instead of waiting for ever.
      *message = {0, WM_QUIT, uintptr_t(plat_quit_code), 0};
      return false;
    }
    plat->wait();
  }
}

void Plat_Translate_Message(const PlatMsg*) {
  if (Plat_Loop()) Plat_Loop()->translate_message();
}

intptr_t Plat_Dispatch_Message(const PlatMsg* message) {
  if (Plat_Loop()) return Plat_Loop()->dispatch_message();
  if (message->window == 0 || message->window != plat_window || !plat_class.proc) return 0;
  return plat_class.proc(message->window, message->message, message->wparam, message->lparam);
}

intptr_t Plat_Send_Message(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (window == 0 || window != plat_window || !plat_class.proc) return 0;
  if (Plat_Loop() && plat_window_live) return Plat_Loop()->send_message(message, wparam, lparam);
  return plat_class.proc(window, message, wparam, lparam);
}

void Plat_Post_Message(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (Plat_Loop()) {
    // The system's queue takes posts to the live window only, as a post to a stale handle fails.
    if (window == plat_window) Plat_Queue_Message(message, wparam, lparam);
    return;
  }
  plat_queue.push_back({window, message, wparam, lparam});
}

void Plat_Queue_Message(u32 message, uintptr_t wparam, intptr_t lparam) {
  if (plat_window_live && Plat_Loop()) return Plat_Loop()->post_message(message, wparam, lparam);
  if (plat_window_live) plat_queue.push_back({plat_window, message, wparam, lparam});
}

void Plat_Post_Quit(i32 code) {
  plat_quit_posted = true;
  plat_quit_code = code;
  if (Plat_Loop()) Plat_Loop()->post_quit(code);
}

i32 Plat_Quit_Code(void) { return plat_quit_code; }
void Plat_Invalidate(PlatWindow window) {
  if (window != plat_window || !plat_window_live) return;
  plat_window_invalid = true;
  if (Plat_Loop()) Plat_Loop()->invalidate();
}

intptr_t Plat_Def_Window_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (Plat_Loop()) return window == plat_window ? Plat_Loop()->def_window_proc(message, wparam, lparam) : 0;
  if (message == WM_CLOSE && window == plat_window && plat_window_live) {
    // Closing destroys the window: no further paints, then the procedure hears WM_DESTROY.
    plat_window_live = false;
    plat_class.proc(window, WM_DESTROY, 0, 0);
  }
  return 0;
}

// The system's messages for the main window: each paint is a frame request (limits and scripted
// keys are taken at the paint), the rest goes to the window's procedure as it comes.
intptr_t Plat_Window_Message(u32 message, uintptr_t wparam, intptr_t lparam) {
  if (!plat_window || !plat_class.proc) return Plat_Loop()->def_window_proc(message, wparam, lparam);
  if (message == WM_DESTROY) plat_window_live = false;
  if (message != WM_PAINT) return plat_class.proc(plat_window, message, wparam, lparam);
  Plat_Script_Keys();
  if (plat_limit_reached) return 0;  // the close is posted and comes before the next paint
  Plat_Before_Paint();
  if (plat_limit_reached) return 0;
  intptr_t result = plat_class.proc(plat_window, message, wparam, lparam);
  Plat_Script_Keys();  // posted now, they arrive before the next paint
  return result;
}

void Plat_Request_Close(void) {
  if (plat_close_requested || !plat_window_live) return;
  plat_close_requested = true;
  Plat_Queue_Message(WM_CLOSE, 0, 0);
}

void Plat_Message_Box(PlatWindow, const char* text, const char* caption) {
  Plat_Copy(plat_last_box, sizeof plat_last_box, text);
  if (!plat || !plat->message_box(text, caption)) fprintf(stderr, "%s: %s\n", caption, text);
}

const char* Plat_Last_Message_Box(void) { return plat_last_box; }

void Plat_Fatal_Message(const char* text) {
  fprintf(stderr, "%s\n", text);
  fflush(stderr);
  if (plat && plat->fatal_box) plat->fatal_box(text);
}

void Plat_Show_Cursor(bool show) { plat->show_cursor(show); }
#ifndef _WIN32
// Standard output already exists here; no console is made (the Windows program makes one).
bool Plat_Open_Console(void) { return false; }
#endif

u32* Plat_Create_Surface(u32 width, u32 height) {
  if (plat && plat->create_surface) return plat->create_surface(width, height);
  size_t bytes = (size_t(width) * height * 4 + 63) & ~size_t(63);
  void* p = ::operator new(bytes ? bytes : 64, std::align_val_t(64), std::nothrow);
  if (p) memset(p, 0, bytes);
  return static_cast<u32*>(p);
}

void Plat_Free_Surface(u32* pixels) {
  if (plat && plat->free_surface) return plat->free_surface(pixels);
  ::operator delete(pixels, std::align_val_t(64));
}

bool Plat_Present_Init(PlatWindow, u32 width, u32 height, bool fullscreen, bool vsync) {
  if (plat_config.fail & PLAT_FAIL_PRESENTER) return false;
  plat_presenting = plat->present_init(width, height, fullscreen, vsync);
  return plat_presenting;
}

void Plat_Present_Clear(u32 argb) {
  if (plat_presenting) plat->present_clear(argb);
}

bool Plat_Present_Get_Back_Buffer(void) {
  if (!plat_presenting || (plat_config.fail & PLAT_FAIL_BACKBUFFER)) return false;
  return !plat->present_back_buffer || plat->present_back_buffer();
}

void Plat_Present_Put_Back_Buffer(void) {
  if (plat_presenting && plat->present_put_back_buffer) plat->present_put_back_buffer();
}

bool Plat_Present_Lock(u32** pixels, u32* pitch, u32* width, u32* height) {
  return plat_presenting && plat->present_lock(pixels, pitch, width, height);
}

void Plat_Present_Unlock(void) {
  if (plat_presenting) plat->present_unlock();
}

void Plat_Present_Flip(void) {
  if (!plat_presenting) return;
  plat_presented++;
  plat->present_flip();
}

void Plat_Present_Release(void) {
  if (!plat_presenting) return;
  plat_presenting = false;
  plat->present_release();
}

u32 Plat_Presented_Frames(void) { return plat_presented; }
void Plat_Set_Status_Hook(void (*hook)(char*, u32)) { plat_status_hook = hook; }

void Plat_Status_Text(char* text, u32 size) {
  if (plat_status_hook)
    plat_status_hook(text, size);
  else
    snprintf(text, size, "-");
}

u32 Plat_Paint_Count(void) { return plat_paints; }

bool Plat_Wave_Open(u32 rate, u32 channels, u32 bits) { return plat->wave_open(rate, channels, bits); }
void Plat_Wave_Start_Loop(const u8* ring, u32 bytes) { plat->wave_start(ring, bytes); }
u32 Plat_Wave_Position_Bytes(void) { return plat->wave_position(); }
void Plat_Wave_Stop(void) { plat->wave_stop(); }
void Plat_Wave_Close(void) { plat->wave_close(); }
void Plat_Set_Audio_Pump(void (*poll)(void)) { plat_audio_pump = poll; }
void (*Plat_Audio_Pump(void))(void) { return plat_audio_pump; }
bool Plat_Audio_Is_Virtual(void) { return plat_config.backend == PLAT_HEADLESS; }

bool Plat_System_End_Dialog(PlatWindow dialog, intptr_t code) {
  return plat && plat->end_dialog && plat->end_dialog(dialog, code);
}

bool Plat_System_Dialog_Item_Message(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam,
                                     intptr_t* result) {
  return plat && plat->dialog_item_message && plat->dialog_item_message(dialog, id, message, wparam, lparam, result);
}

intptr_t Plat_Dialog_Box(u32 template_id, PlatWindow parent, PlatWndProc proc, intptr_t param) {
  if (!plat || (plat_config.fail & PLAT_FAIL_DIALOG)) return -1;
  // A setup script answers the dialog with any backend; without one the backend runs it.
  if (!plat_config.setup[0] && plat->dialog_box) return plat->dialog_box(template_id, parent, proc, param);
  return Plat_Dialog_Run(template_id, proc, param, plat_config.setup[0] ? nullptr : plat->dialog_loop);
}
