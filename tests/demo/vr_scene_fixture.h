// Test set-up for the 3D scenes: the engine started as the host starts it, on data built in the test.
#pragma once
#include <sys/stat.h>

#include "tests/engine_fixture.h"

// A scratch directory of the running test's own, for writers that go through files.
inline std::string Scene_Scratch_Dir(void) {
  const std::string dir = Test_Temp("d");
  mkdir(dir.c_str(), 0755);
  return dir;
}

// Runs stmt in a child that must end with exit code 1 and print text.
#define EXPECT_SCENE_FATAL(stmt, text) EXPECT_FATAL_OUTPUT(Test_Temp("fatal.txt"), text, stmt)

class VrSceneTest : public EngineTest {
 protected:
  void TearDown() override {
    EngineTest::TearDown();
    Design_Set_Row_Reader(nullptr);
    Seq_Set_Position_Reader(nullptr);
  }

  // The engine at the output size as the host starts it, serving the entries as its data file; the mode
  // opens before the renderers start.
  void Start(u32 width, u32 height, const std::vector<DatafileEntry>& entries) {
    datafile = Test_Temp("velmoran.dat");
    Mem_Init(0);
    Engine_Serve(datafile, entries);
    Vbe_Init();
    Engine_Open_Mode_First(&surface, width, height);
    design_state = DesignState{};
    engine_test_row = 0;
    Design_Set_Row_Reader(Engine_Test_Row);
    Seq_Set_Position_Reader(Engine_Test_Position);
    Design_Init();
  }

 public:
  // Writes the frame as a picture into /tmp for a look (the frame tests do when VELMORAN_SCENE_DUMP is set).
  void Dump(const char* name) { Engine_Dump_Frame(std::string("/tmp/") + name); }
};
