// Frame services: mode selection with the letterbox, the per-frame hook and overlay, the frame-rate
// meter, the loaders under a text loading bar, and the numbered trace file.
#include "runtime/frame.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "music/music.h"
#include "platform/plat.h"
#include "render/mesh.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "runtime/con.h"
#include "runtime/cpu.h"
#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/key.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/font.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/vbe.h"

namespace {
const char kTraceFile[] = "trace.dat";

u32 forced_width = 320, forced_height = 200;
u32 selected_mode = 0;
i32 current_mode = -1;
u32 border = 0;
u8 low_res = 0;
u8 overlay_on = 1;
DemoCallback loaders[kDemoMaxLoaders];
u8 loader_count = 0;
u8 rate_counter = 0;
i32 rate_last_time = 0;
f32 rate_fps = 0;
i32 trace_step = 0, trace_group = 0;
bool tracing = false;
char channel_meter[kDemoMeterChannels + 1] = "                                ";
i32 demo_value = 0;

// The next trace number: 1 to 7, 10 to 17, 20 to 27 and so on.
i32 Demo_Next_Trace_Number(void) {
  trace_step++;
  if (trace_step > 7) {
    trace_step = 0;
    trace_group++;
  }
  if (Demo_Get_Flag(DEMO_FLAG_LED)) Cpu_Set_Leds(u32(trace_step));
  return trace_step + 10 * trace_group;
}

// Each line opens, appends and closes, so the file is complete up to the last line.
void Demo_Trace_Line(const char* text) {
  FILE* f = fopen(kTraceFile, "a");
  if (!f) return;
  fprintf(f, " %3d: %s\n", Demo_Next_Trace_Number(), text);
  fclose(f);
}

u16 Demo_Detect(u32 width, u32 height) {
  return Demo_Get_Flag(DEMO_FLAG_HICOLOR) ? Vbe_Detect_32K(width, height) : Vbe_Detect_16M(width, height);
}
}  // namespace

void Demo_Force_Resolution(u32 width, u32 height) {
  forced_width = width;
  forced_height = height;
}

void Demo_Select_Mode(void) {
  if (selected_mode != 0 || vbe_screen.black_white || vbe_screen.fake_24) return;
  if (forced_width != 320 || forced_height != 200) {
    selected_mode = Demo_Detect(forced_width, forced_height);
  } else {
    selected_mode = Demo_Detect(320, 200);
    if (selected_mode == 0) {
      selected_mode = Demo_Detect(640, 400);
      low_res = selected_mode != 0;
      if (low_res) Vbe_Set_Low_Res();
    } else {
      low_res = 0;
    }
  }
  vbe_screen.full_height = vbe_screen.height;
}

void Demo_Set_Border(u32 percent) {
  border = percent;
  u32 p = Math_Percent(vbe_screen.height, percent);
  // The mode set recomputes the height from the mode; this reduction only lasts until then.
  vbe_screen.height -= 2 * p < vbe_screen.height ? 2 * p : vbe_screen.height;
}

void Demo_Apply_Mode(void) {
  if (i32(selected_mode) == current_mode) return;
  Vbe_Free_Buffer();
  vbe_screen.low_res = low_res != 0;
  Vbe_Set_Mode(selected_mode);
  current_mode = i32(selected_mode);
  u32 height = vbe_screen.height;
  u32 p = Math_Percent(height, border);
  Vbe_Squeze(p, height - p);
  Vbe_Alloc_Buffer();
  Vbe_Clear();
  VR_Set_Viewport(0, 0, vbe_screen.width, vbe_screen.height, vbe_screen.frame);
}

void Demo_Open_Mode(void) { Demo_Apply_Mode(); }

void Demo_Close_Mode(void) {
  Vbe_Free_Buffer();
  current_mode = -1;
}

u32 Demo_Find_Mode(u32 width, u32 height) {
  selected_mode = Vbe_Detect_16M(width, height);
  return selected_mode;
}

void Demo_Use_Mode(u32 mode, u32 width, u32 height, u32 kind) {
  vbe_screen.width = width;
  vbe_screen.height = height;
  // A rejected mode is a failure: ending through Demo_Abort would report it with exit code 0.
  if (mode > 256 && !Vbe_Detect_Selected(mode)) Err_Error("Demo: Unable to use video mode %u", mode);
  selected_mode = mode;
  low_res = 0;
  if (kind == 1) {
    Vbe_Set_Low_Res();
    low_res = 1;
  } else if (kind == 2) {
    Vbe_Set_Fake_24();
  } else if (kind == 3) {
    Vbe_Set_Black_White();
  }
}

u32 Demo_Get_Selected_Mode(void) { return selected_mode; }
u8 Demo_Get_Low_Res(void) { return low_res; }

void Demo_Frame_Hook(void) {
  if (Demo_Get_Flag(DEMO_FLAG_DEBUG)) Demo_Show_Debug_Info();
  if (vbe_screen.present) vbe_screen.present();
}

f32 Demo_Frame_Rate(void) {
  rate_counter++;
  if (rate_counter < 10) return rate_fps;
  i32 t = Plat_Process_Millis();
  // Ten frames within one millisecond give no measurement: the last rate stands.
  if (t != rate_last_time) rate_fps = 10.0f / (f32(t - rate_last_time) * 0.001f);
  rate_last_time = t;
  rate_counter = 0;
  return rate_fps;
}

void Demo_Toggle_Overlay(void) { overlay_on = !overlay_on; }

void Demo_Step_Channel_Meter(const u8* level_pairs, u32 count) {
  if (count > kDemoMeterChannels) count = kDemoMeterChannels;
  for (u32 i = 0; i < count; i++) {
    char& c = channel_meter[i];
    if (level_pairs[2 * i] != 0) {
      c = '[';
    } else if (c == ' ') {
      c = '^';
    } else if (c < '^') {
      c++;
    }
  }
}

const char* Demo_Get_Channel_Meter(void) { return channel_meter; }

void Demo_Show_Debug_Info(void) {
  if (!overlay_on) return;
  Vbe_Set_Print_Line(1);
  Vbe_Debug_Print("FPS: %2.2f", Demo_Frame_Rate());
  if (Seq_Get_Current() >= 0)
    Vbe_Debug_Print("SEQ: %d, %s, %02d.%02d", Seq_Get_Current(), Seq_Get_Part_Name(), Seq_Get_End_Order(),
                    Seq_Get_End_Row());
  if (Music_Is_Playing()) {
    Music_Get_Channel_Levels();
    Vbe_Debug_Print("MUS: %02d.%02d  %d", music_position.order, music_position.row,
                    music_channel_levels.levels[11][0]);
    Demo_Step_Channel_Meter(&music_channel_levels.levels[0][0], music_channel_levels.channels);
    Vbe_Debug_Print("     %s", channel_meter);
  }
  if (vr_view.initialised && Mesh_Get_Selected_Scene() >= 0) {
    Vbe_Debug_Print("VR:  SCENE:%4d OF %2d", Mesh_Get_Selected_Scene() + 1, Mesh_Get_Scene_Count());
    Vbe_Debug_Print("     POINTS:%4d,POLYS:%4d,OBJS:%2d", mesh_work.last_point + 1, mesh_work.last_poly + 1,
                    mesh_work.last_object + 1);
    Vbe_Debug_Print("     POINTS:%4d,POLYS:%4d,OBJS:%2d", vr_engine.points_drawn, vr_engine.draw_count,
                    vr_engine.sectors_drawn);
    if (VR_Is_Path_Running()) Vbe_Debug_Print("     FRAME:%5d", VR_Get_Path_Record());
  }
  if (vbe_screen.paging) Vbe_Debug_Print("VBE: PAGE:%4d", vbe_screen.page_index);
  if (Vbe_Resize_Active()) Vbe_Debug_Print("VBE: RESIZE:%2.2f %2.2f", Vbe_Get_Factor_X(), Vbe_Get_Factor_Y());
  if (Demo_Get_Flag(DEMO_FLAG_CPU)) Cpu_Show_Timers();
  if (Demo_Get_Flag(DEMO_FLAG_COLORING)) {
    // The polygon map being gathered: records of the capacity and a pending dump, then the last record's
    // polygon, the direction it will be projected along (x) and the record's vertex count.
    u32 polygon, vertex_count;
    VR_Get_Map_Last(&polygon, &vertex_count);
    Vbe_Debug_Print("POLY:MAP:%d/%d %s", VR_Get_Map_Count(), kVrMaxMapPolygons, VR_Get_Map_Dump_Name());
    Vbe_Debug_Print("     %d %2.2f %d", polygon, VR_Get_Map_Direction(0), vertex_count);
  }
  if (Cpu_Is_Profiling()) Cpu_Show_Profile();
  if (Key_Is_Down('S')) {
    Key_Clear('S');
    VR_Play_Positional_Sound(0, 0, 0, 0, 0, 22000, 63);
  }
  if (Mem_Get_Measure()) Vbe_Debug_Print("MEM: %d KB free", Mem_Get_Free());
}

void Demo_Add_Init(DemoCallback loader) {
  if (loader_count >= kDemoMaxLoaders) Err_Error("Demo: Too many loaders");
  loaders[loader_count++] = loader;
}

void Demo_Run_Init_Sequence(u32 mode, u32 steps) {
  u32 length = loader_count;
  if (mode == 1) {
    length = steps;
    File_Progress_On();
  } else if (mode != 0) {
    length = mode;
  }
  // The length counts as a signed byte: above 127 the bar has no dots.
  i32 n = i8(u8(length));
  fputs("Demo: Loading", stdout);
  fputs(" [", stdout);
  for (i32 i = 0; i < n; i++) fputc('.', stdout);
  fputc(']', stdout);
  for (i32 i = 0; i < n + 1; i++) fputc('\b', stdout);
  fflush(stdout);
  for (u32 i = 0; i < loader_count; i++) {
    Demo_Trace_Number("Demo_Run_Init_Sequence: ", i32(i));
    loaders[i]();
    if (mode == 0) Con_Put_Glyph(CON_SQUARE);
    fflush(stdout);
    if (Key_Is_Down(KEY_ESCAPE)) {
      fputc('\n', stdout);
      Demo_Exit();
    }
  }
  fputc('\n', stdout);
  fflush(stdout);
  File_Progress_Off();
  loader_count = 0;
}

void Demo_Load_Selected_Music(const char* name) {
  if (Demo_Get_Flag(DEMO_FLAG_EXTERNAL_MUSIC)) {
    name = Demo_Get_Music_Name();
  } else if (File_Using_Datafile()) {
    Music_Load_Datafile();
    return;
  }
  Music_Load(name);
}

void Demo_Trace_Init(void) {
  tracing = true;
  trace_step = trace_group = 0;
  FILE* f = fopen(kTraceFile, "w");
  if (!f) return;
  fputs("Demo_Trace:\n", f);
  fclose(f);
}

void Demo_Trace_Stop(void) { tracing = false; }

void Demo_Trace(const char* text) {
  if (tracing) Demo_Trace_Line(text);
}

void Demo_Trace_Format(const char* format, ...) {
  if (!tracing) return;
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Demo_Trace_Line(text);
}

void Demo_Trace_Two(const char* text, const char* more) {
  if (tracing) Demo_Trace_Format("%s %s", text, more);
}

void Demo_Trace_Number(const char* text, i32 number) {
  if (tracing) Demo_Trace_Format("%s %d", text, number);
}

void Demo_Set_Value(i32 value) { demo_value = value; }
