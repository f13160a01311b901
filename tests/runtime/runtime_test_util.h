// Helpers of the runtime tests: scratch files per test, memory blocks and fatal-error checks with the message.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/mem.h"
#include "runtime/types.h"

// A file name of the running test, so tests running side by side never share files.
inline std::string Test_Path(const std::string& suffix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name() + "." + suffix;
}

inline std::string Read_Text(const std::string& path) {
  std::stringstream all;
  all << std::ifstream(path, std::ios::binary).rdbuf();
  return all.str();
}

inline void Write_Bytes(const std::string& path, const std::vector<u8>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// An engine memory block holding the bytes.
inline void* Block_Of(const std::vector<u8>& bytes) {
  void* b = Mem_Alloc(u32(bytes.size()));
  memcpy(b, bytes.data(), bytes.size());
  return b;
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
