// Option table and parser.
#pragma once
#include "runtime/types.h"

void Prm_Parse(void);
