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
enum : u32 { FRAMES = 1, BYTES = 2 };

// One frame operation run over and over in the show mode, counting frames and/or the frame's bytes.
template <typename Op>
void Frame_Loop(benchmark::State& state, u32 counts, Op op) {
  Bench_Open_Show_Mode();
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  if (counts & FRAMES) state.SetItemsProcessed(state.iterations());
  if (counts & BYTES) state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}

void BM_Present32(benchmark::State& state) {
  Frame_Loop(state, BYTES, [] { vbe_screen.present(); });
}
BENCHMARK(BM_Present32);

void BM_MemcpyFrame(benchmark::State& state) {
  Frame_Loop(state, BYTES, [] { memcpy(vbe_screen.visible_page, vbe_screen.frame, vbe_screen.frame_size); });
}
BENCHMARK(BM_MemcpyFrame);

void BM_StretchDesign(benchmark::State& state) {
  Frame_Loop(state, BYTES, [] { Vbe_Stretch_Design(); });
}
BENCHMARK(BM_StretchDesign);

void BM_StretchDesignPlain(benchmark::State& state) {
  Frame_Loop(state, BYTES, [] { Vbe_Stretch_Design_Plain(); });
}
BENCHMARK(BM_StretchDesignPlain);

void BM_StretchDesignAdd(benchmark::State& state) {
  Frame_Loop(state, BYTES, [] { Vbe_Stretch_Design_Add(); });
}
BENCHMARK(BM_StretchDesignAdd);

void BM_CrossfadeFrame(benchmark::State& state) {
  Bench_Open_Show_Mode();
  static std::vector<u32> a(vbe_screen.frame_size / 4, 0x00804020), b(vbe_screen.frame_size / 4, 0x00204080);
  Vbe_Set_Crossfade(460, 16, -2, 2, a.data(), b.data());
  Frame_Loop(state, FRAMES, [] {
    Vbe_Step_Crossfade();
    if (Vbe_Crossfade_Done()) Vbe_Set_Crossfade(460, 16, -2, 2, a.data(), b.data());
    Vbe_Draw_Crossfade();
  });
}
BENCHMARK(BM_CrossfadeFrame);

void BM_BrightenFrame(benchmark::State& state) {
  Frame_Loop(state, FRAMES | BYTES, [] { Vbe_Brighten(3); });
}
BENCHMARK(BM_BrightenFrame);

void BM_BrightenFramePlain(benchmark::State& state) {
  Frame_Loop(state, FRAMES | BYTES, [] { Vbe_Brighten_Plain(3); });
}
BENCHMARK(BM_BrightenFramePlain);

void BM_TrailFrame(benchmark::State& state) {
  Frame_Loop(state, FRAMES, [] { Vbe_Transition(7, 0); });
}
BENCHMARK(BM_TrailFrame);

}  // namespace
