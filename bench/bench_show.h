// Start-up shared by the benchmarks: the show's largest mode, and the host's start-up over a data file.
#pragma once
#include <string>
#include <vector>

#include "demo/design.h"
#include "host/win.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/vbe.h"

const u32 kBenchWidth = 960, kBenchHeight = 600;
const u32 kBenchBorderTop = 42, kBenchBorderBottom = 558;  // the 7 per cent letterbox at 600 rows

inline std::vector<u32> bench_host_surface;

// 960x600 with the letterbox, the design and mix buffers; the frame and the design buffer hold noise.
inline void Bench_Open_Show_Mode(void) {
  static bool open = false;
  if (open) return;
  open = true;
  Mem_Init(0);
  Math_Init();
  bench_host_surface.assign(size_t(kBenchWidth) * kBenchHeight, 0);
  Vbe_Set_Host_Surface(bench_host_surface.data(), kBenchWidth, kBenchHeight);
  Vbe_Set_Mode(Vbe_Detect_16M(kBenchWidth, kBenchHeight));
  Vbe_Squeze(kBenchBorderTop, kBenchBorderBottom);
  Vbe_Alloc_Buffer();
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
  u32 x = 1;
  for (u32 i = 0; i < vbe_screen.frame_size / 4; i++) vbe_screen.frame[i] = x = x * 69069u + 1;
  for (u32 i = 0; i < 320 * 200; i++) Vbe_Design_Buffer()[i] = x = x * 69069u + 1;
}

// The host's start-up at 960x600 serving the data file: the mode, the renderers, the buffers and the
// post-effect layer, in the host's order.
inline void Bench_Start_Host(const std::string& datafile) {
  Demo_Init(datafile.c_str(), 0);
  bench_host_surface.assign(size_t(kBenchWidth) * kBenchHeight, 0);
  Vbe_Set_Host_Surface(bench_host_surface.data(), kBenchWidth, kBenchHeight);
  Demo_Force_Resolution(kBenchWidth, kBenchHeight);
  Win_Open_Engine(false);
  Design_Init();
}
