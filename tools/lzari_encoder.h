// LZARI encoder: LZSS over a 4096-byte ring with adaptive arithmetic coding, the inverse of the engine's decoder.
#pragma once
#include <vector>

#include "runtime/types.h"

// The bit stream alone (no size field).
std::vector<u8> Lzari_Encode(const u8* data, size_t size);
// A whole ".KLZ" image: u32 size, then the stream.
std::vector<u8> Lzari_Pack(const std::vector<u8>& data);
