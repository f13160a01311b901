// The XM loader: fields of modules from the XM writer, sample decoding, bad input refused or clamped.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "music/music.h"
#include "music/xmload.h"
#include "music/xmmix.h"
#include "writer.h"
#include "tests/engine_fixture.h"
#include "xm_memory.h"

namespace {
XmSong Two_Pattern_Song() {
  XmSong song;
  song.name = "fields";
  song.channels = 6, song.restart = 1, song.flags = 1, song.speed = 5, song.bpm = 140;
  XmWriter_Add_Pattern(&song, 64);
  XmWriter_Add_Pattern(&song, 32);
  song.orders = {1, 0, 1};
  XmWriter_Cell(&song, 0, 3, 2) = {49, 1, 0x40, 0x0C, 0x20};
  XmWriter_Cell(&song, 0, 4, 5) = {97, 0, 0, 0, 0};
  XmWriter_Cell(&song, 1, 31, 0) = {0, 0, 0, 0x0F, 0x03};
  XmWriterInstrument in;
  in.name = "a";
  XmWriterSample s = XmWriter_Cycle("sine", 32, 1000, 's');
  s.volume = 40, s.finetune = -16, s.panning = 200, s.relative_note = -12;
  in.samples.push_back(s);
  in.volume_envelope = {{{0, 64}, {10, 32}, {20, 0}}, 1, 0, 0, 3};  // sustained at point 1
  in.fadeout = 300, in.vibrato_type = 2, in.vibrato_depth = 7;
  song.instruments.push_back(in);
  song.instruments.push_back(XmWriterInstrument());  // no samples
  return song;
}

// Patches one byte of an encoded song.
std::vector<u8> Patched(const XmSong& song, size_t at, u8 value) {
  std::vector<u8> bytes = XmWriter_Encode(song);
  bytes[at] = value;
  return bytes;
}
}  // namespace

TEST(XmLoader, ReadsTheHeaderPatternsAndInstrumentsTheWriterWrote) {
  XmModule* m = Load_Song(Two_Pattern_Song());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ((std::vector<i32>{m->song_length, m->restart_position, m->channels, m->flags, m->default_speed,
                              m->default_bpm, m->used_patterns, m->pattern_table_size, m->instrument_count,
                              m->initial_global_volume, m->order_table[0], m->order_table[2],
                              i32(m->patterns[0].rows), i32(m->patterns[1].rows)}),
            (std::vector<i32>{3, 1, 6, 1, 5, 140, 2, 2, 2, 64, 1, 1, 64, 32}));
  EXPECT_NE(m->tick_function, nullptr);
  const XmCell& c = m->patterns[0].cells[3 * 6 + 2];
  EXPECT_EQ((std::vector<u8>{c.note, c.instrument, c.volume, c.effect, c.parameter}),
            (std::vector<u8>{49, 1, 0x40, 0x0C, 0x20}));
  EXPECT_EQ(std::make_pair(m->patterns[0].cells[4 * 6 + 5].note, m->patterns[1].cells[31 * 6].effect),
            std::make_pair(u8(255), u8(0x0F)));  // a key-off and an F
  const XmInstrument& in = m->instruments[0];
  // The fadeout is doubled.
  EXPECT_EQ((std::vector<i32>{i32(in.sample_count), in.fadeout, in.volume_points, in.volume_type, in.volume_sustain,
                              in.volume_envelope[1].x, in.volume_envelope[1].y, in.vibrato_type, in.vibrato_depth}),
            (std::vector<i32>{1, 600, 3, 3, 1, 10, 32, 2, 7}));
  const XmSample* s = in.samples[0];
  EXPECT_EQ((std::vector<i32>{i32(s->length), s->loop_type, i32(s->loop_start), i32(s->loop_length), s->volume,
                              s->finetune, i32(s->panning), s->relative_note, s->bits}),
            (std::vector<i32>{32, XM_LOOP_FORWARD, 0, 32, 40, -16, 200, -12, 16}));
  EXPECT_EQ(std::make_pair(s->data[8], s->data[32]), std::make_pair(i16(1000), s->data[0]));  // peak, loop guard
  EXPECT_EQ(in.samples[1], &xm_empty_sample);
  // An instrument without samples leaves every slot on the empty sample.
  for (u32 i = 0; i < kXmMaxSamples; i++) EXPECT_EQ(m->instruments[1].samples[i], &xm_empty_sample);
  EXPECT_EQ(std::make_pair(Xm_Free_Module(m), Xm_Free_Module(nullptr)), std::make_pair(true, false));
}

TEST(XmLoader, OnlyATempoOfZeroIsReplacedAndSlowTemposPlayAsWritten) {
  for (auto [bpm, want, frames] : {std::tuple{0, 125, 882}, {1, 1, 110250}, {31, 31, 3556}, {255, 255, 432}, {65535, 32767, 3}}) {
    XmSong song = One_Sample_Song(Dc_Sample(100));
    song.bpm = u16(bpm);
    XmModule* m = Load_Song(song);
    ASSERT_TRUE(Xm_Render_Start(m));
    EXPECT_EQ(std::make_pair(i32(m->default_bpm), m->tick_length), std::make_pair(want, frames));
    Xm_Free_Module(m);
  }
}

TEST(XmLoader, DecodesDeltaSamplesAndConvertsLoopsToSamples) {
  XmWriterSample eight;
  eight.sixteen_bit = false;
  eight.data = {10, 15, 12};  // written as deltas 10, 5, -3
  eight.loop_type = 1, eight.loop_start = 3, eight.loop_length = 1;  // a loop from the sample's end is dropped
  XmWriterSample sixteen;
  for (i32 i = 0; i < 600000; i++) sixteen.data.push_back(i16(i));  // over a megabyte: read in pieces
  sixteen.loop_type = 3;  // both loop bits: ping-pong
  sixteen.loop_start = 500;
  sixteen.loop_length = 1000;  // bytes 1000..3000
  XmWriterSample no_loop_length = XmWriter_Cycle("c", 16, 100, 'q');
  no_loop_length.loop_length = 0;
  XmSong song = One_Sample_Song(eight);
  song.instruments[0].samples.push_back(sixteen);
  song.instruments[0].samples.push_back(no_loop_length);
  XmModule* m = Load_Song(song);
  ASSERT_NE(m, nullptr);
  const XmSample* const* in = m->instruments[0].samples;
  auto loop = [](const XmSample* s) { return std::vector<i32>{s->loop_type, i32(s->loop_start), i32(s->loop_length)}; };
  // 8-bit values widen to 16 bits; a sample without loop reads zero padding at its end.
  EXPECT_EQ(std::vector<i16>(in[0]->data, in[0]->data + 4), (std::vector<i16>{2560, 3840, 3072, 0}));
  EXPECT_EQ(loop(in[0]), (std::vector<i32>{XM_LOOP_NONE, 0, 3}));
  EXPECT_EQ(loop(in[1]), (std::vector<i32>{XM_LOOP_PINGPONG, 500, 1000}));
  EXPECT_EQ(in[1]->data[1500], in[1]->data[1499]);  // ping-pong guard
  EXPECT_EQ(loop(in[2]), (std::vector<i32>{XM_LOOP_NONE, 0, 16}));
  Xm_Free_Module(m);
}

TEST(XmLoader, EmptyAndMissingPatternsPlayEmptyRows) {
  XmSong song;
  song.channels = 2;
  XmWriter_Add_Pattern(&song, 40);  // all cells empty: packed as 0x80 each
  song.orders = {0, 3};             // pattern 3 is not in the file
  std::vector<u8> bytes = XmWriter_Encode(song);
  // Make the pattern's packed size 0 and drop its data: an empty pattern of 40 rows.
  size_t header = 336;
  u32 packed = bytes[header + 7] | bytes[header + 8] << 8;
  bytes.erase(bytes.begin() + long(header + 9), bytes.begin() + long(header + 9 + packed));
  bytes[header + 7] = bytes[header + 8] = 0;
  XmModule* m = Load_Bytes(bytes);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(std::make_pair(m->used_patterns, m->pattern_table_size), std::make_pair(4, 4));
  EXPECT_EQ(std::make_pair(m->patterns[0].rows, m->patterns[0].cells[79].note), std::make_pair(40u, u8(0)));
  for (int p = 1; p < 4; p++) EXPECT_EQ(m->patterns[p].rows, 64u);
  Xm_Free_Module(m);
  // A pattern of 0 rows becomes 64 empty rows; an empty order list plays its first entry.
  bytes = Patched(One_Sample_Song(Dc_Sample(100)), 336 + 5, 0);
  bytes[64] = 0;
  m = Load_Bytes(bytes);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(std::make_pair(m->patterns[0].rows, i32(m->song_length)), std::make_pair(64u, 1));
  Xm_Free_Module(m);
}

TEST(XmLoader, ClampsWhatPlayersCommonlyAccept) {
  XmSong song = One_Sample_Song(Dc_Sample(100, 40));
  song.restart = 1;  // the song's length: past its last order
  XmWriter_Cell(&song, 0, 0, 0) = {98, 129, 0, 0, 0};  // note and instrument just out of range
  XmWriterInstrument& in = song.instruments[0];
  in.samples[0].volume = 65;
  in.samples[0].loop_start = 30, in.samples[0].loop_length = 50;  // runs past the end
  // y above 64, a sustain point past the two points, a loop 1..0 backwards; a single point is no envelope.
  in.volume_envelope = {{{0, 64}, {4, 80}}, 2, 1, 0, 7};
  in.panning_envelope = {{{0, 32}}, 0, 0, 0, 1};
  XmModule* m = Load_Song(song);
  ASSERT_NE(m, nullptr);
  const XmSample* s = m->instruments[0].samples[0];
  EXPECT_EQ((std::vector<i32>{m->restart_position, m->patterns[0].cells[0].note, m->patterns[0].cells[0].instrument,
                              s->volume, i32(s->loop_start), i32(s->loop_length),
                              m->instruments[0].volume_envelope[1].y, m->instruments[0].volume_type,
                              m->instruments[0].panning_type}),
            (std::vector<i32>{0, 0, 0, 64, 30, 10, 64, 1, 0}));
  Xm_Free_Module(m);

  // A loop that starts beyond the sample is dropped; a sample cut by the file's end is shortened.
  song = One_Sample_Song(Dc_Sample(100, 40));
  song.instruments[0].samples[0].loop_start = 45;
  std::vector<u8> bytes = XmWriter_Encode(song);
  bytes.resize(bytes.size() - 30);  // 15 of 40 16-bit values are lost
  m = Load_Bytes(bytes);
  ASSERT_NE(m, nullptr);
  s = m->instruments[0].samples[0];
  EXPECT_EQ((std::vector<i32>{i32(s->length), s->loop_type, i32(s->loop_length)}),
            (std::vector<i32>{25, XM_LOOP_NONE, 25}));
  Xm_Free_Module(m);

  // An instrument without samples whose size says under 29 bytes still takes its 29: the next reads whole.
  song = One_Sample_Song(Dc_Sample(100, 40));
  song.instruments.insert(song.instruments.begin(), XmWriterInstrument());
  m = Load_Bytes(Patched(song, 336 + 9 + 128, 10));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(i32(m->instruments[1].samples[0]->length), 40);
  Xm_Free_Module(m);

  // Too many envelope points are cut to twelve.
  song = One_Sample_Song(Dc_Sample(100));
  for (u16 i = 0; i < 12; i++) song.instruments[0].volume_envelope.points.push_back({u16(i * 2), 32});
  song.instruments[0].volume_envelope.type = 1;
  bytes = XmWriter_Encode(song);
  size_t points_at = 336 + 9 + 128 + 29 + 4 + 96 + 96;  // header, 128 empty cells, instrument
  ASSERT_EQ(bytes[points_at], 12);
  bytes[points_at] = 200;
  m = Load_Bytes(bytes);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->instruments[0].volume_points, 12);
  Xm_Free_Module(m);
}

TEST(XmLoader, RefusesWhatDoesNotFitThePlayer) {
  // One byte patched: the id, 33 or 0 channels, 513 orders, 257 instruments and patterns, 513 rows, 17 samples.
  const struct {
    size_t at;
    u8 value;
    const char* error;
  } rows[] = {{0, 'e', "not an XM module"}, {68, 33, "channel count not 1..32"}, {68, 0, "channel count not 1..32"},
              {65, 2, "song longer than 256 orders"}, {73, 1, "more than 128 instruments"},
              {71, 1, "more than 256 patterns"}, {336 + 6, 2, "pattern with more than 256 rows"},
              {336 + 9 + 128 + 27, 17, "instrument with more than 16 samples"}};
  for (const auto& row : rows) {
    EXPECT_EQ(Load_Bytes(Patched(One_Sample_Song(Dc_Sample(100)), row.at, row.value)), nullptr) << row.error;
    EXPECT_STREQ(Xm_Load_Error(), row.error);
  }
  // The header sends the reader to the last position a file can have, where the instrument's size overflows.
  EXPECT_EQ(Load_Bytes(Corpus("instrument_at_file_limit.xm", "xm_fuzz")), nullptr);
  EXPECT_STREQ(Xm_Load_Error(), "instrument header past the end of the file");
  EXPECT_FATAL("Music: Unable to load no-such-module.xm", Music_Load("no-such-module.xm"));
  xm_memory::file.clear();
  Xm_Set_File_Callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(Xm_Load_Module("memory", nullptr), nullptr);
}

TEST(XmLoader, SampleReaderFillsTheDataInsteadOfTheFile) {
  XmSong song = One_Sample_Song(Dc_Sample(100, 8));
  xm_memory::file = XmWriter_Encode(song);
  Xm_Set_File_Callbacks(xm_memory::Open, xm_memory::Close, xm_memory::Read, xm_memory::Seek, xm_memory::Tell);
  XmModule* m = Xm_Load_Module("memory", [](void* d, u32 bytes, u8 bits, u32 instrument, u32 sample) {
    EXPECT_EQ(std::make_tuple(bytes, bits, instrument, sample), std::make_tuple(16u, u8(16), 0u, 0u));
    i16* p = static_cast<i16*>(d);
    for (u32 i = 0; i < 8; i++) p[i] = i16(i * 3);
  });
  ASSERT_NE(m, nullptr);
  for (u32 i = 0; i < 8; i++) EXPECT_EQ(m->instruments[0].samples[0]->data[i], i16(i * 3));  // not delta-coded
  Xm_Free_Module(m);
}

TEST(XmLoader, EveryCorpusModuleLoadsOrIsRefusedWithoutHarm) {
  u32 files = 0;
  std::string refused;
  for (const std::string& name : Corpus_Names()) {
    std::vector<u8> bytes = Corpus(name);
    ASSERT_FALSE(bytes.empty()) << name;
    files++;
    XmModule* m = Load_Bytes(bytes);
    if (!m) {
      refused += name + ": " + Xm_Load_Error() + "\n";
      continue;
    }
    for (i32 p = 0; p < m->pattern_table_size; p++) ASSERT_NE(m->patterns[p].cells, nullptr) << name;
    Xm_Free_Module(m);
  }
  EXPECT_GE(files, 60u);
  EXPECT_EQ(refused,
            "MRHPx-HBTN_LUCiFER.xm: ADPCM samples are not supported\n"
            "dontyou.xm: pattern with more than 256 rows\n"  // an older layout (1.02)
            "grass_near_the_house.xm: instrument with more than 16 samples\n"
            "ice21_ambiguous.xm: not an XM module\n"
            "load_xm_zero_samples.xm: channel count not 1..32\n");
}
