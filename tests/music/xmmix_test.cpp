// The mixer: chunk sizes, interpolation, loops, gain ramps, PCM rounding, and the heard position.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "music/music.h"
#include "music/xmfx.h"
#include "music/xmmix.h"
#include "platform/plat.h"
#include "writer.h"
#include "xm_memory.h"

namespace {
XmSample Ramp_Sample(std::vector<i16>* data, u32 length, u32 loop_start, u32 loop_length, u8 type) {
  data->assign(length + 8, 0);
  for (u32 i = 0; i < length; i++) (*data)[i] = i16(i * 100);
  XmSample s{data->data(), length, loop_start, loop_length, 0, 0, 0, 0, type, 0};
  u32 end = loop_start + loop_length;
  if (type == XM_LOOP_PINGPONG) (*data)[end] = (*data)[end - 1];
  if (type == XM_LOOP_FORWARD) (*data)[end] = (*data)[loop_start];
  return s;
}

// A voice on the sample at full left gain with no ramp, stepping step / 2^32 per frame.
std::vector<f32> Mix_Left(const XmSample* sample, u64 step, u32 frames) {
  for (u32 i = 0; i < kXmVoices; i++) *Xm_Voice(i) = XmVoice{};
  XmVoice* v = Xm_Voice(0);
  v->sample = sample;
  v->direction = 1;
  v->step = u32(step >> 32);
  v->step_fraction = u32(step);
  v->left_target = v->last_left_target = 255;
  v->left_current = 255 * 256;
  std::vector<f32> mix(frames * 2, 0.0f);
  Xm_Mix_Voices(mix.data(), frames);
  std::vector<f32> left;
  for (u32 i = 0; i < frames; i++) left.push_back(mix[2 * i]);
  return left;
}
}  // namespace

TEST(XmMixer, InterpolatesForwardLoopWrapsPingPongTurnsAndAnUnloopedVoiceEnds) {
  std::vector<i16> data;
  XmSample s = Ramp_Sample(&data, 16, 0, 16, XM_LOOP_NONE);  // half a sample a frame: linear in between
  EXPECT_EQ(Mix_Left(&s, u64(1) << 31, 6), (std::vector<f32>{0, 50, 100, 150, 200, 250}));
  XmSample forward = Ramp_Sample(&data, 8, 2, 4, XM_LOOP_FORWARD);
  std::vector<f32> want = {0, 100, 200, 300, 400, 500, 200, 300, 400, 500, 200};
  EXPECT_EQ(Mix_Left(&forward, u64(1) << 32, 11), want);

  XmSample pingpong = Ramp_Sample(&data, 8, 2, 4, XM_LOOP_PINGPONG);
  std::vector<f32> out = Mix_Left(&pingpong, u64(1) << 32, 18);
  want = {0, 100, 200, 300, 400, 500, 500, 500, 400, 300, 200, 300, 400, 500, 500, 500, 400, 300};
  ASSERT_EQ(out.size(), want.size());
  for (u32 i = 0; i < want.size(); i++) EXPECT_NEAR(out[i], want[i], 0.5) << i;
  // Over a long run with an odd step the position never leaves the sample.
  out = Mix_Left(&pingpong, 0x1C71C71C7ull, 5000);
  for (f32 v : out) ASSERT_TRUE(v >= 0 && v <= 700);

  XmSample once = Ramp_Sample(&data, 4, 0, 4, XM_LOOP_NONE);
  want = {0, 100, 200, 300, 0, 0};
  EXPECT_EQ(Mix_Left(&once, u64(1) << 32, 6), want);
  EXPECT_EQ(Xm_Voice(0)->sample, nullptr);
}

TEST(XmMixer, TheFramesToALoopEndAreCountedInFull32BitFractions) {
  // A step of 0x55555556 / 2^32 reaches 1.0 in 3 frames; cut to 24 fraction bits it would seem to
  // need 4, and the fourth frame would be mixed at the boundary, past the loop's last sample.
  std::vector<i16> data;
  XmSample once = Ramp_Sample(&data, 1, 0, 1, XM_LOOP_NONE);
  Mix_Left(&once, 0x55555556, 3);
  EXPECT_EQ(Xm_Voice(0)->sample, nullptr);  // ended at the sample's end
  XmSample forward = Ramp_Sample(&data, 1, 0, 1, XM_LOOP_FORWARD);
  Mix_Left(&forward, 0x55555556, 3);
  EXPECT_EQ(Xm_Voice(0)->position, 0u);  // wrapped: 3 x 0x55555556 - 2^32 = 2
  EXPECT_EQ(Xm_Voice(0)->fraction, 2u);
}

TEST(XmMixer, PanningLawSplitsTheFinalVolume) {
  for (auto [panning, left, right] : {std::tuple{0, 127, 0}, {128, 63, 63}, {255, 0, 127}}) {
    XmVoice v{};
    v.volume = 127;
    v.panning = panning;
    Xm_Set_Gains(&v);
    EXPECT_EQ(std::make_pair(v.left_target, v.right_target), std::make_pair(left, right)) << panning;
  }
}

TEST(XmMixer, RoundsHalvesToEvenAndClipsOnEveryPath) {
  const f32 in[11] = {0.5f, 1.5f, -0.5f, -2.5f, 40000.0f, -40000.0f, 32767.5f, -32768.5f, NAN, -INFINITY, INFINITY};
  const i16 want[11] = {0, 2, 0, -2, 32767, -32768, 32767, -32768, -32768, -32768, 32767};
  for (XmMixPath path : {XM_MIX_PLAIN, XM_MIX_PAIRS, XM_MIX_FASTEST}) {
    Xm_Set_Mix_Path(path);
    f32 block[30];  // eight values converted a round (+inf in either half of one), the rest one by one
    for (u32 i = 0; i < 30; i++) block[i] = in[i % 11];
    i16 out[30];
    Xm_Float_To_Pcm(out, block, 30);
    for (u32 i = 0; i < 30; i++) EXPECT_EQ(out[i], want[i % 11]) << path << " " << i;
  }
  Xm_Set_Mix_Path(XM_MIX_FASTEST);
}

// Every module of the sets, its first 20 s rendered by the plain loops and by the faster ones.
TEST(XmMixer, EveryPathRendersTheModuleSetsSampleForSample) {
  const u32 kChunks = 1000;
  u32 rendered = 0;
  for (const char* set : {"xm", "xm_fuzz"}) {
    for (const std::string& name : Corpus_Names(set)) {
      const std::vector<u8> bytes = Corpus(name, set);
      ASSERT_FALSE(bytes.empty()) << set << "/" << name;
      XmModule* m = Load_Bytes(bytes);
      if (!m) continue;
      std::vector<i16> pcm[3];
      for (XmMixPath path : {XM_MIX_PLAIN, XM_MIX_PAIRS, XM_MIX_FASTEST}) {
        Xm_Set_Mix_Path(path);
        ASSERT_TRUE(Xm_Render_Start(m));
        pcm[path].resize(size_t(kChunks) * 884 * 2);
        for (u32 c = 0; c < kChunks; c++) Xm_Render_Chunk(&pcm[path][size_t(c) * 884 * 2]);
        Xm_Stop_Module(m);
      }
      EXPECT_TRUE(pcm[0] == pcm[1] && pcm[0] == pcm[2]) << set << "/" << name;
      Xm_Free_Module(m);
      rendered++;
    }
  }
  EXPECT_GT(rendered, 60u);
}

TEST(XmMixer, OneNoteAtKnownVolumeAndPanRisesOverTheRampToItsLevel) {
  XmSong song = One_Sample_Song(Dc_Sample(16384));
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0, 0};  // C-4, volume 64, centre
  XmModule* m = Load_Song(song);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ((std::vector<u32>{Xm_Chunk_Frames(), Xm_Chunk_Count(), Xm_Ramp_Frames()}), (std::vector<u32>{884, 100, 128}));
  static u32 ticks;
  ticks = 0;
  ASSERT_TRUE(Xm_Render_Start(m));
  m->tick_function = [](XmModule* module) {
    ticks++;
    Xm_Tick(module);
  };
  std::vector<i16> pcm(884 * 2);
  XmChunkRecord r = Xm_Render_Chunk(pcm.data());
  EXPECT_EQ(ticks, 2u);  // at frames 0 and 882
  // The packed record's fields are copied before they are compared.
  EXPECT_EQ((std::vector<u32>{r.order, r.row, r.elapsed_milliseconds}), (std::vector<u32>{0, 0, 20}));
  EXPECT_EQ(std::make_pair(pcm[0], pcm[1]), std::make_pair(i16(0), i16(0)));
  for (u32 i = 1; i < 128; i++) EXPECT_GE(pcm[2 * i], pcm[2 * i - 2]) << i;
  EXPECT_NEAR(pcm[2 * 64], 2024, 40);
  for (u32 i = 128; i < 884; i++) {
    ASSERT_EQ(pcm[2 * i], 4048) << i;  // 16384 x 63 / 255
    ASSERT_EQ(pcm[2 * i + 1], 4048) << i;
  }
  for (u32 n = 2; n <= 12; n++) {
    Xm_Render_Chunk(pcm.data());
    EXPECT_EQ(ticks, (884 * n - 1) / 882 + 1);
  }
  Xm_Free_Module(m);
}

// Each note moves its channel to the other voice of its pair (c, c + 32), both mixed, so the third and later
// notes sound as the first two. Speed 2: a row of 1764 frames; after each note's rise, 16384 x 63 / 255.
TEST(XmMixer, EveryNoteOfAChannelPlaysOnAMixedVoice) {
  XmSong song = One_Sample_Song(Dc_Sample(16384));
  song.speed = 2;
  for (u32 row = 0; row < 6; row++) XmWriter_Cell(&song, 0, row, 1) = {49, 1, 0, 0, 0};
  XmModule* m = Load_Song(song);
  ASSERT_TRUE(m && Xm_Render_Start(m));
  std::vector<i16> pcm(884 * 2 * 12);
  for (u32 c = 0; c < 12; c++) Xm_Render_Chunk(&pcm[c * 884 * 2]);
  for (u32 row = 0; row < 6; row++) EXPECT_EQ(pcm[(row * 1764 + 1000) * 2], 4048) << row;
  EXPECT_EQ(Xm_Channel(1)->voice->number, 33);
  Xm_Free_Module(m);
}

// On either side: a ramp to 255 half run, then the target back to 0 ramps down from the half reached.
TEST(XmMixer, AGainChangeInTheMiddleOfARampStartsANewRampFromTheGainReached) {
  std::vector<i16> data(64 + 8, 10000);
  XmSample s{data.data(), 64, 0, 64, 64, 0, 128, 16, XM_LOOP_FORWARD, 0};
  for (u32 side = 0; side < 2; side++) {
    for (u32 i = 0; i < kXmVoices; i++) *Xm_Voice(i) = XmVoice{};
    XmVoice* v = Xm_Voice(0);
    v->sample = &s;
    v->direction = 1;
    v->step = 1;
    i32& target = side ? v->right_target : v->left_target;
    target = 255;
    std::vector<f32> a(128, 0.0f), b(512, 0.0f);
    Xm_Mix_Voices(a.data(), 64);
    EXPECT_NEAR(a[2 * 63 + side], 10000 * 63 / 128.0, 1) << side;
    target = 0;
    Xm_Mix_Voices(b.data(), 256);
    EXPECT_NEAR(b[side], 10000 * 64 / 128.0, 1) << side;
    EXPECT_NEAR(b[2 * 64 + side], 10000 * 32 / 128.0, 2) << side;
    EXPECT_EQ(b[2 * 128 + side], 0.0f) << side;
    EXPECT_TRUE(v->ramp_frames_left == 0 && v->sample) << "only turned down, not released: the voice plays on";
  }
}

namespace {
std::vector<MusicPosition> heard;
std::vector<u32> heard_time;
intptr_t Music_Window(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  if (message == WM_PAINT) {
    Music_Get_Position();
    heard.push_back(music_position);
  }
  if (message == WM_DESTROY) Plat_Post_Quit(0);
  return Plat_Def_Window_Proc(window, message, wparam, lparam);
}
}  // namespace

TEST(MusicGlue, QueriesBeforePlayAreZeroAndTheTickSlotRaisesItsFlag) {
  Music_Init();
  Music_Set_Callback(nullptr);  // stays the empty callback
  Music_Get_Position();
  EXPECT_EQ(std::make_pair(music_position.order, music_position.row), std::make_pair(0u, 0u));
  Music_Call_Callback();
  EXPECT_EQ(Music_In_Callback(), 0);
  static u8 seen_flag;
  seen_flag = 0;
  Music_Set_Callback([] { seen_flag = Music_In_Callback(); });
  Music_Call_Callback();
  EXPECT_EQ(seen_flag, 1);
  EXPECT_EQ(Music_In_Callback(), 0);
  Music_Clear_Callback();
  Music_Play_Module();  // without a module, as in a data-file run: the flag is set all the same
  EXPECT_EQ(Music_Is_Playing(), 1);
  Music_Set_Stopped();
  EXPECT_EQ(Music_Is_Playing(), 0);
  EXPECT_EQ(Music_Load_Sample("term/lights2.snd", 8, 0), -1);
  Music_Set_Beat(0);
  EXPECT_EQ(Music_Get_Beat(), 8) << "0 rows a beat would divide by zero";
  Music_Set_Beat(1);
  EXPECT_EQ(Music_Get_Beat(), 1);
  Music_Get_Channel_Levels();
  EXPECT_EQ(music_channel_levels.channels, 0);
  Music_Free();  // nothing loaded: nothing to do
}

TEST(MusicGlue, HeardPositionFollowsTheHeadlessDeviceChunkByChunk) {
  XmSong song = One_Sample_Song(Dc_Sample(8000), 16);
  XmWriter_Add_Pattern(&song, 64);
  song.orders = {0, 1, 0, 1};
  XmWriter_Cell(&song, 1, 0, 13) = {49, 1, 0x40, 0, 0};
  for (u32 row = 0; row < 64; row++) XmWriter_Cell(&song, 1, row, 15) = {50, 1, 0x30, 0, 0};  // heard last
  ASSERT_TRUE(XmWriter_Save("heard.xm", song));
  PlatConfig config;
  config.backend = PLAT_HEADLESS, config.fps = 50, config.max_frames = 600;  // 12 s: the song is 30.72 s long
  PlatClass cls = {Music_Window, "music", 0};
  ASSERT_TRUE(Plat_Init(config) && Plat_Register_Class(&cls));
  Music_Load("heard.xm");
  Music_Play_Module();
  EXPECT_EQ(Music_Is_Playing(), 1);
  ASSERT_NE(Plat_Create_Window("music", "music", 320 + 16, 200 + 39), 0u);
  heard.clear();
  PlatMsg msg;
  while (Plat_Get_Message(&msg)) Plat_Dispatch_Message(&msg);
  ASSERT_GE(heard.size(), 600u);
  for (u32 k = 0; k < 600; k++) {
    // After paint k + 1 the device has played 882 (k + 1) frames; the chunk under way was mixed
    // a ring earlier and holds the row of its last frame.
    u64 device = u64(k + 1) * 882;
    u64 song_frame = device / 884 * 884 + 883;
    u64 row = song_frame / (6 * 882);
    ASSERT_EQ(heard[k].order, u32(row / 64)) << k;
    ASSERT_EQ(heard[k].row, u32(row % 64)) << k;
  }
  Music_Get_Channel_Levels();  // the row last mixed, about 2 s ahead, is in order 1: the last channel's note
  const u8* level = music_channel_levels.levels[15];
  EXPECT_EQ(std::make_tuple(music_channel_levels.channels, level[0], level[1]), std::make_tuple(16, 50, 0x30));
  Music_Free();
  EXPECT_EQ(Music_Is_Playing(), 1) << "only Music_Set_Stopped clears the playing flag";
  EXPECT_EQ(Plat_Wave_Position_Bytes(), 0u);  // the device was stopped before the ring was freed
  Music_Get_Position();
  EXPECT_EQ(music_position.order, 0u);
  Music_Free();
  Plat_Done();
}

TEST(MusicGlue, TheSdlDeviceRunsTheMixerThreadAndStopsCleanly) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  XmSong song = One_Sample_Song(Dc_Sample(8000), 4);
  XmWriter_Cell(&song, 0, 0, 0) = {49, 1, 0, 0, 0};
  ASSERT_TRUE(XmWriter_Save("thread.xm", song));
  PlatConfig config;
  config.backend = PLAT_SDL;
  ASSERT_TRUE(Plat_Init(config));
  Music_Load("thread.xm");
  Music_Play_Module();
  u32 start = Plat_Wave_Position_Bytes();
  for (int i = 0; i < 100 && Plat_Wave_Position_Bytes() - start < 40000; i++) Plat_Sleep(10);
  EXPECT_GT(Plat_Wave_Position_Bytes() - start, 0u);
  Music_Free();
  Plat_Done();
}
