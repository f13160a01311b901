// AVI frame writer: the frames as ffprobe and ffmpeg read them, files split at the size limit, and failures.
#include "host/avi.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "platform/avifile.h"
#include "platform/capture.h"
#include "writer.h"
#include "tests/engine_fixture.h"

namespace {
u32 U32_At(const std::vector<u8>& b, size_t at) {
  return u32(b[at]) | u32(b[at + 1]) << 8 | u32(b[at + 2]) << 16 | u32(b[at + 3]) << 24;
}
// A frame whose every pixel differs: red from x, green from y, blue from the frame number.
std::vector<u32> Pattern(u32 width, u32 height, u32 frame) {
  std::vector<u32> p(width * height);
  for (u32 y = 0; y < height; y++)
    for (u32 x = 0; x < width; x++)
      p[y * width + x] = 0xAB000000u | (x * 37 + frame) % 256 << 16 | (y * 23) % 256 << 8 | (frame * 50 + x + y) % 256;
  return p;
}
}  // namespace

TEST(AviWriter, FfprobeAndFfmpegReadTheFramesExactly) {
  Require_Tool("ffprobe"), Require_Tool("ffmpeg");
  const u32 w = 11, h = 9;  // odd width: 10 pixels of 30 bytes, padded to 32
  ASSERT_EQ(Avi_Open("avi_ffmpeg.avi", 0, 25, 0, w, h), AVI_OK);
  for (u32 f = 0; f < 3; f++) EXPECT_EQ(Avi_Write_Frame(Pattern(w, h, f).data(), w * 4), AVI_OK);
  Avi_Close();
  const std::vector<u8> probe = Run_Command("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_frames,nb_read_frames -of default=noprint_wrappers=1 "
      "avi_ffmpeg.avi");
  EXPECT_EQ(std::string(probe.begin(), probe.end()),
            "codec_name=rawvideo\nwidth=10\nheight=9\npix_fmt=bgr24\nr_frame_rate=25/1\nnb_frames=3\nnb_read_frames=3\n");
  std::vector<u8> rgb = Run_Command(
      "ffmpeg -v error -i avi_ffmpeg.avi -vf 'select=eq(n\\,1)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(rgb.size(), 10u * 9 * 3);
  const std::vector<u32> source = Pattern(w, h, 1);
  for (u32 i = 0; i < 10 * h; i++)
    ASSERT_EQ(u32(rgb[3 * i]) << 16 | u32(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2], source[i / 10 * w + i % 10] & 0xFFFFFF) << i;
}

TEST(AviWriter, RefusesBadArgumentsAndWritesOnlyWhileOpen) {
  std::vector<u32> frame(8 * 8);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);  // never opened
  // No rate, an even width of 0, no height, a negative width, a folder that is not there.
  const std::tuple<const char*, u32, i32, i32> bad[] = {{"avi_bad.avi", 0, 8, 8}, {"avi_bad.avi", 30, 1, 8},
      {"avi_bad.avi", 30, 8, 0}, {"avi_bad.avi", 30, -8, 8}, {"no_such_dir/x.avi", 30, 8, 8}};
  for (auto [name, rate, w, h] : bad) EXPECT_EQ(Avi_Open(name, 0, rate, 0, w, h), AVI_ERROR) << rate << " " << w << "x" << h;
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 8), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(nullptr, 32), AVI_ERROR);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);  // the failure closed the writer
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 30, 0, 8, 8), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 28), AVI_ERROR);  // rows shorter than the frame
  ASSERT_EQ(Avi_Open("avi_bad.avi", 0, 85, 0, 8, 6), AVI_OK);
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 0x10000 + 32), AVI_OK);  // only the low 16 bits count
  ASSERT_EQ(Avi_Open("avi_next.avi", 0, 30, 0, 8, 8), AVI_OK);  // finishes the first file
  Avi_Close();
  EXPECT_EQ(Avi_Write_Frame(frame.data(), 32), AVI_ERROR);
  Avi_Close();  // a second close does nothing
  std::vector<u8> b;
  ASSERT_TRUE(Read_File("avi_bad.avi", &b));
  // One 8x6 frame at 85 a second: rows of 24 bytes, 144 a frame, its chunk ending at 224 + 8 + 144 = 376, the
  // index of one entry after it. Offset, value: RIFF size; avih: microseconds a frame (1000000 / 85, rounded),
  // bytes a second, "has an index", frames, streams, buffer, size; strh: scale, rate, length, buffer, quality
  // (default), frame rectangle; strf: size, width, height, planes and bits, compression, image; "movi" size;
  // idx1: key frame, at 4 from "movi", 144 bytes.
  ASSERT_EQ(b.size(), 400u);
  const std::pair<size_t, u32> fields[] = {{4, 392}, {32, 11765}, {36, 144 * 85}, {44, 0x10}, {48, 1}, {56, 1},
      {60, 144}, {64, 8}, {68, 6}, {128, 1}, {132, 85}, {140, 1}, {144, 144}, {148, ~0u}, {156, 0}, {160, 6 << 16 | 8},
      {172, 40}, {176, 8}, {180, 6}, {184, 24 << 16 | 1}, {188, 0}, {192, 144}, {216, 156}, {388, 0x10}, {392, 4}, {396, 144}};
  for (auto [at, value] : fields) EXPECT_EQ(U32_At(b, at), value) << "at " << at;
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
  Plat_Avi_Set_Size_Limit(0x7FFFFFFF);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Plat: avi_parts.avi is full at 2 frames; the capture goes on in avi_parts.1.avi\n"
                  "Plat: avi_parts.1.avi is full at 2 frames; the capture goes on in avi_parts.2.avi\n");
  u32 frame = 1;
  for (auto [part, count] : {std::pair<const char*, const char*>{"avi_parts.avi", "2\n"}, {"avi_parts.1.avi", "2\n"},
                             {"avi_parts.2.avi", "1\n"}}) {
    EXPECT_EQ(Probe_Frames(part), count) << part;
    std::vector<u8> rgb = Run_Command(std::string("ffmpeg -v error -i ") + part + " -f rawvideo -pix_fmt rgb24 -");
    for (size_t at = 0; at + 48 <= rgb.size(); at += 48, frame++)
      EXPECT_EQ(u32(rgb[at]) << 16 | u32(rgb[at + 1]) << 8 | rgb[at + 2], Pattern(8, 2, frame)[0] & 0xFFFFFF);
  }
  EXPECT_EQ(frame, 6u);
  // Under a limit no single frame fits: said once, and the video stops.
  Plat_Avi_Set_Size_Limit(300);
  testing::internal::CaptureStderr();
  Capture_Frames("avi_small.avi", 2, 8, 2);
  Plat_Avi_Set_Size_Limit(0x7FFFFFFF);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Plat: a frame of 8x2 does not fit in avi_small.avi; the video capture stops\n");
}

// A disk that fills (a file size limit) in the middle of frame 4, or right at the end of frame 3 (no room
// for the index): the file keeps frames 1-3, readable, with the header's counts true; the capture says so
// and stops, and the run goes on to its end.
TEST(AviCapture, AFailedWriteKeepsTheFramesBeforeItAndStopsTheVideo) {
  Require_Tool("ffprobe");
  const u32 w = 64, h = 64, chunk = 8 + w * h * 3, kept = 224 + 3 * chunk;
  for (u32 room : {chunk / 2, 0u}) {
    SCOPED_TRACE(room);
    EXPECT_CHILD(0, {
      dup2(fileno(stdout), fileno(stderr));  // the capture's complaint is kept with the output
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit = {kept + room, RLIM_INFINITY};
      setrlimit(RLIMIT_FSIZE, &limit);
      Capture_Frames("avi_full_disk.avi", 8, w, h);
      fprintf(stderr, "run ended\n");
    });
    const std::string out = Child_Output();
    EXPECT_EQ(out.find("Plat: avi_full_disk.avi holds 3 frames and no index (File too large)\n") != out.npos, !room)
        << out;
    EXPECT_NE(out.find("Plat: writing avi_full_disk.avi failed at frame 4; it keeps 3 frames and the video capture "
                       "stops\nrun ended"),
              out.npos) << out;
    EXPECT_EQ(Probe_Frames("avi_full_disk.avi"), "3\n");
    std::vector<u8> b;
    ASSERT_TRUE(Read_File("avi_full_disk.avi", &b));
    const u32 end = room ? kept + 8 + 3 * 16 : kept;  // the index, when it fits, where frame 4 began
    // RIFF size, "has an index" flag, total frames, stream length, "movi" size.
    EXPECT_EQ(std::vector<u32>({U32_At(b, 4), U32_At(b, 44), U32_At(b, 48), U32_At(b, 140), U32_At(b, 216)}),
              std::vector<u32>({end - 8, room ? 0x10u : 0u, 3, 3, kept - 220}));
  }
}
