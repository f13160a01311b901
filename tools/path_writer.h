// Path writer: camera and object path files, 48-byte records without a header, in the loader's byte layout.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "runtime/types.h"

// A camera record: position and target in the file's axes (y up), roll in degrees.
struct PathCameraKey {
  std::array<f32, 3> position;
  std::array<f32, 3> target;
  f32 roll_degrees;
};

// An object record: position and the nine matrix words as the file holds them.
struct PathObjectKey {
  std::array<f32, 3> position;
  std::array<f32, 9> matrix;
};

std::vector<u8> Path_Write_Camera(const std::vector<PathCameraKey>& keys);
std::vector<u8> Path_Write_Object(const std::vector<PathObjectKey>& keys);
// Reads the text form of the command-line tool: one record a line, "c x y z tx ty tz roll" for a camera
// or "o x y z m0 .. m8" for an object; '#' starts a comment. All lines must be of one kind.
bool Path_Parse_Text(const std::string& text, std::vector<u8>* bytes, std::string* error);
