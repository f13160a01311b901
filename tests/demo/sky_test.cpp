// Sky layer: palettes, frame stepping, level fades, the padded load and the two-layer draw.
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
  for (u32 i = 0; i < bytes; i++) {
    const u32 f = i / kSkyFrameBytes, y = i % kSkyFrameBytes / kSkyWidth, x = i % kSkyWidth;
    sky[i] = u8((f * 7 + y * 3 + x) % 64);
  }
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

TEST(SkyLevel, FadeInRisesByTwoToTwoHundredTwentyTwoAndStays) {
  EXPECT_SCENE_IN_CHILD([] {
    Sky_Fade_In();
    std::vector<i32> seen = {Sky_Level()};
    for (int i = 0; i < 150; i++) {
      Sky_Tick();
      seen.push_back(Sky_Level());
    }
    bool ok = CHILD_EQ(seen[0], 8) && CHILD_EQ(seen[1], 10) && CHILD_EQ(seen[106], 220);
    ok = ok && CHILD_EQ(seen[107], 222);
    for (size_t i = 107; i < seen.size(); i++) ok = ok && CHILD_EQ(seen[i], 222);
    return ok;
  }());
}

TEST(SkyLevel, FadeOutFallsByOneToSixtyNineThenByTwoToOne) {
  EXPECT_SCENE_IN_CHILD([] {
    Sky_Fade_Out();
    std::vector<i32> want;
    for (i32 l = 204; l >= 69; l--) want.push_back(l);
    for (i32 l = 67; l >= 1; l -= 2) want.push_back(l);
    for (int i = 0; i < 20; i++) want.push_back(1);
    std::vector<i32> seen = {Sky_Level()};
    while (seen.size() < want.size()) {
      Sky_Tick();
      seen.push_back(Sky_Level());
    }
    bool ok = true;
    for (size_t i = 0; i < want.size() && ok; i++) ok = CHILD_EQ(seen[i], want[i]);
    return ok;
  }());
}

TEST(SkyLoad, PadsTheAnimationWithZerosAndStartsTheLayersSixteenApart) {
  EXPECT_SCENE_IN_CHILD([] {
    const std::vector<u8> sky = Pattern_Sky();
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", sky, DATAFILE_RAW}}), &surface);
    Sky_Load();
    const u8* a = Sky_Animation();
    bool ok = CHILD_EQ(Mem_Get_Size(a), kSkyFileBytes + kSkyPadBytes);
    ok = ok && Child_Check(std::equal(sky.begin(), sky.end(), a), "frames as in the file");
    ok = ok && Child_Check(std::all_of(a + kSkyFileBytes, a + kSkyFileBytes + kSkyPadBytes, [](u8 b) { return b == 0; }),
                           "zero tail");
    ok = ok && Child_Check(std::string(Mem_Get_Description(a)) == "Sky: sky anim.", "block description");
    ok = ok && CHILD_EQ(Sky_Layer_Frame(0), 0) && CHILD_EQ(Sky_Layer_Frame(1), 16) && CHILD_EQ(Sky_Level(), 0);
    Sky_Free();
    return ok && Child_Check(Sky_Animation() == nullptr, "freed");
  }());
}

TEST(SkyLoad, ShortFileIsFatal) {
  const std::string data = Scene_Datafile({{"sky/sky.pic", Pattern_Sky(kSkyFileBytes - 1), DATAFILE_RAW}});
  EXPECT_SCENE_FATAL("Sky: sky/sky.pic too small", {
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, data, &surface);
    Sky_Load();
  });
}

TEST(SkyTick, EachLayerShowsAFrameForTwoTicksAndWrapsAtThirtyTwo) {
  EXPECT_SCENE_IN_CHILD([] {
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", Pattern_Sky(), DATAFILE_RAW}}), &surface);
    Sky_Load();
    bool ok = true;
    // Frame k from the (2k - 1)th tick on.
    for (i32 tick = 1; tick <= 200 && ok; tick++) {
      Sky_Tick();
      const i32 a = (tick + 1) / 2 % 32;
      ok = CHILD_EQ(Sky_Layer_Frame(0), a) && CHILD_EQ(Sky_Layer_Frame(1), (a + 16) % 32);
    }
    return ok;
  }());
}

TEST(SkyDraw, LevelZeroLeavesTheFrame) {
  EXPECT_SCENE_IN_CHILD([] {
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", Pattern_Sky(), DATAFILE_RAW}}), &surface);
    Sky_Load();
    Vbe_Fill(0x123456);
    const u32 before = Engine_Crc(vbe_screen.frame, size_t(vbe_screen.width) * vbe_screen.height);
    bool ok = CHILD_EQ(Sky_Draw(), 0);
    return ok && CHILD_EQ(Engine_Crc(vbe_screen.frame, size_t(vbe_screen.width) * vbe_screen.height), before);
  }());
}

// At 320x200 both layers are added straight to the frame; every pixel is checked, over the last frame too.
TEST(SkyDraw, AddsBothLayersDoubledOnTheDesignFrame) {
  EXPECT_SCENE_IN_CHILD([] {
    const std::vector<u8> sky = Pattern_Sky();
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", sky, DATAFILE_RAW}}), &surface);
    Sky_Load();
    Sky_Set_Bright();
    bool ok = CHILD_EQ(vbe_screen.width, 320u) && CHILD_EQ(vbe_screen.height, 172u);
    for (i32 ticks : {0, 61}) {
      for (i32 t = 0; t < ticks; t++) Sky_Tick();
      const i32 fa = Sky_Layer_Frame(0), fb = Sky_Layer_Frame(1);
      Vbe_Fill(0x010203);
      ok = ok && CHILD_EQ(Sky_Draw(), 200);
      for (u32 y = 0; y < 172 && ok; y++)
        for (u32 x = 0; x < 320 && ok; x++)
          ok = CHILD_EQ(vbe_screen.frame[y * 320 + x], 0x010203u + Expected_Sky(sky, fa, fb, 200, x, y));
    }
    return ok && CHILD_EQ(Sky_Layer_Frame(0), 31);
  }());
}

// At 640x400 the layers go through the design buffer and are stretched 2x2 and added to the frame.
TEST(SkyDraw, ResizedDrawStretchesTheLayersOntoTheFrame) {
  EXPECT_SCENE_IN_CHILD([] {
    const std::vector<u8> sky = Pattern_Sky();
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, Scene_Datafile({{"sky/sky.pic", sky, DATAFILE_RAW}}), &surface);
    Sky_Load();
    Sky_Fade_In();
    for (int t = 0; t < 63; t++) Sky_Tick();  // level 134, layer A on frame 0 again
    const i32 level = Sky_Level();
    bool ok = CHILD_EQ(level, 134) && CHILD_EQ(Sky_Layer_Frame(0), 0) && CHILD_EQ(vbe_screen.height, 344u);
    Vbe_Fill(0x000100);
    ok = ok && CHILD_EQ(Sky_Draw(), level);
    for (u32 y = 0; y < 344 && ok; y++)
      for (u32 x = 0; x < 640 && ok; x++)
        ok = CHILD_EQ(vbe_screen.frame[y * 640 + x], 0x000100u + Expected_Sky(sky, 0, 16, level, x / 2, y / 2));
    return ok;
  }());
}

TEST(SkyFrame, StandAloneFrameFadesInOverABaseAndTicksTheSky) {
  EXPECT_SCENE_IN_CHILD([] {
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Scene_Datafile({{"sky/sky.pic", Pattern_Sky(), DATAFILE_RAW}}), &surface);
    Sky_Load();
    Sky_Frame();
    bool ok = CHILD_EQ(Sky_Level(), 8);
    Music_Call_Callback();
    ok = ok && CHILD_EQ(Sky_Level(), 10) && CHILD_EQ(Sky_Layer_Frame(0), 1);
    Sky_Frame();
    return ok && CHILD_EQ(Sky_Level(), 10);
  }());
}
