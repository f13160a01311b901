// The show's music "velmoran.xm".
#include <vector>

#include "assets/assets.h"
#include "writer.h"

bool Assets_Write_Music(const std::string& dir) { return Write_File(dir + "/velmoran.xm", std::vector<u8>()); }
