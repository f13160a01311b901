// Texture slots, animated slots, bump maps and texture colour operations.
#include "render/texture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "render/mesh.h"
#include "render/poly.h"
#include "runtime/err.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/vbe.h"

PolyTextureTable poly_textures = {{}, -1, {}};

namespace {
// The colour channels in the frame buffer's colour byte order: red, green, blue, then the fourth byte.
enum TextureChannel { TEXTURE_RED, TEXTURE_GREEN, TEXTURE_BLUE, TEXTURE_SPARE };
const TextureChannel kColourChannels[] = {TEXTURE_RED, TEXTURE_GREEN, TEXTURE_BLUE};
const u32 kBitsPerByte = 8;

// Bit position of a channel's byte within a pixel.
u32 Shift_Of(TextureChannel c) { return kBitsPerByte * (vbe_screen.color_order[c] & 3u); }
u32 Channel(u32 pixel, TextureChannel c) { return (pixel >> Shift_Of(c)) & 0xFF; }
// The pixel with only its fourth byte kept.
u32 Spare_Byte(u32 pixel) { return pixel & (0xFFu << Shift_Of(TEXTURE_SPARE)); }

// Red, green and blue each truncated x factor, kept modulo 256; the fourth byte 0.
u32 Scale_Colour(u32 pixel, f32 factor) {
  u32 out = 0;
  for (TextureChannel c : kColourChannels)
    out |= u32(u8(Poly_Float_To_Int(f32(Channel(pixel, c)) * factor))) << Shift_Of(c);
  return out;
}

u32* Last_Texture(void) {
  return poly_textures.newest >= 0 ? poly_textures.slot[poly_textures.newest] : nullptr;
}

u32 Block_Words(const void* block) { return Mem_Get_Size(block) / 4; }

void Check_Anim_Slot(i32 slot) {
  if (slot < 0 || slot >= i32(kPolyAnimRecords)) Err_Error("Poly: Invalid animated slot %d", int(slot));
}
}  // namespace

void Poly_Reset_Textures(void) { poly_textures.newest = -1; }

i32 Poly_New_Slot(void) {
  i32 n = poly_textures.newest + 1;
  if (n >= i32(kPolyTextureSlots)) Err_Error("Poly: Too many textures");
  poly_textures.newest = n;
  poly_textures.slot[n] = nullptr;
  return n;
}

i32 Poly_Add_Texture(u32* texture) {
  i32 n = Poly_New_Slot();
  poly_textures.slot[n] = texture;
  return n;
}

void Poly_Set_Texture(i32 slot, u32* texture) {
  if (slot < 0 || slot >= i32(kPolyTextureSlots)) Err_Error("Poly: Invalid texture slot %d", int(slot));
  poly_textures.slot[slot] = texture;
}

u32* Poly_Get_Texture(i32 slot) {
  return slot >= 0 && slot < i32(kPolyTextureSlots) ? poly_textures.slot[slot] : nullptr;
}

void Poly_Swap_Textures(i32 a, i32 b) {
  u32* t = Poly_Get_Texture(a);
  Poly_Set_Texture(a, Poly_Get_Texture(b));
  Poly_Set_Texture(b, t);
}

i32 Poly_Add_Anim_Texture(u8 count) {
  i32 n = Poly_New_Slot();
  Check_Anim_Slot(n);
  poly_textures.anim[n] = PolyAnimTexture{u8(n), 0, u8(n + 1), count};
  return n;
}

void Poly_Step_Anim_Texture(u8 slot) {
  Check_Anim_Slot(slot);
  PolyAnimTexture& a = poly_textures.anim[slot];
  a.frame++;
  if (a.frame >= a.count) a.frame = 0;
  poly_textures.slot[slot] = poly_textures.slot[u8(a.first + a.frame)];
}

void Poly_Scale_Texture(u32* texture, f32 factor) {
  for (u32 i = 0, n = Block_Words(texture); i < n; i++) texture[i] = Scale_Colour(texture[i], factor);
}

void Poly_Scale_Last_Texture(f32 factor) {
  if (u32* t = Last_Texture()) Poly_Scale_Texture(t, factor);
}

void Poly_Scale_Texture_Above(u32* texture, f32 factor, u32 threshold) {
  for (u32 i = 0, n = Block_Words(texture); i < n; i++) {
    u32 p = texture[i];
    if (Channel(p, TEXTURE_RED) >= Channel(threshold, TEXTURE_RED) &&
        Channel(p, TEXTURE_GREEN) >= Channel(threshold, TEXTURE_GREEN) &&
        Channel(p, TEXTURE_BLUE) >= Channel(threshold, TEXTURE_BLUE))
      texture[i] = Scale_Colour(p, factor);
  }
}

void Poly_Scale_Last_Texture_Above(f32 factor, u32 threshold) {
  if (u32* t = Last_Texture()) Poly_Scale_Texture_Above(t, factor, threshold);
}

void Poly_Shift_Texture(u32* texture, u8 n) {
  const u32 s = n % 32;
  for (u32 i = 0, count = Block_Words(texture); i < count; i++) {
    u32 p = texture[i];
    u32 out = Spare_Byte(p);
    for (TextureChannel c : kColourChannels) out |= (Channel(p, c) >> s) << Shift_Of(c);
    texture[i] = out;
  }
}

void Poly_Shift_Last_Texture(u8 n) {
  if (u32* t = Last_Texture()) Poly_Shift_Texture(t, n);
}

void Poly_Scale_Bytes(void* block, f32 factor) {
  u8* b = static_cast<u8*>(block);
  for (u32 i = 0, n = Mem_Get_Size(block); i < n; i++) b[i] = u8(Poly_Float_To_Int(f32(b[i]) * factor));
}

void Poly_Rotate_Texture(u32* texture, u32 x, u32 y, u32 w, u32 h) {
  const u32 words = Block_Words(texture);
  // A region that does not fit the block is left alone.
  if (w == 0 || h == 0 || (u64(y) + std::max(w, h) - 1) * 256 + x + std::max(w, h) > words) return;
  u32* temp = static_cast<u32*>(Mem_Alloc(words * 4));
  for (u32 j = 0; j < h; j++)
    for (u32 i = 0; i < w; i++) temp[(y + i) * 256 + x + j] = texture[(y + j) * 256 + x + i];
  for (u32 j = 0; j < h; j++)
    for (u32 i = 0; i < w; i++) texture[(y + j) * 256 + x + i] = temp[(y + j) * 256 + x + w - 1 - i];
  Mem_Free(temp);
}

void Poly_Add_Colour_Rect(u32* first, f32 factor, u32 colour, u32 w, u32 h) {
  const u32 add = Scale_Colour(colour, factor);
  for (u32 r = 0; r < h; r++)
    for (u32 c = 0; c < w; c++) first[r * 256 + c] += add;
}

void Poly_Make_Bump_Offsets(const u8* height, i32* destination, u32 stride) {
  for (i32 r = 0; r < 256; r++) {
    for (i32 c = 0; c < 256; c++) {
      i32 offset = 0;
      if (r >= 1 && r <= 254 && c >= 1 && c <= 254) {
        auto h = [height](i32 rr, i32 cc) { return i32(height[rr * 256 + cc]); };
        i32 dx = (h(r - 1, c - 1) + h(r, c - 1) + h(r + 1, c - 1)) - (h(r - 1, c + 1) + h(r, c + 1) + h(r + 1, c + 1));
        i32 dy = (h(r - 1, c - 1) + h(r - 1, c) + h(r - 1, c + 1)) - (h(r + 1, c - 1) + h(r + 1, c) + h(r + 1, c + 1));
        dx = std::clamp(dx, -126, 126);
        dy = std::clamp(dy, -126, 126);
        offset = dy * 256 + dx;
      }
      destination[u32(r * 256 + c) * stride] = offset;
    }
  }
}

i32* Poly_Bump_Map(u8* height) {
  i32* map = static_cast<i32*>(Mem_Alloc(kPolyTextureTexels * 4));
  Mem_Set_Description(map, "Poly: ");
  Mem_Set_Description(map, "Bump");
  Poly_Make_Bump_Offsets(height, map, 1);
  Mem_Free(height);
  return map;
}

PolyBumpTexel* Poly_Bump_Texture(u32* texture, u8* height) {
  PolyBumpTexel* map = static_cast<PolyBumpTexel*>(Mem_Alloc(kPolyTextureTexels * 8));
  Mem_Set_Description(map, "Poly: ");
  Mem_Set_Description(map, "Bump Texture");
  for (u32 i = 0; i < kPolyTextureTexels; i++) map[i].colour = texture[i];
  Poly_Make_Bump_Offsets(height, &map[0].offset, 2);
  Mem_Free(texture);
  Mem_Free(height);
  return map;
}

void Poly_Light_Texture_Rect(u32 poly, u32* first, u32 w, u32 h, f32 lx, f32 ly, f32 lz, u32 colour) {
  if (w == 0 || h == 0) return;
  const MeshPoly& p = mesh_work.polys[poly];
  const MeshPoint& p0 = mesh_work.points[p.point[0]];
  const MeshPoint& p1 = mesh_work.points[p.point[1]];
  const MeshPoint& pl = mesh_work.points[p.point[p.vertex_count ? std::min<u32>(p.vertex_count, 4) - 1 : 0]];
  MeshVector f = Mesh_Face_Normal(p);
  MeshVector n = Mesh_Normalize(f.x, f.y, f.z);
  const f32 dux = (p1.x - p0.x) / f32(w), duy = (p1.y - p0.y) / f32(w), duz = (p1.z - p0.z) / f32(w);
  const f32 dvx = (pl.x - p0.x) / f32(h), dvy = (pl.y - p0.y) / f32(h), dvz = (pl.z - p0.z) / f32(h);
  printf("du: %f, %f, %f\n", double(dux), double(duy), double(duz));
  printf("dv: %f, %f, %f\n", double(dvx), double(dvy), double(dvz));
  f32 qx = p0.x, qy = p0.y, qz = p0.z;
  u32* texel = first;
  for (u32 r = 0; r < h; r++) {
    f32 px = qx, py = qy, pz = qz;
    for (u32 c = 0; c < w; c++) {
      px += dux;
      py += duy;
      pz += duz;
      MeshVector l = Mesh_Normalize(lx - px, ly - py, lz - pz);
      f32 factor = -(n.x * l.x + n.y * l.y + n.z * l.z);
      // A light behind the face adds nothing rather than wrapped bytes.
      if (factor < 0.0f) factor = 0.0f;
      *texel = Vbe_Add_Colour_Pixel(*texel, Scale_Colour(colour, factor));
      texel++;
    }
    texel += 256 - w;
    qx += dvx;
    qy += dvy;
    qz += dvz;
  }
}

void Poly_Hsv_Texture(u32* texture, i32 hue, f32 saturation, i32 value) {
  for (u32 i = 0, n = Block_Words(texture); i < n; i++) {
    const u32 p = texture[i];
    const VbeHsv hsv = Vbe_Rgb_To_Hsv(i32(Channel(p, TEXTURE_RED)), i32(Channel(p, TEXTURE_GREEN)), i32(Channel(p, TEXTURE_BLUE)));
    texture[i] = Vbe_Hsv_To_Rgb(i16(hsv.hue + hue), hsv.saturation + saturation, i16(hsv.value + value));
  }
}

void Poly_Hsv_Last_Texture(i32 hue, f32 saturation, i32 value) {
  if (u32* t = Last_Texture()) Poly_Hsv_Texture(t, hue, saturation, value);
}
