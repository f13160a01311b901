// XM loader: reads an XM 1.04 file through the file callbacks into an XmModule, refusing bad input.
#include "music/xmload.h"

#include <cstdlib>
#include <cstring>

#include "music/xmfx.h"
#include "music/xmmix.h"

XmSample xm_empty_sample;
XmInstrument xm_empty_instrument;

namespace {
XmOpenCallback xm_open = nullptr;
XmCloseCallback xm_close = nullptr;
XmReadCallback xm_read = nullptr;
XmSeekCallback xm_seek = nullptr;
XmTellCallback xm_tell = nullptr;
const char* xm_load_error = "";

const char kXmId[] = "Extended Module: ";
const u32 kXmIdBytes = 17;
const u32 kXmHeaderOffset = 60;
const u32 kXmInstrumentMinimum = 29;   // size, name, type, sample count
const u32 kXmInstrumentStandard = 263;  // with the sample header size, keymap and envelopes
const u32 kXmSampleHeaderBytes = 40;
const u32 kXmReadPiece = 1u << 20;

bool Xm_Fail(const char* why) {
  xm_load_error = why;
  return false;
}

u16 Xm_U16(const u8* p) { return u16(p[0] | p[1] << 8); }
u32 Xm_U32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

u8 Xm_Read_U8(XmFile* file) {
  u8 v;
  Xm_File_Read(&v, 1, file);
  return v;
}
u16 Xm_Read_U16(XmFile* file) {
  u8 b[2];
  Xm_File_Read(b, 2, file);
  return Xm_U16(b);
}
u32 Xm_Read_U32(XmFile* file) {
  u8 b[4];
  Xm_File_Read(b, 4, file);
  return Xm_U32(b);
}

// Reads up to bytes bytes into a zeroed buffer grown piece by piece, so that a huge stated size
// in a short file costs no more memory than the file holds; the buffer has 16 spare zero bytes.
u8* Xm_Read_Bounded(XmFile* file, u64 bytes, u64* delivered) {
  u64 capacity = bytes < kXmReadPiece ? bytes : kXmReadPiece;
  u8* buffer = static_cast<u8*>(calloc(size_t(capacity + 16), 1));
  u64 have = 0;
  while (buffer && have < bytes) {
    if (have == capacity) {
      u64 grown = capacity * 2 < bytes ? capacity * 2 : bytes;
      u8* bigger = static_cast<u8*>(realloc(buffer, size_t(grown + 16)));
      if (!bigger) {
        free(buffer);
        return nullptr;
      }
      buffer = bigger;
      memset(buffer + capacity, 0, size_t(grown - capacity + 16));
      capacity = grown;
    }
    u64 want = capacity - have;
    if (want > kXmReadPiece) want = kXmReadPiece;
    u32 got = Xm_File_Read(buffer + have, u32(want), file);
    have += got;
    if (got < want) break;
  }
  *delivered = have;
  return buffer;
}

// Loops that leave the sample are cut back into it; a loop that starts beyond it is dropped.
void Xm_Clamp_Loop(XmSample* sample) {
  if (sample->loop_type == XM_LOOP_NONE || sample->loop_start >= sample->length ||
      sample->loop_length == 0) {
    sample->loop_type = XM_LOOP_NONE;
    sample->loop_start = 0;
    sample->loop_length = sample->length;
    return;
  }
  if (u64(sample->loop_start) + sample->loop_length > sample->length)
    sample->loop_length = sample->length - sample->loop_start;
}

bool Xm_Parse_Patterns(XmModule* module, XmFile* file, u32 pattern_count) {
  u32 channels = u32(module->channels);
  for (u32 p = 0; p < pattern_count; p++) {
    Xm_Read_U32(file);  // header length: the data follows the 9-byte header
    Xm_Read_U8(file);   // packing type
    u32 rows = Xm_Read_U16(file);
    u32 packed = Xm_Read_U16(file);
    if (rows > kXmMaxRows) return Xm_Fail("pattern with more than 256 rows");
    u8* data = nullptr;
    u64 delivered = 0;
    if (packed) data = Xm_Read_Bounded(file, packed, &delivered);
    if (packed && !data) return Xm_Fail("out of memory");
    // A pattern without rows would leave nothing to play: it becomes 64 empty rows.
    XmPattern* pattern = &module->patterns[p];
    pattern->rows = rows ? rows : 64;
    pattern->cells = static_cast<XmCell*>(calloc(size_t(pattern->rows) * channels, sizeof(XmCell)));
    if (!pattern->cells) {
      free(data);
      return Xm_Fail("out of memory");
    }
    if (rows && packed) {
      // Decoding stops at the end of the packed data; the remaining cells stay empty.
      u64 at = 0;
      auto next = [&]() -> u8 { return at < delivered ? data[at++] : (at++, 0); };
      for (u32 c = 0; c < rows * channels && at < delivered; c++) {
        XmCell* cell = &pattern->cells[c];
        u8 b = next();
        if (b & 0x80) {
          if (b & 0x01) cell->note = next();
          if (b & 0x02) cell->instrument = next();
          if (b & 0x04) cell->volume = next();
          if (b & 0x08) cell->effect = next();
          if (b & 0x10) cell->parameter = next();
        } else {
          cell->note = b;
          cell->instrument = next();
          cell->volume = next();
          cell->effect = next();
          cell->parameter = next();
        }
        if (cell->note == 97)
          cell->note = kXmKeyOff;
        else if (cell->note > 97)
          cell->note = 0;
        if (cell->instrument > 128) cell->instrument = 0;
      }
    }
    free(data);
  }
  for (i32 p = i32(pattern_count); p < module->pattern_table_size; p++) {
    module->patterns[p].rows = 64;
    module->patterns[p].cells = static_cast<XmCell*>(calloc(size_t(64) * channels, sizeof(XmCell)));
    if (!module->patterns[p].cells) return Xm_Fail("out of memory");
  }
  return true;
}

void Xm_Clamp_Envelope(XmEnvelopePoint* points, u8* count, u8* type, u8 sustain, u8 loop_start,
                       u8 loop_end) {
  if (*count > kXmEnvelopePoints) *count = kXmEnvelopePoints;
  for (u32 i = 0; i < kXmEnvelopePoints; i++)
    if (points[i].y > 64) points[i].y = 64;
  if (*count < 2) *type = 0;
  if (sustain >= *count) *type &= u8(~XM_ENV_SUSTAIN);
  if (loop_start >= *count || loop_end >= *count || loop_start > loop_end) *type &= u8(~XM_ENV_LOOP);
}

bool Xm_Parse_Instrument(XmModule* module, XmFile* file, u32 index) {
  XmInstrument* instrument = &module->instruments[index];
  for (u32 s = 0; s < kXmMaxSamples; s++) instrument->samples[s] = &xm_empty_sample;
  i32 start = Xm_File_Tell(file);
  u32 header_size = Xm_Read_U32(file);
  Xm_File_Seek(file, 23, 1);
  u32 sample_count = Xm_Read_U16(file);
  if (sample_count > kXmMaxSamples) return Xm_Fail("instrument with more than 16 samples");
  if (header_size < kXmInstrumentMinimum)
    header_size = sample_count ? kXmInstrumentStandard : kXmInstrumentMinimum;
  // A size that would seek out of any file is taken as the standard one.
  if (header_size > 0x7FFFFFFF - u32(start)) header_size = kXmInstrumentStandard;
  // An instrument that starts at the very end of the positions a file can have cannot be read.
  if (i64(start) + header_size > 0x7FFFFFFF) return Xm_Fail("instrument header past the end of the file");
  if (sample_count == 0) {
    Xm_File_Seek(file, start + i32(header_size), 0);
    return true;
  }
  u8 head[4 + 96 + 48 + 48 + 16];
  Xm_File_Read(head, sizeof head, file);
  memcpy(instrument->keymap, head + 4, 96);
  for (u32 i = 0; i < kXmEnvelopePoints; i++) {
    instrument->volume_envelope[i] = {Xm_U16(head + 100 + 4 * i), Xm_U16(head + 102 + 4 * i)};
    instrument->panning_envelope[i] = {Xm_U16(head + 148 + 4 * i), Xm_U16(head + 150 + 4 * i)};
  }
  const u8* e = head + 196;
  instrument->volume_points = e[0];
  instrument->panning_points = e[1];
  instrument->volume_sustain = e[2];
  instrument->volume_loop_start = e[3];
  instrument->volume_loop_end = e[4];
  instrument->panning_sustain = e[5];
  instrument->panning_loop_start = e[6];
  instrument->panning_loop_end = e[7];
  instrument->volume_type = e[8];
  instrument->panning_type = e[9];
  instrument->vibrato_type = e[10];
  instrument->vibrato_sweep = e[11];
  instrument->vibrato_depth = e[12];
  instrument->vibrato_rate = e[13];
  instrument->fadeout = u16(Xm_U16(e + 14) * 2);
  Xm_Clamp_Envelope(instrument->volume_envelope, &instrument->volume_points, &instrument->volume_type,
                    instrument->volume_sustain, instrument->volume_loop_start, instrument->volume_loop_end);
  Xm_Clamp_Envelope(instrument->panning_envelope, &instrument->panning_points,
                    &instrument->panning_type, instrument->panning_sustain,
                    instrument->panning_loop_start, instrument->panning_loop_end);
  Xm_File_Seek(file, start + i32(header_size), 0);

  u32 data_bytes[kXmMaxSamples];
  for (u32 s = 0; s < sample_count; s++) {
    XmSample* sample = static_cast<XmSample*>(calloc(1, sizeof(XmSample)));
    if (!sample) return Xm_Fail("out of memory");
    instrument->samples[s] = sample;
    instrument->sample_count = s + 1;
    u8 h[kXmSampleHeaderBytes];
    Xm_File_Read(h, sizeof h, file);
    if (h[17] == 0xAD) return Xm_Fail("ADPCM samples are not supported");
    u32 bytes = Xm_U32(h);
    sample->length = bytes;
    sample->loop_start = Xm_U32(h + 4);
    sample->loop_length = Xm_U32(h + 8);
    sample->volume = h[12] > 64 ? 64 : h[12];
    sample->finetune = i8(h[13]);
    sample->loop_type = XM_LOOP_NONE;
    sample->bits = 8;
    u8 type = h[14];
    if (type & 1) sample->loop_type = XM_LOOP_FORWARD;
    if (type & 2) sample->loop_type = XM_LOOP_PINGPONG;
    if (type & 0x10) sample->bits = 16;
    if (sample->bits == 16) {
      // An odd byte count keeps its last byte in the file; the length counts whole samples.
      sample->length /= 2;
      sample->loop_start /= 2;
      sample->loop_length /= 2;
    }
    Xm_Clamp_Loop(sample);
    sample->panning = h[15];
    sample->relative_note = i8(h[16]);
    data_bytes[s] = bytes;
  }
  for (u32 s = 0; s < sample_count; s++) {
    XmSample* sample = instrument->samples[s];
    if (data_bytes[s] == 0) continue;
    u64 delivered = 0;
    u8* raw;
    if (module->sample_reader) {
      if (data_bytes[s] > (1u << 28)) return Xm_Fail("sample too large");
      raw = static_cast<u8*>(calloc(size_t(data_bytes[s]) + 16, 1));
      if (!raw) return Xm_Fail("out of memory");
      module->sample_reader(raw, data_bytes[s], sample->bits, index, s);
      Xm_File_Seek(file, i32(data_bytes[s]), 1);
      delivered = data_bytes[s];
    } else {
      raw = Xm_Read_Bounded(file, data_bytes[s], &delivered);
      if (!raw) return Xm_Fail("out of memory");
    }
    // A sample cut short by the end of the file keeps what was there.
    u32 length = u32(sample->bits == 16 ? delivered / 2 : delivered);
    if (length < sample->length) {
      sample->length = length;
      Xm_Clamp_Loop(sample);
    }
    if (sample->length == 0) {
      free(raw);
      continue;
    }
    sample->data = static_cast<i16*>(calloc(size_t(sample->length) + 8, sizeof(i16)));
    if (!sample->data) {
      free(raw);
      return Xm_Fail("out of memory");
    }
    u16 sum = 0;
    for (u32 i = 0; i < sample->length; i++) {
      u16 v = sample->bits == 16 ? Xm_U16(raw + 2 * i) : u16(u8(raw[i]) << 8);
      if (!module->sample_reader) v = sum = u16(sum + v);
      sample->data[i] = i16(v);
    }
    free(raw);
    sample->bits = 16;
    u32 end = sample->loop_start + sample->loop_length;
    if (sample->loop_type == XM_LOOP_PINGPONG) sample->data[end] = sample->data[end - 1];
    if (sample->loop_type == XM_LOOP_FORWARD) sample->data[end] = sample->data[sample->loop_start];
  }
  return true;
}
}  // namespace

void Xm_Set_File_Callbacks(XmOpenCallback open, XmCloseCallback close, XmReadCallback read,
                           XmSeekCallback seek, XmTellCallback tell) {
  bool all = open && close && read && seek && tell;
  xm_open = all ? open : nullptr;
  xm_close = all ? close : nullptr;
  xm_read = all ? read : nullptr;
  xm_seek = all ? seek : nullptr;
  xm_tell = all ? tell : nullptr;
}

bool Xm_File_Callbacks_Set(void) { return xm_open != nullptr; }

XmFile* Xm_File_Open(const char* name) {
  if (!xm_open) return nullptr;
  void* handle = xm_open(name);
  if (!handle) return nullptr;
  XmFile* file = static_cast<XmFile*>(calloc(1, sizeof(XmFile)));
  if (!file) {
    xm_close(handle);
    return nullptr;
  }
  file->handle = handle;
  return file;
}

void Xm_File_Close(XmFile* file) {
  if (!file) return;
  if (xm_close) xm_close(file->handle);
  free(file);
}

u32 Xm_File_Read(void* destination, u32 bytes, XmFile* file) {
  memset(destination, 0, bytes);
  if (!file || !xm_read) return 0;
  u32 got = xm_read(destination, bytes, file->handle);
  if (got > bytes) got = bytes;
  if (got < bytes) file->short_read = 1;
  return got;
}

void Xm_File_Seek(XmFile* file, i32 offset, i32 origin) {
  if (file && xm_seek) xm_seek(file->handle, offset, origin);
}

i32 Xm_File_Tell(XmFile* file) { return file && xm_tell ? xm_tell(file->handle) : 0; }

const char* Xm_Load_Error(void) { return xm_load_error; }

XmModule* Xm_Load_Module(const char* name, XmSampleReader reader) {
  xm_load_error = "";
  XmModule* module = static_cast<XmModule*>(calloc(1, sizeof(XmModule)));
  if (!module) {
    Xm_Fail("out of memory");
    return nullptr;
  }
  XmFile* file = Xm_File_Open(name);
  if (!file) {
    free(module);
    Xm_Fail("cannot open the file");
    return nullptr;
  }
  module->sample_reader = reader;
  bool ok = Xm_Parse_Module(module, file);
  Xm_File_Close(file);
  if (!ok) {
    Xm_Free_Module(module);
    return nullptr;
  }
  return module;
}

bool Xm_Parse_Module(XmModule* module, XmFile* file) {
  u8 id[kXmIdBytes];
  Xm_File_Seek(file, 0, 0);
  Xm_File_Read(id, kXmIdBytes, file);
  if (memcmp(id, kXmId, kXmIdBytes) != 0) return Xm_Fail("not an XM module");
  module->tick_function = Xm_Tick;
  module->initial_global_volume = 64;

  Xm_File_Seek(file, i32(kXmHeaderOffset), 0);
  u8 h[20 + 256];
  Xm_File_Read(h, sizeof h, file);
  u32 header_size = Xm_U32(h);
  u32 song_length = Xm_U16(h + 4);
  u32 restart = Xm_U16(h + 6);
  u32 channels = Xm_U16(h + 8);
  u32 pattern_count = Xm_U16(h + 10);
  u32 instrument_count = Xm_U16(h + 12);
  if (channels == 0 || channels > kXmMaxChannels) return Xm_Fail("channel count not 1..32");
  if (song_length > kXmMaxOrders) return Xm_Fail("song longer than 256 orders");
  if (pattern_count > kXmMaxPatterns) return Xm_Fail("more than 256 patterns");
  if (instrument_count > kXmMaxInstruments) return Xm_Fail("more than 128 instruments");
  if (header_size > 0x7FFFFFFF - kXmHeaderOffset) return Xm_Fail("header too large");
  // An empty order list plays its first entry; a restart beyond the song goes to the start.
  if (song_length == 0) song_length = 1;
  if (restart >= song_length) restart = 0;
  module->song_length = i16(song_length);
  module->restart_position = i16(restart);
  module->channels = i16(channels);
  module->instrument_count = i16(instrument_count);
  module->flags = Xm_U16(h + 14);
  module->default_speed = i16(Xm_U16(h + 16));
  u32 bpm = Xm_U16(h + 18);
  // A tempo of 0 cannot be played: it takes the format's usual 125; the rest play as written.
  module->default_bpm = i16(bpm == 0 ? kXmUsualBpm : bpm > kXmMaxBpm ? kXmMaxBpm : bpm);
  memcpy(module->order_table, h + 20, kXmMaxOrders);

  Xm_File_Seek(file, i32(kXmHeaderOffset + header_size), 0);
  i32 highest = -1;
  for (u32 i = 0; i < song_length; i++)
    if (module->order_table[i] > highest) highest = module->order_table[i];
  module->used_patterns = highest + 1;
  module->pattern_table_size =
      module->used_patterns > i32(pattern_count) ? module->used_patterns : i32(pattern_count);
  module->patterns = static_cast<XmPattern*>(calloc(size_t(module->pattern_table_size), sizeof(XmPattern)));
  if (!module->patterns) return Xm_Fail("out of memory");
  if (!Xm_Parse_Patterns(module, file, pattern_count)) return false;

  if (instrument_count) {
    module->instruments = static_cast<XmInstrument*>(calloc(instrument_count, sizeof(XmInstrument)));
    if (!module->instruments) return Xm_Fail("out of memory");
  }
  for (u32 i = 0; i < instrument_count; i++)
    if (!Xm_Parse_Instrument(module, file, i)) return false;
  return true;
}

bool Xm_Free_Module(XmModule* module) {
  if (!module) return false;
  Xm_Stop_Module(module);
  if (module->instruments) {
    for (i32 i = 0; i < module->instrument_count; i++) {
      XmInstrument* instrument = &module->instruments[i];
      for (u32 s = 0; s < instrument->sample_count && s < kXmMaxSamples; s++) {
        XmSample* sample = instrument->samples[s];
        if (!sample || sample == &xm_empty_sample) continue;
        free(sample->data);
        free(sample);
      }
    }
    free(module->instruments);
  }
  if (module->patterns) {
    for (i32 p = 0; p < module->pattern_table_size; p++) free(module->patterns[p].cells);
    free(module->patterns);
  }
  free(module);
  return true;
}

const XmCell* Xm_Row_Cells(const XmModule* module, i32 order, i32 row) {
  if (order < 0 || order >= module->song_length) order = 0;
  const XmPattern* pattern = &module->patterns[module->order_table[order]];
  if (row < 0 || u32(row) >= pattern->rows) row = 0;
  return pattern->cells + size_t(row) * u32(module->channels);
}
