// The show's music as written: its shape for the show's clock, its length against libopenmpt, its level.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "music/xmmix.h"
#include "synth.h"
#include "tests/music/xm_memory.h"
#include "writer.h"

namespace {
const u32 kBellA = 13, kBellB = 14, kLeadChannel = 11;
const double kOrderSeconds = 7.68;  // 64 rows of 6 ticks at 125 BPM

std::vector<u8> Show_Music(void) {
  std::vector<u8> bytes;
  Read_File(std::string(VELMORAN_BINARY_DIR) + "/data/velmoran.xm", &bytes);
  return bytes;
}

// The note byte of a cell: the labels come on any non-zero byte there, a key-off too.
u8 Note_Byte(const XmModule* m, u32 order, u32 row, u32 channel) {
  return m->patterns[m->order_table[order]].cells[row * u32(m->channels) + channel].note;
}
bool Has_Note(const XmModule* m, u32 order, u32 row, u32 channel) {
  const u8 note = Note_Byte(m, order, row, channel);
  return note != 0 && note != kXmKeyOff;
}
}  // namespace

TEST(ShowMusic, KeepsTheShowsClockBeatsLeadAndLabelBells) {
  XmModule* m = Load_Bytes(Show_Music());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(std::make_tuple(m->song_length, m->restart_position, m->default_speed, m->default_bpm),
            std::make_tuple(55, 54, 6, 125));
  EXPECT_GE(m->channels, 16);
  // Effects that move the position or the tempo: F, B, D, and E6x / EEx.
  const auto moves = [](const XmCell& c) {
    return c.effect == 0x0F || c.effect == 0x0B || c.effect == 0x0D ||
           (c.effect == 0x0E && (c.parameter >> 4 == 6 || c.parameter >> 4 == 14));
  };
  u32 lead_orders = 0;
  for (u32 o = 0; o < 55; o++) {
    const XmPattern& p = m->patterns[m->order_table[o]];
    ASSERT_EQ(p.rows, 64u) << "order " << o;
    bool bells = false, lead = false;
    for (u32 r = 0; r < 64; r++) {
      for (i32 ch = 0; ch < m->channels; ch++)
        EXPECT_FALSE(moves(p.cells[r * u32(m->channels) + u32(ch)])) << o << "." << r;
      bells |= Note_Byte(m, o, r, kBellA) || Note_Byte(m, o, r, kBellB);
      lead |= Has_Note(m, o, r, kLeadChannel);
      // The labels come on the beat: a bell on every fourth row of their two orders.
      const bool labels = (o == 36 || o == 37) && r % 4 == 0;
      EXPECT_TRUE(!labels || Has_Note(m, o, r, kBellA) || Has_Note(m, o, r, kBellB)) << o << "." << r;
      // The groove sections hit a kick or a snare on every beat (the sway and the flashes follow it).
      const bool groove = (o >= 8 && o <= 20) || (o >= 22 && o <= 31) || (o >= 36 && o <= 43);
      EXPECT_TRUE(!groove || r % 4 || Has_Note(m, o, r, 0) || Has_Note(m, o, r, 1)) << o << "." << r;
    }
    EXPECT_EQ(bells, o == 36 || o == 37) << "order " << o;
    lead_orders += lead;
  }
  EXPECT_GE(lead_orders, 35u);
  Xm_Free_Module(m);
}

TEST(ShowMusic, LastsFiftyFiveOrdersInTheReferencePlayerAndReachesTheEndAt414_72Seconds) {
  const std::vector<u8> bytes = Show_Music();
  openmpt_module* ref = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(ref, nullptr);
  EXPECT_NEAR(openmpt_module_get_duration_seconds(ref), 55 * kOrderSeconds, 0.001);
  // A seek lands on the next row start: the show's last row, then the end at 54.00.
  EXPECT_NEAR(openmpt_module_set_position_seconds(ref, 414.6), 414.6, 1e-9);
  EXPECT_EQ(openmpt_module_get_current_order(ref) * 64 + openmpt_module_get_current_row(ref), 53 * 64 + 63);
  EXPECT_NEAR(openmpt_module_set_position_seconds(ref, 414.7), 414.72, 1e-9);
  EXPECT_EQ(openmpt_module_get_current_order(ref) * 64 + openmpt_module_get_current_row(ref), 54 * 64);
  openmpt_module_destroy(ref);
}

TEST(ShowMusic, MixerOutputPeaksBelowFullScaleAndFadesAtTheEnd) {
  XmModule* m = Load_Bytes(Show_Music());
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(Xm_Render_Start(m));
  const u32 order_frames = u32(kOrderSeconds * kXmRate);
  std::vector<i16> chunk(size_t(Xm_Chunk_Frames()) * 2);
  std::vector<double> energy(55, 0);
  i32 peak = 0;
  for (u64 frame = 0; frame < 55ull * order_frames;) {
    Xm_Render_Chunk(chunk.data());
    for (u32 i = 0; i < Xm_Chunk_Frames(); i++, frame++) {
      for (u32 side = 0; side < 2; side++) peak = std::max(peak, std::abs(i32(chunk[2 * i + side])));
      if (frame < 55ull * order_frames) energy[frame / order_frames] += double(chunk[2 * i]) * chunk[2 * i];
    }
  }
  Xm_Stop_Module(m);
  Xm_Free_Module(m);
  EXPECT_LT(peak, 29205);  // -1 dBFS
  EXPECT_GT(peak, 16384);  // and not timid: above -6 dBFS somewhere
  // The credits' last order is far quieter (10 dB) than their first pages; order 54 is silent.
  EXPECT_LT(energy[53] * 10, energy[45]);
  EXPECT_LT(energy[54], energy[45] * 1e-6);
}

// Sine and fall values worked out by hand, in Q30.
TEST(Synth, SineAndFallGiveHandWorkedValues) {
  const struct {
    u32 phase;
    i32 expected;
  } kSines[] = {{0, 0}, {1u << 30, 1 << 30}, {1u << 31, 0}, {3u << 30, -(1 << 30)}, {0x15555555u, 1 << 29}};
  for (const auto& s : kSines) EXPECT_NEAR(Synth_Sin(s.phase), s.expected, 1 << 17) << s.phase;
  EXPECT_EQ(Synth_Fall(0, 100, 2), i64(1) << 30);
  EXPECT_EQ(Synth_Fall(50, 100, 2), i64(1) << 28);  // (1/2)^2
  EXPECT_EQ(Synth_Fall(100, 100, 2), 0);
  EXPECT_EQ(Synth_Fall(75, 100, 3), i64(1) << 24);  // (1/4)^3
}
