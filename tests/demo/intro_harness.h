// Test set-up for the intro, its flare and the sky: the engine started as the host starts it, on data built here.
#pragma once
#include <sys/stat.h>

#include <cstdio>
#include <functional>

#include "art_intro.h"
#include "tests/engine_fixture.h"
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

// Runs body in a child process, so the engine's state starts afresh; the child passes when body
// returns true. Standard output goes to a file of the test's own; what body prints on stderr shows.
#define INTRO_IN_CHILD(...) EXPECT_CHILD_PASSES(Intro_Temp("stdout.txt"), __VA_ARGS__)

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
