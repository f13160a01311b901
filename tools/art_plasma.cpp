// The plasma scene's pictures: the tunnel height field and the tileable colour texture.
#include "art_plasma.h"

#include <cmath>

#include "art.h"

namespace {
const f64 kTurn = 2.0 * M_PI;

u8 Art_Channel(f64 v) { return u8(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); }
}  // namespace

std::vector<u8> Art_Plasma_Tunnel(void) {
  std::vector<u8> out(kArtTunnelWidth * kArtTunnelHeight);
  const f64 cx = kArtTunnelWidth / 2.0, cy = kArtTunnelHeight / 2.0;
  for (u32 y = 0; y < kArtTunnelHeight; y++)
    for (u32 x = 0; x < kArtTunnelWidth; x++) {
      const f64 dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const f64 d = std::sqrt(dx * dx + dy * dy);
      // Depth falls off with the distance from the axis; three turns of the angle make one wrap of 256.
      const f64 depth = 16000.0 / (d + 30.0);
      const f64 angle = (std::atan2(dy, dx) + M_PI) / kTurn * 256.0 * 3.0;
      const f64 ripple = 18.0 * std::sin(d / 23.0) + 10.0 * std::sin(dx / 41.0) * std::cos(dy / 37.0);
      out[y * kArtTunnelWidth + x] = u8(i32(std::floor(depth + angle + ripple)) & 255);
    }
  return out;
}

std::vector<u32> Art_Plasma_Colours(void) {
  std::vector<u32> out(256 * 256);
  for (u32 y = 0; y < 256; y++)
    for (u32 x = 0; x < 256; x++) {
      // Whole periods across the picture on both axes, so that it tiles.
      const f64 u = x * kTurn / 256.0, v = y * kTurn / 256.0;
      const f64 f = std::sin(2 * u) + std::sin(3 * v) + std::sin(u + v) + 0.6 * std::cos(4 * u - 2 * v);
      const f64 phase = f * 0.9;
      const f64 glow = 0.55 + 0.45 * std::cos(2 * u + v);
      const u8 r = Art_Channel((128 + 127 * std::sin(phase)) * (0.5 + 0.5 * glow) + 40 * glow);
      const u8 g = Art_Channel((128 + 127 * std::sin(phase + 2.1)) * 0.8 * glow);
      const u8 b = Art_Channel((128 + 127 * std::sin(phase + 4.2)) * (0.6 + 0.4 * glow));
      out[y * 256 + x] = u32(r) << 16 | u32(g) << 8 | b;
    }
  return out;
}

bool Art_Plasma_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  DatafileEntry tunnel{"plasma/tunnely.pcx", {}, DATAFILE_RAW};
  const std::vector<u8> field = Art_Plasma_Tunnel();
  if (!Art_Pcx_Bytes(field.data(), kArtTunnelWidth, kArtTunnelHeight, 8, dir + "/tunnely.pcx.part", &tunnel.data))
    return false;
  DatafileEntry colours{"plasma/plasma5.pcx", {}, DATAFILE_RAW};
  const std::vector<u32> texels = Art_Plasma_Colours();
  if (!Art_Pcx_Bytes(texels.data(), 256, 256, 24, dir + "/plasma5.pcx.part", &colours.data)) return false;
  entries->push_back(tunnel);
  entries->push_back(colours);
  return true;
}
