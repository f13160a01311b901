// Elementary functions from range reduction and series in double precision: only +, -, *, /,
// floor, sqrt and ldexp, which are exact or correctly rounded on every system.
#include "runtime/dmath.h"

#include <cmath>
#include <limits>

const f64 kDmathPi = 3.141592653589793;

namespace {
// pi/2 in three parts of 33, 33 and 53 bits: k x each of the first two is exact for k < 2^20.
const f64 kPio2Part1 = 1.57079632673412561417e+00;
const f64 kPio2Part2 = 6.07710050630396597660e-11;
const f64 kPio2Part3 = 2.02226624879595063154e-21;
const f64 kTwoOverPi = 0.63661977236758134308;
const f64 kLargest = 1048576.0;  // beyond this the reduction is no longer exact
const f64 kLn2 = 0.69314718055994530942;
const f64 kSqrt3 = 1.73205080756887729353;
const f64 kTanPi12 = 0.26794919243112270647;  // 2 - sqrt(3)
const int kSineTerms = 12;   // |r| <= pi/4: the next term is below 1e-27
const int kAtanTerms = 22;   // |y| <= 2 - sqrt(3): 0.072^22 is far below an ulp
const int kExpTerms = 24;    // 0 <= e < ln 2

// sin r and cos r for |r| <= pi/4, as nested Horner forms of the Taylor series.
f64 Dmath_Sin_Kernel(f64 r) {
  f64 r2 = r * r, t = 1.0;
  for (int n = kSineTerms; n >= 1; n--) t = 1.0 - r2 / f64((2 * n) * (2 * n + 1)) * t;
  return r * t;
}

f64 Dmath_Cos_Kernel(f64 r) {
  f64 r2 = r * r, t = 1.0;
  for (int n = kSineTerms; n >= 1; n--) t = 1.0 - r2 / f64((2 * n - 1) * (2 * n)) * t;
  return t;
}

// x = hi + lo = k x pi/2 + r; returns r and the quadrant k mod 4.
f64 Dmath_Reduce(f64 hi, f64 lo, int* quadrant) {
  f64 k = std::floor(hi * kTwoOverPi + 0.5);
  *quadrant = int(k - 4.0 * std::floor(k / 4.0));
  return (((hi - k * kPio2Part1) - k * kPio2Part2) - k * kPio2Part3) + lo;
}

// a x b = p + e exactly (Dekker's product: each factor split into halves of 26 bits).
f64 Dmath_Two_Product(f64 a, f64 b, f64* e) {
  const f64 kSplit = 134217729.0;  // 2^27 + 1
  f64 ca = kSplit * a, cb = kSplit * b;
  f64 ah = ca - (ca - a), al = a - ah, bh = cb - (cb - b), bl = b - bh;
  f64 p = a * b;
  *e = (((ah * bh - p) + ah * bl) + al * bh) + al * bl;
  return p;
}

f64 Dmath_Sin_Of(f64 hi, f64 lo) {
  if (!(std::fabs(hi) <= kLargest)) return std::numeric_limits<f64>::quiet_NaN();
  int q;
  f64 r = Dmath_Reduce(hi, lo, &q);
  static const int kSigns[4] = {1, 1, -1, -1};
  return kSigns[q] * ((q & 1) ? Dmath_Cos_Kernel(r) : Dmath_Sin_Kernel(r));
}

f64 Dmath_Cos_Of(f64 hi, f64 lo) {
  if (!(std::fabs(hi) <= kLargest)) return std::numeric_limits<f64>::quiet_NaN();
  int q;
  f64 r = Dmath_Reduce(hi, lo, &q);
  static const int kSigns[4] = {1, -1, -1, 1};
  return kSigns[q] * ((q & 1) ? Dmath_Sin_Kernel(r) : Dmath_Cos_Kernel(r));
}
}  // namespace

f64 Dmath_Sin(f64 x) { return Dmath_Sin_Of(x, 0.0); }
f64 Dmath_Cos(f64 x) { return Dmath_Cos_Of(x, 0.0); }

void Dmath_Sin_Cos_Of_Ratio(f64 k, f64 turn, f64 steps, f64* sine, f64* cosine) {
  // The product and the quotient are kept as hi + lo, as wide as an extended-precision register.
  f64 product_lo, remainder_lo;
  f64 product = Dmath_Two_Product(k, turn, &product_lo);
  f64 hi = product / steps;
  f64 back = Dmath_Two_Product(hi, steps, &remainder_lo);
  f64 lo = (((product - back) - remainder_lo) + product_lo) / steps;
  *sine = Dmath_Sin_Of(hi, lo);
  *cosine = Dmath_Cos_Of(hi, lo);
}

f64 Dmath_Tan(f64 x) { return Dmath_Sin(x) / Dmath_Cos(x); }

f64 Dmath_Atan(f64 x) {
  if (x != x) return x;
  if (x < 0) return -Dmath_Atan(-x);
  if (x > 1.0) return kDmathPi / 2 - Dmath_Atan(1.0 / x);
  f64 base = 0.0, y = x;
  if (x > kTanPi12) {
    // atan x = pi/6 + atan((x sqrt 3 - 1) / (sqrt 3 + x)) brings the argument near 0.
    base = kDmathPi / 6;
    y = (x * kSqrt3 - 1.0) / (kSqrt3 + x);
  }
  f64 y2 = y * y, t = 0.0;
  for (int n = kAtanTerms; n >= 0; n--) t = 1.0 / f64(2 * n + 1) - y2 * t;
  return base + y * t;
}

f64 Dmath_Asin(f64 x) {
  if (!(std::fabs(x) <= 1.0)) return std::numeric_limits<f64>::quiet_NaN();
  if (std::fabs(x) == 1.0) return x * (kDmathPi / 2);
  return Dmath_Atan(x / std::sqrt((1.0 - x) * (1.0 + x)));
}

f64 Dmath_Exp2(f64 x) {
  if (x != x) return x;
  if (x > 1100.0) return std::numeric_limits<f64>::infinity();
  if (x < -1100.0) return 0.0;
  f64 n = std::floor(x), e = (x - n) * kLn2, t = 1.0;
  for (int k = kExpTerms; k >= 1; k--) t = 1.0 + e / f64(k) * t;
  return std::ldexp(t, int(n));
}
