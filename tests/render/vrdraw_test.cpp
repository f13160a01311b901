// Tests of the VR draw list: keys, the radix sort's order, the fill choice, the pre-list and flares.
#include "render/vrdraw.h"

#include <algorithm>

#include "render/fill.h"
#include "vr_fixture.h"

namespace {
class VrDrawTest : public VrTest {
 protected:
  // One object of flat polygons on points whose depths are given per polygon, one per vertex.
  void Make_Polys(const std::vector<std::vector<i32>>& depths, u32 flags = 0x1 | 0x200000) {
    Mesh_Create_Scene(300, 100, 4, 1, 300);
    Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
    for (const auto& d : depths) {
      u32 pts[4];
      for (u32 i = 0; i < 4; i++) {
        pts[i] = i < d.size() ? Mesh_Add_Point(0, 0, 0) : pts[0];
        vr_projected[pts[i]] = VrProjectedPoint{10, 10, d[i % d.size()], {0, 0, 0}, 0};
      }
      const u32 p = Mesh_Add_Poly(0, 0, flags, u32(d.size()), pts);
      mesh_work.polys[p].poly_class = 1;
    }
    Mesh_End_Object();
  }
};
}  // namespace

TEST_F(VrDrawTest, SortIsDescendingAndKeepsEqualKeysInOrder) {
  std::vector<VrDrawEntry> entries;
  u32 seed = 12345;
  for (u32 i = 0; i < 3000; i++) {
    seed = seed * 1103515245u + 12345u;
    entries.push_back(VrDrawEntry{u16((seed >> 16) % 700), u16(i), nullptr});
  }
  std::vector<VrDrawEntry> expected = entries;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const VrDrawEntry& a, const VrDrawEntry& b) { return a.key > b.key; });
  VrDrawEntry** heads = VR_Radix_Sort(entries.data(), u32(entries.size()));
  std::vector<u16> got, want;
  for (i32 h = 255; h >= 0; h--)
    for (VrDrawEntry* e = heads[h]; e; e = e->link) got.push_back(e->polygon);
  for (const VrDrawEntry& e : expected) want.push_back(e.polygon);
  EXPECT_EQ(got, want);
}

TEST_F(VrDrawTest, KeysAverageDepthsAndWrapToSixteenBits) {
  Make_Polys({{100, 200, 300}, {40000, 40000, 40000}, {65000, 65000, 65000}, {100, 200, 300, 1000}});
  mesh_work.objects[0].order_key = mesh_work.polys[2].depth_bias = 1000;
  VR_Build_Draw_List();
  ASSERT_EQ(vr_engine.draw_count, 4u);
  const VrDrawEntry* list = VR_Get_Draw_List();
  // A triangle's last point is its third, a quad's its fourth.
  const u16 tri = (100 + 200 + 300 + 300) / 4 + 1000, quad = (100 + 200 + 300 + 1000) / 4 + 1000;
  EXPECT_EQ(std::vector<u16>({list[0].key, list[1].key, list[2].key, list[3].key}),
            std::vector<u16>({tri, 41000, u16(67000), quad}));
}

// The filler and ints per vertex each flag combination picks: texture slot 0, type slot 1.
TEST_F(VrDrawTest, FlagsPickTheFillRow) {
  Add_Texture(0), Add_Texture(1);
  Make_Polys({{10, 10, 10, 10}});
  mesh_work.polys[0].type = 1;
  MeshPoint cam[4] = {};
  poly_state.camera_points = cam;
  const struct { u32 flags; PolyFillKind kind; i32 n; } rows[] = {
      {0x4, POLY_FILL_TEX, 4}, {0x44, POLY_FILL_TEX_SAT, 4}, {0x1C, POLY_FILL_TWO_TEX, 6},
      {0x20014, POLY_FILL_BUMP_TEX, 6}, {0x14, POLY_FILL_OFFSET_TEX, 6}, {0x40000C, POLY_FILL_PERSP, 2},
      {0x400044, POLY_FILL_PERSP_ADD, 2}, {0x20400044, POLY_FILL_PERSP, 2}, {0x48, POLY_FILL_TEX_SAT, 4},
      {0x18, POLY_FILL_TEX, 4}, {0x50, POLY_FILL_SHADE_TABLE, 6}, {0x200000, POLY_FILL_FLAT, 4},
      {0x2080, POLY_FILL_TEX_TRANS, 4}, {0x80, POLY_FILL_KINDS, 0}, {0x40, POLY_FILL_KINDS, 0},
      {0x10000004, POLY_FILL_KINDS, 0}};
  for (const auto& r : rows) {
    mesh_work.polys[0].flags = r.flags;
    poly_state.n = 0;
    Poly_Forget_Last_Fill();
    VR_Set_Current_Polygon(0);
    VR_Draw_Polygon();
    EXPECT_EQ(Poly_Get_Last_Fill(), r.kind) << std::hex << r.flags;
    EXPECT_EQ(poly_state.n, r.n) << std::hex << r.flags;
  }
}

// A one-point pixel lands only inside the 320 x 200 viewport: x = 320 would be the next line's first pixel and,
// on the last line, past the buffer (a spare guard line here, as is y = 200).
TEST_F(VrDrawTest, PixelPrimitiveStaysInsideTheViewport) {
  Make_Polys({{5}}, 0x80 | 0x800);
  mesh_work.polys[0].colour = 0xC0FFEE;
  const struct { i32 x, y, drawn_at; } rows[] = {{319, 5, 5 * 320 + 319}, {320, 5, -1}, {-1, 5, -1},
      {10, 199, 199 * 320 + 10}, {10, 200, -1}, {10, -1, -1}, {320, 199, -1}};
  for (const auto& r : rows) {
    std::vector<u32> target(320 * 201, 0);
    vr_view.target = target.data();
    vr_projected[mesh_work.polys[0].point[0]] = VrProjectedPoint{r.x, r.y, 5, {0, 0, 0}, 0};
    VR_Set_Current_Polygon(0);
    VR_Draw_Polygon();
    std::vector<u32> want(target.size(), 0);
    if (r.drawn_at >= 0) want[u32(r.drawn_at)] = 0xC0FFEE;
    EXPECT_EQ(target, want) << r.x << "," << r.y;
  }
  vr_view.target = frame.data();
}

TEST_F(VrDrawTest, PolygonsAtTheNearLimitAreLeftOut) {
  Make_Polys({{1, 1, 1}, {1, 2, 1}, {-5, 0, 1}});
  VR_Build_Draw_List();
  ASSERT_EQ(vr_engine.draw_count, 1u);
  EXPECT_EQ(VR_Get_Draw_List()[0].polygon, 1);
}

TEST_F(VrDrawTest, FarLimitKeysAndRejects) {
  Make_Polys({{101, 200, 301}, {100, 200, 999}, {100, 1000, 200}});
  VR_Set_Far_Limit(1000);
  VR_Build_Draw_List();
  ASSERT_EQ(vr_engine.draw_count, 2u);
  EXPECT_EQ(VR_Get_Draw_List()[0].key, (101 + 200 + 2 * 301) >> 2);  // 903 / 4, truncated
  EXPECT_EQ(VR_Get_Draw_List()[1].polygon, 1);
}

TEST_F(VrDrawTest, PreListIsDrawnFirstLastAddedFirst) {
  Make_Polys({{500, 500, 500}, {10, 10, 10}, {900, 900, 900}, {20, 20, 20}});
  mesh_work.polys[1].flags |= 0x4000, mesh_work.polys[3].flags |= 0x4000;
  VR_Build_Draw_List();
  EXPECT_EQ(std::tuple(vr_engine.draw_count, VR_Get_Pre_Count()), std::tuple(2u, 2u));
  std::vector<u32> order(16);
  u32 count = 0;
  VR_Record_Draw_Order(order.data(), 16, &count);
  VR_Sort_And_Draw();
  VR_Record_Draw_Order(nullptr, 0, nullptr);
  order.resize(count);
  EXPECT_EQ(order, (std::vector<u32>{3, 1, 2, 0}));
  EXPECT_EQ(std::tuple(vr_engine.draw_count, VR_Get_Pre_Count()), std::tuple(4u, 0u));
}

TEST_F(VrDrawTest, FlareShowsOnlyWhileItsLightPixelIsUncovered) {
  const i32 slot = Add_Texture(1);
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  const u32 point = Mesh_Add_Point(0, 0, 0);
  textures.back()[20 * 256 + 5] = 0x123456;  // the texel at half of u 10, v 40 gives the flare's colour
  const u32 poly = Mesh_Add_Sprite_Poly(point, u32(slot), 0x200, 10, 40);
  Mesh_End_Object();
  const MeshPoly& p = mesh_work.polys[poly];
  EXPECT_EQ(std::tuple(p.type, p.colour, p.value, p.flags), std::tuple(1, 0x123456u, 50000, 0x281u));
  vr_projected[point] = VrProjectedPoint{100, 50, 10, {0, 0, 0}, 0};
  VR_Set_Current_Polygon(poly);
  VR_Draw_Polygon();
  ASSERT_EQ(VR_Get_Flare_Count(), 1u);
  const std::vector<u32> before = frame;
  VR_Draw_Lens_Flares();  // the light pixel is 0, not the flare's colour
  EXPECT_EQ(frame, before);
  frame[50 * 320 + 100] = 0x123456;
  VR_Draw_Lens_Flares();
  EXPECT_NE(frame, before);
  // A full table drops the excess.
  for (int i = 0; i < 20; i++) VR_Draw_Polygon();
  EXPECT_EQ(VR_Get_Flare_Count(), kVrMaxFlares);
}


// Each flare quad lights exactly its own box: the texture's rectangles each hold one bit of blue on black, so a
// pixel's bits name the quads over it. Focal factors 200 and 120 give a = 18 and b = 11; the projection centre is
// (300, 180); a box is centre - half its size, then its size.
TEST_F(VrDrawTest, FlareQuadsHaveTheirSizesPlacesAndTextureRectangles) {
  Start(640, 400);
  const i32 slot = Add_Texture(0);
  std::vector<u32>& t = textures.back();
  std::fill(t.begin(), t.end(), 0u);
  // Kind 1 quads 1 to 7, kind 3; kind 2 reads the first rectangle too (quad 1 stops a column short of its end).
  const struct { i32 ua, va, ub, vb; u32 bit; } rects[] = {{0, 128, 128, 255, 1}, {128, 0, 255, 127, 2},
      {160, 192, 176, 208, 4}, {128, 192, 160, 224, 8}, {192, 224, 224, 256, 16}, {128, 224, 160, 256, 32},
      {160, 224, 192, 256, 64}, {0, 0, 64, 64, 128}};
  for (const auto& r : rects)
    for (i32 v = r.va; v < r.vb; v++) std::fill_n(&t[size_t(v * 256 + r.ua)], r.ub - r.ua, r.bit);
  vr_view.focal_x = 200, vr_view.focal_y = 120;
  VR_Set_Centre(300, 180);
  Mesh_Create_Scene(10, 10, 2, 1, 10);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  const u32 point = Mesh_Add_Point(0, 0, 0);
  const u32 poly = Mesh_Add_Sprite_Poly(point, u32(slot), 0x200, 200, 200);  // colour: the black texel (100, 100)
  Mesh_End_Object();
  struct Box { i32 left, top, w, h; u32 bit; };
  const struct { u32 flags; u8 kind; i32 x, y, half; std::vector<Box> boxes; } rows[] = {
      // dx, dy = -157, -77, halved -79, -39, quartered -40, -20; ex, ey halved 78, 38, quartered 39, 19.
      {0x281, 1, 457, 257, 0, {{385, 213, 144, 88, 1}, {71, 59, 144, 88, 2}, {212, 136, 18, 11, 4},
          {242, 149, 36, 22, 8}, {125, 92, 36, 22, 16}, {360, 207, 36, 22, 32}, {321, 188, 36, 22, 64}}},
      // e, f = -13, -101; -7, -51; 13, 101; 6, 50.
      {0x281, 3, 326, 382, 0, {{265, 57, 45, 45, 128}, {274, 110, 39, 39, 128}, {291, 259, 45, 45, 128},
          {287, 211, 38, 38, 128}}},
      {0x1081, 2, 100, 300, 25, {{75, 275, 50, 50, 1}}},
      {0x1081, 2, 100, 300, 0, {}}};  // the half size the engine leaves it
  for (const auto& r : rows) {
    mesh_work.polys[poly].flags = r.flags, mesh_work.polys[poly].type = r.kind;
    vr_projected[point] = VrProjectedPoint{r.x, r.y, 10, {0, 0, 0}, 0};
    std::fill(frame.begin(), frame.end(), 0u), VR_Clear_Flares(), VR_Draw_Polygon();
    ASSERT_EQ(VR_Get_Flare_Count(), 1u);
    const_cast<VrFlare*>(VR_Get_Flares())->half_size = r.half;  // nothing in the engine sets it
    VR_Draw_Lens_Flares();
    std::vector<u32> want(frame.size(), 0);
    for (const Box& b : r.boxes)
      for (i32 y = b.top; y < b.top + b.h; y++)
        for (i32 x = b.left; x < b.left + b.w; x++) want[size_t(y * 640 + x)] += b.bit;
    const i64 at = std::mismatch(frame.begin(), frame.end(), want.begin()).first - frame.begin();
    EXPECT_EQ(at, i64(frame.size())) << "kind " << int(r.kind) << ", half " << r.half << ": pixel (" << at % 640
                                     << ", " << at / 640 << ")";
  }
}
