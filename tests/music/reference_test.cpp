// Against a reference player (libopenmpt): the order and row at every tick, the song length, levels.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "music/xmfx.h"
#include "music/xmmix.h"
#include "writer.h"
#include "xm_memory.h"

namespace {
struct Comparison {
  u32 ticks = 0;        // ticks compared
  i64 mismatch = -1;    // first tick that differs, -1 none
  std::string detail;
  u64 our_frames = 0;   // song length up to the first repeated row, in frames
  u64 reference_frames = 0;
};

// Plays both players tick by tick, each tick as many frames as ours lasts, until the reference
// reports the song's end (or max ticks).
Comparison Compare_Timeline(const std::vector<u8>& bytes, u32 max_ticks) {
  Comparison c;
  XmModule* m = Load_Bytes(bytes);
  openmpt_module* ref = m ? openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                               nullptr, nullptr, nullptr, nullptr, nullptr)
                          : nullptr;
  if (!ref) {
    c.detail = m ? "reference refused" : "refused";
    c.mismatch = 0;
    Xm_Free_Module(m);
    return c;
  }
  Xm_Render_Start(m);
  std::vector<i16> buffer;
  // A row start seen before with the same pattern-loop counters ends the song.
  std::set<std::vector<i32>> visited;
  bool our_end = false;
  for (u32 t = 0; t < max_ticks; t++) {
    bool row_start = m->tick == 0;
    m->tick_function(m);
    if (row_start && !our_end) {
      std::vector<i32> key = {m->order, m->row};
      for (i32 ch = 0; ch < m->channels; ch++) key.push_back(Xm_Channel(u32(ch))->loop_count);
      if (!visited.insert(key).second) our_end = true;
    }
    u32 frames = u32(m->tick_length);
    buffer.resize(frames * 2);
    size_t got = openmpt_module_read_interleaved_stereo(ref, 44100, frames, buffer.data());
    c.reference_frames += got;
    if (got < frames) break;
    if (our_end) continue;  // the reference plays its tail
    c.our_frames += frames;
    c.ticks++;
    i32 order = openmpt_module_get_current_order(ref), row = openmpt_module_get_current_row(ref);
    if (c.mismatch < 0 && (order != m->order || row != m->row)) {
      c.mismatch = t;
      c.detail = "tick " + std::to_string(t) + ": ours " + std::to_string(m->order) + "." +
                 std::to_string(m->row) + ", reference " + std::to_string(order) + "." + std::to_string(row);
    }
  }
  openmpt_module_destroy(ref);
  Xm_Free_Module(m);
  return c;
}

}  // namespace

// libopenmpt renders 100 ms of tail after the last row.
const u64 kReferenceTail = 4410;

TEST(ReferenceTimeline, CorpusModulesPlayTheSameRowAtEveryTickAndLastAsLong) {
  // Refused by the loader, or where this player differs by design: a jump on a later channel than a
  // break takes row 0, a jump at the song's end, a loop or break inside a loop; some checked below.
  const std::set<std::string> skip = {
      "MRHPx-HBTN_LUCiFER.xm", "dontyou.xm", "grass_near_the_house.xm", "ice21_ambiguous.xm",
      "load_xm_zero_samples.xm", "load_xm_invalid_instsize.xm", "load_xm_orders_mismatch.xm",
      "pattern_jump_ft2_break.xm", "pattern_jump_mpt_break.xm", "pattern_jump_skale_break.xm",
      "pattern_loop_mpt.xm", "pattern_loop_mpt_breakjump.xm", "reverse_xm.xm", "rhino_sting.xm",
      "roadblas.xm", "xyce-dans_la_rue.xm"};
  u32 compared = 0;
  for (const std::string& name : Corpus_Names()) {
    if (skip.count(name)) continue;
    compared++;
    Comparison c = Compare_Timeline(Corpus(name), 200000);
    EXPECT_EQ(c.mismatch, -1) << name << ": " << c.detail;
    EXPECT_GT(c.ticks, 4u) << name;
    EXPECT_EQ(c.our_frames + kReferenceTail, c.reference_frames) << name;
  }
  EXPECT_EQ(compared, 49u);
  // Songs whose rows agree up to a place where this player differs by design: a jump on a later
  // channel than a break takes row 0 (roadblas), and a jump at the song's end (xyce); the last has no
  // tail after its one row.
  for (auto [name, ticks] : {std::pair{"roadblas.xm", 2400}, {"xyce-dans_la_rue.xm", 8400}, {"rhino_sting.xm", 200000},
                             {"load_xm_invalid_instsize.xm", 200000}})
    EXPECT_EQ(Compare_Timeline(Corpus(name), u32(ticks)).mismatch, -1) << name;
}

TEST(ReferenceTimeline, WriterModulesWithTempoChangesJumpsLoopsAndDelays) {
  XmSong song = One_Sample_Song(Dc_Sample(1000), 4);
  song.patterns.clear();
  for (int p = 0; p < 3; p++) XmWriter_Add_Pattern(&song, p == 1 ? 32 : 64);
  song.speed = 3;
  song.orders = {0, 1, 2, 1};
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0, 0};
  XmWriter_Cell(&song, 0, 2, 1) = {0, 0, 0, 0x0F, 0x05};
  XmWriter_Cell(&song, 0, 4, 1) = {0, 0, 0, 0x0F, 0x96};  // 150 BPM
  XmWriter_Cell(&song, 0, 8, 2) = {0, 0, 0, 0x0E, 0x60};
  XmWriter_Cell(&song, 0, 10, 2) = {0, 0, 0, 0x0E, 0x62};
  XmWriter_Cell(&song, 0, 12, 3) = {0, 0, 0, 0x0E, 0xE2};
  XmWriter_Cell(&song, 0, 14, 1) = {0, 0, 0, 0x0F, 0x7B};  // 123 BPM: 896 frames a tick
  XmWriter_Cell(&song, 0, 16, 0) = {0, 0, 0, 0x0D, 0x08};
  XmWriter_Cell(&song, 1, 20, 3) = {0, 0, 0, 0x0B, 0x02};
  XmWriter_Cell(&song, 2, 30, 1) = {0, 0, 0, 0x0F, 0x02};
  Comparison c = Compare_Timeline(XmWriter_Encode(song), 100000);
  EXPECT_EQ(c.mismatch, -1) << c.detail;
  EXPECT_GT(c.ticks, 150u);
  EXPECT_EQ(c.our_frames + kReferenceTail, c.reference_frames);

  std::vector<u8> show;
  ASSERT_TRUE(Read_File(std::string(VELMORAN_BINARY_DIR) + "/data/velmoran.xm", &show));
  c = Compare_Timeline(show, 200000);
  EXPECT_EQ(c.mismatch, -1) << c.detail;
  EXPECT_EQ(c.our_frames, 55ull * 64 * 6 * 882);  // 7.68 s an order
  EXPECT_EQ(c.our_frames + kReferenceTail, c.reference_frames);
}

namespace {
// Root mean square of one side over frames [from, to) of interleaved stereo.
f64 Rms(const std::vector<i16>& pcm, u32 side, u32 from, u32 to) {
  f64 sum = 0;
  for (u32 i = from; i < to; i++) sum += f64(pcm[2 * i + side]) * pcm[2 * i + side];
  return std::sqrt(sum / (to - from));
}
f64 Db(f64 ratio) { return 20 * std::log10(ratio); }
}  // namespace

TEST(ReferenceLevels, VolumeColumnAndPanningScaleTheSoundAsTheReferenceDoes) {
  XmSong song = One_Sample_Song(XmWriter_Cycle("sine", 32, 16000, 's'));
  song.speed = 6;
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0x50, 0, 0};
  XmWriter_Cell(&song, 0, 8, 0) = {0, 0, 0x30, 0, 0};
  XmWriter_Cell(&song, 0, 16, 0) = {0, 0, 0x20, 0, 0};
  XmWriter_Cell(&song, 0, 24, 0) = {0, 0, 0x50, 0x08, 0x00};
  XmWriter_Cell(&song, 0, 32, 0) = {0, 0, 0, 0x08, 0xFF};
  std::vector<u8> bytes = XmWriter_Encode(song);
  const u32 row = 6 * 882, frames = 40 * row;

  XmModule* m = Load_Bytes(bytes);
  ASSERT_TRUE(m && Xm_Render_Start(m));
  std::vector<i16> ours(size_t(frames + 884) * 2);
  for (size_t at = 0; at < size_t(frames) * 2; at += 884 * 2) Xm_Render_Chunk(&ours[at]);
  Xm_Free_Module(m);

  openmpt_module* ref = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(ref, nullptr);
  openmpt_module_set_render_param(ref, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 2);
  openmpt_module_set_render_param(ref, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, 0);
  std::vector<i16> theirs(size_t(frames) * 2);
  ASSERT_EQ(openmpt_module_read_interleaved_stereo(ref, 44100, frames, theirs.data()), frames);
  openmpt_module_destroy(ref);

  // Steady parts of rows 4..7 (volume 64), 12..15 (32), 20..23 (16), 28..31 (left), 36..39 (right).
  auto level = [&](const std::vector<i16>& pcm, u32 first_row, u32 side) {
    return Rms(pcm, side, first_row * row, (first_row + 4) * row);
  };
  for (u32 side = 0; side < 2; side++) {
    f64 full_ours = level(ours, 4, side), full_theirs = level(theirs, 4, side);
    ASSERT_TRUE(full_ours > 1000 && full_theirs > 1000);
    for (u32 quieter : {12u, 20u})
      EXPECT_NEAR(Db(level(ours, quieter, side) / full_ours), Db(level(theirs, quieter, side) / full_theirs), 0.5);
  }
  // Hard left and hard right leave the other side (nearly) silent in both players.
  for (auto [first_row, silent] : {std::pair{28u, 1u}, {36u, 0u}}) {
    EXPECT_LT(level(ours, first_row, silent), 1);
    EXPECT_LT(level(theirs, first_row, silent), level(theirs, first_row, 1 - silent) / 100);
  }
  EXPECT_GT(level(ours, 28, 0), level(ours, 4, 0));
  EXPECT_GT(level(theirs, 28, 0), level(theirs, 4, 0));
}
