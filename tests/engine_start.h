// The host's start-up steps for tests and benchmarks: the mode over a surface of the caller's, the renderers,
// the work buffers, and checksums of what was drawn.
#pragma once
#include <zlib.h>

#include <string>
#include <vector>

#include "demo/design.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "video/picture.h"
#include "video/vbe.h"

// The mode for a width x height host surface held in *surface: the resolution forced, the mode picked and
// the letterbox taken off (border percent at the top and at the bottom).
inline void Engine_Select_Mode(std::vector<u32>* surface, u32 width, u32 height, u32 border = 7) {
  surface->assign(size_t(width) * height, 0);
  Vbe_Set_Host_Surface(surface->data(), width, height);
  Demo_Force_Resolution(width, height);
  Demo_Select_Mode();
  Demo_Set_Border(border);
}

// The math tables, the polygon layer, the mesh store and the VR engine.
inline void Engine_Init_Renderers(void) {
  Math_Init();
  Poly_Init();
  Mesh_Reset();
  VR_Init();
}

// The 320 x 200 design buffer and the mix buffer.
inline void Engine_Alloc_Buffers(void) {
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
}

// The mode and the renderers in the host's order: the renderers start before the mode opens, so the
// viewport the mode sets stands.
inline void Engine_Open_As_Host(std::vector<u32>* surface, u32 width, u32 height) {
  Engine_Select_Mode(surface, width, height);
  Engine_Init_Renderers();
  Demo_Open_Mode();
  Engine_Alloc_Buffers();
}

// The mode and the renderers in the order the scene tests have always started them: the mode opens first
// and VR_Init then puts back the polygon layer's defaults (its pitch among them).
inline void Engine_Open_Mode_First(std::vector<u32>* surface, u32 width, u32 height, u32 border = 7) {
  Engine_Select_Mode(surface, width, height, border);
  Demo_Open_Mode();
  Engine_Init_Renderers();
  Engine_Alloc_Buffers();
}

// The host's whole start-up over a width x height surface, serving the data file, the post-effect layer
// initialised.
inline void Engine_Start_Host(u32 width, u32 height, const std::string& datafile, std::vector<u32>* surface) {
  Demo_Init(datafile.c_str(), 0);
  Engine_Open_As_Host(surface, width, height);
  Design_Init();
}

inline u32 Engine_Crc(const u32* pixels, size_t count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(pixels), uInt(count * 4)));
}
// The checksum of the visible frame (width x height pixels).
inline u32 Engine_Frame_Crc(void) {
  return Engine_Crc(vbe_screen.frame, size_t(vbe_screen.width) * vbe_screen.height);
}
// The checksum of the whole frame buffer (frame_size bytes).
inline u32 Engine_Buffer_Crc(void) { return Engine_Crc(vbe_screen.frame, vbe_screen.frame_size / 4); }
