// Data file and file layer: entries of one data file, or plain files, read one open file at a time.
#pragma once
#include <cstdio>

#include "runtime/types.h"

// One row of the directory table, as read from the data file's directory.
struct FileEntry {
  char name[80];
  u32 size;           // stored size; after unpacking the unpacked size
  u32 offset;         // absolute position of the entry's first byte in the data file
  u8 loaded;          // the entry's bytes are in a memory block
  u8* data;           // that block while loaded
  u32 unpacked_size;  // size after inflating; equals the stored size for an entry that is not packed
  u8 packed;          // 1: a zlib-packed entry (u32 size, then a zlib stream)
  u32 stored_size;    // the record's sizes and packed mark, restored when an unpacked entry is unloaded
  u32 stored_unpacked_size;
  u8 stored_packed;
};

const u32 kFileMaxEntries = 100;
const u32 kFileBufferBytes = 64000;

// Opens a file for reading when it is a regular file (a pipe would block the open for ever, a folder reads
// as nothing): what it is instead, or null when it was opened or the open failed (*handle null, errno why).
const char* File_Open_Regular(const char* name, FILE** handle);
u8 File_Set_Datafile(const char* name);
void File_Init(void);
// File_Init that hands back the reason a data file is refused instead of ending the program;
// null when the layer started. Used where bad data files are expected (fuzzing).
const char* File_Try_Init(void);
void File_Done(void);
u8 File_Is_Initialised(void);
u8 File_Using_Datafile(void);
u16 File_Count(void);
u8 File_Find(const char* name);
void File_Open(const char* name);
void File_Close(void);
u32 File_Read(void* buffer, u32 n);
void File_Seek(i32 offset, i32 whence);
u32 File_Tell(void);
u32 File_Size(void);
u32 File_Get_Size(const char* name);
u8 File_Get_Byte(void);
// Set once a byte read ran past the end of the open file (the byte returned was 0); cleared by File_Open.
u8 File_Past_End(void);
void File_Load(const char* name);
void File_Unload(const char* name);
u32 File_Unpack(u8 index, void* destination);
void File_Load_All(void);
void File_Decompress_All(void);
bool File_Is_Klz(const char* name);
void* File_Get_Data(const char* name);
const FileEntry* File_Get_Entry(u16 index);
void File_Show_Dir(void);
void File_Show_Progress(void);
void File_Auto_Unload_On(void);
void File_Auto_Unload_Off(void);
void File_Unpack_On(void);
void File_Unpack_Off(void);
void File_Progress_On(void);
void File_Progress_Off(void);
