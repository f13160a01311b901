// The presenter over the platform's swap chain: clear, back buffer, lock, row copy, unlock, flip.
#include "host/present.h"

#include <cstring>

#include "host/win.h"

namespace {
bool present_device = false;  // while false, presenting does nothing
bool present_rendering = true;
bool present_fullscreen = false;
bool present_vsync = false;
}  // namespace

i32 Win_Init_Direct3D(PlatWindow window) {
  present_fullscreen = Win_Get_Fullscreen();
  present_vsync = Win_Get_Vsync();
  present_rendering = true;
  // Windowed, the back buffer takes the client size; full screen, the output size, 640 wide with 480 lines.
  u32 width = 0, height = 0;
  if (present_fullscreen) {
    width = Win_Get_Screen().width;
    height = Win_Get_Screen().height;
    if (width == 640) height = 400 + 80;
    Plat_Show_Cursor(false);
  }
  present_device = Plat_Present_Init(window, width, height, present_fullscreen, present_vsync);
  return present_device ? 0 : WIN_E_FAIL;
}

void Win_Present_Frame(const u32* pixels, u32 width, u32 height) {
  if (!present_device) return;
  Plat_Present_Clear(0xFF000000u);
  if (present_rendering) {
    if (!Plat_Present_Get_Back_Buffer()) {
      // Rendering stops before the box is shown, so a frame run while it is up does not show another.
      present_rendering = false;
      Win_Error_Box("Could not get the backbuffer! Rendering stopped.");
    } else {
      u32* target;
      u32 pitch, target_width, target_height;
      if (Plat_Present_Lock(&target, &pitch, &target_width, &target_height)) {
        // Never past the target, whatever its size against the frame's.
        u32 rows = height < target_height ? height : target_height;
        u32 columns = width < target_width ? width : target_width;
        if (pixels && pitch / 4 >= columns) {
          u8* out = reinterpret_cast<u8*>(target);
          for (u32 y = 0; y < rows; y++) memcpy(out + size_t(y) * pitch, pixels + size_t(y) * width, columns * 4u);
        }
        Plat_Present_Unlock();
      }
      Plat_Present_Put_Back_Buffer();
    }
  }
  Plat_Present_Flip();
}

void Win_Release_Direct3D(void) {
  if (present_device) Plat_Present_Release();
  present_device = false;
}

bool Win_Presenter_Rendering(void) { return present_rendering; }
