// Term scene: texture slots, the figure's maps and animation windows, the texture swap and whole frames.
#include "scene_fixture.h"

#include "art.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "runtime/key.h"
#include "video/pixel.h"

namespace {
class TermTest : public SceneTest {};
}  // namespace

TEST_F(TermTest, MapsAndDressesByTextureNumber) {
  Load_Rig(320, 200, true);
  const TermView v = Term_Get_View();
  const TermSlots& s = v.slots;
  Mesh_Select_Scene(u32(v.scene));
  const MeshObject& f = mesh_work.objects[v.figure];
  u32 mapped = 0;
  for (u32 p = f.first_poly; p < u32(f.first_poly) + f.poly_count; p++) {
    const MeshPoly& q = mesh_work.polys[p];
    if (q.flags == 4 || q.flags == 12) mapped++;
    if (q.flags == 12) { EXPECT_EQ(q.texture, s.body_2); }
    if (q.flags == 4) { EXPECT_EQ(q.texture, s.face_2); }
    if (q.flags != 4 && q.flags != 12) { EXPECT_EQ(q.flags, 10u); }
  }
  EXPECT_EQ(mapped, 3u);
  const MeshObject& room = mesh_work.objects[v.room];
  u32 walls = 0, screens = 0;
  for (u32 p = room.first_poly; p + 1 < u32(room.first_poly) + room.poly_count; p++) {
    const MeshPoly& q = mesh_work.polys[p];
    if (q.flags == 0x14) walls += q.texture == s.wall_1;
    if (q.texture == s.done_3) {
      screens++;
      EXPECT_EQ(q.depth_bias, u16(-1000));
    }
  }
  EXPECT_EQ(walls, 8u);
  EXPECT_EQ(screens, 8u);
  EXPECT_EQ(mesh_work.objects[v.room + 1].order_key, 0x82u);
  EXPECT_EQ(mesh_work.objects[v.room + 2].order_key, 0u);
}

TEST_F(TermTest, FigureMovesOnlyInsideItsWindows) {
  Load_Rig(320, 200, true);
  const TermView v = Term_Get_View();
  Term_Frame();
  const MeshObject& f = Mesh_Get_Scene(u32(v.scene))->objects[v.figure];
  EXPECT_EQ(f.anim_frame, 1);  // one step at load
  Ticks(927);
  EXPECT_EQ(Term_Get_View().step, 115);
  EXPECT_EQ(f.anim_frame, 1);
  Ticks(1);  // counter B 928: step 116
  EXPECT_EQ(Term_Get_View().step, 116);
  EXPECT_EQ(f.anim_frame, 2);
  Ticks(7);  // 935: still step 116
  EXPECT_EQ(f.anim_frame, 2);
  Ticks(1);
  EXPECT_EQ(f.anim_frame, 3);
  Ticks(1848 - 936);  // through the first window, up to step 231
  EXPECT_EQ(f.anim_frame, 11);
  Ticks(1920 - 1848);
  EXPECT_EQ(f.anim_frame, 0);  // nine more steps: round to the first frame
  Ticks(100);
  EXPECT_EQ(f.anim_frame, 0);
  EXPECT_EQ(Term_Get_View().counter_a, 2020u);
}

TEST_F(TermTest, TextureSwapUndoesItself) {
  Load_Rig(320, 200, true);
  const TermSlots s = Term_Get_View().slots;
  u32* before[kPolyTextureSlots];
  for (u32 i = 0; i < kPolyTextureSlots; i++) before[i] = poly_textures.slot[i];
  Term_Event_Textures();
  EXPECT_EQ(Poly_Get_Texture(s.face_2), before[s.face_1]);
  EXPECT_EQ(Poly_Get_Texture(s.panel_1), before[s.panel_2]);
  EXPECT_EQ(Poly_Get_Texture(s.done_3), before[s.done_2]);
  EXPECT_EQ(Poly_Get_Texture(s.panel_4), before[s.panel_3]);
  Term_Event_Textures();
  for (u32 i = 0; i < kPolyTextureSlots; i++) ASSERT_EQ(poly_textures.slot[i], before[i]) << i;
}

TEST_F(TermTest, EnterLeavesATrailWhileHeld) {
  Load_Rig(320, 200, true);
  Term_Frame();
  Ticks(300);
  Term_Frame();
  const u32 plain = Engine_Buffer_Crc();
  Key_Set_Down(KEY_ENTER);
  Term_Frame();
  const u32 trail = Engine_Buffer_Crc();
  Key_Set_Up(KEY_ENTER);
  Term_Frame();
  EXPECT_NE(trail, plain);
  EXPECT_EQ(Engine_Buffer_Crc(), plain);
}

TEST_F(TermTest, RefusesAPictureOfAnotherSize) {
  Start(320, 200);
  std::vector<DatafileEntry> entries = Rig_Entries(true);
  for (DatafileEntry& e : entries)
    if (e.name == "Term/Termp9.pcx") Art_Pcx(std::vector<u32>(256 * 128), 256, 128, Scene_Temp("p.pcx"), &e.data);
  Serve(entries);
  Rig_Load();
  EXPECT_SCENE_FATAL("Term: Term/Termp9.pcx is not a 256x256 24-bit picture", Term_Load());
}
