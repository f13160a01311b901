// Stand-ins for engine calls whose modules are not built yet; each section goes when its module lands.
#include "demo/scenes.h"
#include "demo/timeline.h"
#include "music/music.h"
#include "runtime/frame.h"
#include "runtime/seq.h"
#include "video/vbe.h"

// ---- timeline and scenes -----------------------------------------------------------------------
// A short test show: a frame event, two setters that pass in one frame, a second frame event, end.
namespace {
u32 standin_ticks = 0;
void Standin_Tick(void) { standin_ticks++; }
u32 standin_frame = 0;
// Draws a moving test pattern into the frame buffer and presents it.
void Standin_Frame(void) {
  Music_Set_Callback(Standin_Tick);
  Seq_Set_Part_Name("Test");
  standin_frame++;
  for (u32 y = 0; y < vbe_screen.height && vbe_screen.frame; y++)
    for (u32 x = 0; x < vbe_screen.width; x++)
      vbe_screen.frame[y * vbe_screen.width + x] = ((x + standin_frame) & 255) << 16 | (y & 255) << 8 | 0x40;
  Demo_Frame_Hook();
}
void Standin_Setter(void) {}
}  // namespace
void Demo_Setup_Sequence(void) {
  Seq_Add_Event(0, 32, Standin_Frame);
  Seq_Add_Event(0, 0, Standin_Setter);
  Seq_Add_Event(0, 0, Standin_Setter);
  Seq_Add_Event(1, 0, Standin_Frame);
  Seq_Add_Control(SEQ_END, 0);
}
void Design_Init(void) {}
void Design_Load_Overlays_1(void) {}
void Design_Load_Overlays_2(void) {}
void Design_Free(void) {}
void Eye_Load(void) {}
void Eye_Free(void) {}
void Box_Load(void) {}
void Race_Load(void) {}
void Race_Free(void) {}
void Rig_Load(void) {}
void Rig_Build_Textures(void) {}
void Rig_Free(void) {}
void Term_Load(void) {}
void Term_Free(void) {}
void Gang_Load(void) {}
void Plasma_Load(void) {}
void Plasma_Free(void) {}
void Coon_Load(void) {}
void Coon_Free(void) {}
void Credits_Load(void) {}
void Intro_Load(void) {}
void Intro_Free(void) {}
