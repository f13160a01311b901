// XM mixer: the chunk ring, its output thread, voice mixing with interpolation and gain ramps.
#include "music/xmmix.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "music/xmfx.h"
#include "platform/plat.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The eight-frame mixing loop, chosen at run time on processors with AVX2. Not on Windows, whose
// compilers do not align the stack for 32-byte values.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define XM_MIX_AVX2 1
#include <immintrin.h>
#else
#define XM_MIX_AVX2 0
#endif

namespace {
const u32 kXmRingMilliseconds = 1000;
const u64 kXmZeroStep = 0x17C6F8C;  // stands in for a step of 0 in the boundary arithmetic
const f32 kXmFractionScale = 1.0f / 2147483648.0f;  // a halved 32-bit fraction to 0..1

XmVoice xm_voices[kXmVoices];
u32 xm_chunk_frames = 0;
u32 xm_ring_frames = 0;
u32 xm_chunk_count = 0;
u32 xm_ramp_frames = 0;
f32 xm_inverse_rate = 0;
f32 xm_inverse_ramp = 0;

i16* xm_ring = nullptr;
void* xm_float_block = nullptr;
f32* xm_float = nullptr;
XmChunkRecord* xm_records = nullptr;
u32 xm_write_index = 0;
u32 xm_play_index = 0;
u64 xm_mixed_frames = 0;
XmModule* xm_current = nullptr;
bool xm_device_open = false;
bool xm_pumped = false;
std::thread xm_thread;
std::atomic<bool> xm_stop{false};
// The heard position: order in bits 0..7, row in 8..15, elapsed milliseconds in 32..63.
std::atomic<u64> xm_heard{0};
// A jump asked for by the main thread: bit 62 set, order in bits 32..47, row in 0..15.
std::atomic<u64> xm_position_request{0};
const u64 kXmRequestPending = u64(1) << 62;
std::atomic<u16> xm_levels[kXmMaxChannels];

u64 Xm_Record_Word(const XmChunkRecord& record) {
  return u64(record.order) | u64(record.row) << 8 | u64(record.elapsed_milliseconds) << 32;
}

void Xm_Compute_Sizes(void) {
  xm_chunk_frames = (kXmRate * 20 / 1000 + 3) & ~3u;
  xm_ring_frames = (kXmRingMilliseconds / 20) * xm_chunk_frames * 2;
  xm_chunk_count = xm_ring_frames / xm_chunk_frames;
  xm_ramp_frames = kXmRate * 128 / 44100;
  xm_inverse_rate = 1.0f / f32(kXmRate);
  xm_inverse_ramp = 1.0f / f32(xm_ramp_frames);
}

// Play state, voices and channels as a new playback starts; the module becomes current.
void Xm_Prepare(XmModule* module) {
  Xm_Compute_Sizes();
  memset(xm_voices, 0, sizeof xm_voices);
  for (u32 i = 0; i < kXmVoices; i++) {
    xm_voices[i].number = i32(i);
    xm_voices[i].step = 1;
  }
  module->next_order = -1;
  module->next_row = -1;
  module->global_volume = module->initial_global_volume;
  module->speed = module->default_speed;
  module->row = 0;
  module->order = 0;
  module->tick_samples_left = 0;
  module->tick = 0;
  module->pattern_delay = 0;
  module->elapsed_milliseconds = 0;
  Xm_Set_Bpm(module, module->default_bpm);
  Xm_Reset_Channels(module);
  for (auto& level : xm_levels) level.store(0, std::memory_order_relaxed);
  xm_position_request.store(0);
  xm_heard.store(0);
  xm_mixed_frames = 0;
  xm_write_index = 0;
  xm_play_index = 0;
  xm_current = module;
}

bool Xm_Allocate_Buffers(void) {
  xm_records = static_cast<XmChunkRecord*>(calloc(xm_chunk_count, sizeof(XmChunkRecord)));
  xm_ring = static_cast<i16*>(calloc(size_t(xm_ring_frames) * 2, sizeof(i16)));
  xm_float_block = calloc(size_t(xm_ring_frames) * 2 * sizeof(f32) + 256, 1);
  if (!xm_records || !xm_ring || !xm_float_block) return false;
  uintptr_t aligned = (reinterpret_cast<uintptr_t>(xm_float_block) + 15) & ~uintptr_t(15);
  xm_float = reinterpret_cast<f32*>(aligned);
  return true;
}

void Xm_Free_Buffers(void) {
  free(xm_float_block);
  free(xm_ring);
  free(xm_records);
  xm_float_block = nullptr;
  xm_float = nullptr;
  xm_ring = nullptr;
  xm_records = nullptr;
}

void Xm_Mix_Chunk(void) {
  XmModule* module = xm_current;
  f32* mix = xm_float + size_t(xm_write_index) * xm_chunk_frames * 2;
  memset(mix, 0, size_t(xm_chunk_frames) * 2 * sizeof(f32));
  u32 done = 0;
  while (done < xm_chunk_frames) {
    if (module->tick_samples_left <= 0) {
      module->tick_function(module);
      module->tick_samples_left = module->tick_length > 0 ? module->tick_length : 1;
    }
    u32 k = xm_chunk_frames - done;
    if (u32(module->tick_samples_left) < k) k = u32(module->tick_samples_left);
    Xm_Mix_Voices(mix + size_t(done) * 2, k);
    module->tick_samples_left -= i32(k);
    done += k;
    // Elapsed time from the whole frame count, so that no fraction is lost per call.
    xm_mixed_frames += k;
    module->elapsed_milliseconds = i32(xm_mixed_frames * 1000 / kXmRate);
  }
  XmChunkRecord& record = xm_records[xm_write_index];
  record.order = u8(module->order);
  record.row = u8(module->row);
  record.elapsed_milliseconds = u32(module->elapsed_milliseconds);
  Xm_Float_To_Pcm(xm_ring + size_t(xm_write_index) * xm_chunk_frames * 2, mix, xm_chunk_frames * 2);
  xm_write_index = (xm_write_index + 1) % xm_chunk_count;
}

void Xm_Mixer_Thread(void) {
  sched_param priority{};
  priority.sched_priority = sched_get_priority_max(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);  // refused without privileges
  while (!xm_stop.load(std::memory_order_acquire)) {
    Xm_Mixer_Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Mirrors a ping-pong position back into [loop start, loop end); 32.32 units.
void Xm_Mirror(i64* position, i32* direction, i64 start, i64 end) {
  i64 span = (end - start) * 2;
  for (;;) {
    if (*direction == 1 && *position >= end) {
      *position = end + (*position - end) % span;
      *position = 2 * end - *position - 1;
      *direction = 2;
    } else if (*direction == 2 && *position <= start) {
      *position = start - (start - *position) % span;
      *position = 2 * start - *position;
      *direction = 1;
    } else {
      return;
    }
  }
}

// Linear interpolation between d[i] and d[i + 1] at the 32.32 position.
inline f32 Xm_Interpolate(const i16* d, i64 position) {
  const u32 i = u32(position >> 32);
  const u32 f = u32(position);
  return f32(d[i]) + f32(d[i + 1] - d[i]) * (f32(f >> 1) * kXmFractionScale);
}

// Mixes frames at constant gains into out and returns the position after them; the plain loop, one
// frame a round, is the reference the faster ones must match sample for sample.
i64 Xm_Span_Plain(const i16* d, i64 position, i64 step, u32 frames, f32 left, f32 right, f32* out) {
  for (u32 k = 0; k < frames; k++) {
    const f32 s = Xm_Interpolate(d, position);
    out[2 * k] += s * left;
    out[2 * k + 1] += s * right;
    position += step;
  }
  return position;
}

// The same, two frames a round.
i64 Xm_Span_Pairs(const i16* d, i64 position, i64 step, u32 frames, f32 left, f32 right, f32* out) {
  u32 k = 0;
  for (; k + 2 <= frames; k += 2) {
    const f32 s0 = Xm_Interpolate(d, position);
    const f32 s1 = Xm_Interpolate(d, position + step);
    out[2 * k] += s0 * left;
    out[2 * k + 1] += s0 * right;
    out[2 * k + 2] += s1 * left;
    out[2 * k + 3] += s1 * right;
    position += 2 * step;
  }
  return k < frames ? Xm_Span_Plain(d, position, step, frames - k, left, right, out + 2 * k) : position;
}

#if XM_MIX_AVX2
// Eight frames a round: the eight 32.32 positions are split into indices and fractions, one gather
// reads each d[i] with d[i + 1] as a 32-bit pair, and the same float operations as the plain loop
// run lane by lane (no fused multiply-add, so every value rounds as there). Gains come from a table of
// left, right pairs per frame when one is given, else they are constant.
__attribute__((target("avx2"))) inline i64 Xm_Span_Avx2_Gains(const i16* d, i64 position, i64 step, u32 frames,
                                                              f32 left, f32 right, const f32* table, f32* out) {
  const __m256i step8 = _mm256_set1_epi64x(step * 8);
  __m256i p0 = _mm256_add_epi64(_mm256_set1_epi64x(position), _mm256_setr_epi64x(0, step, step * 2, step * 3));
  __m256i p1 = _mm256_add_epi64(p0, _mm256_set1_epi64x(step * 4));
  const __m256i split = _mm256_setr_epi32(1, 3, 5, 7, 0, 2, 4, 6);
  const __m256 scale = _mm256_set1_ps(kXmFractionScale);
  const __m256 gains = _mm256_setr_ps(left, right, left, right, left, right, left, right);
  const int* words = reinterpret_cast<const int*>(d);
  u32 k = 0;
  for (; k + 8 <= frames; k += 8) {
    const __m256i a = _mm256_permutevar8x32_epi32(p0, split);
    const __m256i b = _mm256_permutevar8x32_epi32(p1, split);
    const __m256i index = _mm256_permute2x128_si256(a, b, 0x20);
    const __m256i fraction = _mm256_srli_epi32(_mm256_permute2x128_si256(a, b, 0x31), 1);
    const __m256i pair = _mm256_i32gather_epi32(words, index, 2);
    const __m256i first = _mm256_srai_epi32(_mm256_slli_epi32(pair, 16), 16);
    const __m256i difference = _mm256_sub_epi32(_mm256_srai_epi32(pair, 16), first);
    const __m256 t = _mm256_mul_ps(_mm256_cvtepi32_ps(fraction), scale);
    const __m256 s = _mm256_add_ps(_mm256_cvtepi32_ps(first), _mm256_mul_ps(_mm256_cvtepi32_ps(difference), t));
    const __m256 low = _mm256_unpacklo_ps(s, s), high = _mm256_unpackhi_ps(s, s);
    f32* o = out + 2 * k;
    const __m256 s03 = _mm256_permute2f128_ps(low, high, 0x20), s47 = _mm256_permute2f128_ps(low, high, 0x31);
    const __m256 g03 = table ? _mm256_loadu_ps(table + 2 * k) : gains;
    const __m256 g47 = table ? _mm256_loadu_ps(table + 2 * k + 8) : gains;
    _mm256_storeu_ps(o, _mm256_add_ps(_mm256_loadu_ps(o), _mm256_mul_ps(s03, g03)));
    _mm256_storeu_ps(o + 8, _mm256_add_ps(_mm256_loadu_ps(o + 8), _mm256_mul_ps(s47, g47)));
    p0 = _mm256_add_epi64(p0, step8);
    p1 = _mm256_add_epi64(p1, step8);
  }
  position += i64(k) * step;
  for (; k < frames; k++) {
    const f32 s = Xm_Interpolate(d, position);
    out[2 * k] += s * (table ? table[2 * k] : left);
    out[2 * k + 1] += s * (table ? table[2 * k + 1] : right);
    position += step;
  }
  return position;
}

__attribute__((target("avx2"))) i64 Xm_Span_Avx2(const i16* d, i64 position, i64 step, u32 frames, f32 left,
                                                 f32 right, f32* out) {
  return Xm_Span_Avx2_Gains(d, position, step, frames, left, right, nullptr, out);
}

// Under a ramp: the gains of up to a block of frames are worked out first, then mixed eight frames a round.
__attribute__((target("avx2"))) i64 Xm_Span_Ramp_Avx2(const i16* d, i64 position, i64 step, u32 frames,
                                                      f32* left, f32* right, f32 left_delta, f32 right_delta,
                                                      f32* out) {
  const u32 kBlock = 128;
  f32 table[2 * kBlock];
  f32 l = *left, r = *right;
  while (frames > 0) {
    const u32 n = frames < kBlock ? frames : kBlock;
    for (u32 k = 0; k < n; k++) {
      table[2 * k] = l;
      table[2 * k + 1] = r;
      l += left_delta;
      r += right_delta;
    }
    position = Xm_Span_Avx2_Gains(d, position, step, n, 0, 0, table, out);
    out += 2 * n;
    frames -= n;
  }
  *left = l;
  *right = r;
  return position;
}
#endif

// A pass under a gain ramp: the gains grow by their deltas after every frame (kept in locals, as the
// output they are added to could otherwise alias them).
i64 Xm_Span_Ramp(const i16* d, i64 position, i64 step, u32 frames, f32* left, f32* right, f32 left_delta,
                 f32 right_delta, f32* out) {
  f32 l = *left, r = *right;
  for (u32 k = 0; k < frames; k++) {
    const f32 s = Xm_Interpolate(d, position);
    out[2 * k] += s * l;
    out[2 * k + 1] += s * r;
    l += left_delta;
    r += right_delta;
    position += step;
  }
  *left = l;
  *right = r;
  return position;
}

typedef i64 (*XmSpanMixer)(const i16* d, i64 position, i64 step, u32 frames, f32 left, f32 right, f32* out);
// The same under a ramp, from the gains *left and *right, which are left where the ramp got to.
typedef i64 (*XmRampMixer)(const i16* d, i64 position, i64 step, u32 frames, f32* left, f32* right,
                           f32 left_delta, f32 right_delta, f32* out);

bool Xm_Has_Avx2(void) {
#if XM_MIX_AVX2
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

const bool xm_has_avx2 = Xm_Has_Avx2();
XmMixPath xm_path = XM_MIX_FASTEST;

void Xm_Mix_Voice(XmVoice* voice, f32* out, u32 frames) {
  const XmSample* sample = voice->sample;
  if (!sample->data || sample->length == 0) {
    voice->sample = nullptr;
    voice->position = voice->fraction = 0;
    return;
  }
  XmSpanMixer span = xm_path == XM_MIX_PLAIN ? Xm_Span_Plain : Xm_Span_Pairs;
  XmRampMixer ramp = Xm_Span_Ramp;
#if XM_MIX_AVX2
  if (xm_path == XM_MIX_FASTEST && xm_has_avx2) {
    span = Xm_Span_Avx2;
    ramp = Xm_Span_Ramp_Avx2;
  }
#endif
  const i16* d = sample->data;
  i64 position = i64(u64(voice->position) << 32 | voice->fraction);
  u64 step = u64(voice->step) << 32 | voice->step_fraction;
  if (step == 0) step = kXmZeroStep;
  const i64 loop_start = i64(sample->loop_start) << 32;
  const i64 loop_end = i64(u64(sample->loop_start) + sample->loop_length) << 32;
  const i64 length = i64(sample->length) << 32;
  const bool looped = sample->loop_type == XM_LOOP_FORWARD || sample->loop_type == XM_LOOP_PINGPONG;
  while (frames > 0) {
    // Frames to the next loop or sample boundary.
    i64 distance;
    if (voice->direction == 2)
      distance = position - loop_start;
    else
      distance = (position < loop_end ? loop_end : length) - position;
    u32 pass = frames;
    bool at_boundary = false;
    u64 to_boundary = distance <= 0 ? 0 : u64(distance) / step + (u64(distance) % step != 0);
    if (to_boundary <= frames) {
      pass = u32(to_boundary);
      at_boundary = true;
    }
    // A gain ramp starts when a target moved; a running one may cut the pass short. A voice settled
    // at its targets would only work out deltas of 0 again (the plain path works them out).
    const bool settled = xm_path != XM_MIX_PLAIN && voice->ramp_frames_left == 0 &&
                         voice->left_target == voice->last_left_target &&
                         voice->right_target == voice->last_right_target &&
                         voice->left_current == voice->left_target * 256 &&
                         voice->right_current == voice->right_target * 256 && voice->left_delta == 0 &&
                         voice->right_delta == 0;
    if (!settled && (voice->ramp_frames_left == 0 || voice->left_target != voice->last_left_target ||
                     voice->right_target != voice->last_right_target)) {
      voice->last_left_target = voice->left_target;
      voice->last_right_target = voice->right_target;
      voice->left_delta = (f32(voice->left_target) - f32(voice->left_current) / 256.0f) / 255.0f * xm_inverse_ramp;
      voice->right_delta =
          (f32(voice->right_target) - f32(voice->right_current) / 256.0f) / 255.0f * xm_inverse_ramp;
      voice->ramp_frames_left = voice->left_delta != 0 || voice->right_delta != 0 ? xm_ramp_frames : 0;
    }
    bool ramping = voice->ramp_frames_left > 0;
    if (ramping && voice->ramp_frames_left < pass) {
      pass = voice->ramp_frames_left;
      at_boundary = false;
    }
    // Mix the pass: under the ramp from the current gains, else at the targets.
    const i64 signed_step = voice->direction == 2 ? -i64(step) : i64(step);
    if (ramping) {
      f32 left_gain = f32(voice->left_current) / 256.0f / 255.0f;
      f32 right_gain = f32(voice->right_current) / 256.0f / 255.0f;
      position = ramp(d, position, signed_step, pass, &left_gain, &right_gain, voice->left_delta,
                              voice->right_delta, out);
      voice->left_current = i32(lrintf(left_gain * 255.0f * 256.0f));
      voice->right_current = i32(lrintf(right_gain * 255.0f * 256.0f));
      voice->ramp_frames_left -= pass;
      if (voice->ramp_frames_left == 0) {
        voice->left_delta = voice->right_delta = 0;
        voice->left_current = voice->left_target * 256;
        voice->right_current = voice->right_target * 256;
        if (voice->released && voice->left_target == 0 && voice->right_target == 0) {
          // A voice that only rang out is silent now and never heard again until reused.
          voice->sample = nullptr;
          return;
        }
      }
    } else if (voice->left_target == 0 && voice->right_target == 0) {
      position += signed_step * i64(pass);
    } else if (pass > 0) {
      position = span(d, position, signed_step, pass, f32(voice->left_target) / 255.0f,
                      f32(voice->right_target) / 255.0f, out);
    }
    out += size_t(pass) * 2;
    frames -= pass;
    // At a boundary: wrap a forward loop, turn at a ping-pong end, or end an unlooped voice.
    if (at_boundary) {
      if (!looped) {
        voice->sample = nullptr;
        voice->position = voice->fraction = 0;
        return;
      }
      if (sample->loop_type == XM_LOOP_FORWARD) {
        if (position >= loop_end) position = loop_start + (position - loop_start) % (loop_end - loop_start);
      } else {
        Xm_Mirror(&position, &voice->direction, loop_start, loop_end);
      }
    }
  }
  voice->position = u32(u64(position) >> 32);
  voice->fraction = u32(position);
}

// Clamped before the conversion, whose result is undefined out of range (+inf would come out as the
// low limit); a NaN goes to the low limit, as in the SSE2 loop.
void Xm_Float_To_Pcm_Plain(i16* destination, const f32* source, u32 values) {
  const f32 low = -32768.0f, high = 32767.0f;
  for (u32 i = 0; i < values; i++) {
    f32 v = source[i];
    if (!(v >= low)) v = low;
    if (v > high) v = high;
    destination[i] = i16(lrintf(v));
  }
}
}  // namespace

XmVoice* Xm_Voice(u32 index) { return &xm_voices[index % kXmVoices]; }

void Xm_Set_Gains(XmVoice* voice) {
  voice->left_target = (255 - voice->panning) * voice->volume / 255;
  voice->right_target = voice->panning * voice->volume / 255;
}

u32 Xm_Chunk_Frames(void) {
  Xm_Compute_Sizes();
  return xm_chunk_frames;
}
u32 Xm_Chunk_Count(void) {
  Xm_Compute_Sizes();
  return xm_chunk_count;
}
u32 Xm_Ramp_Frames(void) {
  Xm_Compute_Sizes();
  return xm_ramp_frames;
}

void Xm_Mix_Voices(f32* destination, u32 frames) {
  if (xm_ramp_frames == 0) Xm_Compute_Sizes();
  for (u32 v = 0; v < kXmMixedVoices; v++)
    if (xm_voices[v].sample) Xm_Mix_Voice(&xm_voices[v], destination, frames);
}

void Xm_Float_To_Pcm(i16* destination, const f32* source, u32 values) {
  u32 i = 0;
#if defined(__SSE2__)
  // Clamped as floats first (a NaN becomes the low limit, as lrintf's out-of-range result clips there),
  // then converted with the rounding mode's ties to even and packed with signed saturation.
  if (xm_path != XM_MIX_PLAIN) {
    const __m128 low = _mm_set1_ps(-32768.0f), high = _mm_set1_ps(32767.0f);
    for (; i + 8 <= values; i += 8) {
      const __m128 a = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i), low), high);
      const __m128 b = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i + 4), low), high);
      const __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), packed);
    }
  }
#endif
  Xm_Float_To_Pcm_Plain(destination + i, source + i, values - i);
}

void Xm_Set_Mix_Path(XmMixPath path) { xm_path = path; }

i32 Xm_Play_Module(XmModule* module) {
  if (!module) return 0;
  Xm_Stop_Module(module);
  if (!Xm_File_Callbacks_Set()) return 0;
  Xm_Prepare(module);
  if (!Xm_Allocate_Buffers()) {
    Xm_Stop_Module(module);
    return 0;
  }
  if (!Plat_Wave_Open(kXmRate, 2, 16)) {
    Xm_Stop_Module(module);
    return 0;
  }
  xm_device_open = true;
  // Two seconds of sound ahead of the device before it starts.
  do Xm_Mix_Chunk();
  while (xm_write_index != 0);
  xm_heard.store(Xm_Record_Word(xm_records[0]), std::memory_order_release);
  Plat_Wave_Start_Loop(reinterpret_cast<const u8*>(xm_ring), xm_ring_frames * 4);
  xm_stop.store(false);
  if (Plat_Audio_Is_Virtual()) {
    Plat_Set_Audio_Pump(Xm_Mixer_Poll);
    xm_pumped = true;
  } else {
    xm_thread = std::thread(Xm_Mixer_Thread);
  }
  return 1;
}

bool Xm_Render_Start(XmModule* module) {
  if (!module) return false;
  Xm_Stop_Module(module);
  Xm_Prepare(module);
  if (!Xm_Allocate_Buffers()) {
    Xm_Stop_Module(module);
    return false;
  }
  return true;
}

XmChunkRecord Xm_Render_Chunk(i16* destination) {
  XmChunkRecord record{};
  if (!xm_current || !xm_ring) return record;
  u32 chunk = xm_write_index;
  Xm_Mix_Chunk();
  memcpy(destination, xm_ring + size_t(chunk) * xm_chunk_frames * 2, size_t(xm_chunk_frames) * 4);
  return xm_records[chunk];
}

void Xm_Mixer_Poll(void) {
  if (!xm_current || !xm_records) return;
  u32 frame = (Plat_Wave_Position_Bytes() / 4) % xm_ring_frames;
  u32 playing = frame / xm_chunk_frames;
  while (xm_write_index != playing) {
    Xm_Mix_Chunk();
    xm_play_index = (xm_play_index + 1) % xm_chunk_count;
    xm_heard.store(Xm_Record_Word(xm_records[xm_play_index]), std::memory_order_release);
  }
}

i32 Xm_Stop_Module(XmModule* module) {
  if (!module) return 0;
  // The thread ends and the device stops reading the ring before the ring is freed.
  xm_stop.store(true, std::memory_order_release);
  if (xm_thread.joinable()) xm_thread.join();
  if (xm_pumped) {
    Plat_Set_Audio_Pump(nullptr);
    xm_pumped = false;
  }
  if (xm_device_open) Plat_Wave_Stop();
  Xm_Free_Buffers();
  xm_current = nullptr;
  if (xm_device_open) Plat_Wave_Close();
  xm_device_open = false;
  xm_write_index = 0;
  xm_play_index = 0;
  xm_heard.store(0);
  xm_position_request.store(0);
  return 1;
}

u8 Xm_Get_Order(const XmModule* module) {
  return module ? u8(xm_heard.load(std::memory_order_acquire)) : 0;
}
u8 Xm_Get_Row(const XmModule* module) {
  return module ? u8(xm_heard.load(std::memory_order_acquire) >> 8) : 0;
}
u32 Xm_Get_Time(const XmModule* module) {
  return module ? u32(xm_heard.load(std::memory_order_acquire) >> 32) : 0;
}

i32 Xm_Get_Channel_Count(const XmModule* module) { return module ? module->channels : 0; }

void Xm_Get_Channel_Level(const XmModule* module, i32 channel, u8* first, u8* second) {
  u16 level = 0;
  if (module && channel >= 0 && channel < i32(kXmMaxChannels))
    level = xm_levels[channel].load(std::memory_order_relaxed);
  *first = u8(level);
  *second = u8(level >> 8);
}

void Xm_Set_Channel_Level(i32 channel, u8 first, u8 second) {
  if (channel >= 0 && channel < i32(kXmMaxChannels))
    xm_levels[channel].store(u16(first | second << 8), std::memory_order_relaxed);
}

void Xm_Set_Position(XmModule* module, i32 order, i32 row) {
  if (!module) return;
  if (xm_current != module) {
    module->order = order;
    module->row = row;
    return;
  }
  u64 o = u64(order < 0 ? 0 : order > 0xFFFF ? 0xFFFF : order);
  u64 r = u64(row < 0 ? 0 : row > 0xFFFF ? 0xFFFF : row);
  xm_position_request.store(kXmRequestPending | o << 32 | r, std::memory_order_release);
}

void Xm_Take_Position_Request(XmModule* module) {
  u64 request = xm_position_request.exchange(0, std::memory_order_acq_rel);
  if (!(request & kXmRequestPending)) return;
  module->order = i32((request >> 32) & 0xFFFF);
  module->row = i32(request & 0xFFFF);
}
