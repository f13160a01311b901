// Rows and effects: the position timeline under jumps, loops and delays, and effects with known results.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "music/xmfx.h"
#include "music/xmmix.h"
#include "xm_memory.h"

namespace {
XmModule* Start(const XmSong& song) {
  XmModule* m = Load_Song(song);
  EXPECT_NE(m, nullptr);
  EXPECT_TRUE(Xm_Render_Start(m));
  return m;
}

// (order, row) after each of n ticks.
std::vector<std::pair<i32, i32>> Timeline(XmModule* m, u32 ticks) {
  std::vector<std::pair<i32, i32>> t;
  for (u32 i = 0; i < ticks; i++) {
    m->tick_function(m);
    t.push_back({m->order, m->row});
  }
  return t;
}

XmSong Song(u32 patterns, u32 rows, u16 speed, std::vector<u8> orders) {
  XmSong song = One_Sample_Song(Dc_Sample(1000), 4);
  song.patterns.clear();
  for (u32 p = 0; p < patterns; p++) XmWriter_Add_Pattern(&song, rows);
  song.speed = speed;
  song.orders = orders;
  return song;
}

void End(XmModule* m) {
  Xm_Stop_Module(m);
  Xm_Free_Module(m);
}
}  // namespace

TEST(XmFormulas, TickLengthPeriodsAndFrequencies) {
  XmModule m{};
  Xm_Set_Bpm(&m, 125);
  EXPECT_EQ(m.tick_length, 882);
  Xm_Set_Bpm(&m, 126);
  EXPECT_EQ(m.tick_length, 875);
  Xm_Set_Bpm(&m, 150);
  EXPECT_EQ(m.tick_length, 735);
  EXPECT_EQ(Xm_Amiga_Period(48, 0), 1712);
  EXPECT_EQ(Xm_Amiga_Period(0, 0), 27392);
  EXPECT_EQ(Xm_Frequency(&m, 1712, 0), 8362);
  m.flags = 1;
  EXPECT_EQ(Xm_Frequency(&m, 4608, 0), 8363);
  EXPECT_EQ(Xm_Frequency(&m, 4608 - 768, 0), 16726);
}

TEST(XmRows, BreakAboveSixtyThreeStartsTheNextPatternAtRowZero) {
  XmSong song = Song(2, 64, 1, {0, 1});
  XmWriter_Cell(&song, 0, 0, 0) = {0, 0, 0, 0x0D, 0x70};
  XmModule* m = Start(song);
  auto t = Timeline(m, 3);
  EXPECT_EQ(t[0], std::make_pair(0, 0));
  EXPECT_EQ(t[1], std::make_pair(1, 0));
  EXPECT_EQ(t[2], std::make_pair(1, 1));
  End(m);
}

TEST(XmRows, JumpOnAnEarlierChannelKeepsItsOrderAndTheBreakGivesTheRow) {
  XmSong song = Song(3, 64, 1, {0, 1, 2});
  XmWriter_Cell(&song, 0, 0, 0) = {0, 0, 0, 0x0B, 0x02};
  XmWriter_Cell(&song, 0, 0, 2) = {0, 0, 0, 0x0D, 0x05};
  XmModule* m = Start(song);
  auto t = Timeline(m, 2);
  EXPECT_EQ(t[1], std::make_pair(2, 5));
  End(m);
}

TEST(XmRows, SongEndGoesToTheRestartOrderAndABreakThereToOrderZero) {
  XmSong song = Song(2, 4, 1, {0, 1});
  song.restart = 1;
  XmModule* m = Start(song);
  auto t = Timeline(m, 12);
  EXPECT_EQ(t[7], std::make_pair(1, 3));
  EXPECT_EQ(t[8], std::make_pair(1, 0));
  End(m);
  XmWriter_Cell(&song, 1, 1, 0) = {0, 0, 0, 0x0D, 0x00};
  m = Start(song);
  t = Timeline(m, 7);
  EXPECT_EQ(t[5], std::make_pair(1, 1));
  EXPECT_EQ(t[6], std::make_pair(0, 0));
  End(m);
}

TEST(XmRows, PatternLoopPlaysItsRowsThreeTimes) {
  XmSong song = Song(1, 16, 1, {0});
  XmWriter_Cell(&song, 0, 4, 1) = {0, 0, 0, 0x0E, 0x60};
  XmWriter_Cell(&song, 0, 8, 1) = {0, 0, 0, 0x0E, 0x62};
  XmModule* m = Start(song);
  auto t = Timeline(m, 20);
  std::vector<i32> rows;
  for (auto& p : t) rows.push_back(p.second);
  std::vector<i32> want = {0, 1, 2, 3, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(rows, want);
  End(m);
}

TEST(XmRows, PatternDelayStretchesTheRowAndTickEffectsRunOnEveryTick) {
  XmSong song = Song(1, 64, 3, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0x50, 0, 0};  // volume 64
  XmWriter_Cell(&song, 0, 1, 0) = {0, 0, 0, 0x0A, 0x01};
  XmWriter_Cell(&song, 0, 1, 1) = {0, 0, 0, 0x0E, 0xE2};
  XmModule* m = Start(song);
  auto t = Timeline(m, 3 + 9 + 1);
  for (u32 i = 3; i < 12; i++) EXPECT_EQ(t[i].second, 1) << i;
  EXPECT_EQ(t[12].second, 2);
  EXPECT_EQ(Xm_Channel(0)->volume, 64 - 8);
  End(m);
}

TEST(XmRows, SpeedZeroPlaysOneRowPerTick) {
  XmSong song = Song(1, 64, 6, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {0, 0, 0, 0x0F, 0x00};
  XmModule* m = Start(song);
  auto t = Timeline(m, 4);
  EXPECT_EQ(t[1].second, 1);
  EXPECT_EQ(t[3].second, 3);
  End(m);
}

TEST(XmRows, SetPositionActsAtTheNextRowAndOrdersBeyondTheSongRestart) {
  XmSong song = Song(3, 64, 1, {0, 1, 2});
  XmModule* m = Start(song);
  Timeline(m, 5);
  Xm_Set_Position(m, 2, 40);
  auto t = Timeline(m, 1);
  EXPECT_EQ(t[0], std::make_pair(2, 5));  // inside a pattern the row goes on from the last one
  Xm_Set_Position(m, 99, 3);
  t = Timeline(m, 1);
  EXPECT_EQ(t[0], std::make_pair(0, 6));
  End(m);
}

TEST(XmEffects, ArpeggioCyclesBaseThirdAndFifthFromTickZero) {
  XmSong song = Song(1, 64, 6, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0x00, 0x37};
  XmModule* m = Start(song);
  std::vector<i32> f;
  for (int i = 0; i < 4; i++) {
    m->tick_function(m);
    f.push_back(Xm_Channel(0)->voice->frequency);
  }
  EXPECT_EQ(f[0], 8363);
  EXPECT_EQ(f[1], i32(8363 * std::exp2(192 / 768.0)));
  EXPECT_EQ(f[2], i32(8363 * std::exp2(448 / 768.0)));
  EXPECT_EQ(f[3], 8363);
  End(m);
}

TEST(XmEffects, KeyOffWithoutEnvelopeCutsAndWithEnvelopeFadesPastTheSustain) {
  XmSong song = Song(1, 64, 2, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0, 0};
  XmWriter_Cell(&song, 0, 2, 0) = {97, 0, 0, 0, 0};
  XmModule* m = Start(song);
  Timeline(m, 4);
  EXPECT_EQ(Xm_Channel(0)->voice->volume, 127);
  Timeline(m, 1);
  EXPECT_EQ(Xm_Channel(0)->voice->volume, 0);
  End(m);

  song.instruments[0].volume_envelope.points = {{0, 64}, {2, 64}, {50, 0}};
  song.instruments[0].volume_envelope.type = 3;
  song.instruments[0].volume_envelope.sustain = 1;
  song.instruments[0].fadeout = 4096;  // 8192 a tick once doubled
  m = Start(song);
  Timeline(m, 4);
  EXPECT_EQ(Xm_Channel(0)->volume_envelope.output, 64);  // held at the sustain point
  std::vector<i32> v;
  for (int i = 0; i < 4; i++) {
    m->tick_function(m);
    v.push_back(Xm_Channel(0)->voice->volume);
  }
  EXPECT_EQ(v[0], 111);  // fadeout 57344 / 65536 of 127 with the envelope at 64
  EXPECT_LT(v[1], v[0]);
  EXPECT_LT(v[3], v[2]);
  EXPECT_LT(Xm_Channel(0)->volume_envelope.output, 64);
  End(m);
}

TEST(XmEffects, SetVolumeAboveSixtyFourIsClampedToFull) {
  XmSong song = Song(1, 64, 1, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0x0C, 0xFF};
  XmModule* m = Start(song);
  Timeline(m, 1);
  EXPECT_EQ(Xm_Channel(0)->volume, 64);
  EXPECT_EQ(Xm_Channel(0)->voice->volume, 127);
  End(m);
}

TEST(XmEffects, NoteDelayOfZeroPlaysAtOnceAndOfTwoAtTheThirdTick) {
  XmSong song = Song(1, 64, 6, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0x0E, 0xD0};
  XmWriter_Cell(&song, 0, 0, 1) = {49, 1, 0, 0x0E, 0xD2};
  XmModule* m = Start(song);
  Timeline(m, 1);
  EXPECT_NE(Xm_Channel(0)->voice->sample, nullptr);
  EXPECT_EQ(Xm_Channel(1)->voice->sample, nullptr);
  Timeline(m, 1);
  EXPECT_EQ(Xm_Channel(1)->voice->sample, nullptr);
  Timeline(m, 1);
  EXPECT_NE(Xm_Channel(1)->voice->sample, nullptr);
  EXPECT_EQ(Xm_Channel(1)->voice->frequency, 8363);
  End(m);
}

TEST(XmEffects, SetFinetuneGivesTheNoteOfItsRowAFinetuneOfYMinusEightTimesSixteen) {
  XmSong song = Song(1, 64, 6, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0x0E, 0x5F};
  XmWriter_Cell(&song, 0, 1, 0) = {49, 1, 0, 0, 0};
  XmModule* m = Start(song);
  Timeline(m, 1);
  EXPECT_EQ(Xm_Channel(0)->period, 4608 - 56);
  Timeline(m, 6);
  EXPECT_EQ(Xm_Channel(0)->period, 4608);  // the sample's own finetune again
  End(m);
}

TEST(XmEffects, PortamentoAndVolumeSlidesMoveByTheirMemories) {
  XmSong song = Song(1, 64, 4, {0});
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0x30, 0x01, 0x02};  // volume 32, up by 2 x 4 a tick
  XmWriter_Cell(&song, 0, 1, 0) = {0, 0, 0x62, 0x0A, 0x10};   // volume column -2 each tick, A +1
  XmWriter_Cell(&song, 0, 2, 0) = {61, 0, 0, 0x03, 0x10};     // slide toward C-5 by 64 a tick
  XmModule* m = Start(song);
  Timeline(m, 4);
  EXPECT_EQ(Xm_Channel(0)->period, 4608 - 3 * 8);
  Timeline(m, 4);
  EXPECT_EQ(Xm_Channel(0)->volume, 32 - 2 - 3 * (2 - 1));  // the column acts at the row start too
  Timeline(m, 4);
  EXPECT_EQ(Xm_Channel(0)->period, 4608 - 24 - 3 * 64);
  EXPECT_EQ(Xm_Channel(0)->porta_target, 3840);
  End(m);
}

TEST(XmEffects, EnvelopePositionFarBeforeTheFirstPointFollowsTheSegmentsLine) {
  XmSong song = Song(1, 64, 6, {0});
  song.instruments[0].volume_envelope.points = {{60000, 0}, {60001, 64}};
  song.instruments[0].volume_envelope.type = 1;
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0x15, 0};
  XmModule* m = Start(song);
  // Tick 0 lies 60000 ticks before the rising segment: its line is far below 0 there.
  Timeline(m, 1);
  EXPECT_EQ(Xm_Channel(0)->volume_envelope.output, 0);
  Timeline(m, 5);
  EXPECT_EQ(Xm_Channel(0)->volume_envelope.output, 0);
  EXPECT_EQ(Xm_Channel(0)->voice->volume, 0);
  End(m);
}
