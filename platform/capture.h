// Capture of presented frames: PNG pictures of chosen frames and a video of the show.
#pragma once
#include <string>
#include <vector>

#include "platform/plat.h"
#include "runtime/types.h"

// What became of one frame given to a video writer.
enum PlatVideoWrite : i32 {
  PLAT_VIDEO_WRITTEN,
  PLAT_VIDEO_FULL,    // the file reached its size limit; it was finished with every frame before this one
  PLAT_VIDEO_FAILED,  // the write failed (a full disk); the file was closed with what it holds
};

// A video file writer lent to the capture by the program above the platform.
struct PlatVideoWriter {
  bool (*open)(const char* name, u32 frame_rate, u32 width, u32 height);
  PlatVideoWrite (*write)(const u32* pixels, u32 width, u32 height);  // top-down 0x00RRGGBB rows
  void (*close)(void);
};

// The writer VELMORAN_AVI goes through; without one the capture says so and writes no video.
void Plat_Capture_Set_Video_Writer(const PlatVideoWriter* writer);
// Parses a frame choice: a comma-separated list of frame numbers (any number of them), or "every:N";
// false when malformed.
bool Plat_Capture_Parse_Frames(const char* text, std::vector<u32>* list, u32* every);
// Makes the folder and the folders above it, as "mkdir -p" does; false (and says why) when it cannot.
bool Plat_Capture_Make_Dir(const char* path);
// The name of the video file after the first: "show.avi" part 2 is "show.2.avi".
std::string Plat_Capture_Part_Name(const std::string& name, u32 part);
// Takes one presented frame (numbered from 1) as the configuration asks: PNG into the dump directory
// (VELMORAN_DUMP_DIR, VELMORAN_DUMP_FRAMES) and every avi_every-th frame into the video (VELMORAN_AVI).
// A video file that reaches its size limit goes on in the next part; a failed write stops the video.
void Plat_Capture_Frame(u32 frame, const u32* pixels, u32 width, u32 height);
// Finishes the video; also run at process exit, so a fatal end still leaves a readable file.
void Plat_Capture_Stop(void);
// Writes width x height pixels (0x00RRGGBB) as an 8-bit RGB PNG picture; false on failure.
bool Plat_Write_Png(const char* name, const u32* pixels, u32 width, u32 height);
