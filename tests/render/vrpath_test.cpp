// Tests of VR paths and events: loading, stepping and seeking, scene views, door events, positional sound.
#include "render/vrpath.h"

#include <cmath>

#include "path_writer.h"
#include "vr_fixture.h"

namespace {
class VrPathTest : public VrTest {
 protected:
  void SetUp() override {
    VrTest::SetUp();
    Mesh_Create_Scene(100, 100, 10, 4, 100);
  }
  void TearDown() override {
    VR_Free_Camera_Path();
    VrTest::TearDown();
  }
  // A camera path of n records along +z in the file's axes, written by the path writer.
  std::string Write_Camera(u32 n) {
    const std::string name = Test_Short_Temp("vr_test.cam");
    std::vector<PathCameraKey> keys;
    for (u32 i = 0; i < n; i++) keys.push_back({{0.0f, 0.0f, f32(i)}, {0.0f, 0.0f, f32(i) + 10.0f}, 0.0f});
    EXPECT_TRUE(Write_File(name, Path_Write_Camera(keys)));
    return name;
  }
  u32 Index(void) { return u32(vr_engine.path.current - vr_engine.path.buffer); }
  u32 Record_Index(void) {
    MeshScene* s = Mesh_Get_Scene(0);
    return u32(static_cast<VrPathRecord*>(s->path_current) - static_cast<VrPathRecord*>(s->path_buffer));
  }
};
}  // namespace

TEST_F(VrPathTest, CameraFileOfTenRecordsLoadsAndConverts) {
  std::vector<PathCameraKey> keys;
  for (u32 i = 0; i < 10; i++) keys.push_back({{1.0f, 2.0f, f32(i)}, {11.0f, 2.0f, f32(i)}, 90.0f});
  ASSERT_TRUE(Write_File(Test_Short_Temp("vr_ten.cam").c_str(), Path_Write_Camera(keys)));
  VR_Load_Camera_Path(Test_Short_Temp("vr_ten.cam").c_str(), 2.0f);
  EXPECT_EQ(vr_engine.path.record_count, 10u);
  const VrPathRecord& r = vr_engine.path.buffer[3];
  EXPECT_EQ(std::tuple(r.position[0], r.position[1], r.position[2]), std::tuple(2.0f, -4.0f, 6.0f));
  // Looking along +x with a quarter roll: the matrix takes the direction onto camera +z.
  EXPECT_EQ(std::tuple(vr_camera.angles[VR_YAW], vr_camera.angles[VR_ROLL]), std::tuple(512, 512));
  EXPECT_NEAR(r.matrix[6], 1.0f, 1e-6);
}

TEST_F(VrPathTest, BadSizesAndFullTablesAreFatal) {
  ASSERT_TRUE(Write_File(Test_Short_Temp("vr_empty.cam").c_str(), {}));
  EXPECT_FATAL("VR: Empty path", VR_Load_Camera_Path(Test_Short_Temp("vr_empty.cam").c_str(), 1.0f));
  ASSERT_TRUE(Write_File(Test_Short_Temp("vr_short.cam").c_str(), std::vector<u8>(47, 0)));
  EXPECT_FATAL("VR: Empty path", VR_Load_Camera_Path(Test_Short_Temp("vr_short.cam").c_str(), 1.0f));
  ASSERT_TRUE(Write_File(Test_Short_Temp("vr_one.cam").c_str(), std::vector<u8>(48, 0)));
  EXPECT_FATAL("VR: No object for path", VR_Load_Object_Path(Test_Short_Temp("vr_one.cam").c_str(), 1.0f));
  EXPECT_FATAL("VR: Scene 7 does not exist", VR_Select_Scene(7));
  Vr_Add_Box_Sector("door0", 0, 100, 0, false);
  EXPECT_FATAL("VR: Event object 9 does not exist", VR_Event(0, 9, 0, 0, 0, 1));
  for (u32 i = 0; i < kVrMaxEvents; i++) VR_Event(0, 0, 0, 0, 0, 1);
  EXPECT_FATAL("VR: Too many events", VR_Event(0, 0, 0, 0, 0, 1));
}

TEST_F(VrPathTest, BytesAfterTheLastWholeRecordAreIgnored) {
  const std::string name = Write_Camera(10);
  const char tail[20] = {1, 2, 3};
  ASSERT_TRUE(std::ofstream(name, std::ios::binary | std::ios::app).write(tail, sizeof tail).good());
  VR_Load_Camera_Path(name.c_str(), 1.0f);
  EXPECT_EQ(std::tuple(vr_engine.path.record_count, vr_engine.path.records_left), std::tuple(10u, 10u));
  Mesh_Add_Object(0, 0, 0, 0, 0, kMeshObjectMovable, nullptr);
  VR_Load_Object_Path(name.c_str(), 1.0f);
  const MeshObject& o = mesh_work.objects[mesh_work.last_object];
  EXPECT_EQ(std::tuple(o.path_record_count, o.path_records_left), std::tuple(10u, 10u));
  VR_Free_Object_Paths();
}

// Position y 4 at scale 2 lies at world y -8; a target 1 above or below in the file and 3^0.5 ahead is
// 30 degrees off the level: pitch trunc(asin(-+1/2) x -325.949) = 170 or -170 + 2048, camera z row's y = -sin(pitch).
TEST_F(VrPathTest, CameraRecordAimsAtATargetOffItsHeight) {
  const struct { f32 target_y; i32 pitch; f32 z_row_y; } rows[] = {{5, 170, -0.4982f}, {3, 1878, 0.4982f}};
  for (const auto& r : rows) {
    const f32 raw[12] = {0, 4, 0, 0, r.target_y, 1.7320508f, 0};
    VrPathRecord record;
    std::memcpy(&record, raw, sizeof record);
    VR_Convert_Camera_Records(&record, 1, 2.0f);
    EXPECT_EQ(std::tuple(vr_camera.angles[VR_PITCH], vr_camera.angles[VR_YAW], record.position[1]),
              std::tuple(r.pitch, 0, -8.0f));
    EXPECT_NEAR(record.matrix[7], r.z_row_y, 1e-3) << r.target_y;
  }
}

// A path goes onto the newest object, still or movable; freeing the paths frees each one's block.
TEST_F(VrPathTest, FreeingObjectPathsReachesStillObjectsToo) {
  const std::string name = Write_Camera(2);
  std::vector<std::pair<u32, void*>> loaded;
  for (u32 flags : {0u, kMeshObjectMovable, 0u}) {
    const u32 o = Mesh_Add_Object(0, 0, 0, 0, 0, flags, nullptr);
    VR_Load_Object_Path(name.c_str(), 1.0f);
    loaded.push_back({o, mesh_work.objects[o].path_buffer});
  }
  VR_Free_Object_Paths();
  for (auto [o, buffer] : loaded)
    EXPECT_EQ(std::tuple(mesh_work.objects[o].path_driven, Mem_Search_Block(buffer)), std::tuple(0, -1)) << o;
}

TEST_F(VrPathTest, StepsLoopOrStayOnTheEndRecord) {
  VR_Load_Camera_Path(Write_Camera(3).c_str(), 1.0f);
  MeshScene* s = Mesh_Get_Scene(0);
  VR_Step_Camera_Path();
  VR_Step_Camera_Path();
  VR_Step_Camera_Path();
  EXPECT_EQ(std::tuple(Record_Index(), s->path_records_left), std::tuple(2u, 1u));
  VR_Set_Path_Loop();
  VR_Step_Camera_Path();
  EXPECT_EQ(Record_Index(), 0u);
  // Stepping off (the sequencer's debug flag) holds the path.
  vr_engine.path_stepping = 0;
  VR_Step_Camera_Path();
  EXPECT_EQ(Record_Index(), 0u);
  // Back from the first record: there without looping, to the last with it.
  vr_engine.path_loops = 0;
  VR_Step_Camera_Path_Back();
  EXPECT_EQ(Index(), 0u);
  vr_engine.path_loops = 1;
  VR_Step_Camera_Path_Back();
  EXPECT_EQ(std::tuple(Index(), vr_engine.path.records_left), std::tuple(2u, 1u));
}

TEST_F(VrPathTest, SeekWrapsWhenLoopingElseHoldsTheEnd) {
  VR_Load_Camera_Path(Write_Camera(10).c_str(), 1.0f);
  VR_Seek_Camera_Path(25);
  EXPECT_EQ(std::tuple(Index(), vr_engine.path.records_left), std::tuple(9u, 1u));
  vr_engine.path_loops = 1;
  VR_Seek_Camera_Path(25);
  EXPECT_EQ(std::tuple(Index(), vr_engine.path.records_left), std::tuple(5u, 5u));
  VR_Seek_Camera_Path(7);
  VR_Apply_Camera_Path();
  EXPECT_EQ(std::tuple(vr_camera.position[2], VR_Get_Path_Record()), std::tuple(7.0f, 7u));
  VR_Seek_Camera_Path(-5);  // before the start: the first record
  EXPECT_EQ(Index(), 0u);
  // The debug override holds a selected scene's path; toggled back, the scene's own setting holds again.
  Mesh_Get_Scene(0)->path_on = 1;
  for (u8 want : {0, 1}) {
    VR_Toggle_Path_Override(), VR_Select_Scene(0);
    EXPECT_EQ(vr_engine.path_on, want);
  }
}

TEST_F(VrPathTest, EventsAlternateDirectionAndRunTheirCourse) {
  const u32 door = Vr_Add_Box_Sector("door0", 0, 100, 0, false);
  const u32 e = VR_Event(5, door, 1, 2, 3, 4);
  VR_Save_Event_Copies();
  VrEvent* ev = VR_Get_Event(e);
  static u32 calls;
  calls = 0;
  VR_Set_Event_Callback(e, [](u32) { calls++; });
  mesh_work.objects[door].door_closed = 1;
  VR_Trigger_Event(e);
  EXPECT_EQ(std::tuple(ev->increment, mesh_work.objects[door].door_closed), std::tuple(1, u8(0)));
  VR_Trigger_Event(e);  // under way: ignored
  EXPECT_EQ(ev->direction, 1u);
  VR_Run_Events();
  for (int i = 0; i < 4; i++) {
    VR_Step_Events();
    VR_Run_Events();
  }
  EXPECT_EQ(std::tuple(ev->value, ev->state, calls), std::tuple(4, u8(0), 5u));
  VR_Trigger_Event(e);
  EXPECT_EQ(std::tuple(ev->direction, ev->increment), std::tuple(0u, -1));
}

TEST_F(VrPathTest, PathWriterTextForm) {
  std::vector<u8> bytes;
  std::string error;
  ASSERT_TRUE(Path_Parse_Text("# a path\nc 1 2 3 4 5 6 7\nc 0 0 0 0 0 1 0\n", &bytes, &error)) << error;
  ASSERT_EQ(bytes.size(), 96u);
  f32 roll;
  std::memcpy(&roll, &bytes[24], 4);
  EXPECT_EQ(roll, 7.0f);
  const char* const bad[][2] = {
      {"c 1 2 3\n", "line 1: needs 7 numbers"},
      {"c 1 2 3 4 5 6 7\nc 1 2 3 4 5 6 7 8\n", "line 2: extra text '8'"},
      {"c 1 2 3 4 5 6 7\no 1 2 3 4 5 6 7 8 9 10 11 12\n", "line 2: camera and object records mixed"},
      {"", "no records"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(Path_Parse_Text(b[0], &bytes, &error));
    EXPECT_EQ(error, b[1]);
  }
}
