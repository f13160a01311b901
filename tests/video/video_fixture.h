// Shared set-up for the video tests: engine memory, a zero-filled host surface, a mode helper and fatal checks.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"
#include "video/vbe.h"

// Captures what `body` prints on standard output.
inline std::string Output_Of(const std::function<void()>& body) {
  testing::internal::CaptureStdout();
  body();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Output_Of([] {
      Mem_Init(0);
      Vbe_Reset();
    });
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
    Output_Of([&] { Vbe_Set_Mode(Vbe_Detect_16M(width, height)); });
    u32 p = height * border / 100;
    Vbe_Squeze(p, height - p);
    Vbe_Alloc_Buffer();
    Vbe_Clear();
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
  std::stringstream all;
  all << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_NE(all.str().find(text), std::string::npos) << "output: " << all.str();
  std::remove(path.c_str());
}
