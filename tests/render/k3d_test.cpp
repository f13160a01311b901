// Tests of the K3D loader: the byte layout, objects without points, frames, reduction, bad files and the text form.
#include "render/k3d.h"

#include "tests/engine_fixture.h"
#include "k3d_writer.h"
#include "render/meshtool.h"
#include "runtime/err.h"

namespace {
class K3dTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Mem_Is_Initialised()) Mem_Init(0);
    Mesh_Free_All_Scenes();
    Mesh_Init();
    Mesh_Create_Scene(1000, 1000, 20, 5, 1000);
  }
  void TearDown() override { Mesh_Free_All_Scenes(); }
  u16 Load(const std::vector<u8>& bytes, u8 base = 0) {
    return Mesh_Load_K3D_Buffer("test.k3d", bytes.data(), u32(bytes.size()), 0, 0, 0, 1.0f, base);
  }
  const char* Check(const std::vector<u8>& bytes, MeshK3dTarget target = MESH_K3D_MOVABLE_BUFFER) {
    return Mesh_Check_K3D("bad.k3d", bytes.data(), u32(bytes.size()), target);
  }
};

K3dObject Triangle(const char* name, f32 x) {
  return K3dObject{name, {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}}, {{{0, 1, 2}, 1}}};
}

std::string Repeat(const std::string& line, int n) {
  std::string t;
  for (int i = 0; i < n; i++) t += line;
  return t;
}

K3dMesh Two_Objects() {
  K3dMesh m;
  m.objects = {Triangle("first", 0), Triangle("second", 10)};
  m.objects[1].polygons[0].points = {0, 2, 1};
  return m;
}
}  // namespace

// One horizontal unit quad, written out byte by byte: header, name, four points, one polygon.
const std::vector<u8> kQuadFile = {
    4, 0, 0, 1, 'q', 'u', 'a', 'd', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0,     //
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                       // (0, 0, 0)
    0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0,                                 // (1, 0, 0)
    0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F, 0, 0, 0, 0,                           // (1, 1, 0)
    0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0,                                 // (0, 1, 0)
    1, 0, 4, 0, 0, 1, 0, 2, 0, 3, 0, 0};                                      // quad 0 1 2 3, texture 0

TEST_F(K3dTest, TheEightyOneByteQuadLoadsAndTheWriterMakesIt) {
  K3dMesh m;
  m.objects = {K3dObject{"quad", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{{0, 1, 2, 3}, 0}}}};
  ASSERT_EQ(kQuadFile.size(), 81u);
  EXPECT_EQ(K3d_Write(m), kQuadFile);
  // z up in the file, y down in the engine: (c0, c1, c2) becomes (c0, -c2, c1).
  Mesh_Set_Axis_Order(0, -2, 1);
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Load(kQuadFile);
  ASSERT_EQ(mesh_work.last_point, 3);
  const MeshPoint p = Mesh_Get_Point(2);
  EXPECT_EQ(std::tuple(p.x, p.y, p.z, mesh_work.polys[0].vertex_count, mesh_work.polys[0].point[3]),
            std::tuple(1.0f, 0.0f, 1.0f, 4, 3u));
}

// An object of no points still carries one point record, which is added; the next block counts from after it.
TEST_F(K3dTest, ObjectWithoutPointsLoads) {
  K3dMesh m = Two_Objects();
  m.objects[0] = K3dObject{"empty", {}, {}};
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Load(K3d_Write(m));
  EXPECT_EQ(std::tuple(mesh_work.last_point, mesh_work.polys[0].point[0], Mesh_Get_Point(1).x),
            std::tuple(3, 1u, 10.0f));
}

TEST_F(K3dTest, AnimationFramesFillTheMovableObjectsBuffer) {
  K3dMesh m;
  m.objects = {K3dObject{"walker", std::vector<K3dPoint>(100), {}}};
  m.frame_count = 3;
  for (int f = 1; f < 3; f++) m.frames.push_back({std::vector<K3dPoint>(100, K3dPoint{0, f32(f), 0})});
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  Load(K3d_Write(m));
  const MeshObject& obj = mesh_work.objects[0];
  ASSERT_NE(obj.anim_buffer, nullptr);
  EXPECT_EQ(Mem_Get_Size(obj.anim_buffer), 400u * 16);
  EXPECT_EQ(std::tuple(obj.anim_buffer[2 * 100].y, obj.anim_buffer[100 + 99].y), std::tuple(2.0f, 1.0f));
  u32 offsets[4];
  for (u32& off : offsets) {
    off = mesh_work.objects[0].frame_offset;
    Mesh_Next_Anim_Frame(0);
  }
  EXPECT_EQ(std::vector<u32>(offsets, offsets + 4), (std::vector<u32>{0, 100, 200, 0}));
}

TEST_F(K3dTest, BadFilesAreRefusedWithTheirReason) {
  std::vector<u8> good = K3d_Write(Two_Objects());
  EXPECT_EQ(Check(good), nullptr);
  for (size_t cut = 0; cut < good.size(); cut++)
    EXPECT_STREQ(Check(std::vector<u8>(good.begin(), good.begin() + cut)), "Mesh: K3D bad.k3d is truncated") << cut;

  std::vector<u8> name = good;
  for (int i = 4; i < 19; i++) name[i] = 'x';
  EXPECT_STREQ(Check(name), "Mesh: K3D bad.k3d: object 0 name has no end");

  K3dMesh m = Two_Objects();
  m.objects[1].polygons[0].points = {0, 1, 2, 0, 1};
  EXPECT_STREQ(Check(K3d_Write(m)), "Mesh: K3D bad.k3d: polygon with 5 vertices");
  m.objects[1].polygons[0].points = {};
  EXPECT_STREQ(Check(K3d_Write(m)), "Mesh: K3D bad.k3d: polygon with 0 vertices");
  m.objects[1].polygons[0].points = {0, 3, 1};
  EXPECT_STREQ(Check(K3d_Write(m)), "Mesh: K3D bad.k3d: point index 3 out of range");
  // Frames count their points in 16 bits.
  K3dMesh big;
  big.frame_count = 1;
  big.objects = {K3dObject{"a", std::vector<K3dPoint>(40000), {}}, K3dObject{"b", std::vector<K3dPoint>(30000), {}}};
  EXPECT_STREQ(Check(K3d_Write(big)), "Mesh: K3D bad.k3d: 70000 points in a frame, more than 65535");

  m = Two_Objects();
  m.frame_count = 2, m.frames = {{m.objects[0].points, {{0, 0, 0}}}};
  EXPECT_STREQ(Check(K3d_Write(m)), "Mesh: K3D bad.k3d: frame 1 object 1 has 1 points, expected 3");
  m.frames = {{m.objects[0].points, m.objects[1].points}};
  EXPECT_EQ(Check(K3d_Write(m)), nullptr);
  EXPECT_STREQ(Check(K3d_Write(m), MESH_K3D_OBJECTS), "Mesh: K3D bad.k3d: animation needs a movable object");
  EXPECT_STREQ(Check(K3d_Write(m), MESH_K3D_STILL_OBJECT), "Mesh: K3D bad.k3d: animation needs a movable object");
  m.frame_point_total = 5;
  EXPECT_STREQ(Check(K3d_Write(m), MESH_K3D_MOVABLE_NEW), "Mesh: K3D bad.k3d: frame point total 5 below 6");
  m.frame_point_total = 6;
  EXPECT_EQ(Check(K3d_Write(m), MESH_K3D_MOVABLE_NEW), nullptr);
}

// The fatal exit's hook reports the scene's newest point: the check runs before anything is added.
void Report_Points(void) { printf("newest point %d\n", int(mesh_work.last_point)); }

TEST_F(K3dTest, LoaderStopsOnBadFilesBeforeChangingTheScene) {
  K3dMesh m = Two_Objects();
  m.objects[1].polygons[0].points = {0, 9, 1};
  Mesh_Add_Object(0, 0, 0, 0, 0, 0, nullptr);
  Err_Set_Exit_Hook(Report_Points);
  EXPECT_FATAL("newest point -1\n\n\xFE Mesh: K3D test.k3d: point index 9 out of range", Load(K3d_Write(m)));
  m = Two_Objects();
  m.frame_count = 2;
  m.frames = {{m.objects[0].points, m.objects[1].points}};
  EXPECT_FATAL("newest point -1\n\n\xFE Mesh: K3D test.k3d: animation needs a movable object", Load(K3d_Write(m)));
  m.frame_point_total = 5;
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  EXPECT_FATAL("newest point -1\n\n\xFE Mesh: K3D test.k3d: frame point total 5 below 6", Load(K3d_Write(m)));
  for (i32 axis : {3, -3}) EXPECT_FATAL("Mesh: Invalid axis order", Mesh_Set_Axis_Order(0, axis, 1), Load(kQuadFile));
  Err_Set_Exit_Hook(nullptr);
}

TEST_F(K3dTest, TextFormatOfTheTool) {
  K3dMesh m;
  std::string error;
  ASSERT_TRUE(K3d_Parse_Text("o box\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf t=3 0 1 2\n", &m, &error)) << error;
  ASSERT_EQ(m.objects.size(), 1u);
  EXPECT_EQ(m.objects[0].polygons[0].texture, 3);
  EXPECT_EQ(m.objects[0].points[1][0], 1.0f);
  const struct {
    std::string text;
    const char* error;
  } bad[] = {
      {"v 0 0 0\n", "line 1: no object yet"},
      {"o a\nv 0 0 0\nf 0 1\n", "line 3: point index out of range"},
      {"o a\nv 0 0 0 7\n", "line 2: extra text '7'"},
      {"o a b\n", "line 1: extra text 'b'"},
      {Repeat("o x\n", 256), "line 256: more than 255 objects"},
      {"o a\n" + Repeat("v 0 0 0\n", 65536),
       "line 65537: more than 65535 points in the file"},
  };
  for (const auto& b : bad) {
    K3dMesh out;
    EXPECT_FALSE(K3d_Parse_Text(b.text, &out, &error));
    EXPECT_EQ(error, b.error);
  }
}
