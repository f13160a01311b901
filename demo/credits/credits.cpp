// The credits scene: six pages rising out of black under film grain, the last one fading away.
#include "demo/credits/credits.h"

#include <algorithm>

#include "demo/design.h"
#include "demo/flimmer/flimmer.h"
#include "music/music.h"
#include "runtime/err.h"
#include "runtime/frame.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/picture.h"
#include "video/pixel.h"
#include "video/vbe.h"

namespace {

const u32 kPages = 6;
const u32 kDesignWidth = 320, kDesignHeight = 300;

CreditsState credits = {nullptr, 0, 240, 1, 1, 0, 0, 0};

// Page k's strip (1..6): a picture header written over the first two pixels of its first row.
const cbitmap* Credits_Strip(i32 k) {
  const u32 width = u32(Vbe_Scale_X(i32(kDesignWidth)));
  return reinterpret_cast<const cbitmap*>(credits.picture + size_t(Vbe_Scale_Y(50 * (k - 1))) * width);
}

}  // namespace

const CreditsState* Credits_State(void) { return &credits; }

void Credits_Load(void) {
  static const char kName[] = "credits/credits.pcx";
  credits.picture = reinterpret_cast<u32*>(Pcx_Load_Global(kName));
  const PcxHeader& h = Pcx_Global()->header;
  if (h.colour_planes != 4 || h.hres != kDesignWidth || h.vres != kDesignHeight)
    Err_Error("Credits: %s must be a 24-bit %ux%u picture", kName, kDesignWidth, kDesignHeight);
  Vbe_Set_Resize(320, 200);
  Flimmer_Init(0, 13, 22, 22, 0, 320, 200);
  credits.page = 0;
  credits.darkness = 240;
  credits.darkness_step = 1;
  credits.laid_out = 0;
}

void Credits_Frame(void) {
  Seq_Set_Part_Name("credits");
  Music_Set_Callback(Credits_Tick);
  Vbe_Clear();
  if (credits.laid_out && credits.page >= 1 && credits.page <= i32(kPages))
    Vbe_Sprite(0, Vbe_Scale_Y(65), Credits_Strip(credits.page));
  if (credits.darkness > 0) Vbe_Darken(credits.darkness);
  Vbe_Resize_Begin();
  Flimmer_Draw();
  Vbe_Resize_End_Add();
  Design_Apply();
  if (credits.row_dim && Design_Heard_Row() >= 44) credits.darkness_step = -1;
  if (credits.fade_out) Vbe_Darken(credits.fade_level / 6);
  Demo_Frame_Hook();
}

void Credits_Tick(void) {
  credits.darkness = std::clamp(credits.darkness + credits.darkness_step, 99, 250);
  if (credits.fade_out && credits.fade_level < 1530) credits.fade_level++;
  Design_Tick();
}

void Credits_Free(void) {
  Vbe_Free_Resize_Buffer();
  if (credits.picture) Mem_Free(credits.picture);
  credits.picture = nullptr;
  credits.laid_out = 0;
  Flimmer_Free();
}

void Credits_Start_Crossfade(void) {
  Design_Set_Crossfade(460, 16, -2, 2);
  Design_Init_Crossfade();
}

void Credits_Layout(void) {
  // Once only: a second scaling would stretch the scaled picture and its headers again.
  if (credits.laid_out || !credits.picture) return;
  Vbe_Set_Resize(320, 200);
  Vbe_Resize_Pixels(&credits.picture, kDesignWidth, kDesignHeight);
  for (i32 k = 1; k <= i32(kPages); k++) {
    cbitmap* strip = const_cast<cbitmap*>(Credits_Strip(k));
    strip->width = u32(Vbe_Scale_X(320));
    strip->height = u32(Vbe_Scale_Y(49));
  }
  credits.laid_out = 1;
  Vbe_Resize_Buffer(320, 200);
}

void Credits_Next_Page(void) {
  credits.darkness = 250;
  // Past the last page nothing is shown; the count stops there.
  credits.page = std::min(credits.page + 1, i32(kPages) + 1);
}

void Credits_Clear_Row_Dim(void) { credits.row_dim = 0; }
void Credits_Set_Row_Dim(void) { credits.row_dim = 1; }
void Credits_Start_Fade_Out(void) { credits.fade_out = 1; }
