// Pixel and sprite routines on the frame buffer.
#pragma once
#include "runtime/types.h"

void Vbe_Darken(i32 amount);
void Vbe_Brighten(i32 amount);
