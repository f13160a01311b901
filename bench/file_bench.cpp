// Unpacking speed of LZARI and zlib entries next to zlib's gunzip and the gzip program, and File_Read throughput.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "lzari_encoder.h"
#include "runtime/file.h"
#include "runtime/lzh.h"
#include "runtime/zlib.h"
#include "writer.h"

namespace {
const size_t kSampleBytes = 4 << 20;

// Text-like data: words from a small vocabulary with numbers, as pictures and meshes are not.
const std::vector<u8>& Sample(void) {
  static std::vector<u8> data;
  if (data.empty()) {
    const char* words[] = {"sector ", "portal ", "camera ", "polygon ", "texture ", "flare ", "order ", "row ",
                           "scene ",  "mesh ",   "light ",  "door ",    "path ",    "sky ",   "eye ",   "\n"};
    u32 x = 12345;
    while (data.size() < kSampleBytes) {
      x = x * 1664525u + 1013904223u;
      const char* w = words[x >> 28];
      data.insert(data.end(), w, w + strlen(w));
      if ((x & 0xF00) == 0) data.push_back(u8('0' + (x >> 12) % 10));
    }
    data.resize(kSampleBytes);
  }
  return data;
}

std::vector<u8> Gzip_Of(const std::vector<u8>& in) {
  z_stream s{};
  deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::vector<u8> out(deflateBound(&s, uLong(in.size())) + 32);
  s.next_in = const_cast<Bytef*>(in.data());
  s.avail_in = uInt(in.size());
  s.next_out = out.data();
  s.avail_out = uInt(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

void BM_Lzari_Unpack(benchmark::State& state) {
  const std::vector<u8>& data = Sample();
  std::vector<u8> stream = Lzari_Encode(data.data(), data.size());
  std::vector<u8> out(data.size());
  for (auto _ : state) {
    Lzh_Decode(stream.data(), u32(stream.size()), out.data(), u32(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(i64(state.iterations()) * i64(data.size()));
  state.counters["ratio"] = double(data.size()) / double(stream.size());
}
BENCHMARK(BM_Lzari_Unpack)->Unit(benchmark::kMillisecond);

void BM_Zlib_Unpack(benchmark::State& state) {
  const std::vector<u8>& data = Sample();
  uLongf n = compressBound(uLong(data.size()));
  std::vector<u8> stream(n);
  compress(stream.data(), &n, data.data(), uLong(data.size()));
  std::vector<u8> out(data.size());
  for (auto _ : state) {
    Zlib_Inflate(stream.data(), out.data(), u32(n), u32(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(i64(state.iterations()) * i64(data.size()));
  state.counters["ratio"] = double(data.size()) / double(n);
}
BENCHMARK(BM_Zlib_Unpack)->Unit(benchmark::kMillisecond);

// zlib's own gunzip of the same bytes in gzip form.
void BM_Zlib_Gunzip(benchmark::State& state) {
  const std::vector<u8>& data = Sample();
  std::vector<u8> gz = Gzip_Of(data);
  std::vector<u8> out(data.size());
  for (auto _ : state) {
    z_stream s{};
    inflateInit2(&s, 16 + MAX_WBITS);
    s.next_in = gz.data();
    s.avail_in = uInt(gz.size());
    s.next_out = out.data();
    s.avail_out = uInt(out.size());
    inflate(&s, Z_FINISH);
    inflateEnd(&s);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(i64(state.iterations()) * i64(data.size()));
}
BENCHMARK(BM_Zlib_Gunzip)->Unit(benchmark::kMillisecond);

// The system's gzip program on the same bytes (its start-up included).
void BM_Gzip_Program(benchmark::State& state) {
  const std::vector<u8>& data = Sample();
  std::string path = "/tmp/velmoran_file_bench_" + std::to_string(getpid()) + ".gz";
  Write_File(path, Gzip_Of(data));
  std::string command = "gzip -d -c " + path + " > /dev/null";
  for (auto _ : state) {
    if (system(command.c_str()) != 0) {
      state.SkipWithError("gzip -d failed");
      break;
    }
  }
  remove(path.c_str());
  state.SetBytesProcessed(i64(state.iterations()) * i64(data.size()));
}
BENCHMARK(BM_Gzip_Program)->Unit(benchmark::kMillisecond)->UseRealTime();

void Start_Bench_Datafile(void) {
  static bool started = false;
  if (started) return;
  started = true;
  std::string path = "/tmp/velmoran_file_bench_" + std::to_string(getpid()) + ".dat";
  Datafile_Write(path, {{"sample", Sample(), DATAFILE_RAW}});
  File_Set_Datafile(path.c_str());
  File_Init();
  remove(path.c_str());  // the open handle keeps it readable
}

// Block reads of an entry that is not in memory, as the loaders read meshes and paths.
void BM_File_Read(benchmark::State& state) {
  Start_Bench_Datafile();
  std::vector<u8> buffer(size_t(state.range(0)));
  for (auto _ : state) {
    File_Open("sample");
    while (File_Read(buffer.data(), u32(buffer.size())) == buffer.size()) {
    }
    File_Close();
  }
  state.SetBytesProcessed(i64(state.iterations()) * i64(kSampleBytes));
}
BENCHMARK(BM_File_Read)->Arg(64)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);

// Byte reads through the 64000-byte buffer, as the picture decoder reads.
void BM_File_Get_Byte(benchmark::State& state) {
  Start_Bench_Datafile();
  for (auto _ : state) {
    File_Open("sample");
    u32 sum = 0;
    for (size_t i = 0; i < kSampleBytes; i++) sum += File_Get_Byte();
    benchmark::DoNotOptimize(sum);
    File_Close();
  }
  state.SetBytesProcessed(i64(state.iterations()) * i64(kSampleBytes));
}
BENCHMARK(BM_File_Get_Byte)->Unit(benchmark::kMillisecond);
}  // namespace
