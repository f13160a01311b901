// zlib inflation: the file, memory and chunked paths, and every failure message.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/file.h"
#include "runtime/zlib.h"
#include "tests/engine_fixture.h"

namespace {
std::vector<u8> Sample(size_t n) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; i++) v[i] = u8("the quick brown fox "[i % 20] + (i / 997) % 3);
  return v;
}

// The size field, then the stream.
std::vector<u8> Packed(const std::vector<u8>& data, u32 size_field) {
  uLongf n = compressBound(uLong(data.size()));
  std::vector<u8> out(4 + n);
  compress(out.data() + 4, &n, data.data(), uLong(data.size()));
  out.resize(4 + n);
  for (int i = 0; i < 4; i++) out[i] = u8(size_field >> (8 * i));
  return out;
}

// Plain-file mode with the bytes in a file of the running test.
std::string Plain_File(const std::vector<u8>& bytes) {
  Write_Bytes(Test_Short_Temp("z"), bytes);
  File_Set_Datafile("");
  File_Init();
  return Test_Short_Temp("z");
}
}  // namespace

TEST(ZlibInflate, FileMemoryAndChunkedPathsGiveTheSameBytes) {
  std::vector<u8> data = Sample(300000), packed = Packed(data, u32(data.size()));
  std::string name = Plain_File(packed);
  std::vector<u8*> results = {Zlib_Decompress_File(name.c_str()), Zlib_Decompress_Memory(Block_Of(packed))};
  for (u32 chunk : {1u, 7u, 4096u, 1000000u}) results.push_back(Zlib_Decompress_Stream(name.c_str(), chunk));
  for (u8* r : results) {
    ASSERT_EQ(Mem_Get_Size(r), data.size());
    EXPECT_EQ(memcmp(r, data.data(), data.size()), 0);
  }
}

TEST(ZlibBadInput, EachFailureEndsWithItsMessage) {
  std::vector<u8> data = Sample(20000), right = Packed(data, 20000);
  EXPECT_FATAL("Zlib: Output buffer overflow.", Zlib_Decompress_Memory(Block_Of(Packed(data, 19999))));
  EXPECT_FATAL("Zlib: Unable to complete inflating.", Zlib_Decompress_Memory(Block_Of(Packed(data, 20001))));
  // Cut inside the data, or inside or before the Adler-32 trailer once every byte is out.
  for (size_t cut_bytes : {40, 4, 1}) {
    SCOPED_TRACE(cut_bytes);
    std::vector<u8> cut(right.begin(), right.end() - std::ptrdiff_t(cut_bytes));
    EXPECT_FATAL("Zlib: Unable to complete inflating.", Zlib_Decompress_Memory(Block_Of(cut)));
  }
  std::vector<u8> bad = right;
  bad[4] = 0x77;  // not a zlib header
  EXPECT_FATAL("Zlib: Input data corrupted.", Zlib_Decompress_Memory(Block_Of(bad)));
  EXPECT_FATAL("Zlib: Input data corrupted.", Zlib_Decompress_Memory(Block_Of({1, 2})));
  std::vector<u8> absurd = right;
  absurd[3] = 0xF0;  // far more than deflate could ever pack into the stream
  EXPECT_FATAL("Zlib: Unable to complete inflating.", Zlib_Decompress_Memory(Block_Of(absurd)));

  // A header asking for a preset dictionary (FDICT set, check bits right), then the dictionary's id.
  const u8 dictionary_stream[] = {0x78, 0xBB, 0, 0, 0, 1};
  u8 target[11];
  EXPECT_FATAL("Zlib: Preset dictionary is needed.", Zlib_Inflate(dictionary_stream, target, 6, 11));

  // A chunked file that ends early is a failure, not a half-filled block.
  std::vector<u8> short_file = Packed(Sample(50000), 50000);
  short_file.resize(short_file.size() - 100);
  std::string name = Plain_File(short_file);
  EXPECT_FATAL("Zlib: Unable to complete inflating.", Zlib_Decompress_Stream(name.c_str(), 1000));
  EXPECT_FATAL("Zlib: Unable to complete inflating.", Zlib_Decompress_File(name.c_str()));
}
