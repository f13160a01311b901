// Data-file writer: packs entries raw, as ".KLZ" images or zlib-packed, and appends the directory and trailer.
#include "datafile_writer.h"

#include <strings.h>
#include <zlib.h>

#include <cstdio>

#include "lzari_encoder.h"
#include "writer.h"

namespace {
bool Has_Klz(const std::string& name) {
  for (size_t i = 0; i + 4 <= name.size(); i++)
    if (strncasecmp(name.c_str() + i, ".KLZ", 4) == 0) return true;
  return false;
}
}  // namespace

std::vector<u8> Datafile_Stored_Bytes(const DatafileEntry& entry) {
  if (entry.storage == DATAFILE_LZARI) return Lzari_Pack(entry.data);
  if (entry.storage == DATAFILE_RAW) return entry.data;
  ByteWriter w;
  w.u32_(u32(entry.data.size()));
  uLongf packed = compressBound(uLong(entry.data.size()));
  std::vector<u8> stream(packed);
  compress2(stream.data(), &packed, entry.data.data(), uLong(entry.data.size()), Z_DEFAULT_COMPRESSION);
  w.raw(stream.data(), packed);
  return w.bytes;
}

bool Datafile_Build(const std::vector<DatafileEntry>& entries, const DatafileLayout& layout, std::vector<u8>* out,
                    std::string* why) {
  if (entries.size() > 100) {
    *why = "more than 100 entries";
    return false;
  }
  ByteWriter file, directory;
  file.raw(layout.prefix.data(), layout.prefix.size());
  const u32 base = u32(layout.prefix.size());
  for (const DatafileEntry& e : entries) {
    if (e.name.empty() || e.name.size() > 79) {
      *why = "entry name empty or longer than 79 characters: " + Quote_Token(e.name);
      return false;
    }
    if ((e.storage == DATAFILE_LZARI) != Has_Klz(e.name)) {
      *why = "LZARI entries, and only they, have \".KLZ\" in their names: " + e.name;
      return false;
    }
    std::vector<u8> stored = Datafile_Stored_Bytes(e);
    u32 offset = u32(file.bytes.size()) - base;
    file.raw(stored.data(), stored.size());
    directory.u8_(u8(e.name.size()));
    directory.raw(e.name.data(), e.name.size());
    directory.u32_(u32(stored.size()));
    directory.u32_(offset);
    directory.u32_(e.storage == DATAFILE_ZLIB ? u32(e.data.size()) : u32(stored.size()));
    directory.u8_(e.storage == DATAFILE_ZLIB ? 1 : 0);
  }
  file.raw(directory.bytes.data(), directory.bytes.size());
  file.bytes.insert(file.bytes.end(), layout.directory_gap, 0);
  file.u16_(u16(entries.size()));
  file.u32_(u32(directory.bytes.size()) + layout.directory_gap + 2);
  file.u32_(base);
  *out = std::move(file.bytes);
  return true;
}

bool Datafile_Write(const std::string& path, const std::vector<DatafileEntry>& entries) {
  std::vector<u8> bytes;
  std::string why;
  if (!Datafile_Build(entries, DatafileLayout(), &bytes, &why)) {
    fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
    return false;
  }
  return Write_File(path, bytes);
}
