// The engine's command-line option rows and their handlers.
#pragma once
#include "runtime/types.h"

// Registers every row of the engine's option table with Prm_Add_Option, in order.
void Demo_Add_Options(void);
