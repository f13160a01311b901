// The scenes' start-up loaders and frees, as the host registers and calls them.
#pragma once
#include "demo/design.h"
#include "demo/intro/intro.h"
#include "demo/eye/eye.h"
#include "demo/gang/gang.h"

void Box_Load(void);
void Race_Load(void);
void Race_Free(void);
void Rig_Load(void);
void Rig_Build_Textures(void);
void Rig_Free(void);
void Term_Load(void);
void Term_Free(void);
#include "demo/plasma/plasma.h"
#include "demo/COON/coon.h"
void Credits_Load(void);
