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

// Effect types of a cell, with their tracker letters.
enum XmEffect : u8 {
  XM_FX_ARPEGGIO = 0x00,
  XM_FX_PORTA_UP = 0x01,
  XM_FX_PORTA_DOWN = 0x02,
  XM_FX_TONE_PORTA = 0x03,
  XM_FX_VIBRATO = 0x04,
  XM_FX_TONE_PORTA_VOLUME_SLIDE = 0x05,
  XM_FX_VIBRATO_VOLUME_SLIDE = 0x06,
  XM_FX_TREMOLO = 0x07,
  XM_FX_SET_PANNING = 0x08,
  XM_FX_SAMPLE_OFFSET = 0x09,
  XM_FX_VOLUME_SLIDE = 0x0A,
  XM_FX_POSITION_JUMP = 0x0B,
  XM_FX_SET_VOLUME = 0x0C,
  XM_FX_PATTERN_BREAK = 0x0D,
  XM_FX_EXTENDED = 0x0E,  // Exy: the sub-effect x below
  XM_FX_SET_SPEED = 0x0F,
  XM_FX_SET_GLOBAL_VOLUME = 0x10,     // G
  XM_FX_GLOBAL_VOLUME_SLIDE = 0x11,   // H
  XM_FX_KEY_OFF = 0x14,               // K
  XM_FX_SET_ENVELOPE_POSITION = 0x15, // L
  XM_FX_PANNING_SLIDE = 0x19,         // P
  XM_FX_RETRIGGER = 0x1B,             // R
  XM_FX_TREMOR = 0x1D,                // T
  XM_FX_EXTRA_FINE_PORTA = 0x21,      // X
};

// Volume-column commands by the byte's high nibble; bytes 0x10..0x50 set the volume.
enum XmVolumeCommand : u8 {
  XM_VOL_SLIDE_DOWN = 0x6,
  XM_VOL_SLIDE_UP = 0x7,
  XM_VOL_FINE_DOWN = 0x8,
  XM_VOL_FINE_UP = 0x9,
  XM_VOL_VIBRATO_SPEED = 0xA,
  XM_VOL_VIBRATO_DEPTH = 0xB,
  XM_VOL_SET_PANNING = 0xC,
  XM_VOL_PANNING_LEFT = 0xD,
  XM_VOL_PANNING_RIGHT = 0xE,
  XM_VOL_TONE_PORTA = 0xF,
};
const u8 kXmVolumeSetFirst = 0x10;
const u8 kXmVolumeSetLast = 0x50;

// Sub-effects x of Exy.
enum XmExtendedEffect : u8 {
  XM_EX_FINE_PORTA_UP = 0x1,
  XM_EX_FINE_PORTA_DOWN = 0x2,
  XM_EX_VIBRATO_WAVEFORM = 0x4,
  XM_EX_SET_FINETUNE = 0x5,
  XM_EX_PATTERN_LOOP = 0x6,
  XM_EX_TREMOLO_WAVEFORM = 0x7,
  XM_EX_SET_PANNING = 0x8,
  XM_EX_RETRIGGER_NOTE = 0x9,
  XM_EX_FINE_VOLUME_UP = 0xA,
  XM_EX_FINE_VOLUME_DOWN = 0xB,
  XM_EX_NOTE_CUT = 0xC,
  XM_EX_NOTE_DELAY = 0xD,
  XM_EX_PATTERN_DELAY = 0xE,
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
// One tick of an envelope; false while it holds at its sustain point or as it finishes, when its
// output is not handed to the voice.
bool Xm_Envelope_Step(XmEnvelopeState* state, const XmEnvelopePoint* points, u8 count, u8 type,
                      u8 sustain, u8 loop_start, u8 loop_end, bool released);
void Xm_Volume_Column(XmChannel* channel, u8 byte);
void Xm_Reset_Channel(XmChannel* channel, const XmSample* sample);
void Xm_Update_Voice(XmChannel* channel, const XmSample* sample, const XmModule* module);
