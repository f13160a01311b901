// Coon and plasma scenes at 960x600: the Coons patch alone, whole coon frames and whole plasma frames.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "art_coon.h"
#include "art_plasma.h"
#include "bench/bench_show.h"
#include "datafile_writer.h"
#include "demo/coon/coon.h"
#include "demo/plasma/plasma.h"
#include "music/music.h"

namespace {

// The engine as the host starts it at 960x600, with both scenes loaded from pictures made here.
void Open_Show(void) {
  static bool open = false;
  if (open) return;
  open = true;
  std::vector<DatafileEntry> entries;
  if (!Art_Plasma_Entries("/tmp", &entries) || !Art_Coon_Entries("/tmp", &entries)) exit(1);
  const std::string data = "/tmp/coon_bench.dat";
  if (!Datafile_Write(data, entries)) exit(1);
  Bench_Start_Host(data);
  Plasma_Load();
  Coon_Load();
}

// The patch into the design buffer, curves made anew for every frame as the scene does.
void BM_CoonPatch(benchmark::State& state) {
  Open_Show();
  Coon_Init();
  std::vector<u32> texture(65536);
  for (u32 i = 0; i < 65536; i++) texture[i] = i * 2654435761u;
  u32 phase = 0;
  Vbe_Resize_Begin();
  for (auto _ : state) {
    Coon_Make_Curves(phase, phase * 3 / 2);
    Coon_Patch(texture.data(), vbe_screen.frame, Coon_Get_Bound(), 0, 0);
    phase += 2;
    benchmark::ClobberMemory();
  }
  Vbe_Resize_End();
  Coon_Release_Buffer();
  state.SetItemsProcessed(i64(state.iterations()) * 320 * 190);
}
BENCHMARK(BM_CoonPatch);

// Whole coon frames: patch, stretch to 960x600, labels, present.
void BM_CoonFrame(benchmark::State& state) {
  Open_Show();
  Coon_Init();
  music_channel_levels.levels[kCoonChannelA][0] = 1;
  u32 row = 0;
  for (auto _ : state) {
    music_position.row = row = (row + 2) % 64;
    Coon_Frame();
    Music_Call_Callback();
    benchmark::ClobberMemory();
  }
  Coon_Release_Buffer();
}
BENCHMARK(BM_CoonFrame);

// Whole plasma frames: height map, colour pass, stretch, present.
void BM_PlasmaFrame(benchmark::State& state) {
  Open_Show();
  Plasma_Init();
  for (auto _ : state) {
    Plasma_Frame();
    Music_Call_Callback();
    benchmark::ClobberMemory();
  }
  Plasma_Release_Buffer();
}
BENCHMARK(BM_PlasmaFrame);
}  // namespace
