// SDL backend: a real window and its key events, the high-resolution clock, presentation through a
// streaming texture, and wave-out through an SDL audio device (or a silent clock-driven stand-in).
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/backend.h"
#include "runtime/mem.h"

namespace {
PlatConfig sdl_config;
SDL_Window* sdl_window = nullptr;
SDL_Renderer* sdl_renderer = nullptr;
SDL_Texture* sdl_texture = nullptr;
PlatMemoryBack sdl_back;
bool sdl_minimised = false;
bool sdl_video = false;

SDL_AudioDeviceID sdl_audio = 0;
bool sdl_silent = false;           // no device: the position follows the real clock
u64 sdl_silent_start = 0;
const u8* sdl_ring = nullptr;
u32 sdl_ring_bytes = 0;
u32 sdl_ring_cursor = 0;
std::atomic<u64> sdl_played{0};
u32 sdl_device_samples = 0;

// SDL key to the engine's 0..127 codes; everything else is dropped.
int Sdl_Key_Code(const SDL_Keysym& k) {
  if (k.mod & KMOD_ALT) return -1;
  SDL_Keycode c = k.sym;
  if (k.scancode >= SDL_SCANCODE_1 && k.scancode <= SDL_SCANCODE_0)
    return k.scancode == SDL_SCANCODE_0 ? '0' : '1' + (k.scancode - SDL_SCANCODE_1);
  if (c >= SDLK_a && c <= SDLK_z) return 'A' + (c - SDLK_a);
  if (k.scancode >= SDL_SCANCODE_KP_1 && k.scancode <= SDL_SCANCODE_KP_9) return 97 + (k.scancode - SDL_SCANCODE_KP_1);
  if (k.scancode >= SDL_SCANCODE_F1 && k.scancode <= SDL_SCANCODE_F9) return 112 + (k.scancode - SDL_SCANCODE_F1);
  switch (k.scancode) {
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return 17;
    case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return 16;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_KP_0: return 96;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PERIOD: return 110;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_F11: return 122;
    case SDL_SCANCODE_F12: return 123;
    default: return -1;
  }
}

bool Sdl_Init(const PlatConfig& config) {
  sdl_config = config;
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
    fprintf(stderr, "Plat: SDL could not start: %s\n", SDL_GetError());
    return false;
  }
  sdl_video = true;
  return true;
}

void Sdl_Done(void) {
  if (sdl_window) SDL_DestroyWindow(sdl_window);
  sdl_window = nullptr;
  if (sdl_video) SDL_Quit();
  sdl_video = false;
}

i64 Sdl_Frequency(void) { return i64(SDL_GetPerformanceFrequency()); }
i64 Sdl_Counter(void) { return i64(SDL_GetPerformanceCounter()); }
void Sdl_Sleep(u32 milliseconds) { SDL_Delay(milliseconds); }

bool Sdl_Create_Window(const char* title, i32 width, i32 height) {
  sdl_window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                SDL_WINDOW_HIDDEN);
  if (!sdl_window) fprintf(stderr, "Plat: no window: %s\n", SDL_GetError());
  return sdl_window != nullptr;
}

// SDL sizes windows by their client area, so the outer size is the client size.
void Sdl_Client_Size(i32* width, i32* height) { SDL_GetWindowSize(sdl_window, width, height); }
void Sdl_Set_Outer_Size(i32 width, i32 height) { SDL_SetWindowSize(sdl_window, width, height); }
void Sdl_Show(void) {
  SDL_ShowWindow(sdl_window);
  int w, h;
  SDL_GetWindowSize(sdl_window, &w, &h);
  printf("Plat: Window shown, client area %dx%d.\n", w, h);
  SDL_SetCursor(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_NO));
}

void Sdl_Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      Plat_Request_Close();
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) Plat_Request_Close();
      if (e.window.event == SDL_WINDOWEVENT_MINIMIZED) sdl_minimised = true;
      if (e.window.event == SDL_WINDOWEVENT_RESTORED || e.window.event == SDL_WINDOWEVENT_SHOWN)
        sdl_minimised = false;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int code = Sdl_Key_Code(e.key.keysym);
      if (code >= 0) Plat_Queue_Message(e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, uintptr_t(code), 0);
      break;
    }
    default:
      break;
  }
}

void Sdl_Pump(void) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) Sdl_Handle(e);
  // Time limits count even while no frame is painted (a minimised window).
  Plat_Check_Time_Limit();
}

void Sdl_Wait(void) {
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, 100)) Sdl_Handle(e);
}

void Sdl_Frame_Advance(void) {}
bool Sdl_Minimised(void) { return sdl_minimised; }

bool Sdl_Message_Box(const char* text, const char* caption) {
  fprintf(stderr, "%s: %s\n", caption, text);
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, sdl_window) == 0;
}

bool Sdl_Present_Init(u32 width, u32 height, bool fullscreen, bool vsync) {
  if (width == 0 || height == 0) {
    int w, h;
    SDL_GetWindowSize(sdl_window, &w, &h);
    width = u32(w);
    height = u32(h);
  }
  if (fullscreen) SDL_SetWindowFullscreen(sdl_window, SDL_WINDOW_FULLSCREEN);
  Uint32 flags = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  sdl_renderer = SDL_CreateRenderer(sdl_window, -1, flags);
  if (!sdl_renderer) sdl_renderer = SDL_CreateRenderer(sdl_window, -1, flags | SDL_RENDERER_SOFTWARE);
  if (!sdl_renderer) return false;
  sdl_texture = SDL_CreateTexture(sdl_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, int(width),
                                  int(height));
  if (!sdl_texture) return false;
  sdl_back.Resize(width, height);
  return true;
}

void Sdl_Present_Clear(u32 argb) { Mem_Fill32(sdl_back.pixels.data(), sdl_back.pixels.size(), argb & 0xFFFFFF); }

bool Sdl_Present_Lock(u32** pixels, u32* pitch, u32* width, u32* height) {
  return sdl_back.Lock(pixels, pitch, width, height);
}

void Sdl_Present_Unlock(void) {}

// The back buffer goes to the window unscaled at its top left, on black.
void Sdl_Present_Flip(void) {
  SDL_UpdateTexture(sdl_texture, nullptr, sdl_back.pixels.data(), int(sdl_back.width * 4));
  SDL_SetRenderDrawColor(sdl_renderer, 0, 0, 0, 255);
  SDL_RenderClear(sdl_renderer);
  SDL_Rect r = {0, 0, int(sdl_back.width), int(sdl_back.height)};
  SDL_RenderCopy(sdl_renderer, sdl_texture, nullptr, &r);
  SDL_RenderPresent(sdl_renderer);
}

void Sdl_Present_Release(void) {
  if (sdl_texture) SDL_DestroyTexture(sdl_texture);
  if (sdl_renderer) SDL_DestroyRenderer(sdl_renderer);
  sdl_texture = nullptr;
  sdl_renderer = nullptr;
}

// The device reads the ring at a wrapping cursor and counts what it has taken.
void Sdl_Audio_Callback(void*, Uint8* stream, int len) {
  if (!sdl_ring || sdl_ring_bytes == 0) {
    SDL_memset(stream, 0, size_t(len));
    return;
  }
  for (int done = 0; done < len;) {
    u32 n = u32(len - done);
    if (n > sdl_ring_bytes - sdl_ring_cursor) n = sdl_ring_bytes - sdl_ring_cursor;
    SDL_memcpy(stream + done, sdl_ring + sdl_ring_cursor, n);
    done += int(n);
    sdl_ring_cursor = (sdl_ring_cursor + n) % sdl_ring_bytes;
  }
  sdl_played.fetch_add(u64(len), std::memory_order_release);
}

bool Sdl_Wave_Open(u32 rate, u32 channels, u32 bits) {
  if (rate != 44100 || channels != 2 || bits != 16) return false;
  sdl_silent = false;
  if (!(sdl_config.fail & PLAT_FAIL_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    SDL_AudioSpec want = {}, have = {};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024;
    want.callback = Sdl_Audio_Callback;
    sdl_audio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (sdl_audio) {
      sdl_device_samples = have.samples;
      return true;
    }
  }
  printf("Plat: No audio device; the music plays silently on the system clock.\n");
  sdl_silent = true;
  return true;
}

void Sdl_Wave_Start(const u8* ring, u32 bytes) {
  if (sdl_audio) SDL_LockAudioDevice(sdl_audio);
  sdl_ring = ring;
  sdl_ring_bytes = bytes;
  sdl_ring_cursor = 0;
  sdl_played.store(0);
  if (sdl_audio) {
    SDL_UnlockAudioDevice(sdl_audio);
    SDL_PauseAudioDevice(sdl_audio, 0);
  }
  sdl_silent_start = SDL_GetPerformanceCounter();
}

// What is being heard: what the device has taken less its own buffer, never ahead of the reads.
u32 Sdl_Wave_Position(void) {
  if (sdl_silent) {
    if (!sdl_ring) return 0;
    u64 elapsed = SDL_GetPerformanceCounter() - sdl_silent_start;
    return u32(elapsed * 44100 / SDL_GetPerformanceFrequency() * 4);
  }
  u64 played = sdl_played.load(std::memory_order_acquire);
  u64 queued = u64(sdl_device_samples) * 4;
  return u32(played > queued ? played - queued : 0);
}

void Sdl_Wave_Stop(void) {
  if (sdl_audio) {
    SDL_PauseAudioDevice(sdl_audio, 1);
    SDL_LockAudioDevice(sdl_audio);  // waits for a running callback to finish
    sdl_ring = nullptr;
    sdl_ring_bytes = 0;
    SDL_UnlockAudioDevice(sdl_audio);
  }
  sdl_ring = nullptr;
  sdl_played.store(0);
}

void Sdl_Wave_Close(void) {
  if (sdl_audio) SDL_CloseAudioDevice(sdl_audio);
  sdl_audio = 0;
  sdl_silent = false;
}

void Sdl_Show_Cursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

const PlatBackend sdl_backend = {
    .init = Sdl_Init,
    .done = Sdl_Done,
    .frequency = Sdl_Frequency,
    .counter = Sdl_Counter,
    .sleep = Sdl_Sleep,
    .create_window = Sdl_Create_Window,
    .client_size = Sdl_Client_Size,
    .set_outer_size = Sdl_Set_Outer_Size,
    .show = Sdl_Show,
    .pump = Sdl_Pump,
    .wait = Sdl_Wait,
    .frame_advance = Sdl_Frame_Advance,
    .minimised = Sdl_Minimised,
    .message_box = Sdl_Message_Box,
    .present_init = Sdl_Present_Init,
    .present_clear = Sdl_Present_Clear,
    .present_lock = Sdl_Present_Lock,
    .present_unlock = Sdl_Present_Unlock,
    .present_flip = Sdl_Present_Flip,
    .present_release = Sdl_Present_Release,
    .wave_open = Sdl_Wave_Open,
    .wave_start = Sdl_Wave_Start,
    .wave_position = Sdl_Wave_Position,
    .wave_stop = Sdl_Wave_Stop,
    .wave_close = Sdl_Wave_Close,
    .show_cursor = Sdl_Show_Cursor,
    .dialog_loop = Plat_Sdl_Dialog_Loop,
};
}  // namespace

const PlatBackend* Plat_Sdl_Backend(void) { return &sdl_backend; }
