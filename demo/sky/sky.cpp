// The sky layer: a raw 32-frame cloud animation played as two grey layers added to the frame.
#include "demo/sky/sky.h"

#include "music/music.h"
#include "runtime/err.h"
#include "runtime/file.h"
#include "runtime/frame.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"

namespace {
const char* const kSkyFile = "sky/sky.pic";

// One of the two layers: where it reads, which frame, and ticks left on that frame.
struct SkyLayer {
  const u8* frame;
  i32 index;
  i32 countdown;
};

u8* sky_anim = nullptr;
SkyLayer sky_layers[2] = {};
i32 sky_level = 0, sky_level_step = 0;
i32 sky_base = 0, sky_base_step = 0;
u32 sky_palette[256] = {};
u8 sky_first_frame = 1;

void Sky_Start_Layer(SkyLayer* layer, i32 index) {
  layer->index = index;
  layer->frame = sky_anim ? sky_anim + u32(index) * kSkyFrameBytes : nullptr;
  layer->countdown = 1;
}

void Sky_Step_Layer(SkyLayer* layer) {
  if (--layer->countdown != 0) return;
  layer->index++;
  layer->frame += kSkyFrameBytes;
  if (layer->index == i32(kSkyFrames)) {
    layer->index = 0;
    layer->frame = sky_anim;
  }
  layer->countdown = 2;
}

u32 Sky_Grey(i32 v) { return Vbe_Pack_Color(u32(v), u32(v), u32(v)); }
}  // namespace

void Sky_Load(void) {
  Sky_Free();
  const u32 size = File_Get_Size(kSkyFile);
  // Both layers read whole frames from two and four rows in: the last frame needs the zero tail.
  if (size < kSkyFileBytes) Err_Error("Sky: %s too small (%u bytes, %u needed)", kSkyFile, size, kSkyFileBytes);
  if (size > 0xFFFF0000u - kSkyPadBytes) Err_Error("Sky: %s too large", kSkyFile);
  sky_anim = static_cast<u8*>(Mem_Alloc(size + kSkyPadBytes));
  Mem_Set_Description(sky_anim, "Sky: ");
  Mem_Set_Description(sky_anim, "sky anim.");
  File_Open(kSkyFile);
  const u32 got = File_Read(sky_anim, size);
  File_Close();
  if (got != size) Err_Error("Sky: %s ends early", kSkyFile);
  Sky_Start_Layer(&sky_layers[0], 0);
  Sky_Start_Layer(&sky_layers[1], 16);
  sky_level = sky_level_step = 0;
  sky_base = sky_base_step = 0;
  sky_first_frame = 1;
}

void Sky_Free(void) {
  if (sky_anim) Mem_Free(sky_anim);
  sky_anim = nullptr;
  sky_layers[0] = sky_layers[1] = SkyLayer{};
}

void Sky_Tick(void) {
  if (sky_anim) {
    Sky_Step_Layer(&sky_layers[0]);
    Sky_Step_Layer(&sky_layers[1]);
  }
  sky_base += sky_base_step;
  if (sky_base > 25 || sky_base < 4) sky_base_step = -sky_base_step;
  sky_level += sky_level_step;
  if (sky_level > 220) sky_level_step = 0;
  if (sky_level < 2) {
    sky_level_step = 0;
    return;
  }
  if (sky_level_step < 0 && sky_level < 70) sky_level_step = -2;
}

void Sky_Make_Palette(u32 base, u32 target) {
  u32 running = base;
  for (u32 i = 0; i < 256; i++) {
    for (u32 shift = 0; shift < 32; shift += 8) {
      const u32 r = (running >> shift) & 0xFF, t = (target >> shift) & 0xFF;
      if (r < t) running += 1u << shift;
      if (r > t) running -= 1u << shift;
    }
    sky_palette[i] = running;
  }
}

i32 Sky_Draw(void) {
  if (sky_level == 0) return 0;
  if (!sky_anim) Err_Error("Sky: Animation not loaded");
  Sky_Make_Palette(Sky_Grey(sky_base), Sky_Grey(sky_level));
  const u8* a = sky_layers[0].frame + 2 * kSkyWidth;
  const u8* b = sky_layers[1].frame + 4 * kSkyWidth;
  if (Vbe_Resize_Active()) {
    Vbe_Resize_Begin();
    Vbe_Expand_8_Double(a, sky_palette);
    Sky_Make_Palette(Sky_Grey(4), Sky_Grey(sky_level / 2));
    Vbe_Expand_8_Double_Add(b, sky_palette);
    Vbe_Resize_End_Add();
  } else {
    Vbe_Expand_8_Double_Add(a, sky_palette);
    Sky_Make_Palette(Sky_Grey(4), Sky_Grey(sky_level / 2));
    Vbe_Expand_8_Double_Add(b, sky_palette);
  }
  return sky_level;
}

void Sky_Fade_In(void) {
  sky_level = 8;
  sky_level_step = 2;
}

void Sky_Fade_Out(void) {
  sky_level = 204;
  sky_level_step = -1;
}

void Sky_Set_Bright(void) {
  sky_level = 200;
  sky_level_step = 0;
}

void Sky_Set_Dim(void) {
  sky_level = 8;
  sky_level_step = 0;
}

void Sky_Frame(void) {
  if (sky_first_frame) {
    sky_base = 4;
    sky_base_step = 1;
    Sky_Fade_In();
    sky_first_frame = 0;
  }
  Music_Set_Callback(Sky_Tick_Callback);
  Vbe_Clear();
  Sky_Draw();
  Vbe_Blur_Alternate();
  Demo_Frame_Hook();
}

void Sky_Tick_Callback(void) { Sky_Tick(); }

const u32* Sky_Palette(void) { return sky_palette; }
i32 Sky_Level(void) { return sky_level; }
i32 Sky_Layer_Frame(u32 layer) { return layer < 2 ? sky_layers[layer].index : -1; }
const u8* Sky_Animation(void) { return sky_anim; }
