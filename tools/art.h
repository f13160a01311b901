// Helpers the picture makers share: pixels written as PCX file bytes, and packing colour channels.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/types.h"

// Pixels (one byte or one 32-bit word each) as PCX file bytes, through the engine's writer and a scratch file.
bool Art_Pcx_Bytes(const void* pixels, u32 width, u32 height, u32 bits, const std::string& scratch_path,
                   std::vector<u8>* bytes);
// 0x00RRGGBB pixels as 24-bit PCX file bytes.
bool Art_Pcx(const std::vector<u32>& pixels, u32 width, u32 height, const std::string& scratch_path,
             std::vector<u8>* bytes);

// A channel value cut to 0..255 (fractions dropped).
inline u32 Art_Byte(f32 v) { return u32(std::clamp(v, 0.0f, 255.0f)); }
// Three channel values as one 0x00RRGGBB pixel.
inline u32 Art_Rgb(f32 r, f32 g, f32 b) { return Art_Byte(r) << 16 | Art_Byte(g) << 8 | Art_Byte(b); }
