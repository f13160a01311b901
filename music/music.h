// Music glue: the one loaded module, its heard position, channel levels and the tick-callback slot.
#pragma once
#include "runtime/types.h"

struct MusicPosition {
  u32 order;
  u32 row;
};
extern MusicPosition music_position;  // the heard position as last fetched by Music_Get_Position

void Music_Init(void);
void Music_Setup(void);
void Music_Load(const char* name);
void Music_Play_Module(void);
void Music_Free(void);
void Music_Stop(void);
void Music_Set_Stopped(void);
void Music_Get_Position(void);
void Music_Set_Position(u32 order, u32 row);
void Music_Set_Callback(DemoCallback callback);
void Music_Clear_Callback(void);
void Music_Call_Callback(void);
void Music_Key_M(void);
void Music_Key_Plus(void);
void Music_Key_Minus(void);
