// Post-effect layer: filter and hue sequences, layers, sway, thumbnail, overlays, jitter, crossfade, order.
#include <cstring>

#include "art_design.h"
#include "music/music.h"
#include "scene_fixture.h"
#include "video/pixel.h"

namespace {

DesignState& ds = design_state;

class Design : public SceneTest {
 protected:
  void SetUp() override { Start(320, 200); }
  static void Ticks(u32 n) {
    for (u32 i = 0; i < n; i++) Design_Tick();
  }
  void Load_Overlays(void) {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Art_Design_Entries(Scene_Scratch_Dir(), &entries));
    Serve(entries);
    Design_Load_Overlays_1();
    Design_Load_Overlays_2();
  }
};

TEST_F(Design, BouncingColourRedSwingsZeroOneGreenOneToTwentySixBlueStaysNearThirty) {
  Design_Start_Tint();
  const i32 steps[2][3] = {{1, 16, 31}, {0, 17, 30}};  // one filter update every second tick
  for (auto& rgb : steps) {
    Ticks(2);
    EXPECT_EQ(std::vector<i32>({ds.red, ds.green, ds.blue}), std::vector<i32>(rgb, rgb + 3));
  }
  i32 green_low = 99, green_high = 0;
  for (u32 i = 0; i < 400; i++) {
    Design_Tick();
    EXPECT_TRUE((ds.red == 0 || ds.red == 1) && (ds.blue == 30 || ds.blue == 31));
    green_low = std::min(green_low, ds.green), green_high = std::max(green_high, ds.green);
  }
  EXPECT_EQ(green_low, 1);
  EXPECT_EQ(green_high, 26);
  Design_Filter_Colour();
  EXPECT_EQ(ds.filter_colour, Vbe_Pack_Color(u32(ds.red), u32(ds.green), u32(ds.blue)));
}

TEST_F(Design, HueAngleRunsToThreeFiftyNineAndWrapsOnEverySecondTick) {
  Design_Start_Tint_Hue();
  const std::pair<u32, i32> steps[] = {{1, 1}, {1, 1}, {2 * 358, 359}, {2, 0}};  // ticks, angle after them
  for (auto [ticks, angle] : steps) {
    Ticks(ticks);
    EXPECT_EQ(ds.hue_angle, angle);
  }
  // Hue 0 at saturation 0.5 and value 23: red 23, green and blue 11.
  Design_Filter_Colour();
  EXPECT_EQ(ds.filter_colour, 0x170B0Bu);
  Design_Hue_Divider_8();
  Ticks(9);
  EXPECT_EQ(ds.hue_angle, 1);
}

TEST_F(Design, FlashesDecayByFivePerTickAndSwitchOff) {
  // A flash of 250 is on for 49 ticks (level 5 at the last) and off at the 50th; one of 100 for 19.
  for (auto [level, on_ticks] : {std::pair<u32, u32>{250, 49}, {100, 19}}) {
    Design_Flash(level);
    Ticks(on_ticks);
    EXPECT_EQ(ds.flash_on, 1);
    EXPECT_EQ(ds.level, 5);
    Ticks(1);
    EXPECT_EQ(ds.flash_on, 0);
  }
  // The fade takes over the flash's level; reaching 255 switches both off.
  Design_Flash_In();
  Design_Fade_Out();
  EXPECT_EQ(ds.level, 0);
  Ticks(254);
  EXPECT_EQ(ds.fade_on, 1);
  Ticks(1);
  EXPECT_EQ(ds.fade_on + ds.flash_on, 0);
}

TEST_F(Design, MasterOffLeavesTheFrameUntouched) {
  auto frame = [] { return std::vector<u32>(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4); };
  Gradient();
  const std::vector<u32> before = frame();
  Design_Start_Tint_Hue();
  Design_Flash_250();
  Design_Thumb_Top_Left();
  Design_Start_Trail();
  Design_Off();
  Design_Apply();
  EXPECT_EQ(frame(), before);
  Design_On();
  Design_Apply();
  EXPECT_NE(frame(), before);
}

TEST_F(Design, ApplySubtractsTheTintBeforeTheFlashBrightens) {
  Fill(0xC8C8C8);
  Design_Start_Tint_Hue();  // hue 0: subtracts 23, 11, 11
  Design_Flash(100);
  Design_Apply();
  // 200 - 23 + 100 and 200 - 11 + 100 both saturate; the other order would give 232 and 244.
  EXPECT_EQ(At(5, 5), 0xFFFFFFu);
  Fill(0x202020);
  Design_Apply();
  EXPECT_EQ(At(0, 0), Vbe_Pack_Color(109, 121, 121));  // 32 - 23 + 100, 32 - 11 + 100
  Design_Stop_Tint();
  Ticks(20);
  Fill(0x202020);
  Design_Fade_In();  // level 255: darken to black
  Design_Apply();
  EXPECT_EQ(At(0, 0), 0u);
}

TEST_F(Design, TintColourAddsToTheFilterAndFallsByFiveWithoutWrapping) {
  Design_Start_Tint();
  Design_Bounce_Off();
  Design_Set_Tint(12, 0, 30);
  Fill(0x404040);
  Design_Apply();  // bounce and hue off and one value 0: no tint
  EXPECT_EQ(At(0, 0), 0x404040u);
  Design_Set_Tint(12, 7, 30);
  Design_Apply();
  EXPECT_EQ(At(0, 0), Vbe_Pack_Color(64 - 12, 64 - 7, 64 - 30));
  Ticks(3);
  EXPECT_EQ(ds.tint_red, 0u);
  EXPECT_EQ(ds.tint_green, 0u);
  EXPECT_EQ(ds.tint_blue, 15u);
}

TEST_F(Design, SwaySwingsBetweenMinusAndPlusSixHundredAndIsPushedBackOnEveryBeatRow) {
  Music_Set_Beat(4);
  engine_test_row = 3;
  Design_Start_Sway();
  EXPECT_EQ(ds.sway_amplitude, 540);
  EXPECT_EQ(ds.last_row, 3u);
  const std::pair<u32, i32> swings[] = {{1, 600}, {1, 540}, {19, -600}, {1, -540}};  // ticks, amplitude after
  for (auto [ticks, amplitude] : swings) {
    Ticks(ticks);
    EXPECT_EQ(ds.sway_amplitude, amplitude);
  }
  // Row 4 is a beat: once.
  engine_test_row = 4;
  Design_Apply();
  EXPECT_EQ(ds.sway_amplitude, 540);
  Ticks(1);
  Design_Apply();
  EXPECT_EQ(ds.sway_amplitude, 600);
  // Stopping drops the amplitude at once; half and full freeze it.
  Design_Stop_Sway();
  EXPECT_EQ(ds.sway_amplitude, 0);
  Design_Start_Sway();
  for (auto [setter, amplitude] : {std::pair<DemoCallback, i32>{Design_Sway_Half, 270}, {Design_Sway_Full, 540}}) {
    setter();
    Ticks(5);
    EXPECT_EQ(ds.sway_amplitude, amplitude);
  }
}

TEST_F(Design, ThumbnailSamplesEveryFifthPixelSwapsRedAndBlueAndKeepsABlackRim) {
  Gradient();
  std::vector<u32> frame(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
  Design_Thumb_Top_Left();
  Design_Apply();
  const u32* t = Vbe_Bitmap_Pixels(ds.thumb_live);
  const u32 w = ds.thumb_width;
  for (u32 r = 0; r < ds.thumb_height + 2; r++)
    for (u32 c = 0; c < w; c++) {
      u32 want = 0;
      if (r >= 1 && r <= ds.thumb_height && c >= 1 && c + 1 < w) {
        const u32 p = frame[5 * (r - 1) * 320 + 5 * (c - 1)];
        want = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
      }
      ASSERT_EQ(t[r * w + c], want) << r << "," << c;
    }
  // Drawn at (16, 8): the first inner pixel is the frame's (0, 0) with red and blue swapped.
  EXPECT_EQ(At(16, 8), 0u);
  EXPECT_EQ(At(17, 9), 0u);  // the frame's (0, 0) is black
  EXPECT_EQ(At(18, 9), 0x050005u);
  // Another corner moves the same picture at the next frame.
  Design_Thumb_Bottom_Right();
  Design_Draw_Thumb(ds.thumb_x_sign, ds.thumb_y_sign);
  EXPECT_EQ(At(320 - 64 - 16 + 2, 172 - 34 - 8 + 1), t[1 * w + 2]);
}

TEST(DesignThumb, SizesAndCornersFollowTheFrame) {
  struct Case {
    u32 width, height, border, thumb_w, thumb_h, right_x, bottom_y;
  };
  const Case cases[] = {{640, 400, 0, 128, 80, 496, 312},
                        {640, 400, 7, 128, 68, 496, 268},
                        {960, 600, 7, 192, 103, 752, 405},
                        {320, 200, 7, 64, 34, 240, 130}};
  for (const Case& c : cases) {
    EXPECT_SCENE_IN_CHILD(([c] {
      SceneRun run;
      run.Start(c.width, c.height, c.border);
      bool ok = CHILD_EQ(ds.thumb_width, c.thumb_w) && CHILD_EQ(ds.thumb_height, c.thumb_h) &&
                CHILD_EQ(ds.thumb_live->width, c.thumb_w) && CHILD_EQ(ds.thumb_live->height, c.thumb_h + 2);
      SceneTest::Fill(0x808080u);
      Design_Thumb_Bottom_Right();
      Design_Apply();
      // The picture's top row is the black rim; the sampled grey starts one row and column in.
      return ok && CHILD_EQ(SceneTest::At(c.right_x + 1, c.bottom_y), 0u) &&
             CHILD_EQ(SceneTest::At(c.right_x + 1, c.bottom_y + 1), 0x808080u) &&
             CHILD_EQ(SceneTest::At(c.right_x - 1, c.bottom_y + 1), 0x808080u);
    }()));
  }
}

TEST_F(Design, ShakeShowsTheFrozenPictureWithNoiseThenTheLivePictureAsTheNoiseFades) {
  Fill(0x404040);
  Design_Thumb_Top_Left();
  Design_Apply();
  Design_Start_Shake();
  const u32 frozen_grey = 0x404040;
  Fill(0x101010);
  u32 highest = 0;
  for (u32 i = 0; i < 110; i++) {
    Design_Apply();
    const u32* t = Vbe_Bitmap_Pixels(ds.thumb_live);
    for (u32 k = 0; k < 10; k++) {
      const u32 p = t[(1 + k) * ds.thumb_width + 1 + k];
      const u32 noise = (p & 0xFF) - 0x40;
      ASSERT_EQ(p, frozen_grey + noise * 0x010101u) << i;
      highest = std::max(highest, noise);
    }
    Design_Tick();
  }
  EXPECT_LE(highest, 24u);
  EXPECT_GE(highest, 20u);
  EXPECT_EQ(ds.frozen_counter, 0);
  EXPECT_EQ(ds.noise_counter, 50);
  Design_Apply();
  const u32 p = Vbe_Bitmap_Pixels(ds.thumb_live)[ds.thumb_width + 1];
  EXPECT_GE(p & 0xFF, 0x10u);
  EXPECT_LE(p & 0xFF, 0x10u + 24);
  Ticks(50);
  EXPECT_EQ(ds.noise_counter, 0);
  Design_Apply();
  EXPECT_EQ(Vbe_Bitmap_Pixels(ds.thumb_live)[ds.thumb_width + 1], 0x101010u);
}

TEST_F(Design, OverlayStepsAPieceEverySixteenRowsAndEndsWithItsEvent) {
  Load_Overlays();
  Seq_Set_Current(40);
  Design_Thumb_Top_Left();
  Design_Overlay_1();  // shows during event 41
  EXPECT_EQ(ds.overlay_event, 41);
  EXPECT_EQ(ds.offset_x, 50);
  EXPECT_EQ(ds.offset_y, 8);
  Design_Stop_Thumb();
  Seq_Set_Current(41);
  const u32 rows[5] = {0, 15, 16, 47, 48};
  const u8 currents[5] = {8, 8, 9, 10, 11};
  const i32 remaining[5] = {4, 4, 3, 2, 1};
  for (u32 i = 0; i < 5; i++) {
    engine_test_row = rows[i];
    Design_Tick();
    EXPECT_EQ(ds.overlay_current, currents[i]);
    EXPECT_EQ(ds.overlay_remaining, remaining[i]);
  }
  // Lines 1..4 of the group shown at once, each offset by the scroll and one random shift.
  Fill(0);
  Design_Apply();
  EXPECT_EQ(ds.overlay_on, 1);
  EXPECT_GE(ds.random_x, -5);
  EXPECT_LT(ds.random_x, 5);
  EXPECT_GE(ds.random_y, -5);
  EXPECT_LT(ds.random_y, 5);
  const i32 ox = 50 + ds.random_x, oy = 8 + ds.random_y;
  const ArtCanvas prosa = Art_Design_Prosa();
  u32 lit = 0;
  for (u32 y = 0; y < 22; y++)
    for (u32 x = 0; x < 90; x++) {
      const u32 want = prosa.pixels[(22 + 22 + y) * 320 + 2 + x];
      ASSERT_EQ(At(u32(112 + ox) + x, u32(74 + oy) + y), want);
      lit += want != 0;
    }
  EXPECT_GT(lit, 100u);
  // The next event ends it.
  Seq_Set_Current(42);
  Design_Apply();
  EXPECT_EQ(ds.overlay_on, 0);
}

TEST_F(Design, StripOverlayAlternatesWithItsDarkerSetAndTheLaterSetterTakesOver) {
  Load_Overlays();
  Seq_Set_Current(10);
  Design_Overlay_3();
  Design_Overlay_0();  // takes over
  EXPECT_EQ(ds.overlay_first, 0);
  EXPECT_EQ(ds.overlay_mode, 2);
  Seq_Set_Current(11);
  engine_test_row = 20;
  Design_Tick();
  EXPECT_EQ(ds.overlay_current, 1);
  const u32 bright = Vbe_Bitmap_Pixels(ds.pieces[1].picture)[50 * 78 + 3];
  const u32 dark = Vbe_Bitmap_Pixels(ds.pieces[5].picture)[50 * 78 + 3];
  ASSERT_NE(bright, dark);
  u32 seen[4];
  for (u32 i = 0; i < 4; i++) {
    Fill(0);
    Design_Apply();
    seen[i] = At(83 + 3, 50);
    EXPECT_EQ(At(10, 50), 0u);  // only the current strip
  }
  EXPECT_EQ(seen[0], bright);
  EXPECT_EQ(seen[1], dark);
  EXPECT_EQ(seen[2], bright);
  EXPECT_EQ(seen[3], dark);
}

TEST_F(Design, JitterShiftsTheCentreWithinHalfItsStrengthAndPutsItBackWhenOver) {
  Design_Start_Jitter();
  EXPECT_EQ(ds.jitter_strength, 25);
  bool moved = false;
  for (u32 i = 0; i < 24; i++) {
    Design_Apply();
    EXPECT_GE(vr_view.centre_x, 160 - 12);
    EXPECT_LT(vr_view.centre_x, 160 + 13);
    EXPECT_GE(vr_view.centre_y, 86 - 12);
    EXPECT_LT(vr_view.centre_y, 86 + 13);
    moved |= vr_view.centre_x != 160 || vr_view.centre_y != 86;
    Design_Tick();
  }
  EXPECT_TRUE(moved);
  Design_Apply();
  // Several ticks between two frames: the last one still brings the centre home.
  Ticks(3);
  EXPECT_EQ(ds.jitter_strength, 0);
  EXPECT_EQ(vr_view.centre_x, 160);
  EXPECT_EQ(vr_view.centre_y, 86);
}

TEST_F(Design, CrossfadeDrawsIntoTheSecondBufferAndGivesTheFrameBackWhenDone) {
  Fill(0x808080);
  u32* first = vbe_screen.frame;
  const u16 blocks = Mem_Get_Count();
  Design_Set_Crossfade(460, 16, -2, 2);
  Design_Init_Crossfade();
  EXPECT_EQ(ds.preset_given, 0);
  EXPECT_EQ(Vbe_Crossfade_Level_A(), 460);
  EXPECT_EQ(vbe_screen.frame, ds.crossfade_buffer_2);
  EXPECT_EQ(poly_state.target, reinterpret_cast<u8*>(ds.crossfade_buffer_2));
  EXPECT_STREQ(Mem_Get_Description(ds.crossfade_buffer_1), "Design: Crossfade buffer 1");
  EXPECT_EQ(ds.crossfade_buffer_1[100], 0x808080u);
  u32 ticks = 0;
  while (ds.crossfade_on && ticks < 1000) {
    Fill(0x404040);  // the scene's drawing
    Design_Tick();
    Design_Apply();
    ticks++;
  }
  EXPECT_EQ(ticks, 503u);
  EXPECT_EQ(vbe_screen.frame, first);
  EXPECT_EQ(poly_state.target, reinterpret_cast<u8*>(first));
  EXPECT_EQ(ds.crossfade_buffer_1, nullptr);
  EXPECT_EQ(Mem_Get_Count(), blocks);
  // The last drawing is the new picture in full.
  EXPECT_EQ(first[100], 0x404040u);
  // Without a preset the default levels return.
  Design_Init_Crossfade();
  EXPECT_EQ(Vbe_Crossfade_Level_A(), 254);
  EXPECT_EQ(Vbe_Crossfade_Level_B(), 1);
  // A second start while one runs ends the first: nothing leaks, the first frame stays the one to return to.
  Design_Init_Crossfade();
  EXPECT_EQ(ds.saved_frame, first);
  EXPECT_EQ(Mem_Get_Count(), blocks + 2);
}

TEST_F(Design, SnapshotRedrawsThroughTheHookAndKeepsADimmedCopyForTheFrameMix) {
  static u32 calls = 0;
  Design_Set_Snapshot_Hook([] {
    calls++;
    std::fill(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4, 0x6464C8u);
  });
  Design_Snapshot_Frame();
  EXPECT_EQ(calls, 1u);
  EXPECT_EQ(vbe_screen.mix[7], 0x1E1E3Cu);  // 100 x 0.3 = 30, 200 x 0.3 = 60
  Design_Start_Frame_Mix();
  Fill(0x010203);
  Design_Apply();
  EXPECT_EQ(At(3, 3), 0x1F203Fu);
  Design_Frame_Mix_Alternate();
  Fill(0);
  Design_Apply();
  EXPECT_EQ(At(3, 3), 0x1E1E3Cu);
  Fill(0);
  Design_Apply();
  EXPECT_EQ(At(3, 3), 0u);
  // Without the mix buffer the frame mix and the trail pass over the frame.
  Design_Stop_Frame_Mix();
  Design_Start_Frame_Mix();
  Design_Start_Trail();
  Fill(0x111111);
  Design_Apply();
  EXPECT_EQ(At(3, 3), 0x111111u);
}

// Each round clears the frame, applies the effects, presents it and runs the sequencer, until the event
// (3 rows long, its callback stepping the row) reports over at row 3: four rounds.
TEST_F(Design, WaitEventPresentsClearedFramesWithTheEffectsUntilTheEventIsOver) {
  static std::vector<u32> shown;
  shown.clear();
  auto present = vbe_screen.present;
  vbe_screen.present = [] { shown.push_back(vbe_screen.frame[0]); };
  Seq_Init();
  Seq_Set_Position_Reader(Engine_Test_Position);
  Seq_Add_Event(0, 3, [] { engine_test_row++; });
  Seq_Add_Event(0, 0, nullptr);
  Seq_Run_Demo();
  Fill(0x777777);
  Design_Flash(100);
  Design_Wait_Event();
  vbe_screen.present = present;
  EXPECT_EQ(shown, std::vector<u32>(4, 0x646464u));
  EXPECT_EQ(engine_test_row, 4u);
}

TEST_F(Design, TrailAveragesWithTheLastFrame) {
  std::fill(vbe_screen.mix, vbe_screen.mix + vbe_screen.frame_size / 4, 0u);
  Design_Start_Trail();
  Fill(0x808080);
  Design_Apply();
  EXPECT_EQ(At(0, 0), 0x404040u);
  Fill(0x404040);
  Design_Apply();
  EXPECT_EQ(At(0, 0), 0x606060u);  // the mix buffer kept the last frame as drawn
}

TEST_F(Design, ChannelCycleSwapsTheListedPairs) {
  const u32 pairs[4][2] = {{1, 0}, {2, 0}, {2, 1}, {2, 2}};  // byte positions after each step
  for (auto& p : pairs) {
    Design_Cycle_Channels();
    EXPECT_EQ(ds.channel_a, p[0]);
    EXPECT_EQ(ds.channel_b, p[1]);
  }
}

TEST_F(Design, ColourOperationsUseTheFreshFilterColour) {
  Design_Set_Filter_Colour(10, 20, 30);
  Fill(0x808080);
  Design_Sub_Filter();
  EXPECT_EQ(At(1, 1), Vbe_Pack_Color(118, 108, 98));
  Design_Add_Filter_Colour();
  EXPECT_EQ(At(1, 1), 0x808080u);
  Design_Add_Filter(0x010101);
  EXPECT_EQ(At(1, 1), Vbe_Pack_Color(139, 149, 159));
  Design_Filter_On();
  Design_Bounce_Off();
  Fill(0x808080);
  Design_Apply();
  EXPECT_EQ(At(1, 1), 0x808080u);  // bounce and hue off: a black filter colour
}

TEST(DesignLoad, TooSmallOrEightBitPicturesAreRefused) {
  EXPECT_SCENE_FATAL("Design: design/strips.pcx is 320x160, smaller than 320x170", {
    SceneRun run;
    run.Start(320, 200);
    std::vector<DatafileEntry> entries(1);
    entries[0].name = "design/strips.pcx";
    Art_Design_Pcx(ArtCanvas(320, 160), Scene_Temp("small.pcx"), &entries[0].data);
    run.Serve(entries);
    Design_Load_Overlays_1();
  });
  EXPECT_SCENE_FATAL("design/prosa4.pcx", {
    SceneRun run;
    run.Start(320, 200);
    run.Serve(std::vector<DatafileEntry>());
    Design_Load_Overlays_2();
  });
}

}  // namespace
