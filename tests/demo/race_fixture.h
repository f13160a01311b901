// Test set-up for the race and box scenes: the engine as the host starts it, over their own data file.
#pragma once
#include <sys/stat.h>

#include "art_box.h"
#include "art_race.h"
#include "demo/box/box.h"
#include "demo/race/race.h"
#include "render/texture.h"
#include "tests/engine_fixture.h"

// Runs stmt in a child that must end with exit code 1 and print text.
#define EXPECT_SCENE_FATAL(stmt, text) EXPECT_FATAL_OUTPUT(Test_File_Name("fatal.txt"), text, stmt)

// The row the post-effect layer's sway hears: the one the test put in the music position.
inline u32 Race_Test_Row(void) { return music_position.row; }

// Each test is its own process (CTest runs them one by one), so the engine starts fresh every time.
class SceneTest : public EngineTest {
 protected:
  // The engine over a width x height window, as the host sets it up, with the 7 % letterbox.
  void Start(u32 width, u32 height) {
    Mem_Init(0);
    Vbe_Init();
    Engine_Open_As_Host(&surface, width, height);
    Seq_Init();
    Music_Init();
    Music_Set_Beat(4);
  }

  // A data file with the given entries, opened by the file layer.
  void Open_Data(const std::vector<DatafileEntry>& entries) {
    datafile = Test_File_Name("velmoran.dat");
    Engine_Serve(datafile, entries);
  }

  std::vector<DatafileEntry> Scene_Entries(void) {
    // The writers' scratch files go into a directory of the test's own.
    std::vector<DatafileEntry> entries;
    const std::string dir = Test_File_Name("parts");
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
    Design_Set_Row_Reader(Race_Test_Row);
    Math_Seed_Random();
    Poly_New_Slot();
    Box_Load();
    Race_Load();
    Poly_Set_Near(50.0f);
  }

  void Ticks(u32 n) { Engine_Ticks(n); }
  u32 Frame_Crc(void) { return Engine_Frame_Crc(); }

  // Writes the frame as a PNG picture under /tmp when VELMORAN_SCENE_DUMP is set (for looking at it).
  void Dump(const char* name) {
    if (getenv("VELMORAN_SCENE_DUMP")) Engine_Dump_Frame(std::string("/tmp/") + name + ".png");
  }
};
