// XM 1.04 module writer: patterns, instruments with envelopes, delta-coded 8- and 16-bit samples.
#pragma once
#include <string>
#include <vector>

#include "runtime/types.h"

struct XmWriterCell {
  u8 note = 0;  // 0 none, 1..96 (49 = C-4), 97 key-off
  u8 instrument = 0;
  u8 volume = 0;
  u8 effect = 0;
  u8 parameter = 0;
};

struct XmWriterPattern {
  u32 rows = 64;
  std::vector<XmWriterCell> cells;  // rows x channels, row by row
};

struct XmWriterEnvelope {
  std::vector<std::pair<u16, u16>> points;  // (tick, value 0..64)
  u8 sustain = 0, loop_start = 0, loop_end = 0;
  u8 type = 0;  // bit 0 on, bit 1 sustain, bit 2 loop
};

struct XmWriterSample {
  std::string name;
  bool sixteen_bit = true;
  std::vector<i16> data;  // 8-bit samples keep their value in the low byte range -128..127
  u32 loop_start = 0, loop_length = 0;  // in samples
  u8 loop_type = 0;  // 0 none, 1 forward, 2 ping-pong
  u8 volume = 64;
  i8 finetune = 0;
  u8 panning = 128;
  i8 relative_note = 0;
};

struct XmWriterInstrument {
  std::string name;
  std::vector<XmWriterSample> samples;
  u8 keymap[96] = {};
  XmWriterEnvelope volume_envelope, panning_envelope;
  u8 vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
  u16 fadeout = 0;
};

struct XmSong {
  std::string name;
  u16 channels = 4;
  u16 restart = 0;
  u16 flags = 1;  // linear frequencies
  u16 speed = 6;
  u16 bpm = 125;
  std::vector<u8> orders;
  std::vector<XmWriterPattern> patterns;
  std::vector<XmWriterInstrument> instruments;
};

// Adds an empty pattern of the given rows and returns its number.
u32 XmWriter_Add_Pattern(XmSong* song, u32 rows);
XmWriterCell& XmWriter_Cell(XmSong* song, u32 pattern, u32 row, u32 channel);
// The module's bytes.
std::vector<u8> XmWriter_Encode(const XmSong& song);
bool XmWriter_Save(const std::string& path, const XmSong& song);

// Sample makers for tests and tools: one cycle of a waveform, looped forward.
XmWriterSample XmWriter_Cycle(const char* name, u32 period, i16 amplitude, char shape);
