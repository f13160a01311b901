// The presenter on the headless platform: rows copied unchanged, what does not fit, the cleared rest, the
// one-time stop when the back buffer cannot be had, and a failed start.
#include "host/present.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/plat.h"

namespace {
PlatWindow Open(PlatConfig& config, i32 client_w, i32 client_h) {
  config.backend = PLAT_HEADLESS;
  EXPECT_TRUE(Plat_Init(config));
  PlatClass cls = {Plat_Def_Window_Proc, "present", 0};
  EXPECT_TRUE(Plat_Register_Class(&cls));
  return Plat_Create_Window("present", "t", client_w + config.border_w, client_h + config.border_h);
}
std::vector<u32> Back_Buffer(u32* w, u32* h) {
  u32 *pixels, pitch;
  EXPECT_TRUE(Plat_Present_Lock(&pixels, &pitch, w, h));
  std::vector<u32> out;
  for (u32 y = 0; y < *h; y++) out.insert(out.end(), pixels + y * (pitch / 4), pixels + y * (pitch / 4) + *w);
  Plat_Present_Unlock();
  return out;
}
std::vector<u32> Frame(u32 w, u32 h) {  // scattered colours, the spare byte set
  std::vector<u32> f(w * h);
  for (u32 i = 0; i < f.size(); i++) f[i] = 0x7F000000u | i * 2654435761u >> 8;
  return f;
}
}  // namespace

// The frame's rows go across unchanged, the spare byte too; a target smaller than the frame gets what
// fits, and the rest of a target larger than the frame is cleared to opaque black.
TEST(Presenter, CopiesWhatFitsAndClearsTheRest) {
  PlatConfig config;
  PlatWindow window = Open(config, 20, 10);
  ASSERT_EQ(Win_Init_Direct3D(window), 0);
  for (auto [fw, fh] : {std::pair<u32, u32>{20, 10}, {40, 30}, {5, 4}}) {
    std::vector<u32> frame = Frame(fw, fh);
    Win_Present_Frame(frame.data(), fw, fh);
    u32 w, h;
    std::vector<u32> back = Back_Buffer(&w, &h);
    ASSERT_EQ(std::make_pair(w, h), std::make_pair(20u, 10u));
    for (u32 y = 0; y < 10; y++)
      for (u32 x = 0; x < 20; x++) ASSERT_EQ(back[y * 20 + x], x < fw && y < fh ? frame[y * fw + x] : 0xFF000000u);
  }
  EXPECT_EQ(Plat_Presented_Frames(), 3u);
  Win_Release_Direct3D();
  Win_Present_Frame(Frame(5, 4).data(), 5, 4);  // without a device nothing happens
  EXPECT_EQ(Plat_Presented_Frames(), 3u);
  Plat_Done();
}

TEST(Presenter, NoBackBufferStopsRenderingWithOneMessageAndAFailedStartIsReported) {
  PlatConfig config;
  config.fail = PLAT_FAIL_BACKBUFFER;
  PlatWindow window = Open(config, 16, 8);
  ASSERT_EQ(Win_Init_Direct3D(window), 0);
  EXPECT_TRUE(Win_Presenter_Rendering());
  for (int i = 0; i < 10; i++) Win_Present_Frame(Frame(16, 8).data(), 16, 8);
  EXPECT_FALSE(Win_Presenter_Rendering());
  EXPECT_STREQ(Plat_Last_Message_Box(), "Could not get the backbuffer! Rendering stopped.");
  EXPECT_EQ(Plat_Presented_Frames(), 10u) << "cleared frames are still shown";
  u32 w, h;
  for (u32 p : Back_Buffer(&w, &h)) ASSERT_EQ(p, 0xFF000000u);
  Win_Release_Direct3D();
  Plat_Done();
  config.fail = PLAT_FAIL_PRESENTER;  // a presenter that does not start reports the failure
  EXPECT_EQ(Win_Init_Direct3D(Open(config, 16, 8)), WIN_E_FAIL);
  Plat_Done();
}
