// Post-effect layer speed at 960x600: the everyday tint, the thumbnail, trail, frame mix, crossfade and grain.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_show.h"
#include "demo/design.h"
#include "demo/flimmer/flimmer.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/vbe.h"

namespace {

std::vector<u32> bench_scene;

// The show's largest mode with the post-effect layer set up and a noisy scene and mix buffer.
void Open_Design(void) {
  static bool open = false;
  if (open) return;
  open = true;
  Bench_Open_Show_Mode();
  Design_Init();
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  bench_scene.resize(vbe_screen.frame_size / 4);
  u32 x = 1;
  for (u32& p : bench_scene) p = (x = x * 69069u + 1) & 0xFFFFFF;
  for (u32 i = 0; i < bench_scene.size(); i++) vbe_screen.mix[i] = bench_scene[i] >> 2 & 0x3F3F3F;
}

// A fresh scene frame each time, as a scene would draw it.
void Scene_Frame(void) { std::copy(bench_scene.begin(), bench_scene.end(), vbe_screen.frame); }

// Runs one frame with the layer's switches as set up by configure; the frame copy is counted too.
template <typename Configure>
void Run(benchmark::State& state, Configure configure) {
  Open_Design();
  design_state = DesignState{};
  Design_Init();
  configure();
  for (auto _ : state) {
    Scene_Frame();
    Design_Tick();
    Design_Apply();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(i64(state.iterations()) * i64(vbe_screen.frame_size / 4));
}

void BM_SceneFrameCopyOnly(benchmark::State& state) { Run(state, [] { Design_Off(); }); }
BENCHMARK(BM_SceneFrameCopyOnly);

void BM_TintHue(benchmark::State& state) { Run(state, [] { Design_Start_Tint_Hue(); }); }
BENCHMARK(BM_TintHue);

void BM_TintFlashThumbnail(benchmark::State& state) {
  Run(state, [] {
    Design_Start_Tint_Hue();
    Design_Thumb_Bottom_Right();
    Design_Start_Shake();
    design_state.level = 200, design_state.step = 0, design_state.flash_on = 1;
  });
}
BENCHMARK(BM_TintFlashThumbnail);

void BM_TintTrail(benchmark::State& state) {
  Run(state, [] {
    Design_Start_Tint();
    Design_Start_Trail();
  });
}
BENCHMARK(BM_TintTrail);

// The credits' worst frame: frame mix, a running crossfade and the tint.
void BM_CrossfadeFrameMix(benchmark::State& state) {
  Run(state, [] {
    Design_Start_Tint_Hue();
    Design_Start_Frame_Mix();
    Design_Set_Crossfade(1 << 20, 400, 0, 0);  // held in the middle: never done
    Design_Init_Crossfade();
  });
}
BENCHMARK(BM_CrossfadeFrameMix);

void BM_GrainStretchedOntoTheFrame(benchmark::State& state) {
  Open_Design();
  for (auto _ : state) {
    Vbe_Resize_Begin();
    Flimmer_Draw();
    Vbe_Resize_End_Add();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(i64(state.iterations()) * i64(vbe_screen.frame_size / 4));
}
BENCHMARK(BM_GrainStretchedOntoTheFrame);

}  // namespace

BENCHMARK_MAIN();
