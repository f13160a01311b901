// The LZARI decoder: known streams, round trips with the packer's encoder, model rescale, bad streams.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "lzari_encoder.h"
#include "runtime/file.h"
#include "runtime/lzh.h"
#include "runtime/mem.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
struct Known {
  std::string text;
  std::vector<u8> image;
};

// Streams worked out by hand ("A") and with an independent transcription of the published scheme.
std::vector<Known> Known_Streams(void) {
  std::vector<u8> xs = {0x40, 0x9c, 0x00, 0x00, 0x9e, 0x29};
  xs.insert(xs.end(), 337, 0xff);
  xs.push_back(0xe0);
  return {
      {"A", {0x01, 0, 0, 0, 0xca, 0x80}},
      {"ABABABABABABABAB", {0x10, 0, 0, 0, 0xca, 0xd4, 0x7a, 0x47, 0xa0}},
      {std::string(20, ' '), {0x14, 0, 0, 0, 0x21, 0x6c, 0xc0}},
      {"hello, hello, hello world",
       {0x19, 0, 0, 0, 0xaa, 0xf1, 0xc0, 0xd0, 0x71, 0x3e, 0x07, 0x04, 0xcc, 0xec, 0xca, 0xde, 0xd5, 0x7f, 0xe0}},
      {std::string(40000, 'x'), xs},
  };
}

std::vector<u8> Decode(const std::vector<u8>& image) {
  u32 size = u32(image[0]) | u32(image[1]) << 8 | u32(image[2]) << 16 | u32(image[3]) << 24;
  std::vector<u8> out(size);
  EXPECT_TRUE(Lzh_Decode(image.data() + 4, u32(image.size() - 4), out.data(), size));
  return out;
}

std::vector<u8> Mixed(size_t n, u32 seed) {
  std::vector<u8> v(n);
  u32 x = seed;
  for (size_t i = 0; i < n; i++) {
    x = x * 1664525u + 1013904223u;
    u32 kind = (x >> 28);
    // Runs, copies from far back, and noise.
    if (kind < 4 && i > 3000)
      v[i] = v[i - 2999];
    else if (kind < 8 && i > 0)
      v[i] = v[i - 1];
    else
      v[i] = u8(x >> 16);
  }
  return v;
}

void* Block_Of(const std::vector<u8>& bytes) {
  void* b = Mem_Alloc(u32(bytes.size()));
  memcpy(b, bytes.data(), bytes.size());
  return b;
}
}  // namespace

TEST(LzhKnown, KnownStreamsDecodeToTheirTextAndTheEncoderWritesThem) {
  std::vector<Known> known = Known_Streams();
  for (size_t i = 0; i < known.size(); i++) {
    const Known& k = known[i];
    SCOPED_TRACE(k.text.substr(0, 30));
    std::vector<u8> text(k.text.begin(), k.text.end());
    EXPECT_EQ(Decode(k.image), text);
    // The last stream was written with literals only; the encoder uses matches there.
    if (i + 1 < known.size()) {
      EXPECT_EQ(Lzari_Pack(text), k.image);
    }
  }
}

TEST(LzhRoundTrip, EncoderAndDecoderAgreeOnManyKindsOfData) {
  std::vector<std::vector<u8>> inputs = {{0},
                                         {' ', ' ', ' '},
                                         std::vector<u8>(4096, 0),
                                         std::vector<u8>(61, ' '),
                                         Mixed(1, 3),
                                         Mixed(100, 4),
                                         Mixed(5000, 5),
                                         Mixed(300000, 6)};
  std::vector<u8> noise(200000);
  for (size_t i = 0; i < noise.size(); i++) noise[i] = u8((i * 2654435761u) >> 13);
  inputs.push_back(noise);
  for (const std::vector<u8>& in : inputs) {
    SCOPED_TRACE(in.size());
    EXPECT_EQ(Decode(Lzari_Pack(in)), in);
  }
}

TEST(LzhRoundTrip, TheSymbolModelIsHalvedManyTimesOverALongInput) {
  // Far more than 32767 symbols: the frequency table is rescaled again and again.
  std::vector<u8> in = Mixed(2000000, 9);
  for (size_t i = 0; i < 100000; i++) in[i] = u8('a' + i % 3);
  std::vector<u8> image = Lzari_Pack(in);
  EXPECT_LT(image.size(), in.size());
  EXPECT_EQ(Decode(image), in);
}

TEST(LzhMemory, DecompressMemoryMakesADescribedBlock) {
  std::vector<u8> in = Mixed(10000, 11);
  void* src = Block_Of(Lzari_Pack(in));
  u8* out = Lzh_Decompress_Memory(src);
  ASSERT_EQ(Mem_Get_Size(out), in.size());
  EXPECT_EQ(memcmp(out, in.data(), in.size()), 0);
  EXPECT_STREQ(Mem_Get_Description(out), "Lzh: uncompressed data");
  EXPECT_NE(Mem_Search_Block(src), -1) << "the source stays";
}

TEST(LzhFile, DecompressReadsAKlzFileThroughThePlainFileLayer) {
  std::vector<u8> in = Mixed(70000, 12);
  std::string name = "lzh_plain.klz";
  Write_Bytes(name, Lzari_Pack(in));
  File_Set_Datafile("");
  File_Init();
  u8* out = Lzh_Decompress(name.c_str());
  ASSERT_EQ(Mem_Get_Size(out), in.size());
  EXPECT_EQ(memcmp(out, in.data(), in.size()), 0);
  EXPECT_STREQ(Mem_Get_Description(out), "Lzh: lzh_plain.klz");
}

TEST(LzhBadInput, StreamsThatEndEarlyOrSizesThatCannotBeAreRefused) {
  std::vector<u8> in = Mixed(20000, 13);
  std::vector<u8> image = Lzari_Pack(in);
  std::vector<u8> out(in.size());
  EXPECT_FALSE(Lzh_Decode(image.data() + 4, u32(image.size() / 2), out.data(), u32(in.size())));
  // A valid stream reads a byte past its end: "A" ends after 16 bits but the decoder takes 24.
  const u8 a[] = {0xca, 0x80};
  u8 one = 0;
  EXPECT_TRUE(Lzh_Decode(a, 2, &one, 1));
  EXPECT_EQ(one, 'A');

  std::vector<u8> cut(image.begin(), image.begin() + image.size() / 2);
  EXPECT_FATAL(Lzh_Decompress_Memory(Block_Of(cut)), "Lzh_Decompress: Data ends early");
  std::vector<u8> zero = {0, 0, 0, 0, 0xca, 0x80};
  EXPECT_FATAL(Lzh_Decompress_Memory(Block_Of(zero)), "Lzh_Decompress: Illegal file size");
  std::vector<u8> huge = {0xff, 0xff, 0xff, 0x7f, 0xca, 0x80};
  EXPECT_FATAL(Lzh_Decompress_Memory(Block_Of(huge)), "Lzh_Decompress: Illegal file size");
  std::vector<u8> short_image = {1, 0};
  EXPECT_FATAL(Lzh_Decompress_Memory(Block_Of(short_image)), "Lzh_Decompress: Illegal file size");
}
