// The post-effect layer: tint, fade and flash, thumbnail, overlays, trail, frame mix, jitter, crossfade, sway.
#include "demo/design.h"

#include <cstring>
#include <initializer_list>

#include "demo/flimmer/flimmer.h"
#include "music/music.h"
#include "render/poly.h"
#include "render/texture.h"
#include "render/vr.h"
#include "runtime/demo.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/picture.h"
#include "video/pixel.h"

DesignState design_state;

namespace {

DesignState& ds = design_state;

u32 Design_Music_Row(void) {
  Music_Get_Position();
  return music_position.row;
}
DesignRowReader design_row_reader = Design_Music_Row;

// Points the frame buffer and the rasterizer (and the 3D view drawing into it) at another buffer.
void Design_Redirect_Frame(u32* to) {
  u32* from = vbe_screen.frame;
  vbe_screen.frame = to;
  Poly_Set_Target(to, poly_state.line_table, poly_state.target_lines);
  if (vr_view.target == from) vr_view.target = to;
}

// Ends a running crossfade: the first frame buffer back, both buffers freed.
void Design_End_Crossfade(bool draw_last) {
  ds.crossfade_on = 0;
  Design_Redirect_Frame(ds.saved_frame);
  if (draw_last) Vbe_Draw_Crossfade();
  Vbe_Set_Crossfade(0, 0, 0, 0, nullptr, nullptr);
  Mem_Free(ds.crossfade_buffer_1);
  Mem_Free(ds.crossfade_buffer_2);
  ds.crossfade_buffer_1 = nullptr;
  ds.crossfade_buffer_2 = nullptr;
}

// Cuts the four strips at design x 0, 83, 160 and 240, each shown where it was cut.
void Design_Add_Strips(void) {
  static const i32 kStrips[4][2] = {{0, 82}, {83, 78}, {160, 79}, {240, 79}};
  for (const auto& s : kStrips) Design_Add_Piece(&ds.work, s[0], 0, s[1], 170, s[0], 0);
}

// Scales the work picture from its design size to the output size and records the new size.
void Design_Resize_Work(u32 width, u32 height) {
  Vbe_Set_Resize(320, 200);
  u32* pixels = reinterpret_cast<u32*>(ds.work.pixels);
  Vbe_Resize_Pixels(&pixels, width, height);
  ds.work.pixels = reinterpret_cast<u8*>(pixels);
  if (Vbe_Resize_Active()) {
    ds.work.header.hres = u16(Vbe_Scale_X(i32(width)));
    ds.work.header.vres = u16(u32(f64(height) * f64(Vbe_Get_Factor_Y())));
  }
}

// The design pictures must be 24-bit and at least as large as the pieces cut from them.
void Design_Check_Work(const char* name, u32 width, u32 height) {
  const PcxHeader& h = ds.work.header;
  if (h.colour_planes != 4) Err_Error("Design: %s is not a 24-bit picture", name);
  if (h.hres < width || h.vres < height)
    Err_Error("Design: %s is %ux%u, smaller than %ux%u", name, h.hres, h.vres, width, height);
}

}  // namespace

void Design_Set_Row_Reader(DesignRowReader reader) { design_row_reader = reader ? reader : Design_Music_Row; }
u32 Design_Heard_Row(void) { return design_row_reader(); }

// ---- start-up and shutdown ------------------------------------------------------------------------

void Design_Init(void) {
  ds.channel_cycle = 0;
  ds.channel_a = ds.channel_b = vbe_screen.color_order[0];
  ds.jitter_strength = 0;
  if (ds.thumb_live) Mem_Free(ds.thumb_live);
  if (ds.thumb_frozen) Mem_Free(ds.thumb_frozen);
  ds.thumb_width = vbe_screen.width / 5;
  ds.thumb_height = vbe_screen.height / 5;
  ds.thumb_live = Vbe_New_Bitmap(ds.thumb_width, ds.thumb_height + 2);
  ds.thumb_frozen = Vbe_New_Bitmap(ds.thumb_width, ds.thumb_height + 2);
  memset(Vbe_Bitmap_Pixels(ds.thumb_live), 0, size_t(ds.thumb_width) * (ds.thumb_height + 2) * 4);
  Design_Set_Channels(0, 2);
  Design_Set_Filter(0, 15, 30, 1, 1, 1);
  Design_Save_Centre();
  Vbe_Set_Resize(320, 200);
  ds.random_range = Vbe_Scale_X(10);
}

void Design_Load_Overlays_1(void) {
  static const char kName[] = "design/strips.pcx";
  Pcx_Load(kName, &ds.work);
  Design_Check_Work(kName, 320, 170);
  Poly_Scale_Texture(reinterpret_cast<u32*>(ds.work.pixels), 0.7f);
  Design_Resize_Work(320, 170);
  ds.first_strip = ds.piece_count;
  Design_Add_Strips();
  Poly_Scale_Texture(reinterpret_cast<u32*>(ds.work.pixels), 0.5f);
  Design_Add_Strips();
  Pcx_Free(&ds.work);
}

void Design_Load_Overlays_2(void) {
  static const char kName[] = "design/prosa4.pcx";
  // Per group: the block's left column and top line, the third line's width, and where its second half
  // starts in the picture and on the screen, with its width.
  static const i32 kGroups[4][6] = {{2, 22, 34, 34, 144, 60},
                                    {2, 110, 34, 34, 144, 60},
                                    {102, 22, 24, 124, 134, 80},
                                    {102, 110, 24, 124, 134, 80}};
  Pcx_Load(kName, &ds.work);
  Design_Check_Work(kName, 320, 200);
  Design_Resize_Work(320, 200);
  for (u32 g = 0; g < 4; g++) {
    const i32* k = kGroups[g];
    ds.first_text[g] = Design_Add_Piece(&ds.work, k[0], k[1], 90, 22, 112, 52);
    Design_Add_Piece(&ds.work, k[0], k[1] + 22, 90, 22, 112, 74);
    Design_Add_Piece(&ds.work, k[0], k[1] + 44, k[2], 22, 112, 96);
    Design_Add_Piece(&ds.work, k[3], k[1] + 44, k[5], 22, k[4], 96);
  }
  Pcx_Free(&ds.work);
}

void Design_Free(void) {
  if (ds.thumb_live) Mem_Free(ds.thumb_live);
  if (ds.thumb_frozen) Mem_Free(ds.thumb_frozen);
  ds.thumb_live = nullptr;
  ds.thumb_frozen = nullptr;
}

// ---- operations ------------------------------------------------------------------------------------

void Design_Filter_Colour(void) {
  if (ds.hue_on)
    ds.filter_colour = Vbe_Hsv_To_Rgb(ds.hue_angle, 0.5f, 23);
  else if (ds.bounce_on)
    ds.filter_colour = Vbe_Pack_Color(u32(ds.red), u32(ds.green), u32(ds.blue));
  else
    ds.filter_colour = 0;
}

void Design_Filter_Tick(i32 red_bound, i32 green_bound, i32 blue_bound) {
  if (ds.update_counter == 0) {
    if (ds.hue_on) {
      ds.hue_angle += ds.hue_step;
      if (ds.hue_angle >= 360) ds.hue_angle = 0;
    } else if (ds.bounce_on) {
      i32* value[3] = {&ds.red, &ds.green, &ds.blue};
      i32* step[3] = {&ds.red_step, &ds.green_step, &ds.blue_step};
      const i32 bound[3] = {red_bound, green_bound, blue_bound};
      for (u32 c = 0; c < 3; c++) {
        *value[c] += *step[c];
        if (*value[c] > bound[c] || *value[c] < 2) *step[c] = -*step[c];
      }
    }
  }
  if (++ds.update_counter > ds.update_divider) ds.update_counter = 0;
}

void Design_Tint(u32 colour) {
  Design_Filter_Colour();
  Vbe_Sub_Colour(Vbe_Add_Colour_Pixel(colour, ds.filter_colour));
}

u32 Design_Add_Piece(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h, i32 screen_x, i32 screen_y) {
  if (ds.piece_count >= kDesignMaxPieces) Err_Error("Design: More than %u overlay pieces", kDesignMaxPieces);
  DesignPiece& p = ds.pieces[ds.piece_count];
  p.picture = Pcx_Cut_Bitmap(picture, Vbe_Scale_X(x), Vbe_Scale_Y(y), Vbe_Scale_X(w), Vbe_Scale_Y(h));
  p.x = Vbe_Scale_X(screen_x);
  p.y = Vbe_Scale_Y(screen_y);
  return ds.piece_count++;
}

void Design_Show_Overlay(u8 first, u8 count, u8 rows_per_piece, u8 mode, u8 alternate) {
  ds.overlay_on = 1;
  ds.overlay_first = ds.overlay_current = first;
  ds.overlay_count = count;
  ds.overlay_remaining = count;
  ds.overlay_rows_per_piece = rows_per_piece;
  ds.overlay_mode = mode;
  ds.overlay_alternate = alternate;
  ds.overlay_event = Seq_Get_Current() + 1;
  ds.overlay_toggle = 0;
}

void Design_Overlay_Tick(void) {
  const u32 row = design_row_reader();
  const u32 step = ds.overlay_rows_per_piece ? row / ds.overlay_rows_per_piece : 0;
  ds.overlay_current = u8(ds.overlay_first + step);
  ds.overlay_remaining = i32(ds.overlay_count) - i32(ds.overlay_current - ds.overlay_first);
}

void Design_Draw_Overlay(void) {
  u32 offset = 0;
  if (ds.overlay_alternate == 1) {
    const u8 before = ds.overlay_toggle++;
    if (before != 0) {
      ds.overlay_toggle = 0;
      offset = ds.overlay_count;
    }
  }
  if (ds.overlay_mode & 8) {
    ds.random_x = Math_Random(ds.random_range) - ds.random_range / 2;
    ds.random_y = Math_Random(ds.random_range) - ds.random_range / 2;
  } else {
    ds.random_x = ds.random_y = 0;
  }
  if (ds.overlay_mode & 4) {
    for (u32 i = ds.overlay_first; i <= ds.overlay_current; i++) Design_Draw_Piece(u8(i + offset));
  } else {
    Design_Draw_Piece(u8(ds.overlay_current + offset));
  }
}

void Design_Draw_Piece(u8 index) {
  if (ds.overlay_remaining <= 0 || Seq_Get_Current() != ds.overlay_event) {
    ds.overlay_on = 0;
    return;
  }
  // Pieces past the table's filled rows (a group not loaded) draw nothing.
  if (index >= ds.piece_count || !ds.pieces[index].picture) return;
  const DesignPiece& p = ds.pieces[index];
  const i32 x = p.x + ds.offset_x + ds.random_x, y = p.y + ds.offset_y + ds.random_y;
  switch (ds.overlay_mode & 3) {
    case 0: Vbe_Sprite_Trans(x, y, p.picture); break;
    case 1: Vbe_Sprite_Add(x, y, p.picture); break;
    case 2: Vbe_Sprite_Sat(x, y, p.picture); break;
    default: break;
  }
}

void Design_Update_Thumb(void) {
  if (!ds.thumb_live || !vbe_screen.frame) return;
  const u32 w = ds.thumb_width, h = ds.thumb_height;
  u32* live = Vbe_Bitmap_Pixels(ds.thumb_live);
  const u32* frozen = Vbe_Bitmap_Pixels(ds.thumb_frozen);
  const u32* frame = vbe_screen.frame;
  const bool noisy = ds.noise_counter >= 2;
  if (ds.frozen_counter > 0 && !noisy) return;
  for (u32 r = 1; r <= h; r++) {
    const u32* sample = frame + size_t(5 * (r - 1)) * vbe_screen.width;
    for (u32 c = 1; c + 1 < w; c++) {
      const u32 at = r * w + c;
      const u32 source = ds.frozen_counter > 0 ? frozen[at] : sample[5 * (c - 1)];
      live[at] = noisy ? Vbe_Add_Colour_Pixel(source, u32(Math_Random(ds.noise_counter / 2)) * 0x010101u) : source;
    }
  }
}

void Design_Thumb_Colour_Map(void) {
  if (!ds.thumb_live) return;
  Vbe_Swap_Channel(Vbe_Bitmap_Pixels(ds.thumb_live), ds.thumb_width * (ds.thumb_height + 2), u8(ds.channel_a),
                   u8(ds.channel_b));
}

void Design_Draw_Thumb(i32 x_sign, i32 y_sign) {
  if (!ds.thumb_live) return;
  const i32 x = x_sign >= 0 ? 16 : i32(vbe_screen.width) - i32(ds.thumb_width) - 16;
  const i32 y = y_sign >= 0 ? 8 : i32(vbe_screen.height) - i32(ds.thumb_height) - 8;
  Vbe_Sprite(x, y, ds.thumb_live);
}

void Design_Jitter(i32 strength) {
  if (strength > 0) ds.jitter_strength = Vbe_Scale_X(strength);
  if (ds.jitter_strength < 1) return;
  const i32 d = ds.jitter_strength;
  const i32 ry = Math_Random(d);
  const i32 rx = Math_Random(d);
  VR_Set_Centre(ds.saved_centre_x + rx - (d >> 1), ds.saved_centre_y + ry - (d >> 1));
}

void Design_Save_Centre(void) {
  ds.saved_centre_x = vr_view.centre_x;
  ds.saved_centre_y = vr_view.centre_y;
}

void Design_Sway_Frame(void) {
  const u32 row = design_row_reader();
  const i32 beat = Music_Get_Beat();
  if (beat > 0 && row % u32(beat) == 0 && row != ds.last_row) ds.sway_amplitude = 540;
  ds.last_row = row;
}

void Design_Sway_Tick(void) {
  ds.sway_amplitude += ds.sway_step;
  if (ds.sway_amplitude > 540 || ds.sway_amplitude < -540) ds.sway_step = -ds.sway_step;
}

void Design_Set_Channels(u32 index_a, u32 index_b) {
  ds.channel_a = vbe_screen.color_order[index_a & 3];
  ds.channel_b = vbe_screen.color_order[index_b & 3];
}

void Design_Set_Filter(i32 red, i32 green, i32 blue, i32 red_step, i32 green_step, i32 blue_step) {
  ds.red = red, ds.green = green, ds.blue = blue;
  ds.red_step = red_step, ds.green_step = green_step, ds.blue_step = blue_step;
  ds.hue_angle = 0;
  ds.hue_step = 1;
  ds.update_counter = 0;
}

void Design_Flash(i32 level) {
  ds.level = level;
  ds.step = -5;
  ds.flash_on = 1;
}

// ---- per tick and per frame ------------------------------------------------------------------------

void Design_Tick(void) {
  if (ds.sway_on) Design_Sway_Tick();
  if (ds.tint_on) {
    Design_Filter_Tick(25, 25, 25);
    // Lowered toward 0 without wrapping below it.
    for (u32* c : {&ds.tint_red, &ds.tint_green, &ds.tint_blue}) *c = *c > 5 ? *c - 5 : 0;
  }
  if (ds.overlay_on) Design_Overlay_Tick();
  if (ds.crossfade_on) Vbe_Step_Crossfade();
  if (ds.jitter_strength > 0 && --ds.jitter_strength == 0) {
    // The jitter is over: the projection centre goes back where it was.
    VR_Set_Centre(ds.saved_centre_x, ds.saved_centre_y);
  }
  if (ds.frozen_counter > 0)
    ds.frozen_counter--;
  else if (ds.noise_counter > 0)
    ds.noise_counter--;
  if (ds.fade_on || ds.flash_on) {
    ds.level += ds.step;
    if (ds.level >= 255 || ds.level <= 0) ds.fade_on = ds.flash_on = 0;
  }
}

void Design_Apply(void) {
  if (!ds.on) return;
  if (ds.sway_on) Design_Sway_Frame();
  // The mix buffer may have been released by Design_Stop_Frame_Mix: nothing to add or trail then.
  if (ds.mix_on && vbe_screen.mix) {
    if (!ds.mix_every_other || ds.mix_toggle == 0) Vbe_Add_Buffer(vbe_screen.frame, vbe_screen.mix);
    if (ds.mix_every_other) ds.mix_toggle ^= 1;
  }
  if (ds.thumb_on) {
    Design_Update_Thumb();
    Design_Thumb_Colour_Map();
  }
  if (ds.overlay_on) Design_Draw_Overlay();
  if (ds.thumb_on) Design_Draw_Thumb(ds.thumb_x_sign, ds.thumb_y_sign);
  if (ds.trail_on && vbe_screen.mix) Vbe_Transition(7, 0);
  if (ds.filter_on) {
    Design_Filter_Colour();
    Vbe_Add_Constant(ds.filter_colour);
  }
  if (ds.jitter_strength > 0) Design_Jitter(0);
  if (ds.crossfade_on) {
    if (Vbe_Crossfade_Done())
      Design_End_Crossfade(true);
    else
      Vbe_Draw_Crossfade();
  }
  if (ds.tint_on && !Demo_Get_Flag(DEMO_FLAG_NO_FADES)) {
    const bool all = ds.tint_red && ds.tint_green && ds.tint_blue;
    if (ds.bounce_on || ds.hue_on || all) Design_Tint(Vbe_Pack_Color(ds.tint_red, ds.tint_green, ds.tint_blue));
  }
  if (ds.fade_on) Vbe_Darken(ds.level);
  if (ds.flash_on) Vbe_Brighten(ds.level);
}

// ---- crossfade and snapshot ------------------------------------------------------------------------

void Design_Set_Crossfade(i32 level_a, i32 level_b, i32 step_a, i32 step_b) {
  ds.preset_level_a = level_a;
  ds.preset_level_b = level_b;
  ds.preset_step_a = step_a;
  ds.preset_step_b = step_b;
  ds.preset_given = 1;
}

void Design_Init_Crossfade(void) {
  // A crossfade still running is cut short: its buffers go and the first frame buffer comes back.
  if (ds.crossfade_on) Design_End_Crossfade(false);
  const u32 bytes = vbe_screen.frame_size;
  ds.crossfade_buffer_1 = static_cast<u32*>(Mem_Alloc(bytes));
  Mem_Set_Description(ds.crossfade_buffer_1, "Design: ");
  Mem_Set_Description(ds.crossfade_buffer_1, "Crossfade buffer 1");
  ds.crossfade_buffer_2 = static_cast<u32*>(Mem_Alloc(bytes));
  Mem_Set_Description(ds.crossfade_buffer_2, "Design: ");
  Mem_Set_Description(ds.crossfade_buffer_2, "Crossfade buffer 2");
  if (vbe_screen.frame) memcpy(ds.crossfade_buffer_1, vbe_screen.frame, bytes);
  ds.saved_frame = vbe_screen.frame;
  Design_Redirect_Frame(ds.crossfade_buffer_2);
  if (!ds.preset_given) {
    ds.preset_level_a = 254;
    ds.preset_level_b = 1;
    ds.preset_step_a = -1;
    ds.preset_step_b = 1;
  }
  ds.preset_given = 0;
  Vbe_Set_Crossfade(ds.preset_level_a, ds.preset_level_b, ds.preset_step_a, ds.preset_step_b,
                    ds.crossfade_buffer_2, ds.crossfade_buffer_1);
  ds.crossfade_on = 1;
}

void Design_Set_Snapshot_Hook(DemoCallback hook) { ds.snapshot_hook = hook; }

void Design_Snapshot_Frame(void) {
  if (ds.snapshot_hook) ds.snapshot_hook();
  Vbe_Alloc_Mix_Buffer();
  if (!vbe_screen.frame || !vbe_screen.mix) return;
  memcpy(vbe_screen.mix, vbe_screen.frame, vbe_screen.frame_size);
  Poly_Scale_Texture(vbe_screen.mix, 0.3f);
}

// ---- timeline setters --------------------------------------------------------------------------------

void Design_Start_Tint(void) {
  ds.tint_on = 1;
  ds.hue_on = 0;
}

void Design_Start_Tint_Hue(void) {
  ds.tint_on = 1;
  ds.hue_on = 1;
}

void Design_Flash_250(void) { Design_Flash(250); }

void Design_Start_Sway(void) {
  ds.sway_on = 1;
  ds.sway_amplitude = 540;
  ds.sway_step = 60;
  ds.last_row = design_row_reader();
}

namespace {
// The sway stops moving and holds the amplitude it is left at.
void Design_Hold_Sway(i32 amplitude) {
  ds.sway_on = 0;
  ds.sway_amplitude = amplitude;
}
}  // namespace

void Design_Stop_Sway(void) { Design_Hold_Sway(0); }
void Design_Sway_Half(void) { Design_Hold_Sway(270); }
void Design_Sway_Full(void) { Design_Hold_Sway(540); }

namespace {
void Design_Thumb_At(i32 x_sign, i32 y_sign) {
  ds.thumb_on = 1;
  ds.thumb_x_sign = x_sign;
  ds.thumb_y_sign = y_sign;
}

// A text group's lines one more every 16 rows, offset toward the thumbnail's side, shaking a little.
void Design_Show_Text(u32 group) {
  Design_Set_Scroll(Vbe_Scale_X(50) * ds.thumb_x_sign, Vbe_Scale_Y(8) * ds.thumb_y_sign);
  Design_Show_Overlay(u8(ds.first_text[group]), 4, 16, 14, 0);
}
}  // namespace

void Design_Thumb_Top_Left(void) { Design_Thumb_At(1, 1); }
void Design_Thumb_Top_Right(void) { Design_Thumb_At(-1, 1); }
void Design_Thumb_Bottom_Left(void) { Design_Thumb_At(1, -1); }
void Design_Thumb_Bottom_Right(void) { Design_Thumb_At(-1, -1); }
void Design_Stop_Thumb(void) { ds.thumb_on = 0; }

void Design_Start_Shake(void) {
  if (ds.thumb_live && ds.thumb_frozen)
    memcpy(Vbe_Bitmap_Pixels(ds.thumb_frozen), Vbe_Bitmap_Pixels(ds.thumb_live),
           size_t(ds.thumb_width) * (ds.thumb_height + 2) * 4);
  ds.noise_counter = 50;
  ds.frozen_counter = 110;
}

void Design_Start_Jitter(void) { Design_Jitter(25); }

void Design_Overlay_0(void) {
  Design_Set_Scroll(0, 0);
  Design_Show_Overlay(u8(ds.first_strip), 4, 16, 2, 1);
}
void Design_Overlay_1(void) { Design_Show_Text(0); }
void Design_Overlay_2(void) { Design_Show_Text(1); }
void Design_Overlay_3(void) { Design_Show_Text(2); }
void Design_Overlay_4(void) { Design_Show_Text(3); }

void Design_Start_Frame_Mix(void) { ds.mix_on = 1; }
void Design_Start_Trail(void) { ds.trail_on = 1; }
void Design_Stop_Trail(void) { ds.trail_on = 0; }

// ---- further switches and colour operations ---------------------------------------------------------

void Design_Set_Filter_Colour(i32 red, i32 green, i32 blue) {
  ds.red = red;
  ds.green = green;
  ds.blue = blue;
}

void Design_Hue_On(void) { ds.hue_on = 1; }
void Design_Hue_Off(void) { ds.hue_on = 0; }
void Design_Bounce_On(void) { ds.bounce_on = 1; }
void Design_Bounce_Off(void) { ds.bounce_on = 0; }
void Design_Set_Hue_Divider(i32 n) { ds.update_divider = n; }
void Design_Hue_Divider_1(void) { Design_Set_Hue_Divider(1); }
void Design_Hue_Divider_8(void) { Design_Set_Hue_Divider(8); }
void Design_Stop_Tint(void) { ds.tint_on = 0; }

void Design_Stop_Tint_Hue(void) {
  ds.tint_on = 0;
  ds.hue_on = 0;
}

void Design_Filter_On(void) { ds.filter_on = 1; }
void Design_Filter_Off(void) { ds.filter_on = 0; }

void Design_Filter_Hue_On(void) {
  ds.filter_on = 1;
  ds.hue_on = 1;
}

void Design_Filter_Hue_Off(void) {
  ds.filter_on = 0;
  ds.hue_on = 0;
}

void Design_Set_Tint(u32 red, u32 green, u32 blue) {
  ds.tint_red = red;
  ds.tint_green = green;
  ds.tint_blue = blue;
}

namespace {
void Design_Layer(i32 level, i32 step, bool fade) {
  ds.level = level;
  ds.step = step;
  (fade ? ds.fade_on : ds.flash_on) = 1;
}
}  // namespace

void Design_Fade_In(void) { Design_Layer(255, -1, true); }
void Design_Fade_Out(void) { Design_Layer(0, 1, true); }
void Design_Flash_Out(void) { Design_Layer(255, -1, false); }
void Design_Flash_In(void) { Design_Layer(0, 1, false); }
void Design_Off(void) { ds.on = 0; }
void Design_On(void) { ds.on = 1; }

void Design_Stop_Frame_Mix(void) {
  ds.mix_on = 0;
  ds.mix_every_other = 0;
  Vbe_Free_Mix_Buffer();
}

void Design_Frame_Mix_Alternate(void) {
  ds.mix_every_other = 1;
  ds.mix_toggle = 0;
}

void Design_Frame_Mix_Every(void) { ds.mix_every_other = 0; }

void Design_Set_Scroll(i32 x, i32 y) {
  ds.offset_x = x;
  ds.offset_y = y;
}

void Design_Cycle_Channels(void) {
  static const u32 kPairs[4][2] = {{0, 0}, {1, 2}, {0, 2}, {0, 1}};
  ds.channel_cycle = ds.channel_cycle >= 3 ? 0 : ds.channel_cycle + 1;
  Design_Set_Channels(kPairs[ds.channel_cycle][0], kPairs[ds.channel_cycle][1]);
}

void Design_Add_Filter(u32 colour) {
  Design_Filter_Colour();
  Vbe_Add_Colour(Vbe_Add_Colour_Pixel(colour, ds.filter_colour));
}

void Design_Add_Filter_Keep(u32 colour) {
  Design_Filter_Colour();
  Vbe_Add_Colour_Keep(Vbe_Add_Colour_Pixel(colour, ds.filter_colour));
}

void Design_Sub_Filter_Keep(u32 colour) {
  Design_Filter_Colour();
  Vbe_Sub_Colour_Keep(Vbe_Add_Colour_Pixel(colour, ds.filter_colour));
}

void Design_Sub_Filter(void) {
  Design_Filter_Colour();
  Vbe_Sub_Colour(ds.filter_colour);
}

void Design_Add_Filter_Colour(void) {
  Design_Filter_Colour();
  Vbe_Add_Colour(ds.filter_colour);
}

void Design_Add_Filter_Constant(void) {
  Design_Filter_Colour();
  Vbe_Add_Constant(ds.filter_colour);
}

void Design_Flicker_Filter(void) {
  Design_Filter_Colour();
  Flimmer_Draw_Const(ds.filter_colour);
}

void Design_Wait_Event(void) {
  if (Seq_Event_Over()) return;
  do {
    Vbe_Clear();
    Design_Apply();
    Demo_Frame_Hook();
  } while (!Seq_Run_Frame());
}
