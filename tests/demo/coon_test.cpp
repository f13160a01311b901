// Coon scene: the edge curves, the patch against its closed form, the label bookkeeping and whole frames.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

#include "art.h"
#include "art_coon.h"
#include "art_plasma.h"
#include "demo/coon/coon.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "runtime/math.h"

namespace {
std::string Coon_Show_Data(void) {
  std::vector<DatafileEntry> entries;
  const std::string scratch = Scene_Temp("parts");
  std::filesystem::create_directories(scratch);
  EXPECT_TRUE(Art_Coon_Entries(scratch, &entries));
  return Scene_Datafile(entries);
}

// The drawing surface the patch checks, set for the length of a test and put back after.
class CoonSurface : public ::testing::Test {
 protected:
  u32 saved_width = 0, saved_height = 0;
  void SetUp() override {
    Math_Init();
    saved_width = vbe_screen.width;
    saved_height = vbe_screen.height;
    vbe_screen.width = 320;
    vbe_screen.height = 200;
  }
  void TearDown() override {
    vbe_screen.width = saved_width;
    vbe_screen.height = saved_height;
  }
};

class CoonLabelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Math_Seed_Random();
    Coon_Reset_Labels();
    Note(0, 0);
  }
  void TearDown() override { Note(0, 0); }
  static void Note(u8 a, u8 b) {
    music_channel_levels.levels[kCoonChannelA][0] = a;
    music_channel_levels.levels[kCoonChannelB][0] = b;
  }
  // Occupied places among the rows drawn, the blocked one included.
  static u32 Occupied(void) {
    u32 n = 0;
    for (u32 c = 0; c < kCoonGridColumns; c++)
      for (u32 r = 0; r < kCoonShownRows; r++) n += Coon_Get_Labels()->grid[c][r];
    return n;
  }
};

struct Exact {
  f64 x, y;
};

// The Coons surface at column u, row v of the scene's curves, in double precision.
Exact Closed_Form(const CoonCurve* b, u32 u, u32 v) {
  const u32 nu = b[0].npt - 1, nv = b[1].npt - 1;
  auto corner = [](CoonPoint p, CoonPoint q) { return Exact{(f64(p.x) + q.x) / 2, (f64(p.y) + q.y) / 2}; };
  const Exact c0 = corner(b[3].pt[nv], b[0].pt[0]), c1 = corner(b[0].pt[nu], b[1].pt[0]);
  const Exact c2 = corner(b[1].pt[nv], b[2].pt[0]), c3 = corner(b[2].pt[nu], b[3].pt[0]);
  const f64 s = f64(u) / nu, t = f64(v) / nv;
  const CoonPoint top = b[0].pt[u], bottom = b[2].pt[nu - u], left = b[3].pt[nv - v], right = b[1].pt[v];
  auto blend = [&](f64 l, f64 r, f64 tp, f64 bt, f64 k0, f64 k1, f64 k2, f64 k3) {
    return (1 - s) * l + s * r + (1 - t) * tp + t * bt -
           ((1 - s) * (1 - t) * k0 + s * (1 - t) * k1 + s * t * k2 + (1 - s) * t * k3);
  };
  return {blend(left.x, right.x, top.x, bottom.x, c0.x, c1.x, c2.x, c3.x),
          blend(left.y, right.y, top.y, bottom.y, c0.y, c1.y, c2.y, c3.y)};
}

u32 Texture_Index(i64 column, i64 row) { return u32((row * 320 + column) & 65535); }
}  // namespace

TEST_F(CoonSurface, CurvesAtPhaseZeroStartWhereTheEdgesMeet) {
  Coon_Make_Curves(0, 0);
  const CoonCurve* b = Coon_Get_Bound();
  // Curve, point, x, y: top's first, the left's last, right's first and bottom's last points (k = 0).
  const f32 points[4][4] = {{0, 0, 0, 0}, {3, 199, 100, 50}, {1, 0, 319, 0}, {2, 319, 50, 199}};
  for (auto& p : points) {
    EXPECT_EQ(b[u32(p[0])].npt, u32(p[0]) % 2 ? 200u : 320u);
    EXPECT_FLOAT_EQ(b[u32(p[0])].pt[u32(p[1])].x, p[2]);
    EXPECT_FLOAT_EQ(b[u32(p[0])].pt[u32(p[1])].y, p[3]);
  }
  // Angles run on past a turn: phase 2048 draws the same curves as 0.
  const CoonPoint first = b[0].pt[100];
  Coon_Make_Curves(2048, 2048);
  EXPECT_FLOAT_EQ(b[0].pt[100].x, first.x);
  EXPECT_FLOAT_EQ(b[0].pt[100].y, first.y);
}

TEST_F(CoonSurface, PatchFollowsTheClosedFormWithinRounding) {
  // Texel i holds i, so each pixel tells where the patch looked.
  std::vector<u32> texture(65536);
  for (u32 i = 0; i < 65536; i++) texture[i] = i;
  for (auto phases : {std::make_pair(0u, 0u), std::make_pair(1000u, 2500u), std::make_pair(123457u, 77u)}) {
    Coon_Make_Curves(phases.first, phases.second);
    const CoonCurve* b = Coon_Get_Bound();
    std::vector<u32> out(320 * 200, 0xDEADBEEF);
    Coon_Patch(texture.data(), out.data(), b, 0, 0);
    u32 exact = 0, near = 0;
    for (u32 v = 0; v < 190; v++)
      for (u32 u = 0; u < 320; u++) {
        const Exact p = Closed_Form(b, u, v);
        const i64 column = i64(std::floor(p.x + 0.5)), row = i64(std::floor(p.y + 0.5));
        const u32 got = out[v * 320 + u];
        if (got == Texture_Index(column, row)) {
          exact++;
          continue;
        }
        for (i64 dy = -1; dy <= 1; dy++)
          for (i64 dx = -1; dx <= 1; dx++) near += got == Texture_Index(column + dx, row + dy);
      }
    EXPECT_EQ(exact + near, 190u * 320u) << phases.first << "/" << phases.second;
    EXPECT_GT(exact, 190u * 320u * 99 / 100);
    // Only 190 rows are drawn.
    for (u32 i = 190 * 320; i < 200 * 320; i++) ASSERT_EQ(out[i], 0xDEADBEEFu);
  }
}

TEST_F(CoonSurface, PatchDrawsNoMoreRowsThanTheSurfaceHolds) {
  std::vector<u32> texture(65536, 0x123456);
  Coon_Make_Curves(40, 40);
  vbe_screen.height = 172;
  std::vector<u32> out(320 * 200, 0);
  Coon_Patch(texture.data(), out.data(), Coon_Get_Bound(), 0, 0);
  EXPECT_EQ(out[171 * 320 + 319], 0x123456u);
  EXPECT_EQ(out[172 * 320], 0u);
  // An offset moves the patch down and right; the rows still end at the surface's bottom.
  std::vector<u32> moved(320 * 200, 0);
  CoonCurve narrow[4];
  std::copy(Coon_Get_Bound(), Coon_Get_Bound() + 4, narrow);
  narrow[0].npt = narrow[2].npt = 300;
  Coon_Patch(texture.data(), moved.data(), narrow, 20, 10);
  EXPECT_EQ(moved[10 * 320 + 19], 0u);
  EXPECT_EQ(moved[10 * 320 + 20], 0x123456u);
  EXPECT_EQ(moved[171 * 320 + 319], 0x123456u);
  EXPECT_EQ(moved[9 * 320 + 100], 0u);
}

TEST_F(CoonSurface, CurvesOfUnequalLengthsAreFatal) {
  std::vector<u32> texture(65536, 0), out(320 * 200);
  Coon_Make_Curves(0, 0);
  CoonCurve b[4];
  std::copy(Coon_Get_Bound(), Coon_Get_Bound() + 4, b);
  b[2].npt = 319;
  EXPECT_SCENE_FATAL("Coon: Assertion failed: bound[2].npt==nu+1", Coon_Patch(texture.data(), out.data(), b, 0, 0));
  b[2].npt = 320;
  b[3].npt = 201;
  EXPECT_SCENE_FATAL("Coon: Assertion failed: bound[3].npt==nv+1", Coon_Patch(texture.data(), out.data(), b, 0, 0));
  // Columns past the 320-pixel rows would write into the next row.
  b[3].npt = 200;
  EXPECT_SCENE_FATAL("Coon: The patch does not fit the 320-pixel rows", Coon_Patch(texture.data(), out.data(), b, 1, 0));
}

TEST_F(CoonLabelsTest, ResetClearsTheSlotsAndBlocksTheTopRightPlace) {
  const CoonLabels* c = Coon_Get_Labels();
  for (const CoonSlot& s : c->slot) EXPECT_EQ(s.piece, -1);
  EXPECT_EQ(Occupied(), 1u);
  EXPECT_EQ(c->grid[2][0], 1);
}

TEST_F(CoonLabelsTest, ANoteTwoRowsAfterTheLastLabelAddsOneOneRowAfterDoesNot) {
  const CoonLabels* c = Coon_Get_Labels();
  const u32 slot = c->slot_index;
  Coon_Trigger(c->last_trigger_row + 5);  // no note
  EXPECT_EQ(c->slot_index, slot);
  const u32 start = (c->last_trigger_row + 10) % 60;
  Note(1, 0);
  Coon_Trigger(start);
  ASSERT_EQ(c->last_trigger_row, start);
  ASSERT_EQ(c->slot_index, (slot + 1) % kCoonSlots);
  const i32 first = c->slot[c->slot_index].piece;
  EXPECT_GE(first, 0);
  Coon_Trigger(start + 1);
  EXPECT_EQ(c->last_trigger_row, start);
  EXPECT_EQ(c->slot_index, (slot + 1) % kCoonSlots);
  Note(0, 9);  // channel 14 counts as well
  Coon_Trigger(start + 2);
  EXPECT_EQ(c->last_trigger_row, start + 2);
  EXPECT_EQ(c->slot_index, (slot + 2) % kCoonSlots);
  EXPECT_EQ(c->slot[c->slot_index].piece, i32((u32(first) + 1) % kCoonPieces));
  // Backwards counts too: across an order the row falls from 63 to 0.
  Coon_Trigger(start + 1);
  EXPECT_EQ(c->last_trigger_row, start + 2);
  Coon_Trigger(0);
  EXPECT_EQ(c->last_trigger_row, 0u);
}

TEST_F(CoonLabelsTest, TheEleventhLabelReusesSlotOneAndFreesItsPlace) {
  const CoonLabels* c = Coon_Get_Labels();
  const u32 first_slot = (c->slot_index + 1) % kCoonSlots;
  const u32 first_piece = c->next_piece;
  Note(1, 1);
  u32 row = c->last_trigger_row;
  std::set<std::pair<u32, u32>> places;
  for (u32 n = 0; n < kCoonSlots; n++) {
    row = (row + 2) % 64;
    Coon_Trigger(row);
    const CoonSlot& s = c->slot[c->slot_index];
    EXPECT_LT(s.column, kCoonGridColumns);
    EXPECT_LT(s.row, kCoonShownRows);
    places.insert({s.column, s.row});
  }
  // Ten labels on seventeen free places: each found one of its own, never the blocked one.
  EXPECT_EQ(places.size(), kCoonSlots);
  EXPECT_EQ(places.count({2, 0}), 0u);
  EXPECT_EQ(Occupied(), kCoonSlots + 1);
  EXPECT_EQ(c->slot_index, (first_slot + kCoonSlots - 1) % kCoonSlots);
  const CoonSlot before = c->slot[first_slot];
  row = (row + 2) % 64;
  Coon_Trigger(row);
  EXPECT_EQ(c->slot_index, first_slot);
  EXPECT_EQ(c->slot[first_slot].piece, i32((first_piece + kCoonSlots) % kCoonPieces));
  // The old place was freed before the new one was taken.
  const CoonSlot& now = c->slot[first_slot];
  if (now.column != before.column || now.row != before.row) { EXPECT_EQ(c->grid[before.column][before.row], 0); }
  EXPECT_EQ(Occupied(), kCoonSlots + 1);
}

TEST_F(CoonLabelsTest, PiecesRunThroughAllTwentySevenAndWrap) {
  const CoonLabels* c = Coon_Get_Labels();
  Note(1, 0);
  const u32 start = c->next_piece;
  u32 row = c->last_trigger_row;
  for (u32 n = 0; n < kCoonPieces; n++) {
    row = (row + 2) % 64;
    Coon_Trigger(row);
    EXPECT_EQ(c->slot[c->slot_index].piece, i32((start + n) % kCoonPieces));
  }
  EXPECT_EQ(c->next_piece, start);
}

// A label drawn on a black frame is the piece's blue byte in grey, at its place or one design pixel up-left.
TEST(CoonScene, ALabelLandsInItsPlaceAtEveryScale) {
  for (u32 width : {320u, 640u}) {
    EXPECT_SCENE_IN_CHILD(([width] {
      std::vector<u32> surface;
      Engine_Start_Host(width, width * 5 / 8, Coon_Show_Data(), &surface);
      Coon_Load();
      Coon_Init();
      music_channel_levels.levels[kCoonChannelA][0] = 60;
      Coon_Trigger(music_position.row + 2);
      const CoonLabels* c = Coon_Get_Labels();
      const CoonSlot& s = c->slot[c->slot_index];
      if (s.piece != 0) return false;
      const u32 fw = vbe_screen.width, fh = vbe_screen.height;
      std::fill(vbe_screen.frame, vbe_screen.frame + fw * fh, 0u);
      Coon_Draw_Labels();
      const i32 k = Vbe_Scale_X(1), x0 = Vbe_Scale_X(100) * i32(s.column) + Vbe_Scale_X(10);
      const i32 y0 = Vbe_Scale_Y(22) * i32(s.row) + Vbe_Scale_Y(30);
      const i32 w = Vbe_Scale_X(86), h = Vbe_Scale_Y(21);
      const u32* piece = Coon_Get_Piece(0);
      for (i32 dy : {0, -k})
        for (i32 dx : {0, -k}) {
          bool match = true;
          for (u32 y = 0; y < fh && match; y++)
            for (u32 x = 0; x < fw && match; x++) {
              const i32 px = i32(x) - x0 - dx, py = i32(y) - y0 - dy;
              const bool inside = px >= 0 && px < w && py >= 0 && py < h;
              const u32 blue = inside ? piece[py * i32(fw) + px] & 255 : 0;
              match = vbe_screen.frame[y * fw + x] == blue * 0x010101u;
            }
          if (match) return true;
        }
      return false;
    }()));
  }
}

TEST(CoonScene, TheDesignBufferKeepsItsLastTenRows) {
  EXPECT_SCENE_IN_CHILD(([] {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, Coon_Show_Data(), &surface);
    Coon_Load();
    Coon_Init();
    u32* design = Vbe_Design_Buffer();
    std::fill(design, design + 320 * 200, 0xDE000000u);
    Coon_Draw();
    for (u32 i = 0; i < 320 * 200; i++)
      if ((design[i] == 0xDE000000u) != (i >= 190 * 320)) return fprintf(stderr, "pixel %u\n", i), false;
    return true;
  }()));
}

// A 64x64 picture (4096 different texels) fills the 65536 the patch reads by repetition; a label sheet
// that is not 320x200 is refused.
TEST(CoonLoad, ASmallPictureIsRepeatedAndAWrongLabelSheetIsFatal) {
  std::vector<u32> small(64 * 64);
  for (u32 i = 0; i < small.size(); i++) small[i] = i * 2654435761u >> 8;
  std::vector<DatafileEntry> entries(2);
  entries[0].name = "coon/coon1.pcx";
  entries[1].name = "coon/greets.pcx";
  ASSERT_TRUE(Art_Pcx_Bytes(small.data(), 64, 64, 24, Scene_Temp("a.pcx"), &entries[0].data));
  const std::vector<u32> greets = Art_Coon_Greets();
  ASSERT_TRUE(Art_Pcx_Bytes(greets.data(), 320, 200, 24, Scene_Temp("b.pcx"), &entries[1].data));
  const std::string data = Scene_Datafile(entries);
  EXPECT_SCENE_IN_CHILD(([&data] {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, data, &surface);
    Coon_Load();
    const u32* t = Coon_Get_Texture();
    bool ok = Child_Check(Mem_Get_Size(t) >= 65536u * 4, "texture size");
    std::set<u32> first(t, t + 4096);
    ok = ok && Child_Check(first.size() > 4000, "different texels in the first 4096");
    for (u32 i = 4096; ok && i < 65536; i++) ok = CHILD_EQ(t[i], t[i % 4096]);
    Coon_Init();
    Coon_Frame();
    Coon_Release_Buffer();
    Coon_Free();
    return ok;
  }()));
  ASSERT_TRUE(Art_Pcx_Bytes(greets.data(), 320, 190, 24, Scene_Temp("b.pcx"), &entries[1].data));
  const std::string bad = Scene_Datafile(entries);
  EXPECT_SCENE_FATAL("Coon: coon/greets.pcx must be 320x200", {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, bad, &surface);
    Coon_Load();
  });
}
