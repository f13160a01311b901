// Whole-show speed: the program run headless at 320x200, 640x400 and 960x600, frames a second.
// Prints processor seconds, frames a second and the real-time factor, beside another build of the
// program run the same way when one is given (--other=PATH).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "runtime/types.h"

extern char** environ;

namespace {
const u32 kSizes[] = {320, 640, 960};
const f64 kShowSeconds = 414.72;  // 54 orders at speed 6 and 125 BPM

std::string other_program;
u32 show_frames = 0;
struct Result {
  f64 cpu = 0;
  bool ok = false;
};
std::map<std::string, std::map<u32, Result>> results;

// Runs a program headless at the given width with extra environment; the child's processor seconds,
// or a negative value when it did not end with 0.
f64 Run_Show(const std::string& program, u32 width, const std::vector<std::string>& extra) {
  std::vector<std::string> env = {"VELMORAN_BACKEND=headless", "VELMORAN_SETUP=" + std::to_string(width) + ",run",
                                  std::string("VELMORAN_DATA=") + VELMORAN_DATA_DIR};
  env.insert(env.end(), extra.begin(), extra.end());
  for (char** e = environ; *e; e++)
    if (strncmp(*e, "VELMORAN_", 9) != 0) env.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = program;
  char* argv[] = {path.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  const timeval& u = usage.ru_utime;
  const timeval& s = usage.ru_stime;
  return f64(u.tv_sec + s.tv_sec) + f64(u.tv_usec + s.tv_usec) * 1e-6;
}

// The show's frame count, from one run at the smallest size with the frame log on.
u32 Count_Frames(void) {
  std::string log = "show_bench_frames.txt";
  if (Run_Show(VELMORAN_PROGRAM, 320, {"VELMORAN_CRC_LOG=" + log}) < 0) return 0;
  std::ifstream in(log);
  u32 lines = 0;
  for (std::string line; std::getline(in, line);) lines++;
  remove(log.c_str());
  return lines;
}

void BM_Show(benchmark::State& state, const char* who, u32 width) {
  const std::string program = strcmp(who, "this") == 0 ? VELMORAN_PROGRAM : other_program;
  Result& r = results[who][width];
  for (auto _ : state) {
    f64 cpu = Run_Show(program, width, {});
    if (cpu < 0) {
      state.SkipWithError("the show did not run to its end");
      return;
    }
    state.SetIterationTime(cpu);
    if (!r.ok || cpu < r.cpu) r.cpu = cpu;
    r.ok = true;
  }
  state.counters["fps"] = f64(show_frames) / r.cpu;
  state.counters["realtime_x"] = kShowSeconds / r.cpu;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; i++) {
    if (strncmp(argv[i], "--other=", 8) == 0)
      other_program = argv[i] + 8;
    else
      args.push_back(argv[i]);
  }
  int count = int(args.size());
  show_frames = Count_Frames();
  if (show_frames == 0) {
    fprintf(stderr, "show_bench: %s did not run the show\n", VELMORAN_PROGRAM);
    return 1;
  }
  for (u32 width : kSizes) {
    std::string size = std::to_string(width) + "x" + std::to_string(width * 5 / 8);
    benchmark::RegisterBenchmark(("Show/" + size).c_str(), BM_Show, "this", width)
        ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
    if (!other_program.empty())
      benchmark::RegisterBenchmark(("Show_Other/" + size).c_str(), BM_Show, "other", width)
          ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
  }
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printf("\nWhole show, %u frames of %.2f s, processor time of one run per size:\n", show_frames, kShowSeconds);
  printf("%-9s %9s %9s %11s", "size", "cpu s", "fps", "realtime x");
  if (!other_program.empty()) printf(" %9s %9s %11s %7s", "other s", "other fps", "other rt x", "speedup");
  printf("\n");
  for (u32 width : kSizes) {
    const Result& r = results["this"][width];
    if (!r.ok) continue;
    printf("%4ux%-4u %9.2f %9.1f %11.1f", width, width * 5 / 8, r.cpu, show_frames / r.cpu, kShowSeconds / r.cpu);
    const Result& o = results["other"][width];
    if (o.ok)
      printf(" %9.2f %9.1f %11.1f %7.2f", o.cpu, show_frames / o.cpu, kShowSeconds / o.cpu, o.cpu / r.cpu);
    printf("\n");
  }
  return 0;
}
