// CPU detection and timing.
#pragma once
#include "runtime/types.h"

// The processor and compiler listing of the "compiler" option.
void Cpu_Show_Info(void);
