// The Windows program's console: Win_Open_Console makes one for a program that has none, and standard
// output and error are written into it. usage: velmoran-console-check (a GUI program); exit 0 when the
// line printed to each is read back from the console's screen, else 1.
#include <windows.h>

#include <cstdio>
#include <cstring>

// From host/win.h, which cannot be included beside the system's headers (both declare a WinMain).
bool Win_Open_Console(void);

int main() {
  const char kLine[] = "Velmoran: a line on standard output";
  if (!Win_Open_Console()) return 1;
  printf("%s\n", kLine);
  fflush(stdout);
  fprintf(stderr, "%s\n", kLine);  // standard error below it, on the second row
  HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  char shown[sizeof kLine] = "", below[sizeof kLine] = "";
  DWORD read = 0;
  ReadConsoleOutputCharacterA(screen, shown, sizeof kLine - 1, COORD{0, 0}, &read);
  ReadConsoleOutputCharacterA(screen, below, sizeof kLine - 1, COORD{0, 1}, &read);
  return strcmp(shown, kLine) == 0 && strcmp(below, kLine) == 0 ? 0 : 1;
}
