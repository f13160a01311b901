// velmoran-pack: writes a data file from a list of files, each stored raw, LZARI-packed or zlib-packed.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "writer.h"

namespace {
void Usage(void) {
  fprintf(stderr,
          "usage: velmoran-pack OUTPUT [-r | -l | -z] FILE[=NAME] ...\n"
          "  each FILE becomes an entry named NAME (default: FILE as given);\n"
          "  -r stores the following files raw (the default), -l LZARI-packed (names need \".KLZ\"),\n"
          "  -z zlib-packed.\n");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  std::vector<DatafileEntry> entries;
  DatafileStorage storage = DATAFILE_RAW;
  for (int i = 2; i < argc; i++) {
    std::string arg = argv[i];
    if (arg == "-r" || arg == "-l" || arg == "-z") {
      storage = arg == "-r" ? DATAFILE_RAW : arg == "-l" ? DATAFILE_LZARI : DATAFILE_ZLIB;
      continue;
    }
    if (arg[0] == '-') {
      Usage();
      return 2;
    }
    DatafileEntry e;
    size_t eq = arg.find('=');
    std::string path = arg.substr(0, eq);
    e.name = eq == std::string::npos ? path : arg.substr(eq + 1);
    e.storage = storage;
    std::string why;
    if (!Read_File(path, &e.data, &why)) {
      fprintf(stderr, "velmoran-pack: cannot read %s: %s\n", Quote_Token(path).c_str(), why.c_str());
      return 1;
    }
    // The reader takes an image that unpacks to nothing for a broken one.
    if (e.storage == DATAFILE_LZARI && e.data.empty()) {
      fprintf(stderr, "velmoran-pack: an empty file cannot be LZARI-packed: %s\n", Quote_Token(path).c_str());
      return 1;
    }
    // The reader looks names up regardless of case: of two such names only the first could be found.
    for (const DatafileEntry& other : entries)
      if (strcasecmp(other.name.c_str(), e.name.c_str()) == 0) {
        fprintf(stderr, "velmoran-pack: entry names differ only in case (or not at all): %s and %s\n",
                Quote_Token(other.name).c_str(), Quote_Token(e.name).c_str());
        return 1;
      }
    entries.push_back(std::move(e));
  }
  if (entries.empty()) {
    fprintf(stderr, "velmoran-pack: no input files\n");
    return 2;
  }
  return Datafile_Write(argv[1], entries) ? 0 : 1;
}
