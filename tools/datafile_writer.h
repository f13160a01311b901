// Data-file writer: entry bytes, then the directory records, then the 10-byte trailer (count, D, base).
#pragma once
#include <string>
#include <vector>

#include "runtime/types.h"

enum DatafileStorage : u8 {
  DATAFILE_RAW,    // stored as given
  DATAFILE_LZARI,  // stored as a ".KLZ" image (the name must contain ".KLZ")
  DATAFILE_ZLIB,   // stored as u32 size + zlib stream, marked packed
};

struct DatafileEntry {
  std::string name;
  std::vector<u8> data;  // the bytes a reader gets after unpacking
  DatafileStorage storage = DATAFILE_RAW;
};

struct DatafileLayout {
  std::vector<u8> prefix;  // bytes before the entry data; their length becomes the data base B
  u32 directory_gap = 0;   // bytes between the records and the trailer (D grows by this)
};

// The bytes of an entry as stored in the file.
std::vector<u8> Datafile_Stored_Bytes(const DatafileEntry& entry);
// Builds the whole file; false with a reason when an entry cannot be written (name too long, too many).
bool Datafile_Build(const std::vector<DatafileEntry>& entries, const DatafileLayout& layout, std::vector<u8>* out,
                    std::string* why);
bool Datafile_Write(const std::string& path, const std::vector<DatafileEntry>& entries);
