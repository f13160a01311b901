// Shared set-up for the video tests: engine memory, a zero-filled host surface and a mode helper.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "runtime/err.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"
#include "video/vbe.h"

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::internal::CaptureStdout();
    Mem_Init(0);
    Vbe_Reset();
    fflush(stdout);
    testing::internal::GetCapturedStdout();
  }
  void TearDown() override {
    Mem_Done();
    Vbe_Reset();
    Vbe_Set_Host_Surface(nullptr, 0, 0);
  }

  // The host's zero-filled surface, registered with the video layer.
  void Make_Surface(u32 width, u32 height, u32 fill = 0) {
    surface.assign(size_t(width) * height, fill);
    Vbe_Set_Host_Surface(surface.data(), width, height);
  }

  // The mode as the frame services open it: detection, mode set, letterbox of `border` per cent,
  // frame buffer, clear.
  void Open_Mode(u32 width, u32 height, u32 border = 7) {
    if (surface.size() != size_t(width) * height) Make_Surface(width, height);
    testing::internal::CaptureStdout();
    u16 mode = Vbe_Detect_16M(width, height);
    Vbe_Set_Mode(mode);
    u32 p = height * border / 100;
    Vbe_Squeze(p, height - p);
    Vbe_Alloc_Buffer();
    Vbe_Clear();
    fflush(stdout);
    testing::internal::GetCapturedStdout();
  }

  std::vector<u32> surface;
};

// Runs `body` in a death test that must end through the fatal-error path and print `text`.
inline void Expect_Fatal(const std::function<void()>& body, const std::string& text) {
  // One file per test process: CTest runs the tests of this program side by side.
  std::string path = ::testing::TempDir() + "video_fatal_" + std::to_string(getpid()) + ".txt";
  std::remove(path.c_str());
  EXPECT_EXIT(
      {
        if (!freopen(path.c_str(), "w", stdout)) exit(99);
        body();
      },
      ::testing::ExitedWithCode(1), "");
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  EXPECT_NE(all.str().find(text), std::string::npos) << "output: " << all.str();
  std::remove(path.c_str());
}

// Captures what `body` prints on standard output.
inline std::string Output_Of(const std::function<void()>& body) {
  testing::internal::CaptureStdout();
  body();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}
