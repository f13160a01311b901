// AVI frame writer: frames of 32-bit pixels into an uncompressed 24-bit AVI video file.
#pragma once
#include "platform/capture.h"
#include "platform/plat.h"
#include "runtime/types.h"

enum : i32 { AVI_OK = 1, AVI_ERROR = 77 };

// Opens name for frames of width x height at frame_rate per second (an odd width loses its last
// column); a writer still open is closed first. unused is not read; owner owns the compressor dialog
// where the platform asks for one (0: none).
i32 Avi_Open(const char* name, i32 unused, u32 frame_rate, PlatWindow owner, i32 width, i32 height);
// Appends one top-down frame of 0x00RRGGBB pixels whose rows lie bytes_per_row apart (low 16 bits).
i32 Avi_Write_Frame(const u32* pixels, u32 bytes_per_row);
// Finishes the file; writing afterwards returns AVI_ERROR.
void Avi_Close(void);
// True when the last refused frame was refused because the file reached its size limit (the file was
// finished with every frame before it); false after a failed write.
bool Avi_Full(void);
// The writer the platform's capture uses for VELMORAN_AVI.
const PlatVideoWriter* Avi_Capture_Writer(void);
