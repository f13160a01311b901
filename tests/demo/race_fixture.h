// Test set-up for the race and box scenes: the engine as the host starts it, over their own data file.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "art_box.h"
#include "art_race.h"
#include "datafile_writer.h"
#include "demo/box/box.h"
#include "demo/design.h"
#include "demo/race/race.h"
#include "music/music.h"
#include "platform/capture.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

// A file name of the running test's own, so that tests run side by side do not share files.
inline std::string Race_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(t->test_suite_name()) + "." + t->name() + "." + base;
}

inline std::string Race_Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs stmt in a child that must end with exit code 1 and print text.
#define EXPECT_SCENE_FATAL(stmt, text)                                                   \
  do {                                                                                   \
    const std::string out_path = Race_Temp("fatal.txt");                                 \
    EXPECT_EXIT(                                                                         \
        {                                                                                \
          if (!freopen(out_path.c_str(), "w", stdout)) exit(99);                         \
          stmt;                                                                          \
        },                                                                               \
        ::testing::ExitedWithCode(1), "");                                               \
    EXPECT_NE(Race_Read_Text(out_path).find(text), std::string::npos) << Race_Read_Text(out_path); \
    std::remove(out_path.c_str());                                                       \
  } while (0)

// The row the post-effect layer's sway hears: the one the test put in the music position.
inline u32 Scene_Test_Row(void) { return music_position.row; }

// Each test is its own process (CTest runs them one by one), so the engine starts fresh every time.
class SceneTest : public ::testing::Test {
 protected:
  std::vector<u32> surface;
  std::string data_path;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!data_path.empty()) std::remove(data_path.c_str());
  }

  // The engine over a width x height window, as the host sets it up, with the 7 % letterbox.
  void Start(u32 width, u32 height) {
    Mem_Init(0);
    surface.assign(width * height, 0);
    Vbe_Init();
    Vbe_Set_Host_Surface(surface.data(), width, height);
    Demo_Force_Resolution(width, height);
    Demo_Select_Mode();
    Demo_Set_Border(7);
    Math_Init();
    Poly_Init();
    Mesh_Reset();
    VR_Init();
    Demo_Open_Mode();
    Vbe_Resize_Buffer(320, 200);
    Vbe_Alloc_Mix_Buffer();
    Seq_Init();
    Music_Init();
    Music_Set_Beat(4);
  }

  // A data file with the given entries, opened by the file layer.
  void Open_Data(const std::vector<DatafileEntry>& entries) {
    data_path = Race_Temp("velmoran.dat");
    ASSERT_TRUE(Datafile_Write(data_path, entries));
    File_Set_Datafile(data_path.c_str());
    File_Init();
  }

  std::vector<DatafileEntry> Scene_Entries(void) {
    // The writers' scratch files go into a directory of the test's own.
    std::vector<DatafileEntry> entries;
    const std::string dir = Race_Temp("parts");
    mkdir(dir.c_str(), 0755);
    EXPECT_TRUE(Art_Box_Entries(dir, &entries));
    EXPECT_TRUE(Art_Race_Entries(dir, &entries));
    rmdir(dir.c_str());
    return entries;
  }

  // The loaders in the host's order: the layer, then (after the eye, which reseeds the generator and adds
  // one texture) the box and the race; the gang's loader later leaves the near limit at 50.
  void Load_Scenes(void) {
    Open_Data(Scene_Entries());
    Design_Init();
    Design_Set_Row_Reader(Scene_Test_Row);
    Math_Seed_Random();
    Poly_New_Slot();
    Box_Load();
    Race_Load();
    Poly_Set_Near(50.0f);
  }

  // Runs n ticks of the installed tick callback, as the host's frame step does.
  void Ticks(u32 n) {
    for (u32 i = 0; i < n; i++) Music_Call_Callback();
  }

  u32 Frame_Crc(void) {
    return u32(crc32(0, reinterpret_cast<const Bytef*>(vbe_screen.frame), vbe_screen.width * vbe_screen.height * 4));
  }

  // Writes the frame as a PNG picture under /tmp when VELMORAN_SCENE_DUMP is set (for looking at it).
  void Dump(const char* name) {
    if (!getenv("VELMORAN_SCENE_DUMP")) return;
    const std::string path = std::string("/tmp/") + name + ".png";
    Plat_Write_Png(path.c_str(), vbe_screen.frame, vbe_screen.width, vbe_screen.height);
  }
};
