// Against a second reference player (libxmp): every channel's note, instrument, pitch, volume and panning.
#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "music/xmfx.h"
#include "music/xmmix.h"
#include "xm_memory.h"

namespace {
// Unit mappings, libxmp's on the left. Note: its key counts from an octave lower, our note (0-based) + 12.
// Instrument: 0-based in both (255: none yet, not compared). Volume: its final 0..64 against our voice's
// 0..127 / 2. Panning: the final 0..255 in both. Period: an Amiga period x 4096 at four times our pitch
// (C-4 = 428 x 4096), linear modules too; its frequency 8363 x 428 x 4096 / period meets ours in cents.
const i32 kXmpNoteShift = 12;
const u8 kXmpNone = 255;
const f64 kXmpPeriodClock = 8363.0 * 428 * 4096;
// How far they may lie apart: our Amiga periods come from a formula, linear finetune has full resolution; our
// panning envelope swing is truncated to a multiple of (128 - |p - 128|) / 32: a unit per envelope step.
const f64 kCentsTolerance = 10;
const i32 kVolumeTolerance = 2;
const i32 kPanningTolerance = 4;
const i32 kVibratoUnitsPerDepth = 8;   // the vibrato offset's peak: depth x 256 / 32
const i32 kLinearOctave = 768;         // linear period units an octave
const u32 kOffsetUnit = 256;           // effect 9's parameter counts 256 sample frames
const i32 kArpeggioAgreeingSpeed = 6;  // speeds at which both players' arpeggio steps fall alike

bool Column(const XmCell& c, u8 command) { return c.volume >> 4 == command; }

// The widest swing in cents of the vibrato and auto-vibrato on the channel: the players start and turn them
// differently (ours runs the vibrato at the row start too and raises the pitch on the first half wave).
f64 Vibrato_Cents(const XmModule* m, const XmChannel* ch, const XmCell& cell) {
  i32 units = 0;
  if (cell.effect == XM_FX_VIBRATO || cell.effect == XM_FX_VIBRATO_VOLUME_SLIDE || Column(cell, XM_VOL_VIBRATO_DEPTH))
    units += ch->vibrato_depth * kVibratoUnitsPerDepth;
  if (ch->instrument < m->instrument_count) units += m->instruments[ch->instrument].vibrato_depth;
  if (m->flags & kXmLinearFrequencies) return units * 1200.0 / kLinearOctave;
  return ch->period > units ? 600 * std::log2(f64(ch->period + units) / (ch->period - units)) : 1200;
}
i32 Closer(i32 a, i32 b, i32 to) { return std::abs(b - to) < std::abs(a - to) ? b : a; }

// A difference by design that a cell brings: the channel's field (null: every field) is not compared from
// that cell on until a note with an instrument starts the channel afresh in both players.
struct Rule { const char* field; bool (*brings)(const XmModule* m, const XmCell& c); const char* reason; };
bool Extended(const XmCell& c, u8 command) { return c.effect == XM_FX_EXTENDED && c.parameter >> 4 == command; }
bool Offset_Past_End(const XmModule* m, const XmCell& c) {
  if (c.effect != XM_FX_SAMPLE_OFFSET || !c.note || c.note > kXmKeymapNotes || !c.instrument ||
      c.instrument > m->instrument_count)
    return false;
  const XmInstrument& in = m->instruments[c.instrument - 1];
  const XmSample* s = in.keymap[c.note - 1] < in.sample_count ? in.samples[in.keymap[c.note - 1]] : nullptr;
  return s && u64(c.parameter) * kOffsetUnit >= u64(s->loop_start) + s->loop_length;
}
using M = const XmModule*;
using C = const XmCell&;
const std::vector<Rule> kRules = {
    {"volume", [](M, C c) { return Column(c, XM_VOL_SLIDE_DOWN) || Column(c, XM_VOL_SLIDE_UP); },
     "volume-column slides 6x/7x also step at the row start"},
    {nullptr, [](M, C c) { return Column(c, XM_VOL_TONE_PORTA); }, "volume-column Fx takes its note at once"},
    {"volume", [](M, C c) { return Extended(c, XM_EX_NOTE_CUT) && !(c.parameter & 15); }, "EC0 is left out"},
    {"volume", [](M, C c) { return c.effect == XM_FX_TREMOR; }, "tremor counts from the row start"},
    {nullptr, [](M, C c) { return Extended(c, XM_EX_NOTE_DELAY); }, "a note delay resets the channel, note or not"},
    {nullptr, [](M, C c) { return c.effect == XM_FX_KEY_OFF; }, "K releases at once, and K00 still reads a note"},
    {"volume", [](M, C c) { return c.note == kXmKeyOff && c.instrument; }, "key-off and instrument: envelopes anew"},
    {nullptr, [](M m, C c) { return c.instrument > m->instrument_count; }, "instruments past the count are empty"},
    {"volume", Offset_Past_End, "an offset past the loop end restarts the sample at 0; libxmp stops it"},
    {"frequency", [](M m, C c) { return !c.effect && c.parameter && m->speed % kArpeggioAgreeingSpeed; },
     "arpeggio steps by the tick counted up; libxmp counts FT2's ticks down from the speed"},
    {nullptr, [](M, C c) { return c.effect > XM_FX_EXTRA_FINE_PORTA; }, "effect types past X do nothing"},
};

// A difference by design at one place of one module: the module is compared up to there.
struct Known { const char *module; i32 order, row; const char *field, *reason; };
const char* const kKeyOffCut = "a released note without volume envelope stays silent until an instrument byte";
const char* const kResetByInstrument = "only an instrument byte resets volume, panning and envelopes";
const char* const kNoteRange = "notes out of the tracker's range play; libxmp drops them";
const std::vector<Known> kKnown = {
    {"finefx_ft2.xm", 0, 0, "frequency", "2FF slides on later ticks; libxmp takes it as a fine slide"},
    {"ft2_delay_note_memory.xm", 0, 2, "panning", kResetByInstrument},
    {"ft2_instrument_fade_update.xm", 0, 11, "volume", kResetByInstrument},
    {"ft2_instrument_memory_default.xm", 0, 17, "volume", "a note before any instrument plays at volume 0"},
    {"ft2_invalid_porta_target.xm", 0, 5, "frequency", "effect 3 aims at the period of the last note read"},
    {"ft2_k00_is_note_off.xm", 0, 17, "volume", kKeyOffCut},
    {"ft2_no_note_ins_envelope.xm", 0, 12, "volume", kResetByInstrument},
    {"ft2_note_off_fade.xm", 0, 3, "volume", kKeyOffCut},
    {"ft2_note_range.xm", 0, 11, "note", kNoteRange},
    {"ft2_note_range_instrument_fade.xm", 0, 1, "volume", kKeyOffCut},
    {"ft2_offset_memory.xm", 0, 35, "note", kNoteRange},
    {"ft2_volume_fadeout.xm", 0, 6, "volume", kKeyOffCut},
    {"lxx_after_loop.xm", 0, 1, "volume", "this looped envelope rises as its points say; libxmp holds it at 0"},
    {"pattern_loop_mpt.xm", 8, 4, "note", "a loop inside a loop plays other rows (see the row timeline test)"},
    {"play_xm_vol_env_clamp.xm", 0, 1, "volume", "envelope points above 64 are kept to 64 only in the output"},
    {"read_event_ft2.xm", 3, 2, "instrument", "an instrument without samples still becomes the channel's"},
    {"ZALZA_-_Tekilla_groove.xm", 4, 8, "volume", "a sustain point's level reaches the voice a row late"},
    {"roadblas.xm", 8, 1, "volume", "libxmp slides A0F four times in three ticks here (not traced)"},
};

// Plays both players tick by tick, each tick also mixed so that voices reach their samples' ends. Returns the
// first difference that neither list names ("" for none); adds the rules and places that met one to hit.
std::string Compare(const std::string& name, const std::vector<u8>& bytes, const std::vector<u8>& reference_bytes,
                    u32 ticks, std::set<const void*>* hit) {
  std::unique_ptr<XmModule, bool (*)(XmModule*)> owned(Load_Bytes(bytes), Xm_Free_Module);
  std::unique_ptr<char, void (*)(xmp_context)> ctx(xmp_create_context(), xmp_free_context);  // ends its player
  XmModule* m = owned.get();
  if (!m || xmp_load_module_from_memory(ctx.get(), reference_bytes.data(), long(reference_bytes.size())) != 0)
    return name + " refused";
  xmp_start_player(ctx.get(), kXmRate, 0);
  Xm_Render_Start(m);
  size_t channels = size_t(m->channels);
  std::vector<std::set<const Rule*>> brought(channels);
  std::vector<std::set<std::string>> muted(channels);
  std::vector<i32> last_ours(channels, 0), last_theirs(channels, 0);
  std::vector<f32> mix;
  xmp_frame_info fi;
  std::string mismatch;
  bool stop = false;
  for (u32 t = 0; t < ticks && mismatch.empty() && !stop; t++) {
    bool row_start = m->tick == 0;
    m->tick_function(m);
    mix.assign(size_t(m->tick_length) * 2, 0.f);
    Xm_Mix_Voices(mix.data(), u32(m->tick_length));
    if (xmp_play_frame(ctx.get()) != 0) break;
    xmp_get_frame_info(ctx.get(), &fi);
    for (size_t c = 0; c < channels; c++) {
      const XmCell& cell = Xm_Row_Cells(m, m->order, m->row)[c];
      bool porta = cell.effect == XM_FX_TONE_PORTA || cell.effect == XM_FX_TONE_PORTA_VOLUME_SLIDE ||
                   Column(cell, XM_VOL_TONE_PORTA), fresh = cell.note && cell.note != kXmKeyOff && cell.instrument;
      if (row_start && fresh && !porta && cell.instrument <= m->instrument_count) brought[c].clear(), muted[c].clear();
      for (const Rule& rule : kRules)
        if (row_start && rule.brings(m, cell)) brought[c].insert(&rule);
      const XmChannel* ch = Xm_Channel(u32(c));
      const XmVoice* v = ch->voice;
      const xmp_channel_info& x = fi.channel_info[c];
      // The mixers find a sample's end at different frames: an ended voice may still count as heard.
      i32 volume = Closer(v->volume / 2, v->sample ? v->volume / 2 : 0, x.volume), panning = v->panning;
      // Either player may be a tick ahead where the volume moves (envelopes, fades, release).
      i32 volume_tolerance =
          kVolumeTolerance + std::max(std::abs(volume - last_ours[c]), std::abs(x.volume - last_theirs[c]));
      last_ours[c] = volume, last_theirs[c] = x.volume;
      f64 theirs_hz = x.period ? kXmpPeriodClock / x.period : 0;
      f64 cents = x.period && v->frequency > 0 ? std::fabs(1200 * std::log2(v->frequency / theirs_hz)) : 0;
      auto check = [&](const char* field, bool differs, f64 ours, f64 theirs) {
        if (!differs || muted[c].count(field) || stop || !mismatch.empty()) return;
        for (const Rule* rule : brought[c])
          if (!rule->field || std::string(field) == rule->field) muted[c].insert(field), hit->insert(rule);
        for (const Known& k : kKnown)
          if (name == k.module && fi.pos == k.order && fi.row == k.row && std::string(field) == k.field)
            stop = true, hit->insert(&k);
        if (muted[c].count(field) || stop) return;
        char text[240];
        snprintf(text, sizeof text, "%s: order %d row %d tick %d channel %zu %s: ours %g, libxmp %g", name.c_str(),
                 fi.pos, fi.row, fi.frame, c, field, ours, theirs);
        mismatch = text;
      };
      check("note", x.note < 128 && ch->note + kXmpNoteShift != x.note, ch->note + kXmpNoteShift, x.note);
      check("instrument", x.instrument != kXmpNone && ch->instrument != x.instrument, ch->instrument, x.instrument);
      check("volume", std::abs(volume - x.volume) > volume_tolerance, volume, x.volume);
      i32 panning_tolerance = kPanningTolerance + std::abs(ch->panning_envelope.output - 32);
      check("panning", x.volume && std::abs(panning - x.pan) > panning_tolerance, panning, x.pan);
      check("frequency", x.volume && volume && cents > kCentsTolerance + 2 * Vibrato_Cents(m, ch, cell), v->frequency,
            std::round(theirs_hz));
    }
  }
  return mismatch;
}

// A song whose effects both players play alike (speed 6 at 125 BPM): envelopes with sustain, key-off and
// fadeout, panning slides and settings, vibrato, tremolo, volume slides, arpeggio, portamentos, note delay,
// cut and retrigger. Cells: pattern, row, channel, note, instrument, volume byte, effect, parameter.
XmSong Effects_Song(u16 flags) {
  XmSong song = One_Sample_Song(XmWriter_Cycle("sine", 32, 16000, 's'), 7);
  song.flags = flags;
  XmWriterInstrument& in = song.instruments[0];
  in.volume_envelope = {{{0, 16}, {4, 64}, {12, 40}, {20, 40}, {40, 8}}, 2, 0, 0, 3};
  in.panning_envelope = {{{0, 32}, {6, 8}, {18, 56}, {24, 32}, {30, 32}}, 0, 0, 0, 1};
  in.fadeout = 300;
  XmWriterInstrument plain;
  plain.samples.push_back(XmWriter_Cycle("square", 64, 12000, 'q'));
  song.instruments.push_back(plain);
  XmWriter_Add_Pattern(&song, 64);
  song.orders = {0, 1};
  const u8 cells[][8] = {
      {0, 0, 0, 49, 1, 0, 0, 0}, {0, 24, 0, 97, 0, 0, 0, 0}, {0, 40, 0, 61, 1, 0, 0, 0}, {0, 56, 0, 97, 0, 0, 0, 0},
      {0, 0, 1, 49, 2, 0, 0, 0}, {0, 2, 1, 0, 0, 0, 0x19, 0x40}, {0, 4, 1, 0, 0, 0, 0x19, 0x40},
      {0, 6, 1, 0, 0, 0, 0x19, 0x07}, {0, 7, 1, 0, 0, 0, 0x19, 0x07}, {0, 12, 1, 0, 0, 0, 0x08, 0x20},
      {0, 16, 1, 0, 0, 0xCC, 0, 0}, {0, 20, 1, 0, 0, 0, 0x0E, 0x83}, {0, 0, 2, 61, 2, 0, 0, 0},
      {0, 4, 2, 0, 0, 0, 0x04, 0x48}, {0, 5, 2, 0, 0, 0, 0x04, 0}, {0, 7, 2, 0, 0, 0, 0x04, 0x2C},
      {0, 8, 2, 0, 0, 0, 0x04, 0}, {0, 0, 3, 49, 2, 0x30, 0, 0}, {0, 4, 3, 0, 0, 0, 0x07, 0x46},
      {0, 5, 3, 0, 0, 0, 0x07, 0}, {0, 6, 3, 0, 0, 0, 0x0C, 0x20}, {0, 8, 3, 0, 0, 0, 0x0A, 0x20},
      {0, 9, 3, 0, 0, 0, 0x0A, 0}, {0, 10, 3, 0, 0, 0, 0x0A, 0x03}, {0, 12, 3, 0, 0, 0, 0x0C, 0x28},
      {0, 14, 3, 0, 0, 0, 0x0E, 0xA4}, {0, 15, 3, 0, 0, 0, 0x0E, 0xB9}, {0, 0, 4, 49, 2, 0, 0, 0},
      {0, 2, 4, 0, 0, 0, 0, 0x37}, {0, 3, 4, 0, 0, 0, 0, 0x37}, {0, 4, 4, 0, 0, 0, 0, 0x4A},
      {0, 0, 5, 49, 2, 0, 0, 0}, {0, 2, 5, 0, 0, 0, 0x01, 0x08}, {0, 3, 5, 0, 0, 0, 0x01, 0},
      {0, 5, 5, 0, 0, 0, 0x02, 0x0C}, {0, 7, 5, 0, 0, 0, 0x0E, 0x14}, {0, 8, 5, 0, 0, 0, 0x0E, 0x26},
      {0, 9, 5, 0, 0, 0, 0x21, 0x13}, {0, 10, 5, 0, 0, 0, 0x21, 0x25}, {0, 12, 5, 49, 2, 0, 0, 0},
      {0, 14, 5, 56, 0, 0, 0x03, 0x10}, {0, 15, 5, 0, 0, 0, 0x03, 0}, {0, 16, 5, 0, 0, 0, 0x03, 0},
      {0, 18, 5, 37, 0, 0, 0x03, 0x40}, {0, 0, 6, 49, 2, 0, 0, 0}, {0, 2, 6, 0, 0, 0x20, 0, 0},
      {0, 4, 6, 49, 2, 0, 0x0E, 0xD2}, {0, 8, 6, 0, 0, 0, 0x0E, 0xC3}, {0, 12, 6, 49, 2, 0, 0x0E, 0x93},
      {1, 0, 0, 49, 2, 0, 0, 0}, {1, 8, 0, 61, 2, 0, 0, 0}, {1, 16, 0, 37, 2, 0, 0, 0}, {1, 24, 0, 85, 2, 0, 0, 0},
      {1, 0, 1, 56, 1, 0, 0x08, 0x40}, {1, 30, 1, 97, 0, 0, 0, 0},
  };
  for (const u8* c : cells) XmWriter_Cell(&song, c[0], c[1], c[2]) = {c[3], c[4], c[5], c[6], c[7]};
  return song;
}

// The song as libxmp gets it: libxmp slides P's x nibble left and y right where ours (and libopenmpt) slide
// x right, so its copy has the nibbles swapped.
XmSong Reference_Copy(XmSong song) {
  for (XmWriterPattern& p : song.patterns)
    for (XmWriterCell& c : p.cells)
      if (c.effect == XM_FX_PANNING_SLIDE) c.parameter = u8(c.parameter << 4 | c.parameter >> 4);
  return song;
}

const std::vector<std::string> kRefused = {  // refused by our loader (its tests cover them) or by libxmp's
    "MRHPx-HBTN_LUCiFER.xm", "dontyou.xm", "format_xm_pattrunc.xm", "grass_near_the_house.xm", "ice21_ambiguous.xm",
    "load_xm_invalid_instsize.xm", "load_xm_invalid_pattern_length.xm", "load_xm_zero_samples.xm"};
const u32 kCorpusTicks = 3000;  // about 35 s of music a module
const u32 kShowTicks = 25000;   // the whole show (55 orders of 384 ticks) and into its repeat
const u32 kEffectsTicks = 1000;
}  // namespace

TEST(XmpReference, EveryChannelAtEveryTickMatchesLibxmpButForTheListedDifferences) {
  std::vector<std::pair<std::string, std::vector<u8>>> modules;
  for (const std::string& name : Corpus_Names())
    if (std::find(kRefused.begin(), kRefused.end(), name) == kRefused.end()) modules.push_back({name, Corpus(name)});
  std::vector<u8> show;
  ASSERT_TRUE(Read_File(std::string(VELMORAN_BINARY_DIR) + "/data/velmoran.xm", &show));
  modules.push_back({"velmoran.xm", show});
  ASSERT_EQ(modules.size(), 58u);
  std::set<const void*> hit;
  for (const auto& [name, bytes] : modules)
    EXPECT_EQ(Compare(name, bytes, bytes, name == "velmoran.xm" ? kShowTicks : kCorpusTicks, &hit), "");
  for (u16 flags : {0, 1}) {  // Amiga and linear periods, over both patterns and into the repeat
    XmSong song = Effects_Song(flags);
    EXPECT_EQ(Compare(flags ? "effects, linear" : "effects, Amiga", XmWriter_Encode(song),
                      XmWriter_Encode(Reference_Copy(song)), kEffectsTicks, &hit), "");
  }
  // Every rule and every listed place still meets its difference.
  for (const Rule& rule : kRules) EXPECT_TRUE(hit.count(&rule)) << rule.reason;
  for (const Known& k : kKnown) EXPECT_TRUE(hit.count(&k)) << k.module << ": " << k.reason;
}
