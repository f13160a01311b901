// Eye scene: a textured square with a blinking eye, seen by a rolling camera that sways with the beat.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

const u32 kEyeFrames = 6;
// Where the lid pictures go into the eye picture, and their size.
const i32 kEyePasteX = 42, kEyePasteY = 74;
const i32 kEyeLidWidth = 160, kEyeLidHeight = 130;

// The scene's state, readable for the debug overlay and the tests.
struct EyeState {
  u32 scene;                     // mesh scene of the square
  u32* texture;                  // pixels of "eye/keye1a.pcx", the texture's storage
  cbitmap* frames[kEyeFrames];   // 0: the open eye cut from the picture; 1..4 the lid pictures; 5 = 1
  u8 blinking;
  u8 frame_index;  // eye picture to show
  u8 shown_index;  // eye picture last pasted into the texture
  i32 direction;   // roll per tick (2048 a turn)
  i32 countdown;   // ticks until the blink machine's next step
  i32 blink_state; // 0..7 step; a lid event can push it outside, where the machine stands still
};

const EyeState* Eye_Get_State(void);

void Eye_Load(void);
void Eye_Frame(void);
void Eye_Tick(void);
void Eye_Free(void);
void Eye_Draw(void);
void Eye_Step(void);

// Timeline setters.
void Eye_Event_Dir_Up(void);
void Eye_Event_Dir_Down(void);
void Eye_Event_Dir_Flip(void);
void Eye_Event_Dir_Zero(void);
void Eye_Event_Camera(void);
void Eye_Event_Blink_On(void);
void Eye_Event_Blink_Reset(void);
void Eye_Event_Lid_Reset(void);
void Eye_Event_Lid_Half(void);
void Eye_Event_Lid_Down(void);
void Eye_Event_Lid_Up(void);
