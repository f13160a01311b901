// Memory blocks: every engine allocation, aligned, zero-filled and described in one table.
#pragma once
#include <cstddef>

#include "runtime/types.h"

struct MemBlock {
  u8* address;  // aligned address handed to the caller; the key of every lookup
  u8* raw;      // what the C heap or the cache arena returned
  u32 size;     // requested size
  u32 taken;    // bytes taken at allocation: size + mask + 1
  u8 from_cache;
  char description[51];
};

const u32 kMemMaxBlocks = 512;
const u32 kMemDefaultMask = 31;

void Mem_Init(u16 minimum_kb);
void Mem_Done(void);
u8 Mem_Is_Initialised(void);
void* Mem_Alloc(u32 size);
// A block followed by guard zero bytes that belong to it but are not part of its size: readers
// that run past the end (texture fetches) stay inside memory the engine owns.
void* Mem_Alloc_Guarded(u32 size, u32 guard);
void Mem_Set_Description(const void* address, const char* text);
void* Mem_Realloc(void* address, u32 new_size);
void Mem_Free(const void* address);
void Mem_Free_All(void);
u16 Mem_Mark(void);
void Mem_Release(void);
u16 Mem_Find_Block(const void* address);
i32 Mem_Search_Block(const void* address);
void Mem_Remove_Row(u16 row);
uintptr_t Mem_Align(uintptr_t pointer);
const void* Mem_Get_Address(const void* address);
u32 Mem_Get_Size(const void* address);
u32 Mem_Get_Taken_Size(const void* address);
const char* Mem_Get_Description(const void* address);
void Mem_Set_Align_Mask(u32 mask);
void Mem_Reset_Align_Mask(void);
u32 Mem_Get_Free(void);
void Mem_Use_Cache(void);
void Mem_Use_Heap(void);
u8 Mem_Is_Using_Cache(void);
void Mem_Show(void);
void Mem_Show_Statistics(void);
void Mem_Check_Heap(void);
u32 Mem_Copy(const void* source, void* destination, u32 n);
u32 Mem_Fill(void* destination, u8 value, u32 n);

// Read access to the table for listings and tests.
u16 Mem_Get_Count(void);
const MemBlock* Mem_Get_Row(u16 row);
// Memory measurement (the "mem" option).
void Mem_Set_Measure(u8 on);
u8 Mem_Get_Measure(void);

// Sets count words to value, eight stores a round, which the compiler merges into vector stores (a word
// at a time it does not).
inline void Mem_Fill32(u32* d, size_t count, u32 value) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    d[i] = value;
    d[i + 1] = value;
    d[i + 2] = value;
    d[i + 3] = value;
    d[i + 4] = value;
    d[i + 5] = value;
    d[i + 6] = value;
    d[i + 7] = value;
  }
  for (; i < count; i++) d[i] = value;
}
