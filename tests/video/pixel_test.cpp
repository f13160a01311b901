// Pixel and sprite routines: exact channel arithmetic, spare-byte rules, clipping, fast = plain.
#include "tests/video/video_fixture.h"

namespace {

std::vector<u32> Random_Pixels(u32 n, u32 seed) {
  std::vector<u32> v(n);
  for (u32 i = 0; i < n; i++) {
    seed = seed * 1664525u + 1013904223u;
    v[i] = seed;
  }
  return v;
}

// A frame of w x h pixels held by the test.
class PixelTest : public VideoTest {
 protected:
  void Use_Frame(u32 w, u32 h, std::vector<u32> pixels = {}) {
    frame = pixels.empty() ? std::vector<u32>(size_t(w) * h, 0) : pixels;
    vbe_screen.frame = frame.data();
    vbe_screen.width = w;
    vbe_screen.height = h;
    vbe_screen.frame_size = w * h * 4;
    vbe_screen.screen_pitch = w;
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

TEST_F(PixelTest, SaturatingBrightenAndDarkenKeepTheSpareByte) {
  vbe_screen.drawing_bits = 32;
  EXPECT_EQ(On_Pixel(0x00C8500A, [] { Vbe_Brighten(100); }), 0x00FFB46Eu);
  EXPECT_EQ(On_Pixel(0x00C8500A, [] { Vbe_Darken(100); }), 0x00640000u);
  EXPECT_EQ(On_Pixel(0xAB000000, [] { Vbe_Brighten(0x1FF); }), 0xABFFFFFFu);  // level uses its low byte
  EXPECT_EQ(On_Pixel(0xAB102030, [] { Vbe_Darken(0x120); }), 0xAB000010u);
  EXPECT_EQ(On_Pixel(0x7F10F0F0, [] { Vbe_Add_Colour(0xFF203010); }), 0x7F30FFFFu);
  EXPECT_EQ(On_Pixel(0x7F10F0F0, [] { Vbe_Sub_Colour(0xFF203010); }), 0x7F00C0E0u);
  EXPECT_EQ(Vbe_Add_Colour_Pixel(0x00F0F0F0, 0x00202020), 0x00FFFFFFu);
}

TEST_F(PixelTest, KeepVariantsLeaveAPixelWholeWhenAnyChannelWouldLeaveTheRange) {
  EXPECT_EQ(On_Pixel(0x000000F5, [] { Vbe_Add_Colour_Keep(0x10); }), 0x000000F5u);
  EXPECT_EQ(On_Pixel(0x000000EF, [] { Vbe_Add_Colour_Keep(0x10); }), 0x000000FFu);
  EXPECT_EQ(On_Pixel(0x5A101010, [] { Vbe_Sub_Colour_Keep(0x000F1011); }), 0x5A101010u);
  EXPECT_EQ(On_Pixel(0x5A101010, [] { Vbe_Sub_Colour_Keep(0x000F1010); }), 0x5A010000u);
  Use_Frame(2, 1, {0x01F00000, 0x01100000});
  std::vector<u32> source = {0x02200001, 0x02200001};
  Vbe_Add_Buffer_Keep(frame.data(), source.data());
  EXPECT_EQ(frame[0], 0x01F00000u);
  EXPECT_EQ(frame[1], 0x01300001u);
}

TEST_F(PixelTest, WordOperationsAndTheirSpareBytes) {
  EXPECT_EQ(On_Pixel(0xFF818181, [] { Vbe_Halve(); }), 0x7F404040u);
  EXPECT_EQ(On_Pixel(0x12345678, [] { Vbe_Invert(); }), 0x12CBA987u);
  EXPECT_EQ(On_Pixel(0x11223344, [] { Vbe_Grey_From_Blue(); }), 0x33444444u);
  EXPECT_EQ(On_Pixel(0x00FFFFFF, [] { Vbe_Add_Constant(1); }), 0x01000000u);
  EXPECT_EQ(On_Pixel(7, [] { Vbe_Fill(0x80402010); }), 0x80402010u);
  EXPECT_EQ(On_Pixel(0x11223344, [] {
              u32 source = 0x02020202;
              Vbe_Add_Half(&source);
            }),
            0x12233445u);
  u32 dest = 0x00000001, src = 0x80F0F0F0;
  Use_Frame(1, 1);
  Vbe_Darken_Or(0x10, &src, &dest);
  EXPECT_EQ(dest, 0x80E0E0E1u);
  u32 buffer[2] = {0xFFFFFFFF, 0x00000010};
  Vbe_Add_Constant_Buffer(buffer, 8, 2);
  EXPECT_EQ(buffer[0], 1u);
  EXPECT_EQ(buffer[1], 0x12u);
}

TEST_F(PixelTest, AverageTrailAndHalfTrail) {
  Use_Frame(1, 1);
  u32 d = 0x00FF00FF, o = 0x00FF0001;
  Vbe_Average_Buffer(&d, &o);
  EXPECT_EQ(d, 0x00FF0080u);
  d = 0x77FF00FF;
  o = 0x33FF0001;
  Vbe_Trail(&d, &o);
  EXPECT_EQ(d, 0x77FF0080u);
  EXPECT_EQ(o, 0x77FF00FFu);
  d = 0x77FF00FF;
  o = 0x33FF0001;
  Vbe_Trail_Half(&d, &o);
  EXPECT_EQ(d, 0x77FF0080u);
  EXPECT_EQ(o, 0x3B7F007Fu);
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

TEST_F(PixelTest, ChannelRotationRunsRedSpareBlueGreen) {
  const u32 expected[5] = {0x1100CCDD, 0x0022CCDD, 0x1122CC00, 0x112200DD, 0x1100CCDD};
  for (u32 call = 0; call < 5; call++)
    EXPECT_EQ(On_Pixel(0x1122CCDD, [] { Vbe_Clear_Channel(); }), expected[call]) << call;
  Vbe_Reset_Channel_Counter();
  EXPECT_EQ(On_Pixel(0x1122CCDD, [] { Vbe_Darken_Channel(0x30); }), 0x1100CCDDu);
  EXPECT_EQ(On_Pixel(0x1122CCDD, [] { Vbe_Darken_Channel(0x30); }), 0x0022CCDDu);
}

TEST_F(PixelTest, MasksSwapsAndTransparentCopies) {
  Use_Frame(3, 1, {1, 2, 3});
  const u8 mask[3] = {0, 5, 9};
  Vbe_Mask(mask, frame.data(), 0);
  EXPECT_EQ(frame, (std::vector<u32>{0, 0, 0}));
  std::vector<u32> source = {7, 8, 9};
  Use_Frame(3, 1, {1, 2, 3});
  Vbe_Mask_Copy(mask, source.data(), 5);
  EXPECT_EQ(frame, (std::vector<u32>{1, 8, 9}));
  std::vector<u32> trans = {0, 0x01000000, 4};
  Vbe_Copy_Buffer_Trans(frame.data(), trans.data());
  EXPECT_EQ(frame, (std::vector<u32>{1, 0x01000000, 4}));
  u32 swap[2] = {0x11223344, 0xAABBCCDD};
  Vbe_Swap_Channel(swap, 2, 0, 2);
  EXPECT_EQ(swap[0], 0x11443322u);
  EXPECT_EQ(swap[1], 0xAADDCCBBu);
  Vbe_Swap_Channel(swap, 2, 0, 7);  // outside a pixel: refused
  EXPECT_EQ(swap[0], 0x11443322u);
}

TEST_F(PixelTest, PaletteExpansions) {
  std::vector<u32> palette(256);
  for (u32 i = 0; i < 256; i++) palette[i] = i * 0x010101u;
  Use_Frame(2, 2, {1, 1, 1, 1});
  const u8 source[4] = {0, 1, 2, 255};
  Vbe_Expand_8_Add_Const(source, palette.data(), 0x10);
  EXPECT_EQ(frame, (std::vector<u32>{0x11, 0x010112, 0x020213, 0xFFFFFFu + 0x11}));
  Use_Frame(320, 4);
  std::vector<u8> small(320);
  for (u32 i = 0; i < 320; i++) small[i] = u8(i);
  Vbe_Expand_8_Double(small.data(), palette.data());
  for (u32 y = 0; y < 4; y++)
    for (u32 x = 0; x < 320; x++) ASSERT_EQ(frame[y * 320 + x], palette[u8((y / 2) * 160 + x / 2)]) << x << "," << y;
  Use_Frame(100, 4);  // narrower than the fixed pitch: cut, never overrun
  Vbe_Expand_8_Double(small.data(), palette.data());
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
          std::vector<u32> grabbed(pw * ph, 0);
          cbitmap* back = Picture(pw, ph, grabbed);
          Vbe_Grab_Sprite(x, y, back);
          for (u32 py = 0; py < ph; py++)
            for (u32 px = 0; px < pw; px++) {
              i32 tx = x + i32(px), ty = y + i32(py);
              bool inside = tx >= 0 && ty >= 0 && tx < i32(fw) && ty < i32(fh);
              ASSERT_EQ(Vbe_Bitmap_Pixels(back)[py * pw + px], inside ? pixels[py * pw + px] : 0u);
            }
          Mem_Free(back);
        }
      Mem_Free(picture);
    }
  Vbe_Sprite(0, 0, nullptr);
}

TEST_F(PixelTest, SpriteAtNegativeXDrawsItsRightColumns) {
  std::vector<u32> pixels(20);
  for (u32 i = 0; i < 20; i++) pixels[i] = i + 1;
  cbitmap* picture = Picture(20, 1, pixels);
  Use_Frame(32, 1);
  Vbe_Sprite(-10, 0, picture);
  for (u32 x = 0; x < 32; x++) EXPECT_EQ(frame[x], x < 10 ? x + 11 : 0u);
  Use_Frame(32, 1);
  Vbe_Sprite(32, 0, picture);
  EXPECT_EQ(frame, std::vector<u32>(32, 0));
}

TEST_F(PixelTest, SpriteBlendModes) {
  cbitmap* picture = Picture(1, 1, {0x80C06020});
  auto draw = [&](u32 d, const std::function<void()>& blit) {
    Use_Frame(1, 1, {d});
    blit();
    return frame[0];
  };
  const u32 d = 0x0A30F040;
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Add(0, 0, picture); }), 0x0A30F040u + 0x80C06020u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Sat(0, 0, picture); }), 0x0AF0FF60u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Brighten(0, 0, picture, 0x50); }), 0x80FFB070u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken(0, 0, picture, 0x30); }), 0x80903000u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Trans(0, 0, picture, 0x30); }), 0x80903000u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Add(0, 0, picture, 0x30); }), 0x0A30F040u + 0x80903000u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Sat(0, 0, picture, 0x30); }), 0x80C0FF40u);
  // t = 0x80903000 (blue 0): d unchanged by the subtraction, then added.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Sub_Add(0, 0, picture, 0x30); }), 0x80903000u + 0x0A30F040u);
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Half_Add(0, 0, picture); }), 0x80C06020u + 0x05187820u);
  // Quarter of d = 0x020C3C10, plus the picture's blue 0x20 in each channel.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Quarter_Sat(0, 0, picture); }), 0x022C5C30u);
  // t = 0x80903000, plus blue of d halved (0x20) in each channel.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Half_Sat(0, 0, picture, 0x30); }), 0x80B05020u);
  cbitmap* blue = Picture(1, 1, {0x00000010});
  // t = 0x10 (level 0); u = d halved 0x05187820 less 0x10 per channel = 0x05086810.
  EXPECT_EQ(draw(d, [&] { Vbe_Sprite_Darken_Half_Sub_Add(0, 0, blue, 0); }), 0x05086820u);
  cbitmap* black = Picture(2, 1, {0x00000000, 0x01000000});
  Use_Frame(2, 1, {5, 5});
  Vbe_Sprite_Trans(0, 0, black);
  EXPECT_EQ(frame, (std::vector<u32>{5, 0x01000000}));
  Use_Frame(2, 1, {5, 5});
  Vbe_Sprite_Quarter_Sat(0, 0, black);
  EXPECT_EQ(frame, (std::vector<u32>{5, 1}));
}

TEST_F(PixelTest, EightBitSpritesAndTextureTargets) {
  std::vector<u32> palette(256);
  for (u32 i = 0; i < 256; i++) palette[i] = 0x00010000u * i;
  cbitmap* picture = static_cast<cbitmap*>(Mem_Alloc(8 + 3));
  picture->width = 3;
  picture->height = 1;
  Vbe_Bitmap_Bytes(picture)[0] = 0;
  Vbe_Bitmap_Bytes(picture)[1] = 1;
  Vbe_Bitmap_Bytes(picture)[2] = 2;
  Use_Frame(4, 1, {9, 9, 9, 9});
  Vbe_Sprite_8_Trans(1, 0, picture, palette.data());
  EXPECT_EQ(frame, (std::vector<u32>{9, 9, 0x10000, 0x20000}));
  Vbe_Sprite_8(-1, 0, picture, palette.data());
  EXPECT_EQ(frame, (std::vector<u32>{0x10000, 0x20000, 0x10000, 0x20000}));

  std::vector<u32> texture(256 * 256, 1);
  cbitmap* block = Picture(4, 4, std::vector<u32>(16, 2));
  Vbe_Sprite_To_Texture(254, 254, block, texture.data());
  Vbe_Sprite_To_Texture_Add(-2, -3, block, texture.data());
  u32 twos = 0, threes = 0;
  for (u32 v : texture) {
    twos += v == 2;
    threes += v == 3;
  }
  EXPECT_EQ(twos, 4u);
  EXPECT_EQ(threes, 2u);
  EXPECT_EQ(texture[255 * 256 + 255], 2u);
  EXPECT_EQ(texture[0 * 256 + 1], 3u);
}

TEST_F(PixelTest, RectangleSaturatingAddStaysInsideTheFrame) {
  Use_Frame(4, 3, std::vector<u32>(12, 0xAA0000F0));
  std::vector<u32> source(12, 0x00000020);
  Vbe_Add_Rect_Sat(source.data(), frame.data() + 4 + 2, 5, 5);  // cut to 2 columns, 2 rows
  for (u32 i = 0; i < 12; i++) {
    bool inside = (i == 6 || i == 7 || i == 10 || i == 11);
    EXPECT_EQ(frame[i], inside ? 0xAA2020FFu : 0xAA0000F0u) << i;
  }
}

TEST_F(PixelTest, RemapThroughZoomTables) {
  Use_Frame(4, 3);
  Vbe_Make_Zoom_Tables(0.0f);
  std::vector<u32> source = Random_Pixels(12, 3), out(12, 0);
  Vbe_Remap(out.data(), source.data());
  EXPECT_EQ(out, source);
  Vbe_Make_Zoom_Tables(1.0f);  // width 4: 1 + x * 1/3 -> 1, 1, 1, 2; height 3: 1, 1, 1
  Vbe_Remap(out.data(), source.data());
  EXPECT_EQ(out[0], source[4 + 1]);
  EXPECT_EQ(out[3], source[4 + 2]);
  EXPECT_EQ(out[11], source[4 + 2]);
}

TEST_F(PixelTest, ClearsLeaveNoWordAndSkipAMissingMixBuffer) {
  Use_Frame(5, 1, {1, 2, 3, 4, 5});
  Vbe_Clear();
  EXPECT_EQ(frame, std::vector<u32>(5, 0));
  Vbe_Clear_Second();  // no mix buffer: nothing
}

}  // namespace
