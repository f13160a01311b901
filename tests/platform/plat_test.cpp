// The platform: paint-driven frames, message order, scripted keys, limits, the virtual clock and the virtual
// wave-out device of the headless backend, and the sdl backend's clock and keys.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "platform/plat.h"

namespace {
std::vector<u32> seen;
intptr_t Record_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  seen.push_back(message);
  if (message == WM_KEYDOWN) seen.push_back(1000 + u32(wparam));
  if (message == WM_DESTROY) Plat_Post_Quit(7);
  return Plat_Def_Window_Proc(window, message, wparam, lparam);
}

PlatWindow Open(PlatConfig& config, i32 w = 320, i32 h = 200) {
  config.backend = PLAT_HEADLESS;
  seen.clear();
  EXPECT_TRUE(Plat_Init(config));
  PlatClass cls = {Record_Proc, "c", 0};
  EXPECT_TRUE(Plat_Register_Class(&cls));
  return Plat_Create_Window("c", "t", w, h);
}

u32 Run_Loop(PlatMsg* last) {
  u32 paints = 0;
  while (Plat_Get_Message(last)) {
    if (last->message == WM_PAINT) paints++;
    Plat_Dispatch_Message(last);
  }
  return paints;
}
}  // namespace

TEST(HeadlessWindow, FrameLimitClosesBeforeAnotherPaintAndQuitEndsTheLoop) {
  PlatConfig config;
  config.max_frames = 5;
  PlatWindow w = Open(config);
  Plat_Update_Window(w);  // the first paint runs at once
  EXPECT_EQ(seen.back(), u32(WM_PAINT));
  PlatMsg last;
  EXPECT_EQ(Run_Loop(&last), 4u);
  EXPECT_EQ(last.message, u32(WM_QUIT));
  EXPECT_EQ(last.wparam, 7u);
  EXPECT_TRUE(Plat_Limit_Reached());
  EXPECT_EQ(seen[seen.size() - 2], u32(WM_CLOSE));
  EXPECT_EQ(seen.back(), u32(WM_DESTROY));
  Plat_Done();
}

TEST(HeadlessWindow, ScriptedKeysArriveBeforeThePaintTheyName) {
  PlatConfig config;
  config.max_frames = 3;
  config.keys[0] = {2, true, 27};
  config.key_count = 1;
  Open(config);
  PlatMsg last;
  Run_Loop(&last);
  // create, paint 1, paint 2, then the key due at paint count 2, then paint 3.
  std::vector<u32> expect = {WM_CREATE, WM_PAINT, WM_PAINT, WM_KEYDOWN, 1027, WM_PAINT, WM_CLOSE, WM_DESTROY};
  EXPECT_EQ(seen, expect);
  Plat_Done();
}

TEST(HeadlessClock, EachPaintAdvancesOneFrameOfVirtualTime) {
  PlatConfig config;
  config.fps = 60;
  config.max_frames = 60;
  Open(config);
  EXPECT_EQ(Plat_Counter_Frequency(), 3748500);
  PlatMsg last;
  Run_Loop(&last);
  EXPECT_EQ(Plat_Counter(), 61 * 62475);  // the limit is found on the 61st request
  EXPECT_EQ(Plat_Process_Millis(), 1016);
  Plat_Done();
}

// The sdl backend's process time starts near zero (its performance counter runs from boot). Its keys reach the
// procedure as the engine's codes, the Windows key numbers; with Alt, or a key without a number, nothing comes
// before the paint. Scan code (its key on a US layout), modifiers, code.
TEST(SdlBackend, ProcessMillisCountFromStartUpAndKeysAreTheEngineCodes) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  PlatConfig config;
  config.backend = PLAT_SDL;
  ASSERT_TRUE(Plat_Init(config));
  const i32 millis = Plat_Process_Millis();
  EXPECT_TRUE(millis >= 0 && millis < 60000) << millis;
  PlatClass cls = {Record_Proc, "c", 0};
  ASSERT_TRUE(Plat_Register_Class(&cls));
  ASSERT_NE(Plat_Create_Window("c", "t", 64, 40), 0u);
  const std::tuple<SDL_Scancode, u16, i32> rows[] = {{SDL_SCANCODE_ESCAPE, 0, 27}, {SDL_SCANCODE_SPACE, 0, 32},
      {SDL_SCANCODE_RETURN, 0, 13}, {SDL_SCANCODE_KP_ENTER, 0, 13}, {SDL_SCANCODE_TAB, 0, 9}, {SDL_SCANCODE_LCTRL, 0, 17},
      {SDL_SCANCODE_RCTRL, 0, 17}, {SDL_SCANCODE_PAGEUP, 0, 33}, {SDL_SCANCODE_PAGEDOWN, 0, 34}, {SDL_SCANCODE_LEFT, 0, 37},
      {SDL_SCANCODE_UP, 0, 38}, {SDL_SCANCODE_RIGHT, 0, 39}, {SDL_SCANCODE_DOWN, 0, 40}, {SDL_SCANCODE_1, 0, '1'},
      {SDL_SCANCODE_9, 0, '9'}, {SDL_SCANCODE_A, 0, 'A'}, {SDL_SCANCODE_P, KMOD_SHIFT, 'P'}, {SDL_SCANCODE_Z, 0, 'Z'},
      {SDL_SCANCODE_KP_PLUS, 0, 107}, {SDL_SCANCODE_KP_MINUS, 0, 109}, {SDL_SCANCODE_P, KMOD_LALT, -1},
      {SDL_SCANCODE_CAPSLOCK, 0, -1}};
  for (auto [scan, mod, code] : rows)
    for (u32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e = {};
      e.type = type;
      e.key.keysym = {scan, SDL_GetKeyFromScancode(scan), mod, 0};
      SDL_PushEvent(&e);
      PlatMsg m;
      ASSERT_TRUE(Plat_Get_Message(&m));
      const u32 want = code < 0 ? WM_PAINT : type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP;
      EXPECT_EQ(std::make_pair(m.message, m.wparam), std::make_pair(want, uintptr_t(code < 0 ? 0 : code))) << scan;
    }
  SDL_Event close = {};  // the close box
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&close);
  PlatMsg m;
  EXPECT_TRUE(Plat_Get_Message(&m) && m.message == WM_CLOSE) << m.message;
  Plat_Done();
  unsetenv("SDL_VIDEODRIVER");
}

namespace {
u32 polls = 0;
u32 last_position = 0;
void Poll(void) { polls++, last_position = Plat_Wave_Position_Bytes(); }
}  // namespace

TEST(HeadlessWave, PositionFollowsTheClockAndThePumpRunsAfterEachAdvance) {
  PlatConfig config;
  config.fps = 50;
  config.max_frames = 10;
  Open(config);
  std::vector<u8> ring(8192, 0);
  ASSERT_TRUE(Plat_Wave_Open(44100, 2, 16));
  Plat_Set_Audio_Pump(Poll);
  Plat_Wave_Start_Loop(ring.data(), u32(ring.size()));
  PlatMsg last;
  Run_Loop(&last);
  EXPECT_EQ(std::make_pair(polls, last_position), std::make_pair(11u, 11u * 882 * 4));  // 882 stereo frames a frame
  Plat_Wave_Stop();
  EXPECT_EQ(Plat_Wave_Position_Bytes(), 0u);
  Plat_Done();
}

TEST(PlatformSurface, IsZeroedAndAligned) {
  u32* p = Plat_Create_Surface(321, 7);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) & 63, 0u);
  for (int i = 0; i < 321 * 7; i++) ASSERT_EQ(p[i], 0u);
  Plat_Free_Surface(p);
}
