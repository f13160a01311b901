// Test support: XM modules served from memory through the player's file callbacks.
#pragma once
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "music/xmload.h"
#include "writer.h"
#include "xm_writer.h"

namespace xm_memory {
struct Stream {
  const std::vector<u8>* bytes;
  size_t at;
};
inline std::vector<u8> file;
inline Stream stream;

inline void* Open(const char*) {
  stream = {&file, 0};
  return &stream;
}
inline void Close(void*) {}
inline u32 Read(void* destination, u32 bytes, void* handle) {
  Stream* s = static_cast<Stream*>(handle);
  size_t left = s->at < s->bytes->size() ? s->bytes->size() - s->at : 0;
  size_t n = bytes < left ? bytes : left;
  if (n) memcpy(destination, s->bytes->data() + s->at, n);
  s->at += bytes;
  return u32(n);
}
inline void Seek(void* handle, i32 offset, i32 origin) {
  Stream* s = static_cast<Stream*>(handle);
  i64 to = origin == 1 ? i64(s->at) + offset : offset;
  s->at = to < 0 ? 0 : size_t(to);
}
inline i32 Tell(void* handle) { return i32(static_cast<Stream*>(handle)->at); }
}  // namespace xm_memory

// Loads a module from bytes; null when the loader refuses it.
inline XmModule* Load_Bytes(const std::vector<u8>& bytes) {
  xm_memory::file = bytes;
  Xm_Set_File_Callbacks(xm_memory::Open, xm_memory::Close, xm_memory::Read, xm_memory::Seek, xm_memory::Tell);
  return Xm_Load_Module("memory", nullptr);
}
inline XmModule* Load_Song(const XmSong& song) { return Load_Bytes(XmWriter_Encode(song)); }

// A song of one channel count with one instrument holding the given sample, one 64-row pattern.
inline XmSong One_Sample_Song(const XmWriterSample& sample, u16 channels = 2) {
  XmSong song;
  song.channels = channels;
  XmWriterInstrument in;
  in.name = "i";
  in.samples.push_back(sample);
  song.instruments.push_back(in);
  XmWriter_Add_Pattern(&song, 64);
  song.orders.push_back(0);
  return song;
}

// A looped sample holding one value.
inline XmWriterSample Dc_Sample(i16 value, u32 length = 32) {
  XmWriterSample s;
  s.name = "dc";
  s.data.assign(length, value);
  s.loop_type = 1;
  s.loop_start = 0;
  s.loop_length = length;
  return s;
}

#ifdef VELMORAN_SOURCE_DIR  // known to the test programs, not to the fuzzers
// A set of XM modules in the repository's test data: the sorted file names, and one file's bytes.
inline std::string Corpus_Dir(const std::string& set) {
  return std::string(VELMORAN_SOURCE_DIR) + "/tests/data/" + set + "/";
}
inline std::vector<std::string> Corpus_Names(const std::string& set = "xm") {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Corpus_Dir(set)))
    if (entry.path().extension() == ".xm") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
inline std::vector<u8> Corpus(const std::string& name, const std::string& set = "xm") {
  std::vector<u8> bytes;
  Read_File(Corpus_Dir(set) + name, &bytes);
  return bytes;
}
#endif
