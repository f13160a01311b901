// Engine start-up and shutdown: the banner, the order of the modules, failed start-ups, console glyphs.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "music/music.h"
#include "runtime/con.h"
#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

TEST(EngineStart, BannerFirstThenTheModulesInOrderOrTheFirstFailure) {
  const std::string banner = "\xF0 Tarvek demo engine v1.1b - Nolt demo system \xF0\n", mem = "Mem: Init OK.  0 KB free.\n";
  std::string dat = "start_empty.dat";  // names within the buffer's size
  Write_Bytes(dat, {0, 0, 2, 0, 0, 0, 0, 0, 0, 0});  // an empty data file: no records, the trailer alone
  std::string long_name(kDemoNameBytes, 'n');
  const struct {
    std::string datafile;
    int code;
    std::string output;
  } rows[] = {
      {"", 0, banner + mem},
      {dat, 0, banner + mem},
      // The file layer fails after memory started; the exit hook shuts the engine down.
      {"start_missing.dat", 1, banner + mem + "\n\xFE File: Unable to open datafile\r\n"},
      // The name is refused before any module starts.
      {long_name, 1, banner + "\n\xFE Demo: Data file name too long: " + long_name.substr(0, 45) + "\r\n"},
  };
  const std::string module = std::string(VELMORAN_SOURCE_DIR) + "/tests/data/xm/play_xm_vol_env_clamp.xm";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.datafile);
    EXPECT_CHILD(row.code, {
      // At the process's end, by a shutdown or by a fatal error through the exit hook, memory and
      // music are down.
      atexit([] { printf("<%d%d>", int(Mem_Is_Initialised()), int(Music_Is_Loaded())); });
      Demo_Init(row.datafile.c_str(), 0);
      Music_Load(module.c_str());
      // Started: every module is up; shut down: every module is down again.
      bool up = Err_Is_Initialised() && Mem_Is_Initialised() && File_Is_Initialised() && Music_Is_Loaded();
      Demo_Shutdown();
      bool down = !Err_Is_Initialised() && !Mem_Is_Initialised() && !File_Is_Initialised() && !Music_Is_Loaded();
      printf("[%d%d]", int(up), int(down));
    });
    std::string out = Child_Output();
    EXPECT_EQ(out.substr(0, row.output.size()), row.output);
    EXPECT_EQ(out.substr(out.size() - (row.code ? 4 : 8)), row.code ? "<00>" : "[11]<00>");
  }
  // A name of the buffer's size less one is kept.
  std::string name(kDemoNameBytes - 1, 'a');
  Demo_Set_Music_Name(name.c_str());
  EXPECT_EQ(Demo_Get_Music_Name(), name);
  EXPECT_FATAL("Demo: Music file name too long: aaa", Demo_Set_Music_Name((name + "a").c_str()));
  EXPECT_FATAL("File: Datafile name too long: fff", File_Set_Datafile(std::string(80, 'f').c_str()));
}

TEST(ConsoleGlyph, Utf8OnlyOnAUtf8Terminal) {
  EXPECT_TRUE(Con_Wants_Utf8("C.UTF-8", true) && Con_Wants_Utf8("en_US.utf8", true));
  for (const char* other : {"C", "POSIX", ""}) EXPECT_FALSE(Con_Wants_Utf8(other, true)) << other;
  EXPECT_FALSE(Con_Wants_Utf8("de_DE.UTF-8", false)) << "not on a terminal";
  for (auto [glyph, utf8, text] : {std::tuple{CON_TRIPLE_BAR, false, "\xF0"}, {CON_SQUARE, false, "\xFE"},
                                   {CON_TRIPLE_BAR, true, "\xE2\x89\xA1"}, {CON_SQUARE, true, "\xE2\x96\xA0"}})
    EXPECT_STREQ(Con_Glyph_Text(glyph, utf8), text) << int(glyph) << utf8;  // U+2261, U+25A0
}
