// The term scene: an environment-mapped figure in a hall under an open sky, lit by a sun with a lens flare.
#pragma once
#include "runtime/types.h"

// Start-up and shutdown.
void Term_Load(void);
void Term_Build_Maps(void);
void Term_Free(void);
void Term_Empty(void);

// Frame and tick callbacks.
void Term_Frame(void);
void Term_Tick(void);

// Timeline event: the second set of textures, and the lights' sound.
void Term_Event_Textures(void);

// The texture slots the loader made, in the order it made them.
struct TermSlots {
  i32 face_1, face_2, body_1, body_2, environment, wall_1, wall_2;
  i32 done_1, done_2, done_3, panel_1, panel_2, panel_3, panel_4, lens, floor;
};

// What the scene holds, for the debug overlay and tests.
struct TermView {
  i32 scene;
  u32 figure, room, lens_sprite;
  u32 counter_a, counter_b;
  i32 step, last_step;
  i32 sample;
  TermSlots slots;
};
TermView Term_Get_View(void);
