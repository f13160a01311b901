// Plasma scene: window offsets, phase start and steps, the height sums, the colour lookup and whole frames.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "art.h"
#include "art_plasma.h"
#include "demo/plasma/plasma.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "runtime/math.h"

namespace {
// The channels of a texel as the loader's 0.9 dimming leaves them.
u32 Dimmed(u32 texel) {
  u32 out = 0;
  for (u32 shift : {0u, 8u, 16u}) out |= u32(u8(i32(f32((texel >> shift) & 255) * 0.9f))) << shift;
  return out;
}

// A data file with the given tunnel bytes (640 x 400) and colour texels (256 x 256).
std::string Plasma_Data(const std::vector<u8>& tunnel, const std::vector<u32>& colours) {
  std::vector<DatafileEntry> entries(2);
  entries[0].name = "plasma/tunnely.pcx";
  entries[1].name = "plasma/plasma5.pcx";
  EXPECT_TRUE(Art_Pcx_Bytes(tunnel.data(), 640, 400, 8, Scene_Temp("t.pcx"), &entries[0].data));
  EXPECT_TRUE(Art_Pcx_Bytes(colours.data(), 256, 256, 24, Scene_Temp("c.pcx"), &entries[1].data));
  return Scene_Datafile(entries);
}

std::string Plasma_Show_Data(void) {
  std::vector<DatafileEntry> entries;
  const std::string scratch = Scene_Temp("parts");
  std::filesystem::create_directories(scratch);
  EXPECT_TRUE(Art_Plasma_Entries(scratch, &entries));
  return Scene_Datafile(entries);
}

// Texel i holds i: every lookup tells its index (the dimming keeps them apart).
std::vector<u32> Index_Texels(void) {
  std::vector<u32> t(65536);
  for (u32 i = 0; i < 65536; i++) t[i] = i;
  return t;
}

void Zero_Phases(void) {
  for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, 0);
}
}  // namespace

TEST(PlasmaOffsets, AllPhasesZeroGiveTheLargestWindows) {
  Math_Init();
  Zero_Phases();
  i32 a[8];
  Plasma_Offsets(a);
  const i32 expected[8] = {240, 185, 320, 185, 320, 185, 320, 185};
  for (u32 i = 0; i < 8; i++) EXPECT_EQ(a[i], expected[i]) << i;
}

TEST(PlasmaOffsets, HalfTurnsGiveTheSmallestAndNegativeAnglesWrap) {
  Math_Init();
  for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, 1024);
  i32 a[8];
  Plasma_Offsets(a);
  // cos = -1 everywhere, sin(1024) = 0: a0 = (0 + 1) x 80.
  const i32 expected[8] = {80, 25, 0, 25, 0, 25, 0, 25};
  for (u32 i = 0; i < 8; i++) EXPECT_EQ(a[i], expected[i]) << i;
  // -2048 leaves remainder 0, the same as angle 0.
  for (u32 n = 0; n < kPlasmaPhases; n++) Plasma_Set_Phase(n, -2048);
  Plasma_Offsets(a);
  EXPECT_EQ(a[0], 240);
  EXPECT_EQ(a[1], 185);
}

TEST(PlasmaPhases, TicksStepEachPhaseByItsOwnAmount) {
  Zero_Phases();
  Plasma_Tick();
  Plasma_Tick();
  const i32 step[8] = {4, 4, 4, 6, 4, 6, 6, 8};
  for (u32 n = 0; n < kPlasmaPhases; n++) EXPECT_EQ(Plasma_Get_Phase(n), 2 * step[n]) << n;
}

TEST(PlasmaPhases, InitDrawsTheRuntimeSequenceInItsOwnOrder) {
  EXPECT_SCENE_IN_CHILD(([] {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, Plasma_Show_Data(), &surface);
    Math_Crt_Seed(1);
    Plasma_Init();
    // 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358 land in p0, p3, p2, p6, p1, p5, p4, p7.
    const i32 expected[8] = {41, 737, 190, 35, 1238, 1388, 1924, 686};
    bool ok = Vbe_Design_Buffer() != nullptr;
    for (u32 n = 0; n < kPlasmaPhases; n++) {
      if (Plasma_Get_Phase(n) != expected[n]) fprintf(stderr, "p%u = %d\n", n, Plasma_Get_Phase(n));
      ok = ok && Plasma_Get_Phase(n) == expected[n];
    }
    Plasma_Release_Buffer();
    return ok && Vbe_Design_Buffer() == nullptr;
  }()));
}

TEST(PlasmaGradient, RampsEachChannelInEighths) {
  u32 table[256];
  Plasma_Make_Gradient(table, 0x000000, 0xFF0000);
  EXPECT_EQ(table[0], 0u);
  EXPECT_EQ(table[128], 0x7F0000u);
  EXPECT_EQ(table[255], 0xFE0000u);
  Plasma_Make_Gradient(table, 0x0010FF, 0x00FF00);
  EXPECT_EQ(table[0], 0x0010FFu);
  EXPECT_EQ(table[1], 0x0010FEu);  // green 16 + 239/256, blue 255 - 255/256
  EXPECT_EQ(table[255], 0x00FE00u);
}

TEST(PlasmaDraw, EqualWindowsGiveZeroAndTheSumsWrap) {
  EXPECT_SCENE_IN_CHILD(([] {
    // T(x, y) = x + 3y: every height is the same sum of the four window offsets.
    std::vector<u8> tunnel(640 * 400);
    for (u32 y = 0; y < 400; y++)
      for (u32 x = 0; x < 640; x++) tunnel[y * 640 + x] = u8(x + 3 * y);
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Plasma_Data(tunnel, Index_Texels()), &surface);
    Plasma_Load();
    auto all = [](u8 value) {
      const u8* h = Plasma_Height_Map();
      for (u32 i = 0; i < kPlasmaMapBytes; i++)
        if (h[i] != value) return fprintf(stderr, "height %u at %u, not %u\n", h[i], i, value), false;
      for (u32 i = 0; i < kPlasmaSecondPoint; i++)
        if (h[kPlasmaMapBytes + i] != 0) return fprintf(stderr, "tail byte %u not 0\n", i), false;
      return true;
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

TEST(PlasmaDraw, OffsetsOutsideThePictureAreRefused) {
  const std::string data = Plasma_Show_Data();
  const i32 bad[2][8] = {{321, 25, 0, 25, 0, 25, 0, 25}, {0, 25, 0, 186, 0, 25, 0, 25}};
  const char* said[2] = {"Plasma: Column offset 321 outside 0..320", "Plasma: Row offset 186 outside 0..185"};
  for (u32 i = 0; i < 2; i++) {
    const i32* a = bad[i];
    EXPECT_SCENE_FATAL(said[i], {
      std::vector<u32> surface;
      Engine_Start_Host(320, 200, data, &surface);
      Plasma_Load();
      Plasma_Draw(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    });
  }
}

TEST(PlasmaColours, AFlatMapShiftsTheTextureByMinus127OnBothAxes) {
  for (u32 width : {320u, 640u}) {
    EXPECT_SCENE_IN_CHILD(([width] {
      // Equal bytes everywhere: all four windows agree, so the map is 0.
      const std::vector<u32> texels = Index_Texels();
      std::vector<u32> surface;
      Engine_Start_Host(width, width * 5 / 8, Plasma_Data(std::vector<u8>(640 * 400, 77), texels), &surface);
      Plasma_Load();
      Plasma_Init();
      Plasma_Frame();
      // At 320 x 200 the pass covers the 172 rows of the frame; above, the 200 of the design buffer.
      const bool design = width != 320;
      const u32* drawn = design ? Vbe_Design_Buffer() : vbe_screen.frame;
      const u32 rows = design ? 200 : 172;
      if (!design && vbe_screen.height != 172) return false;
      for (u32 y = 0; y < rows; y++)
        for (u32 x = 0; x < 320; x++) {
          const u32 expected = Dimmed(texels[(y * 256 + x - 32639) & 65535]);
          if (drawn[y * 320 + x] != expected) {
            fprintf(stderr, "(%u, %u): %08x, not %08x\n", x, y, drawn[y * 320 + x], expected);
            return false;
          }
        }
      return true;
    }()));
  }
}

TEST(PlasmaColours, AConstantHeightMovesTheLookupByItselfOnBothAxes) {
  EXPECT_SCENE_IN_CHILD(([] {
    std::vector<u8> tunnel(640 * 400);
    for (u32 y = 0; y < 400; y++)
      for (u32 x = 0; x < 640; x++) tunnel[y * 640 + x] = u8(x + 3 * y);
    const std::vector<u32> texels = Index_Texels();
    std::vector<u32> surface;
    Engine_Start_Host(320, 200, Plasma_Data(tunnel, texels), &surface);
    Plasma_Load();
    Zero_Phases();
    Plasma_Render();  // heights of 176, the second point included (six rows on, inside the frame's 172 rows)
    for (u32 y = 0; y < 172; y++)
      for (u32 x = 0; x < 320; x++) {
        const u32 expected = Dimmed(texels[(176 + x + (176 + y) * 256 - 32639) & 65535]);
        if (vbe_screen.frame[y * 320 + x] != expected)
          return fprintf(stderr, "(%u, %u): %08x, not %08x\n", x, y, vbe_screen.frame[y * 320 + x], expected), false;
      }
    return true;
  }()));
}

namespace {
// Loading the scene from a tunnel and a colour picture of the given kinds and sizes must be fatal.
void Expect_Load_Fatal(const void* tunnel, u32 tunnel_height, u32 tunnel_bits, u32 colour_height) {
  const std::vector<u32> texels = Index_Texels();
  std::vector<DatafileEntry> entries(2);
  entries[0].name = "plasma/tunnely.pcx";
  entries[1].name = "plasma/plasma5.pcx";
  ASSERT_TRUE(Art_Pcx_Bytes(tunnel, 640, tunnel_height, tunnel_bits, Scene_Temp("t.pcx"), &entries[0].data));
  ASSERT_TRUE(Art_Pcx_Bytes(texels.data(), 256, colour_height, 24, Scene_Temp("c.pcx"), &entries[1].data));
  const std::string data = Scene_Datafile(entries);
  EXPECT_SCENE_FATAL(tunnel_bits == 24 || tunnel_height < 400 ? "Plasma: plasma/tunnely.pcx must be 8-bit"
                                                               : "Plasma: plasma/plasma5.pcx must be 24-bit",
                     {
                       std::vector<u32> surface;
                       Engine_Start_Host(320, 200, data, &surface);
                       Plasma_Load();
                     });
}
}  // namespace

TEST(PlasmaLoad, PicturesOfTheWrongKindOrSizeAreFatal) {
  // A 24-bit tunnel: the windows would read four bytes a pixel.
  std::vector<u32> wide(640 * 400, 0x102030);
  Expect_Load_Fatal(wide.data(), 400, 24, 256);
  // A tunnel too short for the lowest windows, and a colour texture too small for the 16-bit lookup.
  std::vector<u8> shallow(640 * 385, 1);
  Expect_Load_Fatal(shallow.data(), 385, 8, 256);
  std::vector<u8> tunnel(640 * 400, 1);
  Expect_Load_Fatal(tunnel.data(), 400, 8, 128);
}
