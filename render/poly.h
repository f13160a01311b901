// Polygon set-up, clipping and the raster array.
#pragma once
#include "runtime/types.h"

void Poly_Init(void);
