// Math tables and fixed point: table entries, wrapping angles, conversions, both generators' sequences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "runtime/math.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

TEST(MathTables, QuarterTurnsHoldTheirValuesAnglesWrapAndOtherStepCountsFillTheirEntries) {
  Math_Init();
  EXPECT_EQ(Math_Sin(512), 1.0f);
  EXPECT_EQ(Math_Sin(1536), -1.0f);
  // The turn constant is a rounded 2 pi, so these are not exactly 0: they are -d, -2d and 3d, d being a
  // quarter of the constant's excess over 2 pi, as long as the angle is formed without rounding.
  EXPECT_EQ(Math_Cos(512), -1.03411556e-13f);
  EXPECT_EQ(Math_Sin(1024), -2.06823111e-13f);
  EXPECT_EQ(Math_Cos(1536), 3.10234667e-13f);
  EXPECT_EQ(Math_Sin(300 + 2048), Math_Sin(300));
  EXPECT_EQ(Math_Cos(300 - 4096 * 3), Math_Cos(300));
  // Other step counts fill only their entries, bad counts none.
  Math_Init_Sin_Cos(0.0f);
  Math_Init_Sin_Cos(-5.0f);
  EXPECT_EQ(Math_Sin(512), 1.0f);
  Math_Init_Sin_Cos(4.0f);  // a quarter turn per entry
  EXPECT_EQ(std::make_pair(Math_Sin(1), Math_Cos(2)), std::make_pair(1.0f, -1.0f));
  EXPECT_NEAR(Math_Sin(4), 0.01227154f, 1e-8) << "entries from 4 on are left as they were: sin(pi / 256)";
  Math_Init_Sin_Cos(4096.0f);  // the first 2048 entries of a table of 4096 steps: half a turn
  EXPECT_EQ(Math_Sin(1024), 1.0f);
  EXPECT_NEAR(Math_Cos(2047), -0.99999882f, 1e-7);  // -cos(pi / 2048)
}

TEST(MathConvert, TruncationPercentAndFixedPoint) {
  EXPECT_EQ(Math_Float_To_Int(-1.75f), -1);
  EXPECT_EQ(Math_Percent(-7, 50), -3);
  EXPECT_EQ(Math_Percent(65536, 65536), 0) << "the product wraps at 32 bits";
  EXPECT_EQ(Math_Fixed_Div(-7, 2), -229376);
  EXPECT_EQ(Math_Fixed_Div(5, 0), INT32_MAX);
  EXPECT_EQ(Math_Fixed_Div(-5, 0), INT32_MIN);
}

TEST(MathRandom, BothGeneratorsStartWithTheirKnownSequences) {
  for (u32 r : {17857u, 23293u, 13134u, 18171u}) EXPECT_EQ(Math_Random_Raw(), r);
  Math_Seed_Random();
  for (i32 r : {541, 705, 398, 550}) EXPECT_EQ(Math_Random(1000), r);
  Math_Seed_Random();  // the divisor is 1 for n = 33000: the raw value itself
  EXPECT_EQ(Math_Random(33000), 17857);
  for (i32 r : {41, 18467, 6334, 26500}) EXPECT_EQ(Math_Crt_Rand(), r);
  Math_Crt_Seed(1);
  EXPECT_EQ(Math_Crt_Rand(), 41);
}

TEST(MathTables, MultiplicationTableAndBadTables) {
  Math_Init_Mul_Table(5);
  EXPECT_EQ(std::make_pair(Math_Mul_Signed(-3, -4), Math_Mul_Signed(3, -4)), std::make_pair(12, -12));
  EXPECT_FATAL("Math: Mul-Table index out of range", Math_Mul(5, 0));
  EXPECT_FATAL("Math: Mul-Table index out of range", Math_Mul_Signed(INT32_MIN, 1));
  EXPECT_FATAL("Math: Illegal Div-Table size", Math_Init_Div_Table(10, 1025));
}
