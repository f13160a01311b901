// The surface calls of the host's Direct3D utilities over real Direct3D 9 surfaces and D3DX9.
#include "platform/plat_d3d.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

static_assert(PLAT_FILTER_NONE == D3DX_FILTER_NONE && PLAT_FILTER_POINT == D3DX_FILTER_POINT &&
              PLAT_FILTER_LINEAR == D3DX_FILTER_LINEAR);

// A device of its own on a hidden window: the utilities need one to make surfaces.
struct PlatDevice {
  HWND window;
  IDirect3D9* d3d;
  IDirect3DDevice9* device;
};

namespace {
const UINT kD3dSdkVersion = 32;
const i32 kDeviceWindowSize = 64;
u32 d3d_live = 0;

IDirect3DSurface9* D3d_Surface(PlatSurface* surface) { return reinterpret_cast<IDirect3DSurface9*>(surface); }

bool D3d_Known_Format(u32 format) {
  static const u32 kFormats[] = {PLAT_FMT_R8G8B8,   PLAT_FMT_A8R8G8B8, PLAT_FMT_X8R8G8B8, PLAT_FMT_R5G6B5,
                                 PLAT_FMT_X1R5G5B5, PLAT_FMT_A1R5G5B5, PLAT_FMT_A4R4G4B4, PLAT_FMT_A2B10G10R10};
  for (u32 f : kFormats)
    if (f == format) return true;
  return false;
}
}  // namespace

PlatDevice* Plat_Create_Device(void) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, kDeviceWindowSize, kDeviceWindowSize, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  IDirect3D9* d3d = window ? Direct3DCreate9(kD3dSdkVersion) : nullptr;
  IDirect3DDevice9* device = nullptr;
  if (d3d) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                 &device)))
      device = nullptr;
  }
  if (!device) {
    if (d3d) d3d->Release();
    if (window) DestroyWindow(window);
    return nullptr;
  }
  return new PlatDevice{window, d3d, device};
}

void Plat_Release_Device(PlatDevice* device) {
  if (!device) return;
  device->device->Release();
  device->d3d->Release();
  DestroyWindow(device->window);
  delete device;
}

PlatSurface* Plat_Create_Offscreen_Surface(PlatDevice* device, u32 width, u32 height, u32 format, u32 pool) {
  if (!device || width == 0 || height == 0 || !D3d_Known_Format(format)) return nullptr;
  IDirect3DSurface9* surface = nullptr;
  if (FAILED(device->device->CreateOffscreenPlainSurface(width, height, D3DFORMAT(format), D3DPOOL(pool), &surface,
                                                         nullptr)))
    return nullptr;
  d3d_live++;
  return reinterpret_cast<PlatSurface*>(surface);
}

void Plat_Surface_Release(PlatSurface* surface) {
  if (!surface) return;
  D3d_Surface(surface)->Release();
  d3d_live--;
}

void Plat_Surface_Get_Desc(const PlatSurface* surface, u32* format, u32* width, u32* height) {
  D3DSURFACE_DESC desc = {};
  D3d_Surface(const_cast<PlatSurface*>(surface))->GetDesc(&desc);
  *format = u32(desc.Format);
  *width = desc.Width;
  *height = desc.Height;
}

bool Plat_Surface_Lock(PlatSurface* surface, const PlatRect* rect, u32 flags, u8** bits, u32* pitch) {
  u32 format, width, height;
  Plat_Surface_Get_Desc(surface, &format, &width, &height);
  if (rect && (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
               u32(rect->right) > width || u32(rect->bottom) > height))
    return false;
  RECT r = {};
  if (rect) r = {rect->left, rect->top, rect->right, rect->bottom};
  D3DLOCKED_RECT locked;
  if (FAILED(D3d_Surface(surface)->LockRect(&locked, rect ? &r : nullptr, flags))) return false;
  *bits = static_cast<u8*>(locked.pBits);
  *pitch = u32(locked.Pitch);
  return true;
}

void Plat_Surface_Unlock(PlatSurface* surface) { D3d_Surface(surface)->UnlockRect(); }
u32 Plat_Surfaces_Live(void) { return d3d_live; }

PlatVec3* Plat_Vec3_Normalize(PlatVec3* out, const PlatVec3* in) {
  D3DXVec3Normalize(reinterpret_cast<D3DXVECTOR3*>(out), reinterpret_cast<const D3DXVECTOR3*>(in));
  return out;
}

bool Plat_Load_Surface_From_File(PlatSurface* dest, const char* name, u32 filter, u32 colour_key) {
  return SUCCEEDED(D3DXLoadSurfaceFromFileA(D3d_Surface(dest), nullptr, nullptr, name, nullptr, filter, colour_key,
                                            nullptr));
}

bool Plat_Load_Surface_From_Surface(PlatSurface* dest, PlatSurface* source, u32 filter, u32 colour_key) {
  return SUCCEEDED(D3DXLoadSurfaceFromSurface(D3d_Surface(dest), nullptr, nullptr, D3d_Surface(source), nullptr,
                                              nullptr, filter, colour_key));
}
