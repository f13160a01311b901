// The sector-and-portal 3D engine: camera, objects, paths and the frame render.
#pragma once
#include "runtime/types.h"

void VR_Init(void);
// Debug keys of the sequencer: path override ('C'), stepping the paths (Right, Left).
void VR_Toggle_Path_Override(void);
bool VR_Is_Path_Running(void);
void VR_Set_Path_Running(bool on);
void VR_Step_All_Paths(void);
void VR_Step_All_Paths_Back(void);
