// K3D writer: the header, the object blocks and the frame blocks, little-endian without padding.
#include "k3d_writer.h"

#include <sstream>

#include "writer.h"

namespace {
const size_t kK3dMaxObjects = 255;
const u32 kK3dMaxPoints = 0xFFFF;
const size_t kK3dMaxPolygons = 0xFFFF;

void Write_Points(ByteWriter& w, const std::vector<K3dPoint>& points) {
  w.u16_(u16(points.size()));
  for (const K3dPoint& p : points)
    for (f32 c : p) w.f32_(c);
  if (points.empty())
    for (int k = 0; k < 3; k++) w.f32_(0.0f);
}
}  // namespace

std::vector<u8> K3d_Write(const K3dMesh& mesh) {
  ByteWriter w;
  u32 total = 0;
  for (const K3dObject& o : mesh.objects) total += u32(o.points.size());
  w.u16_(u16(mesh.frame_point_total >= 0 ? u32(mesh.frame_point_total) : total));
  w.u8_(mesh.frame_count);
  w.u8_(u8(mesh.objects.size()));
  for (const K3dObject& o : mesh.objects) {
    w.text(o.name.c_str(), 15);
    Write_Points(w, o.points);
    w.u16_(u16(o.polygons.size()));
    for (const K3dPolygon& p : o.polygons) {
      w.u8_(u8(p.points.size()));
      for (u16 i : p.points) w.u16_(i);
      w.u8_(p.texture);
    }
  }
  for (const auto& frame : mesh.frames)
    for (size_t i = 0; i < frame.size(); i++) {
      w.text(i < mesh.objects.size() ? mesh.objects[i].name.c_str() : "", 15);
      Write_Points(w, frame[i]);
    }
  return w.bytes;
}

bool K3d_Parse_Text(const std::string& text, K3dMesh* mesh, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  u32 total = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    number++;
    std::istringstream l(line);
    std::string word, extra;
    if (!(l >> word) || word[0] == '#') continue;
    if (word == "o") {
      K3dObject o;
      l >> o.name;
      if (o.name.size() > 14) return fail("name longer than 14 characters");
      if (l >> extra) return fail("extra text '" + Quote_Token(extra) + "'");
      if (mesh->objects.size() >= kK3dMaxObjects) return fail("more than 255 objects");
      mesh->objects.push_back(o);
      continue;
    }
    if (mesh->objects.empty()) return fail("no object yet");
    K3dObject& o = mesh->objects.back();
    if (word == "v") {
      K3dPoint p;
      if (!(l >> p[0] >> p[1] >> p[2])) return fail("bad point");
      if (l >> extra) return fail("extra text '" + Quote_Token(extra) + "'");
      // Point counts and the header's total are 16-bit fields.
      if (++total > kK3dMaxPoints) return fail("more than 65535 points in the file");
      o.points.push_back(p);
    } else if (word == "f") {
      K3dPolygon p{{}, 0};
      std::string item;
      while (l >> item) {
        const bool texture = item.rfind("t=", 0) == 0;
        u32 v;
        if (!Parse_Whole(texture ? item.substr(2) : item, texture ? 255 : 65535, &v)) return fail("bad number " + Quote_Token(item));
        if (texture)
          p.texture = u8(v);
        else
          p.points.push_back(u16(v));
      }
      if (p.points.empty() || p.points.size() > 4) return fail("a polygon has 1 to 4 points");
      for (u16 i : p.points)
        if (i >= o.points.size()) return fail("point index out of range");
      if (o.polygons.size() >= kK3dMaxPolygons) return fail("more than 65535 polygons in the object");
      o.polygons.push_back(p);
    } else {
      return fail("unknown word " + Quote_Token(word));
    }
  }
  if (mesh->objects.empty()) {
    *error = "no objects";
    return false;
  }
  return true;
}
