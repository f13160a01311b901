// Term scene: the figure's animation windows, the trail while Enter is held, the texture swap and a picture of
// the wrong size.
#include "scene_fixture.h"

#include "art.h"
#include "k3d_writer.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "runtime/key.h"

namespace {
class TermTest : public SceneTest {};
}  // namespace

TEST_F(TermTest, FigureMovesOnlyInsideItsWindows) {
  Load_Rig(true);
  const TermView v = Term_Get_View();
  Term_Frame();
  const MeshObject& f = Mesh_Get_Scene(u32(v.scene))->objects[v.figure];
  EXPECT_EQ(f.anim_frame, 1);  // one step at load
  // Enter held: the same picture averaged with the mix buffer (black), which takes the picture for the next.
  const u32 n = vbe_screen.width * vbe_screen.height;
  const std::vector<u32> plain(vbe_screen.frame, vbe_screen.frame + n);
  Vbe_Fill_Dwords(vbe_screen.mix, n, 0);
  Key_Set_Down(KEY_ENTER), Term_Frame(), Key_Set_Up(KEY_ENTER);
  for (u32 i = 0; i < n; i++)
    ASSERT_EQ(std::make_pair(vbe_screen.frame[i], vbe_screen.mix[i]),
              std::make_pair(plain[i] >> 1 & 0x7F7F7F7F, plain[i])) << i;
  Ticks(927);
  EXPECT_EQ(Term_Get_View().step, 115);
  EXPECT_EQ(f.anim_frame, 1);
  Ticks(1);  // counter B 928: step 116
  EXPECT_EQ(Term_Get_View().step, 116);
  EXPECT_EQ(f.anim_frame, 2);
  Ticks(8);  // 936: step 117
  EXPECT_EQ(f.anim_frame, 3);
  Ticks(1848 - 936);  // through the first window, up to step 231
  EXPECT_EQ(f.anim_frame, 11);
  Ticks(1920 - 1848);
  EXPECT_EQ(f.anim_frame, 0);  // nine more steps: round to the first frame
}

// A room of eight triangles over three points (no two share just one edge, so none merge): each but the last
// is dressed by its texture byte; the last, byte 1, keeps its texture 1 and the room's flags 10.
TEST_F(TermTest, RoomIsDressedUpToButNotIncludingItsLastPolygon) {
  K3dMesh room;
  room.objects.push_back({"room", {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, {}});
  for (u8 texture : {0, 1, 2, 3, 4, 5, 6, 1}) room.objects[0].polygons.push_back({{0, 1, 2}, texture});
  std::vector<DatafileEntry> entries = Rig_Entries(true);
  for (DatafileEntry& e : entries) e.data = e.name == "Term/kTerm8.k3d" ? K3d_Write(room) : e.data;
  Start(320, 200, entries);
  Rig_Load(), Term_Load();
  const TermView v = Term_Get_View();
  const TermSlots& s = v.slots;
  const u16 raised = u16(-1000);
  const std::tuple<u32, i32, u16> want[] = {{10, 0, 0},          {0x14, s.wall_1, 0}, {4, s.wall_2, 0}, {4, s.wall_2, raised},
                                            {4, s.done_3, raised}, {10, 5, 0},        {4, s.wall_1, 0}, {10, 1, 0}};
  const MeshScene* scene = Mesh_Get_Scene(u32(v.scene));
  ASSERT_EQ(scene->objects[v.room].poly_count, 8);
  for (u32 i = 0; i < 8; i++) {
    const MeshPoly& q = scene->polys[scene->objects[v.room].first_poly + i];
    EXPECT_EQ(std::tuple(q.flags, i32(q.texture), q.depth_bias), want[i]) << i;
  }
}

TEST_F(TermTest, TextureSwapUndoesItself) {
  Load_Rig(true);
  const TermSlots s = Term_Get_View().slots;
  u32* before[kPolyTextureSlots];
  for (u32 i = 0; i < kPolyTextureSlots; i++) before[i] = poly_textures.slot[i];
  Term_Event_Textures();
  EXPECT_EQ(Poly_Get_Texture(s.face_2), before[s.face_1]);
  EXPECT_EQ(Poly_Get_Texture(s.panel_4), before[s.panel_3]);
  Term_Event_Textures();
  for (u32 i = 0; i < kPolyTextureSlots; i++) ASSERT_EQ(poly_textures.slot[i], before[i]) << i;
}

TEST_F(TermTest, RefusesAPictureOfAnotherSize) {
  Start(320, 200);
  std::vector<DatafileEntry> entries = Rig_Entries(true);
  for (DatafileEntry& e : entries)
    if (e.name == "Term/Termp9.pcx") Art_Pcx(std::vector<u32>(256 * 128), 256, 128, Test_Short_Temp("p.pcx"), &e.data);
  Serve(entries);
  Rig_Load();
  EXPECT_FATAL("Term: Term/Termp9.pcx is not a 256x256 24-bit picture", Term_Load());
}
