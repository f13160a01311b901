// Data file and file layer: the directory at the data file's end, one open file, block and byte reads.
#include "runtime/file.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/con.h"
#include "runtime/err.h"
#include "runtime/lzh.h"
#include "runtime/mem.h"
#include "runtime/zlib.h"

namespace {
const u32 kTrailerBytes = 10;      // count (u16), directory size (u32), offset base (u32)
const u32 kCountBytes = 2;         // the count is part of the directory's size
const u32 kRecordFieldBytes = 13;  // after the name: stored size, offset, unpacked size, packed mark
const u32 kFileNameBytes = sizeof(FileEntry::name);

FileEntry file_dir[kFileMaxEntries];
u16 file_count = 0;

// The open file.
u8 file_in_use = 0;
u8 file_index = 0;
u32 file_position = 0;
u32 file_entry_size = 0;
u32 file_entry_offset = 0;
u8 file_entry_loaded = 0;
u8* file_entry_data = nullptr;
FILE* file_handle = nullptr;  // the data file in data-file mode, else the open plain file
u64 file_stream_position = 0;  // where the data file's stream stands; reads seek only when it differs
const u64 kUnknownPosition = ~u64(0);

// Byte buffer of File_Get_Byte: bytes index .. count - 1 are read ahead and not yet handed out.
u8* file_buffer = nullptr;
u32 file_buffer_index = 0;
u32 file_buffer_count = 0;
u8 file_past_end = 0;

char file_datafile[80];
char file_refusal[160];  // the message for a data file that is not a regular file
u8 file_datafile_mode = 0;
u8 file_auto_unload = 0;
u8 file_unpack = 0;
u8 file_progress = 0;
u8 file_initialised = 0;

void File_Need_Open(void) {
  if (!file_in_use) Err_Error("File: No file open");
}

// Reads n bytes at an absolute position of the data file; the directory check keeps them inside it.
void File_Read_At(u64 position, void* buffer, u32 n) {
  if (n == 0) return;
  if (file_stream_position != position) {
    if (fseeko(file_handle, off_t(position), SEEK_SET) != 0) Err_Error("File: Unable to read datafile");
  }
  size_t got = fread(buffer, 1, n, file_handle);
  file_stream_position = position + got;
  if (got != n) {
    file_stream_position = kUnknownPosition;
    Err_Error("File: Unable to read datafile");
  }
}

// Reads from the open file at its position, never past its end; the count read.
u32 File_Read_Raw(void* buffer, u32 n) {
  File_Need_Open();
  if (!file_datafile_mode) return u32(fread(buffer, 1, n, file_handle));
  u32 count = file_position >= file_entry_size ? 0 : file_entry_size - file_position;
  if (n < count) count = n;
  if (file_entry_loaded) {
    if (count) memcpy(buffer, file_entry_data + file_position, count);
    file_position += count;
  } else {
    File_Read_At(u64(file_entry_offset) + file_position, buffer, count);
    u64 end = u64(file_position) + n;
    file_position = end > file_entry_size ? file_entry_size : u32(end);
  }
  return count;
}

// Hands unread read-ahead bytes back, so the file's position is the next byte a reader gets.
void File_Drop_Buffer(void) {
  u32 unread = file_buffer_count - file_buffer_index;
  if (unread && file_in_use) {
    if (file_datafile_mode)
      file_position -= unread;
    else
      fseeko(file_handle, -off_t(unread), SEEK_CUR);
  }
  file_buffer_index = file_buffer_count = 0;
}

void File_Free_Block(u8* block) {
  if (block && Mem_Search_Block(block) >= 0) Mem_Free(block);
}

// After an entry's block changed, the open file follows it when it is that entry.
void File_Refresh_Open(u8 index) {
  if (!file_in_use || !file_datafile_mode || file_index != index) return;
  file_entry_loaded = file_dir[index].loaded;
  file_entry_data = file_dir[index].data;
  file_entry_size = file_dir[index].size;
}

u32 Get_U32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

// Reads and checks the directory of the open data file into the table; the reason it is refused, or null.
// The last 10 bytes give the record count N, the directory's size D (its records and N) and the base B added
// to every offset. The records begin D + 8 bytes before the end and run back to back; bytes of the room
// they leave before the trailer are not read. A directory reaching before the file's start, or N records
// that do not fit its room, cannot be there: such a file was cut short.
const char* File_Read_Directory(void) {
  const char* kEndsEarly = "File: Datafile ends early (no directory at its end)";
  if (fseeko(file_handle, 0, SEEK_END) != 0) return "File: Unable to read datafile";
  off_t length_signed = ftello(file_handle);
  file_stream_position = kUnknownPosition;
  if (length_signed < off_t(kTrailerBytes)) return kEndsEarly;
  u64 length = u64(length_signed);
  if (length > 0xFFFFFFFFull) return "File: Datafile is too large";
  u8 trailer[kTrailerBytes];
  File_Read_At(length - kTrailerBytes, trailer, kTrailerBytes);
  u32 n = u32(trailer[0] | trailer[1] << 8);
  u64 d = Get_U32(trailer + 2);
  u64 base = Get_U32(trailer + 6);
  if (d < kCountBytes || d + kTrailerBytes - kCountBytes > length) return kEndsEarly;
  std::vector<u8> records(d - kCountBytes);
  u64 start = length - (d + kTrailerBytes - kCountBytes);
  File_Read_At(start, records.data(), u32(records.size()));
  // The N records must fit in their room: their name lengths are walked first.
  u64 position = 0;
  u32 walked = 0;
  for (; walked < n && position < records.size(); walked++) position += 1 + records[position] + kRecordFieldBytes;
  if (walked != n || position > records.size()) return kEndsEarly;
  if (n > kFileMaxEntries) return "File: Datafile has too many entries";
  position = 0;
  for (u16 i = 0; i < n; i++) {
    const u8* record = &records[position];
    u32 name_length = record[0];
    if (name_length > kFileNameBytes - 1) return "File: Datafile is damaged (name too long)";
    position += 1 + name_length + kRecordFieldBytes;
    FileEntry& e = file_dir[i];
    memset(&e, 0, sizeof e);
    memcpy(e.name, record + 1, name_length);
    e.name[name_length] = 0;
    const u8* fields = record + 1 + name_length;
    u32 stored = Get_U32(fields);
    u64 offset = base + Get_U32(fields + 4);
    e.unpacked_size = Get_U32(fields + 8);
    e.packed = fields[12] ? 1 : 0;
    if (offset > length || stored > length - offset) return "File: Datafile is damaged (entry outside the file)";
    if (e.packed) {
      if (stored < 4) return "File: Datafile is damaged (packed entry too short)";
      u8 size[4];
      File_Read_At(offset, size, 4);
      if (Get_U32(size) != e.unpacked_size) return "File: Datafile is damaged (entry sizes disagree)";
    } else if (e.unpacked_size != stored) {
      return "File: Datafile is damaged (entry sizes disagree)";
    }
    e.size = e.stored_size = stored;
    e.offset = u32(offset);
    e.stored_unpacked_size = e.unpacked_size;
    e.stored_packed = e.packed;
    file_count = u16(i + 1);
  }
  return nullptr;
}

}  // namespace

// Opens a file for reading when it is a regular file: a pipe would block the open for ever and a folder
// reads as nothing. What it is instead, or null when it opened (errno tells why it did not).
const char* File_Open_Regular(const char* name, FILE** handle) {
  *handle = nullptr;
  struct stat info;
  if (stat(name, &info) != 0) return nullptr;
  if (S_ISDIR(info.st_mode)) return "a folder";
  if (S_ISFIFO(info.st_mode)) return "a pipe";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  *handle = fopen(name, "rb");
  return nullptr;
}

u8 File_Set_Datafile(const char* name) {
  if (!name) name = "";
  // A cut name would open another file.
  if (strlen(name) >= sizeof file_datafile) Err_Error("File: Datafile name too long: %s", name);
  memcpy(file_datafile, name, strlen(name) + 1);
  if (name[0]) file_datafile_mode = 1;
  return 0;
}

const char* File_Try_Init(void) {
  // A second start reads the directory afresh instead of appending it again.
  if (file_initialised) File_Done();
  if (!Mem_Is_Initialised()) Mem_Init(0);
  file_in_use = 0;
  file_count = 0;
  file_buffer = static_cast<u8*>(Mem_Alloc(kFileBufferBytes));
  Mem_Set_Description(file_buffer, "File: ");
  Mem_Set_Description(file_buffer, "Buffer");
  file_buffer_index = file_buffer_count = 0;
  if (file_datafile_mode) {
    const char* kind = File_Open_Regular(file_datafile, &file_handle);
    snprintf(file_refusal, sizeof file_refusal, "File: Datafile is %s: %s", kind ? kind : "", file_datafile);
    const char* why = kind ? file_refusal : file_handle ? File_Read_Directory() : "File: Unable to open datafile";
    if (why) {
      if (file_handle) fclose(file_handle);
      file_handle = nullptr;
      file_count = 0;
      File_Free_Block(file_buffer);
      file_buffer = nullptr;
      return why;
    }
  }
  file_initialised = 1;
  return nullptr;
}

void File_Init(void) {
  const char* why = File_Try_Init();
  if (why) Err_Error("%s", why);
}

void File_Done(void) {
  if (!file_initialised) return;
  if (file_handle) fclose(file_handle);
  file_handle = nullptr;
  file_in_use = 0;
  File_Free_Block(file_buffer);
  file_buffer = nullptr;
  file_buffer_index = file_buffer_count = 0;
  file_initialised = 0;
}

u8 File_Is_Initialised(void) { return file_initialised; }
u8 File_Using_Datafile(void) { return file_datafile_mode; }
u16 File_Count(void) { return file_count; }

u8 File_Find(const char* name) {
  for (u16 i = 0; i < file_count; i++)
    if (strcasecmp(file_dir[i].name, name) == 0) return u8(i);
  Err_Error("File: %s not found in datafile", name);
}

void File_Open(const char* name) {
  if (!file_initialised) Err_Error("File: Not initialised");
  if (file_in_use) Err_Error("File: File already in use");
  if (file_datafile_mode) {
    u8 i = File_Find(name);
    if (file_unpack && file_dir[i].packed) File_Load(name);
    file_index = i;
    file_position = 0;
    file_entry_loaded = file_dir[i].loaded;
    file_entry_data = file_dir[i].data;
    file_entry_offset = file_dir[i].offset;
    file_entry_size = file_dir[i].size;
  } else {
    if (const char* kind = File_Open_Regular(name, &file_handle))
      Err_Error("File: Not a regular file (%s): %s", kind, name);
    if (!file_handle) Err_Error("File: Unable to open file: %s", name);
  }
  file_buffer_index = file_buffer_count = 0;
  file_past_end = 0;
  file_in_use = 1;
}

void File_Close(void) {
  if (!file_in_use) return;
  if (!file_datafile_mode) {
    fclose(file_handle);
    file_handle = nullptr;
  } else {
    if (file_auto_unload && file_dir[file_index].loaded) File_Unload(file_dir[file_index].name);
    if (file_progress) File_Show_Progress();
  }
  file_buffer_index = file_buffer_count = 0;
  file_in_use = 0;
}

u32 File_Read(void* buffer, u32 n) {
  File_Need_Open();
  File_Drop_Buffer();
  return File_Read_Raw(buffer, n);
}

void File_Seek(i32 offset, i32 whence) {
  File_Need_Open();
  File_Drop_Buffer();
  if (!file_datafile_mode) {
    fseeko(file_handle, off_t(offset), whence);
    return;
  }
  // The position is not clamped; a read from beyond the end gets nothing.
  if (whence == 0)
    file_position = u32(offset);
  else if (whence == 1)
    file_position += u32(offset);
  else if (whence == 2)
    file_position = file_entry_size + u32(offset);
}

u32 File_Tell(void) {
  File_Need_Open();
  u32 unread = file_buffer_count - file_buffer_index;
  if (file_datafile_mode) return file_position - unread;
  return u32(ftello(file_handle)) - unread;
}

u32 File_Size(void) {
  File_Need_Open();
  if (file_datafile_mode) return file_entry_size;
  File_Drop_Buffer();
  off_t here = ftello(file_handle);
  fseeko(file_handle, 0, SEEK_END);
  off_t size = ftello(file_handle);
  fseeko(file_handle, here, SEEK_SET);
  return u32(size);
}

u32 File_Get_Size(const char* name) {
  if (file_datafile_mode) return file_dir[File_Find(name)].unpacked_size;
  FILE* f = nullptr;
  if (const char* kind = File_Open_Regular(name, &f)) Err_Error("File: Not a regular file (%s): %s", kind, name);
  if (!f) Err_Error("File: Unable to open file: %s", name);
  fseeko(f, 0, SEEK_END);
  off_t size = ftello(f);
  fclose(f);
  return u32(size);
}

u8 File_Get_Byte(void) {
  if (file_buffer_index >= file_buffer_count) {
    file_buffer_index = 0;
    file_buffer_count = File_Read_Raw(file_buffer, kFileBufferBytes);
    if (file_buffer_count == 0) {
      file_past_end = 1;
      return 0;
    }
  }
  return file_buffer[file_buffer_index++];
}

u8 File_Past_End(void) { return file_past_end; }

void File_Load(const char* name) {
  if (!file_datafile_mode) Err_Error("File_Load: only works when using datafile");
  u8 i = File_Find(name);
  FileEntry& e = file_dir[i];
  if (e.loaded) return;
  void* destination = nullptr;
  if (e.packed && file_unpack) {
    // The declared size is taken only when the stream can reach it.
    Zlib_Check_Size(e.size - 4, e.unpacked_size);
    destination = Mem_Alloc(e.unpacked_size);
  }
  e.data = static_cast<u8*>(Mem_Alloc(e.size));
  Mem_Set_Description(e.data, "File: ");
  Mem_Set_Description(e.data, name);
  e.loaded = 1;
  File_Read_At(e.offset, e.data, e.size);
  if (destination) File_Unpack(i, destination);
}

u32 File_Unpack(u8 index, void* destination) {
  if (index >= file_count || !file_dir[index].packed) Err_Error("File_Unpack: file not compressed.");
  FileEntry& e = file_dir[index];
  if (!e.loaded) Err_Error("File_Unpack: File not loaded");
  u32 length = Mem_Get_Size(destination);
  Zlib_Inflate(e.data + 4, destination, e.size - 4, length);
  char description[sizeof(MemBlock::description)];
  snprintf(description, sizeof description, "%s", Mem_Get_Description(e.data));
  Mem_Set_Description(destination, description);
  Mem_Free(e.data);
  e.data = static_cast<u8*>(destination);
  e.size = length;
  e.packed = 0;
  File_Refresh_Open(index);
  return length;
}

void File_Unload(const char* name) {
  if (!file_datafile_mode) return;
  u8 i = File_Find(name);
  FileEntry& e = file_dir[i];
  if (!e.loaded) Err_Error("File_Unload: File not loaded");
  File_Free_Block(e.data);
  e.loaded = 0;
  e.data = nullptr;
  // A later load reads the entry as stored again.
  e.size = e.stored_size;
  e.unpacked_size = e.stored_unpacked_size;
  e.packed = e.stored_packed;
  File_Refresh_Open(i);
}

void File_Load_All(void) {
  printf("File: Loading  [");
  for (u16 i = 0; i < file_count; i++) putchar('.');
  putchar(']');
  for (u32 i = 0; i <= file_count; i++) putchar(8);
  for (u16 i = 0; i < file_count; i++) {
    File_Load(file_dir[i].name);
    Con_Put_Glyph(CON_SQUARE);
    fflush(stdout);
  }
  putchar('\n');
}

void File_Decompress_All(void) {
  u32 count = 0;
  for (u16 i = 0; i < file_count; i++)
    if (File_Is_Klz(file_dir[i].name)) count++;
  printf("File: Decompressing  [");
  for (u32 i = 0; i < count; i++) putchar('.');
  putchar(']');
  for (u32 i = 0; i <= count; i++) putchar(8);
  for (u16 i = 0; i < file_count; i++) {
    FileEntry& e = file_dir[i];
    if (!File_Is_Klz(e.name)) continue;
    u8* block = Lzh_Decompress(e.name);
    if (e.loaded) File_Free_Block(e.data);
    e.data = block;
    e.loaded = 1;
    e.size = e.unpacked_size = Mem_Get_Size(block);
    File_Refresh_Open(u8(i));
    Con_Put_Glyph(CON_SQUARE);
    fflush(stdout);
  }
  putchar('\n');
}

bool File_Is_Klz(const char* name) {
  for (const char* p = name; *p; p++)
    if (strncasecmp(p, ".KLZ", 4) == 0) return true;
  return false;
}

void* File_Get_Data(const char* name) { return file_dir[File_Find(name)].data; }
const FileEntry* File_Get_Entry(u16 index) { return index < file_count ? &file_dir[index] : nullptr; }

void File_Show_Dir(void) {
  printf("File_Show_Dir:\n");
  for (u16 i = 0; i < file_count; i++) {
    const FileEntry& e = file_dir[i];
    printf("%s\t%8d\t%8d\t%1d\t%8p\n", e.name, int(e.size), int(e.offset), int(e.loaded),
           static_cast<void*>(e.data));
  }
}

void File_Show_Progress(void) {
  Con_Put_Glyph(CON_SQUARE);
  fflush(stdout);
}

void File_Auto_Unload_On(void) { file_auto_unload = 1; }
void File_Auto_Unload_Off(void) { file_auto_unload = 0; }
void File_Unpack_On(void) { file_unpack = file_auto_unload = 1; }
void File_Unpack_Off(void) { file_unpack = file_auto_unload = 0; }
void File_Progress_On(void) { file_progress = 1; }
void File_Progress_Off(void) { file_progress = 0; }
