// Fatal errors: a registered message, the exit hook, one line on standard output, exit with the message index.
#pragma once
#include "runtime/types.h"

void Err_Init(void);
void Err_Done(void);
u8 Err_Is_Initialised(void);
void Err_Set_Exit_Hook(DemoCallback hook);
// Also given each fatal message after it is printed (the platform shows it where standard output reaches
// no one); null: none.
void Err_Set_Message_Hook(void (*hook)(const char* text));
u8 Err_Message(const char* text);
[[noreturn]] void Err_Exit(u8 index);
[[noreturn]] void Err_Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void Err_Uncaught_Exception(void);
