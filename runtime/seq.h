// Event sequencer: the show's event list stepped by the heard music position.
#pragma once
#include "runtime/types.h"

enum SeqControl : u8 { SEQ_NONE = 0, SEQ_END = 1, SEQ_LOOP_START = 2, SEQ_LOOP_END = 3 };

struct SeqEvent {
  i32 orders;  // length in orders, already multiplied by the speed factor
  u32 rows;    // length in rows, carried into orders at 64
  DemoCallback callback;
  u8 control;
  u32 argument;  // loop start: number of passes
};

const u32 kSeqMaxEvents = 300;

void Seq_Init(void);
void Seq_Add_Event(i32 orders, u32 rows, DemoCallback callback);
void Seq_Add_Control(u8 kind, u32 argument);
void Seq_Set_Part_Name(const char* name);
void Seq_Set_Speed(f32 factor);
void Seq_Run_Demo(void);
void Seq_Start_Event(void);
void Seq_Control_Event(u8 kind, u32 argument);
bool Seq_Run_Frame(void);
// The heard position has reached the current event's end (never with no events); nothing else is done.
bool Seq_Event_Over(void);
bool Seq_Next_Event(void);
void Seq_Jump_Next_Order(void);
void Seq_Skip_Event(void);
void Seq_Show_Events(void);
void Seq_Get_Event(SeqEvent* out);
void Seq_Wait_Event(void);
void Seq_Count_Frame(void);
void Seq_Reset_Frame_Count(void);
void Seq_Reset_Frame_Counter(void);
void Seq_Wait_Darken(void);
void Seq_Wait_Brighten(void);

// Where the heard position comes from: the music by default; tests may supply their own.
typedef void (*SeqPositionReader)(u32* order, u32* row);
void Seq_Set_Position_Reader(SeqPositionReader reader);  // null: the music's heard position
typedef void (*SeqPositionMover)(u32 order, u32 row);
void Seq_Set_Position_Mover(SeqPositionMover mover);  // null: the music's position is set

// Read by the host (end of the show), the debug overlay and the waiting fades.
i32 Seq_Get_Current(void);
void Seq_Set_Current(i32 index);
u32 Seq_Get_Count(void);
const char* Seq_Get_Part_Name(void);
u32 Seq_Get_End_Order(void);
u32 Seq_Get_End_Row(void);
bool Seq_Get_Quit(void);
i32 Seq_Get_Frame_Count(void);
