// Win32 backend: a USER32 window driven by its real message loop, the performance counter, message
// boxes, the program's dialogs from its resources, the host surface as a DIB section, Direct3D 9
// presentation and waveOut.
#include <cstdio>
#include <vector>

#include "platform/backend.h"
#include "platform/capture.h"
#include "runtime/err.h"
// The system's headers come after the platform's, whose message names they would otherwise redefine.
#include "platform/plat_win32.h"

#include <io.h>
#include <mmsystem.h>
#include <d3d9.h>

namespace {
PlatConfig w32_config;
HINSTANCE w32_instance = nullptr;
HWND w32_window = nullptr;
const char* w32_class = nullptr;
bool w32_minimised = false;
bool w32_forwarding = false;  // the window's messages go to the layer until the backend closes
u32 w32_modal_depth = 0;      // platform dialogs up: the window's messages go to the default procedure
MSG w32_message = {};         // the message got last from the real queue
const LPARAM kW32KeyUpBits = LPARAM(0xC0000001u);  // previous state down, transition up, one repeat

HWND w32_dialog = nullptr;
PlatWndProc w32_dialog_proc = nullptr;

// The host surface: a top-down 32-bit DIB section selected into a memory DC.
HBITMAP w32_bitmap = nullptr;
HDC w32_memory_dc = nullptr;
HGDIOBJ w32_previous_bitmap = nullptr;
const u32 kW32PaletteEntries = 256;

IDirect3D9* w32_d3d = nullptr;
IDirect3DDevice9* w32_device = nullptr;
IDirect3DSurface9* w32_back = nullptr;
const UINT kW32SdkVersion = 32;
u32 w32_presented = 0;
// The frame as locked, kept for capture (AVI or pictures) when the configuration asks for it.
std::vector<u32> w32_captured;
u32 w32_captured_width = 0, w32_captured_height = 0;
bool w32_capture_due = false;
D3DLOCKED_RECT w32_locked = {};
const u32 kW32RgbMask = 0x00FFFFFFu;

HWAVEOUT w32_wave = nullptr;
WAVEHDR w32_header = {};
bool w32_header_prepared = false;
bool w32_silent = false;  // no device: the position follows the clock
const u8* w32_ring = nullptr;
LARGE_INTEGER w32_silent_start = {};
const u32 kW32Rate = 44100;
const u32 kW32FrameBytes = 4;

PlatWindow W32_Handle(HWND window) { return PlatWindow(reinterpret_cast<uintptr_t>(window)); }

// Standard output reaches a person or a program when it is a file, a pipe or a console; a program
// started from the desktop has none of them.
bool W32_Output_Seen(void) {
  intptr_t handle = _get_osfhandle(_fileno(stdout));
  if (handle == -1 || handle == -2 || handle == 0) return false;
  DWORD type = GetFileType(HANDLE(handle));
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

// A fatal error's message, printed where nobody reads it, is shown in a box as well. The window
// hears nothing more: the engine is already shut down, so a paint must not run a frame.
void W32_Fatal_Box(const char* text) {
  if (W32_Output_Seen()) return;
  w32_forwarding = false;
  MessageBoxA(w32_window, text, "Error", MB_OK);
}

bool W32_Init(const PlatConfig& config) {
  w32_config = config;
  w32_instance = GetModuleHandleA(nullptr);
  w32_minimised = false;
  w32_forwarding = true;
  w32_modal_depth = 0;
  Err_Set_Message_Hook(W32_Fatal_Box);
  return true;
}

void W32_Done(void) {
  Err_Set_Message_Hook(nullptr);
  w32_forwarding = false;
  if (w32_window) DestroyWindow(w32_window);
  w32_window = nullptr;
  if (w32_class) UnregisterClassA(w32_class, w32_instance);
  w32_class = nullptr;
  if (w32_d3d) w32_d3d->Release();
  w32_d3d = nullptr;
}

i64 W32_Frequency(void) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return f.QuadPart;
}

i64 W32_Counter(void) {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

void W32_Sleep(u32 milliseconds) { Sleep(milliseconds); }

// The real window's procedure: every message, paints and keys included, goes to the layer and from
// there to the program's procedure. The handle is known from the first message of the creation on.
LRESULT CALLBACK W32_Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!w32_window) w32_window = window;
  if (window != w32_window || !w32_forwarding || w32_modal_depth)
    return DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_SIZE) w32_minimised = wparam == SIZE_MINIMIZED;
  LRESULT result = Plat_Window_Message(message, wparam, lparam);
  if (message == WM_NCDESTROY) w32_window = nullptr;
  return result;
}

bool W32_Get_Message(PlatMsg* out) {
  BOOL got = GetMessageA(&w32_message, nullptr, 0, 0);
  if (got == -1) w32_message = MSG{nullptr, WM_QUIT, 0, 0, 0, {}};
  *out = {w32_message.hwnd && w32_message.hwnd == w32_window ? kPlatMainWindow : 0u, w32_message.message,
          w32_message.wParam, w32_message.lParam};
  return got > 0;
}

void W32_Translate_Message(void) { TranslateMessage(&w32_message); }
intptr_t W32_Dispatch_Message(void) { return DispatchMessageA(&w32_message); }

intptr_t W32_Send_Message(u32 message, uintptr_t wparam, intptr_t lparam) {
  return w32_window ? SendMessageA(w32_window, message, wparam, lparam) : 0;
}

// Key-up messages carry the bits the system gives them, as scripted keys arrive like typed ones.
void W32_Post_Message(u32 message, uintptr_t wparam, intptr_t lparam) {
  if (message == WM_KEYUP && lparam == 0) lparam = kW32KeyUpBits;
  if (message == WM_KEYDOWN && lparam == 0) lparam = 1;
  if (w32_window) PostMessageA(w32_window, message, wparam, lparam);
}

void W32_Post_Quit(i32 code) { PostQuitMessage(code); }

// The whole client area, no erase: the paint that follows is never validated.
void W32_Invalidate(void) {
  if (w32_window) InvalidateRgn(w32_window, nullptr, FALSE);
}

void W32_Update_Window(void) {
  if (w32_window) UpdateWindow(w32_window);
}

intptr_t W32_Def_Window_Proc(u32 message, uintptr_t wparam, intptr_t lparam) {
  return w32_window ? DefWindowProcA(w32_window, message, wparam, lparam) : 0;
}

bool W32_Register_Class(const char* name, u32 style) {
  WNDCLASSEXA description = {};
  description.cbSize = sizeof description;
  description.style = style;
  description.lpfnWndProc = W32_Window_Proc;
  description.hInstance = w32_instance;
  description.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  description.hCursor = LoadCursorA(nullptr, IDC_NO);
  description.lpszClassName = name;
  if (!RegisterClassExA(&description)) {
    fprintf(stderr, "Plat: RegisterClassExA failed (%lu)\n", GetLastError());
    return false;
  }
  w32_class = name;
  return true;
}

bool W32_Create_Window(const char* title, i32 width, i32 height) {
  if (!w32_class) return false;
  w32_window = CreateWindowExA(0, w32_class, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, width, height, nullptr,
                               nullptr, w32_instance, nullptr);
  if (!w32_window) fprintf(stderr, "Plat: CreateWindowExA failed (%lu)\n", GetLastError());
  return w32_window != nullptr;
}

void W32_Client_Size(i32* width, i32* height) {
  RECT r = {};
  GetClientRect(w32_window, &r);
  *width = r.right - r.left;
  *height = r.bottom - r.top;
}

void W32_Set_Outer_Size(i32 width, i32 height) {
  SetWindowPos(w32_window, nullptr, 0, 0, width, height, SWP_NOMOVE);
}

void W32_Show(void) {
  ShowWindow(w32_window, SW_SHOWDEFAULT);
  i32 w, h;
  W32_Client_Size(&w, &h);
  printf("Plat: Window shown, client area %dx%d.\n", w, h);
  fflush(stdout);
}

// The layer's own queue is not used here: the system loop above delivers everything.
void W32_Nothing(void) {}
bool W32_Minimised(void) { return w32_minimised; }

// The window keeps quiet while the box is up: a paint would only ask for the next one, and the box's
// loop would spin on them.
bool W32_Message_Box(const char* text, const char* caption) {
  fprintf(stderr, "%s: %s\n", caption, text);
  fflush(stderr);
  Plat_Win32_Modal_Begin();
  MessageBoxA(w32_window, text, caption, MB_OK);
  Plat_Win32_Modal_End();
  return true;
}

bool W32_Present_Init(u32 width, u32 height, bool fullscreen, bool vsync) {
  w32_d3d = Direct3DCreate9(kW32SdkVersion);
  if (!w32_d3d) return false;
  D3DDISPLAYMODE mode;
  if (FAILED(w32_d3d->GetAdapterDisplayMode(0, &mode))) return false;
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = fullscreen ? width : 0;
  parameters.BackBufferHeight = fullscreen ? height : 0;
  parameters.BackBufferFormat = fullscreen ? D3DFMT_A8R8G8B8 : mode.Format;
  parameters.BackBufferCount = fullscreen ? 1 : 0;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.SwapEffect = fullscreen ? D3DSWAPEFFECT_FLIP : D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = fullscreen ? FALSE : TRUE;
  parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  parameters.PresentationInterval = vsync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;
  if (FAILED(w32_d3d->CreateDevice(0, D3DDEVTYPE_HAL, w32_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                   &w32_device))) {
    w32_device = nullptr;
    return false;
  }
  IDirect3DSurface9* back = nullptr;
  D3DSURFACE_DESC desc = {};
  if (SUCCEEDED(w32_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
    back->GetDesc(&desc);
    back->Release();
  }
  printf("Plat: Presenting through Direct3D 9, back buffer %ux%u.\n", desc.Width, desc.Height);
  fflush(stdout);
  return true;
}

void W32_Present_Clear(u32 argb) { w32_device->Clear(0, nullptr, D3DCLEAR_TARGET, argb, 1.0f, 0); }

bool W32_Present_Back_Buffer(void) {
  return SUCCEEDED(w32_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &w32_back));
}

void W32_Present_Put_Back_Buffer(void) {
  if (w32_back) w32_back->Release();
  w32_back = nullptr;
}

bool W32_Present_Lock(u32** pixels, u32* pitch, u32* width, u32* height) {
  D3DSURFACE_DESC desc;
  if (!w32_back || FAILED(w32_back->GetDesc(&desc)) || FAILED(w32_back->LockRect(&w32_locked, nullptr, 0)))
    return false;
  w32_capture_due = (w32_config.avi[0] || w32_config.dump_dir[0]) &&
                    (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8);
  w32_captured_width = desc.Width;
  w32_captured_height = desc.Height;
  *pixels = static_cast<u32*>(w32_locked.pBits);
  *pitch = u32(w32_locked.Pitch);
  *width = desc.Width;
  *height = desc.Height;
  return true;
}

// A frame to capture is copied out of the back buffer before it is given back.
void W32_Present_Unlock(void) {
  if (!w32_back) return;
  if (w32_capture_due) {
    w32_captured.resize(size_t(w32_captured_width) * w32_captured_height);
    for (u32 y = 0; y < w32_captured_height; y++) {
      const u32* row = reinterpret_cast<const u32*>(w32_locked.pBits) + size_t(y) * (w32_locked.Pitch / 4);
      u32* out = w32_captured.data() + size_t(y) * w32_captured_width;
      for (u32 x = 0; x < w32_captured_width; x++) out[x] = row[x] & kW32RgbMask;
    }
  }
  w32_back->UnlockRect();
}

void W32_Present_Flip(void) {
  if (SUCCEEDED(w32_device->Present(nullptr, nullptr, nullptr, nullptr))) w32_presented++;
  if (w32_capture_due)
    Plat_Capture_Frame(Plat_Presented_Frames(), w32_captured.data(), w32_captured_width, w32_captured_height);
  w32_capture_due = false;
}

void W32_Present_Release(void) {
  Plat_Capture_Stop();
  w32_captured.clear();
  if (w32_device) printf("Plat: Direct3D 9 presented %u frames.\n", w32_presented);
  w32_presented = 0;
  W32_Present_Put_Back_Buffer();
  if (w32_device) w32_device->Release();
  w32_device = nullptr;
  if (w32_d3d) w32_d3d->Release();
  w32_d3d = nullptr;
}

bool W32_Wave_Open(u32 rate, u32 channels, u32 bits) {
  if (rate != kW32Rate || channels != 2 || bits != 16) return false;
  w32_silent = false;
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = kW32Rate;
  format.nAvgBytesPerSec = kW32Rate * kW32FrameBytes;
  format.nBlockAlign = kW32FrameBytes;
  format.wBitsPerSample = 16;
  if (!(w32_config.fail & PLAT_FAIL_AUDIO) &&
      waveOutOpen(&w32_wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR)
    return true;
  w32_wave = nullptr;
  printf("Plat: No audio device; the music plays silently on the system clock.\n");
  fflush(stdout);
  w32_silent = true;
  return true;
}

// One header over the whole ring, looping for ever.
void W32_Wave_Start(const u8* ring, u32 bytes) {
  w32_ring = ring;
  QueryPerformanceCounter(&w32_silent_start);
  if (!w32_wave) return;
  w32_header = {};
  w32_header.lpData = reinterpret_cast<LPSTR>(const_cast<u8*>(ring));
  w32_header.dwBufferLength = bytes;
  w32_header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  w32_header.dwLoops = 0xFFFFFFFFu;
  w32_header_prepared = waveOutPrepareHeader(w32_wave, &w32_header, sizeof w32_header) == MMSYSERR_NOERROR;
  waveOutWrite(w32_wave, &w32_header, sizeof w32_header);
}

u32 W32_Wave_Position(void) {
  if (!w32_ring) return 0;
  if (w32_silent) {
    u64 elapsed = u64(W32_Counter() - w32_silent_start.QuadPart);
    return u32(elapsed * kW32Rate / u64(W32_Frequency()) * kW32FrameBytes);
  }
  MMTIME time = {};
  time.wType = TIME_BYTES;
  waveOutGetPosition(w32_wave, &time, sizeof time);
  // A driver that cannot count bytes answers in another format; samples convert exactly.
  return time.wType == TIME_SAMPLES ? time.u.sample * kW32FrameBytes : time.u.cb;
}

// The device stops reading the ring before the header is unprepared and the ring given back.
void W32_Wave_Stop(void) {
  if (w32_wave && w32_ring) {
    u64 millis = u64(W32_Wave_Position()) * 1000 / (kW32Rate * kW32FrameBytes);
    printf("Plat: waveOut played %u ms of sound.\n", u32(millis));
    fflush(stdout);
  }
  if (w32_wave) {
    waveOutReset(w32_wave);
    if (w32_header_prepared) waveOutUnprepareHeader(w32_wave, &w32_header, sizeof w32_header);
  }
  w32_header_prepared = false;
  w32_ring = nullptr;
}

void W32_Wave_Close(void) {
  if (w32_wave) waveOutClose(w32_wave);
  w32_wave = nullptr;
  w32_silent = false;
}

void W32_Show_Cursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

// The layer's own dialog is never used here: dialogs come from the program's resources.
bool W32_Dialog_Loop(void) { return false; }

INT_PTR CALLBACK W32_Dialog_Proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!w32_dialog) w32_dialog = dialog;
  if (!w32_dialog_proc) return FALSE;
  return w32_dialog_proc(W32_Handle(dialog), message, wparam, lparam) ? TRUE : FALSE;
}

intptr_t W32_Dialog_Box(u32 template_id, PlatWindow parent, PlatWndProc proc, intptr_t param) {
  if (w32_dialog_proc) return -1;  // one modal dialog at a time
  w32_dialog_proc = proc;
  w32_dialog = nullptr;
  INT_PTR code = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), Plat_Win32_Owner(parent),
                                 W32_Dialog_Proc, param);
  w32_dialog_proc = nullptr;
  w32_dialog = nullptr;
  return code;
}

bool W32_End_Dialog(PlatWindow dialog, intptr_t code) {
  if (!w32_dialog || dialog != W32_Handle(w32_dialog)) return false;
  EndDialog(w32_dialog, code);
  return true;
}

bool W32_Dialog_Item_Message(PlatWindow dialog, i32 id, u32 message, uintptr_t wparam, intptr_t lparam,
                             intptr_t* result) {
  if (!w32_dialog || dialog != W32_Handle(w32_dialog)) return false;
  *result = SendDlgItemMessageA(w32_dialog, id, message, wparam, lparam);
  return true;
}

// A 32-bit top-down DIB section; its memory starts zeroed.
u32* W32_Create_Surface(u32 width, u32 height) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kW32PaletteEntries];
  } info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = LONG(width);
  info.header.biHeight = -LONG(height);
  info.header.biPlanes = 1;
  info.header.biBitCount = 32;
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = kW32PaletteEntries;
  info.header.biClrImportant = kW32PaletteEntries;
  HDC temporary = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  w32_bitmap = CreateDIBSection(temporary, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  DeleteDC(temporary);
  if (!w32_bitmap) return nullptr;
  w32_memory_dc = CreateCompatibleDC(nullptr);
  w32_previous_bitmap = SelectObject(w32_memory_dc, w32_bitmap);
  return static_cast<u32*>(bits);
}

void W32_Free_Surface(u32*) {
  if (w32_memory_dc) {
    SelectObject(w32_memory_dc, w32_previous_bitmap);
    DeleteDC(w32_memory_dc);
  }
  if (w32_bitmap) DeleteObject(w32_bitmap);
  w32_memory_dc = nullptr;
  w32_bitmap = nullptr;
}

const PlatSystemLoop w32_loop = {
    .register_class = W32_Register_Class,
    .get_message = W32_Get_Message,
    .translate_message = W32_Translate_Message,
    .dispatch_message = W32_Dispatch_Message,
    .send_message = W32_Send_Message,
    .post_message = W32_Post_Message,
    .post_quit = W32_Post_Quit,
    .invalidate = W32_Invalidate,
    .update_window = W32_Update_Window,
    .def_window_proc = W32_Def_Window_Proc,
};

const PlatBackend w32_backend = {
    .init = W32_Init,
    .done = W32_Done,
    .frequency = W32_Frequency,
    .counter = W32_Counter,
    .sleep = W32_Sleep,
    .create_window = W32_Create_Window,
    .client_size = W32_Client_Size,
    .set_outer_size = W32_Set_Outer_Size,
    .show = W32_Show,
    .pump = W32_Nothing,
    .wait = W32_Nothing,
    .frame_advance = W32_Nothing,
    .minimised = W32_Minimised,
    .message_box = W32_Message_Box,
    .fatal_box = W32_Fatal_Box,
    .present_init = W32_Present_Init,
    .present_clear = W32_Present_Clear,
    .present_back_buffer = W32_Present_Back_Buffer,
    .present_put_back_buffer = W32_Present_Put_Back_Buffer,
    .present_lock = W32_Present_Lock,
    .present_unlock = W32_Present_Unlock,
    .present_flip = W32_Present_Flip,
    .present_release = W32_Present_Release,
    .wave_open = W32_Wave_Open,
    .wave_start = W32_Wave_Start,
    .wave_position = W32_Wave_Position,
    .wave_stop = W32_Wave_Stop,
    .wave_close = W32_Wave_Close,
    .show_cursor = W32_Show_Cursor,
    .dialog_loop = W32_Dialog_Loop,
    .dialog_box = W32_Dialog_Box,
    .end_dialog = W32_End_Dialog,
    .dialog_item_message = W32_Dialog_Item_Message,
    .create_surface = W32_Create_Surface,
    .free_surface = W32_Free_Surface,
    .system_loop = &w32_loop,
};
}  // namespace

const PlatBackend* Plat_Win32_Backend(void) { return &w32_backend; }

HWND Plat_Win32_Window(void) { return w32_window; }

HWND Plat_Win32_Owner(PlatWindow window) {
  if (window == kPlatMainWindow) return w32_window;
  return reinterpret_cast<HWND>(uintptr_t(window));
}
void Plat_Win32_Modal_Begin(void) { w32_modal_depth++; }

// The window paints again: frames go on.
void Plat_Win32_Modal_End(void) {
  if (w32_modal_depth) w32_modal_depth--;
  if (!w32_modal_depth && w32_window) InvalidateRgn(w32_window, nullptr, FALSE);
}

// A console of its own for the program, with standard output and error written into it.
bool Plat_Open_Console(void) {
  if (!AllocConsole()) return false;
  return freopen("CONOUT$", "w", stdout) && freopen("CONOUT$", "w", stderr);
}
