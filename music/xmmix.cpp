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

namespace {
const u32 kXmRingMilliseconds = 1000;
const u64 kXmZeroStep = 0x17C6F8C;  // stands in for a step of 0 in the boundary arithmetic

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

void Xm_Mix_Voice(XmVoice* voice, f32* out, u32 frames) {
  const XmSample* sample = voice->sample;
  if (!sample->data || sample->length == 0) {
    voice->sample = nullptr;
    voice->position = voice->fraction = 0;
    return;
  }
  const i16* d = sample->data;
  i64 position = i64(u64(voice->position) << 32 | voice->fraction);
  u64 step = u64(voice->step) << 32 | voice->step_fraction;
  if (step == 0) step = kXmZeroStep;
  const i64 loop_start = i64(sample->loop_start) << 32;
  const i64 loop_end = i64(u64(sample->loop_start) + sample->loop_length) << 32;
  const i64 length = i64(sample->length) << 32;
  const bool looped = sample->loop_type == XM_LOOP_FORWARD || sample->loop_type == XM_LOOP_PINGPONG;
  const f32 scale = 1.0f / 2147483648.0f;
  while (frames > 0) {
    // 1. Frames to the next loop or sample boundary.
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
    // 2. A gain ramp starts when a target moved.
    if (voice->ramp_frames_left == 0 || voice->left_target != voice->last_left_target ||
        voice->right_target != voice->last_right_target) {
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
    // 3. Mix the pass.
    const i64 signed_step = voice->direction == 2 ? -i64(step) : i64(step);
    if (ramping) {
      f32 left_gain = f32(voice->left_current) / 256.0f / 255.0f;
      f32 right_gain = f32(voice->right_current) / 256.0f / 255.0f;
      for (u32 k = 0; k < pass; k++) {
        u32 i = u32(position >> 32);
        u32 f = u32(position);
        f32 s = f32(d[i]) + f32(d[i + 1] - d[i]) * (f32(f >> 1) * scale);
        out[2 * k] += s * left_gain;
        out[2 * k + 1] += s * right_gain;
        left_gain += voice->left_delta;
        right_gain += voice->right_delta;
        position += signed_step;
      }
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
    } else {
      f32 left_gain = f32(voice->left_target) / 255.0f;
      f32 right_gain = f32(voice->right_target) / 255.0f;
      for (u32 k = 0; k < pass; k++) {
        u32 i = u32(position >> 32);
        u32 f = u32(position);
        f32 s = f32(d[i]) + f32(d[i + 1] - d[i]) * (f32(f >> 1) * scale);
        out[2 * k] += s * left_gain;
        out[2 * k + 1] += s * right_gain;
        position += signed_step;
      }
    }
    out += size_t(pass) * 2;
    frames -= pass;
    // 5. At a boundary: loop, turn, or end the voice.
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
  for (u32 i = 0; i < values; i++) {
    long v = lrintf(source[i]);
    destination[i] = i16(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
  }
}

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
