// Math tables and fixed point: table entries, wrapping angles, conversions, both generators' sequences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/math.h"
#include "runtime/mem.h"
#include "tests/runtime/runtime_test_util.h"

TEST(MathTables, QuarterTurnsHoldTheirValues) {
  Math_Init();
  EXPECT_EQ(Math_Sin(0), 0.0f);
  EXPECT_EQ(Math_Cos(0), 1.0f);
  EXPECT_EQ(Math_Sin(512), 1.0f);
  EXPECT_NEAR(Math_Cos(512), 0.0f, 1e-12);
  EXPECT_NEAR(Math_Sin(1024), 0.0f, 1e-12);
  EXPECT_EQ(Math_Cos(1024), -1.0f);
  EXPECT_EQ(Math_Sin(1536), -1.0f);
  EXPECT_NEAR(Math_Cos(1536), 0.0f, 1e-12);
  // The turn constant is a rounded 2 pi, so these are not exactly 0: they are -d, -2d and 3d, d being a
  // quarter of the constant's excess over 2 pi, as long as the angle is formed without rounding.
  EXPECT_EQ(Math_Cos(512), -1.03411556e-13f);
  EXPECT_EQ(Math_Sin(1024), -2.06823111e-13f);
  EXPECT_EQ(Math_Cos(1536), 3.10234667e-13f);
  EXPECT_EQ(Math_Sin(1), 0.0030679568f);
  EXPECT_EQ(Math_Cos(1), 0.9999953f);
  EXPECT_EQ(Math_Sin(256), 0.70710677f);
  EXPECT_EQ(Math_Cos(256), 0.70710677f);
}

TEST(MathTables, AnglesOutsideTheTurnWrap) {
  Math_Init();
  for (i32 a : {0, 1, 300, 1023, 2047}) {
    EXPECT_EQ(Math_Sin(a + 2048), Math_Sin(a));
    EXPECT_EQ(Math_Cos(a - 2048), Math_Cos(a));
    EXPECT_EQ(Math_Sin(a - 4096 * 3), Math_Sin(a));
  }
  EXPECT_EQ(Math_Sin(-512), Math_Sin(1536));
}

TEST(MathTables, OtherStepCountsFillOnlyTheirEntriesAndBadCountsNothing) {
  Math_Init();
  Math_Init_Sin_Cos(0.0f);
  Math_Init_Sin_Cos(-5.0f);
  EXPECT_EQ(Math_Sin(512), 1.0f);
  Math_Init_Sin_Cos(4.0f);  // a quarter turn per entry
  EXPECT_EQ(Math_Sin(1), 1.0f);
  EXPECT_EQ(Math_Cos(2), -1.0f);
  EXPECT_EQ(Math_Sin(512), 1.0f) << "entries from 4 on are left as they were";
  Math_Init_Sin_Cos(4096.0f);  // the first 2048 entries of a table of 4096 steps: half a turn
  EXPECT_EQ(Math_Sin(512), 0.70710677f);
  EXPECT_EQ(Math_Sin(1024), 1.0f);
  EXPECT_NEAR(Math_Cos(2047), -0.99999882f, 1e-7);  // -cos(pi / 2048)
}

TEST(MathConvert, TruncationPercentAndFixedPoint) {
  EXPECT_EQ(Math_Float_To_Int(-1.75f), -1);
  EXPECT_EQ(Math_Float_To_Int(1.99f), 1);
  EXPECT_EQ(Math_Float_To_Int(NAN), INT32_MIN);
  EXPECT_EQ(Math_Float_To_Int(3e9f), INT32_MIN);
  EXPECT_EQ(Math_Float_To_Int(-2147483648.0f), INT32_MIN);
  EXPECT_EQ(Math_Percent(7, 50), 3);
  EXPECT_EQ(Math_Percent(-7, 50), -3);
  EXPECT_EQ(Math_Percent(200, 7), 14);
  EXPECT_EQ(Math_Percent(65536, 65536), 0) << "the product wraps at 32 bits";
  EXPECT_EQ(Math_Fixed_Mul(3 << 16, -(1 << 15)), -(3 << 15));
  EXPECT_EQ(Math_Fixed_Div(1 << 16, 4 << 16), 1 << 14);
  EXPECT_EQ(Math_Fixed_Div(-7, 2), -229376);
  EXPECT_EQ(Math_Fixed_Div(5, 0), INT32_MAX);
  EXPECT_EQ(Math_Fixed_Div(-5, 0), INT32_MIN);
  EXPECT_EQ(Math_Fixed_Div(INT32_MAX, 1), INT32_MAX);
}

TEST(MathRandom, TheEngineGeneratorStartsWithItsKnownSequence) {
  const u32 raw[] = {17857, 23293, 13134, 18171, 14930, 8991, 585, 11927, 7770, 10899, 32237, 12293};
  for (u32 r : raw) EXPECT_EQ(Math_Random_Raw(), r);
  Math_Seed_Random();
  const i32 thousand[] = {541, 705, 398, 550, 452, 272, 17, 361};
  for (i32 r : thousand) EXPECT_EQ(Math_Random(1000), r);
  Math_Seed_Random();
  EXPECT_EQ(Math_Random_Raw(), 17857u);
}

TEST(MathRandom, RangesOfScaledDraws) {
  bool saw[3] = {};
  i32 top280 = 0;
  for (int i = 0; i < 200000; i++) {
    EXPECT_LE(Math_Random_Raw(), 32767u);
    i32 two = Math_Random(2);
    ASSERT_TRUE(two == 0 || two == 1);
    saw[two] = true;
    i32 r = Math_Random(280);
    ASSERT_LE(r, 280);
    top280 = r > top280 ? r : top280;
    EXPECT_EQ(Math_Random(1), 0);
  }
  EXPECT_TRUE(saw[0] && saw[1]);
  EXPECT_EQ(top280, 280) << "from n = 252 on the result can reach n";
  EXPECT_EQ(Math_Random(0), 0);
  EXPECT_EQ(Math_Random(40000), 0);
  EXPECT_LT(Math_Random(1000) - 500, 500) << "results are signed, so offsets below zero work";
}

TEST(MathRandom, TheCRuntimeGeneratorStartsWithItsKnownSequence) {
  const i32 crt[] = {41, 18467, 6334, 26500, 19169, 15724};
  for (i32 r : crt) EXPECT_EQ(Math_Crt_Rand(), r);
  Math_Crt_Seed(1);
  EXPECT_EQ(Math_Crt_Rand(), 41);
}

TEST(MathTables, DivisionAndMultiplicationTables) {
  i32* div = Math_Init_Div_Table(100, 8);
  EXPECT_EQ(Mem_Get_Size(div), 100u * 8 * 8);
  EXPECT_STREQ(Mem_Get_Description(div), "Math: Div-Table");
  EXPECT_EQ(Math_Get_Div_Row(0)[-100], 0);
  EXPECT_EQ(Math_Get_Div_Row(4)[1], 16384);
  EXPECT_EQ(Math_Get_Div_Row(3)[-100], -2184533);
  EXPECT_EQ(Math_Get_Div_Row(7)[99], 99 * 65536 / 7);
  EXPECT_EQ(Math_Get_Div_Row(1), div + 100 + 200);
  i32* mul = Math_Init_Mul_Table(5);
  EXPECT_EQ(Mem_Get_Size(mul), 5u * 2048);
  EXPECT_STREQ(Mem_Get_Description(mul), "Math: Mul-Table");
  EXPECT_EQ(Math_Mul(4, 511), 2044);
  EXPECT_EQ(Math_Mul_Signed(-3, -4), 12);
  EXPECT_EQ(Math_Mul_Signed(-3, 4), -12);
  EXPECT_EQ(Math_Mul_Signed(3, -4), -12);
  EXPECT_EQ(Math_Return_Zero(), 0);
  EXPECT_FATAL(Math_Mul(5, 0), "Math: Mul-Table index out of range");
  EXPECT_FATAL(Math_Mul_Signed(INT32_MIN, 1), "Math: Mul-Table index out of range");
  EXPECT_FATAL(Math_Init_Div_Table(10, 1025), "Math: Illegal Div-Table size");
}
