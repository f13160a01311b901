// Credits scene: page strips laid into the picture, darkness and fade-out timing.
#include "art_credits.h"
#include "demo/credits/credits.h"
#include "demo/flimmer/flimmer.h"
#include "scene_fixture.h"
#include "music/music.h"

namespace {

const CreditsState& cs = *Credits_State();

// The engine with the credits loaded from their real picture.
class Credits : public SceneTest {
 protected:
  void SetUp() override {
    std::vector<DatafileEntry> entries;
    ASSERT_TRUE(Art_Credits_Entries(Scene_Scratch_Dir(), &entries));
    Start(320, 200, entries);
    Credits_Load();
  }
};

TEST_F(Credits, DarknessRestsAt250ThenBrightensTo99AfterRow44) {
  Credits_Next_Page();
  Credits_Tick();
  EXPECT_EQ(cs.darkness, 250);
  Credits_Layout();
  engine_test_row = 43, Credits_Frame();
  EXPECT_EQ(cs.darkness_step, 1);
  engine_test_row = 44, Credits_Frame();
  for (u32 i = 0; i < 150; i++) Credits_Tick();
  EXPECT_EQ(cs.darkness, 100);
  Credits_Tick(), Credits_Tick();
  EXPECT_EQ(cs.darkness, 99);
}

TEST_F(Credits, FadeOutDarkensByASixthOfItsLevelUpToBlack) {
  // Against the frame at fade level 0 (the darkness settled at 250, the grain drawn alike): level 5
  // subtracts 0 from each channel, 6 and 11 subtract 1, 12 subtracts 2; the level stops at 1530, black.
  Credits_Layout();
  for (u32 i = 0; i < 10; i++) Credits_Tick();
  Credits_Start_Fade_Out();
  std::vector<u32> base;
  for (auto [ticks, less] : {std::pair<u32, u32>{0, 0}, {5, 0}, {1, 1}, {5, 1}, {1, 2}, {1994, 255}}) {
    for (u32 i = 0; i < ticks; i++) Credits_Tick();
    Math_Crt_Seed(1);
    Credits_Frame();
    if (base.empty()) base.assign(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
    for (u32 i = 0; i < base.size() * 3; i++) {
      const u32 shift = i % 3 * 8, c = base[i / 3] >> shift & 0xFF;
      ASSERT_EQ(vbe_screen.frame[i / 3] >> shift & 0xFF, c > less ? c - less : 0) << cs.fade_level << " " << i;
    }
  }
  EXPECT_GT(std::count_if(base.begin(), base.end(), [](u32 p) { return (p & 0xFF) > 2; }), 1000);
}

TEST_F(Credits, PagesAreStripsOfThePictureAndPageSevenShowsNothing) {
  Credits_Layout();
  Credits_Layout();  // once only
  const ArtCanvas art = Art_Credits_Picture();
  design_state.tint_on = 0;
  Credits_Clear_Row_Dim();
  for (u32 k = 0; k < 3; k++) Credits_Next_Page();
  // Darkness at its floor and no grain: the page as drawn, less 99 per channel, two pixels to the left.
  for (u32 i = 0; i < 200; i++) Credits_Tick();
  design_state.on = 0;
  Flimmer_Free();
  EXPECT_EQ(cs.darkness, 250);  // the step stayed +1 with the row rule cleared before row 44
  Credits_Set_Row_Dim();
  engine_test_row = 50;
  Credits_Frame();
  for (u32 i = 0; i < 160; i++) Credits_Tick();
  Credits_Frame();
  for (u32 y = 0; y < 49; y++)
    for (u32 x = 0; x < 318; x++) {
      const u32 p = art.pixels[(100 + y) * 320 + x + 2];
      u32 want = 0;
      for (u32 s = 0; s < 24; s += 8) want |= (((p >> s) & 255) > 99 ? ((p >> s) & 255) - 99 : 0) << s;
      ASSERT_EQ(vbe_screen.frame[(65 + y) * 320 + x], want) << x << "," << y;
    }
  for (u32 k = 0; k < 5; k++) Credits_Next_Page();
  EXPECT_EQ(cs.page, 7);
  Credits_Frame();
  for (u32 i = 0; i < vbe_screen.frame_size / 4; i++) ASSERT_EQ(vbe_screen.frame[i], 0u);
}

}  // namespace
