// The scenes' start-up loaders and frees, as the host registers and calls them.
#pragma once
#include "demo/design.h"
#include "demo/intro/intro.h"
#include "demo/eye/eye.h"
#include "demo/gang/gang.h"

#include "demo/box/box.h"
#include "demo/race/race.h"
#include "demo/rig/rig.h"
#include "demo/term/term.h"
#include "demo/plasma/plasma.h"
#include "demo/coon/coon.h"
#include "demo/credits/credits.h"
