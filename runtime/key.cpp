// Keyboard state: the table of held keys, written by the window procedure and polled by the engine.
#include "runtime/key.h"

#include <cstring>

#ifdef _WIN32
#include <conio.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace {
u8 key_down[128];
u8 key_any = 0;
u8 key_hooked = 0;

// The console is asked whether a key waits: the console's own test on Windows; elsewhere standard input
// when it is a terminal, looked at without waiting and without reading it.
bool Key_Console_Waiting(void) {
#ifdef _WIN32
  return _kbhit() != 0;
#else
  if (!isatty(STDIN_FILENO)) return false;
  pollfd input = {STDIN_FILENO, POLLIN, 0};
  return poll(&input, 1, 0) > 0 && (input.revents & POLLIN) != 0;
#endif
}
}  // namespace

void Key_Init(void) {
  memset(key_down, 0, sizeof key_down);
  key_any = 0;
  key_hooked = 1;
}

void Key_Done(void) { key_hooked = 0; }
// Events outside the hooked time are recorded anyway; codes are masked to the table's size.
void Key_Set_Down(u8 code) { key_down[code & 127] = 1; }
void Key_Set_Up(u8 code) { key_down[code & 127] = 0; }
bool Key_Is_Down(u8 code) { return key_down[code & 127] != 0; }
void Key_Clear(u8 code) { key_down[code & 127] = 0; }
bool Key_Pressed(void) { return key_hooked ? key_any != 0 : Key_Console_Waiting(); }
void Key_Clear_Any(void) { key_any = 0; }
