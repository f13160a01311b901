// The presenter on the headless platform: cleared target, rows copied unchanged, a target smaller than
// the frame, and the one-time stop when the back buffer cannot be had.
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

std::vector<u32> Frame(u32 w, u32 h) {
  std::vector<u32> f(w * h);
  for (u32 i = 0; i < f.size(); i++) f[i] = 0x7F000000u | i * 2654435761u >> 8;
  return f;
}
}  // namespace

TEST(Presenter, WindowedCopiesTheFrameUnchanged) {
  PlatConfig config;
  PlatWindow window = Open(config, 40, 30);
  EXPECT_EQ(Win_Init_Direct3D(window), 0);
  std::vector<u32> frame = Frame(40, 30);
  Win_Present_Frame(frame.data(), 40, 30);
  EXPECT_EQ(Plat_Presented_Frames(), 1u);
  u32 w, h;
  EXPECT_EQ(Back_Buffer(&w, &h), frame) << "the spare byte goes across as it is";
  Win_Release_Direct3D();
  Win_Present_Frame(frame.data(), 40, 30);  // without a device nothing happens
  EXPECT_EQ(Plat_Presented_Frames(), 1u);
  Plat_Done();
}

TEST(Presenter, ATargetSmallerThanTheFrameGetsOnlyWhatFits) {
  PlatConfig config;
  PlatWindow window = Open(config, 20, 10);
  ASSERT_EQ(Win_Init_Direct3D(window), 0);
  std::vector<u32> frame = Frame(40, 30);
  Win_Present_Frame(frame.data(), 40, 30);
  u32 w, h;
  std::vector<u32> back = Back_Buffer(&w, &h);
  ASSERT_EQ(w, 20u);
  ASSERT_EQ(h, 10u);
  for (u32 y = 0; y < 10; y++)
    for (u32 x = 0; x < 20; x++) ASSERT_EQ(back[y * 20 + x], frame[y * 40 + x]);
  // A smaller frame leaves the rest of the target cleared to opaque black.
  std::vector<u32> small = Frame(5, 4);
  Win_Present_Frame(small.data(), 5, 4);
  back = Back_Buffer(&w, &h);
  EXPECT_EQ(back[3 * 20 + 4], small[3 * 5 + 4]);
  EXPECT_EQ(back[3 * 20 + 5], 0xFF000000u);
  EXPECT_EQ(back[4 * 20], 0xFF000000u);
  Win_Release_Direct3D();
  Plat_Done();
}

TEST(Presenter, NoBackBufferStopsRenderingWithOneMessage) {
  PlatConfig config;
  config.fail = PLAT_FAIL_BACKBUFFER;
  PlatWindow window = Open(config, 16, 8);
  ASSERT_EQ(Win_Init_Direct3D(window), 0);
  EXPECT_TRUE(Win_Presenter_Rendering());
  std::vector<u32> frame = Frame(16, 8);
  for (int i = 0; i < 10; i++) Win_Present_Frame(frame.data(), 16, 8);
  EXPECT_FALSE(Win_Presenter_Rendering());
  EXPECT_STREQ(Plat_Last_Message_Box(), "Could not get the backbuffer! Rendering stopped.");
  EXPECT_EQ(Plat_Presented_Frames(), 10u) << "cleared frames are still shown";
  u32 w, h;
  for (u32 p : Back_Buffer(&w, &h)) ASSERT_EQ(p, 0xFF000000u);
  Win_Release_Direct3D();
  Plat_Done();
}

TEST(Presenter, FailedStartReportsFailure) {
  PlatConfig config;
  config.fail = PLAT_FAIL_PRESENTER;
  PlatWindow window = Open(config, 16, 8);
  EXPECT_EQ(Win_Init_Direct3D(window), WIN_E_FAIL);
  Plat_Done();
}
