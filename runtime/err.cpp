// Fatal errors: the message table, the exit hook and the process exit with the message's index.
#include "runtime/err.h"

#include "runtime/con.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const int kMessageSlots = 20;
const int kLineBytes = 80;

void Err_No_Hook(void) {}

const char* err_messages[kMessageSlots] = {""};
u8 err_count = 0;
DemoCallback err_exit_hook = Err_No_Hook;
u8 err_initialised = 0;
bool err_in_hook = false;
void (*err_message_hook)(const char*) = nullptr;
char err_format_buffer[kLineBytes];  // lives until the process ends
}  // namespace

void Err_Init(void) { err_initialised = 1; }
void Err_Done(void) { err_initialised = 0; }
u8 Err_Is_Initialised(void) { return err_initialised; }
void Err_Set_Exit_Hook(DemoCallback hook) { err_exit_hook = hook ? hook : Err_No_Hook; }
void Err_Set_Message_Hook(void (*hook)(const char* text)) { err_message_hook = hook; }

u8 Err_Message(const char* text) {
  // Only 19 slots exist; a run registers one message before it exits, so the last slot is reused.
  if (err_count < kMessageSlots - 1) err_count++;
  err_messages[err_count] = text;
  return err_count;
}

void Err_Exit(u8 index) {
  // A fatal error raised by the shutdown itself must not run the shutdown again.
  if (!err_in_hook) {
    err_in_hook = true;
    err_exit_hook();
  }
  index = err_count < index ? err_count : index;
  fputs("\n", stdout);
  // The 0xFE mark, then a blank, the text cut to 76 characters and a carriage return: printed as text,
  // never as a format.
  char line[kLineBytes];
  const char* text = err_messages[index] ? err_messages[index] : "";
  size_t n = strlen(text);
  if (n > kLineBytes - 4) n = kLineBytes - 4;
  line[0] = ' ';
  memcpy(line + 1, text, n);
  line[1 + n] = '\r';
  Con_Put_Glyph(CON_SQUARE);
  fwrite(line, 1, n + 2, stdout);
  fputs("\n", stdout);
  fflush(stdout);
  if (err_message_hook) err_message_hook(text);
  Err_Done();
  exit(index);
}

void Err_Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(err_format_buffer, sizeof err_format_buffer, format, args);
  va_end(args);
  Err_Exit(Err_Message(err_format_buffer));
}

void Err_Uncaught_Exception(void) {
  Err_Done();
  Err_Exit(Err_Message("Err: Uncaught exception, code:"));
}
