// Test set-up for the scenes drawn at the design size: the engine started as the host starts it, on data built here.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "demo/design.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

// A file name of the running test's own, so that tests run side by side do not share files.
inline std::string Flat_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(t->test_suite_name()) + "." + t->name() + "." + base;
}

// Writes the entries as a data file of the running test's own; its name, short enough for the engine's
// 64-byte name field.
inline std::string Flat_Datafile(const std::vector<DatafileEntry>& entries) {
  char path[32];
  snprintf(path, sizeof path, "flat_%016zx.dat", std::hash<std::string>{}(Flat_Temp("dat")));
  if (!Datafile_Write(path, entries)) ADD_FAILURE() << "cannot write " << path;
  return path;
}

// The host's start-up over a width x height surface, serving the data file.
inline void Flat_Start_Engine(u32 width, u32 height, const std::string& datafile, std::vector<u32>* surface) {
  surface->assign(size_t(width) * height, 0);
  Demo_Init(datafile.c_str(), 0);
  Vbe_Set_Host_Surface(surface->data(), width, height);
  Demo_Force_Resolution(width, height);
  Demo_Select_Mode();
  Demo_Set_Border(7);
  Math_Init();
  Poly_Init();
  Mesh_Reset();
  VR_Init();
  Demo_Open_Mode();
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
  Design_Init();
}

inline u32 Flat_Crc(const u32* pixels, size_t count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(pixels), uInt(count * 4)));
}

// The checksum of the engine's frame buffer as it stands.
inline u32 Flat_Frame_Crc(void) {
  return Flat_Crc(vbe_screen.frame, size_t(vbe_screen.width) * vbe_screen.height);
}

// Runs body in a child process that starts the engine afresh; the child passes when body returns true.
// The child is a new run of the test program (not a fork), so no state of earlier tests reaches it.
// What body prints on stderr shows in the failure.
#define FLAT_IN_CHILD(body)                                                       \
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";                         \
  EXPECT_EXIT(                                                                    \
      {                                                                           \
        if (!freopen(Flat_Temp("stdout.txt").c_str(), "w", stdout)) exit(99);     \
        exit((body) ? 0 : 1);                                                     \
      },                                                                          \
      ::testing::ExitedWithCode(0), "")
