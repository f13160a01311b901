// The flicker noise effect: a map of random bytes shown through one of eight random palettes per frame.
#include "demo/flimmer/flimmer.h"

#include <algorithm>
#include <cstring>

#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/font.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/vbe.h"

namespace {

u32 flimmer_map_width = 0;
u32 flimmer_height_used = 0;
u8* flimmer_map = nullptr;
u32 flimmer_map_size = 0;
u32* flimmer_palettes[kFlimmerMaxPalettes] = {};
u32* flimmer_blocks[kFlimmerMaxPalettes / kFlimmerPalettes] = {};
u32 flimmer_palette_count = 0;

// Frame pixels an expansion covers.
u32 Flimmer_Frame_Pixels(void) { return vbe_screen.frame ? vbe_screen.frame_size / 4 : 0; }

// The map from the offset, or null when the frame needs more bytes than the map holds past it; an offset
// too far on is pulled back so that the whole frame reads inside the map.
const u8* Flimmer_Source(i32 offset) {
  const u32 pixels = Flimmer_Frame_Pixels();
  if (!flimmer_map || pixels == 0 || pixels > flimmer_map_size) return nullptr;
  const u32 at = std::min(u32(std::max(offset, 0)), flimmer_map_size - pixels);
  return flimmer_map + at;
}

}  // namespace

i32 Flimmer_Random(f32 n) {
  const i32 r = Math_Crt_Rand();
  if (!(n > 0.0f)) return 0;
  const f32 divisor = 33000.0f / n;
  return i32(f32(r) / divisor);
}

void Flimmer_Init(u8 mode, u32 red, u32 green, u32 blue, i32 lines, i32 width, u32 height) {
  if (flimmer_palette_count + kFlimmerPalettes > kFlimmerMaxPalettes)
    Err_Error("Flimmer: No room for more than %u palettes", kFlimmerMaxPalettes);
  flimmer_map_width = width > 0 ? u32(width) : 320;
  flimmer_height_used = std::min(height, kFlimmerMapRows);
  if (flimmer_map) Mem_Free(flimmer_map);
  // The random bytes, then (for a frame larger than the design frame) the map repeated after them so
  // that every frame pixel has a byte from any offset the draw may pick.
  const u32 random_bytes = flimmer_map_width * kFlimmerMapRows;
  const u32 reach = (kFlimmerMapRows - flimmer_height_used) * 320 + Flimmer_Frame_Pixels();
  flimmer_map_size = std::max(random_bytes, reach);
  flimmer_map = static_cast<u8*>(Mem_Alloc(flimmer_map_size));
  Mem_Set_Description(flimmer_map, "Flimmer: ");
  Mem_Set_Description(flimmer_map, "Map");
  for (u32 i = 0; i < random_bytes; i++) flimmer_map[i] = u8(Flimmer_Random(255.0f));
  for (u32 i = random_bytes; i < flimmer_map_size; i++) flimmer_map[i] = flimmer_map[i - random_bytes];

  u32* block = static_cast<u32*>(Mem_Alloc(kFlimmerPalettes * 256 * 4));
  Mem_Set_Description(block, "Flimmer: ");
  Mem_Set_Description(block, "Palettes");
  flimmer_blocks[flimmer_palette_count / kFlimmerPalettes] = block;
  for (u32 p = 0; p < kFlimmerPalettes; p++) {
    u32* palette = block + p * 256;
    flimmer_palettes[flimmer_palette_count] = palette;
    for (u32 e = 0; e < 256; e++) {
      if (mode == 0) {
        const u32 v = u32(Flimmer_Random(1000.0f));
        palette[e] = Vbe_Pack_Color(v * red / 1000, v * green / 1000, v * blue / 1000);
      } else if (mode == 1) {
        const u32 r = u32(Flimmer_Random(f32(red)));
        const u32 g = u32(Flimmer_Random(f32(green)));
        const u32 b = u32(Flimmer_Random(f32(blue)));
        palette[e] = Vbe_Pack_Color(r, g, b);
      }
      reinterpret_cast<u8*>(palette + e)[vbe_screen.color_order[3] & 3] = 0;
    }
    flimmer_palette_count++;
  }

  for (i32 i = 0; i < lines; i++) {
    const u32 row = u32(Flimmer_Random(399.0f));
    const u8 value = u8(Flimmer_Random(255.0f));
    memset(flimmer_map + row * flimmer_map_width, value, flimmer_map_width);
  }
}

void Flimmer_Draw(void) {
  if (!flimmer_map || flimmer_palette_count == 0) return;
  const f32 range = f32((kFlimmerMapRows - flimmer_height_used) * 320);
  if (Vbe_Resize_Active()) {
    const u32* palette = flimmer_palettes[Flimmer_Random(f32(flimmer_palette_count - 1))];
    const u8* source = Flimmer_Source(Flimmer_Random(range));
    if (source) Vbe_Expand_8(source, palette);
  } else {
    const u8* source = Flimmer_Source(Flimmer_Random(range));
    const u32* palette = flimmer_palettes[Flimmer_Random(f32(flimmer_palette_count - 1))];
    if (source) Vbe_Expand_8_Add(source, palette);
  }
}

void Flimmer_Draw_Const(u32 constant) {
  if (!flimmer_map || flimmer_palette_count == 0) return;
  // A frame taller than the map leaves no range: the offset is then 0.
  const i32 rows = std::max(i32(kFlimmerMapRows) - i32(vbe_screen.height), 0);
  const u8* source = Flimmer_Source(Flimmer_Random(f32(rows * 320)));
  const u32* palette = flimmer_palettes[Flimmer_Random(f32(flimmer_palette_count - 1))];
  if (source) Vbe_Expand_8_Add_Const(source, palette, constant);
}

void Flimmer_Frame(void) {
  Vbe_Clear();
  Flimmer_Draw();
  if (Demo_Get_Flag(DEMO_FLAG_DEBUG)) Demo_Show_Debug_Info();
  if (vbe_screen.present) vbe_screen.present();
}

void Flimmer_Free(void) {
  if (flimmer_map) Mem_Free(flimmer_map);
  flimmer_map = nullptr;
  flimmer_map_size = 0;
  for (u32*& block : flimmer_blocks) {
    if (block) Mem_Free(block);
    block = nullptr;
  }
  for (u32*& palette : flimmer_palettes) palette = nullptr;
  flimmer_palette_count = 0;
}


const u8* Flimmer_Map(void) { return flimmer_map; }
u32 Flimmer_Map_Size(void) { return flimmer_map_size; }
u32 Flimmer_Palette_Count(void) { return flimmer_palette_count; }
const u32* Flimmer_Palette(u32 index) { return index < flimmer_palette_count ? flimmer_palettes[index] : nullptr; }
