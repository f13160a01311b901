// CPU detection and timing on a user-mode process: CPUID and the time-stamp counter for real, the rest as state.
#include "runtime/cpu.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "video/font.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define CPU_X86 1
#endif

namespace {
const char* const kClassNames[6] = {"8086", "80286", "386", "486", "Pentium", "Pentium Pro"};

const CpuEvent kEvents[kCpuEvents] = {
    {0x16, "UV instructions "}, {0x17, " V instructions "}, {0x15, "pipeline flushes"},
    {0x22, "FPU instructions"}, {0x1E, "noncache memrefs"}, {0x1F, "AGI stalls      "},
    {0x0E, "code cache miss "}, {0x0B, "misalign memrefs"}, {0x07, "datacache snoop "},
    {0x08, "data snoop hits "}, {0x03, "data read miss  "}, {0x04, "data write miss "},
    {0x18, "bus utilization "}, {0x27, "HW interrupts   "}, {0x12, "branches        "},
    {0x13, "branch TB hits  "}, {0x05, "Write hit to EM "}, {0x19, "PS by write back"},
    {0x1A, "PS by mem write "}, {0x1B, "PS by wr to EM  "},
};

struct CpuSlot {
  const char* name;
  u32 ticks;
};

u8 cpu_class = 0;
u8 cpu_mmx = 0;
CpuSlot cpu_slots[kCpuTimerSlots];
u32 cpu_slot_count = 0;
u32 cpu_total = 0;
u64 cpu_start = 0;
u32 cpu_overhead = 0;
u32 cpu_ticks = 0;
u8 cpu_profiling = 0;
u32 cpu_event_a = 0, cpu_event_b = 0;
u32 cpu_selected_a = 0, cpu_selected_b = 0;
u32 cpu_count_a = 0, cpu_count_b = 0;
u64 cpu_counter_start_a = 0, cpu_counter_start_b = 0;
u8 cpu_led_byte = 0;
char cpu_family_name[24];

u64 Cpu_Counter(void) {
#ifdef CPU_X86
  return __rdtsc();
#else
  timespec t;
  clock_gettime(CLOCK_MONOTONIC_RAW, &t);
  return u64(t.tv_sec) * 1000000000ull + u64(t.tv_nsec);
#endif
}
}  // namespace

void Cpu_Detect_Class(void) {
  // Every processor this runs on has CPUID, so the flag-register probes for older classes are not needed.
#ifdef CPU_X86
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx) || eax == 0) {
    cpu_class = 3;
    return;
  }
  __get_cpuid(1, &eax, &ebx, &ecx, &edx);
  u32 family = (eax >> 8) & 15;
  cpu_class = u8(family ? family - 1 : 0);
#else
  cpu_class = 3;
#endif
}

void Cpu_Detect_Mmx(void) {
#ifdef CPU_X86
  unsigned eax, ebx, ecx, edx;
  cpu_mmx = __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx >> 23 & 1) ? 1 : 0;
#else
  cpu_mmx = 0;
#endif
}

const char* Cpu_Class_Name(u8 c) {
  if (c < 6) return kClassNames[c];
  snprintf(cpu_family_name, sizeof cpu_family_name, "family %d", int(c) + 1);
  return cpu_family_name;
}

u8 Cpu_Detect(void) {
  Cpu_Detect_Class();
  const char* mmx = "";
  if (cpu_class >= 4) {
    Cpu_Detect_Mmx();
    mmx = cpu_mmx ? "MMX present." : "MMX not present.";
  }
  printf("Cpu: Detected %s in protected mode. %s\n", Cpu_Class_Name(cpu_class), mmx);
  return cpu_class;
}

u8 Cpu_Get_Class(void) { return cpu_class; }
u8 Cpu_Has_Mmx(void) { return cpu_mmx; }

void Cpu_Timer_Reset(void) {
  cpu_slot_count = 0;
  cpu_total = 0;
  Cpu_Measure_Overhead();
}

void Cpu_Measure_Overhead(void) {
  u64 a = Cpu_Counter();
  u64 b = Cpu_Counter();
  cpu_overhead = u32(b - a);
}

void Cpu_Timer_Start(const char* name) {
  // Slots beyond the last are timed into the last one.
  if (cpu_slot_count >= kCpuTimerSlots) cpu_slot_count = kCpuTimerSlots - 1;
  cpu_slots[cpu_slot_count].name = name;
  Cpu_Rdtsc_Start();
}

void Cpu_Rdtsc_Start(void) { cpu_start = Cpu_Counter(); }
void Cpu_Rdtsc_Stop(void) { cpu_ticks = u32(Cpu_Counter() - cpu_start - cpu_overhead); }

u32 Cpu_Timer_Stop(void) {
  Cpu_Rdtsc_Stop();
  if (cpu_slot_count >= kCpuTimerSlots) cpu_slot_count = kCpuTimerSlots - 1;
  cpu_slots[cpu_slot_count].ticks = cpu_ticks;
  cpu_slot_count++;
  cpu_total += cpu_ticks;
  return cpu_ticks;
}

u32 Cpu_Get_Timer_Count(void) { return cpu_slot_count; }
u32 Cpu_Get_Total_Ticks(void) { return cpu_total; }

void Cpu_Show_Timers(void) {
  Vbe_Debug_Print("CPU:");
  for (u32 i = 0; i < cpu_slot_count; i++)
    Vbe_Debug_Print(" %s:  %d", cpu_slots[i].name ? cpu_slots[i].name : "", int(cpu_slots[i].ticks));
  cpu_slot_count = 0;
  cpu_total = 0;
}

const CpuEvent* Cpu_Get_Event(u32 index) { return index < kCpuEvents ? &kEvents[index] : nullptr; }

void Cpu_Profile_Start(u32 a, u32 b) {
  // Rows outside the table would name nothing; they fall back to the first two.
  cpu_event_a = a < kCpuEvents ? a : 0;
  cpu_event_b = b < kCpuEvents ? b : 1;
  Cpu_Select_Events(kEvents[cpu_event_a].code, kEvents[cpu_event_b].code);
  cpu_profiling = 1;
}

u8 Cpu_Is_Profiling(void) { return cpu_profiling; }

void Cpu_Select_Events(u32 code_a, u32 code_b) {
  cpu_selected_a = code_a;
  cpu_selected_b = code_b;
}

void Cpu_Counters_Start(void) { cpu_counter_start_a = cpu_counter_start_b = 0; }

void Cpu_Counters_Stop(void) {
  cpu_count_a = u32(0 - cpu_counter_start_a);
  cpu_count_b = u32(0 - cpu_counter_start_b);
}

void Cpu_Show_Profile(void) {
  if (!cpu_profiling) return;
  Vbe_Debug_Print("CPU: profile:");
  Vbe_Debug_Print("     %s:  %8d", kEvents[cpu_event_a].name, int(cpu_count_a));
  Vbe_Debug_Print("     %s:  %8d", kEvents[cpu_event_b].name, int(cpu_count_b));
}

void Cpu_Set_Leds(u32 bits) {
  // Scroll Lock stays bit 0; the Caps Lock and Num Lock bits change places.
  cpu_led_byte = u8((bits & 1) | (bits & 2) << 1 | (bits & 4) >> 1);
}

u8 Cpu_Get_Led_Byte(void) { return cpu_led_byte; }

void Cpu_Show_Flag(const char* text, u8 on) { printf("   [%c]   %s.\n", on ? 'x' : ' ', text); }

void Cpu_Show_Compiler_Info(void) {
  printf("Cpu: Compiler info:\n\n");
  printf("\n  Optimizations:\n");
  const char* optimisations[] = {"(-oa)    Relaxed alias checking",
                                 "(-od)    Non optimized code",
                                 "(-ol)    Loop unrolling",
                                 "(-on)    Replace float divs with muls",
                                 "(-op)    Store floats in memory instead of fpu regs",
                                 "(-or)    Reorder instructions (pipeline optimization)",
                                 "(-os)    Space favoured over time",
                                 "(-ot)    Time favoured over space",
                                 "(-oe)    Expand small functions inline",
                                 "(-om)    Generate inline 80x87 math code"};
  for (const char* o : optimisations) Cpu_Show_Flag(o, 0);
  printf("\n  General:\n");
  const char* general[] = {"(-3r)    register calling conventions",      "(-3s)    stack calling conventions",
                           "(-5)     Generate pentium optimizations",     "(-s)     Remove stack overflow checks",
                           "(-fpi87) Generate inline 80x87 instructions", "(-fp5)   Optimize floating point for Pentium"};
  for (const char* g : general) Cpu_Show_Flag(g, 0);
}

void Cpu_Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
}

void Cpu_Show_Info(void) {
  Cpu_Detect();
  Cpu_Show_Compiler_Info();
}
