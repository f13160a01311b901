// Test set-up for the scenes drawn at the design size: the engine started as the host starts it, on data built here.
#pragma once
#include <cstdio>
#include <functional>

#include "tests/engine_fixture.h"

// Writes the entries as a data file of the running test's own; its name, short enough for the engine's
// 64-byte name field.
inline std::string Flat_Datafile(const std::vector<DatafileEntry>& entries) {
  char path[32];
  snprintf(path, sizeof path, "flat_%016zx.dat", std::hash<std::string>{}(Test_File_Name("dat")));
  if (!Datafile_Write(path, entries)) ADD_FAILURE() << "cannot write " << path;
  return path;
}

// Runs body in a child process that starts the engine afresh; the child passes when body returns true.
// The child is a new run of the test program (not a fork), so no state of earlier tests reaches it.
// What body prints on stderr shows in the failure.
#define FLAT_IN_CHILD(body)                                       \
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";         \
  EXPECT_CHILD_PASSES(Test_File_Name("stdout.txt"), body)
