// The headless platform: client-size correction, paint-driven frames, message order, scripted keys,
// limits, the virtual clock and the virtual wave-out device.
#include <gtest/gtest.h>

#include <cstdlib>
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

TEST(HeadlessWindow, ClientSizeCorrectionGivesTheOutputSize) {
  PlatConfig config;
  PlatWindow w = Open(config);
  ASSERT_NE(w, 0u);
  EXPECT_EQ(seen, (std::vector<u32>{WM_CREATE}));
  i32 cw, ch;
  Plat_Get_Client_Size(w, &cw, &ch);
  EXPECT_EQ(cw, 320 - 16);
  EXPECT_EQ(ch, 200 - 39);
  Plat_Set_Outer_Size(w, 2 * 320 - cw, 2 * 200 - ch);
  Plat_Get_Client_Size(w, &cw, &ch);
  EXPECT_EQ(cw, 320);
  EXPECT_EQ(ch, 200);
  Plat_Done();
}

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

TEST(SdlClock, ProcessMillisCountFromStartUp) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  PlatConfig config;
  config.backend = PLAT_SDL;
  ASSERT_TRUE(Plat_Init(config));
  // The performance counter runs from boot; the process time starts near zero.
  i32 millis = Plat_Process_Millis();
  EXPECT_GE(millis, 0);
  EXPECT_LT(millis, 60000);
  Plat_Done();
  unsetenv("SDL_VIDEODRIVER");
}

namespace {
u32 polls = 0;
u32 last_position = 0;
void Poll(void) {
  polls++;
  last_position = Plat_Wave_Position_Bytes();
}
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
  EXPECT_EQ(polls, 11u);
  EXPECT_EQ(last_position, 11u * 882 * 4);  // 882 stereo frames a frame at 50 fps
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
