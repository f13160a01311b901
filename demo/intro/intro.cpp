// The intro scene: the group logo, then the title logo, over the flare burst and the sky.
#include "demo/intro/intro.h"

#include "demo/design.h"
#include "demo/flare/flare.h"
#include "demo/sky/sky.h"
#include "music/music.h"
#include "runtime/frame.h"
#include "runtime/math.h"
#include "runtime/mem.h"
#include "runtime/seq.h"
#include "video/pcx.h"
#include "video/picture.h"
#include "video/pixel.h"

namespace {
const i32 kIntroLogoTop = 35;  // design row of both logos' top

cbitmap* intro_group = nullptr;  // "intro/tarlogo.pcx"
cbitmap* intro_title = nullptr;  // "intro/vellogo.pcx"
const cbitmap* intro_slot = nullptr;
i32 intro_logo_level = 250;
u8 intro_fade_out = 0, intro_fade_in = 0;
i32 intro_group_level = 0;
u8 intro_second_fade = 0;
i32 intro_ticks = 0;
i32 intro_countdown = 0;
u32 intro_toggle = 0;
i32 intro_angle = 512;
u8 intro_first_frame = 1;

// The flare's darkening schedule by the intro's tick count; returns the period of the row it ran, 0 for none.
i32 Intro_Schedule(i32 t) {
  if (t < 250) {
    Flare_Darken_Glow();
    return 4;
  }
  if (t < 400) {
    Flare_Darken_Beams();
    return 2;
  }
  if (t < 700) {
    if (intro_toggle == 0) Flare_Darken_Beams();
    intro_toggle ^= 1;
    return 3;
  }
  if (t < 1000) {
    if (intro_toggle == 0)
      Flare_Darken_Beams();
    else
      Flare_Darken_Glow();
    intro_toggle ^= 1;
    return 4;
  }
  if (t < 1800) {
    intro_angle = (intro_angle + 74) % 2048;
    if (Math_Sin(intro_angle) < 0.0f)
      Flare_Darken_Beams();
    else
      Flare_Lighten_Beams();
    return 7;
  }
  if (t < 2100) {
    Flare_Darken_Beams();
    Flare_Darken_Glow();
    return 5;
  }
  if (t < 3800) {
    Flare_Darken_Glow();
    Flare_Darken_Beams();
    return 2;
  }
  return 0;
}

void Intro_Free_Logos(void) {
  if (intro_group) Mem_Free(intro_group);
  if (intro_title) Mem_Free(intro_title);
  intro_group = intro_title = nullptr;
  intro_slot = nullptr;
}
}  // namespace

void Intro_Load(void) {
  Sky_Load();
  Flare_Load();
  Flare_Reset();
  Intro_Free_Logos();
  intro_group = Pcx_Load_Bitmap("intro/tarlogo.pcx");
  intro_title = Pcx_Load_Bitmap("intro/vellogo.pcx");
  Vbe_Set_Resize(320, 200);
  Vbe_Resize(&intro_group);
  Vbe_Resize(&intro_title);
  intro_slot = intro_group;
  intro_logo_level = 250;
  intro_fade_out = intro_fade_in = 0;
  intro_group_level = 0;
  intro_second_fade = 0;
  intro_ticks = intro_countdown = 0;
  intro_toggle = 0;
  intro_angle = 512;
  intro_first_frame = 1;
}

void Intro_Free(void) {
  Vbe_Free_Resize_Buffer();
  Sky_Free();
  Intro_Free_Logos();
}

void Intro_Frame_Blank(void) {
  Seq_Set_Part_Name("intro");
  Vbe_Clear();
  Design_Apply();
  Demo_Frame_Hook();
}

void Intro_Frame(void) {
  if (intro_first_frame) {
    Flare_Set_View();
    Vbe_Resize_Buffer(320, 200);
    intro_first_frame = 0;
  }
  Seq_Set_Part_Name("intro");
  Music_Set_Callback(Intro_Tick);
  Vbe_Resize_Begin();
  Vbe_Clear();
  const bool drawn = Flare_Draw();
  Vbe_Resize_End();
  Sky_Draw();
  if (intro_group_level != 255) Vbe_Sprite_Darken_Sat(0, Vbe_Scale_Y(kIntroLogoTop), intro_group, intro_group_level);
  if (intro_slot == intro_title)
    Vbe_Sprite_Darken_Sat(0, Vbe_Scale_Y(kIntroLogoTop), intro_title, intro_logo_level);
  if (drawn) {
    Vbe_Blur_Alternate();
    Vbe_Transition(7, 0);
  } else {
    Vbe_Blur();
  }
  Design_Apply();
  Demo_Frame_Hook();
}

void Intro_Tick(void) {
  Sky_Tick();
  Flare_Tick();
  if (intro_fade_out) {
    intro_logo_level--;
    if (intro_logo_level < 1) intro_fade_out = 0;
  }
  if (intro_fade_in) {
    if (intro_logo_level < 255) intro_logo_level++;
    if (intro_logo_level >= 255) intro_fade_in = 0;
  }
  if (intro_second_fade) {
    if (intro_group_level < 255) intro_group_level++;
    if (intro_group_level >= 255) intro_second_fade = 0;
  }
  if (intro_countdown == 0) {
    const i32 period = Intro_Schedule(intro_ticks);
    if (period > 0) intro_countdown = period - 1;
  } else {
    intro_countdown--;
  }
  Design_Tick();
  intro_ticks++;
}

void Intro_Prepare_Logo(void) {
  Vbe_Set_Resize(320, 200);
  Vbe_Clear();
  Vbe_Sprite_Brighten(0, Vbe_Scale_Y(kIntroLogoTop), intro_group, 100);
  Vbe_Copy_Buffer(vbe_screen.mix, vbe_screen.frame);
  Vbe_Clear();
}

void Intro_Logo_Fade_Out(void) {
  intro_logo_level = 255;
  intro_fade_out = 1;
  intro_fade_in = 0;
}

void Intro_Logo_Fade_In(void) {
  intro_fade_in = 1;
  intro_logo_level = 0;
  intro_fade_out = 0;
}

void Intro_Start_Fade(void) {
  intro_group_level = 0;
  intro_second_fade = 1;
}

void Intro_Show_Logo(void) { intro_slot = intro_title; }

i32 Intro_Logo_Level(void) { return intro_logo_level; }
i32 Intro_Group_Level(void) { return intro_group_level; }
