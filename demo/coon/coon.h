// Coon scene: a picture bent by a Coons patch between four moving edge curves, with labels on the beat.
#pragma once
#include "runtime/types.h"

struct CoonPoint {
  f32 x;
  f32 y;
};

// A boundary curve: npt points in texture coordinates.
struct CoonCurve {
  u32 npt;
  CoonPoint* pt;
};

// A column of the patch in 12.20 fixed point: its top point and its step down one row.
struct Ipoint {
  i32 x;
  i32 y;
  i32 dx;
  i32 dy;
};

const u32 kCoonWidth = 320;
const u32 kCoonHeight = 200;
const u32 kCoonMaxRows = 190;
const i32 kCoonFixShift = 20;
const u32 kCoonTextureTexels = 65536;
const u32 kCoonPieces = 27;
const u32 kCoonSlots = 10;
const u32 kCoonGridColumns = 3;
const u32 kCoonGridRows = 9;
const u32 kCoonShownRows = 6;
const u32 kCoonChannelA = 13;  // a note on either channel puts up a label
const u32 kCoonChannelB = 14;

// A label on screen.
struct CoonSlot {
  i32 piece;  // -1: empty
  u32 spare;
  u32 column;
  u32 row;
};

// The labels' bookkeeping, readable for tests.
struct CoonLabels {
  CoonSlot slot[kCoonSlots];
  u8 grid[kCoonGridColumns][kCoonGridRows];  // occupied places; [column][row]
  u32 slot_index;
  u32 next_piece;
  u32 last_trigger_row;
};

void Coon_Load(void);
void Coon_Frame(void);
void Coon_Tick(void);
void Coon_Free(void);
void Coon_Init(void);
void Coon_Release_Buffer(void);
void Coon_Reset_Labels(void);
void Coon_Draw(void);
void Coon_Patch(const u32* texture, u32* destination, const CoonCurve* bound, i32 x_offset, i32 y_offset);

// The boundary curves for the given phases into the scene's bound record.
void Coon_Make_Curves(u32 phase_0, u32 phase_1);
const CoonCurve* Coon_Get_Bound(void);
// The trigger step of the frame: a label for a note on channel 13 or 14, two rows or more after the last.
void Coon_Trigger(u32 row);
// Draws the labels into the frame.
void Coon_Draw_Labels(void);
const CoonLabels* Coon_Get_Labels(void);
u32 Coon_Get_Phase(u32 n);
void Coon_Set_Phases(u32 phase_0, u32 phase_1);
// Where piece n starts in the scaled label picture.
const u32* Coon_Get_Piece(u32 n);
// The texture the patch reads (65536 texels, after the load).
const u32* Coon_Get_Texture(void);
