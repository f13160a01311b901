// The post-effect layer: effects laid over every scene frame and advanced by every scene tick.
#pragma once
#include "runtime/types.h"
#include "video/pcx.h"
#include "video/vbe.h"

const u32 kDesignMaxPieces = 40;

// One overlay picture with its place on the screen.
struct DesignPiece {
  cbitmap* picture;
  i32 x;
  i32 y;
};

// The layer's whole state; scenes read the sway amplitude and the last beat row.
struct DesignState {
  u8 on = 1;  // master switch: Design_Apply does nothing while 0

  // Filter colour: a bouncing colour or a hue from a rotating angle.
  i32 red, green, blue;
  i32 red_step, green_step, blue_step;
  u8 bounce_on = 1;
  u8 hue_on;
  i32 hue_angle;  // degrees, 0..359
  i32 hue_step = 1;
  i32 update_counter;
  i32 update_divider = 1;  // the filter changes once every divider + 1 ticks
  u32 filter_colour;
  u8 filter_on;

  // Tint: the filter colour plus this colour subtracted from every pixel.
  u8 tint_on;
  u32 tint_red, tint_green, tint_blue;

  // Fade and flash layers share one level and one step.
  i32 level;
  i32 step;
  u8 fade_on;
  u8 flash_on;

  // Sway: an amplitude swinging per tick and pushed back on every beat row.
  u8 sway_on;
  i32 sway_amplitude;
  i32 sway_step = 60;
  u32 last_row;

  // Corner thumbnail of the frame.
  u8 thumb_on;
  i32 thumb_x_sign, thumb_y_sign;
  u32 thumb_width, thumb_height;
  cbitmap* thumb_live;    // thumb_width x (thumb_height + 2)
  cbitmap* thumb_frozen;  // the same size
  i32 frozen_counter;
  i32 noise_counter;
  u32 channel_a, channel_b;  // byte positions swapped in every thumbnail pixel
  i32 channel_cycle;

  // Frame mix and trail through the mix buffer.
  u8 mix_on;
  u8 mix_every_other;
  u8 mix_toggle;
  u8 trail_on;

  // Jitter of the projection centre.
  i32 jitter_strength;
  i32 saved_centre_x, saved_centre_y;

  // Picture overlays.
  DesignPiece pieces[kDesignMaxPieces];
  u32 piece_count;
  u32 first_strip;
  u32 first_text[4];
  u8 overlay_on;
  u8 overlay_first;
  u8 overlay_current;
  u8 overlay_count;
  i32 overlay_remaining;
  u8 overlay_rows_per_piece;
  u8 overlay_mode;  // bits 0-1 blend (trans, add, sat, none); bit 2 all pieces; bit 3 random offset
  u8 overlay_alternate;
  u8 overlay_toggle;
  i32 overlay_event = -1;  // sequencer event during which the overlay shows
  i32 offset_x, offset_y;
  i32 random_x, random_y;
  i32 random_range = 10;
  PcxPicture work;

  // Crossfade from the last frame into the running scene.
  u8 crossfade_on;
  u32* crossfade_buffer_1;
  u32* crossfade_buffer_2;
  u32* saved_frame;
  i32 preset_level_a, preset_level_b, preset_step_a, preset_step_b;
  u8 preset_given;

  // Redraws a scene for Design_Snapshot_Frame.
  DemoCallback snapshot_hook;
};

extern DesignState design_state;

// Where the layer reads the heard music row: the music by default; tests may supply their own.
typedef u32 (*DesignRowReader)(void);
void Design_Set_Row_Reader(DesignRowReader reader);
u32 Design_Heard_Row(void);

// Start-up and shutdown.
void Design_Init(void);
void Design_Load_Overlays_1(void);
void Design_Load_Overlays_2(void);
void Design_Free(void);

// Per tick and per frame.
void Design_Tick(void);
void Design_Apply(void);

// Operations of the layer.
void Design_Filter_Colour(void);
void Design_Filter_Tick(i32 red_bound, i32 green_bound, i32 blue_bound);
void Design_Tint(u32 colour);
u32 Design_Add_Piece(const PcxPicture* picture, i32 x, i32 y, i32 w, i32 h, i32 screen_x,
                     i32 screen_y);
void Design_Show_Overlay(u8 first, u8 count, u8 rows_per_piece, u8 mode, u8 alternate);
void Design_Overlay_Tick(void);
void Design_Draw_Overlay(void);
void Design_Draw_Piece(u8 index);
void Design_Update_Thumb(void);
void Design_Thumb_Colour_Map(void);
void Design_Draw_Thumb(i32 x_sign, i32 y_sign);
void Design_Jitter(i32 strength);
void Design_Save_Centre(void);
void Design_Sway_Frame(void);
void Design_Sway_Tick(void);
void Design_Set_Channels(u32 index_a, u32 index_b);
void Design_Set_Filter(i32 red, i32 green, i32 blue, i32 red_step, i32 green_step, i32 blue_step);
void Design_Flash(i32 level);

// Timeline setters.
void Design_Start_Tint(void);
void Design_Start_Tint_Hue(void);
void Design_Flash_250(void);
void Design_Start_Sway(void);
void Design_Stop_Sway(void);
void Design_Sway_Half(void);
void Design_Sway_Full(void);
void Design_Thumb_Top_Left(void);
void Design_Thumb_Top_Right(void);
void Design_Thumb_Bottom_Left(void);
void Design_Thumb_Bottom_Right(void);
void Design_Stop_Thumb(void);
void Design_Start_Shake(void);
void Design_Start_Jitter(void);
void Design_Overlay_0(void);
void Design_Overlay_1(void);
void Design_Overlay_2(void);
void Design_Overlay_3(void);
void Design_Overlay_4(void);
void Design_Start_Frame_Mix(void);
void Design_Snapshot_Frame(void);
void Design_Start_Trail(void);
void Design_Stop_Trail(void);

// Further switches and colour operations.
void Design_Set_Filter_Colour(i32 red, i32 green, i32 blue);
void Design_Hue_On(void);
void Design_Hue_Off(void);
void Design_Bounce_On(void);
void Design_Bounce_Off(void);
void Design_Set_Hue_Divider(i32 n);
void Design_Hue_Divider_1(void);
void Design_Hue_Divider_8(void);
void Design_Stop_Tint(void);
void Design_Stop_Tint_Hue(void);
void Design_Filter_On(void);
void Design_Filter_Off(void);
void Design_Filter_Hue_On(void);
void Design_Filter_Hue_Off(void);
void Design_Set_Tint(u32 red, u32 green, u32 blue);
void Design_Fade_In(void);
void Design_Fade_Out(void);
void Design_Flash_Out(void);
void Design_Flash_In(void);
void Design_Off(void);
void Design_On(void);
void Design_Stop_Frame_Mix(void);
void Design_Frame_Mix_Alternate(void);
void Design_Frame_Mix_Every(void);
void Design_Set_Snapshot_Hook(DemoCallback hook);
void Design_Set_Crossfade(i32 level_a, i32 level_b, i32 step_a, i32 step_b);
void Design_Init_Crossfade(void);
void Design_Set_Scroll(i32 x, i32 y);
void Design_Cycle_Channels(void);
void Design_Add_Filter(u32 colour);
void Design_Add_Filter_Keep(u32 colour);
void Design_Sub_Filter_Keep(u32 colour);
void Design_Sub_Filter(void);
void Design_Add_Filter_Colour(void);
void Design_Add_Filter_Constant(void);
void Design_Flicker_Filter(void);
// Until the sequencer reports its current event over: a cleared frame with the effects, presented.
void Design_Wait_Event(void);
