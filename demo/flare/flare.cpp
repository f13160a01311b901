// The flare effect: glow and beam pictures over the design frame and 150 beams spinning from a centre.
#include "demo/flare/flare.h"

#include "demo/design.h"
#include "music/music.h"
#include "render/poly.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "video/pcx.h"
#include "video/picture.h"
#include "video/pixel.h"

namespace {
const i32 kFlareTop = 35;          // design row of the pictures' top
const i32 kFlareStartup = 190;     // start flash length in steps of two ticks
const i32 kFlarePitch = 320;       // pixels from one row of the buffer to the next

FlareSpark flare_sparks[kFlareSparks] = {};
u32 flare_spark_count = 0;
cbitmap* flare_glow = nullptr;   // "flare/flare2.pcx"
cbitmap* flare_beams = nullptr;  // "flare/flare1.pcx"
i32 flare_glow_level = 0, flare_beam_level = 0;
i32 flare_startup = 0;
i32 flare_countdown = 2;
i32 flare_ticks = 0;
i32 flare_centre_y = 85;

i32 Flare_Wrap(i64 angle) { return i32(((angle % 2048) + 2048) % 2048); }

// Adds the colour to one pixel of the frame, saturating; pixels outside the frame are left alone.
void Flare_Plot(i64 p, u32 colour) {
  const i64 n = i64(vbe_screen.width) * vbe_screen.height;
  if (p >= 0 && p < n) vbe_screen.frame[p] = Vbe_Add_Colour_Pixel(vbe_screen.frame[p], colour);
}
}  // namespace

void Flare_Load(void) {
  for (u32 i = 0; i < kFlareSparks; i++) {
    const i32 r1 = Math_Random(2048);
    const i32 r2 = Math_Random(2048);
    Flare_Set_Spark(i, r2 * 2, r1 * 2);
  }
  if (flare_glow) Mem_Free(flare_glow);
  if (flare_beams) Mem_Free(flare_beams);
  flare_glow = Pcx_Load_Bitmap("flare/flare2.pcx");
  flare_beams = Pcx_Load_Bitmap("flare/flare1.pcx");
}

void Flare_Reset(void) {
  flare_startup = kFlareStartup;
  flare_glow_level = flare_beam_level = 0;
}

void Flare_Set_View(void) {
  flare_centre_y = 85;
  flare_ticks = 0;
  Poly_Set_Clip(1, 35, 319, 133);
}

void Flare_Tick(void) {
  if (--flare_countdown == 0) {
    flare_countdown = 2;
    if (flare_startup > 0) flare_startup--;
  }
  flare_ticks++;
}

bool Flare_Draw(void) {
  if (flare_startup == 0 && flare_glow_level == 255 && flare_beam_level == 255) return false;
  if (flare_startup > 0)
    Vbe_Sprite_Brighten(0, kFlareTop, flare_glow, flare_startup);
  else
    Vbe_Sprite_Darken(0, kFlareTop, flare_glow, flare_glow_level);
  Vbe_Sprite_Darken_Sat(0, kFlareTop, flare_beams, flare_beam_level);
  i32 c = (255 - flare_beam_level) / 16;
  if (c > 3) c = 3;
  const u32 u = u32(c), h = u32(c / 2);
  for (u32 i = 0; i < flare_spark_count; i++) {
    const FlareSpark& s = flare_sparks[i];
    const i32 r = Math_Random(3);
    const u32 colour = r == 0 ? Vbe_Pack_Color(u, u, h) : r == 1 ? Vbe_Pack_Color(u, h, h) : Vbe_Pack_Color(h, h, u);
    Flare_Clip_Line(kFlareCentreX, flare_centre_y, kFlareCentreX + s.x, flare_centre_y + s.y, colour);
  }
  Flare_Move_Sparks(flare_ticks);
  flare_ticks = 0;
  return true;
}

void Flare_Darken_Glow(void) {
  if (flare_startup == 0 && flare_glow_level < 255) flare_glow_level++;
}
void Flare_Lighten_Glow(void) {
  if (flare_startup == 0 && flare_glow_level > 0) flare_glow_level--;
}
void Flare_Darken_Beams(void) {
  if (flare_startup == 0 && flare_beam_level < 255) flare_beam_level++;
}
void Flare_Lighten_Beams(void) {
  if (flare_startup == 0 && flare_beam_level > 0) flare_beam_level--;
}

void Flare_Set_Spark(u32 index, i32 angle_a, i32 angle_b) {
  if (index >= kFlareSparks) Err_Error("Flare: Spark %u out of range", index);
  FlareSpark& s = flare_sparks[index];
  // Kept within the turn at once: the table lookups never see an angle past 2047.
  s.angle_a = Flare_Wrap(angle_a);
  s.angle_b = Flare_Wrap(angle_b);
  s.speed_a = Math_Random(1) + 1;
  s.speed_b = Math_Random(4) + 2;
  s.length = Math_Random(280);
  s.x = s.y = 0;
  if (flare_spark_count < index + 1) flare_spark_count = index + 1;
}

void Flare_Move_Sparks(i32 ticks) {
  if (ticks < 1) return;
  for (u32 i = 0; i < flare_spark_count; i++) {
    FlareSpark& s = flare_sparks[i];
    s.angle_a = Flare_Wrap(i64(s.angle_a) + i64(s.speed_a) * ticks);
    s.angle_b = Flare_Wrap(i64(s.angle_b) + i64(s.speed_b) * ticks);
    const f32 cos_b = Math_Cos(s.angle_b);
    const f32 cos_b2 = 2.0f * cos_b;
    const f32 length = f32(s.length);
    s.x = Math_Float_To_Int(cos_b2 * Math_Cos(s.angle_a) * length);
    s.y = Math_Float_To_Int(cos_b * Math_Sin(s.angle_a) * length);
  }
}

void Flare_Clip_Line(i32 x0, i32 y0, i32 x1, i32 y1, u32 colour) {
  // Two-value vertices; the clippers' results are scratch records, so each stage is copied out at once.
  const i32 saved_n = poly_state.n;
  poly_state.n = 2;
  PolyVertex a = {}, b = {};
  a.slot[POLY_X] = x0;
  a.slot[POLY_Y] = y0;
  b.slot[POLY_X] = x1;
  b.slot[POLY_Y] = y1;
  PolyVertex* pa = &a;
  PolyVertex* pb = &b;
  bool inside = Poly_Clip_Edge_X(&pa, &pb) != 0;
  if (inside) {
    PolyVertex ca = *pa, cb = *pb;
    pa = &ca;
    pb = &cb;
    inside = Poly_Clip_Edge_Y(&pa, &pb) != 0;
    if (inside) {
      const i32 ax = pa->slot[POLY_X], ay = pa->slot[POLY_Y], bx = pb->slot[POLY_X], by = pb->slot[POLY_Y];
      poly_state.n = saved_n;
      Flare_Add_Line(ax, ay, bx, by, colour);
    }
  }
  poly_state.n = saved_n;
}

void Flare_Add_Line(i32 x0, i32 y0, i32 x1, i32 y1, u32 colour) {
  if (!vbe_screen.frame || y0 < 0 || y0 >= i32(kVbeLineTableSize)) return;
  // The buffer is 320 pixels wide; every plot is checked against the frame, so a line near an edge
  // of a smaller buffer cannot write outside it.
  i64 p = i64(vbe_screen.frame_lines[y0] / 4) + x0;
  const i64 dx = i64(x1) - x0, dy = i64(y1) - y0;
  const i64 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  const i64 step_x = dx < 0 ? -1 : 1, step_y = dy < 0 ? -kFlarePitch : kFlarePitch;
  const auto plot = [colour](i64 q) {
    Flare_Plot(q, colour);
    Flare_Plot(q + 1, colour);
    Flare_Plot(q + kFlarePitch + 1, colour);
    Flare_Plot(q + kFlarePitch + 1, colour);
  };
  // Steps along the longer axis, and along the shorter one whenever the error crosses zero.
  const bool along_x = 2 * ay < 2 * ax;
  const i64 major = along_x ? ax : ay, minor = along_x ? ay : ax;
  const i64 step_major = along_x ? step_x : step_y, step_minor = along_x ? step_y : step_x;
  i64 e = -major;
  for (i64 i = 0; i < major; i++) {
    e += 2 * minor;
    plot(p);
    if (e >= 0) {
      p += step_minor;
      e -= 2 * major;
    }
    p += step_major;
  }
}

void Flare_Tick_Design(void) {
  Flare_Tick();
  Design_Tick();
}

void Flare_Run(void) {
  Flare_Set_View();
  Flare_Reset();
  Music_Set_Callback(Flare_Tick_Design);
  Vbe_Resize_Buffer(320, 200);
  Vbe_Resize_Begin();
  Vbe_Clear();
  Flare_Draw();
  Vbe_Resize_End();
  Vbe_Blur_Alternate();
  Vbe_Transition(7, 0);
  Demo_Frame_Hook();
  Music_Clear_Callback();
}

i32 Flare_Glow_Level(void) { return flare_glow_level; }
i32 Flare_Beam_Level(void) { return flare_beam_level; }
i32 Flare_Startup(void) { return flare_startup; }
