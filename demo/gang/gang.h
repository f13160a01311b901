// Gang scene: a walk down a corridor of sectors whose doors open and shut, with a figure coming along it.
#pragma once
#include "runtime/types.h"

const i32 kGangWrapTick = 2800;  // the tick counter starts again after this
const u32 kGangDoors = 5;        // door events the corridor must have
const u32 kGangSettleLimit = 10000;

// Texture slots the loader makes.
struct GangSlots {
  i32 face, body, body_2, gloss, gloss_2, wall;  // wall .. wall + 7: four wall and four floor quarters
};

// The scene's state, readable for the debug overlay and the tests.
struct GangState {
  u32 scene;
  i32 tick;           // ticks since the counter last started
  i32 frame_tick;     // the frame's copy of it
  i32 previous_tick;  // the previous frame's copy (for the camera aim)
  u32 figure;         // the walking figure's object
  i32 anim_countdown;
  u8 flash_on;
  i32 flash_countdown;
  u32 first_event;    // the corridor's first door event
  GangSlots slots;
};

const GangState* Gang_Get_State(void);

void Gang_Load(void);
void Gang_Frame(void);
void Gang_Tick(void);
void Gang_Free(void);
void Gang_Anim_Tick(void);
void Gang_Light_Flash(void);
void Gang_Light_Tick(void);
// Texture slots and scales of the polygons first .. end - 1 from their file texture numbers; w: first wall slot.
void Gang_Assign_Textures(u32 first, u32 end, i32 w);
void Gang_Bake_Maps(void);
void Gang_Door_Step(u32 event);
