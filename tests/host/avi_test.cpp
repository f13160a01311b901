// AVI frame writer: the file's chunk layout, the frames as ffprobe and ffmpeg read them, and the failures.
#include "host/avi.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/avifile.h"
#include "platform/capture.h"
#include "writer.h"
#include "tests/test_util.h"

namespace {
u32 U32_At(const std::vector<u8>& b, size_t at) {
  return u32(b[at]) | u32(b[at + 1]) << 8 | u32(b[at + 2]) << 16 | u32(b[at + 3]) << 24;
}
u16 U16_At(const std::vector<u8>& b, size_t at) { return u16(b[at] | b[at + 1] << 8); }
std::string Fourcc_At(const std::vector<u8>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

// A frame whose every pixel differs: red from x, green from y, blue from the frame number.
std::vector<u32> Pattern(u32 width, u32 height, u32 frame) {
  std::vector<u32> p(width * height);
  for (u32 y = 0; y < height; y++)
    for (u32 x = 0; x < width; x++) p[y * width + x] = 0xAB000000u | (x * 37 + frame) % 256 << 16 | (y * 23) % 256 << 8 | (frame * 50 + x + y) % 256;
  return p;
}

std::vector<u8> Write_Three_Frames(const char* name, i32 width, i32 height) {
  std::vector<std::vector<u32>> frames;
  EXPECT_EQ(Avi_Open(name, 0, 25, 0, width, height), AVI_OK);
  for (u32 f = 0; f < 3; f++) {
    frames.push_back(Pattern(u32(width), u32(height), f));
    EXPECT_EQ(Avi_Write_Frame(frames.back().data(), u32(width) * 4), AVI_OK);
  }
  Avi_Close();
  std::vector<u8> bytes;
  EXPECT_TRUE(Read_File(name, &bytes));
  return bytes;
}
}  // namespace

TEST(AviWriter, FileLayoutHasHeadersFramesAndIndex) {
  // 7 pixels wide is written as 6: rows of 18 bytes padded to 20, 5 rows, 100 bytes a frame.
  std::vector<u8> b = Write_Three_Frames("avi_layout.avi", 7, 5);
  ASSERT_EQ(b.size(), 224u + 3 * (8 + 100) + 8 + 48);
  const std::pair<u32, const char*> fourccs[] = {{0, "RIFF"},   {8, "AVI "},   {12, "LIST"},  {24, "avih"},
                                                 {100, "strh"}, {108, "vids"}, {164, "strf"}, {212, "LIST"},
                                                 {220, "movi"}, {548, "idx1"}};
  for (auto& f : fourccs) EXPECT_EQ(Fourcc_At(b, f.first), f.second) << f.first;
  // Offset, value: sizes, 40000 microseconds a frame at 25 per second, the index flag, 3 frames, 1 stream,
  // 6x5, scale 1 and rate 25, length 3, default quality, the frame rectangle, the bitmap header.
  const std::pair<u32, u32> words[] = {{4, u32(b.size() - 8)}, {16, 192}, {32, 40000}, {44, 0x10}, {48, 3}, {56, 1},
                                       {64, 6}, {68, 5}, {128, 1}, {132, 25}, {140, 3}, {148, 0xFFFFFFFF},
                                       {168, 40}, {172, 40}, {176, 6}, {180, 5}, {188, 0}, {192, 100},
                                       {216, 4 + 3 * 108}, {552, 48}};
  for (auto& w : words) EXPECT_EQ(U32_At(b, w.first), w.second) << w.first;
  const std::pair<u32, u16> halves[] = {{160, 6}, {162, 5}, {184, 1}, {186, 24}};
  for (auto& h : halves) EXPECT_EQ(U16_At(b, h.first), h.second) << h.first;
  for (u32 f = 0; f < 3; f++) {
    size_t e = 556 + 16 * f;
    EXPECT_EQ(Fourcc_At(b, e), "00db");
    EXPECT_EQ(U32_At(b, e + 4), 0x10u);
    size_t chunk = 220 + U32_At(b, e + 8);
    EXPECT_EQ(Fourcc_At(b, chunk), "00db");
    EXPECT_EQ(U32_At(b, chunk + 4), 100u);
    // The first stored row is the picture's last; pixel 1 of it is blue, green, red; the padding is zero.
    u32 p = Pattern(7, 5, f)[4 * 7 + 1];
    EXPECT_EQ(u32(b[chunk + 11]) | u32(b[chunk + 12]) << 8 | u32(b[chunk + 13]) << 16, p & 0xFFFFFF);
    EXPECT_EQ(b[chunk + 8 + 18] | b[chunk + 8 + 19], 0);
  }
}

TEST(AviWriter, FfprobeAndFfmpegReadTheFramesExactly) {
  Require_Tool("ffprobe");
  Require_Tool("ffmpeg");
  const i32 w = 11, h = 9;  // odd width: 10 pixels of 30 bytes, padded to 32
  Write_Three_Frames("avi_ffmpeg.avi", w, h);
  std::vector<u8> probe = Run_Command(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_frames,nb_read_frames -of default=noprint_wrappers=1 "
      "avi_ffmpeg.avi");
  EXPECT_EQ(std::string(probe.begin(), probe.end()),
            "codec_name=rawvideo\nwidth=10\nheight=9\npix_fmt=bgr24\nr_frame_rate=25/1\nnb_frames=3\nnb_read_frames=3\n");
  std::vector<u8> rgb = Run_Command(
      "ffmpeg -v error -i avi_ffmpeg.avi -vf 'select=eq(n\\,1)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(rgb.size(), 10u * 9 * 3);
  std::vector<u32> source = Pattern(w, h, 1);
  for (i32 y = 0; y < h; y++)
    for (i32 x = 0; x < 10; x++) {
      u32 p = source[y * w + x];
      const u8* q = &rgb[(y * 10 + x) * 3];
      ASSERT_EQ(u32(q[0]) << 16 | u32(q[1]) << 8 | q[2], p & 0xFFFFFF) << x << "," << y;
    }
}

TEST(AviWriter, WritesCountFramesAndStopAfterClose) {
  std::vector<u32> frame = Pattern(320, 4, 0);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 320 * 4), AVI_ERROR);  // never opened
  ASSERT_EQ(Avi_Open("avi_close.avi", 0, 85, 0, 320, 4), AVI_OK);
  for (int i = 0; i < 3; i++) EXPECT_EQ(Avi_Write_Frame(frame.data(), 320 * 4), AVI_OK);
  Avi_Close();
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 320 * 4), AVI_ERROR);
  Avi_Close();  // a second close does nothing
  std::vector<u8> b;
  ASSERT_TRUE(Read_File("avi_close.avi", &b));
  EXPECT_EQ(U32_At(b, 48), 3u);
  EXPECT_EQ(U32_At(b, 32), 11765u);  // 1000000 / 85, rounded
}

TEST(AviWriter, RefusesBadArguments) {
  EXPECT_EQ(Avi_Open("avi_bad.avi", 0, 0, 0, 8, 8), AVI_ERROR);
  EXPECT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 1, 8), AVI_ERROR);  // even width 0
  EXPECT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 0), AVI_ERROR);
  EXPECT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, -8, 8), AVI_ERROR);
  EXPECT_EQ(Avi_Open("no_such_dir/x.avi", 0, 30, 0, 8, 8), AVI_ERROR);
  std::vector<u32> frame(8 * 8);
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 8), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(nullptr, 32), AVI_ERROR);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);  // the failure closed the writer
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 8), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 28), AVI_ERROR);  // rows shorter than the frame
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 8), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 0x10000 + 32), AVI_OK);  // only the low 16 bits count
  Avi_Close();
}

TEST(AviWriter, AFrameThatWouldPassTheSizeLimitClosesAFinishedFile) {
  // Headers 224, each 8x2 frame 8 + 48 bytes, index 8 + 16 per frame: two frames need 376 bytes.
  Plat_Avi_Set_Size_Limit(376);
  std::vector<u32> frame = Pattern(8, 2, 0);
  ASSERT_EQ(Avi_Open("avi_limit.avi", 0, 30, 0, 8, 2), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);
  Plat_Avi_Set_Size_Limit(0x7FFFFFFF);
  std::vector<u8> b;
  ASSERT_TRUE(Read_File("avi_limit.avi", &b));
  EXPECT_EQ(b.size(), 376u);
  EXPECT_EQ(U32_At(b, 48), 2u);
  EXPECT_EQ(Fourcc_At(b, 224 + 2 * 56), "idx1");
}

TEST(AviWriter, OpeningAgainFinishesTheFirstFile) {
  std::vector<u32> frame = Pattern(4, 4, 0);
  ASSERT_EQ(Avi_Open("avi_first.avi", 0, 30, 0, 4, 4), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 16), AVI_OK);
  ASSERT_EQ(Avi_Open("avi_second.avi", 0, 30, 0, 4, 4), AVI_OK);
  Avi_Close();
  std::vector<u8> b;
  ASSERT_TRUE(Read_File("avi_first.avi", &b));
  EXPECT_EQ(U32_At(b, 48), 1u);
  EXPECT_EQ(U32_At(b, 4), b.size() - 8);
}

namespace {
// Captures frames 1..count of w x h through the host's writer into name (and its next parts).
void Capture_Frames(const char* name, u32 count, u32 w, u32 h) {
  PlatConfig config;
  config.backend = PLAT_HEADLESS;
  snprintf(config.avi, sizeof config.avi, "%s", name);
  ASSERT_TRUE(Plat_Init(config));
  Plat_Capture_Set_Video_Writer(Avi_Capture_Writer());
  for (u32 f = 1; f <= count; f++) Plat_Capture_Frame(f, Pattern(w, h, f).data(), w, h);
  Plat_Done();
}
std::string Probe_Frames(const std::string& name) {
  std::vector<u8> out = Run_Command("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                    "stream=nb_read_frames -of csv=p=0 " + name);
  return std::string(out.begin(), out.end());
}
}  // namespace

// Two 8x2 frames fill a file of 376 bytes: 5 frames go into three files, ffmpeg reads all in order.
TEST(AviCapture, AFullFileGoesOnInTheNextAndNoFrameIsLost) {
  Require_Tool("ffprobe");
  std::system("rm -f avi_parts*.avi");
  Plat_Avi_Set_Size_Limit(376);
  testing::internal::CaptureStderr();
  Capture_Frames("avi_parts.avi", 5, 8, 2);
  std::string said = testing::internal::GetCapturedStderr();
  Plat_Avi_Set_Size_Limit(0x7FFFFFFF);
  EXPECT_EQ(said, "Plat: avi_parts.avi is full at 2 frames; the capture goes on in avi_parts.1.avi\n"
                  "Plat: avi_parts.1.avi is full at 2 frames; the capture goes on in avi_parts.2.avi\n");
  const char* parts[] = {"avi_parts.avi", "avi_parts.1.avi", "avi_parts.2.avi"};
  const char* counts[] = {"2\n", "2\n", "1\n"};
  u32 frame = 1;
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(Probe_Frames(parts[i]), counts[i]) << parts[i];
    std::vector<u8> rgb = Run_Command(std::string("ffmpeg -v error -i ") + parts[i] + " -f rawvideo -pix_fmt rgb24 -");
    for (size_t at = 0; at + 48 <= rgb.size(); at += 48, frame++)
      EXPECT_EQ(u32(rgb[at]) << 16 | u32(rgb[at + 1]) << 8 | rgb[at + 2], Pattern(8, 2, frame)[0] & 0xFFFFFF);
  }
  EXPECT_EQ(frame, 6u);
}

// A disk that fills (a file size limit) in the middle of frame 4: the file keeps frames 1-3, readable,
// the capture says so and stops, and the run goes on to its end.
TEST(AviCapture, AFailedWriteKeepsTheFramesBeforeItAndStopsTheVideo) {
  Require_Tool("ffprobe");
  const u32 w = 64, h = 64, chunk = 8 + w * h * 3;
  auto run = [&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {224 + 3 * chunk + chunk / 2, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    Capture_Frames("avi_full_disk.avi", 8, w, h);
    fprintf(stderr, "run ended\n");
    exit(0);
  };
  EXPECT_EXIT(run(), testing::ExitedWithCode(0),
      "Plat: writing avi_full_disk.avi failed at frame 4; it keeps 3 frames and the video capture stops\nrun ended");
  EXPECT_EQ(Probe_Frames("avi_full_disk.avi"), "3\n");
}
