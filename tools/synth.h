// Integer sample synthesis for the show's instruments: sine table, noise, band-limited waves, drums, bells.
#pragma once
#include <vector>

#include "runtime/types.h"
#include "xm_writer.h"

// A sample played at C-4 with relative note 0 runs at this many values a second; each relative
// octave doubles it.
const u32 kSynthBaseRate = 8363;
const u32 kSynthQ = 30;  // Q30: 1.0 in the synthesis values

// One turn of the phase is 2^32; the result is in Q30.
i32 Synth_Sin(u32 phase);
// Uniform noise in -2^30 .. 2^30 from a xorshift state.
i32 Synth_Noise(u32* state);
// (1 - t / length)^power in Q30: a decay that reaches zero exactly at length.
i64 Synth_Fall(u32 t, u32 length, u32 power);

// A layer of a looped wave: cycles whole periods over the loop, harmonics up to a limit (and below
// the loop's Nyquist), each weighted 1/h (saw), odd 1/h (square) or odd 1/h^2 (triangle), dulled
// by bright / (bright + h).
struct SynthLayer {
  u32 cycles;
  char shape;  // 'w' saw, 'q' square, 't' triangle, 's' sine
  u32 harmonics;
  i32 weight;  // relative level, percent
  u32 bright = 1000;
};
std::vector<i64> Synth_Wave(u32 length, const std::vector<SynthLayer>& layers);

// A drum: a sine whose pitch falls from start_hz to end_hz over sweep values, and noise through a
// one-pole low-pass and high-pass, each with its own fall.
struct SynthDrum {
  u32 rate, length;
  u32 start_hz, end_hz, sweep;
  u32 tone_decay, tone_power;
  i32 tone_level;
  u32 noise_decay, noise_power;
  i32 noise_level;
  u32 lowpass;          // Q16 coefficient of a one-pole low-pass; 65536 passes everything
  u32 highpass;         // Q16 coefficient of the low-pass taken away again; 0 takes nothing away
  u32 metal_level = 0;  // square partials at inharmonic ratios for cymbals
};
std::vector<i64> Synth_Drum(const SynthDrum& d);

// A struck bell: inharmonic sine partials, each with its ratio to the fundamental (Q16), level and fall.
struct SynthPartial {
  u32 ratio;
  i32 level;
  u32 decay;
};
std::vector<i64> Synth_Bell(u32 length, u32 period, const std::vector<SynthPartial>& partials);

// Noise through a low-pass, looped; for risers swept by portamento.
std::vector<i64> Synth_Noise_Loop(u32 length, u32 lowpass);

// Values scaled so the largest magnitude is peak, as a 16-bit sample.
XmWriterSample Synth_Sample(const char* name, const std::vector<i64>& values, i32 peak);
