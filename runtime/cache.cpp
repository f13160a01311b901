// Cache arena: first-fit allocation from one block, an offset-sorted free table that merges neighbours.
#include "runtime/cache.h"

#include <cstdio>
#include <cstring>

#include "runtime/err.h"
#include "runtime/mem.h"

namespace {
u8* cache_arena = nullptr;
CachePair cache_used[kCachePairs];
u32 cache_used_count = 0;
CachePair cache_free[kCachePairs];
u32 cache_free_count = 0;

void Cache_Show_Pairs(const CachePair* pairs, u32 count) {
  for (u32 i = 0; i < count; i++)
    printf("%d: offs: %8d to %8d, %p   size: %8d\n", int(i), int(pairs[i].offset),
           int(pairs[i].offset + pairs[i].size), static_cast<void*>(cache_arena + pairs[i].offset),
           int(pairs[i].size));
}
}  // namespace

void Cache_Init(u32 size) {
  // A second arena replaces the first instead of leaking it.
  Cache_Done();
  cache_used_count = 0;
  cache_free_count = 1;
  // The arena itself always comes from the heap, even while allocations are switched to it.
  u8 switched = Mem_Is_Using_Cache();
  Mem_Use_Heap();
  cache_arena = static_cast<u8*>(Mem_Alloc(size));
  if (switched) Mem_Use_Cache();
  Mem_Set_Description(cache_arena, "Cache_Mem");
  cache_free[0] = {0, size};
}

void Cache_Done(void) {
  if (cache_arena && Mem_Search_Block(cache_arena) >= 0) Mem_Free(cache_arena);
  cache_arena = nullptr;
}

void* Cache_Alloc(u32 size) {
  // A block of 0 bytes would share its offset with the next one; it takes one byte instead.
  if (size == 0) size = 1;
  if (!cache_arena) Err_Error("Cache: Out of free Cache_Mem. requested size: %d bytes", int(size));
  u32 i = Cache_Find_Fit(size);
  u32 offset = cache_free[i].offset;
  Cache_Add_Used(offset, size);
  cache_free[i].offset += size;
  cache_free[i].size -= size;
  if (cache_free[i].size == 0) Cache_Remove_Free(i);
  return cache_arena + offset;
}

void Cache_Free(void* pointer) {
  i64 offset = static_cast<u8*>(pointer) - cache_arena;
  if (!cache_arena || offset < 0 || offset > i64(0xFFFFFFFF))
    Err_Error("Cache: Unable to find used block at offset: %lld", static_cast<long long>(offset));
  u32 u = Cache_Find_Used(u32(offset));
  Cache_Insert_Free(u32(offset), cache_used[u].size);
  Cache_Remove_Used(u);
}

u32 Cache_Find_Fit(u32 size) {
  for (u32 i = 0; i < cache_free_count; i++)
    if (cache_free[i].size >= size) return i;
  Err_Error("Cache: Out of free Cache_Mem. requested size: %d bytes", int(size));
}

u32 Cache_Find_Used(u32 offset) {
  for (u32 i = 0; i < cache_used_count; i++)
    if (cache_used[i].offset == offset) return i;
  Err_Error("Cache: Unable to find used block at offset: %d", int(offset));
}

u32 Cache_Find_Free(u32 offset) {
  for (u32 i = 0; i < cache_free_count; i++)
    if (cache_free[i].offset == offset) return i;
  Err_Error("Cache: Unable to find free block at offset: %d", int(offset));
}

u32 Cache_Add_Used(u32 offset, u32 size) {
  if (cache_used_count >= kCachePairs) Err_Error("Cache: Too many used blocks.");
  cache_used[cache_used_count] = {offset, size};
  return cache_used_count++;
}

void Cache_Remove_Used(u32 index) {
  if (index >= cache_used_count) return;
  memmove(&cache_used[index], &cache_used[index + 1], sizeof(CachePair) * (cache_used_count - index - 1));
  cache_used_count--;
}

void Cache_Remove_Free(u32 index) {
  if (index >= cache_free_count) return;
  memmove(&cache_free[index], &cache_free[index + 1], sizeof(CachePair) * (cache_free_count - index - 1));
  cache_free_count--;
}

u32 Cache_Insert_Free(u32 offset, u32 size) {
  if (cache_free_count >= kCachePairs) Err_Error("Cache: Too many free blocks.");
  u32 i = 0;
  while (i < cache_free_count && cache_free[i].offset <= offset) i++;
  memmove(&cache_free[i + 1], &cache_free[i], sizeof(CachePair) * (cache_free_count - i));
  cache_free[i] = {offset, size};
  cache_free_count++;
  if (i > 0 && cache_free[i - 1].offset + cache_free[i - 1].size == offset) {
    i--;
    Cache_Merge_Free(i);
  }
  if (i + 1 < cache_free_count && cache_free[i].offset + cache_free[i].size == cache_free[i + 1].offset)
    Cache_Merge_Free(i);
  return i;
}

void Cache_Merge_Free(u32 index) {
  if (index + 1 >= cache_free_count) return;
  cache_free[index].size += cache_free[index + 1].size;
  Cache_Remove_Free(index + 1);
}

void Cache_Show_Used_Blocks(void) {
  printf("Cache_Show_Used_Blocks():\n");
  Cache_Show_Pairs(cache_used, cache_used_count);
}

void Cache_Show_Free_Blocks(void) {
  printf("Cache_Show_Free_Blocks():\n");
  Cache_Show_Pairs(cache_free, cache_free_count);
}

void Cache_Show(void) {
  Cache_Show_Used_Blocks();
  Cache_Show_Free_Blocks();
  printf("\n");
}

u8* Cache_Get_Arena(void) { return cache_arena; }
u32 Cache_Get_Used_Count(void) { return cache_used_count; }
u32 Cache_Get_Free_Count(void) { return cache_free_count; }
const CachePair* Cache_Get_Used(u32 index) { return index < cache_used_count ? &cache_used[index] : nullptr; }
const CachePair* Cache_Get_Free(u32 index) { return index < cache_free_count ? &cache_free[index] : nullptr; }
