// The engine's command-line option rows and their handlers, registered in the table's order.
#include "runtime/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "render/poly.h"
#include "runtime/cpu.h"
#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/mem.h"
#include "runtime/prm.h"
#include "video/vbe.h"

namespace {
// Sets a flag the first time; false when it was set already.
bool Demo_Set_Once(DemoFlag flag) {
  if (Demo_Get_Flag(flag)) return false;
  Demo_Set_Flag(flag, 1);
  return true;
}

// Sets a flag the first time, first printing its line; false when it was set already.
bool Demo_Announce_Once(DemoFlag flag, const char* line) {
  if (Demo_Get_Flag(flag)) return false;
  printf("%s\n", line);
  Demo_Set_Flag(flag, 1);
  return true;
}

void Option_Config(void) {
  Demo_Set_Flag(DEMO_FLAG_VIDEO_SETTINGS, 1);
  Demo_Set_Flag(DEMO_FLAG_SOUND_SETTINGS, 1);
}
void Option_Sound(void) { Demo_Set_Flag(DEMO_FLAG_SOUND_SETTINGS, 1); }
void Option_Video(void) { Demo_Set_Flag(DEMO_FLAG_VIDEO_SETTINGS, 1); }
void Option_Black_White(void) { Vbe_Set_Black_White(); }
void Option_Fake(void) { Vbe_Set_Fake_24(); }

void Option_Hicolor(void) { Demo_Announce_Once(DEMO_FLAG_HICOLOR, "Demo: Using linear 15bit mode (32K colors)."); }

void Option_Retrace(void) { Demo_Announce_Once(DEMO_FLAG_RETRACE, "Demo: Retrace check enabled."); }

void Option_No_Video_Buffer(void) { Vbe_Disable_Buffering(); }

void Option_Smooth(void) {
  if (Demo_Set_Once(DEMO_FLAG_SMOOTH)) Vbe_Set_Scanline_Smoothing();
}

void Option_Low_Memory(void) {
  printf("Demo: Minimizing memory requirements.\n");
  Poly_No_Align();
}

void Option_No_Fades(void) {
  printf("Demo: Colorfades disabled.\n");
  Demo_Set_Flag(DEMO_FLAG_NO_FADES, 1);
}

void Option_Help(void) {
  Prm_Show_Options();
  Demo_Exit();
}

void Option_Debug(void) { Demo_Announce_Once(DEMO_FLAG_DEBUG, "Demo: Debug-mode enabled."); }

void Option_Raster(void) {
  if (Demo_Announce_Once(DEMO_FLAG_RASTER, "Demo: Raster-mode enabled.")) Vbe_Set_Black_White();
}

void Option_Cpu(void) {
  if (Demo_Get_Flag(DEMO_FLAG_CPU)) return;
  printf("Demo: cpu-mode enabled.\n");
  Demo_Set_Flag(DEMO_FLAG_CPU, 1);
  Cpu_Timer_Reset();
}

void Option_Memory(void) {
  if (Mem_Get_Measure()) return;
  printf("Demo: Memory usage measurement activated.\n");
  Mem_Set_Measure(1);
}

void Option_Profile(void) { Cpu_Profile_Start(0, 1); }

// "mode:640x400": the number at the start, then the number after the next character.
void Option_Mode(void) {
  const char* value = Prm_Get_Value();
  char* rest = nullptr;
  long width = strtol(value, &rest, 10);
  long height = *rest ? strtol(rest + 1, nullptr, 10) : 0;
  // A zero-sized or absurd screen would break every later step: refuse it here.
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192) Err_Error("Prm: Illegal parameter: mode:%s", value);
  printf("Demo: Forcing graphics resolution to %dx%d\n", int(width), int(height));
  Demo_Force_Resolution(u32(width), u32(height));
}

void Option_Modes(void) {
  Vbe_Get_Modes();
  Demo_Exit();
}

void Option_Coloring(void) { Demo_Set_Flag(DEMO_FLAG_COLORING, 1); }

void Option_Compiler(void) {
  Demo_Show_Compiler();
  Demo_Exit();
}

// A name that does not fit the name buffer is refused rather than cut.
const char* Option_Name_Value(const char* option) {
  const char* value = Prm_Get_Value();
  if (strlen(value) >= kDemoNameBytes) Err_Error("Prm: Illegal parameter: %s%s", option, value);
  return value;
}

void Option_Data(void) {
  const char* value = Option_Name_Value("data:");
  Demo_Set_Datafile_Name(value);
  printf("Demo: Datafile: %s\n", value);
}

void Option_Music(void) {
  const char* value = Option_Name_Value("melgo:");
  Demo_Set_Music_Name(value);
  printf("Demo: Musicfile: %s\n", value);
  Demo_Set_Flag(DEMO_FLAG_EXTERNAL_MUSIC, 1);
}

void Option_Bugtrace(void) {
  printf("Demo: Bugtrace enabled.\n");
  Demo_Trace_Init();
}

void Option_Led(void) {
  printf("Demo: LED tracking enabled.\n");
  Demo_Set_Flag(DEMO_FLAG_LED, 1);
}

void Option_Super_Help(void) {
  Prm_Show_Super_Options();
  Demo_Exit();
}
}  // namespace

void Demo_Add_Options(void) {
  Prm_Add_Option("config", 1, Option_Config, "Configures video and soundcard settings.");
  Prm_Add_Option("sound", 1, Option_Sound, "Configures soundcard settings.");
  Prm_Add_Option("video", 1, Option_Video, "Configures video settings.");
  Prm_Add_Option("bw", 1, Option_Black_White, "Forces use of standard VGA in black & white.");
  Prm_Add_Option("fake", 1, Option_Fake, "Forces use of faked 12bit mode in tweaked VGA. ");
  Prm_Add_Option("hicolor", 1, Option_Hicolor, "Forces use of linear 15bit mode.");
  Prm_Add_Option("retrace", 1, Option_Retrace, "Enables retrace check.");
  Prm_Add_Option("novbuf", 1, Option_No_Video_Buffer, "Disables video buffering.");
  Prm_Add_Option("smooth", 1, Option_Smooth, "Enables scanline-smoothing.");
  Prm_Add_Option("lowmem", 1, Option_Low_Memory, "Minimize memory requirements.");
  Prm_Add_Option("nofades", 1, Option_No_Fades, "Disable colorfades.");
  Prm_Add_Option("help", 1, Option_Help, "Displays this text.");
  for (const char* alias : {"-h", "/h", "-?", "?", "/?"}) Prm_Add_Option(alias, 9, Option_Help, "");
  Prm_Add_Option("fenrow", 17, Option_Debug, "(Debug mode)");
  Prm_Add_Option("raster", 17, Option_Raster, "(Raster timing)");
  Prm_Add_Option("cpu", 17, Option_Cpu, "(Cpu timing in debug mode)");
  Prm_Add_Option("mem", 17, Option_Memory, "(Memory measurement in debug mode)");
  Prm_Add_Option("profile", 17, Option_Profile, "(Pentium profiling in debug mode)");
  Prm_Add_Option("mode:", 18, Option_Mode, "(Set graphics resolution ie.mode:320x400)");
  Prm_Add_Option("modes", 17, Option_Modes, "(Show available vesa modes)");
  Prm_Add_Option("coloring", 17, Option_Coloring, "(Interactive coloring)");
  Prm_Add_Option("compiler", 17, Option_Compiler, "(Show compiler info)");
  Prm_Add_Option("data:", 18, Option_Data, "(Use external datafile)");
  Prm_Add_Option("melgo:", 18, Option_Music, "(Use external music)");
  Prm_Add_Option("bugtrace", 17, Option_Bugtrace, "(Debug trace: trace.txt)");
  Prm_Add_Option("led", 17, Option_Led, "(use LED's in debug trace)");
  Prm_Add_Option("superhelp", 17, Option_Super_Help, "(super-user-help)");
}
