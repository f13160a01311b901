// velmoran-path: writes a camera or object path file from its text form (one record a line).
#include <cstdio>
#include <string>
#include <vector>

#include "path_writer.h"
#include "writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: velmoran-path <path.txt> <out.cam>\n"
                    "  c <x> <y> <z> <tx> <ty> <tz> <roll>   a camera record (y up, roll in degrees)\n"
                    "  o <x> <y> <z> <m0> ... <m8>           an object record\n");
    return 2;
  }
  std::vector<u8> text;
  std::string why;
  if (!Read_File(argv[1], &text, &why)) {
    fprintf(stderr, "velmoran-path: cannot read %s: %s\n", argv[1], why.c_str());
    return 1;
  }
  std::vector<u8> bytes;
  std::string error;
  if (!Path_Parse_Text(std::string(text.begin(), text.end()), &bytes, &error)) {
    fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  return Write_File(argv[2], bytes) ? 0 : 1;
}
