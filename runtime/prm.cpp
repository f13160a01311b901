// Option table and parser: registration, removal, the argument list, parsing and both help listings.
#include "runtime/prm.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "runtime/err.h"

namespace {
PrmOption prm_rows[kPrmRows];
u8 prm_count = 0;
const char* prm_arguments[kPrmArguments];
i32 prm_argument_count = 0;
u8 prm_ready = 0;
char prm_value[kPrmValueBytes];
char prm_split[kPrmValueBytes];
}  // namespace

void Prm_Add_Option(const char* name, u8 kind, DemoCallback handler, const char* help) {
  if (prm_count + 1u >= kPrmRows) Err_Error("Prm: Too many options");
  PrmOption& row = prm_rows[++prm_count];
  snprintf(row.name, sizeof row.name, "%s", name);
  row.kind = kind;
  row.handler = handler;
  row.help = help;
}

u8 Prm_Remove_Option(const char* name) {
  for (u8 i = prm_count; i >= 1; i--) {
    if (strcasecmp(prm_rows[i].name, name) != 0) continue;
    memmove(&prm_rows[i], &prm_rows[i + 1], sizeof(PrmOption) * (prm_count - i));
    prm_count--;
    return prm_count;
  }
  Err_Error("Prm: Unable to remove parameter");
}

void Prm_Init(i32 count, const char* const* arguments) {
  for (i32 i = 1; i < count; i++) Prm_Add_Argument(arguments[i]);
  prm_ready = 1;
}

void Prm_Add_Argument(const char* text) {
  if (prm_argument_count >= i32(kPrmArguments)) Err_Error("Prm: Too many parameters");
  prm_arguments[prm_argument_count++] = text;
}

void Prm_Parse(void) {
  if (!prm_ready) return;
  for (i32 a = 0; a < prm_argument_count; a++) {
    const char* argument = prm_arguments[a];
    const char* text = argument + ((argument[0] == '-' || argument[0] == '/') ? 1 : 0);
    bool matched = false;
    for (u8 i = 1; i <= prm_count && !matched; i++) {
      const PrmOption& row = prm_rows[i];
      size_t n = strlen(row.name);
      if (strncasecmp(text, row.name, n) != 0) continue;
      matched = true;
      u8 kind = row.kind & u8(~(PRM_UNLISTED | PRM_SUPER));
      if (kind == PRM_SWITCH) {
        if (row.handler) row.handler();
      } else if (kind == PRM_VALUE) {
        snprintf(prm_value, sizeof prm_value, "%s", text + n);
        if (!prm_value[0]) Err_Error("Prm: No parameter value specified in: %s", argument);
        if (row.handler) row.handler();
      }
    }
    if (!matched) Err_Error("Prm: Illegal parameter: %s", argument);
  }
}

void Prm_Show_Options(void) {
  printf("Prm: Options:\n");
  for (u8 i = 1; i <= prm_count; i++)
    if (!(prm_rows[i].kind & (PRM_UNLISTED | PRM_SUPER))) printf("     %s   \t   %s\n", prm_rows[i].name, prm_rows[i].help);
  printf("\n");
}

void Prm_Show_Super_Options(void) {
  printf("Prm: Super Options:\n");
  for (u8 i = 1; i <= prm_count; i++)
    if (!(prm_rows[i].kind & PRM_UNLISTED)) printf("  %20s   %s\n", prm_rows[i].name, prm_rows[i].help);
  printf("\n");
}

const char* Prm_Split(char* text, char separator) {
  const char* at = strchr(text, separator);
  size_t n = at ? size_t(at - text) : strlen(text);
  size_t kept = n < sizeof prm_split ? n : sizeof prm_split - 1;
  memcpy(prm_split, text, kept);
  prm_split[kept] = 0;
  memmove(text, text + n, strlen(text + n) + 1);
  return prm_split;
}

const char* Prm_Get_Value(void) { return prm_value; }
u8 Prm_Get_Count(void) { return prm_count; }
const PrmOption* Prm_Get_Option(u8 row) { return row >= 1 && row <= prm_count ? &prm_rows[row] : nullptr; }
