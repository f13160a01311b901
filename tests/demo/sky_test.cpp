// Sky layer: palettes, level fades, the padded load and the two-layer draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "demo/sky/sky.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "video/pixel.h"

namespace {
u32 Grey(u32 v) { return v << 16 | v << 8 | v; }

// A sky whose every byte tells its frame, row and column apart: (frame * 7 + row * 3 + column) mod 64.
std::vector<u8> Pattern_Sky(u32 bytes = kSkyFileBytes) {
  std::vector<u8> sky(bytes);
  for (u32 i = 0; i < bytes; i++)
    sky[i] = u8((i / kSkyFrameBytes * 7 + i % kSkyFrameBytes / kSkyWidth * 3 + i % kSkyWidth) % 64);
  return sky;
}

// The byte a layer shows at design pixel (x, y): its frame read from `rows` rows down, doubled.
u8 Layer_Byte(const std::vector<u8>& sky, i32 frame, u32 rows, u32 x, u32 y) {
  const size_t i = size_t(frame) * kSkyFrameBytes + (rows + y / 2) * kSkyWidth + x / 2;
  return i < sky.size() ? sky[i] : 0;
}

// The design pixel both layers add at level l (base brightness 0): min(i + 1, l) and 4 + min(i + 1, l / 2 - 4).
u32 Expected_Sky(const std::vector<u8>& sky, i32 frame_a, i32 frame_b, i32 level, u32 x, u32 y) {
  const u32 a = std::min<u32>(Layer_Byte(sky, frame_a, 2, x, y) + 1u, u32(level));
  const u32 b = std::min<u32>(4u + Layer_Byte(sky, frame_b, 4, x, y) + 1u, u32(level / 2));
  return Grey(a) + Grey(b);
}
}  // namespace

// Each byte steps by one an entry from the base towards the target and stays there: base, target, then
// (entry, value) pairs. Red falls from 3 while green rises to 2, blue to 200 and the spare byte falls from 1.
TEST(SkyPalette, EachByteStepsByOneAnEntryTowardsTheTarget) {
  const std::pair<std::pair<u32, u32>, std::vector<std::pair<u32, u32>>> rows[] = {
      {{Grey(0), Grey(222)}, {{0, Grey(1)}, {99, Grey(100)}, {221, Grey(222)}, {255, Grey(222)}}},
      {{Grey(4), Grey(111)}, {{0, Grey(5)}, {106, Grey(111)}, {200, Grey(111)}}},
      {{Grey(4), Grey(0)}, {{0, Grey(3)}, {1, Grey(2)}, {3, Grey(0)}, {255, Grey(0)}}},
      {{0x01030000u, 0x000002C8u}, {{0, 0x00020101u}, {1, 0x00010202u}, {5, 0x00000206u}, {255, 0x000002C8u}}}};
  for (auto& [ends, entries] : rows) {
    Sky_Make_Palette(ends.first, ends.second);
    for (auto [i, v] : entries) EXPECT_EQ(Sky_Palette()[i], v) << std::hex << ends.first << " " << ends.second << " @" << i;
  }
}

// Fading in rises by two from 8 to 222 and stays; fading out falls by one from 204 to 69, then by two to 1.
TEST(SkyLevel, FadesStepToTheirEndsAndStay) {
  EXPECT_CHILD(0, Child_Pass([] {
    std::vector<i32> in, out;
    for (i32 l = 8; l <= 222; l += 2) in.push_back(l);
    for (i32 l = 204; l >= 69; l--) out.push_back(l);
    for (i32 l = 67; l >= 1; l -= 2) out.push_back(l);
    in.insert(in.end(), 20, 222);
    out.insert(out.end(), 20, 1);
    bool ok = true;
    for (auto& [start, want] : {std::make_pair(Sky_Fade_In, in), std::make_pair(Sky_Fade_Out, out)}) {
      start();
      for (size_t i = 0; i < want.size() && ok; i++, Sky_Tick()) ok = CHILD_EQ(Sky_Level(), want[i]);
    }
    return ok;
  }()));
}

TEST(SkyLoad, PadsTheAnimationWithZerosAndAShortFileIsFatal) {
  EXPECT_CHILD(0, Child_Pass([] {
    const std::vector<u8> sky = Pattern_Sky();
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", sky, DATAFILE_RAW}}), &surface);
    Sky_Load();
    const u8* a = Sky_Animation();
    bool ok = CHILD_EQ(Mem_Get_Size(a), kSkyFileBytes + kSkyPadBytes);
    ok = ok && Child_Check(std::equal(sky.begin(), sky.end(), a), "frames as in the file");
    ok = ok && Child_Check(std::all_of(a + kSkyFileBytes, a + kSkyFileBytes + kSkyPadBytes, [](u8 b) { return b == 0; }),
                           "zero tail");
    return ok && CHILD_EQ(Sky_Layer_Frame(0), 0) && CHILD_EQ(Sky_Layer_Frame(1), 16);
  }()));
  const std::string short_data = Scene_Datafile({{"sky/sky.pic", Pattern_Sky(kSkyFileBytes - 1), DATAFILE_RAW}});
  EXPECT_FATAL("Sky: sky/sky.pic too small", {
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, short_data, &surface);
    Sky_Load();
  });
}

// Both layers are added to the frame, at 640x400 through the design buffer stretched 2x2; 63 ticks bring
// the fade to 134 and layer A round to frame 0 again.
TEST(SkyDraw, AddsBothLayersDoubledOnTheFrame) {
  for (u32 width : {320u, 640u}) {
    EXPECT_CHILD(0, Child_Pass([width] {
      const std::vector<u8> sky = Pattern_Sky();
      std::vector<u32> surface;
      Engine_Start_Host(width, width * 5 / 8, Scene_Datafile({{"sky/sky.pic", sky, DATAFILE_RAW}}), &surface);
      Sky_Load();
      Sky_Fade_In();
      for (int t = 0; t < 63; t++) Sky_Tick();
      const i32 level = Sky_Level();
      const u32 k = width / 320, h = vbe_screen.height;
      bool ok = CHILD_EQ(level, 134) && CHILD_EQ(Sky_Layer_Frame(0), 0) && CHILD_EQ(h, 172 * k);
      Vbe_Fill(0x010203);
      ok = ok && CHILD_EQ(Sky_Draw(), level);
      for (u32 y = 0; y < h && ok; y++)
        for (u32 x = 0; x < width && ok; x++)
          ok = CHILD_EQ(vbe_screen.frame[y * width + x], 0x010203u + Expected_Sky(sky, 0, 16, level, x / k, y / k));
      return ok;
    }()));
  }
}
