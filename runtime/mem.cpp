// Memory blocks: the 512-row block table, aligned zero-filled allocation, descriptions and listings.
#include "runtime/mem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/cache.h"
#include "runtime/err.h"

namespace {
MemBlock mem_table[kMemMaxBlocks];
u16 mem_count = 0;
u32 mem_mask = 0;
u16 mem_mark = 0;
u8 mem_initialised = 0;
u8 mem_cache = 0;
u8 mem_measure = 0;
u32 mem_free_at_start = 0;
u32 mem_lowest_free = 0;

// Raw zero-filled memory from the heap or the cache arena; null when neither has it.
u8* Mem_Raw_Alloc(u32 bytes, u8 from_cache) {
  if (from_cache) {
    u8* p = static_cast<u8*>(Cache_Alloc(bytes));
    if (p) memset(p, 0, bytes);
    return p;
  }
  return static_cast<u8*>(calloc(1, bytes ? bytes : 1));
}

void Mem_Raw_Free(u8* raw, u8 from_cache) {
  if (from_cache)
    Cache_Free(raw);
  else
    free(raw);
}

void Mem_Measure_Update(void) {
  if (mem_measure && Mem_Get_Free() < mem_lowest_free) mem_lowest_free = Mem_Get_Free();
}
}  // namespace

uintptr_t Mem_Align(uintptr_t p) {
  i32 m = i32(mem_mask);
  if (m < 1 || (p & uintptr_t(m)) == 0) return p;
  return (p + uintptr_t(m)) & ~uintptr_t(m);
}

void Mem_Init(u16 minimum_kb) {
  if (!Err_Is_Initialised()) Err_Init();
  if (minimum_kb != 0 && Mem_Get_Free() < minimum_kb) Err_Error("Mem: Not enough free memory.");
  if (mem_measure) mem_free_at_start = mem_lowest_free = Mem_Get_Free();
  mem_mask = kMemDefaultMask;
  mem_count = 0;
  mem_mark = 0;
  printf("Mem: Init OK.  %d KB free.\n", int(Mem_Get_Free()));
  mem_initialised = 1;
}

void Mem_Done(void) {
  if (!mem_initialised) return;
  Mem_Free_All();
  mem_initialised = 0;
}

u8 Mem_Is_Initialised(void) { return mem_initialised; }

void* Mem_Alloc(u32 size) { return Mem_Alloc_Guarded(size, 0); }

void* Mem_Alloc_Guarded(u32 size, u32 guard) {
  // A size near 4 GB would wrap the taken size into a tiny block.
  u64 taken = u64(size) + guard + mem_mask + 1;
  if (taken > 0xFFFFFFFFull) Err_Error("Mem: Not enough free memory.");
  if (mem_count >= kMemMaxBlocks) Err_Error("Mem: Too many memory blocks.");
  u8* raw = Mem_Raw_Alloc(u32(taken), mem_cache);
  if (!raw) Err_Error("Mem: Not enough free memory.");
  u8* address = reinterpret_cast<u8*>(Mem_Align(reinterpret_cast<uintptr_t>(raw)));
  Mem_Measure_Update();
  MemBlock& row = mem_table[mem_count++];
  row.address = address;
  row.raw = raw;
  row.size = size;
  row.taken = u32(taken);
  row.from_cache = mem_cache;
  row.description[0] = 0;
  return address;
}

void Mem_Set_Description(const void* address, const char* text) {
  MemBlock& row = mem_table[Mem_Find_Block(address)];
  if (strcmp(text, "!") == 0) {
    row.description[0] = 0;
    return;
  }
  size_t have = strlen(row.description);
  size_t add = strlen(text);
  if (have + add > 50) Err_Error("Mem: Block description too long ");
  memcpy(row.description + have, text, add + 1);
}

void* Mem_Realloc(void* address, u32 new_size) {
  MemBlock& row = mem_table[Mem_Find_Block(address)];
  // size + mask bytes: aligning moves the start by at most mask bytes, so new_size bytes still fit.
  u64 bytes = u64(new_size) + mem_mask;
  if (bytes > 0xFFFFFFFFull) Err_Error("Mem_Realloc: Not enough free memory.");
  u8* raw = Mem_Raw_Alloc(u32(bytes), mem_cache);
  if (!raw) Err_Error("Mem_Realloc: Not enough free memory.");
  u8* fresh = reinterpret_cast<u8*>(Mem_Align(reinterpret_cast<uintptr_t>(raw)));
  // Copy what both blocks hold: a shrinking block must not be overrun.
  memcpy(fresh, row.address, row.size < new_size ? row.size : new_size);
  Mem_Measure_Update();
  Mem_Raw_Free(row.raw, row.from_cache);
  row.from_cache = mem_cache;
  row.address = fresh;
  row.raw = raw;
  row.size = new_size;
  return fresh;
}

void Mem_Free(const void* address) {
  u16 row = Mem_Find_Block(address);
  Mem_Raw_Free(mem_table[row].raw, mem_table[row].from_cache);
  Mem_Remove_Row(row);
}

void Mem_Free_All(void) {
  for (u16 i = 0; i < mem_count; i++) Mem_Raw_Free(mem_table[i].raw, mem_table[i].from_cache);
  mem_count = 0;
  mem_mark = 0;
}

u16 Mem_Mark(void) {
  mem_mark = mem_count;
  return mem_mark;
}

void Mem_Release(void) {
  for (u16 i = mem_mark; i < mem_count; i++) Mem_Raw_Free(mem_table[i].raw, mem_table[i].from_cache);
  if (mem_mark < mem_count) mem_count = mem_mark;
  mem_mark = 0;
}

u16 Mem_Find_Block(const void* address) {
  for (i32 i = i32(mem_count) - 1; i >= 0; i--)
    if (mem_table[i].address == address) return u16(i);
  Err_Error("Mem: Unable to find memory block");
}

i32 Mem_Search_Block(const void* address) {
  for (u16 i = 0; i < mem_count; i++)
    if (mem_table[i].address == address) return i;
  return -1;
}

void Mem_Remove_Row(u16 row) {
  if (row >= mem_count) return;
  memmove(&mem_table[row], &mem_table[row + 1], sizeof(MemBlock) * (mem_count - row - 1));
  mem_count--;
}

const void* Mem_Get_Address(const void* address) { return address; }
u32 Mem_Get_Size(const void* address) { return mem_table[Mem_Find_Block(address)].size; }
u32 Mem_Get_Taken_Size(const void* address) { return mem_table[Mem_Find_Block(address)].taken; }
const char* Mem_Get_Description(const void* address) { return mem_table[Mem_Find_Block(address)].description; }
void Mem_Set_Align_Mask(u32 mask) { mem_mask = mask; }
void Mem_Reset_Align_Mask(void) { mem_mask = kMemDefaultMask; }
// No free-memory figure exists on this platform.
u32 Mem_Get_Free(void) { return 0; }
void Mem_Use_Cache(void) { mem_cache = 1; }
void Mem_Use_Heap(void) { mem_cache = 0; }
u8 Mem_Is_Using_Cache(void) { return mem_cache; }

void Mem_Show(void) {
  printf("Mem: Show():\n");
  printf("Block: Addr:     Size:  \tDescription:\n");
  for (u16 i = 0; i < mem_count; i++) {
    const MemBlock& r = mem_table[i];
    printf("%3d    %p  %4d KB (%4d)\t\"%s\"\n", i, static_cast<void*>(r.address), int(r.size >> 10),
           int(r.taken >> 10), r.description);
  }
}

void Mem_Show_Statistics(void) {
  if (!mem_measure) return;
  printf("Mem: Allocated %d KB of memory.\n", int(mem_free_at_start - mem_lowest_free));
  printf("Mem: Minimum %d KB free memory at runtime.\n", int(mem_lowest_free));
}

// The C library here has no heap walk to report bad nodes, so the check passes.
void Mem_Check_Heap(void) {}

u32 Mem_Copy(const void* source, void* destination, u32 n) {
  memmove(destination, source, n);
  return n;
}

u32 Mem_Fill(void* destination, u8 value, u32 n) {
  memset(destination, value, n);
  return u32(value) * 0x01010101u;
}

u16 Mem_Get_Count(void) { return mem_count; }
const MemBlock* Mem_Get_Row(u16 row) { return row < mem_count ? &mem_table[row] : nullptr; }
void Mem_Set_Measure(u8 on) { mem_measure = on; }
u8 Mem_Get_Measure(void) { return mem_measure; }
