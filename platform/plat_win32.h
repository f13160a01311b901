// The win32 backend's services to the platform's other Windows modules: the owner of their modal
// dialogs, and the program's window kept out of the way while such a dialog is up.
#pragma once
#include "platform/plat.h"  // before the system's headers, whose message names it would otherwise meet

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The main window while it lives, else null.
HWND Plat_Win32_Window(void);
// The system window a handle of the layer names, as the owner of a dialog: the layer's main window,
// else the system handle itself (a dialog's); 0 names none.
HWND Plat_Win32_Owner(PlatWindow window);
// Between begin and end the main window's messages go to the system's default procedure only: its
// paints are validated instead of running frames, so nothing draws or counts while a dialog is up.
void Plat_Win32_Modal_Begin(void);
void Plat_Win32_Modal_End(void);
