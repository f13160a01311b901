// The LZARI decoder: known streams, round trips with the packer's encoder, model rescale, bad streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lzari_encoder.h"
#include "runtime/lzh.h"
#include "tests/engine_fixture.h"

namespace {
std::vector<u8> Decode(const std::vector<u8>& image) {
  u32 size = u32(image[0]) | u32(image[1]) << 8 | u32(image[2]) << 16 | u32(image[3]) << 24;
  std::vector<u8> out(size);
  EXPECT_TRUE(Lzh_Decode(image.data() + 4, u32(image.size() - 4), out.data(), size));
  return out;
}

// Runs, copies from far back, and noise.
std::vector<u8> Mixed(size_t n, u32 seed) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; i++) {
    seed = seed * 1664525u + 1013904223u;
    u32 kind = seed >> 28;
    v[i] = kind < 4 && i > 3000 ? v[i - 2999] : kind < 8 && i > 0 ? v[i - 1] : u8(seed >> 16);
  }
  return v;
}
}  // namespace

TEST(LzhKnown, KnownStreamsDecodeToTheirTextAndTheEncoderWritesThem) {
  // Streams worked out by hand ("A") and with an independent transcription of the published scheme.
  const struct {
    std::string text;
    std::vector<u8> image;
  } known[] = {
      {"A", {0x01, 0, 0, 0, 0xca, 0x80}},
      {"ABABABABABABABAB", {0x10, 0, 0, 0, 0xca, 0xd4, 0x7a, 0x47, 0xa0}},
      {std::string(20, ' '), {0x14, 0, 0, 0, 0x21, 0x6c, 0xc0}},
      {"hello, hello, hello world",
       {0x19, 0, 0, 0, 0xaa, 0xf1, 0xc0, 0xd0, 0x71, 0x3e, 0x07, 0x04, 0xcc, 0xec, 0xca, 0xde, 0xd5, 0x7f, 0xe0}},
  };
  for (const auto& k : known) {
    SCOPED_TRACE(k.text.substr(0, 30));
    std::vector<u8> text(k.text.begin(), k.text.end());
    EXPECT_EQ(Decode(k.image), text);
    EXPECT_EQ(Lzari_Pack(text), k.image);
  }
}

TEST(LzhRoundTrip, EncoderAndDecoderAgreeOnManyKindsOfData) {
  // The longest input holds far more than 32767 symbols: the frequency table is rescaled again and again.
  std::vector<u8> noise(200000), rescaled = Mixed(2000000, 9);
  for (size_t i = 0; i < noise.size(); i++) noise[i] = u8((i * 2654435761u) >> 13);
  for (size_t i = 0; i < 100000; i++) rescaled[i] = u8('a' + i % 3);
  for (const std::vector<u8>& in : {std::vector<u8>{0}, std::vector<u8>(4096, 0), std::vector<u8>(61, ' '),
                                    Mixed(1, 3), Mixed(5000, 5), Mixed(300000, 6), noise, rescaled}) {
    SCOPED_TRACE(in.size());
    EXPECT_EQ(Decode(Lzari_Pack(in)), in);
  }
}

TEST(LzhBadInput, StreamsThatEndEarlyOrSizesThatCannotBeAreRefused) {
  std::vector<u8> in = Mixed(20000, 13), image = Lzari_Pack(in), out(in.size());
  EXPECT_FALSE(Lzh_Decode(image.data() + 4, u32(image.size() / 2), out.data(), u32(in.size())));
  image.resize(image.size() / 2);
  EXPECT_FATAL("Lzh_Decompress: Data ends early", Lzh_Decompress_Memory(Block_Of(image)));
  for (const std::vector<u8>& bad : {std::vector<u8>{0, 0, 0, 0, 0xca, 0x80}, {0xff, 0xff, 0xff, 0x7f, 0xca, 0x80}, {1, 0}})
    EXPECT_FATAL("Lzh_Decompress: Illegal file size", Lzh_Decompress_Memory(Block_Of(bad)));
}
