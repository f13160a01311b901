// Test set-up for the intro, its flare and the sky: the engine started as the host starts it, on data built here.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "art_intro.h"
#include "datafile_writer.h"
#include "demo/design.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "video/picture.h"
#include "video/vbe.h"
#include "writer.h"

// A name of the running test's own, so that tests run side by side share no files.
inline std::string Intro_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  // Short: the engine keeps data-file names of at most 63 characters.
  const size_t h = std::hash<std::string>()(std::string(t->test_suite_name()) + "." + t->name());
  char name[64];
  snprintf(name, sizeof name, "intro.%016zx.%s", h, base);
  return name;
}

// The intro's real entries (logos, flare pictures, sky), with the sky replaced when one is given.
inline std::vector<DatafileEntry> Intro_Entries(const std::vector<u8>* sky = nullptr) {
  std::vector<DatafileEntry> entries;
  const std::string dir = Intro_Temp("dir");
  mkdir(dir.c_str(), 0755);
  if (!Art_Intro_Entries(dir, &entries)) ADD_FAILURE() << "cannot make the intro's pictures";
  if (sky)
    for (DatafileEntry& e : entries)
      if (e.name == "sky/sky.pic") e.data = *sky;
  return entries;
}

inline std::string Intro_Datafile(const std::vector<DatafileEntry>& entries) {
  const std::string path = Intro_Temp("dat");
  if (!Datafile_Write(path, entries)) ADD_FAILURE() << "cannot write " << path;
  return path;
}

// The host's start-up over a width x height surface, serving the data file.
inline void Intro_Start_Engine(u32 width, u32 height, const std::string& datafile, std::vector<u32>* surface) {
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

inline u32 Intro_Crc(const u32* pixels, size_t count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(pixels), uInt(count * 4)));
}

// Runs body in a child process, so the engine's state starts afresh; the child passes when body
// returns true. Standard output goes to a file of the test's own; what body prints on stderr shows.
#define INTRO_IN_CHILD(...)                                                        \
  EXPECT_EXIT(                                                                     \
      {                                                                            \
        if (!freopen(Intro_Temp("stdout.txt").c_str(), "w", stdout)) exit(99);     \
        exit((__VA_ARGS__) ? 0 : 1);                                                    \
      },                                                                           \
      ::testing::ExitedWithCode(0), "")

// A check inside a child: says what failed on stderr and passes the result on.
inline bool Intro_Check(bool ok, const char* what, long long got = 0, long long want = 0) {
  if (!ok) fprintf(stderr, "failed: %s (got %lld, want %lld)\n", what, got, want);
  return ok;
}
template <class A, class B>
inline bool Intro_Equal(A got, B want, const char* what) {
  return Intro_Check(got == want, what, (long long)(got), (long long)(want));
}
#define INTRO_EQ(got, want) Intro_Equal((got), (want), #got " == " #want)
