// The rig scene: a structure standing in water with its reflection, a horizon, a sky and blinking lights.
#pragma once
#include "runtime/types.h"

// Start-up and shutdown.
void Rig_Load(void);
void Rig_Build_Textures(void);
void Rig_Free(void);

// Frame and tick callbacks, and the tick's beacon step.
void Rig_Frame(void);
void Rig_Tick(void);
void Rig_Blink_Beacons(void);

// Timeline events: the fade in from black under the sky layer, and its end.
void Rig_Start_Fade(void);
void Rig_Stop_Fade(void);

// The slot of the sky texture, which the term scene lays over its sky plane.
i32 Rig_Get_Sky_Slot(void);

// What the scene holds, for the debug overlay and tests.
struct RigView {
  i32 scene;
  i32 first_slot;
  u32 beacon_a, beacon_b;  // polygons
  i32 beacon_countdown;
  u8 beacon_phase;
  u32 ticks;
  u32 frame_ticks;
  i32 fade_level, fade_step;
  u8 fade_on, sky_on;
  u8 textures_built;
};
RigView Rig_Get_View(void);
