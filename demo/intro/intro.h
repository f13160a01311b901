// The intro scene: group and title logos over the flare's light burst and the sky, faded by levels.
#pragma once
#include "runtime/types.h"
#include "video/vbe.h"

void Intro_Load(void);
void Intro_Free(void);
void Intro_Frame_Blank(void);  // frame callback of the black opening
void Intro_Frame(void);        // frame callback: flare, sky and logos
void Intro_Tick(void);         // tick callback
void Intro_Prepare_Logo(void);   // setter: the brightened group logo into the mix buffer
void Intro_Logo_Fade_Out(void);  // setter: the slot's logo comes into view
void Intro_Logo_Fade_In(void);   // setter: the slot's logo fades away
void Intro_Start_Fade(void);     // setter: the group logo fades away
void Intro_Show_Logo(void);      // setter: the slot takes the title logo

// Read access for the tests.
i32 Intro_Logo_Level(void);
i32 Intro_Group_Level(void);
