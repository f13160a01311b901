// Fuzz target for the path loader: any bytes as a camera and as an object path, then stepped and sought.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "render/mesh.h"
#include "render/poly.h"
#include "render/vr.h"
#include "render/vrpath.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path;
  if (path.empty()) {
    Mem_Init(0);
    Math_Init();
    // The target checks sizes first, so a fatal error from the loader is a finding.
    Err_Set_Exit_Hook([] { std::abort(); });
    File_Set_Datafile("");
    File_Init();
    Mesh_Init();
    Poly_Init();
    VR_Init();
    Mesh_Create_Scene(16, 16, 4, 2, 16);
    Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, Mesh_Alloc_Anim_Buffer(4));
    Mesh_End_Object();
    path = Scratch_Dir_Make("/tmp") + "/fuzz.cam";
  }
  if (size > 1 << 20 || VR_Check_Path_Size(u32(size))) return 0;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  const i32 n = size > 0 ? data[0] : 0;
  VR_Load_Camera_Path(path.c_str(), 1.5f);
  VR_Load_Object_Path(path.c_str(), 0.5f);
  VR_Store_Scene();
  for (i32 i = 0; i < n % 7 + 2; i++) VR_Step_All_Paths();
  for (i32 i = 0; i < n % 5 + 2; i++) VR_Step_All_Paths_Back();
  VR_Seek_Camera_Path(n * 3);
  VR_Seek_Object_Paths(n * 5);
  VR_Set_Path_Loop();
  VR_Seek_Camera_Path(n * 7);
  VR_Select_Scene(0);
  VR_Apply_Camera_Path();
  VR_Apply_Object_Path(0);
  VR_Free_Object_Paths();
  VR_Free_Camera_Path();
  std::remove(path.c_str());
  return 0;
}
