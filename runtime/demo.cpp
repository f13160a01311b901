// Engine start-up and shutdown in their fixed orders, the engine flags and the exits.
#include "runtime/demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/music.h"
#include "runtime/con.h"
#include "runtime/cpu.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/key.h"
#include "runtime/mem.h"
#include "runtime/options.h"
#include "runtime/prm.h"
#include "runtime/seq.h"
#include "video/vbe.h"

namespace {
u8 demo_flags[DEMO_FLAG_COUNT];
char demo_datafile[kDemoNameBytes];
char demo_music[kDemoNameBytes];

// A name that does not fit its buffer is refused whole: a cut name would open another file.
void Demo_Copy_Name(char* buffer, const char* name, const char* what) {
  if (!name) name = "";
  if (strlen(name) >= kDemoNameBytes) Err_Error("Demo: %s name too long: %s", what, name);
  memcpy(buffer, name, strlen(name) + 1);
}
}  // namespace

u8 Demo_Get_Flag(DemoFlag flag) { return demo_flags[flag]; }
void Demo_Set_Flag(DemoFlag flag, u8 value) { demo_flags[flag] = value; }
const char* Demo_Get_Datafile_Name(void) { return demo_datafile; }
void Demo_Set_Datafile_Name(const char* name) { Demo_Copy_Name(demo_datafile, name, "Data file"); }
const char* Demo_Get_Music_Name(void) { return demo_music; }
void Demo_Set_Music_Name(const char* name) { Demo_Copy_Name(demo_music, name, "Music file"); }

void Demo_Init(const char* datafile, u32 minimum_kb) {
  Con_Put_Glyph(CON_TRIPLE_BAR);
  fputs(" Tarvek demo engine v1.1b - Nolt demo system ", stdout);
  Con_Put_Glyph(CON_TRIPLE_BAR);
  fputs("\n", stdout);
  Demo_Set_Datafile_Name(datafile);
  Demo_Add_Options();
  Prm_Parse();
  Err_Init();
  Err_Set_Exit_Hook(Demo_Shutdown);
  Mem_Init(u16(minimum_kb));
  File_Set_Datafile(demo_datafile);
  File_Init();
  if (!demo_flags[DEMO_FLAG_NO_MUSIC]) Music_Init();
  Seq_Init();
  Vbe_Init();
  Key_Init();
}

void Demo_Shutdown(void) {
  Demo_Trace_Stop();
  Key_Done();
  File_Done();
  Music_Free();
  Mem_Done();
  Err_Done();
}

void Demo_Exit(void) {
  Demo_Shutdown();
  fflush(stdout);
  exit(0);
}

void Demo_Abort(void) {
  Music_Stop();
  Music_Set_Stopped();
  if (Mem_Get_Measure()) Mem_Show();
  Demo_Shutdown();
  Mem_Show_Statistics();
  fflush(stdout);
  exit(0);
}

void Demo_Set_No_Music(void) { demo_flags[DEMO_FLAG_NO_MUSIC] = 1; }
void Demo_Set_Spare_Flag(void) { demo_flags[DEMO_FLAG_SPARE] = 1; }
void Demo_Show_Notice(void) { printf("Demo: Nolt demo system, (c) Tarvek. All rights reserved.\n"); }
void Demo_Nothing(void) {}

void Demo_Show_Compiler(void) {
  Cpu_Show_Info();
  printf("\n   Nolt demo system last compiled: %s.\n", __DATE__);
  printf("   Drumon VR system last compiled: %s.\n", __DATE__);
}
