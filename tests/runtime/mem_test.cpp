// Memory blocks: alignment, descriptions, lookups, realloc, mark and release, guard tails and the fatal paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/mem.h"
#include "tests/engine_fixture.h"

namespace {
class MemoryBlocks : public ::testing::Test {
 protected:
  void SetUp() override { Output_Of([] { Mem_Init(0); }); }
  void TearDown() override { Mem_Done(); }
};
}  // namespace

TEST_F(MemoryBlocks, BlocksAreAlignedZeroedListedInOrderAndGuarded) {
  EXPECT_EQ(Mem_Align(0x1001), 0x1020u);
  u8* a = static_cast<u8*>(Mem_Alloc(100));
  Mem_Set_Align_Mask(65535);
  EXPECT_EQ(Mem_Align(0x12345), 0x20000u);
  u8* b = static_cast<u8*>(Mem_Alloc(10));
  Mem_Reset_Align_Mask();
  u8* c = static_cast<u8*>(Mem_Alloc(0));
  EXPECT_EQ((uintptr_t(a) & 31) | (uintptr_t(b) & 65535), 0u);  // aligned to 32 bytes, then to 65536
  EXPECT_EQ((std::vector<u32>{Mem_Get_Taken_Size(a), Mem_Get_Taken_Size(b), Mem_Get_Taken_Size(c)}),
            (std::vector<u32>{132, 65546, 32}));
  Mem_Free(b);
  ASSERT_EQ(Mem_Get_Count(), 2);
  EXPECT_EQ(std::make_pair(Mem_Search_Block(c), Mem_Search_Block(b)), std::make_pair(1, -1));
  EXPECT_EQ(Mem_Mark(), 2);
  Mem_Alloc(3), Mem_Alloc(4);
  Mem_Release();
  EXPECT_EQ(Mem_Get_Count(), 2) << "release frees only the blocks after the mark";
  u8* p = static_cast<u8*>(Mem_Alloc_Guarded(10, 4096));
  EXPECT_EQ(std::make_pair(Mem_Get_Size(p), Mem_Get_Taken_Size(p)), std::make_pair(10u, 10u + 4096u + 32u));
  for (int i = 0; i < 10 + 4096; i++) ASSERT_EQ(p[i], 0) << "the guard tail is zero too";
  Mem_Release();
  EXPECT_EQ(Mem_Get_Count(), 0) << "the last release cleared the mark";
}

TEST_F(MemoryBlocks, ReallocKeepsRowDescriptionAndContents) {
  u8* a = static_cast<u8*>(Mem_Alloc(8));
  Mem_Alloc(8);
  Mem_Set_Description(a, "Mesh: ");
  Mem_Set_Description(a, "points");  // descriptions append
  for (int i = 0; i < 8; i++) a[i] = u8(i + 1);
  u8* b = static_cast<u8*>(Mem_Realloc(a, 4096));
  EXPECT_EQ((std::vector<u32>{u32(Mem_Search_Block(b)), Mem_Get_Size(b), Mem_Get_Taken_Size(b)}),
            (std::vector<u32>{0, 4096, 40}));  // its row kept, taken as first
  EXPECT_STREQ(Mem_Get_Description(b), "Mesh: points");
  EXPECT_EQ(b[7] + b[8], 8);
  b = static_cast<u8*>(Mem_Realloc(b, 2));
  EXPECT_EQ(b[1], 2) << "shrinking copies only what fits";
  Mem_Set_Description(b, "!"), Mem_Set_Description(b, std::string(50, 'd').c_str());
  EXPECT_EQ(strlen(Mem_Get_Description(b)), 50u) << "\"!\" starts afresh; fifty characters fit";
  EXPECT_FATAL("Mem: Block description too long ", Mem_Set_Description(b, "e"));
}

TEST_F(MemoryBlocks, FatalPaths) {
  void* p = Mem_Alloc(4);
  Mem_Free(p);
  EXPECT_FATAL("Mem: Unable to find memory block", Mem_Free(p));
  EXPECT_FATAL("Mem: Not enough free memory.", Mem_Alloc(0xFFFFFFF0u));
  EXPECT_FATAL("Mem: Not enough free memory.", Mem_Alloc_Guarded(0xFFFF0000u, 0x10000u));
  EXPECT_FATAL("Mem: Too many memory blocks.", {
    for (u32 i = 0; i <= kMemMaxBlocks; i++) Mem_Alloc(1);
  });
  EXPECT_FATAL("Mem: Not enough free memory.", Mem_Init(1));
  EXPECT_FATAL("Mem_Realloc: Not enough free memory.", Mem_Realloc(Mem_Alloc(64), 0xFFFFFFFFu - 30));
}
