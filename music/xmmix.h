// XM mixer: voices, the ring of PCM chunks played by wave-out, the mixer thread and the heard position.
#pragma once
#include "music/xmload.h"
#include "runtime/types.h"

const u32 kXmRate = 44100;
const u32 kXmVoices = 256;
const u32 kXmMixedVoices = 64;  // channel c plays on voice c or its twin c + 32

struct XmVoice {
  i32 number;
  i32 volume;  // final volume 0..127
  i32 frequency;
  i32 panning;  // 0..255
  i32 volume2;
  i32 panning2;
  u32 start_offset;  // sample position at which the next note starts
  const XmSample* sample;  // null: silent
  i32 left_target, right_target;  // gains 0..127
  u32 position;
  u32 fraction;  // 2^-32 units
  u32 step_fraction, step;
  i32 direction;  // 1 forward, 2 backward
  i32 last_left_target, last_right_target;
  i32 left_current, right_current;  // 8.8: target x 256 when settled
  f32 left_delta, right_delta;      // gain change per frame, in units of full scale
  u32 ramp_frames_left;
  u8 released;  // the channel moved to the twin: the voice only rings out
};

struct XmChunkRecord {
  u8 order;
  u8 row;
  u32 elapsed_milliseconds;
} __attribute__((packed));

// The voice table (mixer thread only).
XmVoice* Xm_Voice(u32 index);
// Gains from the final volume and the panning: left (255 - p) x v / 255, right p x v / 255.
void Xm_Set_Gains(XmVoice* voice);

i32 Xm_Play_Module(XmModule* module);
i32 Xm_Stop_Module(XmModule* module);
u8 Xm_Get_Order(const XmModule* module);
u8 Xm_Get_Row(const XmModule* module);
u32 Xm_Get_Time(const XmModule* module);
i32 Xm_Get_Channel_Count(const XmModule* module);
void Xm_Get_Channel_Level(const XmModule* module, i32 channel, u8* first, u8* second);
void Xm_Set_Channel_Level(i32 channel, u8 first, u8 second);  // row processing
// Asks for a jump; the mixer applies it before its next tick.
void Xm_Set_Position(XmModule* module, i32 order, i32 row);
// Takes a pending jump into the module (mixer thread).
void Xm_Take_Position_Request(XmModule* module);

// One round of the mixer thread: read the play position, mix every chunk the device has left.
void Xm_Mixer_Poll(void);

// Chunk sizes at the output rate.
u32 Xm_Chunk_Frames(void);
u32 Xm_Chunk_Count(void);
u32 Xm_Ramp_Frames(void);

// Offline rendering without a device or thread, for tests, tools and benchmarks: Xm_Render_Start
// prepares the module as Xm_Play_Module does, Xm_Render_Chunk mixes the next chunk into frames x 2
// values; Xm_Stop_Module ends it.
bool Xm_Render_Start(XmModule* module);
XmChunkRecord Xm_Render_Chunk(i16* destination);

// The inner loops, for tests.
void Xm_Mix_Voices(f32* destination, u32 frames);
void Xm_Float_To_Pcm(i16* destination, const f32* source, u32 values);
// Which loops mix and convert; all give the same samples. Plain: one value a round; pairs: two frames
// a round and SSE2 conversion; fastest: eight frames a round where the processor has AVX2.
enum XmMixPath : u8 { XM_MIX_PLAIN, XM_MIX_PAIRS, XM_MIX_FASTEST };
void Xm_Set_Mix_Path(XmMixPath path);
