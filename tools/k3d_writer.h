// K3D writer: named objects with points and polygons, and animation frames, in the loader's byte layout.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "runtime/types.h"

typedef std::array<f32, 3> K3dPoint;

struct K3dPolygon {
  std::vector<u16> points;  // 1 to 4 indices into the object's own points
  u8 texture;
};

struct K3dObject {
  std::string name;  // at most 14 characters
  std::vector<K3dPoint> points;
  std::vector<K3dPolygon> polygons;
};

struct K3dMesh {
  std::vector<K3dObject> objects;
  // Frames after the first: frames[k][object] holds that object's points in frame k + 1.
  std::vector<std::vector<std::vector<K3dPoint>>> frames;
  u8 frame_count = 0;           // 0: no animation; otherwise 1 + frames.size()
  i32 frame_point_total = -1;   // -1: the sum of the objects' points
};

// The file's bytes; an object without points still gets the one point record the layout requires.
std::vector<u8> K3d_Write(const K3dMesh& mesh);
// Reads the text mesh format of the command-line tool (o name / v x y z / f [t=N] i j k [l], 0-based).
bool K3d_Parse_Text(const std::string& text, K3dMesh* mesh, std::string* error);
