// Against a second reference player (libxmp): every channel's note, instrument, pitch, volume and panning.
#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "music/xmfx.h"
#include "music/xmmix.h"
#include "xm_memory.h"

namespace {
// Unit mappings, the reference's value on the left:
// note: its key counts from the octave below the module's first note: key = our note (0-based) + 12.
const i32 kXmpNoteShift = 12;
// instrument: 0-based in both; 255 (none yet) is not compared.
const u8 kXmpNone = 255;
// period: an Amiga period x 4096 at four times the pitch of ours (C-4 = 428 x 4096), for linear modules
// too; its frequency is 8363 x 428 x 4096 / period, compared with our voice's frequency in cents.
const f64 kXmpPeriodClock = 8363.0 * 428 * 4096;
// volume: the final volume 0..64 against ours 0..127 (a silent voice 0): ours / 2.
// panning: the final panning 0..255 in both, 128 the centre.

// How far the two may lie apart: our Amiga periods come from a formula and linear finetune has full
// resolution (a few cents), our envelope and fade volumes are whole steps, our panning envelope swing
// is truncated to a multiple of (128 - |p - 128|) / 32.
const f64 kCentsTolerance = 10;
const i32 kVolumeTolerance = 2;
const i32 kPanningTolerance = 4;
const i32 kXmVibratoPeak = 256;  // the vibrato wave's peak; its offset is depth x value / 32
const i32 kXmVibratoScale = 32;
const i32 kXmLinearOctave = 768;  // linear period units an octave
const f64 kXmVolumeScale = 127.5 / 17179869184.0;  // volume x envelope x fadeout x global volume to 0..127
const i32 kXmMaxFinalVolume = 127;
const u32 kXmOffsetUnit = 256;
const i32 kArpeggioAgreeingSpeed = 6;  // speeds where both players' arpeggio steps fall alike  // effect 9's parameter counts 256 sample frames

// The widest swing in cents of the vibrato and auto-vibrato now on the channel: the players start and
// turn them differently (ours runs the vibrato at the row start too and raises the pitch on the first
// half of the wave).
f64 Vibrato_Cents(const XmModule* m, const XmChannel* ch, const XmCell& cell) {
  i32 units = 0;
  u8 command = cell.volume >> 4;
  if (cell.effect == XM_FX_VIBRATO || cell.effect == XM_FX_VIBRATO_VOLUME_SLIDE || command == XM_VOL_VIBRATO_DEPTH)
    units += ch->vibrato_depth * kXmVibratoPeak / kXmVibratoScale;
  if (ch->instrument < m->instrument_count) units += m->instruments[ch->instrument].vibrato_depth;
  if (m->flags & kXmLinearFrequencies) return units * 1200.0 / kXmLinearOctave;
  return ch->period > units ? 1200 * std::log2(f64(ch->period + units) / (ch->period - units)) / 2 : 1200;
}

bool Envelope_Holds(const XmEnvelopeState& e, u8 type, u8 sustain, u8 released) {
  return (type & XM_ENV_ON) && (e.done || ((type & XM_ENV_SUSTAIN) && e.point == sustain && !released));
}

// The voice's volume and panning as the channel's present state gives them.
i32 Final_Volume(const XmChannel* ch, const XmModule* m) {
  f64 v = f64(ch->volume + ch->volume_offset) * ch->volume_envelope.output * ch->fadeout_volume *
          m->global_volume * kXmVolumeScale;
  return v <= 0 ? 0 : v >= kXmMaxFinalVolume ? kXmMaxFinalVolume : i32(v);
}
i32 Final_Panning(const XmChannel* ch) {
  i32 p = ch->panning, swing = (128 - std::abs(p - 128)) / 32;
  return std::clamp(p + swing * (ch->panning_envelope.output - 32), 0, 255);
}

// A place where the two players differ by design: from its order and row on, the channel is no longer
// compared (the rest of the module still is); -1 for the channel stops the module there.
struct Known {
  const char* module;
  i32 order, row, channel;
  const char* field;
  const char* reason;
};

// A difference by design that any cell can bring: after such a cell the channel's field is no longer
// compared until a note with an instrument byte starts both players afresh.
struct Rule {
  const char* field;  // null: every field
  bool (*brings)(const XmModule* m, const XmCell& cell);
  const char* reason;
};

struct Outcome {
  std::string mismatch;  // the first unlisted difference, empty when none
  u32 ticks = 0;
  std::vector<const Known*> hit;
  std::set<size_t> rules_hit;
};

// Plays both players tick by tick, each tick mixed so that voices reach their samples' ends, until max
// ticks or the first difference that the known list does not name.
Outcome Compare(const std::string& name, const std::vector<u8>& bytes, const std::vector<u8>& reference_bytes,
                u32 max_ticks, const std::vector<Known>& known, const std::vector<Rule>& rules) {
  Outcome r;
  XmModule* m = Load_Bytes(bytes);
  xmp_context ctx = xmp_create_context();
  bool reference =
      xmp_load_module_from_memory(ctx, reference_bytes.data(), long(reference_bytes.size())) == 0;
  if (!m || !reference || xmp_start_player(ctx, kXmRate, 0) != 0) {
    r.mismatch = name + (m ? ": reference refused" : ": refused");
    if (reference) xmp_release_module(ctx);
    xmp_free_context(ctx);
    Xm_Free_Module(m);
    return r;
  }
  Xm_Render_Start(m);
  std::vector<f32> mix;
  std::vector<bool> dropped(size_t(m->channels), false);
  std::vector<std::vector<bool>> brought(size_t(m->channels), std::vector<bool>(rules.size(), false));
  std::vector<std::set<std::string>> muted(size_t(m->channels));
  std::vector<i32> last_volume(size_t(m->channels), 0), last_reference_volume(size_t(m->channels), 0);
  xmp_frame_info fi;
  bool stop = false;
  for (u32 t = 0; t < max_ticks && r.mismatch.empty() && !stop; t++) {
    bool row_start = m->tick == 0;
    m->tick_function(m);
    for (i32 c = 0; row_start && c < m->channels; c++) {
      const XmCell& cell = Xm_Row_Cells(m, m->order, m->row)[c];
      bool porta = cell.effect == XM_FX_TONE_PORTA || cell.effect == XM_FX_TONE_PORTA_VOLUME_SLIDE ||
                   cell.volume >> 4 == XM_VOL_TONE_PORTA;
      if (cell.note && cell.note != kXmKeyOff && !porta && cell.instrument && cell.instrument <= m->instrument_count) {
        brought[size_t(c)].assign(rules.size(), false);
        muted[size_t(c)].clear();
      }
      for (size_t i = 0; i < rules.size(); i++)
        if (rules[i].brings(m, cell)) brought[size_t(c)][i] = true;
    }
    mix.assign(size_t(m->tick_length) * 2, 0.f);
    Xm_Mix_Voices(mix.data(), u32(m->tick_length));
    if (xmp_play_frame(ctx) != 0) break;
    xmp_get_frame_info(ctx, &fi);
    r.ticks = t + 1;
    for (i32 c = 0; c < m->channels && r.mismatch.empty() && !stop; c++) {
      const XmChannel* ch = Xm_Channel(u32(c));
      const XmVoice* v = ch->voice;
      const xmp_channel_info& x = fi.channel_info[c];
      // The mixers find a sample's end at different frames: an ended voice may still count as heard.
      i32 volume = v->volume / 2;
      if (!v->sample && std::abs(volume - x.volume) > kVolumeTolerance) volume = 0;
      // Where an envelope holds at its sustain point or has finished, ours leaves the voice at the step
      // before; the level the envelope reached counts too.
      const XmInstrument* in = ch->instrument < m->instrument_count ? &m->instruments[ch->instrument] : nullptr;
      if (in && Envelope_Holds(ch->volume_envelope, in->volume_type, in->volume_sustain, ch->key_off)) {
        i32 reached = Final_Volume(ch, m) / 2;
        if (std::abs(reached - x.volume) < std::abs(volume - x.volume)) volume = reached;
      }
      i32 panning = v->panning;
      if (in && Envelope_Holds(ch->panning_envelope, in->panning_type, in->panning_sustain, ch->key_off)) {
        i32 reached = Final_Panning(ch);
        if (std::abs(reached - x.pan) < std::abs(panning - x.pan)) panning = reached;
      }
      // Either player may be a tick ahead where the volume moves (envelopes, fades, release).
      i32 volume_tolerance = kVolumeTolerance + std::max(std::abs(volume - last_volume[size_t(c)]),
                                                         std::abs(x.volume - last_reference_volume[size_t(c)]));
      last_volume[size_t(c)] = volume;
      last_reference_volume[size_t(c)] = x.volume;
      i32 panning_tolerance = kPanningTolerance + std::abs(ch->panning_envelope.output - 32);
      f64 cents_tolerance = kCentsTolerance + 2 * Vibrato_Cents(m, ch, Xm_Row_Cells(m, m->order, m->row)[c]);
      struct Field {
        const char* name;
        bool differs;
        f64 ours, theirs;
      };
      f64 theirs_hz = x.period ? kXmpPeriodClock / x.period : 0;
      const Field fields[] = {
          {"note", x.note < 128 && ch->note + kXmpNoteShift != x.note, f64(ch->note + kXmpNoteShift), f64(x.note)},
          {"instrument", x.instrument != kXmpNone && ch->instrument != x.instrument, f64(ch->instrument),
           f64(x.instrument)},
          {"volume", std::abs(volume - x.volume) > volume_tolerance, f64(volume), f64(x.volume)},
          {"panning", x.volume && std::abs(panning - x.pan) > panning_tolerance, f64(panning), f64(x.pan)},
          {"frequency",
           x.volume && volume && x.period && std::fabs(1200 * std::log2(v->frequency / theirs_hz)) > cents_tolerance,
           f64(v->frequency), std::round(theirs_hz)},
      };
      for (const Field& f : fields) {
        if (!f.differs || muted[size_t(c)].count(f.name) || dropped[size_t(c)] || stop || !r.mismatch.empty())
          continue;
        bool ruled = false;
        for (size_t i = 0; i < rules.size(); i++)
          if (brought[size_t(c)][i] && (!rules[i].field || std::string(f.name) == rules[i].field)) ruled = true, r.rules_hit.insert(i);
        if (ruled) {
          muted[size_t(c)].insert(f.name);
          continue;
        }
        const Known* listed = nullptr;
        for (const Known& k : known)
          if (name == k.module && fi.pos == k.order && fi.row == k.row && (k.channel == c || k.channel < 0) &&
              std::string(f.name) == k.field)
            listed = &k;
        if (listed) {
          r.hit.push_back(listed);
          if (listed->channel < 0) stop = true;
          else dropped[size_t(c)] = true;
          continue;
        }
        char text[240];
        snprintf(text, sizeof text, "%s: order %d row %d tick %d channel %d %s: ours %g, libxmp %g", name.c_str(),
                 fi.pos, fi.row, fi.frame, c, f.name, f.ours, f.theirs);
        r.mismatch = text;
      }
    }
  }
  xmp_end_player(ctx);
  xmp_release_module(ctx);
  xmp_free_context(ctx);
  Xm_Stop_Module(m);
  Xm_Free_Module(m);
  return r;
}
}  // namespace

// Reasons, shared by the rows below.
const char* const kVolumeColumnSlide = "volume-column slides 6x/7x also step at the row start";
const char* const kKeyOffAtOnce = "K acts at the row start whatever its parameter, and K00 with a note still reads the note";
const char* const kNoteRange = "notes out of the tracker's range play; libxmp drops them";
const char* const kKeyOffCut = "a released note without volume envelope stays silent until an instrument byte";
const char* const kNoteDelayReset = "a note delay resets the channel at its tick, with or without a note";
const char* const kInstrumentBeyond = "an instrument number beyond the count selects the empty instrument";
const char* const kVolumeColumnPorta = "volume-column Fx takes the cell's note at once; only effects 3 and 5 hold it";
const char* const kEnvelopeResetByInstrument = "only an instrument byte resets the channel (volume, panning, envelopes)";

// Cells that bring a difference by design.
bool Volume_Column_Slide(const XmModule*, const XmCell& cell) {
  u8 command = cell.volume >> 4;
  return command == XM_VOL_SLIDE_DOWN || command == XM_VOL_SLIDE_UP;
}
bool Volume_Column_Porta(const XmModule*, const XmCell& cell) { return cell.volume >> 4 == XM_VOL_TONE_PORTA; }
bool Note_Delay(const XmModule*, const XmCell& cell) {
  return cell.effect == XM_FX_EXTENDED && cell.parameter >> 4 == XM_EX_NOTE_DELAY;
}
bool Cut_At_Row_Start(const XmModule*, const XmCell& cell) {
  return cell.effect == XM_FX_EXTENDED && cell.parameter == XM_EX_NOTE_CUT << 4;
}
bool Tremor(const XmModule*, const XmCell& cell) { return cell.effect == XM_FX_TREMOR; }
bool Key_Off_Effect(const XmModule*, const XmCell& cell) { return cell.effect == XM_FX_KEY_OFF; }
bool Key_Off_With_Instrument(const XmModule*, const XmCell& cell) {
  return cell.note == kXmKeyOff && cell.instrument;
}
bool Offset_Past_End(const XmModule* m, const XmCell& cell) {
  if (cell.effect != XM_FX_SAMPLE_OFFSET || !cell.note || cell.note > kXmKeymapNotes || !cell.instrument ||
      cell.instrument > m->instrument_count)
    return false;
  const XmInstrument& in = m->instruments[cell.instrument - 1];
  u8 slot = in.keymap[cell.note - 1];
  const XmSample* sample = slot < in.sample_count ? in.samples[slot] : nullptr;
  return sample && u64(cell.parameter) * kXmOffsetUnit >= u64(sample->loop_start) + sample->loop_length;
}
bool Arpeggio_Off_Six(const XmModule* m, const XmCell& cell) {
  return cell.effect == XM_FX_ARPEGGIO && cell.parameter && m->speed % kArpeggioAgreeingSpeed;
}
bool Not_An_Xm_Effect(const XmModule*, const XmCell& cell) { return cell.effect > XM_FX_EXTRA_FINE_PORTA; }
bool Instrument_Beyond(const XmModule* m, const XmCell& cell) { return cell.instrument > m->instrument_count; }

const std::vector<Rule> kRules = {
    {"volume", Volume_Column_Slide, kVolumeColumnSlide},
    {nullptr, Volume_Column_Porta, kVolumeColumnPorta},
    {"volume", Cut_At_Row_Start, "EC0 (a cut at tick 0) is not implemented"},
    {"volume", Tremor, "tremor counts from the row start"},
    {nullptr, Note_Delay, kNoteDelayReset},
    {nullptr, Key_Off_Effect, kKeyOffAtOnce},
    {"volume", Key_Off_With_Instrument, "a key-off with an instrument byte starts the envelopes over, released"},
    {nullptr, Instrument_Beyond, kInstrumentBeyond},
    {"volume", Offset_Past_End, "an offset past the loop end restarts the sample at 0; libxmp stops it"},
    {"frequency", Arpeggio_Off_Six, "arpeggio steps by the tick counted up; libxmp (as FT2) counts down from the speed"},
    {nullptr, Not_An_Xm_Effect, "effect types past X do nothing; libxmp reads some as other effects"},
};

const std::vector<Known> kKnown = {
    {"finefx_ft2.xm", 0, 0, -1, "frequency", "2FF slides on later ticks; libxmp takes it as a fine slide"},
    {"ft2_delay_note_memory.xm", 0, 2, -1, "panning", kEnvelopeResetByInstrument},
    {"ft2_instrument_fade_update.xm", 0, 11, -1, "volume", kEnvelopeResetByInstrument},
    {"ft2_note_off_fade.xm", 0, 3, -1, "volume", kKeyOffCut},
    {"ft2_note_range.xm", 0, 11, -1, "note", kNoteRange},
    {"ft2_offset_memory.xm", 0, 35, -1, "note", kNoteRange},
    {"ft2_note_range_instrument_fade.xm", 0, 1, -1, "volume", kKeyOffCut},
    {"ft2_volume_fadeout.xm", 0, 6, -1, "volume", kKeyOffCut},
    {"lxx_after_loop.xm", 0, 1, -1, "volume", "this looped envelope rises as its points say; libxmp holds it at 0"},
    {"pattern_loop_mpt.xm", 8, 4, -1, "note", "a pattern loop inside a loop: rows differ (see the row timeline test)"},
    {"play_xm_vol_env_clamp.xm", 0, 1, -1, "volume", "envelope points above 64 are kept to 64 only in the output"},
    {"read_event_ft2.xm", 3, 2, -1, "instrument", "an instrument without samples still becomes the channel's, and is silent"},
    {"ft2_instrument_memory_default.xm", 0, 17, -1, "volume", "a note before any instrument byte plays at the zeroed channel's volume 0"},
    {"ft2_invalid_porta_target.xm", 0, 5, -1, "frequency", "effect 3 aims at the period of the last note read"},
    {"ft2_k00_is_note_off.xm", 0, 17, -1, "volume", kKeyOffCut},
    {"ft2_no_note_ins_envelope.xm", 0, 12, -1, "volume", kEnvelopeResetByInstrument},
    {"roadblas.xm", 8, 1, -1, "volume", "libxmp slides A0F four times in three ticks here (not traced)"},
};


// A song of effects where both players follow the same rules (speed 6, a multiple of 3, at 125 BPM):
// one channel each for an envelope with sustain, key-off and fadeout beside a panning envelope,
// panning slides, vibrato, tremolo, arpeggio, slides and portamentos, volume and panning settings.
XmSong Effects_Song(bool linear) {
  XmSong song = One_Sample_Song(XmWriter_Cycle("sine", 32, 16000, 's'), 8);
  song.flags = linear ? 1 : 0;
  XmWriterInstrument& in = song.instruments[0];
  in.volume_envelope = {{{0, 16}, {4, 64}, {12, 40}, {20, 40}, {40, 8}}, 2, 0, 0, 3};
  in.panning_envelope = {{{0, 32}, {6, 8}, {18, 56}, {24, 32}, {30, 32}}, 0, 0, 0, 1};
  in.fadeout = 300;
  XmWriterInstrument plain;
  plain.samples.push_back(XmWriter_Cycle("square", 64, 12000, 'q'));
  song.instruments.push_back(plain);
  XmWriter_Add_Pattern(&song, 64);
  song.orders = {0, 1};
  struct Placed {
    u8 pattern, row, channel;
    XmWriterCell cell;
  };
  const u8 C4 = 49, G4 = 56, C5 = 61, C3 = 37, KEY_OFF = 97;
  const Placed cells[] = {
      {0, 0, 0, {C4, 1, 0, 0, 0}},        {0, 24, 0, {KEY_OFF, 0, 0, 0, 0}}, {0, 40, 0, {C5, 1, 0, 0, 0}},
      {0, 56, 0, {KEY_OFF, 0, 0, 0, 0}},  {0, 0, 1, {C4, 2, 0, 0, 0}},       {0, 2, 1, {0, 0, 0, 0x19, 0x40}},
      {0, 3, 1, {0, 0, 0, 0x19, 0x40}},   {0, 4, 1, {0, 0, 0, 0x19, 0x40}},  {0, 6, 1, {0, 0, 0, 0x19, 0x07}},
      {0, 7, 1, {0, 0, 0, 0x19, 0x07}},   {0, 8, 1, {0, 0, 0, 0x19, 0x07}},  {0, 9, 1, {0, 0, 0, 0x19, 0x07}},
      {0, 12, 1, {0, 0, 0, 0x08, 0x20}},  {0, 16, 1, {0, 0, 0xCC, 0, 0}},    {0, 20, 1, {0, 0, 0, 0x0E, 0x83}},
      {0, 0, 2, {C5, 2, 0, 0, 0}},        {0, 4, 2, {0, 0, 0, 0x04, 0x48}},  {0, 5, 2, {0, 0, 0, 0x04, 0x00}},
      {0, 6, 2, {0, 0, 0, 0x04, 0x00}},   {0, 7, 2, {0, 0, 0, 0x04, 0x2C}},  {0, 8, 2, {0, 0, 0, 0x04, 0x00}},
      {0, 0, 3, {C4, 2, 0x30, 0, 0}},     {0, 4, 3, {0, 0, 0, 0x07, 0x46}},  {0, 5, 3, {0, 0, 0, 0x07, 0x00}},  {0, 6, 3, {0, 0, 0, 0x0C, 0x20}},
      {0, 8, 3, {0, 0, 0, 0x0A, 0x20}},   {0, 9, 3, {0, 0, 0, 0x0A, 0x00}},  {0, 10, 3, {0, 0, 0, 0x0A, 0x03}},
      {0, 12, 3, {0, 0, 0, 0x0C, 0x28}},  {0, 14, 3, {0, 0, 0, 0x0E, 0xA4}}, {0, 15, 3, {0, 0, 0, 0x0E, 0xB9}},
      {0, 0, 4, {C4, 2, 0, 0, 0}},        {0, 2, 4, {0, 0, 0, 0x00, 0x37}},  {0, 3, 4, {0, 0, 0, 0x00, 0x37}},
      {0, 4, 4, {0, 0, 0, 0x00, 0x4A}},   {0, 0, 5, {C4, 2, 0, 0, 0}},       {0, 2, 5, {0, 0, 0, 0x01, 0x08}},
      {0, 3, 5, {0, 0, 0, 0x01, 0x00}},   {0, 5, 5, {0, 0, 0, 0x02, 0x0C}},  {0, 7, 5, {0, 0, 0, 0x0E, 0x14}},
      {0, 8, 5, {0, 0, 0, 0x0E, 0x26}},   {0, 9, 5, {0, 0, 0, 0x21, 0x13}},  {0, 10, 5, {0, 0, 0, 0x21, 0x25}},
      {0, 12, 5, {C4, 2, 0, 0, 0}},       {0, 14, 5, {G4, 0, 0, 0x03, 0x10}}, {0, 15, 5, {0, 0, 0, 0x03, 0x00}},
      {0, 16, 5, {0, 0, 0, 0x03, 0x00}},  {0, 18, 5, {C3, 0, 0, 0x03, 0x40}}, {0, 0, 6, {C4, 2, 0, 0, 0}},
      {0, 2, 6, {0, 0, 0x20, 0, 0}},      {0, 4, 6, {C4, 2, 0, 0x0E, 0xD2}},  {0, 8, 6, {0, 0, 0, 0x0E, 0xC3}},  {0, 12, 6, {C4, 2, 0, 0x0E, 0x93}},
      {0, 0, 7, {C3, 1, 0, 0, 0}},        {0, 16, 7, {0, 0, 0x20, 0, 0}},    {0, 32, 7, {KEY_OFF, 0, 0, 0, 0}},
      {1, 0, 0, {C4, 2, 0, 0, 0}},        {1, 8, 0, {C5, 2, 0, 0, 0}},       {1, 16, 0, {C3, 2, 0, 0, 0}},
      {1, 24, 0, {85, 2, 0, 0, 0}},       {1, 0, 1, {G4, 1, 0, 0x08, 0x40}}, {1, 30, 1, {KEY_OFF, 0, 0, 0, 0}},
  };
  for (const Placed& p : cells) XmWriter_Cell(&song, p.pattern, p.row, p.channel) = p.cell;
  return song;
}

// The song as libxmp is given it: libxmp slides P's x nibble left and y right, where ours (and libopenmpt)
// slide x right, so its copy has the nibbles swapped.
XmSong Reference_Copy(XmSong song) {
  for (XmWriterPattern& p : song.patterns)
    for (XmWriterCell& c : p.cells)
      if (c.effect == XM_FX_PANNING_SLIDE) c.parameter = u8(c.parameter << 4 | c.parameter >> 4);
  return song;
}

// Refused by our loader (a loader test covers them) or by libxmp's.
const std::vector<std::string> kRefused = {
    "MRHPx-HBTN_LUCiFER.xm", "dontyou.xm", "format_xm_pattrunc.xm", "grass_near_the_house.xm", "ice21_ambiguous.xm",
    "load_xm_invalid_instsize.xm", "load_xm_invalid_pattern_length.xm", "load_xm_zero_samples.xm"};
const u32 kCorpusTicks = 3000;   // about 35 s of music a module
const u32 kShowTicks = 25000;    // past the show's first listed difference
const u32 kEffectsTicks = 1000;

TEST(XmpReference, EveryChannelAtEveryTickMatchesLibxmpButForTheListedDifferences) {
  std::vector<std::pair<std::string, std::vector<u8>>> modules;
  for (const std::string& name : Corpus_Names())
    if (std::find(kRefused.begin(), kRefused.end(), name) == kRefused.end()) modules.push_back({name, Corpus(name)});
  std::vector<u8> show;
  ASSERT_TRUE(Read_File(std::string(VELMORAN_BINARY_DIR) + "/data/velmoran.xm", &show));
  modules.push_back({"velmoran.xm", show});
  ASSERT_EQ(modules.size(), 58u);
  std::set<const Known*> hit;
  std::set<size_t> rules_hit;
  for (const auto& [name, bytes] : modules) {
    Outcome r = Compare(name, bytes, bytes, name == "velmoran.xm" ? kShowTicks : kCorpusTicks, kKnown, kRules);
    EXPECT_EQ(r.mismatch, "") << name;
    EXPECT_GT(r.ticks, 0u) << name;
    hit.insert(r.hit.begin(), r.hit.end());
    rules_hit.insert(r.rules_hit.begin(), r.rules_hit.end());
  }
  // The effects song, with Amiga and with linear periods, over both patterns and into the repeat.
  for (u16 flags : {0, 1}) {
    XmSong song = Effects_Song(flags == kXmLinearFrequencies);
    Outcome r = Compare(flags ? "effects, linear" : "effects, Amiga", XmWriter_Encode(song),
                        XmWriter_Encode(Reference_Copy(song)), kEffectsTicks, kKnown, kRules);
    EXPECT_EQ(r.mismatch, "");
    EXPECT_EQ(r.ticks, kEffectsTicks);
  }
  // Every listed difference still shows where it is listed, and every rule finds a difference.
  for (size_t i = 0; i < kRules.size(); i++) EXPECT_TRUE(rules_hit.count(i)) << kRules[i].reason;
  for (const Known& k : kKnown)
    EXPECT_TRUE(hit.count(&k)) << k.module << " order " << k.order << " row " << k.row << " " << k.field << ": " << k.reason;
}
