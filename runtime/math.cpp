// Math tables and fixed point: sine tables, truncating conversion, 16.16 helpers, the two random generators.
#include "runtime/math.h"

#include <cmath>
#include <cstdint>

#include "runtime/err.h"
#include "runtime/mem.h"
#include "runtime/dmath.h"

namespace {
SinCosTable math_table;
u16 math_a = 1234, math_b = 5678, math_c = 0x1234, math_d = 0x5678;
u32 math_crt_state = 1;
u16 math_fpu_word = 0;
i32* math_div_rows[1024];
i32 math_div_row_count = 0;
i32 math_div_range = 0;
i32* math_mul_table = nullptr;
i32 math_mul_rows = 0;

u16 Rol16(u16 v, u32 n) { return n ? u16(v << n | v >> (16 - n)) : v; }
u16 Ror16(u16 v, u32 n) { return n ? u16(v >> n | v << (16 - n)) : v; }
}  // namespace

void Math_Init(void) {
  Math_Init_Sin_Cos(2048.0f);
  Math_Set_Fpu_Single();
}

void Math_Init_Sin_Cos(f32 steps) {
  if (!(steps > 0.0f)) return;
  // The angle k x turn / steps kept wider than a double, the project's own sine, then rounded to
  // f32: the table is the same on every run, machine and system. A table of more steps than entries
  // fills the entries it has.
  const f64 turn = 6.28318530718;
  for (u32 k = 0; f32(k) < steps && k < kMathTableSize; k++) {
    f64 s, c;
    Dmath_Sin_Cos_Of_Ratio(f64(k), turn, f64(steps), &s, &c);
    math_table.sin[k] = f32(s);
    math_table.cos[k] = f32(c);
  }
}

const SinCosTable* Math_Get_Table(void) { return &math_table; }
f32 Math_Sin(i32 angle) { return math_table.sin[angle & 2047]; }
f32 Math_Cos(i32 angle) { return math_table.cos[angle & 2047]; }

i32 Math_Float_To_Int(f32 value) {
  if (!(value > -2147483904.0f && value < 2147483648.0f)) return INT32_MIN;
  return i32(value);
}

i32 Math_Percent(i32 value, i32 percent) {
  // The product wraps at 32 bits, as a 32-bit multiply does.
  i32 product = i32(u32(i64(value) * i64(percent)));
  return product / 100;
}

i32 Math_Fixed_Mul(i32 a, i32 b) { return i32(u32(u64((i64(a) * i64(b)) >> 16))); }

i32 Math_Fixed_Div(i32 a, i32 b) {
  if (b == 0) return a == 0 ? 0 : a > 0 ? INT32_MAX : INT32_MIN;
  i64 q = (i64(a) * 65536) / i64(b);
  if (q > INT32_MAX) return INT32_MAX;
  if (q < INT32_MIN) return INT32_MIN;
  return i32(q);
}

u32 Math_Random_Raw(void) {
  u16 t = u16(Rol16(u16(math_a + math_b), math_c & 15) ^ math_d);
  u16 c1 = u16(math_c << 8 | math_c >> 8);
  u16 b1 = u16(math_b + c1);
  math_d = u16(math_d + b1);
  math_c = u16(c1 + t);
  u16 carry = b1 & 1;
  math_b = Ror16(b1, 1);
  math_a = u16(t - math_d - carry);
  return math_a & 0x7FFF;
}

i32 Math_Random(i32 n) {
  if (n < 1 || n > 33000) return 0;
  return i32(Math_Random_Raw() / u32(33000 / n));
}

void Math_Seed_Random(void) {
  math_a = 1234;
  math_b = 5678;
  math_c = 0x1234;
  math_d = 0x5678;
}

i32 Math_Crt_Rand(void) {
  math_crt_state = math_crt_state * 214013u + 2531011u;
  return i32((math_crt_state >> 16) & 0x7FFF);
}

void Math_Crt_Seed(u32 seed) { math_crt_state = seed; }

void Math_Set_Fpu_Single(void) { math_fpu_word = 0; }
void Math_Restore_Fpu(void) { (void)math_fpu_word; }

i32* Math_Init_Div_Table(i32 range, i32 rows) {
  if (range < 1 || range > 32767 || rows < 1 || rows > 1024) Err_Error("Math: Illegal Div-Table size");
  i32* block = static_cast<i32*>(Mem_Alloc(u32(range) * u32(rows) * 8));
  Mem_Set_Description(block, "Math: Div-Table");
  i32* p = block;
  for (i32 j = 0; j < rows; j++)
    for (i32 i = -range; i < range; i++) *p++ = j == 0 ? 0 : i32(i64(i) * 65536 / j);
  for (i32 j = 0; j < rows; j++) math_div_rows[j] = block + range + j * 2 * range;
  math_div_row_count = rows;
  math_div_range = range;
  return block;
}

bool Math_Div_Lookup(i32 row, i32 difference, i32* quotient) {
  if (row <= 0 || row >= math_div_row_count || difference < -math_div_range || difference >= math_div_range)
    return false;
  *quotient = math_div_rows[row][difference];
  return true;
}

i32* Math_Get_Div_Row(i32 row) {
  if (row < 0 || row >= math_div_row_count) Err_Error("Math: Div-Table row out of range");
  return math_div_rows[row];
}

i32* Math_Init_Mul_Table(i32 rows) {
  if (rows < 1 || rows > 4096) Err_Error("Math: Illegal Mul-Table size");
  math_mul_table = static_cast<i32*>(Mem_Alloc(u32(rows) * 2048));
  Mem_Set_Description(math_mul_table, "Math: Mul-Table");
  for (i32 j = 0; j < rows; j++)
    for (i32 i = 0; i < 512; i++) math_mul_table[j * 512 + i] = i * j;
  math_mul_rows = rows;
  return math_mul_table;
}

i32 Math_Mul(u32 a, u32 b) {
  if (!math_mul_table || a >= u32(math_mul_rows) || b >= 512) Err_Error("Math: Mul-Table index out of range");
  return math_mul_table[a * 512 + b];
}

i32 Math_Mul_Signed(i32 a, i32 b) {
  // Magnitudes in unsigned arithmetic: negating the smallest i32 would overflow.
  i32 m = Math_Mul(a < 0 ? 0u - u32(a) : u32(a), b < 0 ? 0u - u32(b) : u32(b));
  return (a < 0) != (b < 0) ? -m : m;
}

i32 Math_Return_Zero(void) { return 0; }
