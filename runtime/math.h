// Math tables and fixed point: sine and cosine tables, conversions, percent, random generators.
#pragma once
#include "runtime/types.h"

// Sine and cosine of the integer angles 0 .. 2047 (2048 to a full turn).
const u32 kMathTableSize = 2048;
struct SinCosTable {
  f32 sin[kMathTableSize];
  f32 cos[kMathTableSize];
};

void Math_Init(void);
void Math_Init_Sin_Cos(f32 steps);
const SinCosTable* Math_Get_Table(void);
// Angles outside 0 .. 2047 wrap around the turn.
f32 Math_Sin(i32 angle);
f32 Math_Cos(i32 angle);
// Truncates toward zero; NaN and values outside the i32 range give INT32_MIN.
i32 Math_Float_To_Int(f32 value);
i32 Math_Percent(i32 value, i32 percent);
i32 Math_Fixed_Mul(i32 a, i32 b);
// 16.16 quotient; division by zero and overflowing quotients saturate.
i32 Math_Fixed_Div(i32 a, i32 b);
// The engine's 15-bit generator on four 16-bit words.
u32 Math_Random_Raw(void);
// A raw draw divided by 33000 / n; n outside 1 .. 33000 gives 0.
i32 Math_Random(i32 n);
void Math_Seed_Random(void);
// The C runtime's rand: x = x * 214013 + 2531011, result (x >> 16) & 0x7fff; x starts at 1.
i32 Math_Crt_Rand(void);
void Math_Crt_Seed(u32 seed);
// The x87 precision switch has no counterpart here: float arithmetic is already single precision.
void Math_Set_Fpu_Single(void);
void Math_Restore_Fpu(void);
i32* Math_Init_Div_Table(i32 range, i32 rows);
// Row j of the division table, pointing at its i = 0 entry (valid for i = -range .. range - 1).
i32* Math_Get_Div_Row(i32 row);
// The 16.16 quotient (difference << 16) / row from the division table, when the table holds it.
bool Math_Div_Lookup(i32 row, i32 difference, i32* quotient);
i32* Math_Init_Mul_Table(i32 rows);
i32 Math_Mul(u32 a, u32 b);
i32 Math_Mul_Signed(i32 a, i32 b);
i32 Math_Return_Zero(void);
