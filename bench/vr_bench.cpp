// Benchmark of the VR engine: whole frames of a corridor of sectors at 960x600, and where the time goes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "render/mesh.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "render/vrdraw.h"
#include "render/vrpath.h"
#include "render/vrsector.h"
#include "render/vrtransform.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/vbe.h"

namespace {
const u32 kSectors = 9;
const u32 kGrid = 8;  // quads per wall edge: 4 x 64 = 256 quads a sector
std::vector<u32> bench_frame;
std::vector<std::vector<u32>> bench_textures;

// A box sector from z0 to z1 whose four walls are grids of perspective-mapped quads.
void Add_Sector(const char* name, f32 z0, f32 z1) {
  const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  const f32 corner[5][2] = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}, {-100, -100}};
  const u32 flags = 0x4 | 0x400000 | 0x800000 | 0x1000000;
  for (u32 wall = 0; wall < 4; wall++) {
    u32 grid[kGrid + 1][kGrid + 1];
    for (u32 i = 0; i <= kGrid; i++)
      for (u32 j = 0; j <= kGrid; j++) {
        const f32 a = f32(i) / kGrid, b = f32(j) / kGrid;
        const f32 x = corner[wall][0] + (corner[wall + 1][0] - corner[wall][0]) * a;
        const f32 y = corner[wall][1] + (corner[wall + 1][1] - corner[wall][1]) * a;
        grid[i][j] = Mesh_Add_Point(x, y, z0 + (z1 - z0) * b);
      }
    for (u32 i = 0; i < kGrid; i++)
      for (u32 j = 0; j < kGrid; j++) {
        const u32 q[4] = {grid[i][j], grid[i][j + 1], grid[i + 1][j + 1], grid[i + 1][j]};
        Mesh_Add_Poly(0, u8(wall & 1), flags, 4, q);
      }
  }
  Mesh_End_Object();
  std::snprintf(mesh_work.objects[o].name, kMeshNameBytes, "%s", name);
}

void Add_View(f32 z) {
  const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Mesh_Add_Point(-60, -60, z);
  Mesh_Add_Point(60, -60, z);
  Mesh_Add_Point(60, 60, z);
  Mesh_Add_Point(-60, 60, z);
  Mesh_End_Object();
  std::snprintf(mesh_work.objects[o].name, kMeshNameBytes, "view");
}

void Build_Scene(void) {
  static bool built = false;
  if (built) return;
  built = true;
  Mem_Init(0);
  Math_Init();
  bench_frame.assign(960 * 600, 0);
  vbe_screen.width = 960;
  vbe_screen.height = 600;
  vbe_screen.frame = bench_frame.data();
  Mesh_Init();
  Poly_Init();
  VR_Init();
  for (u32 t = 0; t < 2; t++) {
    bench_textures.emplace_back(2 * 65536, 0);
    for (u32 i = 0; i < 65536; i++) bench_textures[t][i] = ((i >> 4) ^ (i >> 12)) & 1 ? 0x406080 : 0xC0A080 + t;
    Poly_Add_Texture(bench_textures[t].data());
  }
  Mesh_Create_Scene(8000, 4000, 40, 2, 8000);
  for (u32 s = 0; s < kSectors; s++) Add_Sector("room", 200.0f * s, 200.0f * (s + 1));
  for (u32 s = 1; s < kSectors; s++) Add_View(200.0f * s);
  VR_Init_Sectors();
  VR_Set_Fov(70);
  VR_Set_Camera_Position(0, 0, 30);
  Poly_Set_Near(10.0f);
  VR_Store_Scene();
}

void BM_VrFrame(benchmark::State& state) {
  Build_Scene();
  for (auto _ : state) {
    VR_Select_Scene(0);
    VR_Render_Frame();
    benchmark::DoNotOptimize(bench_frame.data());
  }
  state.counters["fps"] = benchmark::Counter(f64(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["polys"] = f64(vr_engine.draw_count);
  state.counters["sectors"] = f64(vr_engine.sectors_drawn);
}
BENCHMARK(BM_VrFrame)->Unit(benchmark::kMillisecond);

// The frame's three stages timed apart: transform and projection, classes and sorted list, filling.
void BM_VrFrameShares(benchmark::State& state) {
  Build_Scene();
  VR_Select_Scene(0);
  VR_Render_Frame();  // leaves the portal walk's hidden bytes for this camera
  f64 transform = 0, sort = 0, fill = 0;
  typedef std::chrono::steady_clock Clock;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    VR_Make_Camera_Matrix();
    for (i32 o = mesh_work.last_object; o >= 0; o--) {
      const MeshObject& ob = mesh_work.objects[o];
      if (ob.hidden) continue;
      VR_Transform_Points(mesh_work.points + ob.first_point, vr_transformed + ob.first_point, ob.point_count);
      VR_Project_Points(vr_transformed + ob.first_point, vr_projected + ob.first_point, ob.point_count);
    }
    const auto t1 = Clock::now();
    vr_engine.draw_count = 0;
    VR_Classify_Polys();
    VR_Build_Draw_List();
    const auto t2 = Clock::now();
    VR_Sort_And_Draw();
    const auto t3 = Clock::now();
    transform += std::chrono::duration<f64>(t1 - t0).count();
    sort += std::chrono::duration<f64>(t2 - t1).count();
    fill += std::chrono::duration<f64>(t3 - t2).count();
  }
  const f64 total = transform + sort + fill;
  state.counters["transform_share"] = transform / total;
  state.counters["sort_share"] = sort / total;
  state.counters["fill_share"] = fill / total;
}
BENCHMARK(BM_VrFrameShares)->Unit(benchmark::kMillisecond);

void BM_VrRadixSort(benchmark::State& state) {
  std::vector<VrDrawEntry> entries(size_t(state.range(0)));
  u32 seed = 1;
  for (auto _ : state) {
    for (size_t i = 0; i < entries.size(); i++) {
      seed = seed * 1103515245u + 12345u;
      entries[i] = VrDrawEntry{u16(seed >> 16), u16(i), nullptr};
    }
    benchmark::DoNotOptimize(VR_Radix_Sort(entries.data(), u32(entries.size())));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VrRadixSort)->Arg(3000)->Arg(10000);
}  // namespace
