// Cache arena: first fit against a model, merging on free, the fatal messages, and the memory module using it.
#include <gtest/gtest.h>

#include <map>

#include "runtime/cache.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

TEST(CacheArena, AFullArenaFullTablesAndUnknownBlocksAreFatal) {
  Cache_Init(1000);
  void* all = Cache_Alloc(1000);
  EXPECT_FATAL("Cache: Out of free Cache_Mem. requested size: 1 bytes", Cache_Alloc(1));
  EXPECT_FATAL("Cache: Unable to find used block at offset: 5", Cache_Free(static_cast<u8*>(all) + 5));
  EXPECT_FATAL("Cache: Unable to find free block at offset: 7", Cache_Find_Free(7));
  Cache_Init(5000);
  EXPECT_NE(Cache_Alloc(0), Cache_Alloc(0)) << "a zero size takes a byte";
  for (u32 i = 2; i < kCachePairs; i++) Cache_Alloc(1);
  EXPECT_FATAL("Cache: Too many used blocks.", Cache_Alloc(1));
}

TEST(CacheArena, RandomAllocationsMatchASimpleModel) {
  const u32 size = 1 << 16;
  Cache_Init(size);
  std::map<u32, u32> used;  // offset -> size
  u32 x = 99;
  for (int step = 0; step < 20000; step++) {
    x = x * 1103515245u + 12345u;
    if (used.size() < 200 && (x >> 30) != 0) {
      u32 n = 1 + (x >> 8) % 900;
      // The model's first fit: the lowest gap between used blocks that holds n.
      u32 at = 0;
      for (auto& [o, s] : used) {
        if (o - at >= n) break;
        at = o + s;
      }
      if (at + n > size) continue;
      ASSERT_EQ(u32(static_cast<u8*>(Cache_Alloc(n)) - Cache_Get_Arena()), at);
      used[at] = n;
    } else if (!used.empty()) {
      auto it = used.begin();
      std::advance(it, (x >> 4) % used.size());
      Cache_Free(Cache_Get_Arena() + it->first);
      used.erase(it);
    }
    // Free pairs are sorted, never touch, and fill exactly the gaps.
    u32 end = 0, free_bytes = 0;
    for (u32 i = 0; i < Cache_Get_Free_Count(); i++) {
      const CachePair* f = Cache_Get_Free(i);
      ASSERT_TRUE(i == 0 || f->offset > end);
      end = f->offset + f->size;
      free_bytes += f->size;
    }
    for (auto& [o, s] : used) free_bytes += s;
    ASSERT_EQ(free_bytes, size);
  }
}

TEST(CacheArena, TheMemoryModuleDrawsFromTheArenaAndANewArenaComesFromTheHeap) {
  Mem_Init(0);
  Cache_Init(4096);
  Mem_Use_Cache();
  Cache_Init(100000);  // replacing the arena while allocations are switched to it
  EXPECT_EQ(Mem_Get_Row(u16(Mem_Search_Block(Cache_Get_Arena())))->from_cache, 0);
  u8* p = static_cast<u8*>(Mem_Alloc(1000));
  EXPECT_TRUE(p >= Cache_Get_Arena() && p < Cache_Get_Arena() + 100000);
  EXPECT_EQ(Cache_Get_Used(0)->size, 1000u + 32) << "the memory module's alignment room";
  p = static_cast<u8*>(Mem_Realloc(p, 2000));
  EXPECT_EQ(Cache_Get_Used(0)->size, 2000u + 31) << "a new size takes the mask's room, one byte less";
  Mem_Free(p);
  EXPECT_EQ(Cache_Get_Used_Count(), 0u);
}
