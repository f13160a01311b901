// Event sequencer: event table, end positions laid end to end, loops, the end test and debug keys.
#include "runtime/seq.h"

#include <cstdio>

#include "music/music.h"
#include "render/vrpath.h"
#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/key.h"
#include "video/pixel.h"

namespace {
SeqEvent seq_events[kSeqMaxEvents];
u32 seq_count = 0;
i32 seq_current = -1;
u8 seq_quit = 0;
const char* seq_part_name = "";
u32 seq_end_order = 0;
u32 seq_end_row = 0;
u32 seq_loop_counter = 0;
i32 seq_loop_start = -1;
f32 seq_speed = 1.0f;
i32 seq_frame_counter = 0;
bool seq_paused = false;

void Seq_Music_Position(u32* order, u32* row) {
  Music_Get_Position();
  *order = music_position.order;
  *row = music_position.row;
}
SeqPositionReader seq_reader = Seq_Music_Position;
SeqPositionMover seq_mover = Music_Set_Position;

// 'P' in debug mode holds the show while the key is down; messages keep flowing meanwhile.
bool Seq_Debug_Pause(void) {
  if (Key_Is_Down('P')) {
    seq_paused = true;
    return true;
  }
  if (seq_paused) {
    seq_paused = false;
    Key_Clear_Any();
  }
  return false;
}

// Debug keys that act once a press, in the order they are looked at.
const struct {
  u8 key;
  void (*action)(void);
} kSeqDebugKeys[] = {{'M', Music_Key_M},
                     {KEY_SPACE, Seq_Jump_Next_Order},
                     {KEY_CTRL, Seq_Skip_Event},
                     {'C', VR_Toggle_Path_Override},
                     {KEY_TAB, Demo_Toggle_Overlay}};

void Seq_Debug_Keys(void) {
  for (const auto& k : kSeqDebugKeys)
    if (Key_Is_Down(k.key)) {
      Key_Clear(k.key);
      k.action();
    }
  if (Key_Is_Down(KEY_NUMPAD_PLUS)) Music_Key_Plus();
  if (Key_Is_Down(KEY_NUMPAD_MINUS)) Music_Key_Minus();
  if (Key_Is_Down(KEY_RIGHT) && VR_Is_Path_Running()) {
    VR_Set_Path_Running(false);
    for (int i = 0; i < 10; i++) VR_Step_All_Paths();
    VR_Set_Path_Running(true);
  }
  if (Key_Is_Down(KEY_LEFT) && VR_Is_Path_Running()) {
    VR_Set_Path_Running(false);
    for (int i = 0; i < 20; i++) VR_Step_All_Paths_Back();
    VR_Set_Path_Running(true);
  }
}
}  // namespace

void Seq_Init(void) {
  seq_current = -1;
  seq_quit = 0;
  seq_count = 0;
  seq_part_name = "";
  seq_events[0].callback = nullptr;
}

void Seq_Add_Event(i32 orders, u32 rows, DemoCallback callback) {
  if (seq_count >= kSeqMaxEvents) Err_Error("Seq: Too many events");
  SeqEvent& e = seq_events[seq_count++];
  e.orders = i32(f64(orders) * f64(seq_speed));
  e.rows = rows;
  e.callback = callback;
  e.control = callback ? SEQ_NONE : SEQ_END;
}

void Seq_Add_Control(u8 kind, u32 argument) {
  Seq_Add_Event(0, 0, nullptr);
  seq_events[seq_count - 1].control = kind;
  seq_events[seq_count - 1].argument = argument;
}

void Seq_Set_Part_Name(const char* name) { seq_part_name = name ? name : ""; }
void Seq_Set_Speed(f32 factor) { seq_speed = factor; }

void Seq_Run_Demo(void) {
  seq_current = 0;
  Seq_Start_Event();
}

void Seq_Start_Event(void) {
  if (seq_current < 0 || u32(seq_current) >= seq_count) return;
  const SeqEvent& e = seq_events[seq_current];
  seq_part_name = "";
  u32 r = seq_end_row + e.rows;
  seq_end_row = r & 63;
  seq_end_order = seq_end_order + u32(e.orders) + (r >> 6);
  if (e.control != SEQ_NONE) Seq_Control_Event(e.control, e.argument);
}

void Seq_Control_Event(u8 kind, u32 argument) {
  switch (kind) {
    case SEQ_END:
      seq_quit = 1;
      break;
    case SEQ_LOOP_START:
      // A loop of no passes would count down from zero for ever.
      if (argument == 0) Err_Error("Seq: Loop start without passes");
      seq_loop_counter = argument;
      seq_loop_start = seq_current;
      break;
    case SEQ_LOOP_END:
      if (seq_loop_start < 0 || seq_loop_counter == 0) Err_Error("Seq: Loop end without loop start");
      seq_loop_counter--;
      if (seq_loop_counter != 0)
        seq_current = seq_loop_start;
      else
        seq_loop_start = -1;
      break;
    default:
      Err_Error("Seq: Illegal control event");
  }
}

void Seq_Set_Position_Reader(SeqPositionReader reader) { seq_reader = reader ? reader : Seq_Music_Position; }
void Seq_Set_Position_Mover(SeqPositionMover mover) { seq_mover = mover ? mover : Music_Set_Position; }

bool Seq_Event_Over(void) {
  u32 order = 0, row = 0;
  seq_reader(&order, &row);
  return seq_count != 0 && i64(order) * 64 + row >= i64(seq_end_order) * 64 + seq_end_row;
}

bool Seq_Run_Frame(void) {
  bool over = Seq_Event_Over();
  if (Key_Is_Down(KEY_ESCAPE)) {
    seq_quit = 1;
    over = true;
  }
  if (Demo_Get_Flag(DEMO_FLAG_DEBUG)) {
    if (Seq_Debug_Pause()) return false;
    Seq_Debug_Keys();
  }
  if (seq_current >= 0 && u32(seq_current) < seq_count && seq_events[seq_current].callback)
    seq_events[seq_current].callback();
  return over;
}

bool Seq_Next_Event(void) {
  seq_current++;
  if (seq_quit || u32(seq_current) >= seq_count) return false;
  Seq_Start_Event();
  return true;
}

void Seq_Jump_Next_Order(void) {
  u32 order = 0, row = 0;
  seq_reader(&order, &row);
  seq_mover(order + 1, row);
}
void Seq_Skip_Event(void) { seq_mover(seq_end_order, seq_end_row); }

void Seq_Show_Events(void) {
  printf("Seq_Show_Events:\n");
  for (u32 i = 0; i < seq_count; i++)
    printf("%3u: %d orders, %u rows, %p\n", i, seq_events[i].orders, seq_events[i].rows,
           reinterpret_cast<void*>(seq_events[i].callback));
}

void Seq_Get_Event(SeqEvent* out) {
  if (seq_current >= 0 && u32(seq_current) < kSeqMaxEvents) *out = seq_events[seq_current];
}

void Seq_Wait_Event(void) {
  while (!Seq_Run_Frame()) {
  }
}

void Seq_Count_Frame(void) { seq_frame_counter++; }
void Seq_Reset_Frame_Count(void) { seq_frame_counter = 0; }
void Seq_Reset_Frame_Counter(void) { seq_frame_counter = 0; }

// The fades run only while the current event lasts: one already over shows no frame.
void Seq_Wait_Darken(void) {
  if (Seq_Event_Over()) return;
  do {
    if (seq_frame_counter > 3) {
      Vbe_Darken(1);
      seq_frame_counter = 0;
    }
    Demo_Frame_Hook();
  } while (!Seq_Run_Frame());
}

void Seq_Wait_Brighten(void) {
  if (Seq_Event_Over()) return;
  do {
    if (seq_frame_counter > 0) Vbe_Brighten(seq_frame_counter >> 4);
    Demo_Frame_Hook();
  } while (!Seq_Run_Frame());
}

i32 Seq_Get_Current(void) { return seq_current; }
void Seq_Set_Current(i32 index) { seq_current = index; }
u32 Seq_Get_Count(void) { return seq_count; }
const char* Seq_Get_Part_Name(void) { return seq_part_name; }
u32 Seq_Get_End_Order(void) { return seq_end_order; }
u32 Seq_Get_End_Row(void) { return seq_end_row; }
bool Seq_Get_Quit(void) { return seq_quit != 0; }
i32 Seq_Get_Frame_Count(void) { return seq_frame_counter; }
