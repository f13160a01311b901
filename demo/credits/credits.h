// The credits scene: six pages rising out of black under film grain, the last one fading away.
#pragma once
#include "runtime/types.h"

void Credits_Load(void);
void Credits_Frame(void);
void Credits_Tick(void);
void Credits_Free(void);

// Timeline setters.
void Credits_Start_Crossfade(void);
void Credits_Layout(void);
void Credits_Next_Page(void);
void Credits_Clear_Row_Dim(void);
void Credits_Set_Row_Dim(void);
void Credits_Start_Fade_Out(void);

// The scene's state as tests read it.
struct CreditsState {
  u32* picture;  // 320x300 design pixels; after the layout scaled and holding the six page headers
  i32 page;
  i32 darkness;
  i32 darkness_step;
  u8 row_dim;  // while set, music row 44 or later turns the darkness step to -1
  u8 fade_out;
  i32 fade_level;
  u8 laid_out;
};
const CreditsState* Credits_State(void);
