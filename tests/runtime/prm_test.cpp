// Option table and parser: the engine's rows, both listings, parsing by prefix and case, values, fatal paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/demo.h"
#include "runtime/mem.h"
#include "runtime/options.h"
#include "runtime/prm.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
std::string Output_Of(void (*f)(void)) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}

void Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "velmoran");
  Prm_Init(i32(arguments.size()), arguments.data());
  Prm_Parse();
}

u32 Lines(const std::string& s) {
  u32 n = 0;
  for (char c : s) n += c == '\n';
  return n;
}
}  // namespace

TEST(PrmTable, TheEngineRegistersItsThirtyOneRows) {
  Demo_Add_Options();
  ASSERT_EQ(Prm_Get_Count(), 31);
  EXPECT_STREQ(Prm_Get_Option(1)->name, "config");
  EXPECT_STREQ(Prm_Get_Option(13)->name, "-h");
  EXPECT_EQ(Prm_Get_Option(13)->kind, 9);
  EXPECT_STREQ(Prm_Get_Option(23)->name, "mode:");
  EXPECT_EQ(Prm_Get_Option(23)->kind, 18);
  EXPECT_STREQ(Prm_Get_Option(31)->name, "superhelp");
  EXPECT_EQ(Prm_Get_Option(0), nullptr);
}

TEST(PrmTable, HelpListsTheTwelveSwitchesAndSuperHelpAddsTheSuperRows) {
  Demo_Add_Options();
  std::string help = Output_Of(Prm_Show_Options);
  EXPECT_EQ(help.rfind("Prm: Options:\n     config   \t   Configures video and soundcard settings.\n", 0), 0u);
  EXPECT_EQ(Lines(help), 1u + 12 + 1);
  EXPECT_NE(help.find("     help   \t   Displays this text.\n\n"), std::string::npos);
  std::string super = Output_Of(Prm_Show_Super_Options);
  EXPECT_EQ(super.rfind("Prm: Super Options:\n                config   Configures", 0), 0u);
  EXPECT_EQ(Lines(super), 1u + 12 + 14 + 1);
  EXPECT_NE(super.find("                fenrow   (Debug mode)\n"), std::string::npos);
  EXPECT_EQ(super.find(std::string(18, ' ') + "-h"), std::string::npos) << "the unlisted aliases";
}

TEST(PrmParse, WithoutInitNothingIsParsed) {
  Demo_Add_Options();
  Prm_Add_Argument("fenrow");
  Prm_Add_Argument("nonsense");
  Prm_Parse();
  for (u32 f = 0; f < DEMO_FLAG_COUNT; f++) EXPECT_EQ(Demo_Get_Flag(DemoFlag(f)), 0);
}

TEST(PrmParse, NamesIgnoreCaseAndTakeAMinusOrSlash) {
  Demo_Add_Options();
  testing::internal::CaptureStdout();
  Parse({"-FENROW", "/mode:640x400", "fenrow", "nofades", "Config"});
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "Demo: Debug-mode enabled.\n"
            "Demo: Forcing graphics resolution to 640x400\n"
            "Demo: Colorfades disabled.\n");
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_DEBUG), 1);
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_NO_FADES), 1);
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_VIDEO_SETTINGS), 1);
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_SOUND_SETTINGS), 1);
}

TEST(PrmParse, ValuesAfterTheColonReachTheirHandlers) {
  Demo_Add_Options();
  testing::internal::CaptureStdout();
  Parse({"data:other.dat", "MELGO:tune.xm", "videoXYZ", "mem", "led"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Demo: Datafile: other.dat\nDemo: Musicfile: tune.xm\n"
            "Demo: Memory usage measurement activated.\nDemo: LED tracking enabled.\n");
  EXPECT_STREQ(Demo_Get_Datafile_Name(), "other.dat");
  EXPECT_STREQ(Demo_Get_Music_Name(), "tune.xm");
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_EXTERNAL_MUSIC), 1);
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_VIDEO_SETTINGS), 1) << "a longer argument matches the row it begins with";
  EXPECT_EQ(Mem_Get_Measure(), 1);
  EXPECT_EQ(Demo_Get_Flag(DEMO_FLAG_LED), 1);
  EXPECT_STREQ(Prm_Get_Value(), "tune.xm");
}

TEST(PrmParse, BadArgumentsAreFatal) {
  Demo_Add_Options();
  EXPECT_FATAL(Parse({"mode:"}), "Prm: No parameter value specified in: mode:");
  EXPECT_FATAL(Parse({"nonsense"}), "Prm: Illegal parameter: nonsense");
  // The sign is dropped from the argument only, so the "-h" row never matches "-h".
  EXPECT_FATAL(Parse({"-h"}), "Prm: Illegal parameter: -h");
  EXPECT_FATAL(Parse({"mode:640"}), "Prm: Illegal parameter: mode:640");
  EXPECT_FATAL(Parse({"mode:axb"}), "Prm: Illegal parameter: mode:axb");
  std::string long_name = "data:" + std::string(100, 'n');
  EXPECT_FATAL(Parse({long_name.c_str()}), "Prm: Illegal parameter: data:nnn");
  EXPECT_FATAL(Prm_Remove_Option("nothing"), "Prm: Unable to remove parameter");
}

TEST(PrmParse, HelpOptionsListAndEndTheProgramWithCodeZero) {
  Demo_Add_Options();
  for (const char* option : {"/?", "help", "superhelp"}) {
    std::string out = Test_Path("out.txt");
    EXPECT_EXIT(
        {
          if (!freopen(out.c_str(), "w", stdout)) abort();
          Parse({option});
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read_Text(out).rfind(option[0] == 's' ? "Prm: Super Options:\n" : "Prm: Options:\n", 0), 0u) << option;
  }
}

TEST(PrmTable, RemovingTakesTheLastEqualRowAndTablesAreBounded) {
  Prm_Add_Option("a", 1, nullptr, "first");
  Prm_Add_Option("b", 1, nullptr, "");
  Prm_Add_Option("A", 1, nullptr, "second");
  EXPECT_EQ(Prm_Remove_Option("a"), 2);
  EXPECT_STREQ(Prm_Get_Option(1)->help, "first");
  EXPECT_STREQ(Prm_Get_Option(2)->name, "b");
  for (int i = 0; i < 47; i++) Prm_Add_Option("x", 1, nullptr, "");
  EXPECT_FATAL(Prm_Add_Option("y", 1, nullptr, ""), "Prm: Too many options");
  for (int i = 0; i < 30; i++) Prm_Add_Argument("x");
  EXPECT_FATAL(Prm_Add_Argument("x"), "Prm: Too many parameters");
}
