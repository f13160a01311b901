// Music glue: loads and plays the one module, publishes its heard position, holds the tick slot.
#include "music/music.h"

#include <cstdio>

#include "music/xmfx.h"
#include "music/xmload.h"
#include "music/xmmix.h"
#include "runtime/err.h"
#include "runtime/file.h"

MusicPosition music_position;
MusicChannelLevels music_channel_levels;

namespace {
XmModule* music_module = nullptr;
DemoCallback music_tick_callback = Music_Empty_Callback;
u8 music_in_callback = 0;
u8 music_loaded = 0;
u8 music_playing = 0;
i32 music_rows_per_beat = 8;
i32 music_option = 0;
i32 music_parameter = 0;
}  // namespace

// Only a regular file is opened; anything else ends the run saying what it is.
void* Music_File_Open(const char* name) {
  FILE* f = nullptr;
  if (const char* kind = File_Open_Regular(name, &f)) Err_Error("Music: %s is %s", name, kind);
  return f;
}
void Music_File_Close(void* stream) { fclose(static_cast<FILE*>(stream)); }
u32 Music_File_Read(void* destination, u32 bytes, void* stream) {
  return u32(fread(destination, 1, bytes, static_cast<FILE*>(stream)));
}
void Music_File_Seek(void* stream, i32 offset, i32 origin) {
  fseek(static_cast<FILE*>(stream), offset, i8(origin) == 1 ? SEEK_CUR : SEEK_SET);
}
i32 Music_File_Tell(void* stream) { return i32(ftell(static_cast<FILE*>(stream))); }

void Music_Init(void) { Music_Clear_Callback(); }
void Music_Setup(void) {}

void Music_Load(const char* name) {
  Xm_Set_File_Callbacks(Music_File_Open, Music_File_Close, Music_File_Read, Music_File_Seek,
                        Music_File_Tell);
  music_module = Xm_Load_Module(name, nullptr);
  if (!music_module) Err_Error("Music: Unable to load %s: %s", name, Xm_Load_Error());
  music_loaded = 1;
}

void Music_Load_Datafile(void) {}

// The playing flag is set even without a module (a data-file run, where nothing was loaded); a
// loaded module whose output cannot start ends the show rather than leaving it without a clock.
void Music_Play_Module(void) {
  if (!Xm_Play_Module(music_module) && music_module) Err_Error("Music: Unable to open wave output.");
  music_playing = 1;
}

void Music_Set_Stopped(void) { music_playing = 0; }
u8 Music_Is_Playing(void) { return music_playing; }
u8 Music_Is_Loaded(void) { return music_loaded; }

// The playing flag is left alone: only Music_Set_Stopped clears it.
void Music_Free(void) {
  if (!music_loaded) return;
  Xm_Free_Module(music_module);
  music_module = nullptr;
  music_loaded = 0;
}

void Music_Stop(void) {}

void Music_Get_Position(void) {
  music_position.order = Xm_Get_Order(music_module);
  music_position.row = Xm_Get_Row(music_module);
}

void Music_Set_Position(u32 order, u32 row) {
  Xm_Set_Position(music_module, i32(order > 0xFFFF ? 0xFFFF : order), i32(row > 0xFFFF ? 0xFFFF : row));
}

void Music_Get_Channel_Levels(void) {
  i32 count = Xm_Get_Channel_Count(music_module);
  music_channel_levels.channels = u8(count);
  for (i32 i = 0; i < count && i < 32; i++)
    Xm_Get_Channel_Level(music_module, i, &music_channel_levels.levels[i][0],
                         &music_channel_levels.levels[i][1]);
}

void Music_Set_Callback(DemoCallback callback) { music_tick_callback = callback ? callback : Music_Empty_Callback; }
void Music_Clear_Callback(void) { music_tick_callback = Music_Empty_Callback; }
void Music_Empty_Callback(void) {}
u8 Music_In_Callback(void) { return music_in_callback; }

void Music_Call_Callback(void) {
  music_in_callback = 1;
  music_tick_callback();
  music_in_callback = 0;
}

void Music_Set_Beat(i32 rows) {
  if (rows > 0) music_rows_per_beat = rows;  // 0 would divide by zero in the beat effects
}
i32 Music_Get_Beat(void) { return music_rows_per_beat; }
void Music_Set_Option(i32 value) { music_option = value; }
void Music_Set_Parameter(i32 value) { music_parameter = value; }

void Music_Key_M(void) {}
void Music_Key_Plus(void) {}
void Music_Key_Minus(void) {}
void Music_Play_Sample(i32, i32, i32, i32, i32) {}
i32 Music_Load_Sample(const char*, i32, i32) { return -1; }
void Music_Error(const char* text) { Err_Error("%s", text); }
