// Memory blocks: alignment, descriptions, lookups, realloc, mark and release, and the fatal paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/mem.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
class MemoryBlocks : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::internal::CaptureStdout();
    Mem_Init(0);
    init_line = testing::internal::GetCapturedStdout();
  }
  void TearDown() override { Mem_Done(); }
  std::string init_line;
};
}  // namespace

TEST(MemoryAlign, MaskRoundsUpOnlyUnalignedPointers) {
  Mem_Set_Align_Mask(31);
  EXPECT_EQ(Mem_Align(0x1000), 0x1000u);
  EXPECT_EQ(Mem_Align(0x1001), 0x1020u);
  EXPECT_EQ(Mem_Align(0x101F), 0x1020u);
  Mem_Set_Align_Mask(0);
  EXPECT_EQ(Mem_Align(0x1001), 0x1001u);
  Mem_Set_Align_Mask(65535);
  EXPECT_EQ(Mem_Align(0x12345), 0x20000u);
  Mem_Reset_Align_Mask();
}

TEST_F(MemoryBlocks, BlocksAreAlignedZeroedAndListedInOrder) {
  u8* a = static_cast<u8*>(Mem_Alloc(100));
  Mem_Set_Align_Mask(65535);
  u8* b = static_cast<u8*>(Mem_Alloc(10));
  Mem_Reset_Align_Mask();
  u8* c = static_cast<u8*>(Mem_Alloc(0));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) & 31, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) & 65535, 0u);
  for (int i = 0; i < 100; i++) ASSERT_EQ(a[i], 0);
  ASSERT_EQ(Mem_Get_Count(), 3);
  EXPECT_EQ(Mem_Get_Size(a), 100u);
  EXPECT_EQ(Mem_Get_Taken_Size(a), 132u);
  EXPECT_EQ(Mem_Get_Taken_Size(b), 65546u);
  EXPECT_EQ(Mem_Get_Taken_Size(c), 32u);
  Mem_Free(b);
  ASSERT_EQ(Mem_Get_Count(), 2);
  EXPECT_EQ(Mem_Get_Row(0)->address, a);
  EXPECT_EQ(Mem_Get_Row(1)->address, c);
  EXPECT_EQ(Mem_Search_Block(c), 1);
  EXPECT_EQ(Mem_Search_Block(b), -1);
}

TEST_F(MemoryBlocks, DescriptionsAppendResetAndAllowFiftyCharacters) {
  void* p = Mem_Alloc(16);
  Mem_Set_Description(p, "Pcx: ");
  Mem_Set_Description(p, "logo.pcx");
  EXPECT_STREQ(Mem_Get_Description(p), "Pcx: logo.pcx");
  Mem_Set_Description(p, "!");
  EXPECT_STREQ(Mem_Get_Description(p), "");
  Mem_Set_Description(p, "!x");
  EXPECT_STREQ(Mem_Get_Description(p), "!x");
  Mem_Set_Description(p, "!");
  Mem_Set_Description(p, std::string(50, 'd').c_str());
  EXPECT_EQ(strlen(Mem_Get_Description(p)), 50u);
  EXPECT_FATAL(Mem_Set_Description(p, "e"), "Mem: Block description too long ");
}

TEST_F(MemoryBlocks, ReallocKeepsRowDescriptionAndContents) {
  u8* a = static_cast<u8*>(Mem_Alloc(8));
  Mem_Alloc(8);
  Mem_Set_Description(a, "Mesh: points");
  for (int i = 0; i < 8; i++) a[i] = u8(i + 1);
  u8* b = static_cast<u8*>(Mem_Realloc(a, 4096));
  EXPECT_EQ(Mem_Search_Block(b), 0);
  EXPECT_EQ(Mem_Get_Size(b), 4096u);
  EXPECT_EQ(Mem_Get_Taken_Size(b), 40u);  // taken keeps its first value
  EXPECT_STREQ(Mem_Get_Description(b), "Mesh: points");
  for (int i = 0; i < 8; i++) EXPECT_EQ(b[i], i + 1);
  EXPECT_EQ(b[8], 0);
  u8* c = static_cast<u8*>(Mem_Realloc(b, 2));  // shrinking copies only what fits
  EXPECT_EQ(c[1], 2);
}

TEST_F(MemoryBlocks, MarkAndReleaseFreeOnlyLaterBlocks) {
  Mem_Alloc(1);
  Mem_Alloc(2);
  EXPECT_EQ(Mem_Mark(), 2);
  Mem_Alloc(3);
  Mem_Alloc(4);
  Mem_Release();
  EXPECT_EQ(Mem_Get_Count(), 2);
  Mem_Free_All();
  EXPECT_EQ(Mem_Get_Count(), 0);
}

TEST_F(MemoryBlocks, ShowListsHeadingsAndRows) {
  testing::internal::CaptureStdout();
  Mem_Show();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Mem: Show():\nBlock: Addr:     Size:  \tDescription:\n");
  void* p = Mem_Alloc(3000);
  Mem_Set_Description(p, "Vbe: Buffer");
  testing::internal::CaptureStdout();
  Mem_Show();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("   2 KB (   2)\t\"Vbe: Buffer\"\n"), std::string::npos) << out;
}

TEST_F(MemoryBlocks, CopyTakesTheSourceFirstAndFillRepeatsTheByte) {
  u8 src[7] = {1, 2, 3, 4, 5, 6, 7}, dst[7] = {};
  EXPECT_EQ(Mem_Copy(src, dst, 7), 7u);
  EXPECT_EQ(memcmp(src, dst, 7), 0);
  EXPECT_EQ(Mem_Fill(dst, 0xAB, 5), 0xABABABABu);
  EXPECT_EQ(dst[4], 0xAB);
  EXPECT_EQ(dst[5], 6);
}

TEST_F(MemoryBlocks, FatalPaths) {
  void* p = Mem_Alloc(4);
  Mem_Free(p);
  EXPECT_FATAL(Mem_Free(p), "Mem: Unable to find memory block");
  EXPECT_FATAL(Mem_Alloc(0xFFFFFFF0u), "Mem: Not enough free memory.");
  EXPECT_FATAL(Mem_Alloc_Guarded(0xFFFF0000u, 0x10000u), "Mem: Not enough free memory.");
  EXPECT_FATAL(
      {
        for (u32 i = 0; i <= kMemMaxBlocks; i++) Mem_Alloc(1);
      },
      "Mem: Too many memory blocks.");
  EXPECT_FATAL(Mem_Init(1), "Mem: Not enough free memory.");
  EXPECT_FATAL(Mem_Realloc(Mem_Alloc(64), 0xFFFFFFFFu - 30), "Mem_Realloc: Not enough free memory.");
}

TEST_F(MemoryBlocks, GuardedBlocksKeepTheirSizeAndOwnAZeroTail) {
  u8* p = static_cast<u8*>(Mem_Alloc_Guarded(10, 4096));
  EXPECT_EQ(Mem_Get_Size(p), 10u);
  EXPECT_EQ(Mem_Get_Taken_Size(p), 10u + 4096u + 32u);
  for (int i = 0; i < 10 + 4096; i++) ASSERT_EQ(p[i], 0) << i;
}
