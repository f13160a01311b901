// Fuzz target of the K3D loader: every input is checked, and sound ones are loaded both ways.
#include <cstddef>
#include <cstdint>

#include "render/k3d.h"
#include "render/mesh.h"
#include "runtime/mem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const u32 n = u32(size);
  // Scenes big enough for anything a file of this size can hold, so only the file's own faults can stop a load.
  const u32 points = n / 12 + 2, polys = n / 4 + 2;
  Mem_Mark();
  Mesh_Init();
  if (!Mesh_Check_K3D("fuzz.k3d", data, n, MESH_K3D_MOVABLE_NEW)) {
    Mesh_Create_Scene(points, polys, 4, 4, points);
    Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable | 0xC, nullptr);
    Mesh_Set_Axis_Order(0, -2, 1);
    Mesh_Load_K3D_Buffer("fuzz.k3d", data, n, 1, 2, 3, 0.5f, 7);
    Mesh_End_Object();
    for (u32 f = 0; f < 4; f++) Mesh_Next_Anim_Frame(0);
  }
  if (!Mesh_Check_K3D("fuzz.k3d", data, n, MESH_K3D_OBJECTS)) {
    Mesh_Create_Scene(points, polys, 260, 260, points);
    Mesh_Load_K3D_Objects_Buffer("fuzz.k3d", data, n, 0, 0, 0, 2.0f, 1, 2, 0, 0x6);
  }
  Mesh_Free_All_Scenes();
  Mem_Release();
  return 0;
}
