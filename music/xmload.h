// XM modules in memory and their loader: file callbacks, patterns, instruments, samples.
#pragma once
#include "runtime/types.h"

const u32 kXmMaxChannels = 32;
const u32 kXmUsualBpm = 125;
const u32 kXmMaxBpm = 32767;  // the largest the module's tempo field holds
const u32 kXmMaxOrders = 256;
const u32 kXmMaxPatterns = 256;
const u32 kXmMaxRows = 256;
const u32 kXmMaxInstruments = 128;
const u32 kXmMaxSamples = 16;
const u32 kXmEnvelopePoints = 12;
const u32 kXmKeymapNotes = 96;
const u8 kXmKeyOff = 255;

enum : u8 { XM_LOOP_NONE = 1, XM_LOOP_FORWARD = 2, XM_LOOP_PINGPONG = 4 };
enum : u8 { XM_ENV_ON = 1, XM_ENV_SUSTAIN = 2, XM_ENV_LOOP = 4 };
const u16 kXmLinearFrequencies = 1;  // module flag: linear periods instead of Amiga periods

struct XmCell {
  u8 note;        // 0 none, 1..96, 255 key-off
  u8 instrument;  // 0 none, 1..128
  u8 volume;      // volume-column byte
  u8 effect;      // 0..35
  u8 parameter;
};

struct XmPattern {
  u32 rows;
  XmCell* cells;  // rows x channels, row by row
};

struct XmSample {
  i16* data;  // length + 8 samples; data[loop end] is the interpolation guard
  u32 length;
  u32 loop_start;
  u32 loop_length;
  u8 volume;
  i8 finetune;
  u32 panning;
  u8 bits;
  u8 loop_type;
  i8 relative_note;
};

struct XmEnvelopePoint {
  u16 x;
  u16 y;
};

struct XmInstrument {
  u32 sample_count;
  XmSample* samples[kXmMaxSamples];
  u8 keymap[kXmKeymapNotes];
  XmEnvelopePoint volume_envelope[kXmEnvelopePoints];
  XmEnvelopePoint panning_envelope[kXmEnvelopePoints];
  u8 volume_points, panning_points;
  u8 volume_sustain, volume_loop_start, volume_loop_end;
  u8 panning_sustain, panning_loop_start, panning_loop_end;
  u8 volume_type, panning_type;
  u8 vibrato_type, vibrato_sweep, vibrato_depth, vibrato_rate;
  u16 fadeout;
};

struct XmModule;
typedef void (*XmTickFunction)(XmModule* module);
// Fills destination with a sample's raw data instead of the file (tests and tools).
typedef void (*XmSampleReader)(void* destination, u32 bytes, u8 bits, u32 instrument, u32 sample);

struct XmModule {
  XmPattern* patterns;
  XmInstrument* instruments;
  i32 tick_samples_left;
  i32 tick_length;
  i16 song_length;
  i16 restart_position;
  i16 channels;
  i32 used_patterns;
  i32 pattern_table_size;
  i16 instrument_count;
  u16 flags;  // bit 0: linear frequency table
  i16 default_speed;
  i16 default_bpm;
  u8 order_table[kXmMaxOrders];
  u8 initial_global_volume;
  i32 global_volume;
  u8 global_volume_slide_memory;
  i32 tick;
  i32 speed;
  i32 bpm;
  i32 row;
  i32 order;
  i32 pattern_delay;
  i32 next_row;
  i32 next_order;
  i32 elapsed_milliseconds;
  XmTickFunction tick_function;
  XmSampleReader sample_reader;
};

// The shared empty records: a missing sample and an instrument number beyond the count.
extern XmSample xm_empty_sample;
extern XmInstrument xm_empty_instrument;

// File callbacks; read returns the bytes it delivered, seek origin 0 is the start, 1 the current position.
typedef void* (*XmOpenCallback)(const char* name);
typedef void (*XmCloseCallback)(void* handle);
typedef u32 (*XmReadCallback)(void* destination, u32 bytes, void* handle);
typedef void (*XmSeekCallback)(void* handle, i32 offset, i32 origin);
typedef i32 (*XmTellCallback)(void* handle);

struct XmFile {
  u8 mode;
  void* handle;
  u32 extra;
  u8 short_read;  // a read delivered fewer bytes than asked
};

void Xm_Set_File_Callbacks(XmOpenCallback open, XmCloseCallback close, XmReadCallback read,
                           XmSeekCallback seek, XmTellCallback tell);
bool Xm_File_Callbacks_Set(void);
XmFile* Xm_File_Open(const char* name);
void Xm_File_Close(XmFile* file);
// Zero-fills the destination, then reads; returns the bytes delivered.
u32 Xm_File_Read(void* destination, u32 bytes, XmFile* file);
void Xm_File_Seek(XmFile* file, i32 offset, i32 origin);
i32 Xm_File_Tell(XmFile* file);

XmModule* Xm_Load_Module(const char* name, XmSampleReader reader);
bool Xm_Parse_Module(XmModule* module, XmFile* file);
bool Xm_Free_Module(XmModule* module);
// Why the last load failed, for the caller's message ("" after a success).
const char* Xm_Load_Error(void);

// The cells of a row, never out of range: the order and row are clamped into the module.
const XmCell* Xm_Row_Cells(const XmModule* module, i32 order, i32 row);
