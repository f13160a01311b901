// PCX reader and writer: hand-made files, byte-exact writer output, round trips, and files other programs make and read.
#include "video/pcx.h"

#include <algorithm>

#include "tests/engine_fixture.h"

namespace {
using Pcx = VideoTest;

// A header as other programs write it; data follows.
std::vector<u8> Header(u16 width, u16 height, u8 planes, u16 bytes_per_line, i8 version = 5, u8 bits = 8) {
  std::vector<u8> h(128, 0);
  const u16 words[] = {0, 0, u16(width - 1), u16(height - 1), 72, 72};
  h[0] = 10, h[1] = u8(version), h[2] = 1, h[3] = bits, h[65] = planes;
  for (u32 i = 0; i < 6; i++) h[4 + 2 * i] = u8(words[i]), h[5 + 2 * i] = u8(words[i] >> 8);
  h[66] = u8(bytes_per_line), h[67] = u8(bytes_per_line >> 8), h[68] = planes == 1 ? 2 : 1;
  return h;
}

void Add_Palette(std::vector<u8>* file) {
  file->push_back(12);
  for (u32 i = 0; i < 768; i++) file->push_back(u8(255 - i % 256));
}

// Pixels that cover runs, literals and bytes of 192 and above.
std::vector<u8> Test_Rgb(u32 width, u32 height) {
  std::vector<u8> rgb;
  for (u32 y = 0; y < height; y++)
    for (u32 x = 0; x < width; x++) rgb.insert(rgb.end(), {u8(x < width / 2 ? 200 : x * 40 + y), u8(y * 60 + 7), u8(x * 13 + y * 101)});
  return rgb;
}

// count copies of value, then the rest.
std::vector<u32> Run_Then(u32 count, u32 value, std::vector<u32> rest) {
  rest.insert(rest.begin(), count, value);
  return rest;
}

u32 Pixel_Of(const u8* rgb) { return u32(rgb[0]) << 16 | u32(rgb[1]) << 8 | rgb[2]; }

PcxPicture Decode_Ok(const std::vector<u8>& file) {
  PcxPicture picture = {};
  const char* error = Pcx_Decode(file.data(), u32(file.size()), "test.pcx", 0, &picture);
  EXPECT_EQ(error, nullptr) << error;
  return picture;
}

// The true-colour file another program wrote from `rgb` reads back as those pixels.
void Expect_Reads(const std::string& path, const std::vector<u8>& rgb, u32 width, u32 height) {
  std::vector<u8> file;
  ASSERT_TRUE(Read_File(path, &file));
  PcxPicture picture = Decode_Ok(file);
  ASSERT_EQ(picture.header.hres, width);
  for (u32 i = 0; i < width * height; i++)
    ASSERT_EQ(Pcx_Get_Pixel(&picture, i32(i % width), i32(i / width)), Pixel_Of(&rgb[i * 3])) << width << " " << i;
  Pcx_Free(&picture);
}

std::string Decode_Error(const std::vector<u8>& file) {
  PcxPicture picture = {};
  u16 blocks = Mem_Get_Count();
  const char* error = Pcx_Decode(file.data(), u32(file.size()), "bad.pcx", 0, &picture);
  EXPECT_EQ(Mem_Get_Count(), blocks) << "a refused file leaves no block behind";
  return error ? error : "";
}
}  // namespace

TEST_F(Pcx, TheStreamIsWidthTimesHeightTimesPlanesBytes) {
  // Any plane count but 3 and any bit depth is read as one byte a pixel; bytes per line is not read; runs
  // cross row ends (a count of 0 repeats 256 times) and a run crossing the picture's end is cut there.
  // The palette's 6-bit entries are the file's bytes shifted down.
  struct Row {
    const char* what;
    u16 width, height;
    u8 planes, bits;
    u16 bytes_per_line;
    std::vector<u8> data;
    std::vector<u32> pixels;
  } rows[] = {
      {"runs and literals", 5, 1, 1, 8, 5, {0xC1, 0xC5, 0xC3, 0x10, 0x07}, {0xC5, 0x10, 0x10, 0x10, 0x07}},
      {"count 0", 257, 1, 1, 8, 257, {0xC0, 0x22, 0x07}, Run_Then(256, 0x22, {0x07})},
      // Red planes FF 00, green 00 80, blue 00 01; the second row all 0x10 in one run.
      {"3 planes", 2, 2, 3, 8, 2, {0xC1, 0xFF, 0, 0, 0x80, 0, 1, 0xC6, 0x10}, {0xFF0000, 0x008001, 0x101010, 0x101010}},
      {"2 planes", 2, 1, 2, 8, 2, {5, 6}, {5, 6}},
      {"4 planes", 2, 1, 4, 8, 2, {0xC2, 4}, {4, 4}},
      {"padding", 3, 1, 3, 8, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {0x010407, 0x020508, 0x030609}},
      {"cut run", 2, 1, 3, 8, 2, {1, 2, 3, 4, 5, 0xC3, 6}, {0x010305, 0x020406}},
      // Past the file's end the stream reads 0: a missing byte, a count whose value is missing.
      {"short", 2, 1, 3, 8, 2, {1, 2, 3, 4, 5}, {0x010305, 0x020400}},
      {"short run", 2, 1, 3, 8, 2, {1, 2, 3, 4, 5, 0xC2}, {0x010305, 0x020400}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<u8> file = Header(row.width, row.height, row.planes, row.bytes_per_line, 5, row.bits);
    file.insert(file.end(), row.data.begin(), row.data.end());
    if (row.planes != 3) Add_Palette(&file);
    PcxPicture picture = Decode_Ok(file);
    EXPECT_EQ(picture.header.colour_planes, row.planes == 3 ? 4 : row.planes == 4 ? 1 : row.planes);
    for (u32 i = 0; i < row.pixels.size(); i++)
      EXPECT_EQ(Pcx_Get_Pixel(&picture, i32(i % row.width), i32(i / row.width)), row.pixels[i]) << i;
    if (row.planes != 3) {
      EXPECT_EQ(picture.palette[767], (255 - 767 % 256) >> 2);
    }
    Pcx_Free(&picture);
  }
}

TEST_F(Pcx, RefusesOnlyBadHeadersAndWhatWouldReachPastMemory) {
  for (i8 version : {0, 5, -128, -1}) {
    std::vector<u8> file = Header(1, 1, 3, 1, version);
    file.insert(file.end(), {1, 2, 3});
    PcxPicture picture = Decode_Ok(file);
    Pcx_Free(&picture);
  }
  std::vector<u8> good = Header(2, 1, 3, 2);
  good.insert(good.end(), {1, 2, 3, 4, 5, 6});
  auto changed = [&](u32 at, u8 value) {
    std::vector<u8> f = good;
    f[at] = value;
    return f;
  };
  std::vector<u8> huge = Header(8192, 8192, 3, 8192);  // 256 MB of pixels
  huge.resize(huge.size() + 4000000, 0xC0);
  struct Row {
    std::vector<u8> file;
    const char* message;
  } rows[] = {
      {std::vector<u8>(good.begin(), good.begin() + 100), "Pcx: Unknown PCX format: "},
      {changed(0, 11), "Pcx: Unknown PCX format: "},
      {changed(1, 6), "Pcx: Unknown PCX format: "},
      {changed(2, 0), "Pcx: Unknown PCX format: "},
      {changed(4, 2), "Pcx: Bad picture size: "},  // xmin one above xmax: width 0
      {huge, "Pcx: Bad picture size: "},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode_Error(row.file), row.message);
}

TEST_F(Pcx, ReadsTheBytesOfOneAndFourBitFilesOfOtherProgramsAsPixels) {
  // The data as such a file means it: per row its planes of bytes-per-line bytes, a pixel's index (its colour's
  // place in the header's 16-colour palette) packed in bits, high bits first, plane p holding bit p of it with
  // four planes. Its first width x height bytes are the pixels, zeros past it; the palette the last 768 bytes.
  for (const char* name : {"im_1bit_200x120", "netpbm_1bit_37x23", "netpbm_packed_40x30", "netpbm_packed_53x31",
                           "netpbm_packed_300x200", "netpbm_planes_40x30", "netpbm_planes_53x31", "netpbm_planes_300x200"}) {
    SCOPED_TRACE(name);
    std::vector<u8> f;
    ASSERT_TRUE(Read_File(std::string(VELMORAN_SOURCE_DIR) + "/tests/data/pcx_bits/" + name + ".pcx", &f));
    u32 width = (f[8] | f[9] << 8) + 1u, height = (f[10] | f[11] << 8) + 1u, bits = f[3], planes = f[65], line = f[66] | f[67] << 8;
    std::vector<u8> data(std::max(width * height, height * planes * line), 0);
    for (u32 y = 0; y < height; y++)
      for (u32 x = 0; x < width; x++) {
        // The picture as tests/data/pcx_bits/pictures.py makes it: black and white blocks (which ImageMagick
        // writes inverted, and netpbm and ImageMagick read back so), or 16 colours.
        const u32 k = (x / 4 + y / 3 * 5) % 16, white = (x / 7 + y / 5) % 3 == 0 ? 0xFFFFFF : 0;
        u32 colour = bits == 1 && planes == 1 ? white ^ (name[0] == 'i' ? 0xFFFFFF : 0) : (k * 17) << 16 | (255 - k * 17) << 8 | (k * 53 % 256), index = 0;
        while (index < 16 && Pixel_Of(&f[16 + 3 * index]) != colour) index++;
        ASSERT_LT(index, 16u) << x << " " << y;
        for (u32 p = 0; p < planes; p++) {
          u32 value = planes > 1 ? (index >> p) & 1 : index, bit = x * bits;
          data[(y * planes + p) * line + bit / 8] |= u8(value << (8 - bits - bit % 8));
        }
      }
    // ImageMagick adds a 256-colour palette, which the stream reads on into: 12, black (0 0 0), then white
    // (FF FF FF) and zeros, whose FF FF and FF 00 are runs of 63.
    if (name[0] == 'i') data[height * line] = 12, std::fill_n(data.begin() + height * line + 4, 63, 0xFF);
    PcxPicture picture = Decode_Ok(f);
    ASSERT_EQ(picture.header.hres * picture.header.vres, width * height);
    EXPECT_EQ(std::vector<u8>(picture.pixels, picture.pixels + width * height),
              std::vector<u8>(data.begin(), data.begin() + width * height));
    for (u32 i = 0; i < 768; i++) ASSERT_EQ(picture.palette[i], f.size() < 768 ? 0 : f[f.size() - 768 + i] >> 2) << i;
    Pcx_Free(&picture);
  }
}

TEST_F(Pcx, SaveWritesTheHandMadeBytesAndReportsFailures) {
  u32 black[2] = {0, 0};
  ASSERT_EQ(Pcx_Save(black, 2, 1, 32, "pcx_black.pcx"), PCX_SAVE_OK);
  std::vector<u8> b;
  ASSERT_TRUE(Read_File("pcx_black.pcx", &b));
  ASSERT_EQ(b.size(), 130u);
  std::vector<u8> header = Header(2, 1, 3, 2);
  header[12] = 2, header[13] = 0, header[14] = 1, header[15] = 0;  // hres, vres: the size
  EXPECT_EQ(std::vector<u8>(b.begin(), b.begin() + 128), header);
  EXPECT_EQ(std::tuple(b[128], b[129]), std::tuple(0xC6, 0x00));

  // Runs stop at 63 and at the row end; a lone byte of 192 and above is a run of one; the grey ramp follows.
  std::vector<u8> rows(2 * 70, 0x05);
  rows[139] = 0xC8;
  ASSERT_EQ(Pcx_Save(rows.data(), 70, 2, 8, "pcx_runs.pcx"), PCX_SAVE_OK);
  ASSERT_TRUE(Read_File("pcx_runs.pcx", &b));
  ASSERT_EQ(b.size(), 128u + 10 + 1 + 768);
  EXPECT_EQ(std::vector<u8>(b.begin() + 128, b.begin() + 138), (std::vector<u8>{0xFF, 5, 0xC7, 5, 0xFF, 5, 0xC6, 5, 0xC1, 0xC8}));
  EXPECT_EQ(b[138], 12);
  for (u32 i = 0; i < 768; i++) ASSERT_EQ(b[139 + i], i / 3);

  u32 pixel = 0;
  EXPECT_EQ(Pcx_Save(&pixel, 1, 1, 16, "pcx_depth.pcx"), PCX_SAVE_CANNOT_OPEN);
  EXPECT_NE(std::system("test -e pcx_depth.pcx"), 0) << "a refused depth creates no file";
  EXPECT_EQ(Pcx_Save(&pixel, 0, 1, 32, "pcx_empty.pcx"), PCX_SAVE_CANNOT_OPEN);
  EXPECT_EQ(Pcx_Save(&pixel, 1, 1, 32, "no_such_dir/shot01.pcx"), PCX_SAVE_CANNOT_OPEN);
  EXPECT_EQ(Pcx_Save(&pixel, 1, 1, 32, "/dev/full"), PCX_SAVE_WRITE_ERROR);
}

TEST_F(Pcx, ReadsTrueColourAndPaletteFilesMadeByImageMagickAndFfmpeg) {
  for (const char* tool : {"convert", "ffmpeg"}) Require_Tool(tool);
  for (u32 width : {1u, 4u, 5u, 10u, 255u}) {
    u32 height = 6;
    std::vector<u8> rgb = Test_Rgb(width, height);
    ASSERT_TRUE(Write_File("pcx_im.rgb", rgb));
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    Run_Command("convert -size " + size + " -depth 8 rgb:pcx_im.rgb -alpha off -type TrueColor pcx_im24.pcx");
    Expect_Reads("pcx_im24.pcx", rgb, width, height);
    // ffmpeg pads lines to an even length; lines of exactly the width are read as they are.
    if (width % 2 == 0)
      Run_Command("ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s " + size + " -i pcx_im.rgb pcx_ff.pcx"), Expect_Reads("pcx_ff.pcx", rgb, width, height);

    for (u8& c : rgb) c &= 0xC0;  // at most 64 colours, so that a palette picture holds them exactly
    ASSERT_TRUE(Write_File("pcx_im.rgb", rgb));
    Run_Command("convert -size " + size + " -depth 8 rgb:pcx_im.rgb -alpha off -type Palette pcx_im8.pcx");
    std::vector<u8> file;
    ASSERT_TRUE(Read_File("pcx_im8.pcx", &file));
    PcxPicture picture = Decode_Ok(file);
    ASSERT_EQ(picture.header.colour_planes, 1) << "ImageMagick wrote no palette picture for width " << width;
    const u8* palette = &file[file.size() - 768];
    for (u32 i = 0; i < width * height; i++) ASSERT_EQ(Pixel_Of(&palette[picture.pixels[i] * 3]), Pixel_Of(&rgb[i * 3])) << i;
    Pcx_Free(&picture);
  }
}

TEST_F(Pcx, ImageMagickReadsTheWritersFiles) {
  Require_Tool("convert");
  for (u32 width : {2u, 5u, 130u}) {
    u32 height = 5;
    std::vector<u8> rgb = Test_Rgb(width, height);
    std::vector<u32> frame(width * height);
    for (u32 i = 0; i < frame.size(); i++) frame[i] = Pixel_Of(&rgb[i * 3]);
    ASSERT_EQ(Pcx_Save(frame.data(), i32(width), i32(height), 32, "pcx_shot.pcx"), PCX_SAVE_OK);
    EXPECT_EQ(Run_Command("convert pcx_shot.pcx -depth 8 rgb:-"), rgb) << width;
    std::vector<u8> indices(width * height);
    for (u32 i = 0; i < indices.size(); i++) indices[i] = rgb[i * 3 + 2];
    ASSERT_EQ(Pcx_Save(indices.data(), i32(width), i32(height), 8, "pcx_shot8.pcx"), PCX_SAVE_OK);
    EXPECT_EQ(Run_Command("convert pcx_shot8.pcx -depth 8 gray:-"), indices) << "the grey ramp maps an index to its level";
  }
}

TEST_F(Pcx, LoadsThroughTheFileLayerAndCutsOnlyInsideThePicture) {
  std::vector<u32> frame(160 * 130);
  for (u32 i = 0; i < frame.size(); i++) frame[i] = (i * 2654435761u) & 0xFFFFFF;
  ASSERT_EQ(Pcx_Save(frame.data(), 160, 130, 32, "pcx_bitmap.pcx"), PCX_SAVE_OK);
  cbitmap* bitmap = Pcx_Load_Bitmap("pcx_bitmap.pcx");
  const u32* words = reinterpret_cast<const u32*>(bitmap);  // the size, then the pixels 8 bytes in
  EXPECT_EQ(std::vector<u32>(words, words + 4), (std::vector<u32>{160, 130, frame[0], frame[1]}));
  EXPECT_EQ(std::vector<u32>(Vbe_Bitmap_Pixels(bitmap), Vbe_Bitmap_Pixels(bitmap) + frame.size()), frame);
  u8* pixels = Pcx_Load_Global("pcx_bitmap.pcx");
  EXPECT_EQ(pixels, Pcx_Global()->pixels);
  cbitmap* cut = Pcx_Cut_Bitmap(Pcx_Global(), 158, 128, 2, 2);
  EXPECT_EQ(Vbe_Bitmap_Pixels(cut)[3], frame[129 * 160 + 159]);
  u32 into[2 + 4];
  Pcx_Cut_Into(Pcx_Global(), 0, 1, 2, 2, into);
  EXPECT_EQ(std::vector<u32>(into, into + 6), (std::vector<u32>{2, 2, frame[160], frame[161], frame[320], frame[321]}));
  EXPECT_FATAL("Pcx: Cut outside the picture", Pcx_Cut_Bitmap(Pcx_Global(), 159, 0, 2, 1));
  // A cut whose last row would lie beyond the largest row number is refused, not wrapped.
  EXPECT_FATAL("Pcx: Cut outside the picture", Pcx_Cut_Bitmap(Pcx_Global(), 0, 129, 1, INT32_MAX));
  EXPECT_FATAL("Pcx: Pixel outside the picture", Pcx_Get_Pixel(Pcx_Global(), 0, 130));
  EXPECT_FATAL("Pcx: Pixel outside the picture", Pcx_Get_Pixel(Pcx_Global(), -1, 0));
  std::vector<u8> file = Header(2, 1, 3, 2, 6);
  file.resize(file.size() + 6, 1);
  ASSERT_TRUE(Write_File("pcx_version6.pcx", file));
  PcxPicture picture;
  EXPECT_FATAL("Pcx: Unknown PCX format: pcx_version6.pcx", Pcx_Load("pcx_version6.pcx", &picture));
  ASSERT_TRUE(Write_File("pcx_short.pcx", std::vector<u8>(file.begin(), file.begin() + 100)));
  EXPECT_FATAL("Pcx: Unknown PCX format: pcx_short.pcx", Pcx_Load("pcx_short.pcx", &picture));
  u8 index = 3;
  ASSERT_EQ(Pcx_Save(&index, 1, 1, 8, "pcx_eight.pcx"), PCX_SAVE_OK);
  // A cbitmap holds 32-bit pixels.
  EXPECT_FATAL("Pcx: Not a 24-bit picture: pcx_eight.pcx", Pcx_Load_Bitmap("pcx_eight.pcx"));
}
