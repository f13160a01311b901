// Engine start-up and shutdown, the engine's run-time flags and its two ways out.
#pragma once
#include "runtime/types.h"

enum DemoFlag : u8 {
  DEMO_FLAG_NO_MUSIC,
  DEMO_FLAG_RETRACE,
  DEMO_FLAG_DEBUG,
  DEMO_FLAG_RASTER,
  DEMO_FLAG_SOUND_SETTINGS,
  DEMO_FLAG_VIDEO_SETTINGS,
  DEMO_FLAG_SPARE,
  DEMO_FLAG_CPU,
  DEMO_FLAG_COLORING,
  DEMO_FLAG_SMOOTH,
  DEMO_FLAG_HICOLOR,
  DEMO_FLAG_EXTERNAL_MUSIC,
  DEMO_FLAG_TRACE,
  DEMO_FLAG_LED,
  DEMO_FLAG_NO_FADES,
  DEMO_FLAG_COUNT
};

const u32 kDemoNameBytes = 64;

void Demo_Init(const char* datafile, u32 minimum_kb);
void Demo_Shutdown(void);
[[noreturn]] void Demo_Exit(void);
[[noreturn]] void Demo_Abort(void);
void Demo_Set_No_Music(void);
void Demo_Set_Spare_Flag(void);
void Demo_Show_Notice(void);
void Demo_Nothing(void);
void Demo_Show_Compiler(void);

u8 Demo_Get_Flag(DemoFlag flag);
void Demo_Set_Flag(DemoFlag flag, u8 value);
// The data-file and external-music name buffers; a name of kDemoNameBytes or more is a fatal error.
const char* Demo_Get_Datafile_Name(void);
void Demo_Set_Datafile_Name(const char* name);
const char* Demo_Get_Music_Name(void);
void Demo_Set_Music_Name(const char* name);
