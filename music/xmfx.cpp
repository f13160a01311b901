// XM rows and effects: the tick function, row start and later-tick effects, envelopes, voice update.
#include "music/xmfx.h"
#include "runtime/dmath.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
XmChannel xm_channels[kXmMaxChannels];

const i32 kXmMinimumPeriod = 1;
const i32 kXmMaximumPeriod = 31999;
// Ranges of volumes, slides and pattern jumps.
const i32 kXmMaxVolume = 64;
const i32 kXmMaxPanning = 255;
const i32 kXmMaxBreakRow = 63;
const i32 kXmPortaUpLimit = 56;
const u8 kXmSpeedLimit = 32;  // effect F below this sets the speed, from it the BPM
const u32 kXmOffsetUnit = 256;

void Xm_Clamp_Period(XmChannel* channel) {
  if (channel->period < kXmMinimumPeriod) channel->period = kXmMinimumPeriod;
  if (channel->period > kXmMaximumPeriod) channel->period = kXmMaximumPeriod;
}

i32 Xm_Clamp(i32 v, i32 low, i32 high) { return v < low ? low : v > high ? high : v; }

// |sin(position x pi / 32) x 256| for the vibrato and tremolo positions -32..31.
i32 Xm_Sine(i32 position) { return i32(std::fabs(Dmath_Sin(position * kDmathPi / 32.0) * 256.0)); }

i32 Xm_Ramp(i32 position) { return position >= 0 ? position * 8 : 255 - ((position * 8) & 0xFF); }

i32 Xm_Square(i32) { return 255; }

// Waveforms by the waveform control's two low bits: vibrato (low nibble) and tremolo (high nibble).
using XmWave = i32 (*)(i32 position);
const XmWave kXmVibratoWaves[4] = {Xm_Sine, Xm_Ramp, Xm_Square, Xm_Square};
const XmWave kXmTremoloWaves[4] = {Xm_Sine, Xm_Ramp, Xm_Square, Xm_Sine};

// Auto-vibrato waveforms of positions 0..255, peak 64: sine, square, ramp down, ramp up.
i32 Xm_Auto_Sine(i32 position) { return i32(Dmath_Sin(position * 2.0 * kDmathPi / 256.0) * 64.0); }
i32 Xm_Auto_Square(i32 position) { return position < 128 ? 64 : -64; }
i32 Xm_Auto_Ramp_Down(i32 position) { return (128 - ((position + 128) % 256)) >> 1; }
i32 Xm_Auto_Ramp_Up(i32 position) { return (128 - ((384 - position) % 256)) >> 1; }
const XmWave kXmAutoVibratoWaves[4] = {Xm_Auto_Sine, Xm_Auto_Square, Xm_Auto_Ramp_Down, Xm_Auto_Ramp_Up};

const XmInstrument* Xm_Instrument_Of(const XmModule* module, const XmChannel* channel) {
  if (channel->instrument < module->instrument_count) return &module->instruments[channel->instrument];
  return &xm_empty_instrument;
}

const XmSample* Xm_Sample_Of(const XmInstrument* instrument, u8 note) {
  u8 slot = instrument->keymap[note < kXmKeymapNotes ? note : 0];
  if (slot >= kXmMaxSamples || !instrument->samples[slot]) return &xm_empty_sample;
  return instrument->samples[slot];
}

// Volume and panning move by a step, kept in their ranges, and the voice is told.
void Xm_Add_Volume(XmChannel* channel, i32 step) {
  channel->volume = Xm_Clamp(channel->volume + step, 0, kXmMaxVolume);
  channel->flags |= XM_FLAG_VOLUME;
}

void Xm_Add_Panning(XmChannel* channel, i32 step) {
  channel->panning = Xm_Clamp(channel->panning + step, 0, kXmMaxPanning);
  channel->flags |= XM_FLAG_PANNING;
}

// A slide's step from its memory: up by the high nibble when it is set, else down by the low one.
i32 Xm_Slide_Step(u8 memory) { return (memory >> 4) ? i32(memory >> 4) : -i32(memory & 15); }

void Xm_Volume_Slide(XmChannel* channel, u8 memory) { Xm_Add_Volume(channel, Xm_Slide_Step(memory)); }

void Xm_Advance_Vibrato(XmChannel* channel) {
  i32 position = channel->vibrato_position + channel->vibrato_speed;
  if (position > 31) position -= 64;
  channel->vibrato_position = i8(position);
}

void Xm_Step_Envelopes(XmChannel* channel, const XmInstrument* instrument) {
  if ((instrument->volume_type & XM_ENV_ON) && !channel->volume_envelope.done) {
    if (Xm_Envelope_Step(&channel->volume_envelope, instrument->volume_envelope, instrument->volume_points,
                         instrument->volume_type, instrument->volume_sustain, instrument->volume_loop_start,
                         instrument->volume_loop_end, channel->key_off))
      channel->flags |= XM_FLAG_VOLUME;
  }
  if ((instrument->panning_type & XM_ENV_ON) && !channel->panning_envelope.done) {
    if (Xm_Envelope_Step(&channel->panning_envelope, instrument->panning_envelope,
                         instrument->panning_points, instrument->panning_type, instrument->panning_sustain,
                         instrument->panning_loop_start, instrument->panning_loop_end, channel->key_off))
      channel->flags |= XM_FLAG_PANNING;
  }
}

void Xm_Fade(XmChannel* channel, const XmInstrument* instrument) {
  if (!channel->key_off) return;
  channel->fadeout_volume -= instrument->fadeout;
  if (channel->fadeout_volume < 0) channel->fadeout_volume = 0;
  channel->flags |= XM_FLAG_VOLUME;
}

// The whole part of a 16.16 envelope value, kept in 0..64.
i32 Xm_Envelope_Output(i64 value) { return i32(value < 0 ? 0 : value >= 64 * 65536 ? 64 : value >> 16); }

void Xm_Set_Envelope_Position(XmEnvelopeState* state, const XmInstrument* instrument, u8 parameter) {
  const XmEnvelopePoint* points = instrument->volume_envelope;
  i32 count = instrument->volume_points;
  i32 i = 0;
  while (i < count - 1 && points[i + 1].x < parameter) i++;
  if (i < count - 1) {
    i32 dx = points[i + 1].x - points[i].x;
    state->tick = parameter;
    state->delta = dx > 0 ? (points[i + 1].y - points[i].y) * 65536 / dx : 0;
    state->value = i64(state->tick - points[i].x) * state->delta + points[i].y * 65536;
    state->output = Xm_Envelope_Output(state->value);
    state->point = i + 1;
    state->done = 0;
  } else if (count > 0) {
    state->output = points[count - 1].y;
    state->done = 1;
  }
}

// What an effect handler works on: the channel, its cell and what the row start looked up.
struct XmEffectContext {
  XmModule* module;
  XmChannel* channel;
  const XmCell* cell;
  const XmInstrument* instrument;
  const XmSample* sample;
  u8 x, y;
  i32 held_panning, held_volume, held_period;  // before the row, for a note delay
};
using XmEffectHandler = void (*)(XmEffectContext& c);

void Xm_Slide_Period(XmChannel* channel, i32 step) {
  channel->period += step;
  Xm_Clamp_Period(channel);
}

void Xm_Tone_Porta_Target(XmChannel* channel) {
  channel->porta_target = channel->note_period;
  channel->flags &= u8(~(XM_FLAG_FREQUENCY | XM_FLAG_START));
}

void Row_Porta_Up(XmEffectContext& c) {
  if (c.cell->parameter) c.channel->porta_up_memory = c.cell->parameter;
}

void Row_Porta_Down(XmEffectContext& c) {
  if (c.cell->parameter) c.channel->porta_down_memory = c.cell->parameter;
}

void Row_Tone_Porta(XmEffectContext& c) {
  if (c.cell->parameter) c.channel->porta_speed = c.cell->parameter;
  Xm_Tone_Porta_Target(c.channel);
}

void Row_Vibrato(XmEffectContext& c) {
  if (c.x) c.channel->vibrato_speed = c.x;
  if (c.y) c.channel->vibrato_depth = c.y;
  Xm_Vibrato(c.channel);
}

void Row_Volume_Slide(XmEffectContext& c) {
  if (c.cell->parameter) c.channel->volume_slide_memory = c.cell->parameter;
}

void Row_Tone_Porta_Volume_Slide(XmEffectContext& c) {
  Xm_Tone_Porta_Target(c.channel);
  Row_Volume_Slide(c);
}

void Row_Vibrato_Volume_Slide(XmEffectContext& c) {
  Row_Volume_Slide(c);
  Xm_Vibrato(c.channel);
}

void Row_Tremolo(XmEffectContext& c) {
  if (c.x) c.channel->tremolo_speed = c.x;
  if (c.y) c.channel->tremolo_depth = c.y;
}

void Row_Set_Panning(XmEffectContext& c) {
  c.channel->panning = c.cell->parameter;
  c.channel->flags |= XM_FLAG_PANNING;
}

// An offset inside the sample's loop starts the note there; one past it restarts the sample
// from its beginning without a new note.
void Row_Sample_Offset(XmEffectContext& c) {
  XmChannel* channel = c.channel;
  if (c.cell->parameter) channel->sample_offset_memory = c.cell->parameter;
  u32 offset = channel->sample_offset_memory * kXmOffsetUnit;
  if (u64(offset) < u64(c.sample->loop_start) + c.sample->loop_length) {
    channel->voice->start_offset = offset;
  } else {
    channel->flags &= u8(~XM_FLAG_START);
    channel->flags |= XM_FLAG_RESTART;
  }
}

void Row_Position_Jump(XmEffectContext& c) {
  XmModule* module = c.module;
  module->next_row = 0;
  module->next_order = c.cell->parameter < module->song_length ? c.cell->parameter : 0;
}

void Row_Set_Volume(XmEffectContext& c) {
  c.channel->volume = c.cell->parameter > kXmMaxVolume ? kXmMaxVolume : c.cell->parameter;
  c.channel->flags |= XM_FLAG_VOLUME;
}

// The row is given in decimal digits; a jump from an earlier channel keeps its order.
void Row_Pattern_Break(XmEffectContext& c) {
  XmModule* module = c.module;
  i32 row = c.x * 10 + c.y;
  module->next_row = row > kXmMaxBreakRow ? 0 : row;
  if (module->next_order < 0) {
    module->next_order = module->order + 1;
    if (module->next_order >= module->song_length) module->next_order = 0;
  }
}

void Row_Set_Speed(XmEffectContext& c) {
  if (c.cell->parameter < kXmSpeedLimit)
    c.module->speed = c.cell->parameter;
  else
    Xm_Set_Bpm(c.module, c.cell->parameter);
}

void Row_Set_Global_Volume(XmEffectContext& c) {
  c.module->global_volume = c.cell->parameter > kXmMaxVolume ? kXmMaxVolume : c.cell->parameter;
  c.channel->flags |= XM_FLAG_VOLUME;
}

void Row_Global_Volume_Slide(XmEffectContext& c) {
  if (c.cell->parameter) c.module->global_volume_slide_memory = c.cell->parameter;
}

void Row_Set_Envelope_Position(XmEffectContext& c) {
  if (c.instrument->volume_type & XM_ENV_ON)
    Xm_Set_Envelope_Position(&c.channel->volume_envelope, c.instrument, c.cell->parameter);
}

void Row_Panning_Slide(XmEffectContext& c) {
  if (c.cell->parameter) {
    c.channel->panning_slide_memory = c.cell->parameter;
    c.channel->flags |= XM_FLAG_PANNING;
  }
}

void Row_Retrigger(XmEffectContext& c) {
  if (c.cell->parameter) {
    c.channel->retrigger_volume = c.x;
    c.channel->retrigger_interval = c.y;
  }
}

void Row_Tremor(XmEffectContext& c) {
  if (c.cell->parameter) {
    c.channel->tremor_on = u8(c.x + 1);
    c.channel->tremor_off = u8(c.y + 1);
  }
  Xm_Tremor(c.channel);
}

void Row_Extra_Fine_Porta(XmEffectContext& c) {
  XmChannel* channel = c.channel;
  if (c.x == XM_EX_FINE_PORTA_UP) {
    if (c.y) channel->extra_fine_up_memory = c.y;
    Xm_Slide_Period(channel, -i32(channel->extra_fine_up_memory));
  } else if (c.x == XM_EX_FINE_PORTA_DOWN) {
    if (c.y) channel->extra_fine_down_memory = c.y;
    Xm_Slide_Period(channel, channel->extra_fine_down_memory);
  }
}

void Row_Fine_Porta_Up(XmEffectContext& c) {
  if (c.y) c.channel->fine_porta_up_memory = c.y;
  Xm_Slide_Period(c.channel, -c.channel->fine_porta_up_memory * 4);
}

void Row_Fine_Porta_Down(XmEffectContext& c) {
  if (c.y) c.channel->fine_porta_down_memory = c.y;
  Xm_Slide_Period(c.channel, c.channel->fine_porta_down_memory * 4);
}

void Row_Vibrato_Waveform(XmEffectContext& c) {
  c.channel->waveform = u8((c.channel->waveform & 0xF0) | c.y);
}

void Row_Tremolo_Waveform(XmEffectContext& c) {
  c.channel->waveform = u8((c.channel->waveform & 0x0F) | c.y << 4);
}

// E60 marks the loop's first row; E6y plays the rows up to it y more times.
void Row_Pattern_Loop(XmEffectContext& c) {
  XmChannel* channel = c.channel;
  if (c.y == 0) {
    channel->loop_row = c.module->row;
    return;
  }
  if (channel->loop_count == 0)
    channel->loop_count = c.y;
  else
    channel->loop_count--;
  if (channel->loop_count) c.module->next_row = channel->loop_row;
}

void Row_Extended_Panning(XmEffectContext& c) {
  c.channel->panning = c.y * 16;
  c.channel->flags |= XM_FLAG_PANNING;
}

void Row_Fine_Volume_Up(XmEffectContext& c) {
  if (c.y) c.channel->fine_volume_memory = c.y;
  Xm_Add_Volume(c.channel, c.channel->fine_volume_memory);
}

void Row_Fine_Volume_Down(XmEffectContext& c) {
  if (c.y) c.channel->fine_volume_memory = c.y;
  Xm_Add_Volume(c.channel, -i32(c.channel->fine_volume_memory));
}

// The note waits for its tick: the row start keeps what sounded before; a delay of 0 plays at once.
void Row_Note_Delay(XmEffectContext& c) {
  if (!c.y) return;
  c.channel->panning = c.held_panning;
  c.channel->volume = c.held_volume;
  c.channel->period = c.held_period;
  c.channel->flags &= 0xF0;
}

void Row_Pattern_Delay(XmEffectContext& c) { c.module->pattern_delay = c.module->speed * c.y; }

void Tick_Arpeggio(XmEffectContext& c) {
  if (!c.cell->parameter) return;
  XmChannel* channel = c.channel;
  i32 phase = c.module->tick % 3;
  i32 semitones = phase == 0 ? 0 : phase == 1 ? c.x : c.y;
  channel->period_offset =
      (c.module->flags & kXmLinearFrequencies)
          ? semitones * 64
          : Xm_Amiga_Period(channel->real_note + semitones, 0) - Xm_Amiga_Period(channel->real_note, 0);
  channel->flags |= XM_FLAG_FREQUENCY;
}

// Portamento up stops at the highest pitch the effect allows, down at the period range's end.
void Tick_Porta_Up(XmEffectContext& c) {
  XmChannel* channel = c.channel;
  channel->period_offset = 0;
  channel->period -= channel->porta_up_memory * 4;
  if (channel->period < kXmPortaUpLimit) channel->period = kXmPortaUpLimit;
  channel->flags |= XM_FLAG_FREQUENCY;
}

void Tick_Porta_Down(XmEffectContext& c) {
  c.channel->period_offset = 0;
  Xm_Slide_Period(c.channel, c.channel->porta_down_memory * 4);
  c.channel->flags |= XM_FLAG_FREQUENCY;
}

void Tick_Tone_Porta(XmEffectContext& c) {
  c.channel->period_offset = 0;
  Xm_Tone_Portamento(c.channel);
}

void Tick_Vibrato(XmEffectContext& c) {
  Xm_Vibrato(c.channel);
  Xm_Advance_Vibrato(c.channel);
}

void Tick_Volume_Slide(XmEffectContext& c) { Xm_Volume_Slide(c.channel, c.channel->volume_slide_memory); }

void Tick_Tone_Porta_Volume_Slide(XmEffectContext& c) {
  Tick_Tone_Porta(c);
  Tick_Volume_Slide(c);
}

void Tick_Vibrato_Volume_Slide(XmEffectContext& c) {
  Tick_Vibrato(c);
  Tick_Volume_Slide(c);
}

void Tick_Tremolo(XmEffectContext& c) { Xm_Tremolo(c.channel); }

void Tick_Global_Volume_Slide(XmEffectContext& c) {
  const i32 step = Xm_Slide_Step(c.module->global_volume_slide_memory);
  c.module->global_volume = Xm_Clamp(c.module->global_volume + step, 0, kXmMaxVolume);
}

void Tick_Panning_Slide(XmEffectContext& c) {
  Xm_Add_Panning(c.channel, Xm_Slide_Step(c.channel->panning_slide_memory));
}

// Volume change of a retrigger by its x: an amount added, then a scale (numerator / denominator).
struct XmRetriggerVolume {
  i8 add;
  u8 numerator, denominator;
};
const XmRetriggerVolume kXmRetriggerVolumes[16] = {
    {0, 1, 1},  {-1, 1, 1}, {-2, 1, 1}, {-4, 1, 1}, {-8, 1, 1}, {-16, 1, 1}, {0, 2, 3}, {0, 1, 2},
    {0, 1, 1},  {1, 1, 1},  {2, 1, 1},  {4, 1, 1},  {8, 1, 1},  {16, 1, 1},  {0, 3, 2}, {0, 2, 1},
};

void Tick_Retrigger(XmEffectContext& c) {
  XmChannel* channel = c.channel;
  if (!channel->retrigger_interval || c.module->tick % channel->retrigger_interval) return;
  const XmRetriggerVolume& change = kXmRetriggerVolumes[channel->retrigger_volume & 15];
  i32 v = channel->volume * change.numerator / change.denominator + change.add;
  channel->volume = Xm_Clamp(v, 0, kXmMaxVolume);
  channel->flags |= XM_FLAG_VOLUME | XM_FLAG_START;
}

void Tick_Tremor(XmEffectContext& c) { Xm_Tremor(c.channel); }

void Tick_Retrigger_Note(XmEffectContext& c) {
  if (c.y && c.module->tick % c.y == 0) c.channel->flags |= XM_FLAG_FREQUENCY | XM_FLAG_VOLUME | XM_FLAG_START;
}

void Tick_Note_Cut(XmEffectContext& c) {
  if (c.module->tick != c.y) return;
  c.channel->volume = 0;
  c.channel->flags |= XM_FLAG_VOLUME;
}

// At its tick the delayed note starts as a row start would start it.
void Tick_Note_Delay(XmEffectContext& c) {
  if (!c.y) return;
  XmChannel* channel = c.channel;
  if (c.module->tick != c.y) {
    channel->flags &= 0xF0;
    return;
  }
  Xm_Reset_Channel(channel, c.sample);
  channel->period = channel->note_period;
  channel->flags |= XM_FLAG_FREQUENCY;
  if (c.cell->volume) Xm_Volume_Column(channel, c.cell->volume);
  channel->flags |= XM_FLAG_START;
}

// The two parts of an effect: at the row start and on the row's later ticks; null does nothing.
struct XmEffectHandlers {
  XmEffectHandler row_start;
  XmEffectHandler later_tick;
};
struct XmEffectEntry {
  u8 effect;
  XmEffectHandlers handlers;
};

void Row_Extended(XmEffectContext& c);
void Tick_Extended(XmEffectContext& c);

constexpr XmEffectEntry kXmEffectList[] = {
    {XM_FX_ARPEGGIO, {nullptr, Tick_Arpeggio}},
    {XM_FX_PORTA_UP, {Row_Porta_Up, Tick_Porta_Up}},
    {XM_FX_PORTA_DOWN, {Row_Porta_Down, Tick_Porta_Down}},
    {XM_FX_TONE_PORTA, {Row_Tone_Porta, Tick_Tone_Porta}},
    {XM_FX_VIBRATO, {Row_Vibrato, Tick_Vibrato}},
    {XM_FX_TONE_PORTA_VOLUME_SLIDE, {Row_Tone_Porta_Volume_Slide, Tick_Tone_Porta_Volume_Slide}},
    {XM_FX_VIBRATO_VOLUME_SLIDE, {Row_Vibrato_Volume_Slide, Tick_Vibrato_Volume_Slide}},
    {XM_FX_TREMOLO, {Row_Tremolo, Tick_Tremolo}},
    {XM_FX_SET_PANNING, {Row_Set_Panning, nullptr}},
    {XM_FX_SAMPLE_OFFSET, {Row_Sample_Offset, nullptr}},
    {XM_FX_VOLUME_SLIDE, {Row_Volume_Slide, Tick_Volume_Slide}},
    {XM_FX_POSITION_JUMP, {Row_Position_Jump, nullptr}},
    {XM_FX_SET_VOLUME, {Row_Set_Volume, nullptr}},
    {XM_FX_PATTERN_BREAK, {Row_Pattern_Break, nullptr}},
    {XM_FX_EXTENDED, {Row_Extended, Tick_Extended}},
    {XM_FX_SET_SPEED, {Row_Set_Speed, nullptr}},
    {XM_FX_SET_GLOBAL_VOLUME, {Row_Set_Global_Volume, nullptr}},
    {XM_FX_GLOBAL_VOLUME_SLIDE, {Row_Global_Volume_Slide, Tick_Global_Volume_Slide}},
    {XM_FX_SET_ENVELOPE_POSITION, {Row_Set_Envelope_Position, nullptr}},
    {XM_FX_PANNING_SLIDE, {Row_Panning_Slide, Tick_Panning_Slide}},
    {XM_FX_RETRIGGER, {Row_Retrigger, Tick_Retrigger}},
    {XM_FX_TREMOR, {Row_Tremor, Tick_Tremor}},
    {XM_FX_EXTRA_FINE_PORTA, {Row_Extra_Fine_Porta, nullptr}},
};

constexpr XmEffectEntry kXmExtendedList[] = {
    {XM_EX_FINE_PORTA_UP, {Row_Fine_Porta_Up, nullptr}},
    {XM_EX_FINE_PORTA_DOWN, {Row_Fine_Porta_Down, nullptr}},
    {XM_EX_VIBRATO_WAVEFORM, {Row_Vibrato_Waveform, nullptr}},
    {XM_EX_PATTERN_LOOP, {Row_Pattern_Loop, nullptr}},
    {XM_EX_TREMOLO_WAVEFORM, {Row_Tremolo_Waveform, nullptr}},
    {XM_EX_SET_PANNING, {Row_Extended_Panning, nullptr}},
    {XM_EX_RETRIGGER_NOTE, {nullptr, Tick_Retrigger_Note}},
    {XM_EX_FINE_VOLUME_UP, {Row_Fine_Volume_Up, nullptr}},
    {XM_EX_FINE_VOLUME_DOWN, {Row_Fine_Volume_Down, nullptr}},
    {XM_EX_NOTE_CUT, {nullptr, Tick_Note_Cut}},
    {XM_EX_NOTE_DELAY, {Row_Note_Delay, Tick_Note_Delay}},
    {XM_EX_PATTERN_DELAY, {Row_Pattern_Delay, nullptr}},
};

// Handlers indexed by effect type (every byte value) and by the sub-effect of Exy.
template <size_t N, size_t M>
constexpr std::array<XmEffectHandlers, N> Xm_Index(const XmEffectEntry (&list)[M]) {
  std::array<XmEffectHandlers, N> table{};
  for (const XmEffectEntry& e : list) table[e.effect] = e.handlers;
  return table;
}
constexpr std::array<XmEffectHandlers, 256> kXmEffects = Xm_Index<256>(kXmEffectList);
constexpr std::array<XmEffectHandlers, 16> kXmExtended = Xm_Index<16>(kXmExtendedList);

void Row_Extended(XmEffectContext& c) {
  if (XmEffectHandler h = kXmExtended[c.x].row_start) h(c);
}

void Tick_Extended(XmEffectContext& c) {
  if (XmEffectHandler h = kXmExtended[c.x].later_tick) h(c);
}

bool Xm_Is_Tone_Porta(u8 effect) { return effect == XM_FX_TONE_PORTA || effect == XM_FX_TONE_PORTA_VOLUME_SLIDE; }

// E5y plays the note of its own cell with finetune (y - 8) x 16; the sample keeps its own.
i32 Xm_Note_Finetune(const XmCell& cell, const XmSample* sample) {
  if (cell.effect == XM_FX_EXTENDED && (cell.parameter >> 4) == XM_EX_SET_FINETUNE)
    return ((cell.parameter & 15) - 8) * 16;
  return sample->finetune;
}

// The channel's part of a row start, up to its effect: note, instrument, volume column, key-off,
// envelopes and fadeout.
void Xm_Start_Channel_Row(XmEffectContext& c) {
  XmModule* module = c.module;
  XmChannel* channel = c.channel;
  const XmCell& cell = *c.cell;
  bool has_note = cell.note != 0 && cell.note != kXmKeyOff;
  bool tone_porta = Xm_Is_Tone_Porta(cell.effect);
  // A tone portamento slides the playing note toward the new one instead of starting it.
  if (!tone_porta) {
    if (cell.instrument) channel->instrument = u8(cell.instrument - 1);
    if (has_note) channel->note = u8(cell.note - 1);
  }
  c.instrument = Xm_Instrument_Of(module, channel);
  c.sample = Xm_Sample_Of(c.instrument, channel->note);
  if (!tone_porta) channel->sample = c.sample;
  c.held_panning = channel->panning;
  c.held_volume = channel->volume;
  c.held_period = channel->period;
  // Leaving a tremolo keeps the volume it had reached.
  if (channel->last_effect == XM_FX_TREMOLO && cell.effect != XM_FX_TREMOLO)
    channel->volume += channel->volume_offset;
  channel->volume_offset = 0;
  channel->last_effect = cell.effect;
  channel->flags = 0;
  if (has_note) {
    i32 real = c.sample->relative_note + cell.note - 1;
    if (real >= 0 && real < 120) {
      i32 finetune = Xm_Note_Finetune(cell, c.sample);
      channel->real_note = u8(real);
      channel->note_period = (module->flags & kXmLinearFrequencies) ? 7680 - real * 64 - finetune / 2
                                                                    : Xm_Amiga_Period(real, finetune);
      if (!tone_porta) channel->period = channel->note_period;
      channel->flags = XM_FLAG_START;
    }
  }
  channel->period_offset = 0;
  channel->flags |= XM_FLAG_FREQUENCY | XM_FLAG_VOLUME;
  if (cell.instrument) Xm_Reset_Channel(channel, c.sample);
  if (cell.volume) Xm_Volume_Column(channel, cell.volume);
  if (cell.note == kXmKeyOff || cell.effect == XM_FX_KEY_OFF) channel->key_off = 1;
  // A released note without a volume envelope is cut.
  if (!(c.instrument->volume_type & XM_ENV_ON) && channel->key_off) channel->volume_envelope.output = 0;
  Xm_Step_Envelopes(channel, c.instrument);
  Xm_Fade(channel, c.instrument);
}

void Xm_Process_Row(XmModule* module) {
  module->next_order = -1;
  module->next_row = -1;
  const XmCell* cells = Xm_Row_Cells(module, module->order, module->row);
  for (i32 ch = 0; ch < module->channels; ch++) {
    const XmCell& cell = cells[ch];
    XmEffectContext c{module, &xm_channels[ch], &cell, nullptr, nullptr, u8(cell.parameter >> 4),
                      u8(cell.parameter & 15), 0, 0, 0};
    Xm_Set_Channel_Level(ch, cell.note, cell.volume);
    Xm_Start_Channel_Row(c);
    if (XmEffectHandler h = kXmEffects[cell.effect].row_start) h(c);
    Xm_Auto_Vibrato(c.channel, c.instrument);
    Xm_Update_Voice(c.channel, c.sample, module);
  }
}

// Volume-column commands: x is the byte's low nibble.
using XmVolumeHandler = void (*)(XmChannel* channel, u8 x);

void Vol_Slide_Down(XmChannel* channel, u8 x) { Xm_Add_Volume(channel, -i32(x)); }
void Vol_Slide_Up(XmChannel* channel, u8 x) { Xm_Add_Volume(channel, x); }
void Vol_Vibrato_Speed(XmChannel* channel, u8 x) { channel->vibrato_speed = x; }
void Vol_Vibrato_Depth(XmChannel* channel, u8 x) { channel->vibrato_depth = x; }

void Vol_Vibrato(XmChannel* channel, u8 x) {
  channel->vibrato_depth = x;
  Xm_Vibrato(channel);
  Xm_Advance_Vibrato(channel);
}

void Vol_Set_Panning(XmChannel* channel, u8 x) {
  channel->panning = x * 16;
  channel->flags |= XM_FLAG_PANNING;
}

// The volume column slides the channel's panning without a limit; the voice's panning is kept in range.
void Vol_Panning_Slide(XmChannel* channel, i32 step) {
  channel->panning += step;
  channel->flags |= XM_FLAG_PANNING;
}
void Vol_Panning_Left(XmChannel* channel, u8 x) { Vol_Panning_Slide(channel, -i32(x)); }
void Vol_Panning_Right(XmChannel* channel, u8 x) { Vol_Panning_Slide(channel, x); }

// The note already set the period: the slide's target is reached at once, without a new note.
void Vol_Tone_Porta_Target(XmChannel* channel, u8 x) {
  if (!x) return;
  channel->porta_speed = u8(x * 16);
  channel->porta_target = channel->note_period;
  channel->flags &= u8(~XM_FLAG_START);
}

void Vol_Tone_Porta(XmChannel* channel, u8) { Xm_Tone_Portamento(channel); }

struct XmVolumeEntry {
  u8 command;
  XmVolumeHandler row_start, later_tick;
};
constexpr XmVolumeEntry kXmVolumeList[] = {
    {XM_VOL_SLIDE_DOWN, Vol_Slide_Down, Vol_Slide_Down},
    {XM_VOL_SLIDE_UP, Vol_Slide_Up, Vol_Slide_Up},
    {XM_VOL_FINE_DOWN, Vol_Slide_Down, nullptr},
    {XM_VOL_FINE_UP, Vol_Slide_Up, nullptr},
    {XM_VOL_VIBRATO_SPEED, Vol_Vibrato_Speed, nullptr},
    {XM_VOL_VIBRATO_DEPTH, Vol_Vibrato_Depth, Vol_Vibrato},
    {XM_VOL_SET_PANNING, Vol_Set_Panning, nullptr},
    {XM_VOL_PANNING_LEFT, Vol_Panning_Left, Vol_Panning_Left},
    {XM_VOL_PANNING_RIGHT, Vol_Panning_Right, Vol_Panning_Right},
    {XM_VOL_TONE_PORTA, Vol_Tone_Porta_Target, Vol_Tone_Porta},
};
// Indexed by the byte's high nibble.
constexpr std::array<XmVolumeEntry, 16> kXmVolumeCommands = [] {
  std::array<XmVolumeEntry, 16> table{};
  for (const XmVolumeEntry& e : kXmVolumeList) table[e.command] = e;
  return table;
}();

void Xm_Volume_Column_Tick(XmChannel* channel, u8 byte) {
  if (XmVolumeHandler h = kXmVolumeCommands[byte >> 4].later_tick) h(channel, byte & 15);
}

void Xm_Process_Tick_Effects(XmModule* module) {
  const XmCell* cells = Xm_Row_Cells(module, module->order, module->row);
  for (i32 ch = 0; ch < module->channels; ch++) {
    const XmCell& cell = cells[ch];
    XmChannel* channel = &xm_channels[ch];
    const XmInstrument* instrument = Xm_Instrument_Of(module, channel);
    XmEffectContext c{module, channel, &cell, instrument, Xm_Sample_Of(instrument, channel->note),
                      u8(cell.parameter >> 4), u8(cell.parameter & 15), 0, 0, 0};
    channel->volume_offset = 0;
    channel->period_offset = 0;
    channel->flags = 0;
    Xm_Step_Envelopes(channel, instrument);
    Xm_Fade(channel, instrument);
    Xm_Volume_Column_Tick(channel, cell.volume);
    if (XmEffectHandler h = kXmEffects[cell.effect].later_tick) h(c);
    Xm_Auto_Vibrato(channel, instrument);
    Xm_Update_Voice(channel, c.sample, module);
  }
}
}  // namespace

XmChannel* Xm_Channel(u32 index) { return &xm_channels[index % kXmMaxChannels]; }

void Xm_Reset_Channels(XmModule* module) {
  (void)module;
  memset(xm_channels, 0, sizeof xm_channels);
  for (u32 i = 0; i < kXmMaxChannels; i++) xm_channels[i].voice = Xm_Voice(i);
}

void Xm_Set_Bpm(XmModule* module, i32 bpm) {
  if (bpm < 1) bpm = 1;
  module->bpm = bpm;
  // Whole frames per tick: rate x 2.5 / BPM, rounded down.
  module->tick_length = i32(kXmRate * 5 / (2 * u32(bpm)));
}

i32 Xm_Amiga_Period(i32 note, i32 finetune) {
  auto period = [](i32 n) { return i32(13.375 * Dmath_Exp2((132 - n) / 12.0)); };
  i32 p = period(note);
  if (finetune < 0 && note > 0) return p - (-finetune) * (p - period(note - 1)) / 128;
  return p - finetune * (p - period(note + 1)) / 128;
}

i32 Xm_Frequency(const XmModule* module, i32 period, i32 offset) {
  if (module->flags & kXmLinearFrequencies) {
    f64 f = 8363.0 * Dmath_Exp2((4608.0 - period + offset) / 768.0);
    return f > 2147483647.0 ? 2147483647 : i32(f);
  }
  i64 sum = i64(period) + offset;
  return sum == 0 ? 0 : i32(14317056 / sum);
}

void Xm_Tone_Portamento(XmChannel* channel) {
  i32 speed = channel->porta_speed * 4;
  if (channel->period < channel->porta_target) {
    channel->period += speed;
    if (channel->period > channel->porta_target) channel->period = channel->porta_target;
  } else if (channel->period > channel->porta_target) {
    channel->period -= speed;
    if (channel->period < channel->porta_target) channel->period = channel->porta_target;
  }
  channel->flags |= XM_FLAG_FREQUENCY;
}

void Xm_Vibrato(XmChannel* channel) {
  i32 position = channel->vibrato_position;
  i32 value = kXmVibratoWaves[channel->waveform & 3](position);
  i32 offset = (channel->vibrato_depth * value / 32) & ~3;
  channel->period_offset = position >= 0 ? -offset : offset;
  channel->flags |= XM_FLAG_FREQUENCY;
}

void Xm_Tremolo(XmChannel* channel) {
  i32 position = channel->tremolo_position;
  i32 value = kXmTremoloWaves[(channel->waveform >> 4) & 3](position);
  i32 offset = channel->tremolo_depth * value / 64;
  if (position >= 0) {
    if (offset > 64 - channel->volume) offset = 64 - channel->volume;
  } else {
    if (offset > channel->volume) offset = channel->volume;
    offset = -offset;
  }
  channel->volume_offset = offset;
  position += channel->tremolo_speed;
  if (position > 31) position -= 64;
  channel->tremolo_position = i8(position);
  channel->flags |= XM_FLAG_VOLUME;
}

void Xm_Tremor(XmChannel* channel) {
  if (channel->tremor_counter >= channel->tremor_on) channel->volume_offset = -channel->volume;
  channel->tremor_counter++;
  if (channel->tremor_counter >= channel->tremor_on + channel->tremor_off) channel->tremor_counter = 0;
  channel->flags |= XM_FLAG_VOLUME;
}

void Xm_Auto_Vibrato(XmChannel* channel, const XmInstrument* instrument) {
  i32 position = channel->auto_vibrato_position;
  i32 value = kXmAutoVibratoWaves[instrument->vibrato_type & 3](position) * instrument->vibrato_depth;
  if (instrument->vibrato_sweep) value = value * channel->sweep_counter / instrument->vibrato_sweep;
  channel->period_offset += value >> 6;
  if (channel->sweep_counter < instrument->vibrato_sweep) channel->sweep_counter++;
  position += instrument->vibrato_rate;
  if (position > 255) position -= 256;
  channel->auto_vibrato_position = position;
  channel->flags |= XM_FLAG_FREQUENCY;
}

bool Xm_Envelope_Step(XmEnvelopeState* state, const XmEnvelopePoint* points, u8 count, u8 type,
                      u8 sustain, u8 loop_start, u8 loop_end, bool released) {
  i32 n = count > kXmEnvelopePoints ? kXmEnvelopePoints : count;
  if (state->point < n && state->tick >= points[state->point].x) {
    if ((type & XM_ENV_LOOP) && state->point == loop_end && loop_start < n) {
      state->point = loop_start;
      state->tick = points[loop_start].x;
    }
    i32 i = state->point;
    if (i >= n - 1) {
      state->output = points[n - 1].y;
      state->done = 1;
      return false;
    }
    if ((type & XM_ENV_SUSTAIN) && i == sustain && !released) {
      state->output = points[i].y;
      return false;
    }
    i32 dx = points[i + 1].x - points[i].x;
    state->delta = dx > 0 ? (points[i + 1].y - points[i].y) * 65536 / dx : 0;
    state->value = points[i].y * 65536;
    state->point = i + 1;
  } else if (state->point < n) {
    state->value += state->delta;
  }
  state->output = Xm_Envelope_Output(state->value);
  state->tick++;
  return true;
}

void Xm_Volume_Column(XmChannel* channel, u8 byte) {
  if (byte >= kXmVolumeSetFirst && byte <= kXmVolumeSetLast) {
    channel->volume = byte - kXmVolumeSetFirst;
    channel->flags |= XM_FLAG_VOLUME;
  } else if (XmVolumeHandler h = kXmVolumeCommands[byte >> 4].row_start) {
    h(channel, byte & 15);
  }
}

void Xm_Reset_Channel(XmChannel* channel, const XmSample* sample) {
  channel->volume = sample->volume;
  channel->panning = i32(sample->panning);
  // The envelopes start over; their values stay until the first point sets them.
  for (XmEnvelopeState* e : {&channel->volume_envelope, &channel->panning_envelope}) {
    e->tick = e->point = e->delta = 0;
    e->done = 0;
  }
  channel->volume_envelope.output = 64;
  channel->panning_envelope.output = 32;
  channel->key_off = 0;
  channel->fadeout_volume = 65536;
  channel->auto_vibrato_position = 0;
  channel->sweep_counter = 0;
  if ((channel->waveform & 0x0F) < 4) channel->vibrato_position = 0;
  if ((channel->waveform >> 4) < 4) channel->tremolo_position = 0;
  channel->tremor_counter = 0;
  channel->flags |= XM_FLAG_VOLUME | XM_FLAG_PANNING;
}

void Xm_Update_Voice(XmChannel* channel, const XmSample* sample, const XmModule* module) {
  XmVoice* voice = channel->voice;
  if (channel->period + channel->period_offset == 0) channel->flags &= u8(~XM_FLAG_FREQUENCY);
  if (channel->flags & XM_FLAG_START) {
    if (voice->sample) {
      // The channel moves to the twin, a copy of its voice; the old voice ramps to silence.
      i32 twin_number = voice->number < 32 ? voice->number + 32 : voice->number - 32;
      XmVoice* twin = Xm_Voice(u32(twin_number));
      *twin = *voice;
      twin->number = twin_number;
      voice->volume = voice->volume2 = 0;
      voice->left_target = voice->right_target = 0;
      voice->released = 1;
      channel->voice = twin;
      voice = twin;
    }
    voice->released = 0;
    voice->sample = sample;
    voice->position = u64(voice->start_offset) < u64(sample->loop_start) + sample->loop_length ? voice->start_offset : 0;
    voice->fraction = 0;
    voice->direction = 1;
    voice->start_offset = 0;
    voice->left_current = voice->right_current = 0;
    voice->last_left_target = voice->last_right_target = 0;
    voice->left_delta = voice->right_delta = 0;
    voice->ramp_frames_left = 0;
  }
  if (channel->flags & XM_FLAG_VOLUME) {
    f64 v = f64(channel->volume + channel->volume_offset) * channel->volume_envelope.output *
            channel->fadeout_volume * module->global_volume * 127.5 / 17179869184.0;
    i32 volume = v <= 0 ? 0 : v >= 127 ? 127 : i32(v);
    voice->volume = voice->volume2 = volume;
    Xm_Set_Gains(voice);
  }
  if (channel->flags & XM_FLAG_PANNING) {
    i32 p = channel->panning;
    i32 swing = (128 - std::abs(p - 128)) / 32;
    i32 panning = Xm_Clamp(p + swing * (channel->panning_envelope.output - 32), 0, kXmMaxPanning);
    voice->panning = voice->panning2 = panning;
    Xm_Set_Gains(voice);
  }
  if (channel->flags & XM_FLAG_FREQUENCY) {
    i32 frequency = Xm_Frequency(module, channel->period, channel->period_offset);
    voice->frequency = frequency;
    u32 f = u32(frequency < 100 ? 100 : frequency);
    voice->step = f / kXmRate;
    voice->step_fraction = u32((u64(f % kXmRate) << 32) / kXmRate);
  }
  // The sample starts over from its beginning, so forward even if a ping-pong loop was running backward.
  if (channel->flags & XM_FLAG_RESTART) {
    voice->position = 0;
    voice->fraction = 0;
    voice->direction = 1;
    voice->start_offset = 0;
  }
}

void Xm_Tick(XmModule* module) {
  Xm_Take_Position_Request(module);
  if (module->tick == 0) {
    if (module->next_order >= 0) module->order = module->next_order;
    if (module->next_row >= 0) module->row = module->next_row;
    // A position outside the song or the pattern starts over at the restart order or row 0.
    if (module->order < 0 || module->order >= module->song_length) module->order = module->restart_position;
    const XmPattern* pattern = &module->patterns[module->order_table[module->order]];
    if (module->row < 0 || u32(module->row) >= pattern->rows) module->row = 0;
    Xm_Process_Row(module);
    if (module->next_row < 0) {
      module->next_row = module->row + 1;
      if (u32(module->next_row) >= pattern->rows) {
        module->next_order = module->order + 1;
        if (module->next_order >= module->song_length) module->next_order = module->restart_position;
        module->next_row = 0;
      }
    }
  } else {
    Xm_Process_Tick_Effects(module);
  }
  module->tick++;
  if (module->tick >= module->speed + module->pattern_delay) {
    module->tick = 0;
    module->pattern_delay = 0;
  }
}
