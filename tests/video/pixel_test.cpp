// Pixel and sprite routines: exact channel arithmetic, spare-byte rules, clipping, fast = plain.
#include "tests/engine_fixture.h"

namespace {

std::vector<u32> Random_Pixels(u32 n, u32 seed) {
  std::vector<u32> v(n);
  for (u32& p : v) p = seed = seed * 1664525u + 1013904223u;
  return v;
}

// A frame of w x h pixels held by the test.
class PixelTest : public VideoTest {
 protected:
  void Use_Frame(u32 w, u32 h, std::vector<u32> pixels = {}) {
    frame = pixels.empty() ? std::vector<u32>(size_t(w) * h, 0) : pixels;
    vbe_screen.frame = frame.data(), vbe_screen.width = vbe_screen.screen_pitch = w, vbe_screen.height = h;
    vbe_screen.frame_size = w * h * 4;
    Vbe_Make_Frame_Line_Table(u16(w));
  }
  // One pixel through a whole-buffer routine.
  u32 On_Pixel(u32 p, const std::function<void()>& routine) {
    Use_Frame(1, 1, {p});
    routine();
    return frame[0];
  }
  std::vector<u32> frame;
};

cbitmap* Picture(u32 w, u32 h, const std::vector<u32>& pixels) {
  cbitmap* b = Vbe_New_Bitmap(w, h);
  for (u32 i = 0; i < w * h; i++) Vbe_Bitmap_Pixels(b)[i] = pixels[i];
  return b;
}

TEST_F(PixelTest, WholeFrameRoutinesOnOnePixel) {
  vbe_screen.drawing_bits = 32;
  const struct {
    const char* what;
    u32 before;
    std::function<void()> routine;
    u32 after;
  } rows[] = {
      {"brighten saturates", 0x00C8500A, [] { Vbe_Brighten(100); }, 0x00FFB46E},
      {"darken saturates", 0x00C8500A, [] { Vbe_Darken(100); }, 0x00640000},
      {"brighten uses the level's low byte", 0xAB000000, [] { Vbe_Brighten(0x1FF); }, 0xABFFFFFF},
      {"darken keeps the spare byte", 0xAB102030, [] { Vbe_Darken(0x120); }, 0xAB000010},
      {"sub colour", 0x7F10F0F0, [] { Vbe_Sub_Colour(0xFF203010); }, 0x7F00C0E0},
      {"keep: a channel would overflow", 0x000000F5, [] { Vbe_Add_Colour_Keep(0x10); }, 0x000000F5},
      {"keep: none would", 0x000000EF, [] { Vbe_Add_Colour_Keep(0x10); }, 0x000000FF},
      {"keep: one would go below", 0x5A101010, [] { Vbe_Sub_Colour_Keep(0x000F1011); }, 0x5A101010},
      {"keep: none would go below", 0x5A101010, [] { Vbe_Sub_Colour_Keep(0x000F1010); }, 0x5A010000},
      {"halve", 0xFF818181, [] { Vbe_Halve(); }, 0x7F404040},
      {"add constant carries", 0x00FFFFFF, [] { Vbe_Add_Constant(1); }, 0x01000000},
      {"mask: a byte at the threshold clears", 1, [] { u8 m = 0x80; Vbe_Mask(&m, vbe_screen.frame, 0x80); }, 0},
      {"mask: a byte below it keeps", 1, [] { u8 m = 0x7F; Vbe_Mask(&m, vbe_screen.frame, 0x80); }, 1},
      {"mask: threshold 0 clears all", 1, [] { u8 m = 0; Vbe_Mask(&m, vbe_screen.frame, 0); }, 0},
      // The rotating channel from counter 0: the byte (counter + 1) & 3 after the step.
      {"clear channel: red", 0xFFFFFFFF, [] { Vbe_Clear_Channel(); }, 0xFF00FFFF},
      {"clear channel: spare", 0xFFFFFFFF, [] { Vbe_Clear_Channel(); }, 0x00FFFFFF},
      {"clear channel: blue", 0xFFFFFFFF, [] { Vbe_Clear_Channel(); }, 0xFFFFFF00},
      {"clear channel: green", 0xFFFFFFFF, [] { Vbe_Clear_Channel(); }, 0xFFFF00FF},
      {"darken channel: red", 0x20202020, [] { Vbe_Darken_Channel(0x10); }, 0x20102020},
      {"darken channel: spare, held at 0", 0x05050505, [] { Vbe_Darken_Channel(0xFF); }, 0x00050505},
      {"invert keeps the spare byte", 0x12345678, [] { Vbe_Invert(); }, 0x12CBA987},
      {"grey from blue, the spare byte from green", 0x12345678, [] { Vbe_Grey_From_Blue(); }, 0x56787878},
      {"mask copy at the threshold", 1, [] { u8 m = 0x80; u32 s = 7; Vbe_Mask_Copy(&m, &s, 0x80); }, 7},
  };
  for (const auto& row : rows) EXPECT_EQ(On_Pixel(row.before, row.routine), row.after) << row.what;
}

TEST_F(PixelTest, RectangleAndDoublingExpansionsHueModelAndScaleFactors) {
  // Add_Rect_Sat: a 2x2 rectangle one pixel into a 4-wide frame, both buffers stepping by the pitch; each
  // channel gains the source's blue byte, saturating, the spare byte kept.
  std::vector<u32> source = {0x80C06020, 0x01010101, 0, 0, 0x000000FF, 0x00000003};
  Use_Frame(4, 2, std::vector<u32>(8, 0x0A30F0E8));
  Vbe_Add_Rect_Sat(source.data(), &frame[1], 2, 2);
  EXPECT_EQ(frame, (std::vector<u32>{0x0A30F0E8, 0x0A50FFFF, 0x0A31F1E9, 0x0A30F0E8, 0x0A30F0E8, 0x0AFFFFFF, 0x0A33F3EB, 0x0A30F0E8}));
  // The doubling expansions: 160 source bytes a row, each a 2x2 block of a 320-wide frame; the adding one
  // adds plainly, with carries.
  std::vector<u8> bytes(160, 0);
  std::vector<u32> palette(256, 0x00101010);
  bytes[1] = 1, palette[1] = 0x00F0F0F0;
  for (bool add : {false, true}) {
    Use_Frame(320, 2, std::vector<u32>(640, 0x00202020));
    add ? Vbe_Expand_8_Double_Add(bytes.data(), palette.data()) : Vbe_Expand_8_Double(bytes.data(), palette.data());
    u32 high = add ? 0x01111110 : 0x00F0F0F0, low = add ? 0x00303030 : 0x00101010;
    for (u32 i : {0u, 1u, 320u, 321u, 4u, 639u, 2u, 3u, 322u, 323u}) EXPECT_EQ(frame[i], i % 320 / 2 == 1 ? high : low) << add << i;
  }
  // Hue: 120 between primaries, integer division truncating (3, 4, 0: 480 / 7 = 68.57 gives 68).
  const struct { i32 r, g, b; u16 hue, value; f32 saturation; } to_hsv[] = {
      {255, 0, 0, 360, 255, 1.0f}, {0, 255, 0, 120, 255, 1.0f}, {10, 10, 10, 0, 10, 0.0f}, {3, 4, 0, 68, 4, 1.0f},
      {0, 3, 4, 188, 4, 1.0f},     {4, 0, 3, 308, 4, 1.0f},    {200, 100, 50, 30, 200, 0.75f},
  };
  for (const auto& row : to_hsv) {
    VbeHsv h = Vbe_Rgb_To_Hsv(row.r, row.g, row.b);
    EXPECT_TRUE(h.hue == row.hue && h.value == row.value && h.saturation == row.saturation) << row.r << " " << row.g;
  }
  // Inverse: m = floor((1 - s) v); the rising or falling primary m + d t / (120 - t) or m + d (120 - t) / t.
  const struct { i32 hue; f32 saturation; i16 value; u32 pixel; } to_rgb[] = {
      {60, 1.0f, 255, 0x00FFFF00}, {400, 0.5f, 200, 0x00C89664}, {80, 1.0f, 255, 0x007FFF00},
      {200, 0.5f, 255, 0x007FBFFF}, {360, 1.0f, 255, 0x00FF0000}, {0, 1.0f, 255, 0x00FF0000},
  };
  for (const auto& row : to_rgb) EXPECT_EQ(Vbe_Hsv_To_Rgb(row.hue, row.saturation, row.value), row.pixel) << row.hue;
  // Scaling, at 640x400 (factors 2) and 960x600 (3: the truncated step 21845 repeats column 0 four times).
  for (u32 scale : {2u, 3u}) {
    Open_Mode(320 * scale, 200 * scale);
    Vbe_Set_Resize(320, 200);
    EXPECT_TRUE(Vbe_Scale_X(-7) == -7 * i32(scale) && Vbe_Scale_Y(199) == 199 * i32(scale));
    cbitmap* picture = Vbe_New_Bitmap(4, 3);
    for (u32 i = 0; i < 12; i++) Vbe_Bitmap_Pixels(picture)[i] = i;
    Vbe_Resize(&picture);
    ASSERT_TRUE(picture->width == 4 * scale && picture->height == 3 * scale);
    EXPECT_STREQ(Mem_Get_Description(picture), "Vbe_Resize: Vbe: cbitmap");
    const u32 three[] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3};
    for (u32 j = 0; j < 3 * scale; j++)
      for (u32 i = 0; i < 4 * scale; i++)
        ASSERT_EQ(Vbe_Bitmap_Pixels(picture)[j * 4 * scale + i], scale == 2 ? j / 2 * 4 + i / 2 : three[j] * 4 + three[i]);
    Mem_Done(), Mem_Init(0), Vbe_Reset();
  }
  Open_Mode(320, 200);
  Vbe_Set_Resize(320, 200);
  EXPECT_TRUE(!Vbe_Resize_Active() && Vbe_Scale_X(-7) == -7);
}

TEST_F(PixelTest, FastLoopsMatchThePlainOnes) {
  const u32 n = 1037;  // not a multiple of the vector width
  std::vector<u32> start = Random_Pixels(n, 1), other = Random_Pixels(n, 2);
  auto both = [&](const std::function<void(std::vector<u32>&, std::vector<u32>&)>& fast,
                  const std::function<void(std::vector<u32>&, std::vector<u32>&)>& plain) {
    std::vector<u32> a = start, b = start, oa = other, ob = other;
    Use_Frame(n, 1, a);
    fast(frame, oa);
    a = frame;
    Use_Frame(n, 1, b);
    plain(frame, ob);
    b = frame;
    EXPECT_EQ(a, b);
    EXPECT_EQ(oa, ob);
  };
  for (i32 level : {0, 1, 100, 255, 300}) {
    both([&](auto&, auto&) { Vbe_Brighten(level); }, [&](auto&, auto&) { Vbe_Brighten_Plain(level); });
    both([&](auto&, auto&) { Vbe_Darken(level); }, [&](auto&, auto&) { Vbe_Darken_Plain(level); });
    both([&](auto& f, auto& o) { Vbe_Darken_Into(level, o.data(), f.data()); },
         [&](auto& f, auto& o) { Vbe_Darken_Into_Plain(level, o.data(), f.data()); });
    both([&](auto& f, auto& o) { Vbe_Darken_Add(level, o.data(), f.data()); },
         [&](auto& f, auto& o) { Vbe_Darken_Add_Plain(level, o.data(), f.data()); });
  }
  for (u32 colour : {0x00000000u, 0xFF102030u, 0x00FFFFFFu}) {
    both([&](auto&, auto&) { Vbe_Add_Colour(colour); }, [&](auto&, auto&) { Vbe_Add_Colour_Plain(colour); });
    both([&](auto&, auto&) { Vbe_Sub_Colour(colour); }, [&](auto&, auto&) { Vbe_Sub_Colour_Plain(colour); });
  }
  both([](auto& f, auto& o) { Vbe_Trail(f.data(), o.data()); }, [](auto& f, auto& o) { Vbe_Trail_Plain(f.data(), o.data()); });
  both([](auto& f, auto& o) { Vbe_Average_Buffer(f.data(), o.data()); },
       [](auto& f, auto& o) { Vbe_Average_Buffer_Plain(f.data(), o.data()); });
  both([](auto& f, auto& o) { Vbe_Add_Buffer(f.data(), o.data()); },
       [](auto& f, auto& o) { Vbe_Add_Buffer_Plain(f.data(), o.data()); });
  // Sprites: a 61 x 17 picture over the 1037-pixel frame taken as 61 x 17, placed at several offsets.
  cbitmap* picture = Picture(61, 17, other);
  for (i32 at : {0, -3, 5}) {
    auto sprite = [&](auto draw) {
      return [&, draw](auto&, auto&) {
        Use_Frame(61, 17, frame);
        draw();
      };
    };
    both(sprite([&] { Vbe_Sprite_Sat(at, at, picture); }), sprite([&] { Vbe_Sprite_Sat_Plain(at, at, picture); }));
    for (i32 level : {0, 0x30, 255})
      both(sprite([&] { Vbe_Sprite_Darken_Sat(at, -at, picture, level); }),
           sprite([&] { Vbe_Sprite_Darken_Sat_Plain(at, -at, picture, level); }));
  }
}

// Every position against a per-pixel reference: inside, each edge, corners, outside, larger than the frame.
TEST_F(PixelTest, SpriteClippingMatchesAPerPixelReference) {
  const u32 fw = 7, fh = 5;
  for (u32 pw : {0u, 1u, 3u, 10u})
    for (u32 ph : {0u, 2u, 8u}) {
      std::vector<u32> pixels(pw * ph);
      for (u32 i = 0; i < pixels.size(); i++) pixels[i] = 100 + i;
      cbitmap* picture = Picture(pw, ph, pixels);
      for (i32 y = -10; y <= 7; y++)
        for (i32 x = -12; x <= 9; x++) {
          Use_Frame(fw, fh);
          Vbe_Sprite(x, y, picture);
          std::vector<u32> want(fw * fh, 0);
          for (u32 py = 0; py < ph; py++)
            for (u32 px = 0; px < pw; px++) {
              i32 tx = x + i32(px), ty = y + i32(py);
              if (tx >= 0 && ty >= 0 && tx < i32(fw) && ty < i32(fh)) want[ty * fw + tx] = pixels[py * pw + px];
            }
          ASSERT_EQ(frame, want) << pw << "x" << ph << " at " << x << "," << y;
          // Grabbing at the same place takes back what was drawn, leaving the rest of the picture 0.
          cbitmap* back = Picture(pw, ph, std::vector<u32>(pw * ph, 0));
          Vbe_Grab_Sprite(x, y, back);
          Vbe_Sprite(x, y, back);
          ASSERT_EQ(frame, want);
          Mem_Free(back);
        }
      Mem_Free(picture);
    }
  Vbe_Sprite(0, 0, nullptr);
}

TEST_F(PixelTest, SpriteBlendModes) {
  cbitmap* picture = Picture(1, 1, {0x80C06020});
  auto draw = [&](u32 d, const std::function<void()>& blit) { return On_Pixel(d, blit); };
  const u32 d = 0x0A30F040;
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Add(0, 0, picture); }), 0x0A30F040u + 0x80C06020u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Sat(0, 0, picture); }), 0x0AF0FF60u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Brighten(0, 0, picture, 0x50); }), 0x80FFB070u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken(0, 0, picture, 0x30); }), 0x80903000u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Sat(0, 0, picture, 0x30); }), 0x80C0FF40u);
  // t = 0x80903000 (blue 0): d unchanged by the subtraction, then added.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Sub_Add(0, 0, picture, 0x30); }), 0x80903000u + 0x0A30F040u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Half_Add(0, 0, picture); }), 0x80C06020u + 0x05187820u);
  // Quarter of d = 0x020C3C10, plus the picture's blue 0x20 in each channel.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Quarter_Sat(0, 0, picture); }), 0x022C5C30u);
  // t = 0x80903000, plus blue of d halved (0x20) in each channel.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Half_Sat(0, 0, picture, 0x30); }), 0x80B05020u);
}

}  // namespace
