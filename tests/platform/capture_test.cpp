// Capture of presented frames: the frame choice, PNG pictures ImageMagick reads back, and an AVI of a
// headless run that ffprobe counts.
#include "platform/capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/plat.h"
#include "writer.h"
#include "tests/test_util.h"

namespace {

u32 Pattern(u32 x, u32 y, u32 frame) { return 0xEE000000u | ((x * 9 + frame) & 255) << 16 | ((y * 31) & 255) << 8 | (frame * 40 & 255); }
}  // namespace

TEST(Capture, FrameChoices) {
  u32 list[4], count, every;
  EXPECT_TRUE(Plat_Capture_Parse_Frames("1,5,30", list, &count, 4, &every));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(every, 0u);
  EXPECT_EQ(list[2], 30u);
  EXPECT_TRUE(Plat_Capture_Parse_Frames("every:25", list, &count, 4, &every));
  EXPECT_EQ(every, 25u);
  EXPECT_TRUE(Plat_Capture_Parse_Frames("", list, &count, 4, &every));
  EXPECT_EQ(every, 1u);
  EXPECT_FALSE(Plat_Capture_Parse_Frames("every:0", list, &count, 4, &every));
  EXPECT_FALSE(Plat_Capture_Parse_Frames("1,x", list, &count, 4, &every));
  EXPECT_FALSE(Plat_Capture_Parse_Frames("1,2,3,4,5", list, &count, 4, &every));
}

TEST(Capture, PngPicturesReadBackExactly) {
  const u32 w = 7, h = 3;
  std::vector<u32> pixels(w * h);
  for (u32 i = 0; i < w * h; i++) pixels[i] = Pattern(i % w, i / w, 3);
  ASSERT_TRUE(Plat_Write_Png("capture_one.png", pixels.data(), w, h));
  std::vector<u8> rgb = Run_Command("convert capture_one.png -depth 8 rgb:-");
  ASSERT_EQ(rgb.size(), w * h * 3);
  for (u32 i = 0; i < w * h; i++)
    ASSERT_EQ(u32(rgb[3 * i]) << 16 | u32(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2], pixels[i] & 0xFFFFFF);
  EXPECT_FALSE(Plat_Write_Png("no_such_dir/x.png", pixels.data(), w, h));
}

TEST(Capture, HeadlessRunDumpsChosenFramesAndWritesAnAvi) {
  ASSERT_EQ(std::system("rm -rf capture_dump && mkdir capture_dump"), 0);
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fps = 30;
  snprintf(config.dump_dir, sizeof config.dump_dir, "capture_dump");
  snprintf(config.dump_frames, sizeof config.dump_frames, "2,5");
  snprintf(config.avi, sizeof config.avi, "capture_run.avi");
  config.avi_every = 2;
  ASSERT_TRUE(Plat_Init(config));
  PlatClass cls = {Plat_Def_Window_Proc, "capture", 0};
  ASSERT_TRUE(Plat_Register_Class(&cls));
  PlatWindow window = Plat_Create_Window("capture", "t", 320 + 16, 200 + 39);  // a 320x200 client
  ASSERT_TRUE(Plat_Present_Init(window, 0, 0, false, false));
  for (u32 frame = 1; frame <= 6; frame++) {
    Plat_Present_Clear(0xFF000000u);
    u32 *target, pitch, tw, th;
    ASSERT_TRUE(Plat_Present_Lock(&target, &pitch, &tw, &th));
    ASSERT_EQ(tw, 320u);
    ASSERT_EQ(th, 200u);
    for (u32 y = 0; y < th; y++)
      for (u32 x = 0; x < tw; x++) target[y * (pitch / 4) + x] = Pattern(x, y, frame);
    Plat_Present_Unlock();
    Plat_Present_Flip();
  }
  Plat_Done();
  EXPECT_EQ(std::system("test -e capture_dump/frame000002.png && test -e capture_dump/frame000005.png"), 0);
  EXPECT_NE(std::system("test -e capture_dump/frame000003.png"), 0);
  std::vector<u8> rgb = Run_Command("convert capture_dump/frame000005.png -depth 8 rgb:-");
  ASSERT_EQ(rgb.size(), 320u * 200 * 3);
  EXPECT_EQ(u32(rgb[3 * 321]) << 16 | u32(rgb[3 * 321 + 1]) << 8 | rgb[3 * 321 + 2], Pattern(1, 1, 5) & 0xFFFFFF);

  std::vector<u8> probe = Run_Command(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=width,height,pix_fmt,r_frame_rate,nb_frames,nb_read_frames -of default=noprint_wrappers=1 capture_run.avi");
  EXPECT_EQ(std::string(probe.begin(), probe.end()),
            "width=320\nheight=200\npix_fmt=bgr24\nr_frame_rate=15/1\nnb_frames=3\nnb_read_frames=3\n");
  // Frames 1, 3 and 5 were taken: the last one decoded is frame 5.
  std::vector<u8> last = Run_Command(
      "ffmpeg -v error -i capture_run.avi -vf 'select=eq(n\\,2)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  EXPECT_EQ(last, rgb);
}
