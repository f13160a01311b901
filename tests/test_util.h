// Helpers shared by the tests of every folder: external tools and their output.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/types.h"

// Runs a shell command and returns its standard output; a failing command fails the test.
inline std::vector<u8> Run_Command(const std::string& command) {
  std::vector<u8> out;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr) << command;
  if (!pipe) return out;
  u8 buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return out;
}

// The test script installs every tool the tests use: a missing one is a failure, never a skip.
inline void Require_Tool(const char* tool) {
  ASSERT_EQ(std::system((std::string("command -v ") + tool + " >/dev/null").c_str()), 0) << tool << " is missing";
}
