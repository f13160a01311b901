// zlib inflation: a stream made elsewhere, the file, memory and chunked paths, and every failure message.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/file.h"
#include "runtime/mem.h"
#include "runtime/zlib.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
// "hello" as Python's zlib.compress writes it, behind its u32 size field.
const std::vector<u8> kHello = {0x05, 0, 0, 0, 0x78, 0x9c, 0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x07, 0x00, 0x06, 0x2c, 0x02, 0x15};

std::vector<u8> Sample(size_t n) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; i++) v[i] = u8("the quick brown fox "[i % 20] + (i / 997) % 3);
  return v;
}

// u32 size, then the stream.
std::vector<u8> Packed(const std::vector<u8>& data, u32 size_field) {
  uLongf n = compressBound(uLong(data.size()));
  std::vector<u8> out(4 + n);
  compress(out.data() + 4, &n, data.data(), uLong(data.size()));
  out.resize(4 + n);
  for (int i = 0; i < 4; i++) out[i] = u8(size_field >> (8 * i));
  return out;
}

void* Block_Of(const std::vector<u8>& bytes) {
  void* b = Mem_Alloc(u32(bytes.size()));
  memcpy(b, bytes.data(), bytes.size());
  return b;
}
}  // namespace

TEST(ZlibInflate, AStreamFromAnotherZlibWriterInflates) {
  u8 out[5];
  EXPECT_EQ(Zlib_Inflate(kHello.data() + 4, out, u32(kHello.size() - 4), 5), static_cast<void*>(out));
  EXPECT_EQ(memcmp(out, "hello", 5), 0);
  u8* m = Zlib_Decompress_Memory(Block_Of(kHello));
  EXPECT_EQ(Mem_Get_Size(m), 5u);
  EXPECT_EQ(memcmp(m, "hello", 5), 0);
}

TEST(ZlibInflate, FileMemoryAndChunkedPathsGiveTheSameBytes) {
  std::vector<u8> data = Sample(300000);
  std::vector<u8> packed = Packed(data, u32(data.size()));
  std::string name = Test_Path("z");
  Write_Bytes(name, packed);
  File_Set_Datafile("");
  File_Init();
  u8* f = Zlib_Decompress_File(name.c_str());
  ASSERT_EQ(Mem_Get_Size(f), data.size());
  EXPECT_EQ(memcmp(f, data.data(), data.size()), 0);
  u8* m = Zlib_Decompress_Memory(Block_Of(packed));
  EXPECT_EQ(memcmp(m, data.data(), data.size()), 0);
  for (u32 chunk : {1u, 7u, 4096u, 1000000u}) {
    SCOPED_TRACE(chunk);
    u8* s = Zlib_Decompress_Stream(name.c_str(), chunk);
    ASSERT_EQ(Mem_Get_Size(s), data.size());
    EXPECT_EQ(memcmp(s, data.data(), data.size()), 0);
    Mem_Free(s);
  }
}

TEST(ZlibInflate, ResultsOtherThanTheFiveFailuresPassTheCheck) {
  EXPECT_EQ(Zlib_Check(Z_OK), Z_OK);
  EXPECT_EQ(Zlib_Check(Z_STREAM_END), Z_STREAM_END);
  EXPECT_EQ(Zlib_Check(Z_ERRNO), Z_ERRNO);
  EXPECT_EQ(Zlib_Check(Z_VERSION_ERROR), Z_VERSION_ERROR);
}

TEST(ZlibBadInput, EachFailureEndsWithItsMessage) {
  std::vector<u8> data = Sample(20000);
  std::vector<u8> right = Packed(data, 20000);
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of(Packed(data, 19999))), "Zlib: Output buffer overflow.");
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of(Packed(data, 20001))), "Zlib: Unable to complete inflating.");
  std::vector<u8> cut(right.begin(), right.end() - 40);
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of(cut)), "Zlib: Unable to complete inflating.");
  std::vector<u8> bad = right;
  bad[4] = 0x77;  // not a zlib header
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of(bad)), "Zlib: Input data corrupted.");
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of({1, 2})), "Zlib: Input data corrupted.");
  std::vector<u8> absurd = right;
  absurd[3] = 0xF0;  // far more than deflate could ever pack into the stream
  EXPECT_FATAL(Zlib_Decompress_Memory(Block_Of(absurd)), "Zlib: Unable to complete inflating.");

  // A stream that needs a preset dictionary.
  z_stream s;
  memset(&s, 0, sizeof s);
  deflateInit(&s, 9);
  const char* dictionary = "hello world";
  deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dictionary), 11);
  std::vector<u8> out(64);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(dictionary));
  s.avail_in = 11;
  s.next_out = out.data();
  s.avail_out = 64;
  deflate(&s, Z_FINISH);
  out.resize(64 - s.avail_out);
  deflateEnd(&s);
  u8 target[11];
  EXPECT_FATAL(Zlib_Inflate(out.data(), target, u32(out.size()), 11), "Zlib: Preset dictionary is needed.");
}

TEST(ZlibBadInput, AChunkedFileThatEndsEarlyIsAFailureNotAHalfFilledBlock) {
  std::vector<u8> data = Sample(50000);
  std::vector<u8> packed = Packed(data, 50000);
  packed.resize(packed.size() - 100);
  std::string name = Test_Path("z");
  Write_Bytes(name, packed);
  File_Set_Datafile("");
  File_Init();
  EXPECT_FATAL(Zlib_Decompress_Stream(name.c_str(), 1000), "Zlib: Unable to complete inflating.");
  EXPECT_FATAL(Zlib_Decompress_File(name.c_str()), "Zlib: Unable to complete inflating.");
}
