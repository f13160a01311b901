// Plasma scene: window offsets, the height sums, the colour lookup and pictures refused.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "art.h"
#include "demo/plasma/plasma.h"
#include "scene_fixture.h"
#include "runtime/math.h"

namespace {
// The channels of a texel as the loader's 0.9 dimming leaves them.
u32 Dimmed(u32 texel) {
  u32 out = 0;
  for (u32 shift : {0u, 8u, 16u}) out |= u32(u8(i32(f32((texel >> shift) & 255) * 0.9f))) << shift;
  return out;
}

// Texel i holds i: every lookup tells its index (the dimming keeps them apart).
std::vector<u32> Index_Texels(void) {
  std::vector<u32> t(65536);
  for (u32 i = 0; i < 65536; i++) t[i] = i;
  return t;
}

// A data file with a 640-wide tunnel picture and index texels 256 wide (8-bit and 24-bit unless given).
std::string Plasma_Data(const void* tunnel, u32 tunnel_height = 400, u32 tunnel_bits = 8, u32 colour_height = 256) {
  const std::vector<u32> texels = Index_Texels();
  std::vector<DatafileEntry> entries = {{"plasma/tunnely.pcx", {}}, {"plasma/plasma5.pcx", {}}};
  EXPECT_TRUE(Art_Pcx_Bytes(tunnel, 640, tunnel_height, tunnel_bits, Test_Short_Temp("t.pcx"), &entries[0].data));
  EXPECT_TRUE(Art_Pcx_Bytes(texels.data(), 256, colour_height, 24, Test_Short_Temp("c.pcx"), &entries[1].data));
  return Scene_Datafile(entries);
}
const std::vector<u8> kFlat(640 * 400, 77);

void Zero_Phases(void) {
  for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, 0);
}
}  // namespace

// Phase 0 gives the largest windows; a half turn (cos -1, sin 0) the smallest; -2048 wraps to 0.
TEST(PlasmaOffsets, WindowsFollowThePhases) {
  Math_Init();
  const std::pair<i32, std::vector<i32>> rows[] = {{0, {240, 185, 320, 185, 320, 185, 320, 185}},
                                                   {1024, {80, 25, 0, 25, 0, 25, 0, 25}},
                                                   {-2048, {240, 185, 320, 185, 320, 185, 320, 185}}};
  for (auto& [phase, want] : rows) {
    for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, phase);
    std::vector<i32> a(8);
    Plasma_Offsets(a.data());
    EXPECT_EQ(a, want) << phase;
  }
}

// Each tick steps p0, p1, p2 and p4 by 4, p3, p5 and p6 by 6 and p7 by 8: from 100 n, two ticks.
class PlasmaTick : public SceneTest {};
TEST_F(PlasmaTick, StepsEachPhaseByItsOwnAmount) {
  Start(320, 200);
  for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, i32(100 * n));
  Plasma_Tick(), Plasma_Tick();
  std::vector<i32> phases;
  for (u32 n = 0; n < kPlasmaPhases; n++) phases.push_back(Plasma_Get_Phase(n));
  EXPECT_EQ(phases, (std::vector<i32>{8, 108, 208, 312, 408, 512, 612, 716}));
}

TEST(PlasmaDraw, EqualWindowsGiveZeroAndTheSumsWrap) {
  EXPECT_CHILD(0, Child_Pass([] {
    // T(x, y) = x + 3y: every height is the same sum of the four window offsets.
    std::vector<u8> tunnel(640 * 400);
    for (u32 y = 0; y < 400; y++)
      for (u32 x = 0; x < 640; x++) tunnel[y * 640 + x] = u8(x + 3 * y);
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Plasma_Data(tunnel.data()), &surface);
    Plasma_Load();
    auto all = [](u8 value) {  // the map, and after it a tail of zeros
      const u8* h = Plasma_Height_Map();
      const u8* tail = h + kPlasmaMapBytes;
      return Child_Check(std::all_of(h, tail, [&](u8 b) { return b == value; }), "heights", value) &&
             Child_Check(std::all_of(tail, tail + kPlasmaSecondPoint, [](u8 b) { return !b; }), "tail");
    };
    Plasma_Draw(7, 30, 7, 30, 7, 30, 7, 30);
    bool ok = all(0);
    Plasma_Draw(8, 30, 7, 30, 7, 30, 7, 30);  // the first window one column on
    ok = ok && all(1);
    Plasma_Draw(7, 30, 7, 30, 7, 30, 12, 30);  // the subtracted window five on: 0 - 5 wraps
    ok = ok && all(251);
    // With all phases 0: (320 + 555) - (320 + 555) - (320 + 555) + (240 + 555) = -80, 176 modulo 256.
    Zero_Phases();
    Plasma_Render();
    ok = ok && all(176);
    Plasma_Free();
    return ok;
  }()));
}

TEST(PlasmaColours, AFlatMapShiftsTheTextureByMinus127OnBothAxes) {
  for (u32 width : {320u, 640u}) {
    EXPECT_CHILD(0, Child_Pass([width] {
      // Equal bytes everywhere: all four windows agree, so the map is 0.
      const std::vector<u32> texels = Index_Texels();
      std::vector<u32> surface;
      Engine_Start_Host(width, width * 5 / 8, Plasma_Data(kFlat.data()), &surface);
      Plasma_Load();
      Plasma_Init();
      Plasma_Frame();
      // At 320 x 200 the pass covers the 172 rows of the frame; above, the 200 of the design buffer.
      const u32* drawn = width == 320 ? vbe_screen.frame : Vbe_Design_Buffer();
      bool ok = true;
      for (u32 y = 0; y < (width == 320 ? 172u : 200u) && ok; y++)
        for (u32 x = 0; x < 320 && ok; x++)
          ok = CHILD_EQ(drawn[y * 320 + x], Dimmed(texels[(y * 256 + x - 32639) & 65535]));
      return ok;
    }()));
  }
}

// A 24-bit tunnel (the windows would read four bytes a pixel), a tunnel too short for the lowest windows, a
// colour texture too small for the 16-bit lookup, and windows outside the tunnel are refused.
TEST(PlasmaLoad, PicturesOfTheWrongKindOrSizeAndWindowsOutsideAreFatal) {
  const std::vector<u32> wide(640 * 400, 0x102030);
  const struct {
    const void* tunnel;
    u32 height, bits, colour_height;
    std::array<i32, 8> a;
    const char* said;
  } rows[] = {{wide.data(), 400, 24, 256, {}, "Plasma: plasma/tunnely.pcx must be 8-bit"},
              {kFlat.data(), 385, 8, 256, {}, "Plasma: plasma/tunnely.pcx must be 8-bit"},
              {kFlat.data(), 400, 8, 128, {}, "Plasma: plasma/plasma5.pcx must be 24-bit"},
              {kFlat.data(), 400, 8, 256, {321, 25, 0, 25, 0, 25, 0, 25}, "Plasma: Column offset 321 outside 0..320"},
              {kFlat.data(), 400, 8, 256, {0, 25, 0, 186, 0, 25, 0, 25}, "Plasma: Row offset 186 outside 0..185"}};
  for (auto& r : rows) {
    const std::string data = Plasma_Data(r.tunnel, r.height, r.bits, r.colour_height);
    EXPECT_FATAL(r.said, {
      std::vector<u32> surface;
      Engine_Start_Host(320, 200, data, &surface);
      Plasma_Load();
      Plasma_Draw(r.a[0], r.a[1], r.a[2], r.a[3], r.a[4], r.a[5], r.a[6], r.a[7]);
    });
  }
}
