// XM rows and effects: the channel table, the tick function, envelopes and the hand-over to voices.
#pragma once
#include "music/xmload.h"
#include "music/xmmix.h"
#include "runtime/types.h"

enum : u8 {
  XM_FLAG_FREQUENCY = 1,
  XM_FLAG_VOLUME = 2,
  XM_FLAG_PANNING = 4,
  XM_FLAG_START = 8,
  XM_FLAG_RESTART = 0x20,
};

struct XmEnvelopeState {
  i32 tick;
  i32 point;
  i64 value;  // 16.16; wide enough for a position set far before the segment's first point
  i32 output;
  i32 delta;  // 16.16
  u8 done;
};

struct XmChannel {
  u8 note;
  u8 flags;
  XmVoice* voice;
  const XmSample* sample;
  i32 period;
  i32 volume;
  i32 panning;
  i32 volume_offset;
  i32 period_offset;
  XmEnvelopeState volume_envelope;
  XmEnvelopeState panning_envelope;
  i32 fadeout_volume;
  i32 auto_vibrato_position, sweep_counter;
  u8 key_off;
  u8 instrument;
  u8 real_note;
  i32 note_period;
  u8 last_effect;
  u32 sample_offset_memory;
  u8 porta_down_memory, porta_up_memory, extra_fine_down_memory, extra_fine_up_memory;
  u8 volume_slide_memory, panning_slide_memory, retrigger_volume, retrigger_interval;
  i32 porta_target;
  u8 porta_speed;
  i8 vibrato_position;
  u8 vibrato_speed, vibrato_depth;
  i8 tremolo_position;
  u8 tremolo_speed, tremolo_depth;
  u8 tremor_counter, tremor_on, tremor_off;
  i32 loop_row, loop_count;
  u8 waveform;
  u8 fine_volume_memory, fine_porta_up_memory, fine_porta_down_memory;
};

XmChannel* Xm_Channel(u32 index);
// Zeroes the module's channels and puts channel i on voice i (start of playback).
void Xm_Reset_Channels(XmModule* module);

void Xm_Tick(XmModule* module);
void Xm_Set_Bpm(XmModule* module, i32 bpm);
i32 Xm_Amiga_Period(i32 note, i32 finetune);
// Hz for a period and its offset: 14317056 / (period + offset), or linear 8363 x 2^((4608 - period + offset) / 768).
i32 Xm_Frequency(const XmModule* module, i32 period, i32 offset);

void Xm_Tone_Portamento(XmChannel* channel);
void Xm_Vibrato(XmChannel* channel);
void Xm_Tremolo(XmChannel* channel);
void Xm_Tremor(XmChannel* channel);
void Xm_Auto_Vibrato(XmChannel* channel, const XmInstrument* instrument);
void Xm_Envelope_Step(XmEnvelopeState* state, const XmEnvelopePoint* points, u8 count, u8 type,
                      u8 sustain, u8 loop_start, u8 loop_end, bool released);
void Xm_Volume_Column(XmChannel* channel, u8 byte);
void Xm_Reset_Channel(XmChannel* channel, const XmSample* sample);
void Xm_Update_Voice(XmChannel* channel, const XmSample* sample, const XmModule* module);
