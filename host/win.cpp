// Host start-up, window and frame step: setup, engine and scene start-up, the window whose client
// area is the output size, paint-driven frames with 85 ticks a second, and the exit order.
#include "host/win.h"

#include <cstdio>
#include <cstring>

#include "demo/scenes.h"
#include "demo/timeline.h"
#include "host/present.h"
#include "host/setup.h"
#include "music/music.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/key.h"
#include "runtime/math.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

const f32 kWinTickPeriod = 1.0f / 85.0f;

namespace {
const char* const kTitle = "VelMoran / Tarvek";
const f32 kRoundingOffset = 0.5f;

HostScreen win_screen = {320, 200, nullptr};
PlatWindow win_main = 0;
bool win_fullscreen = false;
bool win_vsync = false;
i64 win_frequency = 1;
i64 win_last_counter = 0;
f32 win_step_time = 0;
f32 win_accumulator = 0;
bool win_in_step = false;  // a modal box inside a paint must not start another frame
bool win_ending = false;   // from WM_DESTROY or the exit order on, no frame touches what is freed

// The frame log's status: heard position and the sequencer's current event.
void Win_Status(char* text, u32 size) {
  snprintf(text, size, "%02u.%02u %d", music_position.order, music_position.row, Seq_Get_Current());
}
}  // namespace

// From its first step no frame runs: a modal box up after a platform failure (the full-screen window is
// already visible then) dispatches paints, which must not draw with the engine being freed.
void Win_Free_All(void) {
  win_ending = true;
  Plasma_Free();
  Term_Free();
  Coon_Free();
  Rig_Free();
  Intro_Free();
  Race_Free();
  Design_Free();
  Eye_Free();
  Demo_Shutdown();
}

u32 Win_Due_Ticks(f32* accumulator, f32 step) {
  *accumulator = *accumulator + step;
  if (!(*accumulator >= kWinTickPeriod)) return 0;
  // The quotient stays in single precision: 2.5 periods must give 3 ticks.
  u32 n = u32(*accumulator / kWinTickPeriod + kRoundingOffset);
  *accumulator = *accumulator - f32(n) * kWinTickPeriod;
  return n;
}

const HostScreen& Win_Get_Screen(void) { return win_screen; }
PlatWindow Win_Get_Main_Window(void) { return win_main; }
void Win_Set_Main_Window(PlatWindow window) { win_main = window; }
bool Win_Get_Fullscreen(void) { return win_fullscreen; }
bool Win_Get_Vsync(void) { return win_vsync; }

void Win_Create_Dib(void) {
  win_screen.pixels = Plat_Create_Surface(win_screen.width, win_screen.height);
  Vbe_Set_Host_Surface(win_screen.pixels, win_screen.width, win_screen.height);
}

void Win_Delete_Dib(void) {
  if (!win_screen.pixels) return;
  Vbe_Set_Host_Surface(nullptr, win_screen.width, win_screen.height);
  Plat_Free_Surface(win_screen.pixels);
  win_screen.pixels = nullptr;
}

void Demo_Load_Music(void) { Music_Load("velmoran.xm"); }

bool Win_Open_Console(void) { return Plat_Open_Console(); }

void Win_Open_Engine(bool music) {
  Demo_Select_Mode();
  Demo_Set_Border(7);
  Math_Init();
  Poly_Init();
  Mesh_Reset();
  VR_Init();
  if (music) Music_Setup();
  Demo_Open_Mode();
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
}

i32 Win_Init_Demo(void) {
  SetupDialog dialog(kSetupDialogId, 0);
  i32 end_code = i32(dialog.Dialog_Run());
  if (end_code != 1) {
    // Exit (or closing the dialog) ends quietly; a dialog that could not be shown is a failure.
    if (end_code != -1) return 0;
    Plat_Fatal_Message("Velmoran: Unable to show the setup dialog.");
    return -1;
  }
  const SetupChoices& setup = dialog.SetupDialog_Choices();
  if (setup.resolution == 2) win_screen.width = 640, win_screen.height = 400;
  if (setup.resolution == 3) win_screen.width = 960, win_screen.height = 600;
  if (setup.fullscreen) win_fullscreen = true;
  if (setup.vsync) win_vsync = true;
  if (setup.debug) Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
  Win_Create_Dib();
  Demo_Force_Resolution(win_screen.width, win_screen.height);
  Demo_Init("velmoran.dat", 0);
  Win_Open_Engine(true);
  Demo_Add_Init(Demo_Load_Music);
  Demo_Add_Init(Design_Init);
  Demo_Add_Init(Eye_Load);
  Demo_Add_Init(Box_Load);
  Demo_Add_Init(Race_Load);
  Demo_Add_Init(Rig_Load);
  Demo_Add_Init(Term_Load);
  Demo_Add_Init(Design_Load_Overlays_1);
  Demo_Add_Init(Gang_Load);
  Demo_Add_Init(Plasma_Load);
  Demo_Add_Init(Design_Load_Overlays_2);
  Demo_Add_Init(Coon_Load);
  Demo_Add_Init(Credits_Load);
  Demo_Add_Init(Intro_Load);
  Demo_Add_Init(Rig_Build_Textures);
  Demo_Run_Init_Sequence(1, File_Count());
  Demo_Setup_Sequence();
  return 1;
}

void Win_Start_Demo(void) {
  Demo_Trace("Velmoran: Music_Play_Module().");
  Music_Play_Module();
  Demo_Trace("Velmoran: Seq_Run_Demo().");
  win_ending = false;
  win_in_step = false;
  win_accumulator = 0;
  win_frequency = Plat_Counter_Frequency();
  win_last_counter = Plat_Counter();
  Seq_Run_Demo();
}

void Win_Frame_Step(void) {
  if (win_in_step || win_ending) return;
  win_in_step = true;
  i64 now = Plat_Counter();
  win_step_time = f32(f64(now - win_last_counter) / f64(win_frequency));
  win_last_counter = now;
  for (u32 n = Win_Due_Ticks(&win_accumulator, win_step_time); n > 0; n--) Music_Call_Callback();
  while (Seq_Run_Frame()) {
    if (!Seq_Next_Event()) {
      Seq_Set_Current(Seq_Get_Current() - 1);
      win_in_step = false;
      Plat_Send_Message(win_main, WM_DESTROY, 0, 0);
      return;
    }
  }
  Win_Present_Frame(win_screen.pixels, win_screen.width, win_screen.height);
  win_in_step = false;
}

intptr_t Win_Window_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      // A second WM_DESTROY (the close box after the end) finds nothing left to free. Direct3D goes now,
      // while its window still exists: a close (the close box, a time limit) destroys the window right
      // after this message, and a device outliving its window has its drawing surface pulled away under it.
      if (!win_ending) {
        win_ending = true;
        Win_Release_Direct3D();
        Win_Delete_Dib();
        Plat_Post_Quit(0);
      }
      return 0;
    case WM_PAINT:
      Win_Frame_Step();
      Plat_Invalidate(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      Key_Set_Down(u8(wparam & 127));
      return 0;
    case WM_KEYUP:
      Key_Set_Up(u8(wparam & 127));
      return 0;
    default:
      return Plat_Def_Window_Proc(window, message, wparam, lparam);
  }
}

void Win_Error_Box(const char* text) { Plat_Message_Box(win_main, text, "Error"); }

i32 WinMain(void) {
  PlatClass window_class = {Win_Window_Proc, kTitle, 8 /* double clicks */};
  win_main = 0;
  i32 init = Win_Init_Demo();
  if (init == 0) return 0;
  if (init < 0) return WIN_EXIT_DIALOG;
  Win_Start_Demo();
  Plat_Set_Status_Hook(Win_Status);
  // Platform failures from here on shut the started engine down and say so in the exit code.
  if (!Plat_Register_Class(&window_class)) {
    Win_Free_All();
    Win_Error_Box("Unable to register the window class.");
    return WIN_EXIT_WINDOW;
  }
  win_main = Plat_Create_Window(kTitle, kTitle, i32(win_screen.width), i32(win_screen.height));
  if (!win_main) {
    Win_Free_All();
    Win_Error_Box("Unable to create the window.");
    return WIN_EXIT_WINDOW;
  }
  i32 cw, ch;
  Plat_Get_Client_Size(win_main, &cw, &ch);
  Plat_Set_Outer_Size(win_main, 2 * i32(win_screen.width) - cw, 2 * i32(win_screen.height) - ch);
  Plat_Get_Client_Size(win_main, &cw, &ch);
  if (Win_Init_Direct3D(win_main) != 0) {
    Win_Free_All();
    Win_Error_Box("Failed to initialize Direct3D!");
    return WIN_EXIT_PRESENTER;
  }
  Plat_Show_Window(win_main);
  Plat_Update_Window(win_main);
  PlatMsg message;
  while (Plat_Get_Message(&message)) {
    Plat_Translate_Message(&message);
    Plat_Dispatch_Message(&message);
  }
  // Direct3D and the bitmap went with WM_DESTROY already; they are released here for a loop that ended
  // without it.
  Win_Free_All();
  Win_Release_Direct3D();
  Win_Delete_Dib();
  return i32(message.wparam);
}
