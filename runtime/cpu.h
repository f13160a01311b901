// CPU detection and timing: processor class and MMX, time-stamp timing slots, event profile, LEDs, compiler listing.
#pragma once
#include "runtime/types.h"

const u32 kCpuTimerSlots = 40;
const u32 kCpuEvents = 20;

struct CpuEvent {
  u8 code;        // the processor's event-select code
  char name[17];  // sixteen characters, blanks included
};

u8 Cpu_Detect(void);
void Cpu_Detect_Class(void);
void Cpu_Detect_Mmx(void);
u8 Cpu_Get_Class(void);
u8 Cpu_Has_Mmx(void);
// "8086" .. "Pentium Pro"; later families by number.
const char* Cpu_Class_Name(u8 cpu_class);

void Cpu_Timer_Reset(void);
void Cpu_Measure_Overhead(void);
void Cpu_Timer_Start(const char* name);
void Cpu_Rdtsc_Start(void);
u32 Cpu_Timer_Stop(void);
void Cpu_Rdtsc_Stop(void);
u32 Cpu_Get_Timer_Count(void);
u32 Cpu_Get_Total_Ticks(void);
void Cpu_Show_Timers(void);

const CpuEvent* Cpu_Get_Event(u32 index);
void Cpu_Profile_Start(u32 a, u32 b);
u8 Cpu_Is_Profiling(void);
// The event-select register and the counters are out of a user process's reach: they are kept as
// state, and the counts stay 0.
void Cpu_Select_Events(u32 code_a, u32 code_b);
void Cpu_Counters_Start(void);
void Cpu_Counters_Stop(void);
void Cpu_Show_Profile(void);

// The keyboard controller's LEDs cannot be reached either: the LED byte is kept, nothing is sent.
void Cpu_Set_Leds(u32 bits);
u8 Cpu_Get_Led_Byte(void);

void Cpu_Show_Compiler_Info(void);
void Cpu_Show_Flag(const char* text, u8 on);
void Cpu_Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The processor and compiler listing of the "compiler" option.
void Cpu_Show_Info(void);
