// The sky layer: two drifting grey cloud layers from one raw 8-bit animation, added to the frame.
#pragma once
#include "runtime/types.h"

const u32 kSkyWidth = 160;                     // pixels of a frame's row
const u32 kSkyHeight = 100;                    // rows of a frame
const u32 kSkyFrameBytes = kSkyWidth * kSkyHeight;
const u32 kSkyFrames = 32;                     // frames of the loop
const u32 kSkyFileBytes = kSkyFrames * kSkyFrameBytes;
const u32 kSkyPadBytes = 640;                  // zeros after the frames: the lower layer reads 4 rows past a frame

void Sky_Load(void);      // reads "sky/sky.pic" (called by the intro's loader)
void Sky_Free(void);      // releases the animation (called by the intro's free)
void Sky_Tick(void);      // one 85 Hz tick: frames, base brightness and level
i32 Sky_Draw(void);       // adds both layers to the frame; returns the level (0: nothing drawn)
void Sky_Fade_In(void);   // timeline event: level 8, rising by 2
void Sky_Fade_Out(void);  // timeline event: level 204, falling
void Sky_Set_Bright(void);
void Sky_Set_Dim(void);
void Sky_Frame(void);          // stand-alone frame callback
void Sky_Tick_Callback(void);  // its tick callback
void Sky_Make_Palette(u32 base, u32 target);

// Read access for the scenes' tests.
const u32* Sky_Palette(void);  // the palette the last Sky_Make_Palette built (256 colours)
i32 Sky_Level(void);
i32 Sky_Layer_Frame(u32 layer);  // frame index of layer 0 (A) or 1 (B)
const u8* Sky_Animation(void);   // the loaded block, frames and zero tail
