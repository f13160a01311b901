// Fonts and debug text: overlay lines pixel by pixel, clipping and fonts cut from a grid.
#include "video/font.h"

#include "video/pcx.h"
#include "tests/engine_fixture.h"

namespace {
const u32 kInk = 0xF0F0F0;

// A frame of width x height inside a larger buffer whose margins must stay untouched.
class Frame : public ::testing::Test {
 protected:
  static const u32 kMargin = 64;
  std::vector<u32> store;
  u32 width = 0, height = 0;
  void Use_Frame(u32 w, u32 h) {
    width = w, height = h;
    store.assign(w * h + 2 * kMargin, 0x55555555);
    for (u32 i = 0; i < w * h; i++) store[kMargin + i] = 0;
    vbe_screen.frame = store.data() + kMargin;
    vbe_screen.width = w, vbe_screen.height = h;
  }
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Use_Frame(160, 100);
  }
  u32 At(u32 x, u32 y) const { return store[kMargin + y * width + x]; }
  void Expect_Margins_Untouched() const {
    for (u32 i = 0; i < kMargin; i++) {
      ASSERT_EQ(store[i], 0x55555555u);
      ASSERT_EQ(store[store.size() - 1 - i], 0x55555555u);
    }
  }
  // The 8x6 cell at (x, y) as six bytes, bit 7 the leftmost pixel, a bit set where the colour is.
  std::vector<u8> Cell(u32 x, u32 y, u32 colour) const {
    std::vector<u8> rows(6, 0);
    for (u32 j = 0; j < 6; j++)
      for (u32 i = 0; i < 8; i++)
        if (At(x + i, y + j) == colour) rows[j] |= u8(0x80 >> i);
    return rows;
  }
};

// The six glyph bytes of each overlay character from space to underscore, in hexadecimal.
const char kGlyphHex[] =
    "000000000000303030003000D890000000006CFE6CFE6C007ED07C16FC00CC183060CC00609074D86C00302000000000"
    "60C0C0C06000180C0C0C18006C38FE386C000030FC30000000000030200000007C00000000000000C0000C183060C000"
    "788484847800040C14040400788418207C007804380478008484FC040400FC80F804F8003040F8847800FC0408101000"
    "78847884780078847C0830000030003000000030003020003060C0603000007C007C000030180C18300078CC18001800"
    "78CCDCC07C00304884FC8400F884F884F8007C8080807C00F8848484F800FC80F080FC00FC80F08080007C8084847C00"
    "8484FC8484001010101010000404048478008488F088840080808080FC0082C6AA92820084C4A4948C00788484847800"
    "F884F8808000788484781C00F884F89088007C807804F800FE1010101000848484847800848484483000828292AA4400"
    "844830488400888850202000F8102040F800C0C0C0C0C0C000C0C0C0C0C0000000C0C0C00000000000C0000000000000";
std::vector<u8> Glyph(char c) {
  std::vector<u8> bytes;
  for (u32 i = 0; i < 6; i++) bytes.push_back(u8(std::stoul(std::string(&kGlyphHex[(c - 32) * 12 + 2 * i], 2), 0, 16)));
  return bytes;
}
}  // namespace

TEST_F(Frame, DebugPrintDrawsTheFrameRateLineAndWraps) {
  Vbe_Set_Print_Line(1);
  Vbe_Debug_Print("FPS: %2.2f", 85.0);
  EXPECT_EQ(Vbe_Get_Print_Line(), 20u);
  std::string text = "FPS: 85.00";
  for (u32 i = 0; i < text.size(); i++) EXPECT_EQ(Cell(15 + 8 * i, 10, kInk), Glyph(text[i])) << text[i];
  u32 inked = 0;
  for (u32 i = 0; i < width * height; i++) inked += store[kMargin + i] == kInk;
  EXPECT_EQ(inked, 13u + 14 + 16 + 4 + 16 + 18 + 2 + 14 + 14) << "only the glyphs' set bits are drawn";
  Vbe_Debug_Print("!");
  EXPECT_EQ(Vbe_Get_Print_Line(), 0u) << "an exclamation mark starts at the top again and draws nothing";
  Vbe_Set_Print_Line(9);  // y 90; the next line would be 100, at the frame's height
  Vbe_Debug_Print("a");
  EXPECT_EQ(Cell(15, 90, kInk), Glyph('A')) << "lower case prints as upper case";
  Vbe_Debug_Print("x");
  EXPECT_EQ(Vbe_Get_Print_Line(), 0u) << "past the height the line starts at the top again";
  Expect_Margins_Untouched();
}

TEST_F(Frame, DrawTextFoldsCodesOntoTheGlyphTable) {
  Vbe_Draw_Text(0, 0, "a_[^", 7);  // an underscore draws as a question mark
  for (u32 i = 0; i < 4; i++) EXPECT_EQ(Cell(8 * i, 0, 7), Glyph("A?[^"[i])) << i;
  Vbe_Draw_Text(0, 10, "\x01\x1f\x80\xff", 7);  // no glyphs: drawn as spaces
  for (u32 x = 0; x < 32; x++) ASSERT_EQ(Cell(x, 10, 7), std::vector<u8>(6, 0));
  for (u32 k = 0; k < 63; k++) {  // an underscore folds onto the question mark
    const char one[2] = {char(32 + k), 0};
    Vbe_Draw_Text(8 * (k % 16), 20 + 8 * (k / 16), one, 7);
    EXPECT_EQ(Cell(8 * (k % 16), 20 + 8 * (k / 16), 7), Glyph(one[0])) << one;
  }
}

TEST_F(Frame, TextLeavingTheFrameIsClipped) {
  Use_Frame(20, 8);
  Vbe_Set_Print_Line(0);
  for (int i = 0; i < 3; i++) Vbe_Debug_Print("%s", "A LINE FAR TOO LONG FOR THIS FRAME");
  Vbe_Draw_Text(14, 4, "88", 9);   // right and bottom edges
  Vbe_Draw_Text(-5, -3, "88", 9);  // left and top edges
  Expect_Margins_Untouched();
  // The first 8's top row is 78: pixels 1 to 4 of the cell; row 3 of the 8 at x -5 (84): pixel 0 is clipped,
  // pixel 5 lands at 0.
  EXPECT_EQ(std::vector<u32>({At(15, 4), At(18, 4), At(0, 0)}), std::vector<u32>(3, 9));
  // From 3 short of the largest x and y the pixels lie past the frame: nothing is drawn, nothing wraps.
  const std::vector<u32> before = store;
  Vbe_Draw_Text(INT32_MAX - 3, 0, "88", 9), Vbe_Draw_Text(0, INT32_MAX - 3, "88", 9);
  EXPECT_EQ(store, before);
}

namespace {
// A 2x1 grid of 3x2 cells with 1-pixel separators (9 x 4 pixels), as an 8-bit PCX in memory.
PcxPicture Grid(void) {
  const u8 cells[4][9] = {
      {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 0, 0, 7, 8, 0}, {0, 4, 5, 6, 0, 0, 0, 9, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}};
  ByteWriter w;
  w.u8_(10), w.u8_(5), w.u8_(1), w.u8_(8);
  w.u16_(0), w.u16_(0), w.u16_(8), w.u16_(3), w.u16_(0), w.u16_(0);
  w.bytes.resize(65, 0);
  w.u8_(1);
  w.u16_(9);
  w.u16_(1);
  w.bytes.resize(128, 0);
  for (u32 y = 0; y < 4; y++)
    for (u32 x = 0; x < 9; x++) w.u8_(cells[y][x]);
  w.u8_(12);
  for (u32 i = 0; i < 256; i++) w.u8_(u8(4 * i)), w.u8_(0), w.u8_(u8(255 - i));
  PcxPicture picture = {};
  EXPECT_EQ(Pcx_Decode(w.bytes.data(), u32(w.bytes.size()), "grid.pcx", 0, &picture), nullptr);
  return picture;
}
}  // namespace

TEST_F(Frame, FontCreateCutsTheCellsOfTheMap) {
  PcxPicture picture = Grid();
  FontTable font;
  Font_Create(&font, &picture, 0, 0, 3, 2, 2, 1, "AB");
  EXPECT_EQ(font.glyph[u8('C')], nullptr);
  ASSERT_NE(font.glyph[u8('B')], nullptr);
  EXPECT_EQ(std::vector<u8>(Vbe_Bitmap_Bytes(font.glyph[u8('B')]), Vbe_Bitmap_Bytes(font.glyph[u8('B')]) + 6),
            (std::vector<u8>{0, 7, 8, 0, 0, 9}));
  EXPECT_STREQ(Mem_Get_Description(font.block), "Font: Pcx: grid.pcx");

  // Through the palette, zero bytes skipped, one cell width per character, a gap for a missing glyph.
  u32 palette[256];
  for (u32 i = 0; i < 256; i++) palette[i] = 0x100 + i;
  Font_Set_Palette(palette);
  EXPECT_EQ(Font_Print_Colour(&font, 2, 3, "AzB\xc1"), 0);
  // (8, 3) is B's zero pixel.
  EXPECT_EQ(std::vector<u32>({At(2, 3), At(4, 4), At(8, 3), At(9, 3), At(10, 4)}),
            std::vector<u32>({0x101, 0x106, 0, 0x107, 0x109}));
  EXPECT_FATAL("Font: Font_Print needs a 32-bit font", Font_Print(&font, 0, 0, "A"));
  Expect_Margins_Untouched();
  Mem_Free(font.block);
  Pcx_Free(&picture);
}

// Refused: a glyph block past 2 GB, also when its size wraps in 64 bits ((112 + 16) x 2^29 x 2^28 is 2^64,
// which would leave 16 bytes), and an 8-bit font drawn by a routine that reads 32-bit pixels.
TEST_F(Frame, FontSizesThatDoNotFitAndEightBitGlyphsForThirtyTwoBitRoutinesAreFatal) {
  PcxPicture picture = Grid();
  FontTable font;
  const struct {
    u32 width, height, columns, rows;
  } sizes[] = {{112, 1, 1u << 29, 1u << 28}, {1u << 16, 1u << 15, 1, 1}};
  for (auto& s : sizes)
    EXPECT_FATAL("Font: Font too large", Font_Create(&font, &picture, 0, 0, s.width, s.height, s.columns, s.rows, "A"));
  Font_Create(&font, &picture, 0, 0, 3, 2, 2, 1, "AB");
  EXPECT_FATAL("Font: Font_Print_With needs a 32-bit font", Font_Print_With(&font, 0, 0, "A", Vbe_Sprite_Trans));
  Mem_Free(font.block);
  Pcx_Free(&picture);
}
