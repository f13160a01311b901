// Music mixing speed of this player's fastest, two-frame and plain mixers beside libopenmpt and libxmp, with ratios.
// Seconds of music per second of thread processor time, best of 7 renders of a song's first 10 s at
// 44100 Hz stereo with linear interpolation.
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "music/xmload.h"
#include "music/xmmix.h"
#include "writer.h"

namespace {
const char* kSongs[] = {"JUHO_-_Ihana_paiva.xm", "ZALZA_-_Tekilla_groove.xm", "roadblas.xm", "rhino_sting.xm",
                        "xyce-dans_la_rue.xm"};
const u32 kSeconds = 10;
const u32 kFrames = 44100 * kSeconds;
const int kRuns = 7;

// Music seconds per processor second, by player and song.
std::map<std::string, std::map<std::string, f64>> speed;

f64 Cpu_Seconds(void) {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return f64(t.tv_sec) + f64(t.tv_nsec) * 1e-9;
}

// A song of the repository's module set; a missing one ends the run with an error, as the figures
// would otherwise leave it out unnoticed.
std::vector<u8> Song_Bytes(const char* name) {
  std::vector<u8> bytes;
  std::string path = std::string(VELMORAN_SOURCE_DIR) + "/tests/data/xm/" + name;
  if (!Read_File(path, &bytes) || bytes.empty()) {
    fprintf(stderr, "music_bench: cannot read %s\n", path.c_str());
    exit(1);
  }
  return bytes;
}

struct Memory {
  const std::vector<u8>* bytes;
  size_t at;
};
std::vector<u8> memory_file;
Memory memory;
void* Memory_Open(const char*) {
  memory = {&memory_file, 0};
  return &memory;
}
void Memory_Close(void*) {}
u32 Memory_Read(void* d, u32 n, void* h) {
  Memory* m = static_cast<Memory*>(h);
  size_t left = m->at < m->bytes->size() ? m->bytes->size() - m->at : 0;
  size_t k = n < left ? n : left;
  memcpy(d, m->bytes->data() + m->at, k);
  m->at += n;
  return u32(k);
}
void Memory_Seek(void* h, i32 offset, i32 origin) {
  Memory* m = static_cast<Memory*>(h);
  m->at = size_t(origin == 1 ? i64(m->at) + offset : offset);
}
i32 Memory_Tell(void* h) { return i32(static_cast<Memory*>(h)->at); }

const u32 kPlayers = 5;
const char* const kPlayerNames[kPlayers] = {"plain", "pairs", "velmoran", "libopenmpt", "libxmp"};

// One render of the song's first seconds by this player on a mixing path; processor seconds.
f64 Render_Velmoran(const std::vector<u8>& bytes, XmMixPath path) {
  memory_file = bytes;
  Xm_Set_File_Callbacks(Memory_Open, Memory_Close, Memory_Read, Memory_Seek, Memory_Tell);
  XmModule* m = Xm_Load_Module("song", nullptr);
  if (!m) return -1;
  std::vector<i16> pcm(Xm_Chunk_Frames() * 2);
  Xm_Set_Mix_Path(path);
  f64 t0 = Cpu_Seconds();
  Xm_Render_Start(m);
  for (u32 done = 0; done < kFrames; done += Xm_Chunk_Frames()) Xm_Render_Chunk(pcm.data());
  benchmark::DoNotOptimize(pcm.data());
  f64 cpu = Cpu_Seconds() - t0;
  Xm_Set_Mix_Path(XM_MIX_FASTEST);
  Xm_Stop_Module(m);
  Xm_Free_Module(m);
  return cpu;
}

f64 Render_Openmpt(const std::vector<u8>& bytes) {
  std::vector<i16> pcm(8192 * 2);
  openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr);
  if (!m) return -1;
  openmpt_module_set_render_param(m, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 2);
  openmpt_module_set_repeat_count(m, -1);
  f64 t0 = Cpu_Seconds();
  for (u32 done = 0; done < kFrames;) done += u32(openmpt_module_read_interleaved_stereo(m, 44100, 8192, pcm.data()));
  f64 cpu = Cpu_Seconds() - t0;
  openmpt_module_destroy(m);
  return cpu;
}

f64 Render_Xmp(const std::vector<u8>& bytes) {
  std::vector<i16> pcm(8192 * 2);
  xmp_context x = xmp_create_context();
  if (xmp_load_module_from_memory(x, bytes.data(), long(bytes.size())) != 0) {
    xmp_free_context(x);
    return -1;
  }
  xmp_start_player(x, 44100, 0);
  xmp_set_player(x, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
  f64 t0 = Cpu_Seconds();
  for (u32 done = 0; done < kFrames; done += 8192) xmp_play_buffer(x, pcm.data(), 8192 * 4, 0);
  f64 cpu = Cpu_Seconds() - t0;
  xmp_end_player(x);
  xmp_release_module(x);
  xmp_free_context(x);
  return cpu;
}

// Each round renders the song once by every player in turn, so that a change in the machine's load
// falls on all of them; a player's figure is its fastest round.
void BM_Song(benchmark::State& state, const char* song) {
  const std::vector<u8> bytes = Song_Bytes(song);
  f64 best[kPlayers] = {1e9, 1e9, 1e9, 1e9, 1e9};
  for (auto _ : state) {
    const f64 cpu[kPlayers] = {Render_Velmoran(bytes, XM_MIX_PLAIN), Render_Velmoran(bytes, XM_MIX_PAIRS),
                               Render_Velmoran(bytes, XM_MIX_FASTEST), Render_Openmpt(bytes), Render_Xmp(bytes)};
    for (u32 p = 0; p < kPlayers; p++) {
      if (cpu[p] < 0) {
        state.SkipWithError((std::string(kPlayerNames[p]) + " did not load the song").c_str());
        return;
      }
      best[p] = std::min(best[p], cpu[p]);
    }
  }
  for (u32 p = 0; p < kPlayers; p++) {
    speed[kPlayerNames[p]][song] = f64(kSeconds) / best[p];
    state.counters[kPlayerNames[p]] = f64(kSeconds) / best[p];
  }
}
}  // namespace

int main(int argc, char** argv) {
  for (const char* song : kSongs) Song_Bytes(song);
  for (const char* song : kSongs)
    benchmark::RegisterBenchmark((std::string("Song/") + song).c_str(), BM_Song, song)
        ->Unit(benchmark::kSecond)->Iterations(kRuns);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printf("\nSeconds of music mixed per second of processor time; the fastest mixer's and the two-frame one's\n"
         "ratios to the reference players and to the plain mixer:\n");
  printf("%-26s %8s %8s %8s %8s %8s %8s %7s %8s %8s %7s\n", "song", "fastest", "pairs", "plain", "openmpt", "libxmp",
         "/openmpt", "/xmp", "/plain", "pairs/om", "/xmp");
  auto ratio = [](f64 a, f64 b) { return b > 0 ? a / b : 0.0; };
  for (const char* song : kSongs) {
    f64 v = speed["velmoran"][song], t = speed["pairs"][song], p = speed["plain"][song],
        o = speed["libopenmpt"][song], x = speed["libxmp"][song];
    if (v <= 0) continue;
    printf("%-26s %8.0f %8.0f %8.0f %8.0f %8.0f %8.2f %7.2f %8.2f %8.2f %7.2f\n", song, v, t, p, o, x, ratio(v, o),
           ratio(v, x), ratio(v, p), ratio(t, o), ratio(t, x));
  }
  return 0;
}
