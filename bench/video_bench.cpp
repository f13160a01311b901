// Video layer speed at 960x600: present copy and design stretch against memcpy, crossfade and brighten per frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_show.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"
#include "video/vbe.h"

namespace {


void BM_Present32(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    vbe_screen.present();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_Present32);

void BM_MemcpyFrame(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    memcpy(vbe_screen.visible_page, vbe_screen.frame, vbe_screen.frame_size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_MemcpyFrame);

void BM_StretchDesign(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesign);

void BM_StretchDesignPlain(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design_Plain();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesignPlain);

void BM_StretchDesignAdd(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design_Add();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesignAdd);

void BM_CrossfadeFrame(benchmark::State& state) {
  Bench_Open_Show_Mode();
  static std::vector<u32> a(vbe_screen.frame_size / 4, 0x00804020), b(vbe_screen.frame_size / 4, 0x00204080);
  Vbe_Set_Crossfade(460, 16, -2, 2, a.data(), b.data());
  for (auto _ : state) {
    Vbe_Step_Crossfade();
    if (Vbe_Crossfade_Done()) Vbe_Set_Crossfade(460, 16, -2, 2, a.data(), b.data());
    Vbe_Draw_Crossfade();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CrossfadeFrame);

void BM_BrightenFrame(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Brighten(3);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_BrightenFrame);

void BM_BrightenFramePlain(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Brighten_Plain(3);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_BrightenFramePlain);

void BM_TrailFrame(benchmark::State& state) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Transition(7, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrailFrame);

}  // namespace
