// The test harness: per-test file names, external tools, the one way to run a case in a child process
// and to check a fatal error, and the engine's start-up as the host and the tests use it.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "demo/design.h"
#include "host/win.h"
#include "music/music.h"
#include "platform/capture.h"
#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "runtime/types.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"
#include "video/vbe.h"
#include "writer.h"

// "suite.test.base": a file name of the running test's own, so that tests run side by side share no files.
inline std::string Test_File_Name(const std::string& base) {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(t->test_suite_name()) + "." + t->name() + "." + base;
}
// The scratch folder of this run of the test program, made under $VELMORAN_TEST_TMP (default /tmp) and
// removed at exit. A child the run starts (a new run of the program, see EXPECT_CHILD) is handed it
// through the environment as "<pid of the run>:<folder>" and shares it; no other process takes it.
inline const std::string& Test_Scratch_Dir(void) {
  static const std::string dir = [] {
    const char* kShared = "VELMORAN_TEST_SCRATCH";
    const char* shared = getenv(kShared);
    char* folder = nullptr;
    if (shared && strtol(shared, &folder, 10) == getppid() && *folder == ':') return std::string(folder + 1);
    const char* parent = getenv("VELMORAN_TEST_TMP");
    const std::string made = Scratch_Dir_Make(parent ? parent : "/tmp");
    if (made.empty()) perror("no scratch folder"), abort();
    setenv(kShared, (std::to_string(getpid()) + ":" + made).c_str(), 1);
    return made;
  }();
  return dir;
}
// Each test program works in its run's scratch folder, so files a test makes by a plain relative name are
// the run's own and go with the folder. (Set after start-up, so death-test children still start from the
// folder the program was started in.)
struct ScratchDirEnvironment : ::testing::Environment {
  void SetUp() override { ASSERT_EQ(chdir(Test_Scratch_Dir().c_str()), 0) << Test_Scratch_Dir(); }
};
inline ::testing::Environment* const scratch_dir_environment =
    ::testing::AddGlobalTestEnvironment(new ScratchDirEnvironment);
// The same name in the run's scratch folder.
inline std::string Test_Temp(const std::string& base) { return Test_Scratch_Dir() + "/" + Test_File_Name(base); }
// A short name of the running test's own in the run's scratch folder, for the names the engine keeps in
// fixed fields (a data file's name, 64-byte entry names): the test's name hashed.
inline std::string Test_Short_Temp(const std::string& base) {
  char name[64];
  const size_t test = std::hash<std::string>{}(Test_File_Name(""));
  if (snprintf(name, sizeof name, "%s/%016zx.%s", Test_Scratch_Dir().c_str(), test, base.c_str()) >= int(sizeof name))
    ADD_FAILURE() << "scratch name too long for " << base;
  return name;
}

inline std::string Test_Read_Text(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}
inline void Write_Bytes(const std::string& path, const std::vector<u8>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Runs a shell command and returns its standard output; a failing command fails the test.
inline std::vector<u8> Run_Command(const std::string& command) {
  std::vector<u8> out;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr) << command;
  if (!pipe) return out;
  u8 buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return out;
}
// The test script installs every tool the tests use: a missing one is a failure, never a skip.
inline void Require_Tool(const char* tool) {
  ASSERT_EQ(std::system((std::string("command -v ") + tool + " >/dev/null").c_str()), 0) << tool << " is missing";
}

// Captures what `body` prints on standard output.
inline std::string Output_Of(const std::function<void()>& body) {
  testing::internal::CaptureStdout();
  body();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Where the children's standard output goes: a file per child of the running test, numbered in order, so
// that a child replaying the test finds the output of the children before it.
inline std::string child_out_path, child_out_test;
inline u32 child_out_count = 0;
inline const std::string& Child_Next_Path(void) {
  const std::string test = Test_File_Name("");
  if (test != child_out_test) child_out_test = test, child_out_count = 0;
  return child_out_path = Test_Temp("child" + std::to_string(++child_out_count) + ".txt");
}
// What the last child of the running test printed on standard output.
inline std::string Child_Output(void) { return Test_Read_Text(child_out_path); }

// Runs the statements in a child process, a new run of the test program (not a fork) so no state of
// earlier cases reaches it; the child exits with 0 when they return, and must end with exit code `code`.
// Its standard output is kept in Child_Output(); what it prints on stderr shows in a failure. The child
// replays the test up to this point, so only the parent clears a child's old output.
#define EXPECT_CHILD(code, ...)                                                    \
  do {                                                                             \
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";                        \
    const std::string child_out_ = Child_Next_Path();                              \
    if (!::testing::internal::InDeathTestChild()) std::remove(child_out_.c_str()); \
    const auto child_body_ = [&] { __VA_ARGS__; };                                 \
    EXPECT_EXIT(                                                                   \
        {                                                                          \
          if (!freopen(child_out_.c_str(), "w", stdout)) exit(99);                 \
          child_body_();                                                           \
          exit(0);                                                                 \
        },                                                                         \
        ::testing::ExitedWithCode(code), "");                                      \
  } while (0)

// The statements must end the program through the engine's error path: exit code 1, printing text.
#define EXPECT_FATAL(text, ...)                                                              \
  do {                                                                                       \
    EXPECT_CHILD(1, __VA_ARGS__);                                                            \
    EXPECT_NE(Child_Output().find(text), std::string::npos) << "printed: " << Child_Output(); \
  } while (0)

// A check inside a child process: says what failed on stderr and passes the result on.
inline bool Child_Check(bool ok, const char* what, long long got = 0, long long want = 0) {
  if (!ok) fprintf(stderr, "failed: %s (got %lld, want %lld)\n", what, got, want);
  return ok;
}
template <class A, class B>
inline bool Child_Equal(A got, B want, const char* what) {
  return Child_Check(got == want, what, (long long)(got), (long long)(want));
}
#define CHILD_EQ(got, want) Child_Equal((got), (want), #got " == " #want)
// The child ends with 0 when ok holds, else with 1.
inline void Child_Pass(bool ok) { exit(ok ? 0 : 1); }

// An engine memory block holding the bytes.
inline void* Block_Of(const std::vector<u8>& bytes) {
  void* b = Mem_Alloc(u32(bytes.size()));
  memcpy(b, bytes.data(), bytes.size());
  return b;
}

// A width x height host surface held in *surface, the resolution forced to it.
inline void Engine_Use_Surface(std::vector<u32>* surface, u32 width, u32 height) {
  surface->assign(size_t(width) * height, 0);
  Vbe_Set_Host_Surface(surface->data(), width, height);
  Demo_Force_Resolution(width, height);
}

// The mode for a width x height host surface held in *surface: the resolution forced, the mode picked and
// the letterbox taken off (border percent at the top and at the bottom).
inline void Engine_Select_Mode(std::vector<u32>* surface, u32 width, u32 height, u32 border = 7) {
  Engine_Use_Surface(surface, width, height);
  Demo_Select_Mode();
  Demo_Set_Border(border);
}

// The mode, the renderers and the buffers opened by the host's own start-up, without music.
inline void Engine_Open_As_Host(std::vector<u32>* surface, u32 width, u32 height) {
  Engine_Use_Surface(surface, width, height);
  Win_Open_Engine(false);
}

// The mode and the renderers in the order the scene tests have always started them: the mode opens first
// and VR_Init then puts back the polygon layer's defaults (its pitch among them); then the 320 x 200
// design buffer and the mix buffer.
inline void Engine_Open_Mode_First(std::vector<u32>* surface, u32 width, u32 height, u32 border = 7) {
  Engine_Select_Mode(surface, width, height, border);
  Demo_Open_Mode();
  Math_Init();
  Poly_Init();
  Mesh_Reset();
  VR_Init();
  Vbe_Resize_Buffer(320, 200);
  Vbe_Alloc_Mix_Buffer();
}

// The host's whole start-up over a width x height surface, serving the data file, the post-effect layer
// initialised.
inline void Engine_Start_Host(u32 width, u32 height, const std::string& datafile, std::vector<u32>* surface) {
  Demo_Init(datafile.c_str(), 0);
  Engine_Open_As_Host(surface, width, height);
  Design_Init();
}

inline u32 Engine_Crc(const u32* pixels, size_t count) {
  return u32(crc32(0, reinterpret_cast<const Bytef*>(pixels), uInt(count * 4)));
}
// The checksum of the visible frame (width x height pixels).
inline u32 Engine_Frame_Crc(void) {
  return Engine_Crc(vbe_screen.frame, size_t(vbe_screen.width) * vbe_screen.height);
}
// The checksum of the whole frame buffer (frame_size bytes).
inline u32 Engine_Buffer_Crc(void) { return Engine_Crc(vbe_screen.frame, vbe_screen.frame_size / 4); }

// Writes the entries as the data file at path and opens it in the file layer.
inline void Engine_Serve(const std::string& path, const std::vector<DatafileEntry>& entries) {
  ASSERT_TRUE(Datafile_Write(path, entries));
  if (File_Is_Initialised()) File_Done();
  File_Set_Datafile(path.c_str());
  File_Init();
}

// Runs n ticks of the installed tick callback, as the host's frame step does.
inline void Engine_Ticks(u32 n) {
  for (u32 i = 0; i < n; i++) Music_Call_Callback();
}

// Writes the frame as a PNG picture (for looking at it).
inline void Engine_Dump_Frame(const std::string& path) {
  Plat_Write_Png(path.c_str(), vbe_screen.frame, vbe_screen.width, vbe_screen.height);
}

// The heard row (and position, order 0) the post-effect layer and the sequencer read in the tests.
inline u32 engine_test_row = 0;
inline u32 Engine_Test_Row(void) { return engine_test_row; }
inline void Engine_Test_Position(u32* order, u32* row) {
  *order = 0;
  *row = engine_test_row;
}

// A fixture over a host surface; the data file it served is closed and removed afterwards.
class EngineTest : public ::testing::Test {
 public:
  std::vector<u32> surface;
  std::string datafile;

  void TearDown() override {
    if (File_Is_Initialised()) File_Done();
    if (!datafile.empty()) std::remove(datafile.c_str());
  }
};

// The video layer over engine memory, with a host surface and the mode as the frame services open it.
class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Output_Of([] {
      Mem_Init(0);
      Vbe_Reset();
    });
  }
  void TearDown() override {
    Mem_Done();
    Vbe_Reset();
    Vbe_Set_Host_Surface(nullptr, 0, 0);
  }

  // The host's zero-filled surface, registered with the video layer.
  void Make_Surface(u32 width, u32 height, u32 fill = 0) {
    surface.assign(size_t(width) * height, fill);
    Vbe_Set_Host_Surface(surface.data(), width, height);
  }

  // The mode as the frame services open it: detection, mode set, letterbox of `border` per cent,
  // frame buffer, clear.
  void Open_Mode(u32 width, u32 height, u32 border = 7) {
    if (surface.size() != size_t(width) * height) Make_Surface(width, height);
    Output_Of([&] { Vbe_Set_Mode(Vbe_Detect_16M(width, height)); });
    u32 p = height * border / 100;
    Vbe_Squeze(p, height - p);
    Vbe_Alloc_Buffer();
    Vbe_Clear();
  }

  std::vector<u32> surface;
};

