// Tests of the edge walkers and span fillers: coverage, texture stepping, pixel operations, fast = plain.
#include "render/fill.h"

#include <cmath>
#include <random>

#include "vr_fixture.h"

namespace {
const u32 kGuard = 0xDEADBEEF;

// A target with two guard lines above and below, so stray writes show.
struct Canvas {
  i32 width, height;
  std::vector<u32> memory;
  u32* pixels;
  Canvas(i32 w, i32 h, u32 fill = 0) : width(w), height(h), memory(size_t(w) * (h + 4), kGuard) {
    pixels = memory.data() + 2 * w;
    std::fill(pixels, pixels + size_t(w) * h, fill);
    Poly_Set_Target(pixels, nullptr, h);
    Poly_Set_Pitch(w * 4);
  }
  u32& at(i32 x, i32 y) { return pixels[size_t(y) * width + x]; }
  bool Guards_Intact() const {
    for (size_t i = 0; i < size_t(2 * width); i++)
      if (memory[i] != kGuard || memory[memory.size() - 1 - i] != kGuard) return false;
    return true;
  }
};

// Sets the perspective gradients: u = (ua dx + ub dy + uc) / w and so on.
void Gradients(f32 ua, f32 ub, f32 uc, f32 va, f32 vb, f32 vc, f32 wa, f32 wb, f32 wc) {
  poly_state.ua = ua, poly_state.ub = ub, poly_state.uc = uc;
  poly_state.va = va, poly_state.vb = vb, poly_state.vc = vc;
  poly_state.wa = wa, poly_state.wb = wb, poly_state.wc = wc;
}

bool Raster_Clean() {
  for (u32 y = 0; y < kPolyRasterLines; y++)
    if (poly_state.raster[y].xa != kPolyEmpty) return false;
  return true;
}

// A texture whose texel holds its own index.
std::vector<u32> Index_Texture() {
  std::vector<u32> t(65536);
  for (u32 i = 0; i < 65536; i++) t[i] = i;
  return t;
}

class FillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Poly_Init();
    Poly_Set_Clip(0, 0, 319, 199);
  }
};
}  // namespace

// Degenerate outlines first draw nothing; then a triangle covers half-open lines.
TEST_F(FillTest, TriangleCoversHalfOpenLinesAndDegeneratePolygonsDrawNothing) {
  Canvas c(64, 32);
  poly_state.colour = 0xFFFFFF;
  Poly_Fill_Flat(List({Vx(1, 5), Vx(40, 5), Vx(20, 5)}));
  Poly_Fill_Flat(List({Vx(7, 1), Vx(7, 9), Vx(7, 20)}));  // every line one column wide
  poly_state.vertex_count = 0;
  Poly_Fill_Flat(poly_lists.a);
  Poly_Scan_Outline(List({}));
  EXPECT_TRUE(Raster_Clean());
  poly_state.colour = 0x112233;
  Poly_Fill_Flat(List({Vx(10, 10), Vx(20, 10), Vx(10, 20)}));
  for (i32 y = 0; y < 32; y++)
    for (i32 x = 0; x < 64; x++) {
      bool inside = y >= 10 && y <= 19 && x >= 10 && x < 30 - y;
      EXPECT_EQ(c.at(x, y), inside ? 0x112233u : 0u) << x << "," << y;
    }
  EXPECT_TRUE(Raster_Clean());
  EXPECT_TRUE(c.Guards_Intact());
}

TEST_F(FillTest, AffineSpanStepsTruncatedAndSkipsTheRightEnd) {
  Canvas c(300, 4);
  std::vector<u32> tex = Index_Texture();
  poly_state.map1 = tex.data();
  Poly_Fill_Tex(List({Vx(0, 0, 0, 0), Vx(256, 0, 255, 0), Vx(256, 2, 255, 0), Vx(0, 2, 0, 0)}));
  for (i32 x = 0; x < 256; x++) EXPECT_EQ(c.at(x, 0), u32((x * 255) >> 8)) << x;
  EXPECT_EQ(std::tuple(c.at(255, 1), c.at(256, 0)), std::tuple(254u, 0u));
  // v from 250 down to 4 over 246 pixels walks backward a whole texel a pixel, it does not wrap forward.
  Poly_Fill_Tex(List({Vx(0, 0, 0, 250), Vx(246, 0, 0, 4), Vx(246, 1, 0, 4), Vx(0, 1, 0, 250)}));
  for (i32 x : {0, 100, 245}) EXPECT_EQ(c.at(x, 0), u32(250 - x) * 256) << x;
}

// Start pairs of the two-pair walker: v keeps only its low byte, t is not masked and runs on into s's half.
TEST_F(FillTest, WalkerStartPairsMaskVButNotT) {
  const struct { i32 uv, t; u32 uva, sta; } rows[] = {{300, 300, 0x05002C00, 0x05012C00},
      {65412, 65412, 0x05008400, 0x05FF8400}, {-124, -124, 0x05008400, 0xFFFF8400}, {7, 7, 0x05000700, 0x05000700}};
  for (const auto& r : rows) {
    Poly_Walk_Edge_Uvst(Vx(0, 0, 5, r.uv, 5, r.t), Vx(0, 2, 5, r.uv, 5, r.t));
    EXPECT_EQ(poly_state.raster[0].uva, r.uva) << r.t;
    EXPECT_EQ(poly_state.raster[0].sta, r.sta) << r.t;
    poly_state.raster[0].xa = poly_state.raster[1].xa = kPolyEmpty;
  }
}

// Each pixel operation on one texel over one target pixel; a transparent texel is 0.
TEST_F(FillTest, PixelOperations) {
  const struct {
    void (*fill)(const PolyVertex*);
    u32 target, texel, want;
  } rows[] = {
      {Poly_Fill_Persp, 0x01020304, 0x00202020, 0x00202020},
      {Poly_Fill_Persp_Add, 0x01020304, 0x00202020, 0x01222324},
      {[](const PolyVertex* l) { Poly_Draw_Textured(const_cast<PolyVertex*>(l)); }, 0x01020304, 0x20, 0x20},
      {[](const PolyVertex* l) { Poly_Draw_Textured_Alt(const_cast<PolyVertex*>(l)); }, 0x01020304, 0x20, 0x01020324},
      {Poly_Fill_Tex_Sat, 0x7FF0F0F0, 0x00202020, 0x7FFFFFFF},
      {Poly_Fill_Tex_Add, 0x01020304, 0x00202020, 0x01222324},
      {Poly_Fill_Tex_Or, 0x01222324, 0x00000100, 0x01222324 | 0x100},
      {Poly_Fill_Tex_Trans, 0x555555, 0, 0x555555},
      {Poly_Fill_Tex_Trans, 0x555555, 0xFF000000, 0xFF000000},
  };
  // The perspective rows read one texel or another of the uniform texture: copied or added is the point.
  MeshPoint cam[1] = {{0, 0, 100, 0, 0}};
  poly_state.camera_points = cam;
  Gradients(0, 0, 0, 0, 0, 0, 0, 0, 1);
  for (const auto& r : rows) {
    std::vector<u32> tex(65536, r.texel);
    poly_state.map1 = tex.data();
    Canvas c(8, 4, r.target);
    r.fill(List({Vx(0, 0), Vx(4, 0), Vx(4, 2), Vx(0, 2)}));
    EXPECT_EQ(c.at(1, 1), r.want) << std::hex << r.want;
    EXPECT_EQ(c.at(4, 0), r.target);
  }
}

TEST_F(FillTest, TwoMapOperations) {
  std::vector<u32> m1(65536), m2(65536);
  for (u32 i = 0; i < 65536; i++) {
    m1[i] = i * 7 + 3, m2[i] = i * 13 + 1;
  }
  poly_state.map1 = m1.data(), poly_state.map2 = m2.data();
  const u32 i1 = 5 * 256 + 3, i2 = 9 * 256 + 7;
  auto quad = [] { return List({Vx(0, 0, 3, 5, 7, 9), Vx(2, 0, 3, 5, 7, 9), Vx(2, 1, 3, 5, 7, 9), Vx(0, 1, 3, 5, 7, 9)}); };
  Canvas c(4, 2, 100);
  Poly_Fill_Two_Tex(quad());
  EXPECT_EQ(c.at(1, 0), m1[i1] + m2[i2]);
  Poly_Fill_Two_Tex_Add(quad());
  EXPECT_EQ(c.at(1, 0), 2 * (m1[i1] + m2[i2]));
  Poly_Fill_Offset_Tex(quad());
  u32 a = m1[i2];
  EXPECT_EQ(c.at(1, 0), a + m2[(i1 + (a & 0xFFFF)) & 0xFFFF]);
  // The second map's index wraps within its 65536 texels: 1283 + 0x12345 lands on 1283 + 0x2345.
  m1[i2] = 0x12345;
  Poly_Fill_Shade_Table(quad());
  EXPECT_EQ(c.at(1, 0), m2[1283 + 0x2345]);
  std::vector<PolyBumpTexel> bump(65536, PolyBumpTexel{0x10, 0});
  bump[i2] = PolyBumpTexel{0x40, -256};
  poly_state.map1 = reinterpret_cast<const u32*>(bump.data());
  Poly_Fill_Bump_Tex(quad());
  EXPECT_EQ(c.at(1, 0), 0x40 + m2[1283 - 256]);
  bump[i2] = PolyBumpTexel{0x40, -0x7000};  // 1283 - 28672 wraps to 38147
  Poly_Fill_Bump_Tex(quad());
  EXPECT_EQ(c.at(1, 0), 0x40 + m2[38147]);
}

TEST_F(FillTest, PerspectiveSpanRestartsEverySixteenPixels) {
  Canvas c(64, 2);
  std::vector<u32> tex = Index_Texture();
  poly_state.map1 = tex.data();
  Poly_Set_Centre(0, 0);
  // W = 1 + x / 64, U = x, V = 3, so u = x / W, v = 3 / W.
  Gradients(1, 0, 0, 0, 0, 3, 1.0f / 64, 0, 1);
  poly_state.u_origin = poly_state.v_origin = 0;
  u64 before = Poly_Get_Divisions();
  Poly_Fill_Persp(List({Vx(0, 0), Vx(40, 0), Vx(40, 1), Vx(0, 1)}));
  EXPECT_EQ(Poly_Get_Divisions() - before, 5u);
  for (i32 x : {0, 16, 32}) {
    f32 r = 1.0f / (1.0f + f32(x) / 64);
    u32 u = u32(std::nearbyint(65535.0f * r * f32(x))) >> 16;
    u32 v = u32(std::nearbyint(65535.0f * r * 3.0f)) >> 16;
    EXPECT_EQ(c.at(x, 0), u * 256 + v) << x;
  }
  EXPECT_EQ(c.at(40, 0), 0u);
  EXPECT_NE(c.at(39, 0), 0u);
}

TEST_F(FillTest, ConcaveDartStaysInsideItsBuffer) {
  // Two bottom points: some lines get only their second edge.
  Canvas c(32, 24);
  poly_state.colour = 0xABCDEF;
  Poly_Fill_Flat(List({Vx(20, 0), Vx(10, 10), Vx(0, 0), Vx(10, 20)}));
  EXPECT_TRUE(c.Guards_Intact());
  EXPECT_TRUE(Raster_Clean());
  std::vector<u32> tex = Index_Texture();
  poly_state.map1 = poly_state.map2 = tex.data();
  for (int k = 0; k < POLY_FILL_KINDS; k++) {
    if (k == POLY_FILL_BUMP_TEX) continue;
    List({Vx(20, 0), Vx(10, 10), Vx(0, 0), Vx(10, 20)});
    Poly_Fill(PolyFillKind(k), poly_lists.a);
    EXPECT_TRUE(c.Guards_Intact()) << k;
  }
  // Spans stop at the target's edges.
  Poly_Fill_Flat(List({Vx(-5, -3), Vx(40, -3), Vx(40, 30), Vx(-5, 30)}));
  EXPECT_TRUE(c.Guards_Intact());
  EXPECT_TRUE(Raster_Clean());
}

TEST_F(FillTest, FastFillersMatchThePlainOnes) {
  std::mt19937 rng(12345);
  std::vector<u32> m1(65536 * 2), m2(65536);
  for (u32& t : m1) t = rng();
  for (u32& t : m2) t = rng();
  // Bump offsets must be small; the bump kind reads map1 as colour/offset pairs.
  std::vector<PolyBumpTexel> bump(65536);
  for (auto& b : bump) b = PolyBumpTexel{u32(rng()), i32(rng() % 65536) - 32768};
  Canvas fast(160, 100), plain(160, 100);
  auto coord = [&](u32 range) { return i32(rng() % range); };
  for (int round = 0; round < 600; round++) {
    PolyFillKind kind = PolyFillKind(round % POLY_FILL_KINDS);
    poly_state.map1 = kind == POLY_FILL_BUMP_TEX ? reinterpret_cast<const u32*>(bump.data()) : m1.data();
    poly_state.map2 = m2.data();
    poly_state.colour = rng();
    Poly_Set_Centre(80, 50);
    auto slope = [&] { return f32(coord(2000)) / 1000 - 1; };
    auto offset = [&] { return f32(coord(200)) - 100; };
    Gradients(slope(), slope(), offset(), slope(), slope(), offset(), f32(coord(100)) / 10000,
              f32(coord(100)) / 10000, 1 + f32(coord(100)) / 100);
    poly_state.u_origin = i32(rng()), poly_state.v_origin = i32(rng());
    i32 n = 3 + coord(2);
    PolyVertex vs[4];
    for (i32 i = 0; i < n; i++) vs[i] = Vx(coord(170) - 5, coord(110) - 5, coord(256), coord(256), coord(256), coord(256));
    for (u32 i = 0; i < fast.memory.size(); i++) fast.memory[i] = plain.memory[i] = u32(i * 2654435761u);
    for (Canvas* c : {&fast, &plain}) {
      Poly_Set_Target(c->pixels, nullptr, c->height);
      poly_state.vertex_count = n;
      for (i32 i = 0; i <= n; i++) poly_lists.a[i] = vs[i % n];
      (c == &fast ? Poly_Fill : Poly_Fill_Plain)(kind, poly_lists.a);
    }
    ASSERT_EQ(fast.memory, plain.memory) << "kind " << kind << " round " << round;
  }
}

TEST_F(FillTest, WalkersTakeTheirStepsFromTheDivisionTableOnceItIsBuilt) {
  Canvas c(64, 32);
  // u falls by 1 over 3 lines: dividing truncates toward zero (-85/256 a line), the table's 16.16
  // quotient shifted down floors it (-86/256); x rises by 3 over 3 lines, one pixel a line, either way.
  auto Second_Line = [](PolyRasterLine* out) {
    for (u32 y = 0; y < kPolyRasterLines; y++) poly_state.raster[y].xa = kPolyEmpty;
    Poly_Walk_Edge_Uv(Vx(10, 0, 100, 7), Vx(13, 3, 99, 7));
    *out = poly_state.raster[1];
    for (u32 y = 0; y < kPolyRasterLines; y++) poly_state.raster[y].xa = kPolyEmpty;
  };
  PolyRasterLine divided, looked_up;
  Second_Line(&divided);
  Math_Init_Div_Table(256, 16);
  Second_Line(&looked_up);
  Math_Init_Div_Table(1, 1);  // a table of one row holds no quotient: the walkers divide again
  EXPECT_EQ(std::tuple(divided.xa, looked_up.xa, divided.uva >> 16, looked_up.uva >> 16),
            std::tuple(11 << 16, 11 << 16, (100u << 8) - 85, (100u << 8) - 86));
  EXPECT_TRUE(c.Guards_Intact());
}
