// Rows and effects: the position timeline under jumps, loops and delays, and effects with known results.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "music/xmfx.h"
#include "music/xmmix.h"
#include "xm_memory.h"

namespace {
using Cells = std::vector<std::pair<u32, XmWriterCell>>;  // (row, cell of channel 0)

XmSong Song(u32 patterns, u32 rows, u16 speed, std::vector<u8> orders) {
  XmSong song = One_Sample_Song(Dc_Sample(1000), 4);
  song.patterns.clear();
  for (u32 p = 0; p < patterns; p++) XmWriter_Add_Pattern(&song, rows);
  song.speed = speed;
  song.orders = orders;
  return song;
}

XmSong Song(u16 speed, const Cells& cells) {
  XmSong song = Song(1, 64, speed, {0});
  for (auto& [row, cell] : cells) XmWriter_Cell(&song, 0, row, 0) = cell;
  return song;
}

// A value read after each of n ticks of the song.
std::vector<i32> Trace(const XmSong& song, u32 ticks, const std::function<i32(XmModule*)>& value) {
  XmModule* m = Load_Song(song);
  EXPECT_TRUE(m && Xm_Render_Start(m));
  std::vector<i32> t;
  for (u32 i = 0; i < ticks; i++) {
    m->tick_function(m);
    t.push_back(value(m));
  }
  Xm_Free_Module(m);
  return t;
}

XmChannel* C0() { return Xm_Channel(0); }
}  // namespace

TEST(XmFormulas, TickLengthPeriodsAndFrequencies) {
  XmModule m{};
  for (auto [bpm, frames] : {std::pair{125, 882}, {126, 875}, {150, 735}, {31, 3556}, {1, 110250}}) {
    Xm_Set_Bpm(&m, bpm);
    EXPECT_EQ(m.tick_length, frames) << bpm;
  }
  EXPECT_EQ(std::make_pair(Xm_Amiga_Period(48, 0), Xm_Amiga_Period(0, 0)), std::make_pair(1712, 27392));
  EXPECT_EQ(Xm_Frequency(&m, 1712, 0), 8362);
  m.flags = 1;
  EXPECT_EQ(std::make_pair(Xm_Frequency(&m, 4608, 0), Xm_Frequency(&m, 4608 - 768, 0)), std::make_pair(8363, 16726));
}

TEST(XmRows, JumpsBreaksLoopsDelaysAndSpeedZeroGiveTheirTimelines) {
  struct Case {
    const char* name;
    XmSong song;
    std::vector<i32> timeline;  // order x 1000 + row after each tick
  };
  std::vector<Case> cases;
  XmSong s = Song(2, 64, 1, {0, 1});
  XmWriter_Cell(&s, 0, 0, 0) = {0, 0, 0, 0x0D, 0x70};  // above 63: the next pattern's row 0
  cases.push_back({"break", s, {0, 1000, 1001}});
  s = Song(3, 64, 1, {0, 1, 2});
  XmWriter_Cell(&s, 0, 0, 0) = {0, 0, 0, 0x0B, 0x02};  // the jump's order, the later break's row
  XmWriter_Cell(&s, 0, 0, 2) = {0, 0, 0, 0x0D, 0x05};
  cases.push_back({"jump and break", s, {0, 2005}});
  s = Song(2, 4, 1, {0, 1});
  s.restart = 1;  // the song's end goes to the restart order
  cases.push_back({"restart", s, {0, 1, 2, 3, 1000, 1001, 1002, 1003, 1000}});
  XmWriter_Cell(&s, 1, 1, 0) = {0, 0, 0, 0x0D, 0x00};  // a break at the last order goes to order 0
  cases.push_back({"break at the end", s, {0, 1, 2, 3, 1000, 1001, 0}});
  s = Song(2, 64, 1, {0, 1});
  s.restart = 1;  // a break to row 63, then a jump to the song's length: order 0, not the restart order
  XmWriter_Cell(&s, 0, 0, 0) = {0, 0, 0, 0x0D, 0x63}, XmWriter_Cell(&s, 1, 63, 0) = {0, 0, 0, 0x0B, 0x02};
  cases.push_back({"last row, jump past the end", s, {0, 1063, 0}});
  s = Song(1, 16, 1, {0});
  XmWriter_Cell(&s, 0, 4, 1) = {0, 0, 0, 0x0E, 0x60};
  XmWriter_Cell(&s, 0, 8, 1) = {0, 0, 0, 0x0E, 0x62};
  cases.push_back({"loop", s, {0, 1, 2, 3, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 9}});
  s = Song(1, 64, 3, {0});
  XmWriter_Cell(&s, 0, 1, 1) = {0, 0, 0, 0x0E, 0xE2};  // row 1 lasts 3 x 3 ticks
  cases.push_back({"pattern delay", s, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}});
  s = Song(1, 64, 6, {0});
  XmWriter_Cell(&s, 0, 0, 0) = {0, 0, 0, 0x0F, 0x00};
  cases.push_back({"speed 0", s, {0, 1, 2, 3}});
  for (const Case& c : cases)
    EXPECT_EQ(Trace(c.song, u32(c.timeline.size()), [](XmModule* m) { return m->order * 1000 + m->row; }),
              c.timeline) << c.name;
}

TEST(XmRows, SetPositionActsAtTheNextRowAndOrdersBeyondTheSongRestart) {
  XmModule* m = Load_Song(Song(3, 64, 1, {0, 1, 2}));
  ASSERT_TRUE(Xm_Render_Start(m));
  for (int i = 0; i < 5; i++) m->tick_function(m);
  Xm_Set_Position(m, 2, 40);
  m->tick_function(m);
  EXPECT_EQ(std::make_pair(m->order, m->row), std::make_pair(2, 5));  // the row goes on from the last one
  Xm_Set_Position(m, 99, 3);
  m->tick_function(m);
  EXPECT_EQ(std::make_pair(m->order, m->row), std::make_pair(0, 6));
  Xm_Free_Module(m);
}

TEST(XmEffects, ArpeggioVibratoTremoloTremorRetriggerAndSettingsStepByTheirTables) {
  struct Case {
    const char* name;
    u16 speed;
    Cells cells;
    std::function<i32(XmModule*)> value;
    std::vector<i32> want;  // after ticks 0, 1, ...
  };
  auto frequency = [](XmModule*) { return C0()->voice->frequency; };
  auto period = [](XmModule*) { return C0()->period; };
  auto voice = [](XmModule*) { return C0()->voice->number; };
  auto panning = [](XmModule*) { return C0()->panning; };
  auto global = [](XmModule* m) { return m->global_volume; };
  auto period_offset = [](XmModule*) { return C0()->period_offset; };
  auto volume_offset = [](XmModule*) { return C0()->volume_offset; };
  auto left_gain = [](XmModule*) { return C0()->voice->left_target; };  // centre: 127 x 127 / 255
  auto volume = [](XmModule*) { return C0()->volume; };
  auto started_volume = [](XmModule*) { return (C0()->voice->sample != nullptr) * 100 + C0()->volume; };
  Case cases[] = {
      // Arpeggio cycles base, third and fifth from tick 0.
      {"arpeggio", 6, {{0, {49, 1, 0, 0x00, 0x37}}}, frequency,
       {8363, i32(8363 * std::exp2(192 / 768.0)), i32(8363 * std::exp2(448 / 768.0)), 8363}},
      // Sine vibrato, speed 8, depth 8: |sin(p pi / 32)| x 256 x 8 / 32, low two bits cleared; the
      // row start does not advance the position.
      {"vibrato", 7, {{0, {49, 1, 0, 0x04, 0x88}}}, period_offset, {0, 0, -44, -64, -44, 0, 44}},
      // Sine tremolo at volume 32: up to 64 - 32 above, down to 32 below.
      {"tremolo", 7, {{0, {49, 1, 0x30, 0x07, 0x88}}}, volume_offset, {0, 0, 22, 32, 22, 0, -22}},
      // T21: three ticks on (the row start counts), two off; the voice's gain follows.
      {"tremor", 7, {{0, {49, 1, 0, 0x1D, 0x21}}}, left_gain, {63, 63, 63, 0, 0, 63, 63}},
      // R every second tick from volume 32: x picks the change; a retrigger moves to the pair's other voice.
      {"retrigger -1", 7, {{0, {49, 1, 0x30, 0x1B, 0x12}}}, volume, {32, 32, 31, 31, 30, 30, 29}},
      {"retrigger voice", 7, {{0, {49, 1, 0x30, 0x1B, 0x12}}}, voice, {0, 0, 32}},
      {"E9y starts the note again", 4, {{0, {49, 1, 0, 0x0E, 0x92}}}, voice, {0, 0, 32}},
      // A delayed note takes its volume byte at its tick; before it, the volume held before the row.
      {"EDy with a volume byte", 6, {{0, {49, 1, 0x20, 0x0E, 0xD2}}}, started_volume, {0, 0, 116}},
      {"ED2 holds the voice", 3, {{0, {49, 1, 0, 0, 0}}, {1, {49, 1, 0x62, 0x0E, 0xD2}}}, left_gain, {63, 63, 63, 63, 63}},
      {"ED0 plays at once", 6, {{0, {49, 1, 0x20, 0x0E, 0xD0}}}, started_volume, {116}},
      {"H down to 0", 6, {{0, {49, 1, 0, 0x11, 0x0F}}}, global, {64, 49, 34, 19, 4, 0}},
      // With both nibbles set a slide goes up by x: H42 after G20, A42 from volume 32.
      {"H42 up by 4", 3, {{0, {49, 1, 0, 0x10, 0x20}}, {1, {0, 0, 0, 0x11, 0x42}}}, global, {32, 32, 32, 32, 36, 40}},
      {"A42 up by 4", 4, {{0, {49, 1, 0x30, 0x0A, 0x42}}}, volume, {32, 36, 40, 44}},
      {"retrigger x2/3", 7, {{0, {49, 1, 0x30, 0x1B, 0x62}}}, volume, {32, 32, 21, 21, 14, 14, 9}},
      {"retrigger /2", 7, {{0, {49, 1, 0x30, 0x1B, 0x72}}}, volume, {32, 32, 16, 16, 8, 8, 4}},
      {"retrigger none", 7, {{0, {49, 1, 0x30, 0x1B, 0x82}}}, volume, {32, 32, 32, 32, 32, 32, 32}},
      {"retrigger +16", 7, {{0, {49, 1, 0x30, 0x1B, 0xD2}}}, volume, {32, 32, 48, 48, 64, 64, 64}},
      {"retrigger x3/2", 7, {{0, {49, 1, 0x30, 0x1B, 0xE2}}}, volume, {32, 32, 48, 48, 64, 64, 64}},
      {"retrigger x2", 7, {{0, {49, 1, 0x24, 0x1B, 0xF3}}}, volume, {20, 20, 20, 40, 40, 40, 64}},
      {"set volume above 64: full", 1, {{0, {49, 1, 0, 0x0C, 0xFF}}}, volume, {64}},
      // E5F: a finetune of (y - 8) x 16 for the note of its row only.
      {"set finetune", 1, {{0, {49, 1, 0, 0x0E, 0x5F}}, {1, {49, 1, 0, 0, 0}}}, period, {4608 - 56, 4608}},
      {"E8y: y x 16", 1, {{0, {49, 1, 0, 0x0E, 0x8A}}}, panning, {160}},
      // 1FF takes 1020 a tick from B-7's 1600, then stops at 56.
      {"porta up limit", 3, {{0, {96, 1, 0, 0x01, 0xFF}}}, period, {1600, 580, 56}},
      // 301 toward C-5 (3840) by 4; then the column's F2 by 32 x 4 on the later ticks of its row.
      {"column F2", 3, {{0, {49, 1, 0, 0, 0}}, {1, {61, 0, 0, 0x03, 0x01}}, {2, {0, 0, 0xF2, 0, 0}}}, period,
       {4608, 4608, 4608, 4608, 4604, 4600, 4600, 4472, 4344}},
      // Vibrato and tremolo waveforms: E41 ramp (0 at position 0, 64 at 8) kept by E73; E73 a sine.
      {"E41, E73, 488", 3, {{0, {0, 0, 0, 0x0E, 0x41}}, {1, {0, 0, 0, 0x0E, 0x73}}, {2, {49, 1, 0, 0x04, 0x88}}},
       period_offset, {0, 0, 0, 0, 0, 0, 0, 0, -16}},
      {"E73, 788", 3, {{0, {0, 0, 0, 0x0E, 0x73}}, {1, {49, 1, 0x30, 0x07, 0x88}}}, volume_offset, {0, 0, 0, 0, 0, 22}},
      // 480 sets the speed alone, 408 the depth alone: position 8 gives -44; the column's A8, B8 likewise.
      {"column B8", 3, {{0, {49, 1, 0xA8, 0, 0}}, {1, {0, 0, 0xB8, 0, 0}}}, period_offset, {0, 0, 0, 0, 0, -44}},
      {"408", 2, {{0, {49, 1, 0, 0x04, 0x80}}, {1, {0, 0, 0, 0x04, 0x08}}}, period_offset, {0, 0, -44, -44}},
      {"X1y, then its memory", 1, {{0, {49, 1, 0, 0x21, 0x13}}, {1, {0, 0, 0, 0x21, 0x10}}}, period, {4605, 4602}},
  };
  for (const Case& c : cases) EXPECT_EQ(Trace(Song(c.speed, c.cells), u32(c.want.size()), c.value), c.want) << c.name;
}

// Keymap slots 0..15 name samples, 16 the empty sample, even in an instrument of 16 samples.
TEST(XmRows, KeymapSlot16PlaysTheEmptySample) {
  XmSong song = Song(1, {{0, {48, 1, 0, 0, 0}}, {1, {49, 1, 0, 0, 0}}});
  XmWriterInstrument& in = song.instruments[0];
  in.samples.resize(15, Dc_Sample(1000)), in.samples.push_back(Dc_Sample(1000, 48));
  std::fill(in.keymap, in.keymap + 48, 15);
  in.keymap[48] = 16;
  auto length = [](XmModule*) { return C0()->sample == &xm_empty_sample ? -1 : i32(C0()->sample->length); };
  EXPECT_EQ(Trace(song, 2, length), (std::vector<i32>{48, -1}));
}

TEST(XmEffects, AutoVibratoFollowsTheInstrumentsWaveformAndSweep) {
  struct Case {
    u8 type, sweep, rate;
    std::vector<i32> want;  // rate 64: positions 0, 64, 128, 192 at ticks 0..3 (85: 0, 85, 170, 255); depth 16
  } cases[] = {{0, 0, 64, {0, 16, 0, -16}}, {1, 0, 64, {16, 16, -16, -16}}, {2, 0, 64, {0, -8, 16, 8}},
               {3, 0, 64, {0, 8, 16, -8}},  {0, 4, 64, {0, 4, 0, -12}},     {1, 0, 85, {16, 16, -16, -16}},
               {1, 2, 0, {0, 8, 16, 16}}};  // the sweep counter stops at the sweep: 16 x 0/2, 1/2, 2/2, 2/2
  for (const Case& c : cases) {
    XmSong song = Song(6, {{0, {49, 1, 0, 0, 0}}});
    XmWriterInstrument& in = song.instruments[0];
    in.vibrato_type = c.type, in.vibrato_sweep = c.sweep, in.vibrato_depth = 16, in.vibrato_rate = c.rate;
    EXPECT_EQ(Trace(song, 4, [](XmModule*) { return C0()->period_offset; }), c.want) << int(c.type);
  }
}

TEST(XmEffects, PanningEnvelopeSwingsByTheRoomLeftAroundTheSamplesPanning) {
  // Envelope 0 -> 64 over 4 ticks; panning p + (128 - |p - 128|) / 32 x (output - 32). The last
  // point finishes the envelope without handing its value to the voice.
  for (auto [panning, want] : {std::pair<u8, std::vector<i32>>{128, {0, 64, 128, 192, 192, 192}},
                               {64, {0, 32, 64, 96, 96, 96}}, {250, {250, 250, 250, 250, 250, 250}}}) {
    XmSong song = Song(6, {{0, {49, 1, 0, 0, 0}}});
    song.instruments[0].samples[0].panning = panning;
    song.instruments[0].panning_envelope = {{{0, 0}, {4, 64}}, 0, 0, 0, 1};
    EXPECT_EQ(Trace(song, 6, [](XmModule*) { return C0()->voice->panning; }), want) << int(panning);
  }
}

TEST(XmEffects, SampleOffsetInsideTheLoopStartsThereAndBeyondItRestartsTheSample) {
  XmSong song = Song(1, {{0, {49, 1, 0, 0x09, 0x02}},
                         {1, {0, 0, 0, 0x09, 0x03}},     // no note: the next note starts at 768
                         {2, {49, 1, 0, 0, 0}},
                         {3, {49, 1, 0, 0x09, 0x04}}});  // 1024 ends the loop: position 0
  song.instruments[0].samples[0] = Dc_Sample(1000, 1024);
  // Voice x 10000 + position: a new note moves to the twin voice 32, a restart stays on it.
  EXPECT_EQ(Trace(song, 4, [](XmModule*) { return i32(C0()->voice->position) + 10000 * C0()->voice->number; }),
            (std::vector<i32>{512, 512, 320768, 320000}));
  // A ping-pong voice running backward starts over from 0 running forward.
  XmVoice* v = Xm_Voice(0);
  *v = XmVoice{};
  v->position = 700;
  v->direction = 2;
  XmChannel channel{};
  channel.voice = v;
  channel.flags = XM_FLAG_RESTART;
  XmModule m{};
  Xm_Update_Voice(&channel, &xm_empty_sample, &m);
  EXPECT_EQ(std::make_pair(v->position, v->direction), std::make_pair(0u, 1));
}

TEST(XmEffects, GlobalVolumeSlideReachesAVoiceAtItsNextRowWhetherItsEnvelopeIsOffHeldOrOver) {
  // H0F takes 15 a tick from 64, H20 adds 2; the voice hears the global volume at row starts
  // (and when its envelope moves): 64 -> 127, 4 -> 7, 12 -> 23, 20 -> 39.
  std::vector<i32> want = {127, 127, 127, 127, 127, 7, 7, 7, 7, 7, 23, 23, 23, 23, 23, 39};
  std::vector<i32> global = {64, 49, 34, 19, 4, 4, 6, 8, 10, 12, 12, 14, 16, 18, 20, 20};
  struct Case {
    const char* name;
    std::vector<std::pair<u16, u16>> points;
    u8 type;
  } cases[] = {{"no envelope", {}, 0}, {"held at its sustain", {{0, 64}, {8, 0}}, 3}, {"over", {{0, 64}, {1, 64}}, 1}};
  for (const Case& c : cases) {
    XmSong song = Song(5, {{0, {49, 1, 0, 0x11, 0x0F}}, {1, {0, 0, 0, 0x11, 0x20}}, {2, {0, 0, 0, 0x11, 0}}});
    song.instruments[0].volume_envelope = {c.points, 0, 0, 0, c.type};
    EXPECT_EQ(Trace(song, 16, [](XmModule*) { return C0()->voice->volume; }), want) << c.name;
    EXPECT_EQ(Trace(song, 16, [](XmModule* m) { return m->global_volume; }), global) << c.name;
  }
}

TEST(XmEffects, AnInstrumentRestartsTheEnvelopeButKeepsItsValueUntilTheFirstPoint) {
  XmSong song = Song(6, {{0, {49, 1, 0, 0, 0}}, {1, {49, 1, 0, 0, 0}}});
  song.instruments[0].volume_envelope = {{{3, 64}, {5, 64}}, 0, 0, 0, 1};
  // Silent until tick 3 of the first note; the second note starts from the value reached.
  EXPECT_EQ(Trace(song, 10, [](XmModule*) { return C0()->volume_envelope.output; }),
            (std::vector<i32>{0, 0, 0, 64, 64, 64, 64, 64, 64, 64}));
}

TEST(XmEffects, KeyOffWithoutEnvelopeCutsAndWithEnvelopeFadesPastTheSustain) {
  XmSong song = Song(2, {{0, {49, 1, 0, 0, 0}}, {2, {97, 0, 0, 0, 0}}});
  auto volume = [](XmModule*) { return C0()->voice->volume; };
  EXPECT_EQ(Trace(song, 5, volume), (std::vector<i32>{127, 127, 127, 127, 0}));
  song.instruments[0].volume_envelope = {{{0, 64}, {2, 64}, {50, 0}}, 1, 0, 0, 3};  // sustained at point 1
  song.instruments[0].fadeout = 4096;  // 8192 a tick once doubled
  // Held at 64 until the key-off at tick 4; then fadeout 57344 / 65536 of 127 and falling.
  std::vector<i32> v = Trace(song, 16, volume);  // the fadeout volume reaches 0 at tick 11 and stays there
  EXPECT_TRUE(v[3] == 127 && v[4] == 111 && v[5] < v[4] && v[7] < v[6] && v[11] == 0 && v[15] == 0);
  EXPECT_EQ(C0()->fadeout_volume, 0) << "as the last tick left it";
}

// Envelope (0, 64), (2, 64), (4, 0), sustained at point 1: held at 64 until the key-off at tick 4, which
// starts the falling segment from its first point; the last point ends it. An L at a point's x stands
// in the segment before that point.
TEST(XmEffects, VolumeEnvelopeHoldsAtTheSustainUntilTheKeyOffAndTurnsAtItsPoints) {
  struct Case {
    const char* name;
    Cells cells;
    std::vector<std::pair<u16, u16>> points;
    u8 type;  // 3 with sustain point 1, 1 without
    std::vector<i32> want;  // envelope output after ticks 0..7, speed 2
  } cases[] = {
      {"key-off note", {{0, {49, 1, 0, 0, 0}}, {2, {97, 0, 0, 0, 0}}}, {{0, 64}, {2, 64}, {4, 0}}, 3,
       {64, 64, 64, 64, 64, 32, 0, 0}},
      {"effect K", {{0, {49, 1, 0, 0, 0}}, {2, {0, 0, 0, 0x14, 0}}}, {{0, 64}, {2, 64}, {4, 0}}, 3,
       {64, 64, 64, 64, 64, 32, 0, 0}},
      {"L at a point", {{0, {49, 1, 0, 0x15, 4}}}, {{0, 0}, {4, 64}, {8, 0}}, 1, {64, 64, 48, 32, 16, 0, 0, 0}},
      {"L after the end", {{0, {49, 1, 0, 0, 0}}, {2, {0, 0, 0, 0x15, 0}}}, {{0, 64}, {2, 0}}, 1,
       {64, 32, 0, 0, 64, 32, 0, 0}},
      {"L past the last point", {{0, {49, 1, 0, 0x15, 9}}}, {{0, 0}, {4, 64}}, 1, {64, 64, 64, 64, 64, 64, 64, 64}},
  };
  for (const Case& c : cases) {
    XmSong song = Song(2, c.cells);
    song.instruments[0].volume_envelope = {c.points, 1, 0, 0, c.type};
    EXPECT_EQ(Trace(song, 8, [](XmModule*) { return C0()->volume_envelope.output; }), c.want) << c.name;
  }
}

// P and the volume column's D (left) and E (right) slide on every tick after the row start, the column
// at the row start too; P stops at 0 and 255, the column's slide does not and only the voice is kept
// in range. Channel panning x 1000 + the voice's panning, ticks 0..3.
TEST(XmEffects, PanningSlidesMoveByTheirNibblesInTheirDirections) {
  struct Case {
    const char* name;
    u8 panning, volume, effect, parameter;
    std::vector<i32> want;
  } cases[] = {
      {"P right", 128, 0, 0x19, 0x20, {128128, 130130, 132132, 134134}},
      {"P left", 128, 0, 0x19, 0x03, {128128, 125125, 122122, 119119}},
      {"P stops at 255", 250, 0, 0x19, 0x40, {250250, 254254, 255255, 255255}},
      {"P stops at 0", 2, 0, 0x19, 0x01, {2002, 1001, 0, 0}},
      {"P both nibbles: right by x", 128, 0, 0x19, 0x42, {128128, 132132, 136136, 140140}},
      {"column left", 128, 0xD3, 0, 0, {125125, 122122, 119119, 116116}},
      {"column right", 128, 0xE4, 0, 0, {132132, 136136, 140140, 144144}},
      {"column past 0", 4, 0xD3, 0, 0, {1001, -2000, -5000, -8000}},
      {"column past 255", 250, 0xE3, 0, 0, {253253, 256255, 259255, 262255}},
  };
  for (const Case& c : cases) {
    XmSong song = Song(4, {{0, {49, 1, c.volume, c.effect, c.parameter}}});
    song.instruments[0].samples[0].panning = c.panning;
    EXPECT_EQ(Trace(song, 4, [](XmModule*) { return C0()->panning * 1000 + C0()->voice->panning; }), c.want)
        << c.name;
  }
}

TEST(XmEffects, PortamentoAndVolumeSlidesMoveByTheirMemories) {
  XmSong song = Song(4, {{0, {49, 1, 0x30, 0x01, 0x02}},    // volume 32, up by 2 x 4 a tick
                         {1, {0, 0, 0x62, 0x0A, 0x10}},     // volume column -2 each tick, A +1
                         {2, {61, 0, 0, 0x03, 0x10}}});     // slide toward C-5 by 64 a tick
  auto t = Trace(song, 12, [](XmModule*) { return C0()->period * 100 + C0()->volume; });
  // Period and volume after each row; the column acts at the row start too.
  EXPECT_EQ((std::vector<i32>{t[3], t[7] % 100, t[11] / 100}),
            (std::vector<i32>{(4608 - 3 * 8) * 100 + 32, 32 - 2 - 3 * (2 - 1), 4608 - 24 - 3 * 64}));
}

TEST(XmEffects, EnvelopePositionFarBeforeTheFirstPointFollowsTheSegmentsLine) {
  XmSong song = Song(6, {{0, {49, 1, 0, 0x15, 0}}});
  song.instruments[0].volume_envelope = {{{60000, 0}, {60001, 64}}, 0, 0, 0, 1};
  // Tick 0 lies 60000 ticks before the rising segment: its line is far below 0 there.
  auto t = Trace(song, 6, [](XmModule*) { return C0()->volume_envelope.output + C0()->voice->volume; });
  EXPECT_EQ(t, std::vector<i32>(6, 0));
}
