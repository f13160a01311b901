// The data file and file layer: directory, lookups, reads, seeks, byte reads, loads, unpacking, bad files.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/file.h"
#include "runtime/mem.h"
#include "tests/engine_fixture.h"

namespace {
std::vector<u8> Bytes(const char* text) { return std::vector<u8>(text, text + strlen(text)); }

// Words from a small alphabet with repeats, so every packer finds matches and literals.
std::vector<u8> Counting(size_t n, u32 seed = 1) {
  std::vector<u8> v(n);
  for (size_t i = 0; i < n; i++) {
    seed = seed * 1103515245u + 12345u;
    v[i] = (seed >> 16) % 7 == 0 ? u8(' ') : u8('a' + (seed >> 20) % 12);
  }
  return v;
}

std::vector<u8> Build(const std::vector<DatafileEntry>& entries, const DatafileLayout& layout = {}) {
  std::vector<u8> bytes;
  std::string why;
  EXPECT_TRUE(Datafile_Build(entries, layout, &bytes, &why)) << why;
  return bytes;
}

// Writes the bytes as the running test's data file and starts the layer on it.
void Start_Bytes(const std::vector<u8>& bytes) {
  Write_Bytes(Test_Short_Temp("dat"), bytes);
  File_Set_Datafile(Test_Short_Temp("dat").c_str());
  File_Init();
  File_Unpack_Off();
  File_Progress_Off();
}
void Start_Datafile(const std::vector<DatafileEntry>& entries) { Start_Bytes(Build(entries)); }

// A pipe or a folder by a test file's name, made afresh.
std::string Special_File(const char* kind) {
  std::string name = Test_Short_Temp(kind);
  std::remove(name.c_str());
  EXPECT_EQ(kind[0] == 'f' && kind[1] == 'i' ? mkfifo(name.c_str(), 0600) : mkdir(name.c_str(), 0700), 0);
  return name;
}

std::vector<u8> Read_Entry(const char* name) {
  File_Open(name);
  std::vector<u8> v(File_Size());
  EXPECT_EQ(File_Read(v.data(), u32(v.size())), v.size());
  File_Close();
  return v;
}
}  // namespace

TEST(FileGolden, DataBaseAndZlibEntryMatchTheHandMadeFile) {
  // "JUNK", the raw entry, "hello" as Python's zlib writes it behind its size, then two records and the trailer.
  const u8 golden[] = {0x4a, 0x55, 0x4e, 0x4b, 1, 2, 3, 4, 5, 0, 0, 0, 0x78, 0x9c, 0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x07,
                       0x00, 0x06, 0x2c, 0x02, 0x15, 0x0b, 0x73, 0x6b, 0x79, 0x2f, 0x73, 0x6b, 0x79, 0x2e, 0x70, 0x69,
                       0x63, 4, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 5, 0x70, 0x2e, 0x62, 0x69, 0x6e, 0x11, 0, 0, 0, 4,
                       0, 0, 0, 5, 0, 0, 0, 1, 2, 0, 0x2e, 0, 0, 0, 4, 0, 0, 0};
  DatafileLayout layout;
  layout.prefix = Bytes("JUNK");
  std::vector<u8> bytes = Build({{"sky/sky.pic", {1, 2, 3, 4}, DATAFILE_RAW}, {"p.bin", Bytes("hello"), DATAFILE_ZLIB}},
                                layout);
  EXPECT_EQ(bytes, std::vector<u8>(golden, golden + sizeof golden));
  Start_Bytes(bytes);
  EXPECT_EQ(Read_Entry("SKY/SKY.PIC"), std::vector<u8>({1, 2, 3, 4}));
  // With the unpack switch off the packed entry reads as stored: its size field, then the zlib stream.
  EXPECT_EQ(Read_Entry("p.bin"), std::vector<u8>(bytes.begin() + 8, bytes.begin() + 25));
  EXPECT_EQ(File_Get_Size("p.bin"), 5u);
  File_Unpack_On();
  File_Load("p.bin");
  EXPECT_EQ(std::make_pair(File_Get_Entry(1)->packed, File_Get_Entry(1)->size), std::make_pair(u8(0), 5u));
  EXPECT_EQ(Read_Entry("p.bin"), Bytes("hello"));
  EXPECT_EQ(File_Get_Entry(1)->loaded, 0) << "unpacking also unloads on close";
}

TEST(FileDirectory, LookupIgnoresCaseFirstEqualNameWinsOneFileOpen) {
  Start_Datafile({{"sky/sky.pic", Bytes("first"), DATAFILE_RAW}, {"SKY/SKY.PIC", Bytes("second"), DATAFILE_RAW},
                  {"other", Bytes("x"), DATAFILE_RAW}});
  EXPECT_EQ(std::make_pair(File_Find("Sky/Sky.Pic"), File_Find("OTHER")), std::make_pair(u8(0), u8(2)));
  EXPECT_EQ(Read_Entry("SKY/SKY.PIC"), Bytes("first"));
  EXPECT_FATAL("File: missing.pcx not found in datafile", File_Find("missing.pcx"));
  File_Open("other");
  EXPECT_FATAL("File: File already in use", File_Open("other"));
  File_Close();
  EXPECT_FATAL("File: No file open", File_Read(nullptr, 1));
}

// The directory begins D + 8 bytes before the end and holds N records back to back; room they leave before
// the trailer is spare. "a.pcx" = "XYZ" at offset 0, its record 19 bytes, then `spare` bytes.
TEST(FileDirectory, RecordsMayLeaveRoomBeforeTheTrailer) {
  const u8 record[19] = {5, 'a', '.', 'p', 'c', 'x', 3, 0, 0, 0, 0, 0, 0, 0, 3};
  const struct {
    u8 spare, count, directory;
    bool loads;
  } rows[] = {{0, 1, 21, true},    // D = 19 + 2: the records directly before the trailer
              {4, 1, 25, true},    // four bytes to spare
              {4, 2, 25, false},   // a second record does not fit in them
              {4, 1, 29, false}};  // 29 + 8 bytes reach before the 36-byte file
  for (const auto& row : rows) {
    SCOPED_TRACE(row.directory);
    std::vector<u8> bytes = Bytes("XYZ");
    bytes.insert(bytes.end(), record, record + sizeof record);
    bytes.resize(bytes.size() + row.spare);
    for (u8 b : {row.count, u8(0), row.directory, u8(0), u8(0), u8(0), u8(0), u8(0), u8(0), u8(0)}) bytes.push_back(b);
    if (!row.loads) {
      Write_Bytes(Test_Short_Temp("dat"), bytes), File_Set_Datafile(Test_Short_Temp("dat").c_str());
      EXPECT_FATAL("File: Datafile ends early (no directory at its end)", File_Init());
      continue;
    }
    DatafileLayout gap;
    gap.directory_gap = row.spare;
    EXPECT_EQ(Build({{"a.pcx", Bytes("XYZ"), DATAFILE_RAW}}, gap), bytes) << "the writer leaves the same room";
    Start_Bytes(bytes);
    EXPECT_EQ(std::make_pair(File_Count(), Read_Entry("A.PCX")), std::make_pair(u16(1), Bytes("XYZ")));
  }
  // A file of two records that counts only the first: the second is room to spare.
  std::vector<u8> two = Build({{"abc", Bytes("hello"), DATAFILE_RAW}, {"d", Bytes("x"), DATAFILE_RAW}});
  two[two.size() - 10] = 1;
  Start_Bytes(two);
  EXPECT_EQ(std::make_pair(File_Count(), Read_Entry("abc")), std::make_pair(u16(1), Bytes("hello")));
  // Entry data may lie anywhere in the file, its own directory included: "a.pcx" stored as the whole
  // 32-byte file (record at 3, trailer at 22), offset 0.
  std::vector<u8> whole = Bytes("XYZ");
  whole.insert(whole.end(), record, record + sizeof record);
  for (u8 b : {1, 0, 21, 0, 0, 0, 0, 0, 0, 0}) whole.push_back(b);
  whole[9] = whole[17] = 32;
  Start_Bytes(whole);
  EXPECT_EQ(Read_Entry("a.pcx"), whole);
}

TEST(FileRead, ByteReadsFollowSeeksAndReadsStopAtTheEnd) {
  // A plain file, then an entry of the same bytes unloaded, then loaded.
  std::vector<u8> data = Counting(150000);
  std::string plain = Test_Short_Temp("plain");
  Write_Bytes(plain, data);
  File_Set_Datafile("");
  File_Init();
  for (int mode = 0; mode < 3; mode++) {
    SCOPED_TRACE(mode);
    if (mode == 1) Start_Datafile({{"e", data, DATAFILE_RAW}, {"next", Bytes("NEXT"), DATAFILE_RAW}});
    if (mode == 2) File_Load("e");
    File_Open(mode == 0 ? plain.c_str() : "e");
    File_Seek(100, 0);
    EXPECT_EQ(File_Get_Byte(), data[100]);
    EXPECT_EQ(File_Size(), 150000u);
    EXPECT_EQ(File_Tell(), 101u) << "tell counts only the bytes handed out";
    u8 buffer[64];
    File_Read(buffer, 2);
    EXPECT_EQ(buffer[0], data[101]) << "the size query keeps the byte reader's place";
    File_Seek(-5, 2);
    memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(File_Read(buffer, 64), 5u);
    EXPECT_EQ(memcmp(buffer, &data[149995], 5), 0);
    EXPECT_EQ(buffer[5], 0xAA) << "nothing past the entry is copied";
    File_Seek(0, 0);
    bool same = true;
    for (u32 i = 0; i < 150000; i++) same &= File_Get_Byte() == data[i];  // three 64000-byte refills
    EXPECT_TRUE(same);
    EXPECT_EQ(File_Past_End(), 0);
    EXPECT_EQ(File_Get_Byte(), 0);
    EXPECT_EQ(File_Past_End(), 1);
    File_Close();
    if (mode == 0) {
      EXPECT_FATAL("File_Load: only works when using datafile", File_Load(plain.c_str()));
      EXPECT_FATAL("File: Unable to open file: no such file", File_Open("no such file"));
      EXPECT_FATAL("File: Not a regular file (a pipe): ", File_Open(Special_File("fifo").c_str()));
      EXPECT_FATAL("File: Not a regular file (a folder): ", File_Get_Size(Special_File("folder").c_str()));
    }
  }
}

TEST(FileLoad, LoadsUnpackingAutoUnloadAndProgressMarks) {
  std::vector<u8> big = Counting(300000, 7);
  Start_Datafile({{"a", Bytes("alpha"), DATAFILE_RAW}, {"zlib/empty", {}, DATAFILE_ZLIB},
                  {"zlib/big", big, DATAFILE_ZLIB}, {"lz/big.KLZ", big, DATAFILE_LZARI}});
  File_Load("a");
  EXPECT_STREQ(Mem_Get_Description(File_Get_Data("a")), "File: a");
  File_Auto_Unload_On();
  File_Progress_On();
  File_Unpack_On();
  testing::internal::CaptureStdout();
  EXPECT_EQ(Read_Entry("a"), Bytes("alpha"));
  EXPECT_EQ(Read_Entry("zlib/empty"), std::vector<u8>());
  EXPECT_EQ(Read_Entry("zlib/big"), big);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\xFE\xFE\xFE");
  EXPECT_EQ(File_Get_Entry(0)->loaded, 0) << "unloaded on close";
  File_Unpack_Off();
  File_Auto_Unload_Off();
  File_Progress_Off();
  EXPECT_EQ(Output_Of(File_Decompress_All), "File: Decompressing  [.]\b\b\xFE\n");
  EXPECT_EQ(Read_Entry("LZ/BIG.klz"), big);
  EXPECT_TRUE(File_Is_Klz("b.klz.bak") && !File_Is_Klz("b.kl"));
  EXPECT_STREQ(Mem_Get_Description(File_Get_Data("lz/big.klz")), "Lzh: lz/big.KLZ");
  EXPECT_FATAL("File_Unload: File not loaded", File_Unload("a"));
  EXPECT_FATAL("File_Unpack: file not compressed.", File_Unpack(0, nullptr));
}

TEST(FileBadInput, DamagedDataFilesAreRefusedWithAClearMessage) {
  std::vector<u8> good = Build({{"abc", Bytes("hello"), DATAFILE_RAW}, {"z", Bytes("hello"), DATAFILE_ZLIB}});
  const u32 n = u32(good.size());
  // The raw entry's five bytes, the packed entry, then the first record: length, "abc", stored, offset, unpacked.
  const u32 record = 5 + u32(Datafile_Stored_Bytes({"z", Bytes("hello"), DATAFILE_ZLIB}).size());
  const char *kEarly = "File: Datafile ends early (no directory at its end)",
             *kSizes = "File: Datafile is damaged (entry sizes disagree)";
  // A row changes one byte, or keeps only the first bytes of the file (value 0xFF: at is the length kept).
  const struct {
    u32 at;
    u8 value;
    const char* message;
  } rows[] = {{n - 10, 101, kEarly},  // a count that the records do not fill
              {n - 5, 0x10, kEarly},  // the directory far beyond the file
              {n - 10, 3, kEarly},    // a third record that is not there
              {record, 200, kEarly},  // a name running past the directory
              {record + 11, 0xF0, "File: Datafile is damaged (entry outside the file)"},
              {record + 7, 1, "File: Datafile is damaged (entry outside the file)"},  // stored: 16 MB more
              {record + 17 + 2, 3, "File: Datafile is damaged (packed entry too short)"},  // "z" stored: 3
              {record + 12, 4, kSizes},
              {5, 6, kSizes},  // the packed entry's own size field
              {9, 0xFF, kEarly},
              {n / 2, 0xFF, kEarly},
              {n - 1, 0xFF, kEarly}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.at);
    std::vector<u8> bytes = good;
    row.value == 0xFF ? bytes.resize(row.at) : void(bytes[row.at] = row.value);
    Write_Bytes(Test_Short_Temp("bad"), bytes), File_Set_Datafile(Test_Short_Temp("bad").c_str());
    EXPECT_FATAL(row.message, File_Init());
    EXPECT_TRUE(File_Try_Init() != nullptr && !File_Is_Initialised());
  }
  // 100 whole records are taken, 101 are not; a pipe (whose open would wait for a writer for ever) and a
  // folder by the name are refused.
  Start_Datafile(std::vector<DatafileEntry>(kFileMaxEntries, {"e", Bytes("x"), DATAFILE_RAW}));
  EXPECT_EQ(File_Count(), kFileMaxEntries);
  // Made by hand, as the writer refuses it: 101 records of the empty entry "e", then N, D and B.
  const u8 empty_record[15] = {1, 'e'};
  std::vector<u8> many;
  for (u32 i = 0; i <= kFileMaxEntries; i++) many.insert(many.end(), empty_record, empty_record + 15);
  const u32 directory = u32(many.size()) + 2;
  for (u32 b : {kFileMaxEntries + 1, 0u, directory, directory >> 8, 0u, 0u, 0u, 0u, 0u, 0u}) many.push_back(u8(b));
  Write_Bytes(Test_Short_Temp("many"), many);
  for (auto [name, message] : {std::pair<std::string, const char*>{Test_Short_Temp("many"), "has too many entries"},
                               {Special_File("fifo"), "Datafile is a pipe: "},
                               {Special_File("folder"), "Datafile is a folder: "}}) {
    File_Set_Datafile(name.c_str());
    EXPECT_FATAL(message, File_Init());
  }
  File_Set_Datafile(Test_Short_Temp("missing").c_str());
  EXPECT_FATAL("File: Unable to open datafile", File_Init());
}

TEST(FileBadInput, BrokenOrUnreachablePackedEntriesAreFatal) {
  std::vector<u8> bytes = Build({{"z", Counting(3000), DATAFILE_ZLIB}}), broken = bytes;
  broken[30] ^= 0x55;  // inside the deflate data
  Start_Bytes(broken);
  File_Unpack_On();
  EXPECT_FATAL("Zlib: ", File_Open("z"));
  // 3.75 GB declared in the entry's size field and in its record (length, "z", stored, offset, unpacked).
  const u8 huge[4] = {0, 0, 0, 0xF0};
  memcpy(&bytes[0], huge, 4);
  memcpy(&bytes[bytes.size() - 10 - 14 + 9], huge, 4);
  Start_Bytes(bytes);
  File_Unpack_On();
  // In 1 GB of address space no block of the declared size can be had: the message tells which check ended
  // the load.
  auto load_in_one_gigabyte = [] {
    const rlimit limit = {1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &limit);
    File_Load("z");
  };
  EXPECT_FATAL("Zlib: Unable to complete inflating.", load_in_one_gigabyte());
}
