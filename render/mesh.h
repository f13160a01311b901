// Mesh store: scenes of points, normals, polygons, objects, movables and doors.
#pragma once
#include "runtime/types.h"

void Mesh_Reset(void);
