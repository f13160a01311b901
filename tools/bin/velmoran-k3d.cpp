// velmoran-k3d: writes a K3D mesh file from the text mesh format (o / v / f lines).
#include <cstdio>
#include <string>
#include <vector>

#include "k3d_writer.h"
#include "writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: velmoran-k3d <mesh.txt> <out.k3d>\n"
                    "  o <name>            starts an object (14 characters at most)\n"
                    "  v <x> <y> <z>       adds a point to it\n"
                    "  f [t=<n>] <i> ...   adds a polygon of 1 to 4 of its points (0-based), texture n\n");
    return 2;
  }
  std::vector<u8> text;
  std::string why;
  if (!Read_File(argv[1], &text, &why)) {
    fprintf(stderr, "velmoran-k3d: cannot read %s: %s\n", argv[1], why.c_str());
    return 1;
  }
  K3dMesh mesh;
  std::string error;
  if (!K3d_Parse_Text(std::string(text.begin(), text.end()), &mesh, &error)) {
    fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  return Write_File(argv[2], K3d_Write(mesh)) ? 0 : 1;
}
