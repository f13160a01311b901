// Post-effect layer: flash decay, tint, overlays, jitter, crossfade, waiting for an event; the loaders' refusals.
#include "art_design.h"
#include "demo/coon/coon.h"
#include "demo/credits/credits.h"
#include "demo/plasma/plasma.h"
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
};

TEST_F(Design, FlashesDecayByFivePerTickAndSwitchOff) {
  // A flash of 250 is on for 49 ticks (level 5 at the last) and off at the 50th; one of 100 for 19.
  for (auto [level, on_ticks] : {std::pair<u32, u32>{250, 49}, {100, 19}}) {
    Design_Flash(level);
    Ticks(on_ticks);
    EXPECT_EQ(std::make_pair(ds.flash_on, ds.level), std::make_pair(u8(1), i32(5)));
    Ticks(1);
    EXPECT_EQ(ds.flash_on, 0);
  }
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
}

TEST_F(Design, TintColourAddsToTheFilterAndFallsByFiveWithoutWrapping) {
  Design_Start_Tint();
  Design_Bounce_Off();
  Design_Set_Tint(12, 0, 30);
  Fill(0x404040);
  Design_Apply();  // bounce and hue off and one value 0: no tint
  EXPECT_EQ(At(0, 0), 0x404040u);
  Design_Set_Tint(12, 7, 30);
  Demo_Set_Flag(DEMO_FLAG_NO_FADES, 1), Design_Apply();  // the option "nofades": no tint pass
  EXPECT_EQ(At(0, 0), 0x404040u);
  Demo_Set_Flag(DEMO_FLAG_NO_FADES, 0), Design_Apply();
  EXPECT_EQ(At(0, 0), Vbe_Pack_Color(64 - 12, 64 - 7, 64 - 30));
  Ticks(3);
  EXPECT_EQ(std::vector<u32>({ds.tint_red, ds.tint_green, ds.tint_blue}), std::vector<u32>({0, 0, 15}));
}

TEST_F(Design, OverlayStepsAPieceEverySixteenRowsAndEndsWithItsEvent) {
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Design_Entries(Scene_Scratch_Dir(), &entries));
  Serve(entries);
  Design_Load_Overlays_1();
  Design_Load_Overlays_2();
  Seq_Set_Current(40);
  Design_Thumb_Top_Left();
  Design_Overlay_1();  // shows during event 41, offset (50, 8) beside the thumbnail
  Design_Stop_Thumb();
  Seq_Set_Current(41);
  const std::pair<u32, u8> steps[] = {{0, 8}, {15, 8}, {16, 9}, {47, 10}, {48, 11}};  // row, piece
  for (auto [row, piece] : steps) {
    engine_test_row = row;
    Design_Tick();
    EXPECT_EQ(ds.overlay_current, piece) << row;
  }
  // Lines 1..4 of the group shown at once, each offset by the scroll and one random shift.
  Fill(0);
  Design_Apply();
  EXPECT_TRUE(ds.random_x >= -5 && ds.random_x < 5 && ds.random_y >= -5 && ds.random_y < 5);
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
  Seq_Set_Current(42);  // the next event ends it
  Design_Apply();
  EXPECT_EQ(ds.overlay_on, 0);
}

TEST_F(Design, JitterShiftsTheCentreWithinHalfItsStrengthAndPutsItBackWhenOver) {
  Design_Start_Jitter();
  bool moved = false;
  for (u32 i = 0; i < 24; i++) {
    Design_Apply();
    EXPECT_TRUE(vr_view.centre_x >= 160 - 12 && vr_view.centre_x < 160 + 13);
    EXPECT_TRUE(vr_view.centre_y >= 86 - 12 && vr_view.centre_y < 86 + 13);
    moved |= vr_view.centre_x != 160 || vr_view.centre_y != 86;
    Design_Tick();
  }
  EXPECT_TRUE(moved);
  Design_Apply();
  // Several ticks between two frames: the last one still brings the centre home.
  Ticks(3);
  EXPECT_EQ(ds.jitter_strength, 0);
  EXPECT_EQ(std::make_pair(vr_view.centre_x, vr_view.centre_y), std::make_pair(160, 86));
}

TEST_F(Design, CrossfadeDrawsIntoTheSecondBufferAndGivesTheFrameBackWhenDone) {
  Fill(0x808080);
  u32* first = vbe_screen.frame;
  const u16 blocks = Mem_Get_Count();
  Design_Set_Crossfade(460, 16, -2, 2);
  Design_Init_Crossfade();
  EXPECT_EQ(vbe_screen.frame, ds.crossfade_buffer_2);
  EXPECT_EQ(ds.crossfade_buffer_1[100], 0x808080u);
  u32 ticks = 0;
  while (ds.crossfade_on && ticks < 1000) {
    Fill(0x404040);  // the scene's drawing
    Design_Tick();
    Design_Apply();
    ticks++;
  }
  EXPECT_EQ(ticks, 503u);  // 460 down by 2, 16 up by 2, every tick, until they cross
  EXPECT_EQ(vbe_screen.frame, first);
  EXPECT_EQ(poly_state.target, reinterpret_cast<u8*>(first));
  EXPECT_EQ(Mem_Get_Count(), blocks);
  EXPECT_EQ(first[100], 0x404040u);  // the last drawing is the new picture in full
  // A second start while one runs ends the first: nothing leaks, the first frame stays the one to return to.
  Design_Init_Crossfade();
  Design_Init_Crossfade();
  EXPECT_EQ(ds.saved_frame, first);
  EXPECT_EQ(Mem_Get_Count(), blocks + 2);
}

// Each round clears the frame, applies the effects, presents it and runs the sequencer, until the event
// (3 rows long, its callback stepping the row) reports over at row 3: four rounds.
TEST_F(Design, WaitEventPresentsClearedFramesWithTheEffectsUntilTheEventIsOver) {
  static std::vector<u32> shown;
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
  Design_Wait_Event();  // the event is over: no round
  vbe_screen.present = present;
  EXPECT_EQ(shown, std::vector<u32>(4, 0x646464u));
  EXPECT_EQ(engine_test_row, 4u);
}

// The loaders refuse a picture too small, of 8 bits or missing, naming it; the layer holds 40 pieces, no more;
// a scene drawn before it is loaded stops with its reason.
TEST(SceneLoad, WrongOrMissingPicturesAFortyFirstPieceAndDrawingFirstAreFatal) {
  const struct {
    const char* name;
    u32 width, height, bits;
    void (*load)(void);
    const char* said;
  } rows[] = {
      {"design/strips.pcx", 320, 160, 24, Design_Load_Overlays_1,
       "Design: design/strips.pcx is 320x160, smaller than 320x170"},
      {"design/strips.pcx", 320, 170, 8, Design_Load_Overlays_1, "Design: design/strips.pcx is not a 24-bit picture"},
      {"design/strips.pcx", 320, 170, 24, Design_Load_Overlays_2, "design/prosa4.pcx"},
      {"design/strips.pcx", 320, 170, 24, [] {
         for (u32 i = 0; i < 5; i++) Design_Load_Overlays_1();  // 8 pieces each
         PcxPicture picture;
         Pcx_Load("design/strips.pcx", &picture);
         Design_Add_Piece(&picture, 0, 0, 8, 8, 0, 0);
       }, "Design: More than 40 overlay pieces"},
      {"credits/credits.pcx", 320, 200, 24, Credits_Load, "Credits: credits/credits.pcx must be a 24-bit 320x300"},
      {"credits/credits.pcx", 320, 300, 8, Credits_Load, "Credits: credits/credits.pcx must be a 24-bit 320x300"},
      {"coon/coon1.pcx", 320, 200, 8, Coon_Load, "Coon: coon/coon1.pcx must be a 24-bit picture"},
      {"rig/horizd.pcx", 256, 255, 24, Rig_Load, "Rig: rig/horizd.pcx is not a 24-bit picture 256 wide and 256 high"},
      {"box/kasse.pcx", 256, 255, 24, Box_Load, "Box: box/kasse.pcx is not a 256x256 24-bit picture"},
      {"race/metala.pcx", 128, 128, 24, Race_Load, "Race: race/metala.pcx is not a 256x256 24-bit picture"},
  };
  for (const auto& r : rows)
    EXPECT_FATAL(r.said, {
      SceneRun run;
      run.Start(320, 200, Picture_Entries(r.name, r.width, r.height, r.bits));
      r.load();
    });
  // Drawing before loading.
  const std::pair<void (*)(void), const char*> early[] = {
      {[] { Plasma_Draw(0, 0, 0, 0, 0, 0, 0, 0); }, "Plasma: Not loaded"}, {Plasma_Colour_Pass, "Plasma: Not loaded"},
      {Coon_Draw, "Coon: Not loaded"}, {Rig_Build_Textures, "Rig: Textures built before the scene was loaded"},
      {[] { Sky_Fade_In(), void(Sky_Draw()); }, "Sky: Animation not loaded"}};
  for (const auto& row : early)
    EXPECT_FATAL(row.second, {
      SceneRun run;
      run.Start(320, 200);
      row.first();
    });
}

}  // namespace
