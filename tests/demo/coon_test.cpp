// Coon scene: the patch against its closed form and its bounds, the label bookkeeping, the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "art.h"
#include "art_coon.h"
#include "demo/coon/coon.h"
#include "scene_fixture.h"
#include "music/music.h"
#include "runtime/math.h"

namespace {
// The drawing surface the patch checks, set for the length of a test and put back after.
class CoonSurface : public ::testing::Test {
 protected:
  const u32 saved_width = vbe_screen.width, saved_height = vbe_screen.height;
  void SetUp() override { Math_Init(), vbe_screen.width = 320, vbe_screen.height = 200; }
  void TearDown() override { vbe_screen.width = saved_width, vbe_screen.height = saved_height; }
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
  // An offset moves the patch down and right; the rows still end at the surface's bottom.
  std::vector<u32> moved(320 * 200, 0);
  CoonCurve narrow[4];
  std::copy(Coon_Get_Bound(), Coon_Get_Bound() + 4, narrow);
  narrow[0].npt = narrow[2].npt = 300;
  Coon_Patch(texture.data(), moved.data(), narrow, 20, 10);
  EXPECT_EQ(std::vector<u32>({moved[10 * 320 + 19], moved[10 * 320 + 20], moved[171 * 320 + 319], moved[172 * 320]}),
            std::vector<u32>({0, 0x123456, 0x123456, 0}));
}

TEST_F(CoonSurface, CurvesOfUnequalLengthsAreFatal) {
  std::vector<u32> texture(65536, 0), out(320 * 200);
  Coon_Make_Curves(0, 0);
  CoonCurve b[4];
  std::copy(Coon_Get_Bound(), Coon_Get_Bound() + 4, b);
  b[2].npt = 319;
  EXPECT_FATAL("Coon: Assertion failed: bound[2].npt==nu+1", Coon_Patch(texture.data(), out.data(), b, 0, 0));
  b[2].npt = 320;
  b[3].npt = 201;
  EXPECT_FATAL("Coon: Assertion failed: bound[3].npt==nv+1", Coon_Patch(texture.data(), out.data(), b, 0, 0));
  // Columns past the 320-pixel rows would write into the next row.
  b[3].npt = 200;
  EXPECT_FATAL("Coon: The patch does not fit the 320-pixel rows", Coon_Patch(texture.data(), out.data(), b, 1, 0));
  b[1].npt = 1;
  EXPECT_FATAL("Coon: A boundary curve needs two points or more", Coon_Patch(texture.data(), out.data(), b, 0, 0));
}

// A note two rows after the last label adds one, one row after does not; ten labels take places of their
// own among the seventeen free ones, and the eleventh reuses the first slot and frees its place.
TEST(CoonLabels, NotesAddLabelsThatTakeFreePlacesAndTheEleventhReusesTheFirstSlot) {
  Math_Seed_Random();
  Coon_Reset_Labels();
  const CoonLabels* c = Coon_Get_Labels();
  auto note = [](u8 a, u8 b) {
    music_channel_levels.levels[kCoonChannelA][0] = a;
    music_channel_levels.levels[kCoonChannelB][0] = b;
  };
  const u32 first = (c->slot_index + 1) % kCoonSlots, piece = c->next_piece;
  u32 row = (c->last_trigger_row + 10) % 60;
  note(1, 0);
  Coon_Trigger(row);
  Coon_Trigger(row + 1);
  EXPECT_EQ(std::make_pair(c->last_trigger_row, c->slot_index), std::make_pair(row, first));
  note(0, 9);  // the second channel counts as well
  std::set<std::pair<u32, u32>> places = {{c->slot[first].column, c->slot[first].row}};
  for (u32 n = 1; n < kCoonSlots; n++) {
    row = (row + 2) % 64;  // across an order the row falls from 63 to 0: that counts too
    Coon_Trigger(row);
    places.insert({c->slot[c->slot_index].column, c->slot[c->slot_index].row});
  }
  EXPECT_EQ(places.size(), kCoonSlots);
  EXPECT_EQ(places.count({2, 0}), 0u);  // the top right place is blocked
  const CoonSlot before = c->slot[first];
  Coon_Trigger((row + 2) % 64);
  EXPECT_EQ(c->slot_index, first);
  EXPECT_EQ(c->slot[first].piece, i32((piece + kCoonSlots) % kCoonPieces));
  const bool stayed = c->slot[first].column == before.column && c->slot[first].row == before.row;
  EXPECT_TRUE(stayed || c->grid[before.column][before.row] == 0);
  note(0, 0);
}

// 640x400, distances doubled, shakes 0 or -2; a wide label (piece 18 on) in column 0 is cut at the row's start.
TEST(CoonLabels, LabelsLandInTheirGridPlacesAndAWideOneInTheFirstColumnIsCut) {
  std::vector<DatafileEntry> entries = {{"coon/coon1.pcx", {}}, {"coon/greets.pcx", {}}};
  const std::vector<u32> grey(320 * 200, 0x808080);
  ASSERT_TRUE(Art_Pcx_Bytes(grey.data(), 320, 200, 24, Test_Short_Temp("a.pcx"), &entries[0].data));
  entries[1].data = entries[0].data;
  const std::string data = Scene_Datafile(entries);
  EXPECT_CHILD(0, Child_Pass([&data] {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, data, &surface);
    Coon_Load();
    CoonLabels* labels = const_cast<CoonLabels*>(Coon_Get_Labels());
    const struct { i32 piece; u32 column, row; i32 left, right, top; } rows[] = {
        {0, 1, 2, 220, 392, 148}, {17, 0, 5, 20, 192, 280}, {26, 2, 5, 376, 636, 280}, {18, 0, 0, 0, 236, 60}};
    bool ok = true;
    for (const auto& r : rows) {
      labels->slot[0] = CoonSlot{r.piece, 0, r.column, r.row};
      u32* f = vbe_screen.frame;
      const i32 pixels = i32(vbe_screen.width * vbe_screen.height);  // a letterboxed frame has fewer lines
      std::fill(f, f + pixels, 0u);
      Coon_Draw_Labels();
      i32 x0 = 640, x1 = 0, y0 = 400, y1 = 0;
      for (i32 i = 0; i < pixels; i++)
        if (f[i]) x0 = std::min(x0, i % 640), x1 = std::max(x1, i % 640 + 1), y0 = std::min(y0, i / 640), y1 = i / 640;
      y1++;
      const i32 dx = r.right - x1, dy = r.top - y0;
      ok = ok && Child_Check((dx == 0 || dx == 2) && (dy == 0 || dy == 2), "shake") &&
           CHILD_EQ(x0, std::max(r.left - dx, 0)) && CHILD_EQ(y1 - y0, 42);
    }
    Coon_Free();
    return ok;
  }()));
}

// A 64x64 picture (4096 different texels) fills the 65536 the patch reads by repetition; a label sheet
// that is not 320x200 is refused.
TEST(CoonLoad, ASmallPictureIsRepeatedAndAWrongLabelSheetIsFatal) {
  std::vector<u32> small(64 * 64);
  for (u32 i = 0; i < small.size(); i++) small[i] = i * 2654435761u >> 8;
  std::vector<DatafileEntry> entries = {{"coon/coon1.pcx", {}}, {"coon/greets.pcx", {}}};
  ASSERT_TRUE(Art_Pcx_Bytes(small.data(), 64, 64, 24, Test_Short_Temp("a.pcx"), &entries[0].data));
  const std::vector<u32> greets = Art_Coon_Greets();
  ASSERT_TRUE(Art_Pcx_Bytes(greets.data(), 320, 200, 24, Test_Short_Temp("b.pcx"), &entries[1].data));
  const std::string data = Scene_Datafile(entries);
  EXPECT_CHILD(0, Child_Pass([&data] {
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
  ASSERT_TRUE(Art_Pcx_Bytes(greets.data(), 320, 190, 24, Test_Short_Temp("b.pcx"), &entries[1].data));
  const std::string bad = Scene_Datafile(entries);
  EXPECT_FATAL("Coon: coon/greets.pcx must be 320x200", {
    std::vector<u32> surface;
    Engine_Start_Host(640, 400, bad, &surface);
    Coon_Load();
  });
}
