// The running program's own folder, from the system.
#include <cstring>

#include "platform/plat.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

bool Plat_Program_Dir(char* path, u32 size) {
  if (size == 0) return false;
#ifdef _WIN32
  DWORD n = GetModuleFileNameA(nullptr, path, size);
#else
  ssize_t n = readlink("/proc/self/exe", path, size);
#endif
  if (n <= 0 || u32(n) >= size) return false;
  path[n] = 0;
  char* cut = strrchr(path, '/');
  char* back = strrchr(path, '\\');
  if (back > cut) cut = back;
  if (!cut) return false;
  *cut = 0;
  return true;
}
