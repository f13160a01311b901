// Fatal errors: the exit code is the message's index, the hook runs first, the line is printed as text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/err.h"

namespace {
std::string Read_All(const char* path) {
  std::string s;
  if (FILE* f = fopen(path, "rb")) {
    char b[512];
    size_t n;
    while ((n = fread(b, 1, sizeof b, f)) > 0) s.append(b, n);
    fclose(f);
  }
  return s;
}

void Hook_Says_Hello(void) { fputs("hook;", stdout); }
void Hook_Fails_Again(void) { Err_Error("Mem: Unable to find memory block"); }
}  // namespace

TEST(FatalError, FormatsRunsTheHookAndExitsWithIndexOne) {
  EXPECT_EXIT(
      {
        freopen("err_out.txt", "wb", stdout);
        Err_Set_Exit_Hook(Hook_Says_Hello);
        Err_Error("File: %s not found in datafile", "pics/logo.pcx");
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(Read_All("err_out.txt"), "hook;\n\xFE File: pics/logo.pcx not found in datafile\r\n");
}

TEST(FatalError, PercentSignsInTheMessageArePrintedLiterally) {
  EXPECT_EXIT(
      {
        freopen("err_pct.txt", "wb", stdout);
        Err_Exit(Err_Message("Vbe: 100% %s %d"));
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(Read_All("err_pct.txt"), "\n\xFE Vbe: 100% %s %d\r\n");
}

TEST(FatalError, LongMessagesAreCutTo76Characters) {
  EXPECT_EXIT(
      {
        freopen("err_long.txt", "wb", stdout);
        Err_Error("File: %s not found in datafile", std::string(100, 'x').c_str());
      },
      ::testing::ExitedWithCode(1), "");
  std::string out = Read_All("err_long.txt");
  EXPECT_EQ(out, "\n\xFE File: " + std::string(70, 'x') + "\r\n");
}

TEST(FatalError, AFailingHookRunsOnceAndTheNewestIndexIsTheExitCode) {
  EXPECT_EXIT(
      {
        freopen("err_nested.txt", "wb", stdout);
        Err_Set_Exit_Hook(Hook_Fails_Again);
        Err_Error("Seq: Illegal control event");
      },
      ::testing::ExitedWithCode(2), "");
  EXPECT_EQ(Read_All("err_nested.txt"), "\n\xFE Mem: Unable to find memory block\r\n");
}

TEST(FatalError, UncaughtExceptionMessageHasNoCode) {
  EXPECT_EXIT(
      {
        freopen("err_exc.txt", "wb", stdout);
        Err_Uncaught_Exception();
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(Read_All("err_exc.txt"), "\n\xFE Err: Uncaught exception, code:\r\n");
}

TEST(FatalError, MessagesAreNumberedFromOne) {
  EXPECT_EXIT(
      {
        Err_Message("first");
        Err_Message("second");
        Err_Exit(Err_Message("third"));
      },
      ::testing::ExitedWithCode(3), "");
}
