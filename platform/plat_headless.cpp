// Headless backend: a virtual clock advanced one frame per paint, scripted keys, an emulated
// window frame, a memory back buffer logged by CRC, and a virtual wave-out device.
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/capture.h"
#include "platform/plat_dialog.h"
#include "runtime/mem.h"

namespace {
// 44100 x 85: an audio frame and an animation tick are both whole numbers of units.
const i64 kFrequency = 3748500;
const i64 kUnitsPerAudioFrame = 85;

PlatConfig hl_config;
i64 hl_counter = 0;
i32 hl_outer_w = 0, hl_outer_h = 0;

PlatMemoryBack hl_back;
FILE* hl_crc = nullptr;

const u8* hl_ring = nullptr;
u32 hl_ring_bytes = 0;
bool hl_wave_open = false;
u64 hl_played = 0;  // bytes the virtual device has played
u64 hl_ring_base = 0;  // played count when the ring started
FILE* hl_wav = nullptr;
u32 hl_wav_bytes = 0;  // sound bytes that reached the file
std::vector<u8> hl_wav_chunk;  // what one frame adds, written at once

const u32 kWavHeaderBytes = 44;
const u32 kWavFrameBytes = 4;  // one 16-bit stereo sample pair

const char* Hl_Reason(void) { return errno ? strerror(errno) : "unknown error"; }

// Writes the header for data_bytes of sound at the file's start; false when it did not reach the file.
bool Hl_Wav_Header(FILE* f, u32 data_bytes) {
  u8 h[kWavHeaderBytes];
  auto put32 = [&](int at, u32 v) { for (int i = 0; i < 4; i++) h[at + i] = u8(v >> (8 * i)); };
  auto put16 = [&](int at, u16 v) { h[at] = u8(v); h[at + 1] = u8(v >> 8); };
  memcpy(h, "RIFF", 4);
  put32(4, kWavHeaderBytes - 8 + data_bytes);
  memcpy(h + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 2);
  put32(24, 44100);
  put32(28, 44100 * kWavFrameBytes);
  put16(32, kWavFrameBytes);
  put16(34, 16);
  memcpy(h + 36, "data", 4);
  put32(40, data_bytes);
  clearerr(f);
  errno = 0;
  return fseek(f, 0, SEEK_SET) == 0 && fwrite(h, 1, kWavHeaderBytes, f) == kWavHeaderBytes && fflush(f) == 0;
}

// A failed capture file is reported once and written no more; the show goes on.
void Hl_Output_Failed(FILE** file, const char* what) {
  fprintf(stderr, "Plat: %s\n", what);
  fclose(*file);
  *file = nullptr;
  Plat_Note_Output_Failure();
}

bool Hl_Init(const PlatConfig& config) {
  hl_config = config;
  hl_counter = 0;
  hl_back.pixels.clear();
  // A file that cannot be made is a failed capture: said, and the show plays without it.
  hl_crc = nullptr;
  errno = 0;
  if (config.crc_log[0] && !(hl_crc = fopen(config.crc_log, "wb"))) {
    fprintf(stderr, "Plat: cannot write %s (%s); no frame log is written\n", config.crc_log, Hl_Reason());
    Plat_Note_Output_Failure();
  }
  hl_wav = nullptr;
  hl_wav_bytes = 0;
  errno = 0;
  if (config.wav[0] && !(hl_wav = fopen(config.wav, "wb"))) {
    fprintf(stderr, "Plat: cannot write %s (%s); no sound is written\n", config.wav, Hl_Reason());
    Plat_Note_Output_Failure();
  }
  if (hl_wav) {
    // Unbuffered: every write's count is what reached the file, so the header can say just that.
    setvbuf(hl_wav, nullptr, _IONBF, 0);
    if (!Hl_Wav_Header(hl_wav, 0)) {
      std::string what = std::string("writing ") + config.wav + " failed (" + Hl_Reason() + "); no sound is written";
      Hl_Output_Failed(&hl_wav, what.c_str());
    }
  }
  return true;
}

void Hl_Done(void) {
  if (hl_crc && fclose(hl_crc) != 0) {
    fprintf(stderr, "Plat: writing %s failed (%s); the frame log is incomplete\n", hl_config.crc_log, Hl_Reason());
    Plat_Note_Output_Failure();
  }
  hl_crc = nullptr;
  if (hl_wav) {
    u32 whole = hl_wav_bytes - hl_wav_bytes % kWavFrameBytes;
    if (!Hl_Wav_Header(hl_wav, whole)) {
      std::string what = std::string("the header of ") + hl_config.wav + " could not be written (" + Hl_Reason() + ")";
      Hl_Output_Failed(&hl_wav, what.c_str());
    } else {
      fclose(hl_wav);
    }
  }
  hl_wav = nullptr;
}

i64 Hl_Frequency(void) { return kFrequency; }
i64 Hl_Counter(void) { return hl_counter; }
void Hl_Sleep(u32) {}

bool Hl_Create_Window(const char*, i32 width, i32 height) {
  hl_outer_w = width;
  hl_outer_h = height;
  return true;
}

// The emulated frame takes its border from the outer size, as a real window manager would.
void Hl_Client_Size(i32* width, i32* height) {
  *width = hl_outer_w - hl_config.border_w;
  *height = hl_outer_h - hl_config.border_h;
}

void Hl_Set_Outer_Size(i32 width, i32 height) {
  hl_outer_w = width;
  hl_outer_h = height;
}

void Hl_Show(void) {}

void Hl_Pump(void) {}

void Hl_Wait(void) {}

void Hl_Wave_Advance(void) {
  u64 now = u64(hl_counter / kUnitsPerAudioFrame) * 4;
  if (!hl_wave_open || !hl_ring) {
    hl_played = now;
    return;
  }
  // What the device played since the last frame leaves the ring first (into the WAV file).
  if (hl_wav) {
    hl_wav_chunk.clear();
    for (u64 b = hl_played; b < now; b++) hl_wav_chunk.push_back(hl_ring[(b - hl_ring_base) % hl_ring_bytes]);
    errno = 0;
    size_t written = fwrite(hl_wav_chunk.data(), 1, hl_wav_chunk.size(), hl_wav);
    hl_wav_bytes += u32(written);
    if (written != hl_wav_chunk.size()) {
      u32 whole = hl_wav_bytes - hl_wav_bytes % kWavFrameBytes;
      std::string what = std::string("writing ") + hl_config.wav + " failed (" + Hl_Reason() + "); it keeps " +
                         std::to_string(whole) + " bytes of sound and the sound capture stops";
      if (!Hl_Wav_Header(hl_wav, whole)) what += "; its header could not be written";
      Hl_Output_Failed(&hl_wav, what.c_str());
    }
  }
  hl_played = now;
  if (void (*poll)(void) = Plat_Audio_Pump()) poll();
}

void Hl_Frame_Advance(void) {
  hl_counter += kFrequency / hl_config.fps;
  Hl_Wave_Advance();
}

bool Hl_Minimised(void) { return false; }
bool Hl_Message_Box(const char* text, const char* caption) {
  fprintf(stderr, "%s: %s\n", caption, text);
  return true;
}

bool Hl_Present_Init(u32 width, u32 height, bool, bool) {
  if (width == 0 || height == 0) {
    i32 cw, ch;
    Hl_Client_Size(&cw, &ch);
    width = u32(cw > 0 ? cw : 0);
    height = u32(ch > 0 ? ch : 0);
  }
  hl_back.Resize(width, height);
  return true;
}

void Hl_Present_Clear(u32 argb) { Mem_Fill32(hl_back.pixels.data(), hl_back.pixels.size(), argb); }

bool Hl_Present_Lock(u32** pixels, u32* pitch, u32* width, u32* height) {
  return hl_back.Lock(pixels, pitch, width, height);
}

void Hl_Present_Unlock(void) {}

// One log line per presented frame: frame, virtual ms, the host's status, CRC-32 of the frame.
void Hl_Present_Flip(void) {
  Plat_Capture_Frame(Plat_Presented_Frames(), hl_back.pixels.data(), hl_back.width, hl_back.height);
  if (!hl_crc) return;
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(hl_back.pixels.data()), uInt(hl_back.pixels.size() * 4));
  char status[64];
  Plat_Status_Text(status, sizeof status);
  errno = 0;
  if (fprintf(hl_crc, "%u %lld %s %08lx\n", Plat_Presented_Frames(), (long long)(hl_counter * 1000 / kFrequency),
              status, crc) < 0) {
    std::string what = std::string("writing ") + hl_config.crc_log + " failed at frame " +
                       std::to_string(Plat_Presented_Frames()) + " (" + Hl_Reason() + "); the frame log stops";
    Hl_Output_Failed(&hl_crc, what.c_str());
  }
}

void Hl_Present_Release(void) {
  Plat_Capture_Stop();
  hl_back.pixels.clear();
}

bool Hl_Wave_Open(u32 rate, u32 channels, u32 bits) {
  if ((hl_config.fail & PLAT_FAIL_AUDIO) || rate != 44100 || channels != 2 || bits != 16) return false;
  hl_wave_open = true;
  return true;
}

void Hl_Wave_Start(const u8* ring, u32 bytes) {
  hl_ring = ring;
  hl_ring_bytes = bytes;
  hl_played = hl_ring_base = u64(hl_counter / kUnitsPerAudioFrame) * 4;
}

u32 Hl_Wave_Position(void) { return hl_ring ? u32(hl_played - hl_ring_base) : 0; }

void Hl_Wave_Stop(void) {
  hl_ring = nullptr;
  hl_ring_bytes = 0;
}

void Hl_Wave_Close(void) { hl_wave_open = false; }
void Hl_Show_Cursor(bool) {}

// With no script nobody is there to choose: the default answers are taken.
bool Hl_Dialog_Loop(void) { return Plat_Dialog_Script("run"); }

const PlatBackend hl_backend = {
    .init = Hl_Init,
    .done = Hl_Done,
    .frequency = Hl_Frequency,
    .counter = Hl_Counter,
    .sleep = Hl_Sleep,
    .create_window = Hl_Create_Window,
    .client_size = Hl_Client_Size,
    .set_outer_size = Hl_Set_Outer_Size,
    .show = Hl_Show,
    .pump = Hl_Pump,
    .wait = Hl_Wait,
    .frame_advance = Hl_Frame_Advance,
    .minimised = Hl_Minimised,
    .message_box = Hl_Message_Box,
    .present_init = Hl_Present_Init,
    .present_clear = Hl_Present_Clear,
    .present_lock = Hl_Present_Lock,
    .present_unlock = Hl_Present_Unlock,
    .present_flip = Hl_Present_Flip,
    .present_release = Hl_Present_Release,
    .wave_open = Hl_Wave_Open,
    .wave_start = Hl_Wave_Start,
    .wave_position = Hl_Wave_Position,
    .wave_stop = Hl_Wave_Stop,
    .wave_close = Hl_Wave_Close,
    .show_cursor = Hl_Show_Cursor,
    .dialog_loop = Hl_Dialog_Loop,
};
}  // namespace

const PlatBackend* Plat_Headless_Backend(void) { return &hl_backend; }
