// The presenter: each finished frame is copied into the platform's back buffer and shown.
#pragma once
#include "platform/plat.h"
#include "runtime/types.h"

const i32 WIN_E_FAIL = i32(0x80004005u);

// Starts presentation in the window with the host's full-screen and vsync choices; 0 or WIN_E_FAIL.
i32 Win_Init_Direct3D(PlatWindow window);
// Clears the back buffer to black, copies the frame's rows into it (as far as it reaches) and shows it.
void Win_Present_Frame(const u32* pixels, u32 width, u32 height);
void Win_Release_Direct3D(void);
// For tests: whether frames are still copied (false after the back buffer could not be had).
bool Win_Presenter_Rendering(void);
