// Data file and file layer: entries of one data file, or plain files, read one open file at a time.
#pragma once
#include "runtime/types.h"

void File_Set_Datafile(const char* name);
void File_Init(void);
void File_Done(void);
u32 File_Count(void);
