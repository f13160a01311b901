// Music glue: the one loaded module, its heard position, channel levels and the tick-callback slot.
#pragma once
#include "runtime/types.h"

struct MusicPosition {
  u32 order;
  u32 row;
};
extern MusicPosition music_position;  // the heard position as last fetched by Music_Get_Position

struct MusicChannelLevels {
  u8 channels;
  u8 levels[32][2];  // note byte and volume-column byte of the row last processed
};
extern MusicChannelLevels music_channel_levels;  // filled by Music_Get_Channel_Levels

void Music_Init(void);
void Music_Setup(void);
void Music_Load(const char* name);
void Music_Load_Datafile(void);
void Music_Play_Module(void);
void Music_Free(void);
void Music_Stop(void);
void Music_Set_Stopped(void);
u8 Music_Is_Playing(void);
u8 Music_Is_Loaded(void);  // a module is loaded and not yet freed
void Music_Get_Position(void);
void Music_Set_Position(u32 order, u32 row);
void Music_Get_Channel_Levels(void);
void Music_Set_Callback(DemoCallback callback);
void Music_Clear_Callback(void);
void Music_Call_Callback(void);
void Music_Empty_Callback(void);
u8 Music_In_Callback(void);  // 1 while the tick callback runs
void Music_Set_Beat(i32 rows);
i32 Music_Get_Beat(void);  // rows per beat
void Music_Set_Option(i32 value);
void Music_Set_Parameter(i32 value);
void Music_Key_M(void);
void Music_Key_Plus(void);
void Music_Key_Minus(void);
void Music_Play_Sample(i32 sample, i32 a, i32 b, i32 volume, i32 pan);
i32 Music_Load_Sample(const char* name, i32 a, i32 b);
[[noreturn]] void Music_Error(const char* text);

// The C runtime's streams as the player's file callbacks.
void* Music_File_Open(const char* name);
void Music_File_Close(void* stream);
u32 Music_File_Read(void* destination, u32 bytes, void* stream);
void Music_File_Seek(void* stream, i32 offset, i32 origin);
i32 Music_File_Tell(void* stream);
