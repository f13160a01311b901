// The plasma scene's pictures: the tunnel height field and the tileable colour texture.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/types.h"

const u32 kArtTunnelWidth = 640;
const u32 kArtTunnelHeight = 400;

// 640 x 400 bytes: a tunnel seen down its axis, depth and angle wrapping smoothly modulo 256.
std::vector<u8> Art_Plasma_Tunnel(void);
// 256 x 256 0x00RRGGBB texels that tile on both axes.
std::vector<u32> Art_Plasma_Colours(void);
// Pixels (one byte or one 32-bit word each) as PCX file bytes, through the engine's writer and a scratch file.
bool Art_Pcx_Bytes(const void* pixels, u32 width, u32 height, u32 bits, const std::string& scratch_path,
                   std::vector<u8>* bytes);
// "plasma/tunnely.pcx" (8-bit) and "plasma/plasma5.pcx" (24-bit).
bool Art_Plasma_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
