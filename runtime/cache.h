// Cache arena: one big block handing out first-fit sub-blocks to the memory module.
#pragma once
#include "runtime/types.h"

void* Cache_Alloc(u32 size);
void Cache_Free(void* pointer);
