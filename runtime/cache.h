// Cache arena: one big block handing out first-fit sub-blocks to the memory module.
#pragma once
#include "runtime/types.h"

struct CachePair {
  u32 offset;  // from the arena's start
  u32 size;
};

const u32 kCachePairs = 1000;

void Cache_Init(u32 size);
void Cache_Done(void);
void* Cache_Alloc(u32 size);
void Cache_Free(void* pointer);
u32 Cache_Find_Fit(u32 size);
u32 Cache_Find_Used(u32 offset);
u32 Cache_Find_Free(u32 offset);
u32 Cache_Add_Used(u32 offset, u32 size);
void Cache_Remove_Used(u32 index);
void Cache_Remove_Free(u32 index);
u32 Cache_Insert_Free(u32 offset, u32 size);
void Cache_Merge_Free(u32 index);
void Cache_Show_Used_Blocks(void);
void Cache_Show_Free_Blocks(void);
void Cache_Show(void);

// Read access for listings and tests: used pairs in allocation order, free pairs by offset.
u8* Cache_Get_Arena(void);
u32 Cache_Get_Used_Count(void);
u32 Cache_Get_Free_Count(void);
const CachePair* Cache_Get_Used(u32 index);
const CachePair* Cache_Get_Free(u32 index);
