// The asset builder: writes every file the show opens into the directory given as its argument.
#include <cstdio>
#include <string>

#include "assets/assets.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: velmoran-assets <output directory>\n");
    return 2;
  }
  std::string dir = argv[1];
  if (!Assets_Write_Datafile(dir)) return 1;
  if (!Assets_Write_Music(dir)) return 1;
  return 0;
}
