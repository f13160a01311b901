// SDL backend's modal dialog: the dialog drawn in a window of its own, operated by mouse and keys.
// VELMORAN_DIALOG_KEYS feeds it SDL input events, for tests that drive the real window.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/plat_dialog.h"

namespace {
const u32 kScriptStepMs = 150;
const u32 kScriptWaitMs = 1000;

void Sdl_Dialog_Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      Plat_Dialog_Close();
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) Plat_Dialog_Close();
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) Plat_Dialog_Mouse_Down(e.button.x, e.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT) Plat_Dialog_Mouse_Up(e.button.x, e.button.y);
      break;
    case SDL_KEYDOWN: {
      bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
      switch (e.key.keysym.sym) {
        case SDLK_TAB: Plat_Dialog_Key(9, shift); break;
        case SDLK_RETURN: case SDLK_KP_ENTER: Plat_Dialog_Key(13, shift); break;
        case SDLK_ESCAPE: Plat_Dialog_Key(27, shift); break;
        case SDLK_SPACE: Plat_Dialog_Key(32, shift); break;
        case SDLK_LEFT: Plat_Dialog_Key(37, shift); break;
        case SDLK_UP: Plat_Dialog_Key(38, shift); break;
        case SDLK_RIGHT: Plat_Dialog_Key(39, shift); break;
        case SDLK_DOWN: Plat_Dialog_Key(40, shift); break;
        default: break;
      }
      break;
    }
    default:
      break;
  }
}

// Puts one scripted step into SDL's queue as the window system would; false for an unknown step.
// Steps: tab, backtab, up, down, left, right, space, enter, escape, close, wait, click:X:Y.
bool Sdl_Dialog_Push(const char* step, u32 window_id) {
  SDL_Event e;
  memset(&e, 0, sizeof e);
  int x, y;
  if (sscanf(step, "click:%d:%d", &x, &y) == 2) {
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = window_id;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.state = SDL_RELEASED;
    SDL_PushEvent(&e);
    return true;
  }
  if (strcmp(step, "close") == 0) {
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window_id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    return true;
  }
  static const struct {
    const char* name;
    SDL_Keycode key;
    Uint16 mod;
  } keys[] = {{"tab", SDLK_TAB, 0},       {"backtab", SDLK_TAB, KMOD_LSHIFT}, {"up", SDLK_UP, 0},
              {"down", SDLK_DOWN, 0},     {"left", SDLK_LEFT, 0},             {"right", SDLK_RIGHT, 0},
              {"space", SDLK_SPACE, 0},   {"enter", SDLK_RETURN, 0},          {"escape", SDLK_ESCAPE, 0}};
  for (const auto& k : keys)
    if (strcmp(step, k.name) == 0) {
      e.type = SDL_KEYDOWN;
      e.key.windowID = window_id;
      e.key.state = SDL_PRESSED;
      e.key.keysym.sym = k.key;
      e.key.keysym.scancode = SDL_GetScancodeFromKey(k.key);
      e.key.keysym.mod = k.mod;
      SDL_PushEvent(&e);
      return true;
    }
  return false;
}
}  // namespace

bool Plat_Sdl_Dialog_Loop(void) {
  const PlatDlgTemplate* t = Plat_Dialog_Template();
  int w = t->w * kPlatDlgScale, h = t->h * kPlatDlgScale;
  SDL_Window* window =
      SDL_CreateWindow(t->caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, SDL_WINDOW_SHOWN);
  if (!window) {
    fprintf(stderr, "Plat: no dialog window: %s\n", SDL_GetError());
    return false;
  }
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* texture =
      renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h) : nullptr;
  if (!texture) {
    fprintf(stderr, "Plat: no dialog drawing: %s\n", SDL_GetError());
    if (renderer) SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    return false;
  }
  std::vector<u32> pixels(size_t(w) * h);
  char script[256];
  snprintf(script, sizeof script, "%s", Plat_Get_Config().dialog_keys);
  char* cursor = script;
  bool announced = false;
  u64 next_step = 0;
  while (!Plat_Dialog_Ended()) {
    Plat_Dialog_Draw(pixels.data(), w, h);
    SDL_UpdateTexture(texture, nullptr, pixels.data(), w * 4);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    if (!announced) {
      printf("Plat: Dialog shown, %dx%d.\n", w, h);
      fflush(stdout);
      announced = true;
      next_step = SDL_GetTicks64() + kScriptStepMs;
    }
    if (*cursor && SDL_GetTicks64() >= next_step) {
      char* end = cursor + strcspn(cursor, ",");
      char step[32];
      snprintf(step, sizeof step, "%.*s", int(end - cursor), cursor);
      cursor = *end ? end + 1 : end;
      next_step = SDL_GetTicks64() + (strcmp(step, "wait") == 0 ? kScriptWaitMs : kScriptStepMs);
      if (strcmp(step, "wait") != 0 && !Sdl_Dialog_Push(step, SDL_GetWindowID(window)))
        fprintf(stderr, "Plat: unknown dialog input \"%s\"\n", step);
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 50)) {
      Sdl_Dialog_Handle(e);
      while (!Plat_Dialog_Ended() && SDL_PollEvent(&e)) Sdl_Dialog_Handle(e);
    }
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  return true;
}
