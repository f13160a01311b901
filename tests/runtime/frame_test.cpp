// Frame services: the loading bar byte for byte, loaders, trace numbering, the frame-rate meter, the music
// meter, mode selection with the letterbox, and the frame hook's overlay.
#include "runtime/frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/plat.h"
#include "render/mesh.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/key.h"
#include "runtime/mem.h"
#include "video/font.h"
#include "video/vbe.h"
#include "tests/runtime/runtime_test_util.h"
#include "writer.h"

namespace {
std::vector<int> calls;
void Loader_A(void) { calls.push_back(1); }
void Loader_B(void) { calls.push_back(2); }
void Loader_Escape(void) { Key_Set_Down(KEY_ESCAPE); }

std::string Bar(const std::string& dots_and_after) { return "Demo: Loading [" + dots_and_after; }

// The show's mode over a fresh surface: forced resolution, selection, a letterbox of 7 per cent, opening.
void Open_Show_Mode(std::vector<u32>* surface, u32 width, u32 height) {
  Mem_Init(0);
  surface->assign(size_t(width) * height, 0);
  Vbe_Init();
  Vbe_Set_Host_Surface(surface->data(), width, height);
  Demo_Force_Resolution(width, height);
  Demo_Select_Mode();
  Demo_Set_Border(7);
  Demo_Open_Mode();
}
}  // namespace

TEST(LoadingBar, StepsDrawDotsBackspacesAndMarks) {
  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(1, 40);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, Bar(std::string(40, '.') + "]" + std::string(41, '\b') + "\n"));

  calls.clear();
  Demo_Add_Init(Loader_A);
  Demo_Add_Init(Loader_B);
  Demo_Add_Init(Loader_A);
  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(0, 0);
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, Bar("...]\b\b\b\b\xfe\xfe\xfe\n"));
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 1}));

  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(0, 0);  // the list was emptied
  EXPECT_EQ(testing::internal::GetCapturedStdout(), Bar("]\b\n"));
  EXPECT_EQ(calls.size(), 3u);
}

TEST(LoadingBar, LengthsAbove127DrawNoDots) {
  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(200, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), Bar("]\n"));
  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(127, 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, Bar(std::string(127, '.') + "]" + std::string(128, '\b') + "\n"));
}

TEST(LoadingBar, EscapeDuringLoadingEndsTheProgram) {
  Demo_Add_Init(Loader_Escape);
  std::string out = Test_Path("out.txt");
  EXPECT_EXIT(
      {
        if (!freopen(out.c_str(), "w", stdout)) abort();
        Demo_Run_Init_Sequence(0, 0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Read_Text(out), Bar(".]\b\b\xfe\n"));
  Key_Set_Up(KEY_ESCAPE);
  testing::internal::CaptureStdout();
  Demo_Run_Init_Sequence(0, 0);  // empties the list again
  testing::internal::GetCapturedStdout();
}

TEST(FrameFatal, A53rdLoaderIsRefused) {
  EXPECT_FATAL(
      {
        for (u32 i = 0; i < kDemoMaxLoaders + 1; i++) Demo_Add_Init(Loader_A);
      },
      "Demo: Too many loaders");
}

TEST(Trace, LinesAreNumberedInGroupsOfSeven) {
  Demo_Trace("not traced yet");
  Demo_Trace_Init();
  for (int i = 0; i < 7; i++) Demo_Trace("line");
  Demo_Trace_Number("Demo_Run_Init_Sequence: ", 7);
  Demo_Trace_Two("two", "words");
  Demo_Trace_Stop();
  Demo_Trace("after the stop");
  std::vector<u8> bytes;
  ASSERT_TRUE(Read_File("trace.dat", &bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "Demo_Trace:\n   1: line\n   2: line\n   3: line\n   4: line\n   5: line\n   6: line\n   7: line\n"
            "  10: Demo_Run_Init_Sequence:  7\n  11: two words\n");
}

TEST(FrameRate, TenFramesIn200MillisecondsShow50) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fps = 50;  // each paint request is 20 virtual milliseconds
  ASSERT_TRUE(Plat_Init(config));
  PlatClass cls = {Plat_Def_Window_Proc, "frame", 0};
  ASSERT_TRUE(Plat_Register_Class(&cls));
  PlatWindow w = Plat_Create_Window("frame", "t", 320, 200);
  Plat_Invalidate(w);
  PlatMsg m;
  auto frame = [&]() {
    EXPECT_TRUE(Plat_Get_Message(&m));
    return Demo_Frame_Rate();
  };
  for (int i = 0; i < 10; i++) frame();  // the first measurement, from whatever came before
  std::vector<f32> rates;
  for (int i = 0; i < 20; i++) rates.push_back(frame());
  for (int i = 0; i < 9; i++) EXPECT_EQ(rates[i], rates[0]);
  EXPECT_FLOAT_EQ(rates[9], 50.0f);
  for (int i = 10; i < 19; i++) EXPECT_FLOAT_EQ(rates[i], 50.0f) << "shown unchanged until the next ten frames";
  EXPECT_FLOAT_EQ(rates[19], 50.0f);
  char text[16];
  snprintf(text, sizeof text, "%2.2f", rates[19]);
  EXPECT_STREQ(text, "50.00");
  // Ten frames without any time passing keep the last rate.
  for (int i = 0; i < 10; i++) Demo_Frame_Rate();
  EXPECT_FLOAT_EQ(Demo_Frame_Rate(), 50.0f);
  Plat_Done();
}

TEST(ChannelMeter, FallsFromBarToBaseline) {
  u8 sounding[4] = {60, 0, 0, 0};
  u8 silent[4] = {0, 0, 0, 0};
  Demo_Step_Channel_Meter(silent, 2);
  EXPECT_EQ(std::string(Demo_Get_Channel_Meter(), 2), "^^") << "a channel that never sounded";
  Demo_Step_Channel_Meter(sounding, 2);
  EXPECT_EQ(std::string(Demo_Get_Channel_Meter(), 2), "[^");
  std::string seen;
  for (int i = 0; i < 4; i++) {
    Demo_Step_Channel_Meter(silent, 2);
    seen += Demo_Get_Channel_Meter()[0];
  }
  EXPECT_EQ(seen, "\\]^^");
  EXPECT_EQ(strlen(Demo_Get_Channel_Meter()), kDemoMeterChannels);
}

namespace {
class Modes : public ::testing::TestWithParam<std::pair<u32, u32>> {};
}  // namespace

TEST_P(Modes, BorderOfSevenLetterboxesTheFrame) {
  auto [width, height] = GetParam();
  EXPECT_EXIT(
      {
        std::vector<u32> surface;
        Open_Show_Mode(&surface, width, height);
        if (Demo_Get_Selected_Mode() == 0) exit(10);
        u32 p = height * 7 / 100;
        if (vbe_screen.width != width || vbe_screen.height != height - 2 * p) exit(11);
        if (vbe_screen.visible_page != reinterpret_cast<u8*>(surface.data() + p * width)) exit(12);
        // A frame of ones presented leaves the letterbox rows untouched.
        for (u32 i = 0; i < vbe_screen.width * vbe_screen.height; i++) vbe_screen.frame[i] = 1;
        Demo_Frame_Hook();
        for (u32 y = 0; y < height; y++)
          if (surface[y * width] != (y >= p && y < height - p ? 1u : 0u)) exit(13);
        exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
INSTANTIATE_TEST_SUITE_P(Sizes, Modes,
                         ::testing::Values(std::make_pair(320u, 200u), std::make_pair(640u, 400u),
                                           std::make_pair(960u, 600u)));

TEST(FrameHook, DebugModeDrawsTheOverlayBeforePresenting) {
  EXPECT_EXIT(
      {
        std::vector<u32> surface;
        Open_Show_Mode(&surface, 320, 200);
        Demo_Set_Flag(DEMO_FLAG_DEBUG, 1);
        Demo_Frame_Hook();
        // "FPS: 0.00": the F's top row (FC) at x 15 of line 10, 14 lines down the surface.
        u32 row = (14 + 10) * 320;
        for (u32 x = 15; x < 21; x++)
          if (surface[row + x] != 0xF0F0F0) exit(20);
        if (surface[row + 21] != 0) exit(21);
        Demo_Toggle_Overlay();
        std::fill(vbe_screen.frame, vbe_screen.frame + 320 * 172, 0);
        Demo_Frame_Hook();
        if (surface[row + 15] != 0) exit(22);
        exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(FrameHook, OverlayAddsTheVrLinesWhileASceneIsSelected) {
  EXPECT_EXIT(
      {
        std::vector<u32> surface;
        Open_Show_Mode(&surface, 320, 200);
        Demo_Show_Debug_Info();
        u32 plain = Vbe_Get_Print_Line();
        Mesh_Reset();
        VR_Init();
        Mesh_Select_Scene(Mesh_Create_Scene(16, 16, 4, 2, 16));
        Demo_Show_Debug_Info();
        // The scene line and the two count lines, 10 pixels each; no path runs, so no frame line.
        exit(Vbe_Get_Print_Line() == plain + 3 * 10 ? 0 : 30);
      },
      ::testing::ExitedWithCode(0), "");
}
