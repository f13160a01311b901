// Test set-up for the rig and term scenes: the engine as the host starts it, headless, on their own data.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include "art_rig.h"
#include "art_term.h"
#include "demo/rig/rig.h"
#include "demo/sky/sky.h"
#include "demo/term/term.h"
#include "render/texture.h"
#include "tests/engine_fixture.h"

// Runs the statement in a child that must end with exit code 1 and print text.
#define EXPECT_RIG_FATAL(text, ...) EXPECT_FATAL_OUTPUT(Test_Temp("fatal.txt"), text, __VA_ARGS__)

inline u32 Rig_Frame_Crc(void) { return Engine_Buffer_Crc(); }

// A cloud animation for the sky layer: 32 frames of soft drifting blobs.
inline std::vector<u8> Rig_Test_Sky(void) {
  std::vector<u8> sky(kSkyFileBytes);
  for (u32 f = 0; f < kSkyFrames; f++)
    for (u32 y = 0; y < kSkyHeight; y++)
      for (u32 x = 0; x < kSkyWidth; x++) {
        const u32 u = (x + f * 5) % kSkyWidth;
        sky[f * kSkyFrameBytes + y * kSkyWidth + x] = u8(((u * 7) ^ (y * 5)) % 96);
      }
  return sky;
}

// The engine as the host sets it up, the layer's state fresh, the given entries served as the data file.
class RigEngine : public EngineTest {
 public:
  void Start(u32 width, u32 height) {
    Mem_Done();
    Mem_Init(0);
    Vbe_Reset();
    Vbe_Init();
    Engine_Open_Mode_First(&surface, width, height);
    design_state = DesignState{};
    Design_Init();
  }

  void Serve(const std::vector<DatafileEntry>& entries) {
    datafile = Test_Temp("velmoran.dat");
    Engine_Serve(datafile, entries);
  }

  // The rig's and the term's data with a sky animation.
  static std::vector<DatafileEntry> Scene_Entries(bool with_term) {
    std::vector<DatafileEntry> entries;
    const std::string scratch = Test_Temp("scratch") + std::to_string(getpid());
    mkdir(scratch.c_str(), 0755);
    EXPECT_TRUE(Art_Rig_Entries(scratch, &entries));
    if (with_term) { EXPECT_TRUE(Art_Term_Entries(scratch, &entries)); }
    rmdir(scratch.c_str());
    entries.push_back({"sky/sky.pic", Rig_Test_Sky(), DATAFILE_RAW});
    return entries;
  }

  // The engine at width x height with the rig (and the term) loaded as the host loads them.
  void Load(u32 width, u32 height, bool with_term) {
    Start(width, height);
    Serve(Scene_Entries(with_term));
    Rig_Load();
    if (with_term) Term_Load();
    Sky_Load();
    Rig_Build_Textures();
  }

  static void Ticks(u32 n) { Engine_Ticks(n); }

  // Writes the frame as a PNG picture when VELMORAN_SCENE_DUMP names a directory.
  static void Dump(const char* name) {
    const char* dir = getenv("VELMORAN_SCENE_DUMP");
    if (dir) Engine_Dump_Frame(std::string(dir) + "/" + name + ".png");
  }
};
