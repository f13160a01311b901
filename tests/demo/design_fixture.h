// Test set-up for the post-effect layer and the credits: the engine as the host starts it, headless.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include "tests/engine_fixture.h"

// Runs the statement after text in a child that must end with exit code 1 and print text.
#define EXPECT_DESIGN_FATAL(text, ...) EXPECT_FATAL_OUTPUT(Test_Temp("fatal.txt"), text, __VA_ARGS__)

// A scratch directory of this process's own for the picture writers.
inline std::string Design_Scratch_Dir(void) {
  const std::string dir = "/tmp/design_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  return dir;
}

inline u32 Design_Frame_Crc(void) { return Engine_Buffer_Crc(); }

class DesignEngine : public EngineTest {
 public:
  void TearDown() override {
    EngineTest::TearDown();
    Design_Set_Row_Reader(nullptr);
    Seq_Set_Position_Reader(nullptr);
  }

  // The engine at the output size with the given letterbox, the layer's state fresh and initialised.
  void Start(u32 width, u32 height, u32 border = 7) {
    Mem_Init(0);
    Vbe_Reset();
    Vbe_Init();
    Engine_Open_Mode_First(&surface, width, height, border);
    Math_Seed_Random();
    Math_Crt_Seed(1);
    design_state = DesignState{};
    engine_test_row = 0;
    Design_Set_Row_Reader(Engine_Test_Row);
    Design_Init();
  }

  // Serves the given entries as the data file.
  void Serve(const std::vector<DatafileEntry>& entries) {
    // The engine keeps a short name: one per process.
    datafile = "/tmp/design_" + std::to_string(getpid()) + ".dat";
    rmdir(("/tmp/design_" + std::to_string(getpid())).c_str());  // the pictures' scratch directory, if made
    // Children of death tests end through exit: the file goes then too.
    static std::string served;
    served = datafile;
    static const bool cleanup = atexit([] { std::remove(served.c_str()); }) == 0;
    (void)cleanup;
    Engine_Serve(datafile, entries);
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
