// The flare effect: the intro's light burst of two flare pictures and 150 spinning additive beams.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

const u32 kFlareSparks = 150;
const i32 kFlareCentreX = 160;

// One beam: two turning angles, their speeds, its length and the end point reached at the last move.
struct FlareSpark {
  i32 angle_a, angle_b;  // 0..2047
  i32 speed_a, speed_b;
  i32 x, y;              // relative to the centre
  i32 length;            // 0..280
};

void Flare_Load(void);   // sparks and the two pictures (called by the intro's loader)
void Flare_Reset(void);  // start flash from the beginning, both levels 0
void Flare_Set_View(void);
void Flare_Tick(void);
bool Flare_Draw(void);   // false, drawing nothing, once the flash is over and both levels are 255
void Flare_Darken_Glow(void);
void Flare_Lighten_Glow(void);
void Flare_Darken_Beams(void);
void Flare_Lighten_Beams(void);
void Flare_Set_Spark(u32 index, i32 angle_a, i32 angle_b);
void Flare_Move_Sparks(i32 ticks);
void Flare_Clip_Line(i32 x0, i32 y0, i32 x1, i32 y1, u32 colour);
void Flare_Add_Line(i32 x0, i32 y0, i32 x1, i32 y1, u32 colour);
void Flare_Tick_Design(void);  // tick callback of the stand-alone runner
void Flare_Run(void);          // stand-alone runner: the flare alone for one frame

// Read access for the intro and the tests.
i32 Flare_Glow_Level(void);
i32 Flare_Beam_Level(void);
i32 Flare_Startup(void);
