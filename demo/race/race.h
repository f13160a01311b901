// The race scene: a camera flight along a looping path between two endless plates, through two fields of lens sprites.
#pragma once
#include "runtime/types.h"

// Sizes the loader builds the scene with.
const u32 kRaceSpritesPerField = 18;
const u32 kRaceFieldCount = 2;

void Race_Load(void);
void Race_Frame(void);
void Race_Tick(void);
void Race_Colour_Map(void);
void Race_Hide_Objects(void);
void Race_Show_Objects(void);
void Race_Free(void);

// Read access for the overlay and tests.
u8 Race_Get_First_Slot(void);
// True when the heard row starts a flash: every second beat, once per row the sway has not yet seen.
bool Race_Beat_Due(u32 row, i32 rows_per_beat, u32 last_row);
