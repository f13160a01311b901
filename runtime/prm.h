// Option table and parser: named switches and options with values, matched case-insensitively by prefix.
#pragma once
#include "runtime/types.h"

enum : u8 {
  PRM_SWITCH = 1,    // the handler runs
  PRM_VALUE = 2,     // the text after the name is the value
  PRM_UNLISTED = 8,  // in neither help list
  PRM_SUPER = 16,    // listed only by the super help
};

struct PrmOption {
  char name[20];  // as typed, without '-' or '/'; a name that takes a value ends with ':'
  u8 kind;
  DemoCallback handler;
  const char* help;
};

const u32 kPrmRows = 50;  // row 0 is never used
const u32 kPrmArguments = 30;
const u32 kPrmValueBytes = 256;

void Prm_Add_Option(const char* name, u8 kind, DemoCallback handler, const char* help);
u8 Prm_Remove_Option(const char* name);
void Prm_Init(i32 count, const char* const* arguments);
void Prm_Add_Argument(const char* text);
void Prm_Parse(void);
void Prm_Show_Options(void);
void Prm_Show_Super_Options(void);
// Returns the text before the first separator and shifts the text to start at that separator, which
// stays in front: splitting again at once gives an empty result, so callers step past it themselves.
const char* Prm_Split(char* text, char separator);
// The value of the last option that takes one, for its handler.
const char* Prm_Get_Value(void);
u8 Prm_Get_Count(void);
const PrmOption* Prm_Get_Option(u8 row);
