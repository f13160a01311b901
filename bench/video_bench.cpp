// Video layer speed at 960x600: present copy and design stretch against memcpy, crossfade and brighten per frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"
#include "video/vbe.h"

namespace {

std::vector<u32> bench_surface;

// The show's largest mode: 960x600 with the 7 per cent letterbox, design buffer and mix buffer.
void Open_Show_Mode(void) {
  static bool open = false;
  if (open) return;
  open = true;
  Mem_Init(0);
  bench_surface.assign(960 * 600, 0);
  Vbe_Set_Host_Surface(bench_surface.data(), 960, 600);
  Vbe_Set_Mode(Vbe_Detect_16M(960, 600));
  Vbe_Squeze(42, 558);
  Vbe_Alloc_Buffer();
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
  u32 x = 1;
  for (u32 i = 0; i < vbe_screen.frame_size / 4; i++) vbe_screen.frame[i] = x = x * 69069u + 1;
  for (u32 i = 0; i < 320 * 200; i++) Vbe_Design_Buffer()[i] = x = x * 69069u + 1;
}

void BM_Present32(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    vbe_screen.present();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_Present32);

void BM_MemcpyFrame(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    memcpy(vbe_screen.visible_page, vbe_screen.frame, vbe_screen.frame_size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_MemcpyFrame);

void BM_StretchDesign(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesign);

void BM_StretchDesignPlain(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design_Plain();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesignPlain);

void BM_StretchDesignAdd(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Stretch_Design_Add();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_StretchDesignAdd);

void BM_CrossfadeFrame(benchmark::State& state) {
  Open_Show_Mode();
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
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Brighten(3);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_BrightenFrame);

void BM_BrightenFramePlain(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Brighten_Plain(3);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(i64(state.iterations()) * vbe_screen.frame_size);
}
BENCHMARK(BM_BrightenFramePlain);

void BM_TrailFrame(benchmark::State& state) {
  Open_Show_Mode();
  for (auto _ : state) {
    Vbe_Transition(7, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrailFrame);

}  // namespace
