// The post-effect layer: effects laid over every scene frame and advanced by every scene tick.
#pragma once
#include "runtime/types.h"

void Design_Init(void);
void Design_Load_Overlays_1(void);
void Design_Load_Overlays_2(void);
void Design_Free(void);
void Design_Tick(void);
void Design_Apply(void);
