// Path writer: camera and object path files, 48-byte records without a header, in the loader's byte layout.
#include "path_writer.h"

#include <sstream>

#include "writer.h"

std::vector<u8> Path_Write_Camera(const std::vector<PathCameraKey>& keys) {
  ByteWriter w;
  for (const PathCameraKey& k : keys) {
    for (f32 v : k.position) w.f32_(v);
    for (f32 v : k.target) w.f32_(v);
    w.f32_(k.roll_degrees);
    for (u32 i = 0; i < 5; i++) w.u32_(0);
  }
  return w.bytes;
}

std::vector<u8> Path_Write_Object(const std::vector<PathObjectKey>& keys) {
  ByteWriter w;
  for (const PathObjectKey& k : keys) {
    for (f32 v : k.position) w.f32_(v);
    for (f32 v : k.matrix) w.f32_(v);
  }
  return w.bytes;
}

bool Path_Parse_Text(const std::string& text, std::vector<u8>* bytes, std::string* error) {
  std::vector<PathCameraKey> cameras;
  std::vector<PathObjectKey> objects;
  std::istringstream lines(text);
  std::string line;
  for (u32 number = 1; std::getline(lines, line); number++) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::string kind;
    if (!(in >> kind)) continue;
    f32 v[12];
    const u32 want = kind == "c" ? 7 : kind == "o" ? 12 : 0;
    if (want == 0) {
      *error = "line " + std::to_string(number) + ": unknown record kind '" + Quote_Token(kind) + "'";
      return false;
    }
    for (u32 i = 0; i < want; i++)
      if (!(in >> v[i])) {
        *error = "line " + std::to_string(number) + ": needs " + std::to_string(want) + " numbers";
        return false;
      }
    std::string extra;
    if (in >> extra) {
      *error = "line " + std::to_string(number) + ": extra text '" + Quote_Token(extra) + "'";
      return false;
    }
    if (kind == "c" ? !objects.empty() : !cameras.empty()) {
      *error = "line " + std::to_string(number) + ": camera and object records mixed";
      return false;
    }
    if (kind == "c")
      cameras.push_back({{v[0], v[1], v[2]}, {v[3], v[4], v[5]}, v[6]});
    else
      objects.push_back({{v[0], v[1], v[2]}, {v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]}});
  }
  if (cameras.empty() && objects.empty()) {
    *error = "no records";
    return false;
  }
  *bytes = cameras.empty() ? Path_Write_Object(objects) : Path_Write_Camera(cameras);
  return true;
}
