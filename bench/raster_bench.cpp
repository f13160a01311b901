// Fill rate of every span filler on 960x600 polygons next to memset, and small triangles a second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "render/fill.h"
#include "render/poly.h"
#include "render/texture.h"

namespace {
const i32 kWidth = 960, kHeight = 600;

struct Setup {
  std::vector<u32> frame, map1, map2;
  std::vector<PolyBumpTexel> bump;
  Setup() : frame(size_t(kWidth) * kHeight), map1(65536), map2(65536), bump(65536) {
    std::mt19937 rng(7);
    for (u32& t : map1) t = rng() & 0x3F3F3F;
    for (u32& t : map2) t = rng() & 0x3F3F3F;
    for (PolyBumpTexel& b : bump) b = PolyBumpTexel{u32(rng() & 0x3F3F3F), i32(rng() % 512) - 256};
    Poly_Init();
    Poly_Set_Target(frame.data(), nullptr, kHeight);
    Poly_Set_Pitch(kWidth * 4);
    Poly_Set_Centre(kWidth / 2, kHeight / 2);
    PolyState& s = poly_state;
    s.wa = 0.0001f, s.wb = 0.0002f, s.wc = 1.2f;
    s.ua = 0.3f, s.ub = 0.05f, s.uc = 40;
    s.va = -0.04f, s.vb = 0.35f, s.vc = 90;
    s.colour = 0x00406080;
  }
  void Maps(PolyFillKind kind) {
    poly_state.map1 = kind == POLY_FILL_BUMP_TEX ? reinterpret_cast<const u32*>(bump.data()) : map1.data();
    poly_state.map2 = map2.data();
  }
};

Setup& The_Setup() {
  static Setup setup;
  return setup;
}

PolyVertex Vertex(i32 x, i32 y, i32 u, i32 v) {
  PolyVertex r = {};
  r.slot[POLY_X] = x;
  r.slot[POLY_Y] = y;
  r.slot[POLY_U] = r.slot[POLY_S] = u;
  r.slot[POLY_V] = r.slot[POLY_T] = v;
  return r;
}

// The whole frame as one quad.
void Full_Frame(PolyVertex* list) {
  list[0] = Vertex(0, 0, 0, 0);
  list[1] = Vertex(kWidth, 0, 255, 0);
  list[2] = Vertex(kWidth, kHeight, 255, 255);
  list[3] = Vertex(0, kHeight, 0, 255);
  list[4] = list[0];
}

void BM_Fill(benchmark::State& state, PolyFillKind kind, bool plain) {
  Setup& s = The_Setup();
  s.Maps(kind);
  for (auto _ : state) {
    Full_Frame(poly_lists.a);
    poly_state.vertex_count = 4;
    if (plain)
      Poly_Fill_Plain(kind, poly_lists.a);
    else
      Poly_Fill(kind, poly_lists.a);
    benchmark::DoNotOptimize(s.frame.data());
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(kWidth) * kHeight * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Memset(benchmark::State& state) {
  Setup& s = The_Setup();
  for (auto _ : state) {
    memset(s.frame.data(), 0x40, s.frame.size() * 4);
    benchmark::DoNotOptimize(s.frame.data());
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(kWidth) * kHeight * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// Triangles of about 8 x 8 pixels all over the frame.
void BM_Small_Triangles(benchmark::State& state, PolyFillKind kind) {
  Setup& s = The_Setup();
  s.Maps(kind);
  std::mt19937 rng(3);
  std::vector<PolyVertex> tris;
  for (int i = 0; i < 4096; i++) {
    i32 x = i32(rng() % (kWidth - 10)), y = i32(rng() % (kHeight - 10));
    tris.push_back(Vertex(x, y, 0, 0));
    tris.push_back(Vertex(x + 8, y + 1, 200, 20));
    tris.push_back(Vertex(x + 2, y + 8, 30, 220));
  }
  size_t at = 0;
  for (auto _ : state) {
    PolyVertex* l = poly_lists.a;
    l[0] = tris[at];
    l[1] = tris[at + 1];
    l[2] = tris[at + 2];
    l[3] = l[0];
    at = (at + 3) % tris.size();
    poly_state.vertex_count = 3;
    Poly_Fill(kind, l);
  }
  state.counters["triangles/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

const char* const kNames[POLY_FILL_KINDS] = {"Flat",     "Tex",          "Tex_Add",     "Tex_Or",    "Tex_Sat",
                                             "Tex_Trans", "Two_Tex",     "Two_Tex_Add", "Offset_Tex", "Shade_Table",
                                             "Bump_Tex", "Persp",        "Persp_Add"};

int Register() {
  benchmark::RegisterBenchmark("Memset_960x600", BM_Memset);
  for (int k = 0; k < POLY_FILL_KINDS; k++) {
    benchmark::RegisterBenchmark((std::string("Fill_") + kNames[k] + "_960x600").c_str(), BM_Fill, PolyFillKind(k),
                                 false);
    benchmark::RegisterBenchmark((std::string("Fill_") + kNames[k] + "_Plain_960x600").c_str(), BM_Fill,
                                 PolyFillKind(k), true);
  }
  benchmark::RegisterBenchmark("Small_Triangles_Flat", BM_Small_Triangles, POLY_FILL_FLAT);
  benchmark::RegisterBenchmark("Small_Triangles_Tex", BM_Small_Triangles, POLY_FILL_TEX);
  benchmark::RegisterBenchmark("Small_Triangles_Persp", BM_Small_Triangles, POLY_FILL_PERSP);
  return 0;
}
const int registered = Register();
}  // namespace
