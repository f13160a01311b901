// The show's timeline: every event of the show added to the sequencer.
#pragma once
#include "runtime/types.h"

void Demo_Setup_Sequence(void);
u32 Demo_Timeline_Count(void);  // events added, the end event included
