// CPU detection and timing: the detection line against the system's own report, slots, profile, LEDs, listings.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/cpu.h"
#include "video/font.h"
#include "video/vbe.h"

namespace {
std::string Output_Of(void (*f)(void)) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}

// The family number as CPUID reports it in bits 8 - 11 of leaf 1, read from the kernel's report.
int Proc_Family(bool* mmx) {
  FILE* f = fopen("/proc/cpuinfo", "r");
  if (!f) return -1;
  char line[4096];
  int family = -1;
  *mmx = false;
  while (fgets(line, sizeof line, f)) {
    if (family < 0 && sscanf(line, "cpu family : %d", &family) == 1) continue;
    if (strncmp(line, "flags", 5) == 0 && strstr(line, " mmx ")) *mmx = true;
  }
  fclose(f);
  return family > 15 ? 15 : family;  // the extended family is added above 15
}

class Overlay : public ::testing::Test {
 protected:
  std::vector<u32> frame = std::vector<u32>(320 * 200);
  void SetUp() override {
    vbe_screen.frame = frame.data();
    vbe_screen.width = 320;
    vbe_screen.height = 200;
    Vbe_Set_Print_Line(1);
  }
  // Overlay lines drawn since SetUp.
  u32 Lines(void) const { return (Vbe_Get_Print_Line() - 10) / 10; }
};
}  // namespace

TEST(CpuDetect, TheDetectionLineAgreesWithTheKernelsReport) {
  bool mmx = false;
  int family = Proc_Family(&mmx);
  ASSERT_GT(family, 0) << "no /proc/cpuinfo";
  std::string out = Output_Of([] { Cpu_Detect(); });
  EXPECT_EQ(Cpu_Get_Class(), family - 1);
  std::string name = family == 6 ? "Pentium Pro" : family == 5 ? "Pentium" : "family " + std::to_string(family);
  EXPECT_EQ(out, "Cpu: Detected " + name + " in protected mode. " + (mmx ? "MMX present." : "MMX not present.") + "\n");
  EXPECT_STREQ(Cpu_Class_Name(5), "Pentium Pro");
  EXPECT_STREQ(Cpu_Class_Name(0), "8086");
}

TEST_F(Overlay, TimersShowTheirSlotsOnceAndStartAgain) {
  Cpu_Timer_Reset();
  Cpu_Show_Timers();
  EXPECT_EQ(Lines(), 1u) << "the heading alone";
  EXPECT_EQ(Cpu_Get_Timer_Count(), 0u);
  Cpu_Timer_Start("a");
  volatile u32 spin = 0;
  for (u32 i = 0; i < 100000; i++) spin = spin + i;
  u32 ticks = Cpu_Timer_Stop();
  Cpu_Timer_Start("b");
  u32 second = Cpu_Timer_Stop();
  EXPECT_GT(ticks, 0u);
  EXPECT_EQ(Cpu_Get_Timer_Count(), 2u);
  EXPECT_EQ(Cpu_Get_Total_Ticks(), ticks + second);
  Cpu_Show_Timers();
  EXPECT_EQ(Lines(), 4u);
  EXPECT_EQ(Cpu_Get_Timer_Count(), 0u);
  EXPECT_EQ(Cpu_Get_Total_Ticks(), 0u);
  for (u32 i = 0; i < 50; i++) {
    Cpu_Timer_Start("many");
    Cpu_Timer_Stop();
  }
  EXPECT_EQ(Cpu_Get_Timer_Count(), kCpuTimerSlots);
}

TEST(CpuLeds, CapsAndNumLockBitsChangePlaces) {
  const u8 expected[8] = {0, 1, 4, 5, 2, 3, 6, 7};
  for (u32 bits = 0; bits < 8; bits++) {
    Cpu_Set_Leds(bits);
    EXPECT_EQ(Cpu_Get_Led_Byte(), expected[bits]) << bits;
  }
}
