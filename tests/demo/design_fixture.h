// Test set-up for the post-effect layer and the credits: the engine as the host starts it, headless.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "demo/design.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

inline std::string Design_Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A file name of the running test's own, so that tests run side by side do not share files.
inline std::string Design_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("/tmp/") + t->test_suite_name() + "." + t->name() + "." + base;
}

// Runs the statement after text in a child that must end with exit code 1 and print text.
#define EXPECT_DESIGN_FATAL(text, ...)                                                    \
  do {                                                                                    \
    const std::string out_path = Design_Temp("fatal.txt");                                \
    EXPECT_EXIT(                                                                          \
        {                                                                                 \
          if (!freopen(out_path.c_str(), "w", stdout)) exit(99);                          \
          __VA_ARGS__;                                                                    \
        },                                                                                \
        ::testing::ExitedWithCode(1), "");                                                \
    EXPECT_NE(Design_Read_Text(out_path).find(text), std::string::npos)                  \
        << Design_Read_Text(out_path);                                                    \
    std::remove(out_path.c_str());                                                        \
  } while (0)

// A scratch directory of this process's own for the picture writers.
inline std::string Design_Scratch_Dir(void) {
  const std::string dir = "/tmp/design_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  return dir;
}

inline u32 Design_Crc(const u32* pixels, u32 count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(pixels), count * 4));
}
inline u32 Design_Frame_Crc(void) { return Design_Crc(vbe_screen.frame, vbe_screen.frame_size / 4); }

// The heard row the tests play.
inline u32 design_test_row = 0;
inline u32 Design_Test_Row(void) { return design_test_row; }
inline void Design_Test_Position(u32* order, u32* row) {
  *order = 0;
  *row = design_test_row;
}

class DesignEngine : public ::testing::Test {
 public:
  std::vector<u32> surface;
  std::string datafile;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!datafile.empty()) std::remove(datafile.c_str());
    Design_Set_Row_Reader(nullptr);
    Seq_Set_Position_Reader(nullptr);
  }

  // The engine at the output size with the given letterbox, the layer's state fresh and initialised.
  void Start(u32 width, u32 height, u32 border = 7) {
    Mem_Init(0);
    Vbe_Reset();
    surface.assign(size_t(width) * height, 0);
    Vbe_Init();
    Vbe_Set_Host_Surface(surface.data(), width, height);
    Demo_Force_Resolution(width, height);
    Demo_Select_Mode();
    Demo_Set_Border(border);
    Demo_Open_Mode();
    Math_Init();
    Math_Seed_Random();
    Math_Crt_Seed(1);
    Poly_Init();
    Mesh_Reset();
    VR_Init();
    Vbe_Resize_Buffer(320, 200);
    Vbe_Alloc_Mix_Buffer();
    design_state = DesignState{};
    design_test_row = 0;
    Design_Set_Row_Reader(Design_Test_Row);
    Design_Init();
  }

  // Serves the given entries as the data file.
  void Serve(const std::vector<DatafileEntry>& entries) {
    // The engine keeps a short name: one per process.
    datafile = "/tmp/design_" + std::to_string(getpid()) + ".dat";
    ASSERT_TRUE(Datafile_Write(datafile, entries));
    rmdir(("/tmp/design_" + std::to_string(getpid())).c_str());  // the pictures' scratch directory, if made
    // Children of death tests end through exit: the file goes then too.
    static std::string served;
    served = datafile;
    static const bool cleanup = atexit([] { std::remove(served.c_str()); }) == 0;
    (void)cleanup;
    if (File_Is_Initialised()) File_Done();
    File_Set_Datafile(datafile.c_str());
    File_Init();
  }

  // Fills the frame with a pattern of its coordinates.
  void Gradient(void) {
    for (u32 y = 0; y < vbe_screen.height; y++)
      for (u32 x = 0; x < vbe_screen.width; x++)
        vbe_screen.frame[y * vbe_screen.width + x] = ((x & 255) << 16) | ((y & 255) << 8) | ((x + y) & 255);
  }
};

// The engine set up outside a fixture, for tests run in a child process.
struct DesignRun : DesignEngine {
  void TestBody() override {}
};
