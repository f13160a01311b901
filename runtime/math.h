// Math tables and fixed point: sine and cosine tables, conversions, percent, random generators.
#pragma once
#include "runtime/types.h"

void Math_Init(void);
u32 Math_Percent(u32 value, u32 percent);
