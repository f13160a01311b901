// Test set-up for the rasterizer and the VR engine: vertex lists, a frame buffer, fresh engine state and small
// hand-built sector worlds.
#pragma once
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/mesh.h"
#include "render/meshtool.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrdraw.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "render/vrtransform.h"
#include "runtime/file.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"
#include "video/vbe.h"

// A vertex at (x, y) with its texture pairs (u, v) and (s, t).
inline PolyVertex Vx(i32 x, i32 y, i32 u = 0, i32 v = 0, i32 s = 0, i32 t = 0) {
  PolyVertex r = {};
  r.slot[POLY_X] = x, r.slot[POLY_Y] = y, r.slot[POLY_U] = u;
  r.slot[POLY_V] = v, r.slot[POLY_S] = s, r.slot[POLY_T] = t;
  return r;
}

// Puts the vertices into list A with its closing record and sets the vertex count.
inline PolyVertex* List(std::initializer_list<PolyVertex> vs) {
  i32 n = 0;
  for (const PolyVertex& v : vs) poly_lists.a[n++] = v;
  poly_lists.a[n] = poly_lists.a[0];
  poly_state.vertex_count = n;
  return poly_lists.a;
}

class VrTest : public ::testing::Test {
 protected:
  std::vector<u32> frame;
  std::vector<std::vector<u32>> textures;

  void SetUp() override { Start(320, 200); }
  void TearDown() override {
    Mesh_Free_All_Scenes();
    if (File_Is_Initialised()) File_Done();
  }

  // A fresh engine over a width x height frame buffer.
  void Start(u32 width, u32 height) {
    Mesh_Free_All_Scenes();
    if (File_Is_Initialised()) File_Done();
    // What earlier tests left in the block table (event copies, animation buffers) is given back before the
    // table starts again, or it would be lost; the raster array goes with it and is made afresh.
    Mem_Done();
    poly_state.raster = nullptr;
    Mem_Init(0);
    Math_Init();
    File_Set_Datafile("");
    File_Init();
    frame.assign(size_t(width) * height, 0);
    vbe_screen.width = vbe_screen.screen_width = width;
    vbe_screen.height = vbe_screen.screen_height = height;
    vbe_screen.frame = frame.data();
    vbe_screen.low_res = 0;
    vbe_screen.smoothing = 0;
    Mesh_Init();
    Poly_Init();
    vr_engine = VrEngine{};
    VR_Init();
  }

  // A 256 x 256 texture with room for the fillers' reach past its end; returns its slot.
  i32 Add_Texture(u32 seed) {
    textures.emplace_back(2 * 65536, 0);
    std::vector<u32>& t = textures.back();
    for (u32 r = 0; r < 256; r++)
      for (u32 c = 0; c < 256; c++)
        t[r * 256 + c] = (((r >> 5) ^ (c >> 5)) & 1) ? 0x303030 + seed * 0x102030 : 0xA0A0A0 + seed * 0x010203;
    return Poly_Add_Texture(t.data());
  }
};

// Walls of a box sector from z0 to z1 (x and y within +/-100): four textured walls facing inward, and
// optionally a flat end wall at z1. Returns the object index.
inline u32 Vr_Add_Box_Sector(const char* name, f32 z0, f32 z1, u32 colour, bool end_wall, u32 extra_quads = 0) {
  const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  const f32 corners[4][2] = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}};
  u32 near[4], far[4];
  for (u32 i = 0; i < 4; i++) near[i] = Mesh_Add_Point(corners[i][0], corners[i][1], z0);
  for (u32 i = 0; i < 4; i++) far[i] = Mesh_Add_Point(corners[i][0], corners[i][1], z1);
  const u32 wall = 0x4 | 0x400000 | 0x800000 | 0x1000000;
  for (u32 i = 0; i < 4; i++) {
    const u32 j = (i + 1) & 3;
    const u32 q[4] = {near[i], far[i], far[j], near[j]};
    Mesh_Add_Poly(0, u8(i & 1), wall, 4, q);
  }
  Mesh_Set_Poly_Colour(colour);
  for (u32 k = 0; k < extra_quads; k++) {
    const u32 q[4] = {far[0], far[1], far[2], far[3]};
    Mesh_Add_Poly(0, 0, 0x10000000, 4, q);
  }
  if (end_wall) {
    const u32 q[4] = {far[0], far[3], far[2], far[1]};
    Mesh_Add_Poly(0, 0, 0x1 | 0x200000, 4, q);
  }
  Mesh_End_Object();
  std::snprintf(mesh_work.objects[o].name, kMeshNameBytes, "%s", name);
  return o;
}

// A portal quad on the plane z (x and y within +/-50), without polygons.
inline u32 Vr_Add_View(const char* name, f32 z) {
  const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  for (u32 i = 0; i < 4; i++) Mesh_Add_Point(i == 1 || i == 2 ? 50 : -50, i < 2 ? -50 : 50, z);
  Mesh_End_Object();
  std::snprintf(mesh_work.objects[o].name, kMeshNameBytes, "%s", name);
  return o;
}
