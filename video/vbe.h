// Screen modes and frame buffer: the emulated video layer over the host's 32-bit surface.
#pragma once
#include "runtime/types.h"

const u32 kVbeLineTableSize = 1024;
const u32 kVbeMaxModes = 128;
const u32 kVbeMaxUpdates = 100;
const u32 kVbeMaxPages = 3;
// The legacy VGA window (64 KB at 0xA0000 on a PC) and the 80x25 text screen (at 0xB8000) are
// private arrays here: a host process has neither.
const u32 kVbeVgaWindowBytes = 65536;
const u32 kVbeTextScreenWords = 2000;

// The fields of the VBE 2.0 mode information block that the layer reads.
struct VbeModeInfo {
  u16 attributes;  // bit 0: supported in hardware
  i16 x_resolution;
  i16 y_resolution;
  i8 bits_per_pixel;
  u8 red_position;
  u8 green_position;
  u8 blue_position;
};

typedef void (*VbePutPixel)(i32 x, i32 y, u32 colour);

// The video layer's state: one instance, read by the renderer, the scenes and the present routines.
struct VbeScreen {
  u32* frame;               // the engine's drawing surface, 0x00RRGGBB pixels
  u8 frame_allocated;
  u32 width;                // current drawing width in pixels
  u32 height;               // current drawing height in lines
  u32 screen_width;
  u32 screen_height;
  u32 full_height;          // height before the last Vbe_Squeze
  u8 drawing_bits;          // 8 or 32
  u32 screen_bytes;         // screen bytes per pixel: 1, 2, 3 or 4
  u32 screen_line_bytes;
  u32 screen_pitch;         // row pitch of the rectangle copies, in pixels
  u32 frame_size;           // bytes of the frame buffer
  u32 full_frame_size;
  u8* screen_base;          // the host surface after a mode set; the VGA window otherwise
  u8* visible_page;         // where the present routine writes
  u32 frame_lines[kVbeLineTableSize];   // entry i = i x width x drawing bytes
  u32 screen_lines[kVbeLineTableSize];  // entry i = i x width x screen bytes
  DemoCallback present;
  VbePutPixel put_pixel;
  u32* mix;                 // second frame-sized buffer, null until Vbe_Alloc_Mix_Buffer
  u8 color_order[4];        // byte index of red, green, blue, spare within a pixel
  u8 initialised;
  u8 low_res;
  u8 black_white;
  u8 smoothing;
  u8 fake_24;
  u8 no_lfb;
  u8 paging;
  u8 page_count;
  u8 page_index;
  u8* page_bases[kVbeMaxPages];
  i32 vbe_version;
  u32 video_memory;
  VbeModeInfo mode_info;
  u16 mode_list[kVbeMaxModes];
  u16 mode_count;
};

extern VbeScreen vbe_screen;

// The engine's picture: width, height, then width x height pixels (32-bit, or one byte each for
// an 8-bit picture), rows following each other directly.
struct cbitmap {
  u32 width;
  u32 height;
};
// Pictures may back a renderer's texture slot, whose fillers read up to 256 texels x 256 rows x 4 bytes
// from the slot's start: picture blocks carry that many guard bytes behind them.
const u32 kVbePictureGuardBytes = 256 * 256 * 4;
inline u32* Vbe_Bitmap_Pixels(cbitmap* picture) { return reinterpret_cast<u32*>(picture + 1); }
inline const u32* Vbe_Bitmap_Pixels(const cbitmap* picture) {
  return reinterpret_cast<const u32*>(picture + 1);
}
inline u8* Vbe_Bitmap_Bytes(cbitmap* picture) { return reinterpret_cast<u8*>(picture + 1); }
inline const u8* Vbe_Bitmap_Bytes(const cbitmap* picture) {
  return reinterpret_cast<const u8*>(picture + 1);
}

// An entry of the update list: kind 0 a rectangle (x, y, w, h), kind 1 a span (offset, length).
struct VbeUpdate {
  u32 x_or_offset;
  u32 y_or_length;
  u32 w;
  u32 h;
  u8 kind;
};

// Set-up and modes.
void Vbe_Init(void);
// Back to the state before any mode (design size, crossfade and channel counter included).
void Vbe_Reset(void);
// The host's surface that the present routine writes into (width x height 32-bit pixels).
void Vbe_Set_Host_Surface(u32* pixels, u32 width, u32 height);
u8 Vbe_Controller_Info(void);
u8 Vbe_Call(u32 mode);
u16 Vbe_Get_Mode_Info(u16 width, u16 height);
u8* Vbe_Get_Lfb(void);
u8 Vbe_Lfb_Available(u32 mode);
u16 Vbe_Detect_16M(u32 width, u32 height);
u16 Vbe_Detect_32K(u32 width, u32 height);
bool Vbe_Detect_Selected(u32 mode);
void Vbe_Set_Mode(u32 mode);
void Vbe_Squeze(u32 first_line, u32 end_line);
void Vbe_Set_Color_Order(u8 red_position, u8 green_position, u8 blue_position);
i32 Vbe_Page_Count(u32 width, u32 height);
void Vbe_Make_Frame_Line_Table(u16 width);
void Vbe_Make_Screen_Line_Table(u16 width);
void Vbe_Set_Standard_Vga(void);
void Vbe_Set_Tweaked_Vga(void);
void Vbe_Flip_Page(void);
void Vbe_Flip_Page_Smooth(void);

// Buffers.
void Vbe_Alloc_Buffer(void);
void Vbe_Free_Buffer(void);
void Vbe_Alloc_Mix_Buffer(void);
void Vbe_Free_Mix_Buffer(void);
void Vbe_Swap_Buffers(void);
u32 Vbe_Mix_Size(void);
// End of the screen memory that begins at the screen base; nothing is presented past it.
u8* Vbe_Screen_End(void);

// Option setters.
void Vbe_Set_Low_Res(void);
void Vbe_Set_Scanline_Smoothing(void);
void Vbe_Set_Black_White(void);
void Vbe_Set_Fake_24(void);
void Vbe_Disable_Buffering(void);
void Vbe_Set_No_Lfb(void);
void Vbe_Clear_No_Lfb(void);
void Vbe_Set_Page_Count(u8 n);
// The screen memory at the address holds the given number of bytes.
void Vbe_Set_Screen_Base(u8* address, u32 bytes);

// Mode listings.
void Vbe_Get_Modes(void);
void Vbe_Show_Modes(void);

// Small services.
void Vbe_Put_Pixel(i32 x, i32 y, u32 colour);
void Vbe_Fill_Dwords(u32* pointer, u32 n, u32 value);
void Vbe_Fill_Colour(u32 colour);
void Vbe_Clear_Memset(void);
void Vbe_Grey_Palette(u32* table, u8 level);
u8 Vbe_Add_Update_Rect(u32 x, u32 y, u32 w, u32 h);
u8 Vbe_Add_Update_Span(u32 offset, u32 length);
void Vbe_Flush_Updates(void);
void Vbe_Update_Span(const VbeUpdate* record);
u8 Vbe_Update_Count(void);
void Vbe_Copy_Frame_Rect(i32 x, i32 y, u32 w, u32 h, u32* destination);
u8 Vbe_Always_True(void);
u8 Vbe_Always_False(void);
void Vbe_Upload_Palette(const u8* palette, u32 n);
void Vbe_Fade_Palette(u8* current, const u8* target);
void Vbe_Fade_Palette_Black(void);
u8* Vbe_Palette(void);
void Vbe_Set_Text_Position(u8 a, u8 b);
void Vbe_Save_Text_Screen(void);
void Vbe_Restore_Text_Screen(void);
// The private stand-ins for the VGA window and the text screen.
u8* Vbe_Vga_Window(void);
u32* Vbe_Text_Screen(void);
