// velmoran-pack: writes a data file from a list of files, each stored raw, LZARI-packed or zlib-packed.
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
    if (!Read_File(path, &e.data)) {
      fprintf(stderr, "velmoran-pack: cannot read %s\n", path.c_str());
      return 1;
    }
    entries.push_back(std::move(e));
  }
  return Datafile_Write(argv[1], entries) ? 0 : 1;
}
