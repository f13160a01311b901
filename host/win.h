// Host start-up, window and frame step: the program run from setup to exit.
#pragma once
#include "platform/plat.h"
#include "runtime/types.h"

// The host's screen surface: the video layer's present routine writes each frame into pixels.
struct HostScreen {
  u32 width;
  u32 height;
  u32* pixels;  // width x height, top-down rows, 0x00RRGGBB
};

// Exit codes of platform failures (never 0, never an engine message index).
enum : i32 { WIN_EXIT_DIALOG = 101, WIN_EXIT_WINDOW = 102, WIN_EXIT_PRESENTER = 103 };

extern const f32 kWinTickPeriod;  // the 32-bit float nearest 1/85 s

i32 WinMain(void);
// After the data file and the forced resolution: the mode picked with its letterbox, the renderers started
// (before the mode opens, so the viewport it sets stands), music set up when asked, the mode opened and the
// design and mix buffers allocated.
void Win_Open_Engine(bool music);
i32 Win_Init_Demo(void);
void Win_Start_Demo(void);
void Win_Create_Dib(void);
void Win_Delete_Dib(void);
void Win_Frame_Step(void);
// The exit order after the message loop (and after a platform failure once the scenes exist): the
// scenes freed and the engine shut down; no frame runs from then on.
void Win_Free_All(void);
intptr_t Win_Window_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam);
void Win_Error_Box(const char* text);
void Demo_Load_Music(void);
bool Win_Open_Console(void);

// Adds a step time to the tick accumulator and returns how many ticks are due (taking them off).
u32 Win_Due_Ticks(f32* accumulator, f32 step);
const HostScreen& Win_Get_Screen(void);
PlatWindow Win_Get_Main_Window(void);
void Win_Set_Main_Window(PlatWindow window);  // for driving the frame step without WinMain
bool Win_Get_Fullscreen(void);
bool Win_Get_Vsync(void);
