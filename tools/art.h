// Helpers the picture makers share: pixels written as PCX file bytes.
#pragma once
#include <string>
#include <vector>

#include "runtime/types.h"

// Pixels (one byte or one 32-bit word each) as PCX file bytes, through the engine's writer and a scratch file.
bool Art_Pcx_Bytes(const void* pixels, u32 width, u32 height, u32 bits, const std::string& scratch_path,
                   std::vector<u8>* bytes);
// 0x00RRGGBB pixels as 24-bit PCX file bytes.
bool Art_Pcx(const std::vector<u32>& pixels, u32 width, u32 height, const std::string& scratch_path,
             std::vector<u8>* bytes);

