// Against a second reference player (libxmp): every channel's note, instrument, pitch, volume and panning.
#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
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
// that cell on until a note with an instrument starts the channel afresh in both players; with row_only, on
// the rows whose cell brings it only.
struct Rule {
  const char* field;
  bool (*brings)(const XmModule* m, const XmCell& c, const XmChannel* ch);
  const char* reason;
  bool row_only = false;
};
bool Extended(const XmCell& c, u8 command) { return c.effect == XM_FX_EXTENDED && c.parameter >> 4 == command; }
using M = const XmModule*;
using C = const XmCell&;
using H = const XmChannel*;
bool Offset_Past_End(M m, C c, H) {
  if (c.effect != XM_FX_SAMPLE_OFFSET || !c.note || c.note > kXmKeymapNotes || !c.instrument ||
      c.instrument > m->instrument_count)
    return false;
  const XmInstrument& in = m->instruments[c.instrument - 1];
  const XmSample* s = in.keymap[c.note - 1] < in.sample_count ? in.samples[in.keymap[c.note - 1]] : nullptr;
  return s && u64(c.parameter) * kOffsetUnit >= u64(s->loop_start) + s->loop_length;
}
// A volume slide of 15 by one nibble alone, given or recalled.
bool Slide_Of_15(M, C c, H ch) {
  const u8 memory = c.parameter ? c.parameter : ch->volume_slide_memory;
  return c.effect == XM_FX_VOLUME_SLIDE && (memory == 0x0F || memory == 0xF0);
}
bool Enveloped(M m, H ch) {
  return ch->instrument < m->instrument_count && (m->instruments[ch->instrument].volume_type & XM_ENV_ON);
}
// A volume set, or a note without instrument byte, on a released note that ours has cut (no volume envelope)
// or faded out.
bool Revives_Released(M m, C c, H ch) {
  bool sets = (c.volume >= kXmVolumeSetFirst && c.volume <= kXmVolumeSetLast) || c.effect == XM_FX_SET_VOLUME;
  bool note = c.note && c.note != kXmKeyOff && !c.instrument;
  return (sets || note) && ch->key_off && (!Enveloped(m, ch) || ch->fadeout_volume == 0);
}
// The note's real note (note + its sample's relative note, 0-based), or nothing without a note or a sample.
std::optional<i32> Real_Note(M m, C c, H ch) {
  const u32 instrument = c.instrument ? c.instrument - 1u : ch->instrument;
  if (!c.note || c.note > kXmKeymapNotes || instrument >= u32(m->instrument_count)) return std::nullopt;
  const XmInstrument& in = m->instruments[instrument];
  const u8 slot = in.keymap[c.note - 1];
  if (slot >= in.sample_count) return std::nullopt;
  return c.note - 1 + in.samples[slot]->relative_note;
}
const i32 kTopNote = 119;  // the highest real note ours plays
bool Top_Note(M m, C c, H ch) { return Real_Note(m, c, ch) == kTopNote; }
bool Note_Out_Of_Range(M m, C c, H ch) {
  std::optional<i32> real = Real_Note(m, c, ch);
  return real && (*real < 0 || *real > kTopNote);
}
bool Global_Slide_In_Row(M m, C, H) {
  const XmCell* row = Xm_Row_Cells(m, m->order, m->row);
  return std::any_of(row, row + m->channels, [](C c) { return c.effect == XM_FX_GLOBAL_VOLUME_SLIDE; });
}
const std::vector<Rule> kRules = {
    {"volume", [](M, C c, H) { return Column(c, XM_VOL_SLIDE_DOWN) || Column(c, XM_VOL_SLIDE_UP); },
     "volume-column slides 6x/7x also step at the row start"},
    {nullptr, [](M, C c, H) { return Column(c, XM_VOL_TONE_PORTA); }, "volume-column Fx takes its note at once"},
    {"volume", [](M, C c, H) { return Extended(c, XM_EX_NOTE_CUT) && !(c.parameter & 15); }, "EC0 is left out"},
    {"volume", [](M, C c, H) { return c.effect == XM_FX_TREMOR; }, "tremor counts from the row start"},
    {nullptr, [](M, C c, H) { return Extended(c, XM_EX_NOTE_DELAY); }, "a note delay resets the channel, note or not"},
    {nullptr, [](M, C c, H) { return c.effect == XM_FX_KEY_OFF; }, "K releases at once, and K00 still reads a note"},
    {"volume", [](M, C c, H) { return c.note == kXmKeyOff && c.instrument; }, "key-off and instrument: envelopes anew"},
    {nullptr, [](M m, C c, H) { return c.instrument > m->instrument_count; }, "instruments past the count are empty"},
    {"volume", Offset_Past_End, "an offset past the loop end restarts the sample at 0; libxmp stops it"},
    {"frequency", [](M m, C c, H) { return !c.effect && c.parameter && m->speed % kArpeggioAgreeingSpeed; },
     "arpeggio steps by the tick counted up; libxmp counts FT2's ticks down from the speed"},
    {nullptr, [](M, C c, H) { return c.effect > XM_FX_EXTRA_FINE_PORTA; }, "effect types past X do nothing"},
    {"volume", Revives_Released,
     "a released note that ours has cut or faded out stays silent until an instrument byte; libxmp hears it again"},
    {nullptr, Top_Note, "a note of real note 119 plays; libxmp drops it"},
    {"note", Note_Out_Of_Range, "a note out of range plays in neither player; ours still keeps it as the channel's"},
    {"volume", Slide_Of_15, "libxmp slides A0F and AF0 at the row start too, ours on the later ticks only", true},
    {"volume", Global_Slide_In_Row, "a global volume slide reaches the voices at the next row start", true},
};

// Differences by design at listed places of one module (libxmp's order and row, and the channel). From a place
// on, the field is not compared on that channel until a note with an instrument starts it afresh; other channels
// and fields, and the channel after that note, still are. The field "position" (channel -1) is a row that libxmp
// takes where ours takes another: there ours is moved to libxmp's row and the comparison goes on.
struct Place { i32 order, row, channel; };
struct Known { const char *module, *field, *reason; std::vector<Place> places; };
const char* const kInstrumentOnly =
    "an instrument byte without a note takes its sample's volume, panning and fadeout; libxmp keeps the playing ones";
const char* const kNoSamples = "an instrument without samples still becomes the channel's";
const char* const kPortaTarget = "effect 3 aims at the last note read; libxmp at the last tone portamento's note";
const std::vector<Known> kKnown = {
    {"finefx_ft2.xm", "frequency", "2FF and 1FF slide on later ticks; libxmp takes them as fine slides", {{0, 0, 0}}},
    {"finefx_ft2.xm", "volume", "A4F and AF4 slide by 4 and 15 on later ticks; libxmp takes them as fine slides",
     {{0, 4, 0}}},
    {"ft2_delay_note_memory.xm", "panning", kInstrumentOnly, {{0, 2, 0}, {0, 30, 0}}},
    {"ft2_instrument_fade_update.xm", "volume", kInstrumentOnly, {{0, 11, 0}, {0, 36, 0}, {0, 46, 0}}},
    {"ft2_instrument_fade_update.xm", "instrument", "an instrument byte beside a key-off becomes the channel's",
     {{0, 27, 0}}},
    {"ft2_invalid_porta_target.xm", "frequency", kPortaTarget, {{0, 5, 0}, {0, 9, 0}, {0, 9, 1}}},
    {"ft2_no_note_ins_envelope.xm", "volume", kInstrumentOnly,
     {{0, 16, 0}, {0, 13, 1}, {0, 13, 2}, {0, 15, 3}, {0, 13, 4}, {0, 13, 5}, {0, 12, 6}, {0, 16, 7}}},
    {"lxx_after_loop.xm", "volume", "a loop of one point is passed; libxmp holds the envelope there", {{0, 1, 0}}},
    {"lxx_after_loop.xm", "volume", "L past the loop's end goes on along the points; libxmp goes back into the loop",
     {{1, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}}},
    {"pattern_loop_mpt.xm", "position", "libxmp starts order 8 at row 4 for the E60 of the previous pattern",
     {{8, 4, -1}}},
    {"pattern_loop_mpt_breakjump.xm", "position",
     "a jump and a loop on one row: libxmp plays row 0 of the new order before the loop's row",
     {{1, 0, -1}, {1, 2, -1}, {2, 0, -1}, {2, 2, -1}, {3, 2, -1}}},
    {"play_xm_vol_env_clamp.xm", "volume", "envelope points above 64 are kept to 64 only in the output", {{0, 1, 0}}},
    {"read_event_ft2.xm", "instrument", kNoSamples, {{3, 2, 0}, {6, 2, 0}, {10, 3, 0}}},
    {"read_event_ft2.xm", "volume", kInstrumentOnly, {{5, 2, 0}, {6, 2, 0}, {8, 3, 0}, {10, 3, 0}}},
    {"read_event_ft2.xm", "panning", kInstrumentOnly, {{5, 2, 0}, {6, 2, 0}, {8, 3, 0}}},
    {"read_event_ft2.xm", "panning",
     "an instrument without samples on a tone portamento row resets to the playing sample; libxmp keeps the channel",
     {{10, 2, 0}}},
    {"ZALZA_-_Tekilla_groove.xm", "volume", "a sustain point's level reaches the voice at the next row start",
     {{4, 8, 3}, {4, 20, 3}, {4, 24, 3}, {4, 28, 3}, {4, 40, 3}, {4, 56, 3}, {5, 44, 3}, {5, 56, 3},
      {6, 8, 3}, {6, 20, 3}, {6, 24, 3}, {6, 40, 3}, {7, 12, 3}, {8, 0, 3}}},
    {"roadblas.xm", "position", "libxmp starts order 12 at row 48 for the E60 of the previous pattern", {{12, 48, -1}}},
};
// The listed place of a difference, or null.
const Place* Listed(const std::string& name, const xmp_frame_info& fi, i32 channel, const char* field) {
  for (const Known& k : kKnown)
    if (name == k.module && !strcmp(field, k.field))
      for (const Place& p : k.places)
        if (fi.pos == p.order && fi.row == p.row && channel == p.channel) return &p;
  return nullptr;
}

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
  std::vector<std::set<const Rule*>> brought(channels), brought_here(channels);
  std::vector<std::set<std::string>> muted(channels);
  std::vector<i32> last_ours(channels, 0), last_theirs(channels, 0);
  std::vector<f32> mix;
  xmp_frame_info fi;
  std::string mismatch;
  auto differs = [&](i32 c, const char* field, f64 ours, f64 theirs) {
    char text[240];
    snprintf(text, sizeof text, "%s: order %d row %d tick %d channel %d %s: ours %g, libxmp %g", name.c_str(), fi.pos,
             fi.row, fi.frame, c, field, ours, theirs);
    mismatch = text;
  };
  for (u32 t = 0; t < ticks && mismatch.empty(); t++) {
    if (xmp_play_frame(ctx.get()) != 0) break;
    xmp_get_frame_info(ctx.get(), &fi);
    bool row_start = m->tick == 0;
    const Place* follow = row_start && fi.frame == 0 ? Listed(name, fi, -1, "position") : nullptr;
    if (follow && (m->next_order != fi.pos || m->next_row != fi.row))
      m->next_order = fi.pos, m->next_row = fi.row, hit->insert(follow);
    m->tick_function(m);
    mix.assign(size_t(m->tick_length) * 2, 0.f);
    Xm_Mix_Voices(mix.data(), u32(m->tick_length));
    if (fi.pos != m->order || fi.row != m->row) differs(-1, "position", m->order * 100 + m->row, fi.pos * 100 + fi.row);
    for (size_t c = 0; c < channels && mismatch.empty(); c++) {
      const XmCell& cell = Xm_Row_Cells(m, m->order, m->row)[c];
      bool porta = cell.effect == XM_FX_TONE_PORTA || cell.effect == XM_FX_TONE_PORTA_VOLUME_SLIDE ||
                   Column(cell, XM_VOL_TONE_PORTA), fresh = cell.note && cell.note != kXmKeyOff && cell.instrument;
      if (row_start && fresh && !porta && cell.instrument <= m->instrument_count) brought[c].clear(), muted[c].clear();
      const XmChannel* ch = Xm_Channel(u32(c));
      if (row_start) brought_here[c].clear();
      for (const Rule& rule : kRules)
        if (row_start && rule.brings(m, cell, ch)) (rule.row_only ? brought_here : brought)[c].insert(&rule);
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
      auto check = [&](const char* field, bool differ, f64 ours, f64 theirs) {
        if (!differ || muted[c].count(field) || !mismatch.empty()) return;
        for (const Rule* rule : brought[c])
          if (!rule->field || std::string(field) == rule->field) muted[c].insert(field), hit->insert(rule);
        for (const Rule* rule : brought_here[c])
          if (!rule->field || std::string(field) == rule->field) return void(hit->insert(rule));
        if (muted[c].count(field)) return;
        if (const Place* p = Listed(name, fi, i32(c), field)) {
          hit->insert(p), muted[c].insert(field);
          return;
        }
        differs(i32(c), field, ours, theirs);
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
    "load_xm_invalid_instsize.xm", "load_xm_invalid_pattern_length.xm", "load_xm_orders_mismatch.xm",
    "load_xm_zero_samples.xm"};
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
  ASSERT_EQ(modules.size(), 57u);
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
  for (const Known& k : kKnown)
    for (const Place& p : k.places)
      EXPECT_TRUE(hit.count(&p)) << k.module << " " << p.order << "," << p.row << "," << p.channel << ": " << k.reason;
}
