// Frame services: screen mode choice, the frame hook, frame rate, loaders under the loading bar, trace.
#pragma once
#include "runtime/types.h"

void Demo_Force_Resolution(u32 width, u32 height);
void Demo_Select_Mode(void);
void Demo_Set_Border(u32 percent);
void Demo_Open_Mode(void);
void Demo_Frame_Hook(void);
void Demo_Add_Init(DemoCallback loader);
void Demo_Run_Init_Sequence(u32 mode, u32 steps);
void Demo_Trace(const char* text);
void Demo_Trace_Stop(void);
// Debug overlay on/off (Tab in debug mode).
void Demo_Toggle_Overlay(void);
