// Helpers of the runtime tests: scratch files per test and fatal-error checks with the printed message.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/types.h"

// A file name of the running test, so tests running side by side never share files.
inline std::string Test_Path(const std::string& suffix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name() + "." + suffix;
}

inline std::string Read_Text(const std::string& path) {
  std::string text;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  fclose(f);
  return text;
}

inline void Write_Bytes(const std::string& path, const std::vector<u8>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (!bytes.empty()) {
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  fclose(f);
}

// The statement must end the program through the engine's error path (exit code 1) with the message.
#define EXPECT_FATAL(statement, message)                                                          \
  do {                                                                                            \
    std::string fatal_path_ = Test_Path("fatal.txt");                                             \
    remove(fatal_path_.c_str());                                                                  \
    EXPECT_EXIT(                                                                                  \
        {                                                                                         \
          if (!freopen(fatal_path_.c_str(), "w", stdout)) abort();                                \
          statement;                                                                              \
        },                                                                                        \
        ::testing::ExitedWithCode(1), "");                                                        \
    std::string fatal_text_ = Read_Text(fatal_path_);                                             \
    EXPECT_NE(fatal_text_.find(message), std::string::npos) << "printed: " << fatal_text_;        \
  } while (0)
