// Capture of presented frames: the frame choice, PNG pictures ImageMagick reads back, and the video going on
// in the next file or stopping on a failed write (whole runs with pictures: capture_run_test.sh).
#include "platform/capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/plat.h"
#include "tests/engine_fixture.h"

namespace {
u32 Pattern(u32 x, u32 y, u32 frame) { return 0xEE000000u | ((x * 9 + frame) & 255) << 16 | ((y * 31) & 255) << 8 | (frame * 40 & 255); }

// A video writer in memory: each file's frames (their first pixel), full after full_after frames a file,
// failing at the fail_at-th frame written overall.
struct FakeVideo {
  std::vector<std::string> names;
  std::map<std::string, std::vector<u32>> frames;
  u32 rate = 0, full_after = 0, fail_at = 0, written = 0;
  bool open = false;
} fake;

const PlatVideoWriter fake_writer = {
    [](const char* name, u32 rate, u32, u32) {
      fake.names.push_back(name);
      fake.rate = rate;
      return fake.open = true;
    },
    [](const u32* pixels, u32, u32) {
      EXPECT_TRUE(fake.open);
      std::vector<u32>& file = fake.frames[fake.names.back()];
      if (fake.fail_at && ++fake.written >= fake.fail_at) return fake.open = false, PLAT_VIDEO_FAILED;
      if (fake.full_after && file.size() >= fake.full_after) return fake.open = false, PLAT_VIDEO_FULL;
      file.push_back(pixels[0]);
      return PLAT_VIDEO_WRITTEN;
    },
    [] { fake.open = false; },
};

PlatConfig Capture_Config(const char* avi, u32 avi_every) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  config.fps = 31;  // every other frame: 15.5 a second, rounded to 16
  snprintf(config.avi, sizeof config.avi, "%s", avi);
  config.avi_every = avi_every;
  return config;
}
}  // namespace

TEST(Capture, FrameChoices) {
  std::vector<u32> list;
  u32 every;
  std::string many;  // far longer than any fixed field: 300 frames
  for (u32 i = 1; i <= 300; i++) many += std::to_string(i * 7) + (i < 300 ? "," : "");
  // Text, then the choice: every N-th frame, or the list's length and last entry.
  const std::tuple<std::string, u32, size_t, u32> rows[] = {
      {many, 0, 300, 2100}, {"every:25", 25, 0, 0}, {"", 1, 0, 0}, {"4294967295", 0, 1, 4294967295u}};
  for (auto& [text, want_every, size, last] : rows) {
    ASSERT_TRUE(Plat_Capture_Parse_Frames(text.c_str(), &list, &every)) << text;
    EXPECT_EQ(std::make_tuple(every, list.size(), list.empty() ? 0 : list.back()), std::make_tuple(want_every, size, last));
  }
  for (const char* bad : {"every:0", "1,x", "1,,2", "every:3x", "abc", "0", "-1", " 5", "+5", "5,", "4294967296",
                          "every:-2", "every:"})
    EXPECT_FALSE(Plat_Capture_Parse_Frames(bad, &list, &every)) << bad;
}

TEST(Capture, PartNames) {
  const char* rows[][3] = {{"show.avi", "1", "show.1.avi"}, {"out/show.avi", "12", "out/show.12.avi"},
                           {"a.b/show", "2", "a.b/show.2"}, {".avi", "3", ".avi.3"}, {"show.avi", "0", "show.avi"}};
  for (auto& r : rows) EXPECT_EQ(Plat_Capture_Part_Name(r[0], u32(std::stoul(r[1]))), r[2]);
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

// Every other frame of 9 is taken (frames 1, 3, 5, 7, 9); a full file goes on in the next one, a failed
// write keeps what was written and stops the video while frames go on coming.
TEST(Capture, VideoGoesOnInTheNextFileOrStopsOnAFailedWrite) {
  struct Row {
    u32 full_after, fail_at;
    std::vector<std::pair<std::string, u32>> files;  // name, frames kept
    const char* said;
  } rows[] = {
      {0, 0, {{"v.avi", 5}}, ""},
      {2, 0, {{"v.avi", 2}, {"v.1.avi", 2}, {"v.2.avi", 1}}, "Plat: v.avi is full at 2 frames; the capture goes on in v.1.avi\n"
                                                          "Plat: v.1.avi is full at 2 frames; the capture goes on in v.2.avi\n"},
      {0, 3, {{"v.avi", 2}}, "Plat: writing v.avi failed at frame 5; it keeps 2 frames and the video capture stops\n"},
      {2, 5, {{"v.avi", 2}, {"v.1.avi", 1}}, "failed at frame 7; it keeps 1 frame and"},
  };
  for (const Row& row : rows) {
    fake = FakeVideo();
    fake.full_after = row.full_after;
    fake.fail_at = row.fail_at;
    ASSERT_TRUE(Plat_Init(Capture_Config("v.avi", 2)));
    Plat_Capture_Set_Video_Writer(&fake_writer);
    std::vector<u32> pixels(4);
    testing::internal::CaptureStderr();
    for (u32 frame = 1; frame <= 9; frame++) {
      pixels[0] = frame;
      Plat_Capture_Frame(frame, pixels.data(), 2, 2);
    }
    Plat_Capture_Stop();
    EXPECT_EQ(Plat_Output_Failed(), row.fail_at != 0) << "a failed video ends the run with its own code";
    std::string said = testing::internal::GetCapturedStderr();
    Plat_Capture_Set_Video_Writer(nullptr);
    Plat_Done();
    EXPECT_EQ(fake.rate, 16u);
    EXPECT_FALSE(fake.open);
    ASSERT_EQ(fake.names.size(), row.files.size()) << said;
    std::vector<u32> all;
    for (size_t i = 0; i < row.files.size(); i++) {
      EXPECT_EQ(fake.names[i], row.files[i].first);
      EXPECT_EQ(fake.frames[fake.names[i]].size(), row.files[i].second) << fake.names[i];
      all.insert(all.end(), fake.frames[fake.names[i]].begin(), fake.frames[fake.names[i]].end());
    }
    for (size_t i = 0; i < all.size(); i++) EXPECT_EQ(all[i], 2 * i + 1);  // no frame lost or repeated
    if (*row.said) EXPECT_NE(said.find(row.said), std::string::npos) << said;
    else EXPECT_EQ(said, "");
  }
}
