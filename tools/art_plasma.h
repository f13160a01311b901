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
// "plasma/tunnely.pcx" (8-bit) and "plasma/plasma5.pcx" (24-bit).
bool Art_Plasma_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
