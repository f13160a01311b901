// Integer sample synthesis: every value comes from integer arithmetic, so the bytes never depend on a maths library.
#include "synth.h"

namespace {
const u32 kSineBits = 16;
const u32 kSineSize = 1u << kSineBits;
const i64 kOne = i64(1) << kSynthQ;
const i64 kHalfPi = 1686629713;  // pi / 2 in Q30
const u32 kWeightShift = 16;     // partial weights carry 16 fraction bits

std::vector<i32> synth_sine;

// The sine of x (Q30, 0..pi/2) by its Taylor series in fixed point.
i32 Synth_Taylor(i64 x) {
  i64 term = x, sum = x;
  for (i64 k = 1; k <= 7; k++) {
    term = -(((term * x) >> kSynthQ) * x >> kSynthQ) / ((2 * k) * (2 * k + 1));
    sum += term;
  }
  return i32(sum > kOne ? kOne : sum);
}

void Synth_Build_Sine(void) {
  if (!synth_sine.empty()) return;
  synth_sine.resize(kSineSize);
  const u32 quarter = kSineSize / 4;
  for (u32 i = 0; i <= quarter; i++) {
    i32 v = Synth_Taylor(kHalfPi * i / quarter);
    if (i < quarter) synth_sine[i] = v;
    if (i > 0) synth_sine[2 * quarter - i] = v;
  }
  for (u32 i = 0; i < 2 * quarter; i++) synth_sine[2 * quarter + i] = -synth_sine[i];
}

// Phase of cycles whole turns over length values, at value i.
u32 Synth_Phase(u64 cycles, u64 i, u64 length) { return u32(((cycles * i) % length << 32) / length); }
}  // namespace

i32 Synth_Sin(u32 phase) {
  Synth_Build_Sine();
  return synth_sine[phase >> (32 - kSineBits)];
}

i32 Synth_Noise(u32* state) {
  u32 x = *state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  *state = x;
  return i32(x >> 1) - (1 << kSynthQ);
}

i64 Synth_Fall(u32 t, u32 length, u32 power) {
  if (t >= length) return 0;
  const i64 base = (i64(length - t) << kSynthQ) / length;
  i64 v = kOne;
  for (u32 p = 0; p < power; p++) v = (v * base) >> kSynthQ;
  return v;
}

std::vector<i64> Synth_Wave(u32 length, const std::vector<SynthLayer>& layers) {
  std::vector<i64> out(length, 0);
  for (const SynthLayer& l : layers) {
    const u32 limit = length / (2 * l.cycles);
    for (u32 h = 1; h <= l.harmonics && h < limit; h++) {
      i64 weight = (i64(l.weight) << kWeightShift) * l.bright / (i64(l.bright) + h);
      if (l.shape == 's' && h > 1) break;
      if ((l.shape == 'q' || l.shape == 't') && h % 2 == 0) continue;
      weight /= h;
      if (l.shape == 't') weight = (h % 4 == 3 ? -weight : weight) / h;
      for (u32 i = 0; i < length; i++)
        out[i] += (Synth_Sin(Synth_Phase(u64(h) * l.cycles, i, length)) * weight) >> kWeightShift;
    }
  }
  return out;
}

std::vector<i64> Synth_Drum(const SynthDrum& d) {
  // Inharmonic square partials of a struck cymbal, in Hz.
  const u32 kMetal[6] = {411, 609, 739, 1045, 1080, 1600};
  std::vector<i64> out(d.length, 0);
  u32 phase = 0, noise = 0x9E3779B9u, metal[6] = {};
  i64 low = 0, high = 0;
  for (u32 t = 0; t < d.length; t++) {
    const i64 hz = (i64(d.end_hz) << 16) + ((i64(d.start_hz - d.end_hz) << 16) * Synth_Fall(t, d.sweep, 3) >> kSynthQ);
    phase += u32((u64(hz) << 16) / d.rate);
    i64 tone = i64(Synth_Sin(phase)) * d.tone_level / 100 * Synth_Fall(t, d.tone_decay, d.tone_power) >> kSynthQ;
    i64 hiss = i64(Synth_Noise(&noise)) * d.noise_level / 100;
    for (u32 m = 0; m < 6 && d.metal_level; m++) {
      metal[m] += u32((u64(kMetal[m]) << 32) / d.rate);
      hiss += (metal[m] < 0x80000000u ? kOne : -kOne) * i64(d.metal_level) / 600;
    }
    low += ((hiss - low) * d.lowpass) >> 16;
    high += ((low - high) * d.highpass) >> 16;
    const i64 shaped = d.highpass ? low - high : low;
    out[t] = tone + (shaped * Synth_Fall(t, d.noise_decay, d.noise_power) >> kSynthQ);
  }
  return out;
}

std::vector<i64> Synth_Bell(u32 length, u32 period, const std::vector<SynthPartial>& partials) {
  std::vector<i64> out(length, 0);
  for (const SynthPartial& p : partials) {
    const u32 step = u32((u64(p.ratio) << 16) / period);
    u32 phase = 0;
    for (u32 t = 0; t < length; t++, phase += step)
      out[t] += i64(Synth_Sin(phase)) * p.level / 100 * Synth_Fall(t, p.decay, 3) >> kSynthQ;
  }
  return out;
}

std::vector<i64> Synth_Noise_Loop(u32 length, u32 lowpass) {
  std::vector<i64> out(length);
  u32 state = 0x1234567u;
  i64 low = 0;
  // The first pass only settles the filter; the second is kept.
  for (u32 pass = 0; pass < 2; pass++)
    for (u32 t = 0; t < length; t++) {
      low += ((i64(Synth_Noise(&state)) - low) * lowpass) >> 16;
      out[t] = low;
    }
  return out;
}

XmWriterSample Synth_Sample(const char* name, const std::vector<i64>& values, i32 peak) {
  XmWriterSample s;
  s.name = name;
  i64 most = 1;
  for (i64 v : values) most = v > most ? v : -v > most ? -v : most;
  u32 shift = 0;
  while ((most >> shift) >= (i64(1) << 31)) shift++;
  const i64 scale = (most >> shift) > 0 ? (most >> shift) : 1;
  for (i64 v : values) s.data.push_back(i16((v >> shift) * peak / scale));
  return s;
}
