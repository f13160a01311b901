// The Linux launcher: reads the VELMORAN_* settings, finds the data, starts the platform and runs
// the host; a headless limit ends the run with exit code 124.
#include "host/launch.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/avi.h"
#include "host/win.h"
#include "platform/plat.h"

#ifndef VELMORAN_DATA_DIR
#define VELMORAN_DATA_DIR "data"
#endif

namespace {
const int kExitLimit = 124;
const int kExitBadSettings = 2;

void Launch_Platform_Done(void) { Plat_Done(); }

bool Launch_Is_Absolute(const char* path) {
  return path[0] == '/' || path[0] == '\\' || (path[0] && path[1] == ':');
}

// Output files named relative to where the program was started stay there after a change of directory.
void Launch_Absolute(char* path, size_t size) {
  if (!path[0] || Launch_Is_Absolute(path)) return;
  char cwd[1024];
  if (!getcwd(cwd, sizeof cwd)) return;
  std::string joined = std::string(cwd) + "/" + path;
  if (joined.size() >= size) {
    fprintf(stderr, "Velmoran: the path %s is too long; it stays relative to the data directory\n", joined.c_str());
    return;
  }
  snprintf(path, size, "%s", joined.c_str());
}

bool Launch_Data_Here(void) { return access("velmoran.dat", R_OK) == 0 && access("velmoran.xm", R_OK) == 0; }

// The show opens its files in the current directory; without them there, the program's own folder,
// then the build's data.
void Launch_Find_Data(void) {
  if (Launch_Data_Here()) return;
  char cwd[1024], program[1024];
  if (getcwd(cwd, sizeof cwd) && Plat_Program_Dir(program, sizeof program) && chdir(program) == 0) {
    if (Launch_Data_Here()) return;
    if (chdir(cwd) != 0) perror(cwd);
  }
  const char* dir = getenv("VELMORAN_DATA");
  if (!dir || !*dir) dir = VELMORAN_DATA_DIR;
  if (access(dir, X_OK) == 0 && chdir(dir) != 0) perror(dir);
}
}  // namespace

int Launch_Main(int, char**) {
  PlatConfig config;
  if (!Plat_Config_From_Env(&config)) return kExitBadSettings;
  Launch_Absolute(config.crc_log, sizeof config.crc_log);
  Launch_Absolute(config.dump_dir, sizeof config.dump_dir);
  Launch_Absolute(config.avi, sizeof config.avi);
  Launch_Absolute(config.wav, sizeof config.wav);
#if !__has_include(<png.h>)
  // Built without libpng (the Windows program): said once before the show, instead of at every frame.
  if (config.dump_dir[0]) fprintf(stderr, "Velmoran: %s: this program writes no PNG pictures\n", config.dump_dir);
  config.dump_dir[0] = 0;
#endif
  // The folder for pictures is made now; one that cannot be made stops the run before it starts.
  if (config.dump_dir[0] && !Plat_Capture_Make_Dir(config.dump_dir)) return kExitBadSettings;
  Launch_Find_Data();
  Plat_Capture_Set_Video_Writer(Avi_Capture_Writer());
  if (!Plat_Init(config)) return WIN_EXIT_WINDOW;
  // Fatal errors leave through exit(): the platform still closes its window and device.
  atexit(Launch_Platform_Done);
  int code = WinMain();
  fflush(stdout);
  if (Plat_Limit_Reached()) code = kExitLimit;
  return code;
}
