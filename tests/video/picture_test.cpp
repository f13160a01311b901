// Pictures, design-size stretch at factors 1, 2 and 3, transitions, crossfade, blur and colour.
#include "render/poly.h"
#include "tests/video/video_fixture.h"

namespace {

u32 Design_Pixel(u32 x, u32 y) { return (y << 16) | x; }

void Draw_Design(void) {
  for (u32 y = 0; y < vbe_screen.height; y++)
    for (u32 x = 0; x < vbe_screen.width; x++) vbe_screen.frame[vbe_screen.frame_lines[y] / 4 + x] = Design_Pixel(x, y);
}

TEST_F(VideoTest, AtDesignSizeTheResizeLayerDoesNothing) {
  Open_Mode(320, 200);
  u16 blocks = Mem_Get_Count();
  Vbe_Resize_Buffer(320, 200);
  EXPECT_FALSE(Vbe_Resize_Active());
  EXPECT_EQ(Mem_Get_Count(), blocks);
  u32* frame = vbe_screen.frame;
  Vbe_Resize_Begin();
  EXPECT_EQ(vbe_screen.frame, frame);
  EXPECT_EQ(vbe_screen.height, 172u);
  Vbe_Resize_End();
  EXPECT_EQ(vbe_screen.frame, frame);
  EXPECT_EQ(Vbe_Scale_X(100), 100);
  cbitmap* picture = Vbe_New_Bitmap(3, 2);
  cbitmap* same = picture;
  Vbe_Resize(&same);
  EXPECT_EQ(same, picture);
}

// Output pixel (i, j) shows design pixel (column(i), row(j)); the letterbox keeps frame rows to 172 design rows.
void Expect_Stretch(const std::function<u32(u32)>& column, const std::function<u32(u32)>& row) {
  for (u32 j = 0; j < vbe_screen.height; j++)
    for (u32 i = 0; i < vbe_screen.width; i++)
      ASSERT_EQ(vbe_screen.frame[j * vbe_screen.width + i], Design_Pixel(column(i), row(j))) << i << "," << j;
}

TEST_F(VideoTest, StretchAtFactorTwoRepeatsEachDesignPixelTwoByTwo) {
  Open_Mode(640, 400);
  Vbe_Resize_Buffer(320, 200);
  EXPECT_EQ(Vbe_Get_Factor_X(), 2.0f);
  EXPECT_EQ(Vbe_Get_Factor_Y(), 2.0f);
  EXPECT_STREQ(Mem_Get_Description(Vbe_Design_Buffer()), "Vbe_Resize_Buffer");
  u32* frame = vbe_screen.frame;
  Vbe_Resize_Begin();
  EXPECT_EQ(vbe_screen.frame, Vbe_Design_Buffer());
  EXPECT_EQ(vbe_screen.width, 320u);
  EXPECT_EQ(vbe_screen.height, 200u);
  EXPECT_EQ(vbe_screen.frame_size, 256000u);
  EXPECT_EQ(vbe_screen.frame_lines[1], 1280u);
  Draw_Design();
  Vbe_Resize_End();
  EXPECT_EQ(vbe_screen.frame, frame);
  EXPECT_EQ(vbe_screen.width, 640u);
  EXPECT_EQ(vbe_screen.height, 344u);
  EXPECT_EQ(vbe_screen.frame_lines[1], 2560u);
  Expect_Stretch([](u32 i) { return i / 2; }, [](u32 j) { return j / 2; });
  EXPECT_EQ(Vbe_Scale_Y(199), 398);
  EXPECT_EQ(Vbe_Scale_X(-7), -14);
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
  EXPECT_EQ(vbe_screen.frame[958], Design_Pixel(319, 0));
  EXPECT_EQ(vbe_screen.frame[957], Design_Pixel(318, 0));
}

TEST_F(VideoTest, StretchAddIsAPlainAddWithCarries) {
  Open_Mode(640, 400);
  Vbe_Resize_Buffer(320, 200);
  Vbe_Fill(0x000000FF);
  Vbe_Resize_Begin();
  Vbe_Fill(0x00000001);
  Vbe_Resize_End_Add();
  EXPECT_EQ(vbe_screen.frame[0], 0x00000100u);
  EXPECT_EQ(vbe_screen.frame[640 * 344 - 1], 0x00000100u);
}

TEST_F(VideoTest, FastStretchMatchesThePlainOneAtEveryFactor) {
  for (u32 scale : {2u, 3u}) {
    Open_Mode(320 * scale, 200 * scale);
    Vbe_Resize_Buffer(320, 200);
    u32 x = 99;
    for (u32 i = 0; i < 320 * 200; i++) Vbe_Design_Buffer()[i] = x = x * 69069u + 1;
    std::vector<u32> fast, plain;
    Vbe_Stretch_Design();
    fast.assign(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
    Vbe_Stretch_Design_Plain();
    plain.assign(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
    EXPECT_EQ(fast, plain);
    Vbe_Stretch_Design_Add();
    fast.assign(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
    Vbe_Copy_Buffer(vbe_screen.frame, plain.data());
    Vbe_Stretch_Design_Add_Plain();
    plain.assign(vbe_screen.frame, vbe_screen.frame + vbe_screen.frame_size / 4);
    EXPECT_EQ(fast, plain);
    Mem_Done();
    Mem_Init(0);
    Vbe_Reset();
  }
}

TEST_F(VideoTest, DesignBufferIsReusedOrReplacedAndMisuseIsFatal) {
  Open_Mode(640, 400);
  Vbe_Resize_Buffer(320, 200);
  u32* first = Vbe_Design_Buffer();
  u16 blocks = Mem_Get_Count();
  Vbe_Resize_Buffer(320, 200);
  EXPECT_EQ(Vbe_Design_Buffer(), first);
  EXPECT_EQ(Mem_Get_Count(), blocks);
  Vbe_Resize_Buffer(160, 100);
  EXPECT_EQ(Mem_Get_Count(), blocks);
  EXPECT_EQ(Vbe_Get_Factor_X(), 4.0f);
  Vbe_Free_Resize_Buffer();
  EXPECT_EQ(Vbe_Design_Buffer(), nullptr);
  Expect_Fatal([] { Vbe_Resize_Begin(); }, "Vbe_Resize_Begin: No design buffer");
  Vbe_Resize_Buffer(320, 200);
  Vbe_Resize_Begin();
  Expect_Fatal([] { Vbe_Resize_Begin(); }, "Vbe_Resize_Begin:");
  Expect_Fatal([] { Vbe_Resize_Buffer(320, 200); }, "Vbe_Resize_Buffer:");
  Vbe_Resize_End();
  Vbe_Resize_End();  // nothing open: nothing happens
  EXPECT_EQ(vbe_screen.width, 640u);
}

TEST_F(VideoTest, PicturesScaleOnceAtLoadTime) {
  Open_Mode(640, 400);
  Vbe_Resize_Buffer(320, 200);
  cbitmap* picture = Vbe_New_Bitmap(160, 130);
  EXPECT_STREQ(Mem_Get_Description(picture), "Vbe: cbitmap");
  EXPECT_EQ(Mem_Get_Size(picture), 160u * 130 * 4 + 16);
  for (u32 i = 0; i < 160 * 130; i++) Vbe_Bitmap_Pixels(picture)[i] = i;
  Vbe_Resize(&picture);
  EXPECT_EQ(Vbe_Bitmap_Width(picture), 320u);
  EXPECT_EQ(Vbe_Bitmap_Height(picture), 260u);
  EXPECT_STREQ(Mem_Get_Description(picture), "Vbe_Resize: Vbe: cbitmap");
  for (u32 y = 0; y < 260; y++)
    for (u32 x = 0; x < 320; x++) ASSERT_EQ(Vbe_Bitmap_Pixels(picture)[y * 320 + x], (y / 2) * 160 + x / 2);

  u32* pixels = static_cast<u32*>(Mem_Alloc(3 * 2 * 4));
  Mem_Set_Description(pixels, "Test: Pixels");
  for (u32 i = 0; i < 6; i++) pixels[i] = i;
  Vbe_Resize_Pixels(&pixels, 3, 2);
  EXPECT_EQ(Mem_Get_Size(pixels), 6u * 4 * 4);
  EXPECT_STREQ(Mem_Get_Description(pixels), "Vbe_Resize: Test: Pixels");
  EXPECT_EQ(pixels[6 * 3 + 5], 5u);
}

TEST_F(VideoTest, CrossfadeEndsOnTheTickBothLevelsAreClamped) {
  Vbe_Set_Crossfade(460, 16, -2, 2, nullptr, nullptr);
  u32 tick = 0;
  while (!Vbe_Crossfade_Done() && tick < 2000) {
    Vbe_Step_Crossfade();
    tick++;
    if (tick == 230) {
      EXPECT_EQ(Vbe_Crossfade_Level_A(), 0);
    }
    if (tick == 502) {
      EXPECT_EQ(Vbe_Crossfade_Level_B(), 1020);
    }
  }
  EXPECT_EQ(tick, 503u);
  EXPECT_EQ(Vbe_Crossfade_Level_A(), 0);
  Vbe_Step_Crossfade();  // done: nothing moves
  EXPECT_EQ(Vbe_Crossfade_Level_B(), 1020);
}

TEST_F(VideoTest, CrossfadeDrawComposesTheTwoPictures) {
  Open_Mode(320, 200, 0);
  std::vector<u32> a(320 * 200, 0x00804020), b(320 * 200, 0x00101010);
  Vbe_Set_Crossfade(0, 0, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();
  EXPECT_EQ(vbe_screen.frame[5], 0x00101010u);  // level B 0: picture B alone
  Vbe_Set_Crossfade(0, 1020, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();
  EXPECT_EQ(vbe_screen.frame[5], 0x00804020u);
  Vbe_Set_Crossfade(128, 64, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();  // A less 32 per channel, plus B less 16
  EXPECT_EQ(vbe_screen.frame[5], 0x00602000u);
  Vbe_Set_Crossfade(1020, 1020, 0, 0, a.data(), b.data());
  Vbe_Draw_Crossfade();
  EXPECT_EQ(vbe_screen.frame[5], 0u);
}

TEST_F(VideoTest, TransitionsBetweenFrameAndMixBuffer) {
  Open_Mode(320, 200, 0);
  Vbe_Alloc_Mix_Buffer();
  auto set = [](u32 f, u32 m) {
    Vbe_Fill(f);
    Vbe_Fill_Dwords(vbe_screen.mix, vbe_screen.frame_size / 4, m);
  };
  set(0x00204080, 0x00FF0010);
  Vbe_Transition(12, 5);
  EXPECT_EQ(vbe_screen.frame[0], 0x00204080u);
  Vbe_Transition(7, 0);
  EXPECT_EQ(vbe_screen.frame[0], 0x008F2048u);
  EXPECT_EQ(vbe_screen.mix[0], 0x00204080u);
  set(0x00204080, 0x00100010);
  u32* f = vbe_screen.frame;
  Vbe_Transition(3, 0);
  EXPECT_EQ(vbe_screen.frame, f);
  EXPECT_EQ(vbe_screen.frame[7], 0x00202050u);  // F / 2 + M
  EXPECT_EQ(vbe_screen.mix[7], 0x00080008u);    // M / 2
  set(0x00204080, 0x00100010);
  Vbe_Transition(2, 0x10);
  EXPECT_EQ(poly_state.target, reinterpret_cast<u8*>(vbe_screen.frame));  // the rasterizer follows
  EXPECT_EQ(vbe_screen.mix, f);
  EXPECT_EQ(vbe_screen.mix[0], 0x00103070u);
  Vbe_Swap_Buffers();
  set(0x00204080, 0x00100010);
  Vbe_Transition(9, 0x10);
  EXPECT_EQ(vbe_screen.frame[0], 0x00182048u);
  EXPECT_EQ(vbe_screen.mix[0], 0x00181048u);
  Vbe_Transition(0, 0);
  EXPECT_EQ(vbe_screen.frame[0], 0u);
  Vbe_Free_Mix_Buffer();
  Expect_Fatal([] { Vbe_Transition(7, 0); }, "Vbe_Transition:");
}

TEST_F(VideoTest, BlurReadsAlreadyBlurredUpperAndLeftNeighbours) {
  Open_Mode(320, 200, 0);
  vbe_screen.width = 3;
  vbe_screen.height = 3;
  std::fill(vbe_screen.frame, vbe_screen.frame + 9, 0u);
  vbe_screen.frame[4] = 0xFF808080;
  Vbe_Blur();
  const u32 want[9] = {0, 0, 0, 0x101010, 0x424242, 0x080808, 0, 0, 0};
  for (u32 i = 0; i < 9; i++) EXPECT_EQ(vbe_screen.frame[i], want[i]) << i;

  std::fill(vbe_screen.frame, vbe_screen.frame + 9, 0u);
  vbe_screen.frame[4] = 0x808080;
  Vbe_Blur_Alternate();  // horizontal first
  EXPECT_EQ(vbe_screen.frame[3], 0x202020u);
  EXPECT_EQ(vbe_screen.frame[4], 0x404040u + 0x080808u);
  std::fill(vbe_screen.frame, vbe_screen.frame + 9, 0u);
  vbe_screen.frame[1] = 0x808080;
  Vbe_Blur_Alternate();  // then vertical
  EXPECT_EQ(vbe_screen.frame[4], 0x202020u);
  EXPECT_EQ(vbe_screen.frame[3], 0u);

  // Both passes of the fast form against the plain one, on a width that is not a multiple of four.
  vbe_screen.width = 61;
  vbe_screen.height = 17;
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

TEST_F(VideoTest, ColourPackingAndTheHueModel) {
  EXPECT_EQ(Vbe_Pack_Color(256, 0, 0), 0x01000000u);
  EXPECT_EQ(Vbe_Pack_Color(1, 2, 3), 0x00010203u);
  EXPECT_EQ(Vbe_Pack_Color_Fast(0x12, 0x34, 0x56), 0x00123456u);
  EXPECT_EQ(Vbe_Pack_Color_Bytes(0x112, 0x34, 0x56), 0x00123456u);
  u32 r, g, b;
  Vbe_Unpack_Color(0xFF123456, &r, &g, &b);
  EXPECT_EQ(r, 0x12u);
  EXPECT_EQ(g, 0x34u);
  EXPECT_EQ(b, 0x56u);

  VbeHsv red = Vbe_Rgb_To_Hsv(255, 0, 0);
  EXPECT_EQ(red.hue, 360);
  EXPECT_EQ(red.value, 255);
  EXPECT_EQ(red.saturation, 1.0f);
  EXPECT_EQ(Vbe_Rgb_To_Hsv(0, 255, 0).hue, 120);
  VbeHsv grey = Vbe_Rgb_To_Hsv(10, 10, 10);
  EXPECT_EQ(grey.hue, 0);
  EXPECT_EQ(grey.saturation, 0.0f);
  EXPECT_EQ(Vbe_Rgb_To_Hsv(100, 50, 0).hue, 40);

  EXPECT_EQ(Vbe_Hsv_To_Rgb(60, 1.0f, 255), 0x00FFFF00u);
  EXPECT_EQ(Vbe_Hsv_To_Rgb(400, 0.5f, 200), Vbe_Hsv_To_Rgb(40, 0.5f, 200));
  EXPECT_EQ(Vbe_Hsv_To_Rgb(40, 0.5f, 200), 0x00C89664u);  // m 100, d 100: green 100 + 100 * 40 / 80
  EXPECT_EQ(Vbe_Hsv_To_Rgb(360, 1.0f, 255), Vbe_Hsv_To_Rgb(0, 1.0f, 255));
  EXPECT_EQ(Vbe_Hsv_To_Rgb(-1, 1.0f, 255), Vbe_Hsv_To_Rgb(359, 1.0f, 255));
  EXPECT_EQ(Vbe_Hsv_To_Rgb(240, 1.0f, 300), 0x000000FFu);
}

TEST_F(VideoTest, BrightnessScaleTruncatesAndClearsTheSpareByte) {
  cbitmap* picture = Vbe_New_Bitmap(2, 1);
  Vbe_Bitmap_Pixels(picture)[0] = 0xFF0A1420;
  Vbe_Bitmap_Pixels(picture)[1] = 0x00FFFFFF;
  Vbe_Scale_Bitmap_Brightness(picture, 1.5f);
  EXPECT_EQ(Vbe_Bitmap_Pixels(picture)[0], 0x000F1E30u);
  EXPECT_EQ(Vbe_Bitmap_Pixels(picture)[1], 0x007E7E7Eu);  // 382 stored as a byte
}

}  // namespace
