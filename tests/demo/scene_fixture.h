// Test set-up for the demo's scenes and post-effect layer: the engine started as the host starts it, on
// data made here.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "art_box.h"
#include "art_design.h"
#include "art_intro.h"
#include "art_race.h"
#include "art_rig.h"
#include "art_term.h"
#include "demo/box/box.h"
#include "demo/race/race.h"
#include "demo/rig/rig.h"
#include "demo/sky/sky.h"
#include "demo/term/term.h"
#include "music/music.h"
#include "render/texture.h"
#include "tests/engine_fixture.h"
#include "writer.h"

// A scratch directory of the running test's own, for writers that go through files.
inline std::string Scene_Scratch_Dir(void) {
  const std::string dir = Test_Short_Temp("d");
  mkdir(dir.c_str(), 0755);
  return dir;
}
// Writes the entries as a data file of the running test's own and returns its name.
inline std::string Scene_Datafile(const std::vector<DatafileEntry>& entries) {
  const std::string path = Test_Short_Temp("dat");
  if (!Datafile_Write(path, entries)) ADD_FAILURE() << "cannot write " << path;
  return path;
}

// A data file holding one black picture (24-bit or 8-bit) of the given size under the name.
inline std::vector<DatafileEntry> Picture_Entries(const char* name, u32 width, u32 height, u32 bits = 24) {
  std::vector<DatafileEntry> entries = {{name, {}}};
  const std::vector<u32> black(width * height);
  Art_Pcx_Bytes(black.data(), width, height, bits, Test_Short_Temp("small.pcx"), &entries[0].data);
  return entries;
}

// The intro's real entries (logos, flare pictures, sky).
inline std::vector<DatafileEntry> Intro_Entries(void) {
  std::vector<DatafileEntry> entries;
  if (!Art_Intro_Entries(Scene_Scratch_Dir(), &entries)) ADD_FAILURE() << "cannot make the intro's pictures";
  return entries;
}

// The row the post-effect layer's sway hears in the race and box tests: the one put in the music position.
inline u32 Scene_Music_Row(void) { return music_position.row; }

class SceneTest : public EngineTest {
 public:
  void TearDown() override {
    EngineTest::TearDown();
    Design_Set_Row_Reader(nullptr);
    Seq_Set_Position_Reader(nullptr);
  }

  // The engine at the output size with the letterbox (per cent), the mode opened before the renderers,
  // the generators seeded, the post-effect layer fresh; rows and positions come from engine_test_row.
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
    Seq_Set_Position_Reader(Engine_Test_Position);
    Design_Init();
  }
  void Start(u32 width, u32 height, const std::vector<DatafileEntry>& entries) { Start(width, height), Serve(entries); }
  // The engine over a width x height window in the host's order (renderers first), with the sequencer and
  // the music at four rows a beat.
  void Start_As_Host(u32 width, u32 height) {
    Mem_Init(0);
    Vbe_Init();
    Engine_Open_As_Host(&surface, width, height);
    Seq_Init();
    Music_Init();
    Music_Set_Beat(4);
  }

  void Serve(const std::vector<DatafileEntry>& entries) {
    // Children of death tests end through exit: the file goes then too.
    static std::string served;
    served = datafile = Test_Short_Temp("velmoran.dat");
    [[maybe_unused]] static const bool cleanup = atexit([] { std::remove(served.c_str()); }) == 0;
    Engine_Serve(datafile, entries);
  }

  // The race and box loaders in the host's order: the layer, then (after the eye, which reseeds the
  // generator and adds one texture) the box and the race; the gang's loader later leaves the near limit at 50.
  void Load_Race_And_Box(void) {
    std::vector<DatafileEntry> entries;
    EXPECT_TRUE(Art_Box_Entries(Scene_Scratch_Dir(), &entries));
    EXPECT_TRUE(Art_Race_Entries(Scene_Scratch_Dir(), &entries));
    Serve(entries);
    Design_Init();
    Design_Set_Row_Reader(Scene_Music_Row);
    Math_Seed_Random();
    Poly_New_Slot();
    Box_Load();
    Race_Load();
    Poly_Set_Near(50.0f);
  }

  // The rig's (and the term's) data with a sky animation.
  static std::vector<DatafileEntry> Rig_Entries(bool with_term) {
    std::vector<DatafileEntry> entries;
    EXPECT_TRUE(Art_Rig_Entries(Scene_Scratch_Dir(), &entries));
    if (with_term) { EXPECT_TRUE(Art_Term_Entries(Scene_Scratch_Dir(), &entries)); }
    std::vector<u8> sky(kSkyFileBytes);  // soft bands of cloud
    for (u32 i = 0; i < kSkyFileBytes; i++) sky[i] = u8((i % kSkyWidth * 7 ^ i / kSkyWidth * 5) % 96);
    entries.push_back({"sky/sky.pic", sky, DATAFILE_RAW});
    return entries;
  }
  // The rig (and the term) loaded at 320x200 as the host loads them.
  void Load_Rig(bool with_term) {
    Start(320, 200, Rig_Entries(with_term));
    Rig_Load();
    if (with_term) Term_Load();
    Sky_Load();
    Rig_Build_Textures();
  }

  static void Ticks(u32 n) { Engine_Ticks(n); }
  static u32& At(u32 x, u32 y) { return vbe_screen.frame[y * vbe_screen.width + x]; }
  static void Fill(u32 colour) { std::fill(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4, colour); }
};

// The fixture's set-up outside a fixture, for cases run in a child process.
struct SceneRun : SceneTest {
  void TestBody() override {}
};
