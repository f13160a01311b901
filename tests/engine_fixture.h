// Test set-up shared by the scene and engine tests: names of a test's own, failing children, the data
// file served, the frame written out for a look, and a fixture over the host's start-up.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "music/music.h"
#include "platform/capture.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "tests/engine_start.h"

// "suite.test.base": a file name of the running test's own, so that tests run side by side share no files.
inline std::string Test_File_Name(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(t->test_suite_name()) + "." + t->name() + "." + base;
}
// The same name under /tmp.
inline std::string Test_Temp(const char* base) { return "/tmp/" + Test_File_Name(base); }

inline std::string Test_Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs the statement in a child that must end with exit code 1 and print text; its standard output goes
// to the file out_path, removed afterwards.
#define EXPECT_FATAL_OUTPUT(out_path, text, ...)                                                          \
  do {                                                                                                  \
    const std::string fatal_out = (out_path);                                                           \
    EXPECT_EXIT(                                                                                        \
        {                                                                                               \
          if (!freopen(fatal_out.c_str(), "w", stdout)) exit(99);                                       \
          __VA_ARGS__;                                                                                  \
        },                                                                                              \
        ::testing::ExitedWithCode(1), "");                                                              \
    EXPECT_NE(Test_Read_Text(fatal_out).find(text), std::string::npos) << Test_Read_Text(fatal_out);    \
    std::remove(fatal_out.c_str());                                                                     \
  } while (0)

// Runs the statement in a child process, so that the engine starts afresh; the child passes when the
// statement is true. Its standard output goes to the file out_path; what it prints on stderr shows.
#define EXPECT_CHILD_PASSES(out_path, ...)                                 \
  EXPECT_EXIT(                                                             \
      {                                                                    \
        if (!freopen((out_path).c_str(), "w", stdout)) exit(99);           \
        exit((__VA_ARGS__) ? 0 : 1);                                       \
      },                                                                   \
      ::testing::ExitedWithCode(0), "")

// A check inside a child process: says what failed on stderr and passes the result on.
inline bool Child_Check(bool ok, const char* what, long long got = 0, long long want = 0) {
  if (!ok) fprintf(stderr, "failed: %s (got %lld, want %lld)\n", what, got, want);
  return ok;
}
template <class A, class B>
inline bool Child_Equal(A got, B want, const char* what) {
  return Child_Check(got == want, what, (long long)(got), (long long)(want));
}
#define CHILD_EQ(got, want) Child_Equal((got), (want), #got " == " #want)

// Writes the entries as the data file at path and opens it in the file layer.
inline void Engine_Serve(const std::string& path, const std::vector<DatafileEntry>& entries) {
  ASSERT_TRUE(Datafile_Write(path, entries));
  if (File_Is_Initialised()) File_Done();
  File_Set_Datafile(path.c_str());
  File_Init();
}

// Runs n ticks of the installed tick callback, as the host's frame step does.
inline void Engine_Ticks(u32 n) {
  for (u32 i = 0; i < n; i++) Music_Call_Callback();
}

// Writes the frame as a PNG picture (for looking at it).
inline void Engine_Dump_Frame(const std::string& path) {
  Plat_Write_Png(path.c_str(), vbe_screen.frame, vbe_screen.width, vbe_screen.height);
}

// The heard row (and position, order 0) the post-effect layer and the sequencer read in the tests.
inline u32 engine_test_row = 0;
inline u32 Engine_Test_Row(void) { return engine_test_row; }
inline void Engine_Test_Position(u32* order, u32* row) {
  *order = 0;
  *row = engine_test_row;
}

// A fixture over a host surface; the data file it served is closed and removed afterwards.
class EngineTest : public ::testing::Test {
 public:
  std::vector<u32> surface;
  std::string datafile;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!datafile.empty()) std::remove(datafile.c_str());
  }
};
