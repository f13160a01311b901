// The project's own elementary functions against the C library's.
#include "runtime/dmath.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Dmath, AgreesWithTheCLibraryWithinAFewUnitsInTheLastPlace) {
  struct Row {
    f64 (*ours)(f64);
    f64 (*library)(f64);
    f64 from, to;
  };
  const Row rows[] = {
      {Dmath_Sin, [](f64 x) { return std::sin(x); }, -100, 100},
      {Dmath_Cos, [](f64 x) { return std::cos(x); }, -100, 100},
      {Dmath_Tan, [](f64 x) { return std::tan(x); }, -1.5, 1.5},
      {Dmath_Atan, [](f64 x) { return std::atan(x); }, -50, 50},
      {Dmath_Asin, [](f64 x) { return std::asin(x); }, -1, 1},
      {Dmath_Exp2, [](f64 x) { return std::exp2(x); }, -60, 60},
  };
  const int kSteps = 20011;
  for (const Row& r : rows)
    for (int i = 0; i <= kSteps; i++) {
      f64 x = r.from + (r.to - r.from) * i / kSteps;
      f64 want = r.library(x);
      ASSERT_NEAR(r.ours(x), want, 8e-16 * std::fmax(std::fabs(want), 1.0)) << x;
    }
  EXPECT_EQ(Dmath_Asin(1.0), kDmathPi / 2);
  EXPECT_TRUE(std::isnan(Dmath_Asin(1.5)));
  EXPECT_EQ(Dmath_Exp2(10.0), 1024.0);
}
