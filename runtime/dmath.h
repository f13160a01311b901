// Elementary functions computed with plain double arithmetic, so every compiler and C library
// gives the same bits (the C library's sin, tan, asin and exp2 differ between systems).
#pragma once
#include "runtime/types.h"

extern const f64 kDmathPi;

f64 Dmath_Sin(f64 x);
f64 Dmath_Cos(f64 x);
// sin and cos of k x turn / steps, the angle formed without rounding the product or the quotient.
void Dmath_Sin_Cos_Of_Ratio(f64 k, f64 turn, f64 steps, f64* sine, f64* cosine);
f64 Dmath_Tan(f64 x);
f64 Dmath_Atan(f64 x);
// NaN outside -1 .. 1.
f64 Dmath_Asin(f64 x);
f64 Dmath_Exp2(f64 x);
