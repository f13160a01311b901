// Test set-up for the rig and term scenes: the engine as the host starts it, headless, on their own data.
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

#include "art_rig.h"
#include "art_term.h"
#include "datafile_writer.h"
#include "demo/design.h"
#include "demo/rig/rig.h"
#include "demo/sky/sky.h"
#include "demo/term/term.h"
#include "music/music.h"
#include "platform/capture.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/vbe.h"

inline std::string Rig_Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A file name of the running test's own, so that tests run side by side do not share files.
inline std::string Rig_Temp(const char* base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("/tmp/") + t->test_suite_name() + "." + t->name() + "." + base;
}

// Runs the statement in a child that must end with exit code 1 and print text.
#define EXPECT_RIG_FATAL(text, ...)                                             \
  do {                                                                          \
    const std::string out_path = Rig_Temp("fatal.txt");                         \
    EXPECT_EXIT(                                                                \
        {                                                                       \
          if (!freopen(out_path.c_str(), "w", stdout)) exit(99);                \
          __VA_ARGS__;                                                          \
        },                                                                      \
        ::testing::ExitedWithCode(1), "");                                      \
    EXPECT_NE(Rig_Read_Text(out_path).find(text), std::string::npos) << Rig_Read_Text(out_path); \
    std::remove(out_path.c_str());                                              \
  } while (0)

inline u32 Rig_Frame_Crc(void) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(vbe_screen.frame), vbe_screen.frame_size));
}

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
class RigEngine : public ::testing::Test {
 public:
  std::vector<u32> surface;
  std::string datafile;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!datafile.empty()) std::remove(datafile.c_str());
  }

  void Start(u32 width, u32 height) {
    Mem_Done();
    Mem_Init(0);
    Vbe_Reset();
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
    Design_Init();
  }

  void Serve(const std::vector<DatafileEntry>& entries) {
    datafile = Rig_Temp("velmoran.dat");
    ASSERT_TRUE(Datafile_Write(datafile, entries));
    if (File_Is_Initialised()) File_Done();
    File_Set_Datafile(datafile.c_str());
    File_Init();
  }

  // The rig's and the term's data with a sky animation.
  static std::vector<DatafileEntry> Scene_Entries(bool with_term) {
    std::vector<DatafileEntry> entries;
    const std::string scratch = Rig_Temp("scratch") + std::to_string(getpid());
    mkdir(scratch.c_str(), 0755);
    EXPECT_TRUE(Art_Rig_Entries(scratch, &entries));
    if (with_term) EXPECT_TRUE(Art_Term_Entries(scratch, &entries));
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

  // Ticks through the installed tick callback, as the host's frame step runs them.
  static void Ticks(u32 n) {
    for (u32 i = 0; i < n; i++) Music_Call_Callback();
  }

  // Writes the frame as a PNG picture when VELMORAN_SCENE_DUMP names a directory.
  static void Dump(const char* name) {
    const char* dir = getenv("VELMORAN_SCENE_DUMP");
    if (!dir) return;
    const std::string path = std::string(dir) + "/" + name + ".png";
    Plat_Write_Png(path.c_str(), vbe_screen.frame, vbe_screen.width, vbe_screen.height);
  }
};
