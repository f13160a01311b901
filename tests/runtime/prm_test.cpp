// Option table and parser: parsing by prefix and case, values, the help listings, bounded tables, fatal paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "runtime/mem.h"
#include "runtime/options.h"
#include "runtime/prm.h"
#include "tests/engine_fixture.h"
#include "video/vbe.h"

namespace {
void Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "velmoran");
  Prm_Init(i32(arguments.size()), arguments.data());
  Prm_Parse();
}
}  // namespace

TEST(PrmParse, NamesIgnoreCaseTakeAMinusOrSlashAndValuesReachTheirHandlers) {
  Demo_Add_Options();
  EXPECT_EQ(Output_Of([] {
              Parse({"-FENROW", "/mode:640x400", "nofades", "Config", "data:other.dat", "MELGO:tune.xm", "videoXYZ",
                     "raster", "cpu", "cpu", "mem", "mem", "fenrow", "led"});
            }),
            "Demo: Debug-mode enabled.\nDemo: Forcing graphics resolution to 640x400\n"
            "Demo: Colorfades disabled.\nDemo: Datafile: other.dat\nDemo: Musicfile: tune.xm\n"
            "Demo: Raster-mode enabled.\nVbe: Using standard VGA in black & white.\nDemo: cpu-mode enabled.\n"
            "Demo: Memory usage measurement activated.\nDemo: LED tracking enabled.\n");  // once-only: once
  std::vector<i32> set = {Mem_Get_Measure(), vbe_screen.black_white, !strcmp(Demo_Get_Datafile_Name(), "other.dat"),
                          !strcmp(Demo_Get_Music_Name(), "tune.xm")};
  for (DemoFlag f : {DEMO_FLAG_DEBUG, DEMO_FLAG_NO_FADES, DEMO_FLAG_SOUND_SETTINGS, DEMO_FLAG_VIDEO_SETTINGS,
                     DEMO_FLAG_EXTERNAL_MUSIC, DEMO_FLAG_RASTER, DEMO_FLAG_CPU, DEMO_FLAG_LED})
    set.push_back(Demo_Get_Flag(f));
  EXPECT_EQ(set, std::vector<i32>(12, 1));
}

TEST(PrmParse, BadArgumentsAreFatal) {
  Demo_Add_Options();
  EXPECT_FATAL("Prm: No parameter value specified in: mode:", Parse({"mode:"}));
  EXPECT_FATAL("Prm: Illegal parameter: nonsense", Parse({"nonsense"}));
  // The sign is dropped from the argument only, so the "-h" row never matches "-h".
  EXPECT_FATAL("Prm: Illegal parameter: -h", Parse({"-h"}));
  EXPECT_FATAL("Prm: Illegal parameter: mode:640x8193", Parse({"mode:640x8193"}));
  for (size_t n : {size_t(100), size_t(kDemoNameBytes)}) {  // a name must leave room for its end mark
    std::string long_name = "data:" + std::string(n, 'n');
    EXPECT_FATAL("Prm: Illegal parameter: data:nnn", Parse({long_name.c_str()}));
  }
  EXPECT_FATAL("Prm: Unable to remove parameter", Prm_Remove_Option("nothing"));
}

TEST(PrmParse, HelpListsTheTwelveSwitchesSuperHelpAddsFourteenAndBothEndWithCodeZero) {
  Demo_Add_Options();
  const struct {
    const char* option;
    const char* heading;
    long lines;
  } rows[] = {{"/?", "Prm: Options:\n", 1 + 12 + 1}, {"superhelp", "Prm: Super Options:\n", 1 + 12 + 14 + 1}};
  for (const auto& row : rows) {
    EXPECT_CHILD(0, Parse({row.option}));
    std::string text = Child_Output();
    EXPECT_EQ(text.rfind(row.heading, 0), 0u) << row.option;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), row.lines) << row.option;
  }
}

TEST(PrmTable, TablesAreBounded) {
  for (int i = 0; i < 49; i++) Prm_Add_Option("x", 1, nullptr, "");
  EXPECT_FATAL("Prm: Too many options", Prm_Add_Option("y", 1, nullptr, ""));
  for (int i = 0; i < 30; i++) Prm_Add_Argument("x");
  EXPECT_FATAL("Prm: Too many parameters", Prm_Add_Argument("x"));
}
