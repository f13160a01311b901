// Capture of presented frames: PNG pictures of chosen frames and an AVI video of the show.
#pragma once
#include "platform/plat.h"
#include "runtime/types.h"

// Parses a frame choice: a comma-separated list of frame numbers, or "every:N"; false when malformed.
bool Plat_Capture_Parse_Frames(const char* text, u32* list, u32* count, u32 capacity, u32* every);
// Takes one presented frame (numbered from 1) as the configuration asks: PNG into the dump directory
// (VELMORAN_DUMP_DIR, VELMORAN_DUMP_FRAMES) and every avi_every-th frame into the AVI (VELMORAN_AVI).
void Plat_Capture_Frame(u32 frame, const u32* pixels, u32 width, u32 height);
// Finishes the AVI; also run at process exit, so a fatal end still leaves a readable file.
void Plat_Capture_Stop(void);
// Writes width x height pixels (0x00RRGGBB) as an 8-bit RGB PNG picture; false on failure.
bool Plat_Write_Png(const char* name, const u32* pixels, u32 width, u32 height);
