// Screen modes and frame buffer: the emulated VESA video layer over the host's 32-bit surface.
#include "video/vbe.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "runtime/err.h"
#include "runtime/mem.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/present.h"

namespace {
// Stand-ins for PC memory that a host process does not have.
u8 vbe_vga_window[kVbeVgaWindowBytes];
u32 vbe_text_screen[kVbeTextScreenWords];
}  // namespace

// The values before any mode: 8 drawing bits, the VGA window as screen base, colour order 2, 1, 0, 3,
// paging on with 3 pages, and a present routine that does nothing.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
VbeScreen vbe_screen = {.drawing_bits = 8,
                        .screen_base = vbe_vga_window,
                        .present = Vbe_Present_None,
                        .color_order = {2, 1, 0, 3},
                        .paging = 1,
                        .page_count = 3};
#pragma GCC diagnostic pop

namespace {

u32* vbe_host_pixels = nullptr;
u32 vbe_host_width = 0;
u32 vbe_host_height = 0;

// Bytes of screen memory from the screen base on; the present routines never write past it.
u32 vbe_screen_memory_bytes = kVbeVgaWindowBytes;
u32 vbe_mix_size = 0;

VbeUpdate vbe_updates[kVbeMaxUpdates];
u8 vbe_update_count = 0;

u8 vbe_palette[768];
u8 vbe_text_position[2];
u32* vbe_saved_text = nullptr;

u32 Vbe_Drawing_Bytes(void) { return vbe_screen.drawing_bits == 8 ? 1 : 4; }

// The present routines of a page flip by screen format (32, 24 or 15 bits) and resolution (full, low).
using VbePresenter = void (*)(void);
const VbePresenter kVbeFlipPresent[3][2] = {
    {Vbe_Present_32, Vbe_Present_32_Low}, {Vbe_Present_24, Vbe_Present_24_Low}, {Vbe_Present_15, Vbe_Present_15_Low}};
const VbePresenter kVbeFlipPresentSmooth[3][2] = {{Vbe_Present_32_Smooth, Vbe_Present_32_Low_Smooth},
                                                  {Vbe_Present_24_Smooth, Vbe_Present_24_Low_Smooth},
                                                  {Vbe_Present_15_Smooth, Vbe_Present_15_Low_Smooth}};

// Shows the next page: presents the frame into it with the table's routine and moves the display start.
void Vbe_Flip_Through(const VbePresenter (&present)[3][2]) {
  VbeScreen& s = vbe_screen;
  if (++s.page_index >= s.page_count) s.page_index = 0;
  s.visible_page = s.page_bases[s.page_index];
  const u32 format = s.screen_bytes == 3 ? 1 : s.screen_bytes == 2 ? 2 : 0;
  present[format][s.low_res ? 1 : 0]();
  Vbe_Set_Display_Start(s.page_index * s.screen_height * s.screen_width);
}

void Vbe_Print_Support(u32 width, u32 height, i32 bits) {
  if (vbe_screen.mode_info.attributes & 1)
    printf("Vbe: Detected hardware support for %dx%dx%d LFB mode.\n", int(width), int(height), int(bits));
  else
    printf("Vbe: Detected software support for %dx%dx%d LFB mode.\n", int(width), int(height), int(bits));
}
}  // namespace

void Vbe_Reset(void) {
  memset(&vbe_screen, 0, sizeof vbe_screen);
  vbe_screen.drawing_bits = 8;
  vbe_screen.screen_base = vbe_vga_window;
  vbe_screen.color_order[0] = 2;
  vbe_screen.color_order[1] = 1;
  vbe_screen.color_order[2] = 0;
  vbe_screen.color_order[3] = 3;
  vbe_screen.paging = 1;
  vbe_screen.page_count = 3;
  vbe_screen.present = Vbe_Present_None;
  vbe_screen_memory_bytes = kVbeVgaWindowBytes;
  vbe_mix_size = 0;
  vbe_update_count = 0;
  vbe_saved_text = nullptr;
  memset(vbe_palette, 0, sizeof vbe_palette);
  Vbe_Reset_Design();
  Vbe_Reset_Channel_Counter();
}

// ---- set-up and modes ---------------------------------------------------------------------------

void Vbe_Set_Host_Surface(u32* pixels, u32 width, u32 height) {
  vbe_host_pixels = pixels;
  vbe_host_width = width;
  vbe_host_height = height;
}

// The host has no video BIOS: the query fails, leaving no version, no memory and no mode list.
u8 Vbe_Controller_Info(void) {
  vbe_screen.mode_count = 0;
  return 0;
}

void Vbe_Init(void) {
  if (Vbe_Controller_Info()) {
    u32 version = u32(vbe_screen.vbe_version) & 0xFFFF;
    printf("Vbe: Detected VBE version %c.%c (%d KB)\n", char('0' + (version >> 8)),
           char('0' + (version & 0xFF)), int(vbe_screen.video_memory / 1024));
  } else {
    printf("Vbe: Unable to initialize vesa extensions.\n");
  }
}

u8 Vbe_Call(u32) { return 1; }

u16 Vbe_Get_Mode_Info(u16 width, u16 height) {
  vbe_screen.mode_info.x_resolution = i16(width);
  vbe_screen.mode_info.y_resolution = i16(height);
  vbe_screen.mode_info.bits_per_pixel = 32;
  vbe_screen.mode_info.red_position = 16;
  vbe_screen.mode_info.green_position = 8;
  vbe_screen.mode_info.blue_position = 0;
  return 1;
}

u8* Vbe_Get_Lfb(void) { return reinterpret_cast<u8*>(vbe_host_pixels); }
u8 Vbe_Lfb_Available(u32) { return 1; }

u16 Vbe_Detect_16M(u32 width, u32 height) {
  u16 mode = Vbe_Get_Mode_Info(u16(width), u16(height));
  if (mode == 0) mode = Vbe_Get_Mode_Info(u16(width), u16(height));
  if (mode == 0)
    printf("Vbe: Unable to detect support for %dx%dx16M mode\n", int(width), int(height));
  else
    Vbe_Print_Support(width, height, vbe_screen.mode_info.bits_per_pixel);
  vbe_screen.width = width;
  vbe_screen.height = height;
  return mode;
}

u16 Vbe_Detect_32K(u32 width, u32 height) {
  u16 mode = Vbe_Get_Mode_Info(u16(width), u16(height));
  if (mode == 0)
    printf("Vbe: Unable to detect support for %dx%dx32K mode\n", int(width), int(height));
  else
    Vbe_Print_Support(width, height, vbe_screen.mode_info.bits_per_pixel);
  vbe_screen.width = width;
  vbe_screen.height = height;
  return mode;
}

bool Vbe_Detect_Selected(u32 mode) {
  if (!Vbe_Call(mode)) {
    printf("Vbe: Unable to detect support for selected mode\n");
    return false;
  }
  const VbeModeInfo& info = vbe_screen.mode_info;
  Vbe_Print_Support(u32(info.x_resolution), u32(info.y_resolution), info.bits_per_pixel);
  vbe_screen.width = u32(info.x_resolution);
  vbe_screen.height = u32(info.y_resolution);
  return true;
}

void Vbe_Set_Color_Order(u8 red_position, u8 green_position, u8 blue_position) {
  const u8 positions[3] = {red_position, green_position, blue_position};
  bool taken[4] = {false, false, false, false};
  for (u32 k = 0; k < std::size(positions); k++) {
    u32 index = positions[k] >> 3;
    // A field beyond the 32-bit pixel is as illegal as a byte given twice.
    if (index > 3 || taken[index]) Err_Error("Vbe: Illegal plane index assignment");
    taken[index] = true;
    vbe_screen.color_order[k] = u8(index);
  }
  vbe_screen.color_order[3] = 3;
}

i32 Vbe_Page_Count(u32 width, u32 height) {
  i64 memory = i32(vbe_screen.video_memory);
  i64 area = i64(width) * height;
  if (area * 12 < memory) return 3;
  if (area * 8 < memory) return 2;
  return 1;
}

void Vbe_Make_Frame_Line_Table(u16 width) {
  u32 row = u32(width) * Vbe_Drawing_Bytes();
  for (u32 i = 0; i < kVbeLineTableSize; i++) vbe_screen.frame_lines[i] = i * row;
}

void Vbe_Make_Screen_Line_Table(u16 width) {
  u32 row = u32(width) * vbe_screen.screen_bytes;
  for (u32 i = 0; i < kVbeLineTableSize; i++) vbe_screen.screen_lines[i] = i * row;
}

void Vbe_Set_Standard_Vga(void) {
  vbe_screen.low_res = 0;
  vbe_screen.smoothing = 0;
  Vbe_Set_Color_Order(16, 8, 0);
  vbe_screen.width = vbe_screen.screen_width = 320;
  vbe_screen.height = vbe_screen.screen_height = 200;
  vbe_screen.drawing_bits = 32;
  vbe_screen.screen_bytes = 4;
  vbe_screen.screen_base = vbe_screen.visible_page = vbe_vga_window;
  vbe_screen_memory_bytes = kVbeVgaWindowBytes;
  vbe_screen.frame_size = 256000;
  Vbe_Make_Frame_Line_Table(320);
  Vbe_Make_Screen_Line_Table(320);
  vbe_screen.screen_line_bytes = 1280;
  if (!vbe_screen.no_lfb) vbe_screen.present = Vbe_Present_Black_White;
  vbe_screen.full_height = vbe_screen.height;
}

void Vbe_Set_Tweaked_Vga(void) {
  vbe_screen.low_res = 0;
  vbe_screen.smoothing = 0;
  Vbe_Set_Standard_Vga();
  if (!vbe_screen.no_lfb) vbe_screen.present = Vbe_Present_Fake_24;
}

void Vbe_Set_Mode(u32 mode) {
  VbeScreen& s = vbe_screen;
  if (s.black_white) {
    s.initialised = 1;
    Vbe_Set_Standard_Vga();
    return;
  }
  if (s.fake_24) {
    s.initialised = 1;
    Vbe_Set_Tweaked_Vga();
    return;
  }
  if (mode == 0) {
    if (s.vbe_version >= 0x200) Err_Error("Vbe: Unable to initialize video mode.");
    Err_Error("Vbe: Unable to initialize video mode. No VBE 2.0 support. Try UNIVBE.");
  }
  if (!Vbe_Call(mode)) Err_Error("Vbe: Unable to initialize VESA BIOS Extensions");
  s.initialised = 1;

  const VbeModeInfo& info = s.mode_info;
  if (info.bits_per_pixel <= 16)
    Vbe_Set_Color_Order(16, 8, 0);
  else
    Vbe_Set_Color_Order(info.red_position, info.green_position, info.blue_position);

  // The line tables hold 1024 lines; a mode outside them cannot be drawn.
  if (info.x_resolution <= 0 || info.y_resolution <= 0 || u32(info.y_resolution) > kVbeLineTableSize)
    Err_Error("Vbe: Unable to initialize video mode %dx%d.", int(info.x_resolution), int(info.y_resolution));

  u32 screen_bytes = 0;
  switch (info.bits_per_pixel) {
    case 8: screen_bytes = 1; break;
    case 15: screen_bytes = 2; break;
    case 24: screen_bytes = 3; break;
    case 32: screen_bytes = 4; break;
    default: Err_Error("Vbe: Request for unsupported color mode");
  }
  if (!s.no_lfb) {
    // The surface must hold the whole mode, or the present routine would write past it.
    u64 needed = u64(u32(info.x_resolution)) * u32(info.y_resolution) * screen_bytes;
    if (!Vbe_Lfb_Available(mode) || !vbe_host_pixels ||
        u64(vbe_host_width) * vbe_host_height * 4 < needed)
      Err_Error("Vbe: Unable to initialize linear frame buffer");
    s.screen_base = Vbe_Get_Lfb();
    vbe_screen_memory_bytes = vbe_host_width * vbe_host_height * 4;
  }
  s.drawing_bits = screen_bytes == 1 ? 8 : 32;
  s.screen_bytes = screen_bytes;
  s.width = s.screen_width = u32(info.x_resolution);
  s.height = s.screen_height = u32(info.y_resolution);

  u32 drawing_bytes = Vbe_Drawing_Bytes();
  s.frame_size = s.full_frame_size = drawing_bytes * s.height * s.width;
  s.visible_page = s.screen_base;
  Vbe_Make_Frame_Line_Table(u16(s.width));
  Vbe_Make_Screen_Line_Table(u16(s.width));
  s.screen_line_bytes = drawing_bytes * s.width;
  switch (screen_bytes) {
    case 1: s.present = Vbe_Present_8; break;
    case 2: s.present = Vbe_Present_15; break;
    case 3: s.present = Vbe_Present_24; break;
    default: s.present = Vbe_Present_32; break;
  }
  if (s.drawing_bits == 32) s.put_pixel = Vbe_Put_Pixel;

  if (s.low_res) {
    if (s.width != 640 || s.height != 400 || screen_bytes <= 1)
      Err_Error("Vbe: Unable to simulate 320x200 in other resolutions than 640x400.\n");
    s.height = 200;
    s.width = 320;
    s.frame_size = drawing_bytes * 64000;
    Vbe_Make_Frame_Line_Table(320);
    Vbe_Make_Screen_Line_Table(320);
    s.screen_line_bytes = drawing_bytes * 320;
    s.present = screen_bytes == 2 ? Vbe_Present_15_Low : screen_bytes == 3 ? Vbe_Present_24_Low : Vbe_Present_32_Low;
  }

  if (s.paging) {
    if (Vbe_Page_Count(s.screen_width, s.screen_height) > 1) {
      s.present = Vbe_Flip_Page;
      s.page_index = 0;
      if (s.low_res && !s.smoothing) s.screen_height /= 2;
      for (u32 k = 0; k < kVbeMaxPages; k++) s.page_bases[k] = s.visible_page + k * s.screen_height * s.screen_width * 4;
      if (s.smoothing) s.present = Vbe_Flip_Page_Smooth;
      s.page_count = u8(Vbe_Page_Count(s.screen_width, s.screen_height));
    } else {
      s.paging = 0;
    }
  }

  if (s.smoothing) {
    if (!s.low_res) {
      s.height /= 2;
      s.frame_size = drawing_bytes * s.height * s.width;
      if (s.frame_size < drawing_bytes * 64000) s.frame_size = drawing_bytes * 64000;
    }
    if (!s.paging) {
      if (screen_bytes == 2) s.present = s.low_res ? Vbe_Present_15_Low_Smooth : Vbe_Present_15_Smooth;
      if (screen_bytes == 3) s.present = s.low_res ? Vbe_Present_24_Low_Smooth : Vbe_Present_24_Smooth;
      if (screen_bytes == 4) s.present = s.low_res ? Vbe_Present_32_Low_Smooth : Vbe_Present_32_Smooth;
    }
  }
  s.screen_pitch = s.width;
  s.full_height = s.height;
}

void Vbe_Squeze(u32 first_line, u32 end_line) {
  VbeScreen& s = vbe_screen;
  if (!s.initialised) Err_Error("Vbe_Squeze: Vbe not initialized");
  // An empty or reversed range would wrap the height into a huge frame.
  if (end_line <= first_line || end_line > s.height)
    Err_Error("Vbe_Squeze: Illegal line range %u..%u", first_line, end_line);
  s.full_height = s.height;
  s.height = end_line - first_line;
  if (s.black_white) {
    s.visible_page = s.screen_base + first_line * 320;
  } else if (s.fake_24) {
    s.visible_page = s.screen_base + first_line * 160;
  } else {
    u32 offset = s.screen_lines[first_line];
    u32 move = offset;
    if (s.low_res) move += offset;
    if (s.smoothing) move += offset;
    s.visible_page = s.screen_base + move;
    if (s.paging && (s.low_res || s.smoothing))
      for (u32 k = 0; k < kVbeMaxPages; k++) s.page_bases[k] += offset;
  }
  s.frame_size = Vbe_Drawing_Bytes() * s.width * (end_line - first_line);
}

void Vbe_Flip_Page(void) { Vbe_Flip_Through(kVbeFlipPresent); }

void Vbe_Flip_Page_Smooth(void) { Vbe_Flip_Through(kVbeFlipPresentSmooth); }

u8* Vbe_Screen_End(void) { return vbe_screen.screen_base + vbe_screen_memory_bytes; }

// ---- buffers ------------------------------------------------------------------------------------

void Vbe_Alloc_Buffer(void) {
  vbe_screen.frame_allocated = 1;
  vbe_screen.frame = static_cast<u32*>(Mem_Alloc(vbe_screen.frame_size));
  Mem_Set_Description(vbe_screen.frame, "Vbe: ");
  Mem_Set_Description(vbe_screen.frame, "Buffer");
}

void Vbe_Free_Buffer(void) {
  if (!vbe_screen.frame_allocated) return;
  Mem_Free(vbe_screen.frame);
  vbe_screen.frame_allocated = 0;
  vbe_screen.frame = nullptr;  // never left pointing at a freed block
}

void Vbe_Alloc_Mix_Buffer(void) {
  if (vbe_screen.mix) return;
  vbe_screen.mix = static_cast<u32*>(Mem_Alloc(vbe_screen.frame_size));
  vbe_mix_size = vbe_screen.frame_size;
  Mem_Set_Description(vbe_screen.mix, "Vbe: ");
  Mem_Set_Description(vbe_screen.mix, "Mix Buffer");
}

void Vbe_Free_Mix_Buffer(void) {
  if (!vbe_screen.mix) return;
  Mem_Free(vbe_screen.mix);
  vbe_screen.mix = nullptr;
  vbe_mix_size = 0;
}

u32 Vbe_Mix_Size(void) { return vbe_mix_size; }

void Vbe_Swap_Buffers(void) {
  // Without a mix buffer the swap would leave the engine drawing through a null pointer.
  if (!vbe_screen.mix) Err_Error("Vbe_Swap_Buffers: No mix buffer");
  u32* frame = vbe_screen.frame;
  vbe_screen.frame = vbe_screen.mix;
  vbe_screen.mix = frame;
}

// ---- option setters -----------------------------------------------------------------------------

void Vbe_Set_Low_Res(void) {
  printf("Vbe: Simulating low resolution (320x200), slow method.\n");
  vbe_screen.low_res = 1;
}

void Vbe_Set_Scanline_Smoothing(void) {
  printf("Vbe: Scanline-smoothing enabled.\n");
  vbe_screen.smoothing = 1;
}

void Vbe_Set_Black_White(void) {
  printf("Vbe: Using standard VGA in black & white.\n");
  vbe_screen.black_white = 1;
}

void Vbe_Set_Fake_24(void) {
  printf("Vbe: Faking 24bit colors in tweaked VGA mode.\n");
  vbe_screen.fake_24 = 1;
}

void Vbe_Disable_Buffering(void) {
  if (!vbe_screen.paging) return;
  printf("Vbe: Video buffering disabled.\n");
  vbe_screen.paging = 0;
}

void Vbe_Set_No_Lfb(void) { vbe_screen.no_lfb = 1; }
void Vbe_Clear_No_Lfb(void) { vbe_screen.no_lfb = 0; }
void Vbe_Set_Page_Count(u8 n) {
  // Only three page bases exist for the flip to cycle through.
  if (n > kVbeMaxPages) Err_Error("Vbe: Illegal page count %d", int(n));
  vbe_screen.page_count = n;
}

void Vbe_Set_Screen_Base(u8* address, u32 bytes) {
  vbe_screen.screen_base = address;
  vbe_screen_memory_bytes = address ? bytes : 0;
}

// ---- mode listings ------------------------------------------------------------------------------

void Vbe_Get_Modes(void) {
  Vbe_Init();
  printf("Vbe_Get_Modes:\n");
  const i32 depths[3] = {32, 24, 15};
  for (i32 depth : depths) {
    for (u32 i = 0; i < vbe_screen.mode_count; i++) {
      u16 mode = vbe_screen.mode_list[i];
      if (mode < 0x100 || !Vbe_Call(mode) || vbe_screen.mode_info.bits_per_pixel != depth) continue;
      const VbeModeInfo& info = vbe_screen.mode_info;
      printf("%x   %4d x %4d x %2d  %2d\n", unsigned(mode), int(info.x_resolution), int(info.y_resolution),
             int(info.bits_per_pixel), int(Vbe_Page_Count(u32(info.x_resolution), u32(info.y_resolution))));
    }
  }
  for (i32 depth : depths) {
    u16 mode = Vbe_Get_Mode_Info(640, 400);
    if (mode) printf("%x   %4d x %4d x %2d  %2d %s\n", unsigned(mode), 320, 200, int(depth), 0, "simulated in 640 x 400");
  }
  printf("%x   %4d x %4d x %2d  %2d %s\n", 19u, 320, 200, 12, 2, "tweaked");
  printf("%x   %4d x %4d x %2d  %2d %s\n", 19u, 320, 200, 8, 0, "in black and white");
}

void Vbe_Show_Modes(void) {
  Vbe_Init();
  printf("Vbe_Show_Modes:\n");
  for (u32 i = 0; i < vbe_screen.mode_count; i++) {
    u16 mode = vbe_screen.mode_list[i];
    if (mode < 0x100 || !Vbe_Call(mode)) continue;
    const VbeModeInfo& info = vbe_screen.mode_info;
    printf(" %xh (%d)   %4d x %4d x %2d  %2d\n", unsigned(mode), int(mode), int(info.x_resolution),
           int(info.y_resolution), int(info.bits_per_pixel),
           int(Vbe_Page_Count(u32(info.x_resolution), u32(info.y_resolution))));
  }
}

// ---- small services -----------------------------------------------------------------------------

void Vbe_Put_Pixel(i32 x, i32 y, u32 colour) {
  // Points off the frame are dropped instead of written somewhere in memory.
  if (x < 0 || y < 0 || u32(x) >= vbe_screen.width || u32(y) >= vbe_screen.height) return;
  u8* at = vbe_screen.visible_page + vbe_screen.frame_lines[y] + 4 * u32(x);
  if (at + 4 > Vbe_Screen_End()) return;
  memcpy(at, &colour, 4);
}

void Vbe_Fill_Dwords(u32* pointer, u32 n, u32 value) {
  for (u32 i = 0; i < n; i++) pointer[i] = value;
}

void Vbe_Fill_Colour(u32 colour) { Vbe_Fill_Dwords(vbe_screen.frame, vbe_screen.frame_size / 4, colour); }

void Vbe_Clear_Memset(void) { memset(vbe_screen.frame, 0, vbe_screen.frame_size); }

void Vbe_Grey_Palette(u32* table, u8 level) {
  for (u32 i = 0; i < 256; i++) {
    u8* entry = reinterpret_cast<u8*>(table + i);
    entry[vbe_screen.color_order[0]] = level;
    entry[vbe_screen.color_order[1]] = level;
    entry[vbe_screen.color_order[2]] = level;
  }
}

namespace {
u8 Vbe_Add_Update(u32 a, u32 b, u32 w, u32 h, u8 kind) {
  if (vbe_update_count >= kVbeMaxUpdates) Err_Error("Vbe: Update list full");
  vbe_updates[vbe_update_count] = VbeUpdate{a, b, w, h, kind};
  return vbe_update_count++;
}
}  // namespace

u8 Vbe_Add_Update_Rect(u32 x, u32 y, u32 w, u32 h) { return Vbe_Add_Update(x, y, w, h, 0); }
u8 Vbe_Add_Update_Span(u32 offset, u32 length) { return Vbe_Add_Update(offset, length, 0, 0, 1); }
u8 Vbe_Update_Count(void) { return vbe_update_count; }

void Vbe_Flush_Updates(void) {
  for (u32 i = 0; i < vbe_update_count; i++) Vbe_Update_Span(&vbe_updates[i]);
  vbe_update_count = 0;
}

// A span runs from the frame buffer to the visible page at the same offset (in frame pixels).
void Vbe_Update_Span(const VbeUpdate* record) {
  if (record->kind != 1) return;
  u32 offset = record->x_or_offset & ~3u;
  u32 length = record->y_or_length & ~3u;
  if (offset >= vbe_screen.frame_size) return;
  if (length > vbe_screen.frame_size - offset) length = vbe_screen.frame_size - offset;
  u32 pixel = offset / 4;
  u8* destination = vbe_screen.visible_page + pixel * vbe_screen.screen_bytes;
  u32 room = destination < Vbe_Screen_End() ? u32(Vbe_Screen_End() - destination) : 0;
  if (u64(length / 4) * vbe_screen.screen_bytes > room) length = room / vbe_screen.screen_bytes * 4;
  if (vbe_screen.screen_bytes == 3)
    Vbe_Copy_Span_24(vbe_screen.frame + pixel, destination, length);
  else
    Vbe_Copy_Span(vbe_screen.frame + pixel, destination, length);
}

void Vbe_Copy_Frame_Rect(i32 x, i32 y, u32 w, u32 h, u32* destination) {
  const VbeScreen& s = vbe_screen;
  // A rectangle larger than the frame is cut to it first, so the moves below stay inside.
  if (w > s.width) w = s.width;
  if (h > s.height) h = s.height;
  if (x < 0) x = 0;
  if (u32(x) + w >= s.width) x = i32(s.width - w);
  if (y < 0) y = 0;
  if (u32(y) + h >= s.height) y = i32(s.height - h);
  u32 offset = s.frame_lines[y] / 4 + u32(x);
  Vbe_Copy_Rect(s.frame + offset, destination + offset, w, h);
}

u8 Vbe_Always_True(void) { return 1; }
u8 Vbe_Always_False(void) { return 0; }

// No palette hardware: the components are stepped over and nothing is written.
void Vbe_Upload_Palette(const u8* palette, u32 n) {
  volatile u8 last = 0;
  for (u32 i = 0; i < 3 * n; i++) last = palette[i];
  (void)last;
}

void Vbe_Fade_Palette(u8* current, const u8* target) {
  for (u32 step = 0; step < 64; step++) {
    for (u32 i = 0; i < 255 * 3; i++) {
      if (current[i] < target[i]) current[i]++;
      else if (current[i] > target[i]) current[i]--;
    }
    Vbe_Upload_Palette(current, 256);
  }
}

void Vbe_Fade_Palette_Black(void) {
  u8 black[768];
  memset(black, 0, sizeof black);
  Vbe_Fade_Palette(vbe_palette, black);
}

u8* Vbe_Palette(void) { return vbe_palette; }

void Vbe_Set_Text_Position(u8 a, u8 b) {
  vbe_text_position[0] = a;
  vbe_text_position[1] = b;
}

void Vbe_Save_Text_Screen(void) {
  if (vbe_saved_text) Mem_Free(vbe_saved_text);
  vbe_saved_text = static_cast<u32*>(Mem_Alloc(kVbeTextScreenWords * 4));
  Mem_Set_Description(vbe_saved_text, "Vbe: ");
  Mem_Set_Description(vbe_saved_text, "Text Screen");
  memcpy(vbe_saved_text, vbe_text_screen, kVbeTextScreenWords * 4);
}

void Vbe_Restore_Text_Screen(void) {
  if (!vbe_saved_text) return;
  memcpy(vbe_text_screen, vbe_saved_text, kVbeTextScreenWords * 4);
  Mem_Free(vbe_saved_text);
  vbe_saved_text = nullptr;
}

u8* Vbe_Vga_Window(void) { return vbe_vga_window; }
u32* Vbe_Text_Screen(void) { return vbe_text_screen; }
