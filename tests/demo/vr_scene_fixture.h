// Test set-up for the 3D scenes: the engine started as the host starts it, on data built in the test.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "demo/design.h"
#include "platform/capture.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

// A file name of the running test's own, so that tests run side by side do not share files.
inline std::string Scene_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("/tmp/") + t->test_suite_name() + "." + t->name() + "." + base;
}

// A scratch directory of the running test's own, for writers that go through files.
inline std::string Scene_Scratch_Dir(void) {
  const std::string dir = Scene_Temp("d");
  mkdir(dir.c_str(), 0755);
  return dir;
}

inline std::string Scene_Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs stmt in a child that must end with exit code 1 and print text.
#define EXPECT_SCENE_FATAL(stmt, text)                                              \
  do {                                                                              \
    const std::string out_path = Scene_Temp("fatal.txt");                           \
    EXPECT_EXIT(                                                                    \
        {                                                                           \
          if (!freopen(out_path.c_str(), "w", stdout)) exit(99);                    \
          stmt;                                                                     \
        },                                                                          \
        ::testing::ExitedWithCode(1), "");                                          \
    EXPECT_NE(Scene_Read_Text(out_path).find(text), std::string::npos)             \
        << Scene_Read_Text(out_path);                                               \
    std::remove(out_path.c_str());                                                  \
  } while (0)

inline u32 Scene_Frame_Crc(void) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(vbe_screen.frame), uInt(vbe_screen.width * vbe_screen.height * 4)));
}

// The heard position the tests play.
inline u32 scene_test_row = 0;
inline u32 Scene_Test_Row(void) { return scene_test_row; }
inline void Scene_Test_Position(u32* order, u32* row) {
  *order = 0;
  *row = scene_test_row;
}

class VrSceneTest : public ::testing::Test {
 protected:
  std::vector<u32> surface;
  std::string datafile;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!datafile.empty()) std::remove(datafile.c_str());
    Design_Set_Row_Reader(nullptr);
    Seq_Set_Position_Reader(nullptr);
  }

  // The engine at the output size as the host starts it, serving the entries as its data file.
  void Start(u32 width, u32 height, const std::vector<DatafileEntry>& entries) {
    datafile = Scene_Temp("velmoran.dat");
    ASSERT_TRUE(Datafile_Write(datafile, entries));
    Mem_Init(0);
    if (File_Is_Initialised()) File_Done();
    File_Set_Datafile(datafile.c_str());
    File_Init();
    surface.assign(size_t(width) * height, 0);
    Vbe_Init();
    Vbe_Set_Host_Surface(surface.data(), width, height);
    Demo_Force_Resolution(width, height);
    Demo_Select_Mode();
    Demo_Set_Border(7);
    Demo_Open_Mode();
    Math_Init();
    Poly_Init();
    Mesh_Reset();
    VR_Init();
    Vbe_Resize_Buffer(320, 200);
    Vbe_Alloc_Mix_Buffer();
    design_state = DesignState{};
    scene_test_row = 0;
    Design_Set_Row_Reader(Scene_Test_Row);
    Seq_Set_Position_Reader(Scene_Test_Position);
    Design_Init();
  }

  // Writes the frame as a picture into /tmp for a look (the frame tests do when VELMORAN_SCENE_DUMP is set).
 public:
  void Dump(const char* name) {
    const std::string path = std::string("/tmp/") + name;
    Plat_Write_Png(path.c_str(), vbe_screen.frame, vbe_screen.width, vbe_screen.height);
  }
};
