// Design-size stretch at factors 2 and 3, transitions, crossfade and blur.
#include "render/poly.h"
#include "tests/engine_fixture.h"

namespace {

u32 Design_Pixel(u32 x, u32 y) { return (y << 16) | x; }

void Draw_Design(void) {
  for (u32 y = 0; y < vbe_screen.height; y++)
    for (u32 x = 0; x < vbe_screen.width; x++) vbe_screen.frame[vbe_screen.frame_lines[y] / 4 + x] = Design_Pixel(x, y);
}

// Output pixel (i, j) shows design pixel (column(i), row(j)); the letterbox keeps frame rows to 172 design rows.
void Expect_Stretch(const std::function<u32(u32)>& column, const std::function<u32(u32)>& row) {
  for (u32 j = 0; j < vbe_screen.height; j++)
    for (u32 i = 0; i < vbe_screen.width; i++)
      ASSERT_EQ(vbe_screen.frame[j * vbe_screen.width + i], Design_Pixel(column(i), row(j))) << i << "," << j;
}

TEST_F(VideoTest, StretchAtFactorTwoRepeatsEachDesignPixelTwoByTwoAndRefusesMisuse) {
  Open_Mode(640, 400);
  Vbe_Resize_Buffer(320, 200);
  Vbe_Resize_Begin();
  EXPECT_EQ(vbe_screen.frame_lines[199], 199u * 1280) << "the design frame is whole";
  Draw_Design();
  Vbe_Resize_End();
  EXPECT_EQ(std::tuple(vbe_screen.height, vbe_screen.frame_lines[199]), std::tuple(344u, 199u * 2560));
  Expect_Stretch([](u32 i) { return i / 2; }, [](u32 j) { return j / 2; });
  Vbe_Fill(0x000000FF);
  Vbe_Resize_Begin();
  Vbe_Fill(0x00000001);
  Vbe_Resize_End_Add();
  EXPECT_EQ(vbe_screen.frame[640 * 344 - 1], 0x00000100u) << "the adding stretch is a plain add with carries";
  Vbe_Free_Resize_Buffer();
  EXPECT_FATAL("Vbe_Resize_Begin: No design buffer", Vbe_Resize_Begin());
  Vbe_Resize_Buffer(320, 200);
  Vbe_Resize_Begin();
  EXPECT_FATAL("Vbe_Resize_Begin:", Vbe_Resize_Begin());
  EXPECT_FATAL("Vbe_Resize_Buffer:", Vbe_Resize_Buffer(320, 200));
}

// The truncated step 21845 starts the picture one output pixel late: column 0 and row 0 are four
// pixels wide, the last column two.
TEST_F(VideoTest, StretchAtFactorThreeKeepsTheTruncatedStep) {
  Open_Mode(960, 600);
  Vbe_Resize_Buffer(320, 200);
  EXPECT_EQ(Vbe_Get_Factor_Y(), 3.0f);  // from the full height, not the letterboxed 516
  Vbe_Resize_Begin();
  Draw_Design();
  Vbe_Resize_End();
  auto shifted = [](u32 i) { return i == 0 ? 0 : (i - 1) / 3; };
  Expect_Stretch(shifted, shifted);
  EXPECT_EQ(std::tuple(vbe_screen.frame[958], vbe_screen.frame[957]),
            std::tuple(Design_Pixel(319, 0), Design_Pixel(318, 0)));
}

TEST_F(VideoTest, FastStretchMatchesThePlainOneAtEveryFactor) {
  for (u32 scale : {2u, 3u}) {
    Open_Mode(320 * scale, 200 * scale);
    Vbe_Resize_Buffer(320, 200);
    u32 x = 99;
    for (u32 i = 0; i < 320 * 200; i++) Vbe_Design_Buffer()[i] = x = x * 69069u + 1;
    auto now = [] { return std::vector<u32>(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4); };
    Vbe_Stretch_Design();
    const std::vector<u32> fast = now();
    Vbe_Stretch_Design_Plain();
    const std::vector<u32> plain = now();
    EXPECT_EQ(fast, plain);
    Vbe_Stretch_Design_Add();
    const std::vector<u32> fast_add = now();
    Vbe_Copy_Buffer(vbe_screen.frame, plain.data());
    Vbe_Stretch_Design_Add_Plain();
    EXPECT_EQ(fast_add, now());
    Mem_Done(), Mem_Init(0), Vbe_Reset();
  }
}

TEST_F(VideoTest, CrossfadeEndsOnTheTickBothLevelsAreClampedAndComposesTheTwoPictures) {
  Vbe_Set_Crossfade(460, 16, -2, 2, nullptr, nullptr);
  // A reaches 0 after 230 ticks, B 1020 after 502; the tick after that ends the fade.
  u32 tick = 0;
  for (; !Vbe_Crossfade_Done() && tick < 2000; tick++) Vbe_Step_Crossfade();
  EXPECT_EQ(std::tuple(tick, Vbe_Crossfade_Level_A(), Vbe_Crossfade_Level_B()), std::tuple(503u, 0, 1020));
  Open_Mode(320, 200, 0);
  std::vector<u32> a(320 * 200, 0x00804020), b(320 * 200, 0x00101010);
  Vbe_Set_Crossfade(0, 0, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();
  EXPECT_EQ(vbe_screen.frame[5], 0x00101010u);  // level B 0: picture B alone
  Vbe_Set_Crossfade(128, 64, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();  // A less 32 per channel, plus B less 16
  EXPECT_EQ(vbe_screen.frame[5], 0x00602000u);
}

TEST_F(VideoTest, TransitionsBetweenFrameAndMixBuffer) {
  Open_Mode(320, 200, 0);
  Vbe_Alloc_Mix_Buffer();
  auto set = [](u32 f, u32 m) {
    Vbe_Fill(f);
    Vbe_Fill_Dwords(vbe_screen.mix, vbe_screen.frame_size / 4, m);
  };
  // Kind 7, the show's: F = (F + M) / 2 per channel, F's spare byte kept; M = F as drawn. Kind 12: nothing.
  set(0xAB204080, 0xCDFF0010);
  Vbe_Transition(7, 0);
  Vbe_Transition(12, 0);
  EXPECT_EQ(std::tuple(vbe_screen.frame[0], vbe_screen.mix[0]), std::tuple(0xAB8F2048u, 0xAB204080u));
  set(0x00204080, 0x00100010);
  u32* f = vbe_screen.frame;
  Vbe_Transition(3, 0);
  const u32 *frame = vbe_screen.frame, *mix = vbe_screen.mix;
  EXPECT_EQ(std::tuple(frame, frame[7], mix[7]), std::tuple(f, 0x00202050u, 0x00080008u));  // F / 2 + M, M / 2
  set(0x00204080, 0x00100010);
  Vbe_Transition(2, 0x10);
  EXPECT_EQ(poly_state.target, reinterpret_cast<u8*>(vbe_screen.frame));  // the rasterizer follows
  EXPECT_EQ(std::tuple(vbe_screen.mix, vbe_screen.mix[0]), std::tuple(f, 0x00103070u));
  Vbe_Transition(0, 0);
  EXPECT_EQ(vbe_screen.frame[0], 0u);
  Vbe_Free_Mix_Buffer();
  EXPECT_FATAL("Vbe_Transition:", Vbe_Transition(7, 0));
}

TEST_F(VideoTest, BlurReadsAlreadyBlurredUpperAndLeftNeighbours) {
  Open_Mode(320, 200, 0);
  vbe_screen.width = vbe_screen.height = 3;
  std::fill(vbe_screen.frame, vbe_screen.frame + 9, 0u);
  vbe_screen.frame[4] = 0xFF808080;
  Vbe_Blur();
  const u32 want[9] = {0, 0, 0, 0x101010, 0x424242, 0x080808, 0, 0, 0};
  for (u32 i = 0; i < 9; i++) EXPECT_EQ(vbe_screen.frame[i], want[i]) << i;

  // Both passes of the fast form against the plain one, on a width that is not a multiple of four.
  vbe_screen.width = 61, vbe_screen.height = 17;
  u32 x = 5;
  for (u32 i = 0; i < 61 * 17; i++) vbe_screen.frame[i] = x = x * 69069u + 1;
  std::vector<u32> start(vbe_screen.frame, vbe_screen.frame + 61 * 17), fast;
  Vbe_Blur_Alternate();
  Vbe_Blur_Alternate();
  fast.assign(vbe_screen.frame, vbe_screen.frame + 61 * 17);
  std::copy(start.begin(), start.end(), vbe_screen.frame);
  Vbe_Blur_Alternate_Plain();
  Vbe_Blur_Alternate_Plain();
  EXPECT_EQ(fast, std::vector<u32>(vbe_screen.frame, vbe_screen.frame + 61 * 17));
}

}  // namespace
