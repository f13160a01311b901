// The Direct3D utilities on real Direct3D 9 surfaces under D3DX9: matrices against D3DX's own
// builders, converting copies, and a picture file loaded through D3DX.
// usage: velmoran-d3dutil-check <256 x 256 BMP picture: left half black, right half white>
#include "host/d3dutil.h"

#include <d3dx9.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
int check_passed = 0, check_failed = 0;

void Check(bool ok, const char* what) {
  ok ? check_passed++ : check_failed++;
  if (!ok) printf("failed: %s\n", what);
}

bool Same(const D3dMatrix& ours, const D3DXMATRIX& theirs) {
  const f32* a = &ours._11;
  const f32* b = &theirs._11;
  for (int i = 0; i < 16; i++)
    if (std::fabs(a[i] - b[i]) > 1e-5f) return false;
  return true;
}

u32 Pixel(PlatSurface* s, u32 x, u32 y, u32 bytes) {
  u8* bits;
  u32 pitch, v = 0;
  if (!s || !Plat_Surface_Lock(s, nullptr, PLAT_LOCK_READONLY, &bits, &pitch)) return 0xDEADBEEF;
  memcpy(&v, bits + y * pitch + x * bytes, bytes);
  Plat_Surface_Unlock(s);
  return v;
}
}  // namespace

int main(int argc, char** argv) {
  D3dMatrix m;
  D3DXMATRIX r;
  D3dVector eye = {1, 2, -5}, at = {0, 0.5f, 3}, up = {0, 1, 0};
  D3d_Set_View_Matrix(&m, eye, at, up);
  D3DXMatrixLookAtLH(&r, reinterpret_cast<D3DXVECTOR3*>(&eye), reinterpret_cast<D3DXVECTOR3*>(&at),
                     reinterpret_cast<D3DXVECTOR3*>(&up));
  Check(Same(m, r), "view matrix as D3DXMatrixLookAtLH");
  D3d_Set_Projection_Matrix(&m, 1.2f, 0.625f, 1, 1000);
  D3DXMatrixPerspectiveFovLH(&r, 1.2f, 1.6f, 1, 1000);
  Check(Same(m, r), "projection as D3DXMatrixPerspectiveFovLH with width / height");
  Check(Same(*D3d_Set_Rotate_X(&m, 0.7f), *D3DXMatrixRotationX(&r, 0.7f)), "rotation about x");
  Check(Same(*D3d_Set_Rotate_Y(&m, 0.7f), *D3DXMatrixRotationY(&r, 0.7f)), "rotation about y");
  Check(Same(*D3d_Set_Rotate_Z(&m, 0.7f), *D3DXMatrixRotationZ(&r, 0.7f)), "rotation about z");
  D3DXVECTOR3 axis(1, 2, 3);
  D3d_Set_Rotation_Matrix(&m, {1, 2, 3}, 0.7f);
  Check(Same(m, *D3DXMatrixRotationAxis(&r, &axis, -0.7f)), "rotation about an axis, the other way round");

  PlatDevice* device = Plat_Create_Device();
  Check(device != nullptr, "a Direct3D 9 device");
  if (device) {
    OffscreenSurface source;
    source.Set_Device(device);
    Check(source.Create(2, 1, PLAT_FMT_A8R8G8B8) == SURFACE_DONE, "an A8R8G8B8 surface");
    u8* bits;
    u32 pitch;
    if (Plat_Surface_Lock(source.Get_Surface(), nullptr, 0, &bits, &pitch)) {
      const u32 pixels[2] = {0xFF804020u, 0xFFFFFFFFu};
      memcpy(bits, pixels, sizeof pixels);
      Plat_Surface_Unlock(source.Get_Surface());
    }
    PlatSurface* r565 = Plat_Create_Offscreen_Surface(device, 2, 1, PLAT_FMT_R5G6B5, PLAT_POOL_DEFAULT);
    Check(r565 && source.Copy_To(r565, 0, 0, 0, 0, 2, 1) == SURFACE_DONE, "copy into R5G6B5");
    Check(r565 && Pixel(r565, 0, 0, 2) == 0x79E3 && Pixel(r565, 1, 0, 2) == 0xFFFF, "R5G6B5 channels");
    PlatSurface* argb = Plat_Create_Offscreen_Surface(device, 2, 1, PLAT_FMT_A8R8G8B8, PLAT_POOL_DEFAULT);
    Check(argb && source.Copy_To(argb, -1, 0, 0, 0, 2, 1) == SURFACE_DONE && Pixel(argb, 0, 0, 4) == 0xFF804020u,
          "a negative position copies from the source's left edge");
    Plat_Surface_Release(r565);
    Plat_Surface_Release(argb);

    OffscreenSurface picture;
    picture.Set_Device(device);
    Check(argc > 1 && picture.Load_From_File(argv[1], PLAT_FMT_A8R8G8B8) == SURFACE_DONE, "a picture through D3DX");
    Check(Pixel(picture.Get_Surface(), 10, 100, 4) == 0x00000000u, "opaque black becomes transparent");
    Check(Pixel(picture.Get_Surface(), 240, 100, 4) == 0xFFFFFFFFu, "white stays");
    Check(picture.Load_From_File("no such file.png", PLAT_FMT_A8R8G8B8) == SURFACE_FAILED, "a missing file fails");
  }
  Plat_Release_Device(device);
  printf("%d passed, %d failed\n", check_passed, check_failed);
  return check_failed ? 1 : 0;
}
