// Post-effect layer by hand: thumbnail sampling and shake, sway, filter bounce, strip overlay, snapshot and frame mix.
#include "art_design.h"
#include "scene_fixture.h"

namespace {

DesignState& ds = design_state;

class PostEffect : public SceneTest {
 protected:
  // No letterbox: the thumbnail is a fifth of 320x200. Ticks run the layer's tick alone.
  void SetUp() override { Start(320, 200, 0), Music_Set_Callback(Design_Tick); }
};

TEST_F(PostEffect, ThumbnailSamplesEveryFifthPixelInsideABlackBorderAndShakes) {
  // 64x40 samples in a 64x42 picture; inner pixel (c, r) is frame pixel (5 (c - 1), 5 (r - 1)).
  for (u32 i = 0; i < 320 * 200; i++) At(i % 320, i / 320) = i / 320 * 1000 + i % 320;
  Design_Update_Thumb();
  const u32* live = Vbe_Bitmap_Pixels(ds.thumb_live);
  ASSERT_TRUE(ds.thumb_live->width == 64 && ds.thumb_live->height == 42);
  for (u32 i = 0, r = 0, c = 0; i < 64 * 42; i++, r = i / 64, c = i % 64)
    ASSERT_EQ(live[i], r >= 1 && r <= 40 && c >= 1 && c <= 62 ? 5 * (r - 1) * 1000 + 5 * (c - 1) : 0) << c << "," << r;
  // A shake: 110 ticks of the frozen picture plus grey noise, new for every pixel, of range noise counter
  // (50) / 2; then the live samples with that noise fading out; plain once the counter is below 2.
  Fill(0x101010), Design_Update_Thumb();
  Design_Start_Shake();
  Fill(0x202020);
  const struct { u32 ticks, base, range; } rows[] = {{0, 0x10, 25}, {109, 0x10, 25}, {1, 0x20, 25}, {48, 0x20, 1}, {1, 0x20, 1}};
  for (const auto& row : rows) {
    Ticks(row.ticks);
    Design_Update_Thumb();
    u32 most = 0;
    for (u32 i = 65; i < 64 * 41; i += i % 64 == 62 ? 3 : 1) {
      const u32 n = (live[i] & 0xFF) - row.base;
      ASSERT_TRUE(n < row.range && live[i] == (row.base + n) * 0x010101) << row.ticks << " " << live[i];
      most = n > most ? n : most;
    }
    EXPECT_EQ(most, row.range - 1);
  }
}

TEST_F(PostEffect, SwayAndFilterColourTurnBeyondTheirBoundsAndTheSnapshotMixesIn) {
  Design_Start_Sway();  // 540, step 60, turning when beyond 540
  for (auto [ticks, amplitude] : {std::pair<u32, i32>{1, 600}, {1, 540}, {19, -600}, {1, -540}, {19, 600}}) {
    Ticks(ticks);
    EXPECT_EQ(ds.sway_amplitude, amplitude);
  }
  Music_Set_Beat(4);  // every new beat row sets it back to 540
  for (auto [row, amplitude] : {std::pair<u32, i32>{0, 0}, {4, 540}, {4, 0}, {6, 0}, {8, 540}}) {
    ds.sway_amplitude = 0, engine_test_row = row;
    Design_Apply();
    EXPECT_EQ(ds.sway_amplitude, amplitude) << row;
  }
  // The filter colour from 0, 15, 30 with steps 1, on every second tick: red swings 1, 0, 1 and green from
  // 15 up to 26 and down to 1 (bound 25, floor 2, the value keeping the step that crossed).
  Design_Stop_Sway(), Design_Start_Tint();
  const struct { u32 ticks; i32 red, green; } rows[] = {{1, 1, 16}, {1, 1, 16}, {19, 1, 26}, {1, 1, 26}, {1, 0, 25}, {48, 0, 1}, {2, 1, 2}};
  for (const auto& row : rows) {
    Ticks(row.ticks);
    EXPECT_EQ(std::make_pair(ds.red, ds.green), std::make_pair(row.red, row.green)) << row.ticks;
  }
  // The snapshot: the redrawn frame dimmed into the mix buffer, which later frames add.
  Design_Stop_Tint(), Design_Set_Snapshot_Hook([] { Fill(0xC86432); });
  Design_Snapshot_Frame();
  EXPECT_EQ(vbe_screen.mix[77], 0x3C1E0Fu);  // 200, 100, 50 times 0.3
  Design_Start_Frame_Mix(), Design_Frame_Mix_Alternate();
  for (u32 frame = 0; frame < 5; frame++) {
    if (frame == 3) Design_Frame_Mix_Every();
    Fill(0x010203);
    Design_Apply();
    EXPECT_EQ(At(5, 5), frame == 1 ? 0x010203u : 0x3D2012u) << frame;
  }
}

TEST_F(PostEffect, StripOverlayShowsTheDarkerSetOnEverySecondFrame) {
  std::vector<DatafileEntry> entries;
  ASSERT_TRUE(Art_Design_Entries(Scene_Scratch_Dir(), &entries));
  Serve(entries);
  Design_Load_Overlays_1();
  Seq_Set_Current(10);
  Design_Overlay_0();  // strips one a 16 rows, added saturating, alternating with the darker set
  Seq_Set_Current(11), engine_test_row = 16;
  Ticks(1);
  for (u32 frame = 0; frame < 4; frame++) {
    const DesignPiece& p = ds.pieces[ds.first_strip + 1 + frame % 2 * 4];
    ASSERT_TRUE(p.x == 83 && p.y == 0 && p.picture->width == 78 && p.picture->height == 170);
    Fill(0x808080);
    Design_Apply();
    for (u32 i = 0; i < 78 * 170; i += 7)
      ASSERT_EQ(At(83 + i % 78, i / 78), Vbe_Add_Colour_Pixel(0x808080, Vbe_Bitmap_Pixels(p.picture)[i])) << frame;
  }
}

}  // namespace
