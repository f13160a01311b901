// XM rows and effects: the tick function, row start and later-tick effects, envelopes, voice update.
#include "music/xmfx.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
XmChannel xm_channels[kXmMaxChannels];

const i32 kXmMinimumPeriod = 1;
const i32 kXmMaximumPeriod = 31999;

void Xm_Clamp_Period(XmChannel* channel) {
  if (channel->period < kXmMinimumPeriod) channel->period = kXmMinimumPeriod;
  if (channel->period > kXmMaximumPeriod) channel->period = kXmMaximumPeriod;
}

i32 Xm_Clamp(i32 v, i32 low, i32 high) { return v < low ? low : v > high ? high : v; }

// |sin(position x pi / 32) x 256| for the vibrato and tremolo positions -32..31.
i32 Xm_Sine(i32 position) { return i32(std::fabs(std::sin(position * M_PI / 32.0) * 256.0)); }

i32 Xm_Ramp(i32 position) { return position >= 0 ? position * 8 : 255 - ((position * 8) & 0xFF); }

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
  channel->volume = Xm_Clamp(channel->volume + step, 0, 64);
  channel->flags |= XM_FLAG_VOLUME;
}

void Xm_Add_Panning(XmChannel* channel, i32 step) {
  channel->panning = Xm_Clamp(channel->panning + step, 0, 255);
  channel->flags |= XM_FLAG_PANNING;
}

void Xm_Volume_Slide(XmChannel* channel, u8 memory) {
  Xm_Add_Volume(channel, (memory >> 4) ? i32(memory >> 4) : -i32(memory & 15));
}

void Xm_Advance_Vibrato(XmChannel* channel) {
  i32 position = channel->vibrato_position + channel->vibrato_speed;
  if (position > 31) position -= 64;
  channel->vibrato_position = i8(position);
}

void Xm_Step_Envelopes(XmChannel* channel, const XmInstrument* instrument) {
  if ((instrument->volume_type & XM_ENV_ON) && !channel->volume_envelope.done) {
    Xm_Envelope_Step(&channel->volume_envelope, instrument->volume_envelope, instrument->volume_points,
                     instrument->volume_type, instrument->volume_sustain, instrument->volume_loop_start,
                     instrument->volume_loop_end, channel->key_off);
    channel->flags |= XM_FLAG_VOLUME;
  }
  if ((instrument->panning_type & XM_ENV_ON) && !channel->panning_envelope.done) {
    Xm_Envelope_Step(&channel->panning_envelope, instrument->panning_envelope,
                     instrument->panning_points, instrument->panning_type, instrument->panning_sustain,
                     instrument->panning_loop_start, instrument->panning_loop_end, channel->key_off);
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

void Xm_Process_Row(XmModule* module) {
  module->next_order = -1;
  module->next_row = -1;
  const XmCell* cells = Xm_Row_Cells(module, module->order, module->row);
  for (i32 c = 0; c < module->channels; c++) {
    XmChannel* channel = &xm_channels[c];
    const XmCell& cell = cells[c];
    u8 effect = cell.effect, parameter = cell.parameter;
    u8 x = parameter >> 4, y = parameter & 15;
    bool has_note = cell.note != 0 && cell.note != kXmKeyOff;
    // 1-3. Levels, instrument and note, sample.
    Xm_Set_Channel_Level(c, cell.note, cell.volume);
    bool portamento = effect == 3 || effect == 5;
    if (!portamento) {
      if (cell.instrument) channel->instrument = u8(cell.instrument - 1);
      if (has_note) channel->note = u8(cell.note - 1);
    }
    const XmInstrument* instrument = Xm_Instrument_Of(module, channel);
    const XmSample* sample = Xm_Sample_Of(instrument, channel->note);
    if (!portamento) channel->sample = sample;
    // 4. What a note delay restores.
    i32 old_panning = channel->panning, old_volume = channel->volume, old_period = channel->period;
    if (channel->last_effect == 7 && effect != 7) channel->volume += channel->volume_offset;
    channel->volume_offset = 0;
    channel->last_effect = effect;
    channel->flags = 0;
    // 5. The note's period; E5y gives this note a finetune of (y - 8) x 16.
    if (has_note) {
      i32 real = sample->relative_note + cell.note - 1;
      if (real >= 0 && real < 120) {
        i32 finetune = effect == 0x0E && x == 5 ? (y - 8) * 16 : sample->finetune;
        channel->real_note = u8(real);
        channel->note_period = (module->flags & 1) ? 7680 - real * 64 - finetune / 2
                                                   : Xm_Amiga_Period(real, finetune);
        if (!portamento) channel->period = channel->note_period;
        channel->flags = XM_FLAG_START;
      }
    }
    // 6-10.
    channel->period_offset = 0;
    channel->flags |= XM_FLAG_FREQUENCY | XM_FLAG_VOLUME;
    if (cell.instrument) Xm_Reset_Channel(channel, sample);
    if (cell.volume) Xm_Volume_Column(channel, cell.volume);
    if (cell.note == kXmKeyOff || effect == 0x14) channel->key_off = 1;
    if (!(instrument->volume_type & XM_ENV_ON) && channel->key_off) channel->volume_envelope.output = 0;
    Xm_Step_Envelopes(channel, instrument);
    Xm_Fade(channel, instrument);
    // 11. The row-start part of the effect.
    switch (effect) {
      case 0x1:
        if (parameter) channel->porta_up_memory = parameter;
        break;
      case 0x2:
        if (parameter) channel->porta_down_memory = parameter;
        break;
      case 0x3:
        if (parameter) channel->porta_speed = parameter;
        channel->porta_target = channel->note_period;
        channel->flags &= u8(~(XM_FLAG_FREQUENCY | XM_FLAG_START));
        break;
      case 0x4:
        if (x) channel->vibrato_speed = x;
        if (y) channel->vibrato_depth = y;
        Xm_Vibrato(channel);
        break;
      case 0x5:
        channel->porta_target = channel->note_period;
        if (parameter) channel->volume_slide_memory = parameter;
        channel->flags &= u8(~(XM_FLAG_FREQUENCY | XM_FLAG_START));
        break;
      case 0x6:
        if (parameter) channel->volume_slide_memory = parameter;
        Xm_Vibrato(channel);
        break;
      case 0x7:
        if (x) channel->tremolo_speed = x;
        if (y) channel->tremolo_depth = y;
        break;
      case 0x8:
        channel->panning = parameter;
        channel->flags |= XM_FLAG_PANNING;
        break;
      case 0x9: {
        if (parameter) channel->sample_offset_memory = parameter;
        u32 offset = channel->sample_offset_memory * 256;
        if (u64(offset) < u64(sample->loop_start) + sample->loop_length) {
          channel->voice->start_offset = offset;
        } else {
          channel->flags &= u8(~XM_FLAG_START);
          channel->flags |= XM_FLAG_RESTART;
        }
        break;
      }
      case 0xA:
        if (parameter) channel->volume_slide_memory = parameter;
        break;
      case 0xB:
        module->next_row = 0;
        module->next_order = parameter < module->song_length ? parameter : 0;
        break;
      case 0xC:
        channel->volume = parameter > 64 ? 64 : parameter;
        channel->flags |= XM_FLAG_VOLUME;
        break;
      case 0xD: {
        i32 row = x * 10 + y;
        module->next_row = row > 63 ? 0 : row;
        if (module->next_order < 0) {
          module->next_order = module->order + 1;
          if (module->next_order >= module->song_length) module->next_order = 0;
        }
        break;
      }
      case 0xE:
        switch (x) {
          case 0x1:
            if (y) channel->fine_porta_up_memory = y;
            channel->period -= channel->fine_porta_up_memory * 4;
            Xm_Clamp_Period(channel);
            break;
          case 0x2:
            if (y) channel->fine_porta_down_memory = y;
            channel->period += channel->fine_porta_down_memory * 4;
            Xm_Clamp_Period(channel);
            break;
          case 0x4:
            channel->waveform = u8((channel->waveform & 0xF0) | y);
            break;
          case 0x7:
            channel->waveform = u8((channel->waveform & 0x0F) | y << 4);
            break;
          case 0x6:
            if (y == 0) {
              channel->loop_row = module->row;
            } else {
              if (channel->loop_count == 0)
                channel->loop_count = y;
              else
                channel->loop_count--;
              if (channel->loop_count) module->next_row = channel->loop_row;
            }
            break;
          case 0x8:
            channel->panning = y * 16;
            channel->flags |= XM_FLAG_PANNING;
            break;
          case 0xA:
            if (y) channel->fine_volume_memory = y;
            Xm_Add_Volume(channel, channel->fine_volume_memory);
            break;
          case 0xB:
            if (y) channel->fine_volume_memory = y;
            Xm_Add_Volume(channel, -i32(channel->fine_volume_memory));
            break;
          case 0xD:
            // A delay of 0 ticks plays the note at once.
            if (y) {
              channel->panning = old_panning;
              channel->volume = old_volume;
              channel->period = old_period;
              channel->flags &= 0xF0;
            }
            break;
          case 0xE:
            module->pattern_delay = module->speed * y;
            break;
          default:
            break;
        }
        break;
      case 0xF:
        if (parameter < 32)
          module->speed = parameter;
        else
          Xm_Set_Bpm(module, parameter);
        break;
      case 0x10:
        module->global_volume = parameter > 64 ? 64 : parameter;
        channel->flags |= XM_FLAG_VOLUME;
        break;
      case 0x11:
        if (parameter) module->global_volume_slide_memory = parameter;
        break;
      case 0x15:
        if (instrument->volume_type & XM_ENV_ON)
          Xm_Set_Envelope_Position(&channel->volume_envelope, instrument, parameter);
        break;
      case 0x19:
        if (parameter) {
          channel->panning_slide_memory = parameter;
          channel->flags |= XM_FLAG_PANNING;
        }
        break;
      case 0x1B:
        if (parameter) {
          channel->retrigger_volume = x;
          channel->retrigger_interval = y;
        }
        break;
      case 0x1D:
        if (parameter) {
          channel->tremor_on = u8(x + 1);
          channel->tremor_off = u8(y + 1);
        }
        Xm_Tremor(channel);
        break;
      case 0x21:
        if (x == 1) {
          if (y) channel->extra_fine_up_memory = y;
          channel->period -= channel->extra_fine_up_memory;
          Xm_Clamp_Period(channel);
        } else if (x == 2) {
          if (y) channel->extra_fine_down_memory = y;
          channel->period += channel->extra_fine_down_memory;
          Xm_Clamp_Period(channel);
        }
        break;
      default:
        break;
    }
    Xm_Auto_Vibrato(channel, instrument);
    Xm_Update_Voice(channel, sample, module);
  }
}

void Xm_Volume_Column_Tick(XmChannel* channel, u8 byte) {
  u8 x = byte & 15;
  switch (byte >> 4) {
    case 0x6:
      Xm_Add_Volume(channel, -i32(x));
      break;
    case 0x7:
      Xm_Add_Volume(channel, x);
      break;
    case 0xB:
      channel->vibrato_depth = x;
      Xm_Vibrato(channel);
      Xm_Advance_Vibrato(channel);
      break;
    case 0xD:
      Xm_Add_Panning(channel, -i32(x));
      break;
    case 0xE:
      Xm_Add_Panning(channel, x);
      break;
    case 0xF:
      Xm_Tone_Portamento(channel);
      break;
    default:
      break;
  }
}

void Xm_Retrigger_Volume(XmChannel* channel) {
  i32 v = channel->volume;
  switch (channel->retrigger_volume) {
    case 0x1: v -= 1; break;
    case 0x2: v -= 2; break;
    case 0x3: v -= 4; break;
    case 0x4: v -= 8; break;
    case 0x5: v -= 16; break;
    case 0x6: v = v * 2 / 3; break;
    case 0x7: v /= 2; break;
    case 0x9: v += 1; break;
    case 0xA: v += 2; break;
    case 0xB: v += 4; break;
    case 0xC: v += 8; break;
    case 0xD: v += 16; break;
    case 0xE: v = v * 3 / 2; break;
    case 0xF: v *= 2; break;
    default: break;
  }
  channel->volume = Xm_Clamp(v, 0, 64);
}

void Xm_Process_Tick_Effects(XmModule* module) {
  const XmCell* cells = Xm_Row_Cells(module, module->order, module->row);
  for (i32 c = 0; c < module->channels; c++) {
    XmChannel* channel = &xm_channels[c];
    const XmCell& cell = cells[c];
    u8 parameter = cell.parameter;
    u8 x = parameter >> 4, y = parameter & 15;
    const XmInstrument* instrument = Xm_Instrument_Of(module, channel);
    const XmSample* sample = Xm_Sample_Of(instrument, channel->note);
    channel->volume_offset = 0;
    channel->period_offset = 0;
    channel->flags = 0;
    Xm_Step_Envelopes(channel, instrument);
    Xm_Fade(channel, instrument);
    Xm_Volume_Column_Tick(channel, cell.volume);
    switch (cell.effect) {
      case 0x0:
        if (parameter) {
          i32 semitones = module->tick % 3 == 0 ? 0 : module->tick % 3 == 1 ? x : y;
          channel->period_offset =
              (module->flags & 1)
                  ? semitones * 64
                  : Xm_Amiga_Period(channel->real_note + semitones, 0) - Xm_Amiga_Period(channel->real_note, 0);
          channel->flags |= XM_FLAG_FREQUENCY;
        }
        break;
      case 0x1:
        channel->period_offset = 0;
        channel->period -= channel->porta_up_memory * 4;
        if (channel->period < 56) channel->period = 56;
        channel->flags |= XM_FLAG_FREQUENCY;
        break;
      case 0x2:
        channel->period_offset = 0;
        channel->period += channel->porta_down_memory * 4;
        Xm_Clamp_Period(channel);
        channel->flags |= XM_FLAG_FREQUENCY;
        break;
      case 0x3:
        channel->period_offset = 0;
        Xm_Tone_Portamento(channel);
        break;
      case 0x4:
        Xm_Vibrato(channel);
        Xm_Advance_Vibrato(channel);
        break;
      case 0x5:
        channel->period_offset = 0;
        Xm_Tone_Portamento(channel);
        Xm_Volume_Slide(channel, channel->volume_slide_memory);
        break;
      case 0x6:
        Xm_Vibrato(channel);
        Xm_Advance_Vibrato(channel);
        Xm_Volume_Slide(channel, channel->volume_slide_memory);
        break;
      case 0x7:
        Xm_Tremolo(channel);
        break;
      case 0xA:
        Xm_Volume_Slide(channel, channel->volume_slide_memory);
        break;
      case 0xE:
        if (x == 0x9) {
          if (y && module->tick % y == 0) channel->flags |= XM_FLAG_FREQUENCY | XM_FLAG_VOLUME | XM_FLAG_START;
        } else if (x == 0xC) {
          if (module->tick == y) {
            channel->volume = 0;
            channel->flags |= XM_FLAG_VOLUME;
          }
        } else if (x == 0xD && y) {
          if (module->tick == y) {
            Xm_Reset_Channel(channel, sample);
            channel->period = channel->note_period;
            channel->flags |= XM_FLAG_FREQUENCY;
            if (cell.volume) Xm_Volume_Column(channel, cell.volume);
            channel->flags |= XM_FLAG_START;
          } else {
            channel->flags &= 0xF0;
          }
        }
        break;
      case 0x11: {
        u8 memory = module->global_volume_slide_memory;
        if (memory >> 4)
          module->global_volume = Xm_Clamp(module->global_volume + (memory >> 4), 0, 64);
        else
          module->global_volume = Xm_Clamp(module->global_volume - (memory & 15), 0, 64);
        break;
      }
      case 0x19: {
        u8 memory = channel->panning_slide_memory;
        Xm_Add_Panning(channel, (memory >> 4) ? i32(memory >> 4) : -i32(memory & 15));
        break;
      }
      case 0x1B:
        if (channel->retrigger_interval && module->tick % channel->retrigger_interval == 0) {
          Xm_Retrigger_Volume(channel);
          channel->flags |= XM_FLAG_VOLUME | XM_FLAG_START;
        }
        break;
      case 0x1D:
        Xm_Tremor(channel);
        break;
      default:
        break;
    }
    Xm_Auto_Vibrato(channel, instrument);
    Xm_Update_Voice(channel, sample, module);
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
  auto period = [](i32 n) { return i32(13.375 * std::exp2((132 - n) / 12.0)); };
  i32 p = period(note);
  if (finetune < 0 && note > 0) return p - (-finetune) * (p - period(note - 1)) / 128;
  return p - finetune * (p - period(note + 1)) / 128;
}

i32 Xm_Frequency(const XmModule* module, i32 period, i32 offset) {
  if (module->flags & 1) {
    f64 f = 8363.0 * std::exp2((4608.0 - period + offset) / 768.0);
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
  i32 value;
  switch (channel->waveform & 3) {
    case 0: value = Xm_Sine(position); break;
    case 1: value = Xm_Ramp(position); break;
    default: value = 255; break;
  }
  i32 offset = (channel->vibrato_depth * value / 32) & ~3;
  channel->period_offset = position >= 0 ? -offset : offset;
  channel->flags |= XM_FLAG_FREQUENCY;
}

void Xm_Tremolo(XmChannel* channel) {
  i32 position = channel->tremolo_position;
  i32 value;
  switch ((channel->waveform >> 4) & 3) {
    case 1: value = Xm_Ramp(position); break;
    case 2: value = 255; break;
    default: value = Xm_Sine(position); break;
  }
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
  i32 value;
  switch (instrument->vibrato_type & 3) {
    case 0: value = i32(std::sin(position * 2.0 * M_PI / 256.0) * 64.0); break;
    case 1: value = position < 128 ? 64 : -64; break;
    case 2: value = (128 - ((position + 128) % 256)) >> 1; break;
    default: value = (128 - ((384 - position) % 256)) >> 1; break;
  }
  value *= instrument->vibrato_depth;
  if (instrument->vibrato_sweep) value = value * channel->sweep_counter / instrument->vibrato_sweep;
  channel->period_offset += value >> 6;
  if (channel->sweep_counter < instrument->vibrato_sweep) channel->sweep_counter++;
  position += instrument->vibrato_rate;
  if (position > 255) position -= 256;
  channel->auto_vibrato_position = position;
  channel->flags |= XM_FLAG_FREQUENCY;
}

void Xm_Envelope_Step(XmEnvelopeState* state, const XmEnvelopePoint* points, u8 count, u8 type,
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
      return;
    }
    if ((type & XM_ENV_SUSTAIN) && i == sustain && !released) {
      state->output = points[i].y;
      return;
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
}

void Xm_Volume_Column(XmChannel* channel, u8 byte) {
  u8 x = byte & 15;
  if (byte >= 0x10 && byte <= 0x50) {
    channel->volume = byte - 16;
    channel->flags |= XM_FLAG_VOLUME;
    return;
  }
  switch (byte >> 4) {
    case 0x6:
    case 0x8:
      Xm_Add_Volume(channel, -i32(x));
      break;
    case 0x7:
    case 0x9:
      Xm_Add_Volume(channel, x);
      break;
    case 0xA:
      channel->vibrato_speed = x;
      break;
    case 0xB:
      channel->vibrato_depth = x;
      break;
    case 0xC:
      channel->panning = x * 16;
      channel->flags |= XM_FLAG_PANNING;
      break;
    case 0xD:
      Xm_Add_Panning(channel, -i32(x));
      break;
    case 0xE:
      Xm_Add_Panning(channel, x);
      break;
    case 0xF:
      if (x) {
        channel->porta_speed = u8(x * 16);
        channel->porta_target = channel->note_period;
        channel->flags &= u8(~XM_FLAG_START);
      }
      break;
    default:
      break;
  }
}

void Xm_Reset_Channel(XmChannel* channel, const XmSample* sample) {
  channel->volume = sample->volume;
  channel->panning = i32(sample->panning);
  channel->volume_envelope = XmEnvelopeState{};
  channel->volume_envelope.output = 64;
  channel->panning_envelope = XmEnvelopeState{};
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
    i32 panning = Xm_Clamp(p + swing * (channel->panning_envelope.output - 32), 0, 255);
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
  if (channel->flags & XM_FLAG_RESTART) {
    voice->position = 0;
    voice->fraction = 0;
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
