// Frame services: screen mode choice, the frame hook, frame rate, loaders under the loading bar, trace.
#pragma once
#include "runtime/types.h"

const u32 kDemoMaxLoaders = 52;
const u32 kDemoMeterChannels = 32;

void Demo_Force_Resolution(u32 width, u32 height);
void Demo_Select_Mode(void);
void Demo_Set_Border(u32 percent);
void Demo_Apply_Mode(void);
void Demo_Open_Mode(void);
void Demo_Close_Mode(void);
u32 Demo_Find_Mode(u32 width, u32 height);
void Demo_Use_Mode(u32 mode, u32 width, u32 height, u32 kind);
u32 Demo_Get_Selected_Mode(void);
u8 Demo_Get_Low_Res(void);

void Demo_Frame_Hook(void);
f32 Demo_Frame_Rate(void);
void Demo_Show_Debug_Info(void);
// Debug overlay on/off (Tab in debug mode).
void Demo_Toggle_Overlay(void);
// One step of the music meter from the channel-level pairs (note byte, volume byte) of count channels.
void Demo_Step_Channel_Meter(const u8* level_pairs, u32 count);
const char* Demo_Get_Channel_Meter(void);

void Demo_Add_Init(DemoCallback loader);
void Demo_Run_Init_Sequence(u32 mode, u32 steps);
void Demo_Load_Selected_Music(const char* name);

void Demo_Trace_Init(void);
void Demo_Trace_Stop(void);
void Demo_Trace(const char* text);
void Demo_Trace_Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Demo_Trace_Two(const char* text, const char* more);
void Demo_Trace_Number(const char* text, i32 number);
void Demo_Set_Value(i32 value);
