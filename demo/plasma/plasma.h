// Plasma scene: four moving windows into a tunnel picture make a height map that bends a colour texture.
#pragma once
#include "runtime/types.h"

const u32 kPlasmaTunnelWidth = 640;
const u32 kPlasmaTunnelRows = 386;   // rows the largest offsets reach
const u32 kPlasmaRowTable = 1600;
const u32 kPlasmaMapWidth = 320;
const u32 kPlasmaMapHeight = 200;
const u32 kPlasmaMapBytes = kPlasmaMapWidth * kPlasmaMapHeight;
const u32 kPlasmaSecondPoint = 1920;  // the colour pass reads the height six rows further on too
const u32 kPlasmaPhases = 8;

void Plasma_Load(void);
void Plasma_Init(void);
void Plasma_Frame(void);
void Plasma_Tick(void);
void Plasma_Render(void);
void Plasma_Draw(i32 a0, i32 a1, i32 a2, i32 a3, i32 a4, i32 a5, i32 a6, i32 a7);
void Plasma_Release_Buffer(void);
void Plasma_Free(void);
// A ramp of 256 colours from first to second, per channel in 8.8 fixed point.
void Plasma_Make_Gradient(u32* table, u32 first, u32 second);

// The eight window offsets of the current phases, in the order Plasma_Draw takes them.
void Plasma_Offsets(i32 offsets[8]);
// The colour pass over the current drawing surface.
void Plasma_Colour_Pass(void);
// Phases p0 .. p7 by number, for tests and the benchmark.
i32 Plasma_Get_Phase(u32 n);
void Plasma_Set_Phase(u32 n, i32 angle);
// The height map (kPlasmaMapBytes bytes and the zeroed tail the colour pass reads past it).
const u8* Plasma_Height_Map(void);
