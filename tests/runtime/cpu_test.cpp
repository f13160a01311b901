// CPU detection: the detection line against the kernel's report.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "runtime/cpu.h"
#include "tests/engine_fixture.h"

TEST(CpuDetect, TheDetectionLineAgreesWithTheKernelsReport) {
  // The family number as CPUID reports it in bits 8 - 11 of leaf 1 (the extended family is added above 15).
  std::string info = Test_Read_Text("/proc/cpuinfo");
  size_t at = info.find("cpu family");
  ASSERT_NE(at, std::string::npos);
  int family = std::min(15, std::stoi(info.substr(info.find(':', at) + 1)));
  bool mmx = info.find(" mmx ") != std::string::npos;
  std::string out = Output_Of(Cpu_Detect);
  EXPECT_EQ(Cpu_Get_Class(), family - 1);
  std::string name = family == 6 ? "Pentium Pro" : family == 5 ? "Pentium" : "family " + std::to_string(family);
  EXPECT_EQ(out, "Cpu: Detected " + name + " in protected mode. " + (mmx ? "MMX present." : "MMX not present.") + "\n");
}
