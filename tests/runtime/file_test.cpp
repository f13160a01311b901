// The data file and file layer: directory, lookups, reads, seeks, byte reads, loads, unpacking, bad files.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "datafile_writer.h"
#include "runtime/file.h"
#include "runtime/lzh.h"
#include "runtime/mem.h"
#include "tests/runtime/runtime_test_util.h"

namespace {
std::vector<u8> Bytes(const char* text) { return std::vector<u8>(text, text + strlen(text)); }

std::vector<u8> Counting(size_t n, u32 seed = 1) {
  std::vector<u8> v(n);
  u32 x = seed;
  for (size_t i = 0; i < n; i++) {
    x = x * 1103515245u + 12345u;
    // Words from a small alphabet with repeats, so every packer finds matches and literals.
    v[i] = (x >> 16) % 7 == 0 ? u8(' ') : u8('a' + (x >> 20) % 12);
  }
  return v;
}

// Writes a data file for the running test and starts the layer on it.
std::string Start_Datafile(const std::vector<DatafileEntry>& entries, const DatafileLayout& layout = {}) {
  std::vector<u8> bytes;
  std::string why;
  EXPECT_TRUE(Datafile_Build(entries, layout, &bytes, &why)) << why;
  std::string path = Test_Path("dat");
  Write_Bytes(path, bytes);
  File_Set_Datafile(path.c_str());
  File_Init();
  File_Unpack_Off();
  File_Progress_Off();
  return path;
}

std::vector<u8> Read_Entry(const char* name) {
  File_Open(name);
  std::vector<u8> v(File_Size());
  EXPECT_EQ(File_Read(v.data(), u32(v.size())), v.size());
  File_Close();
  return v;
}

std::vector<u8> Hex(const char* text) {
  std::vector<u8> v;
  for (const char* p = text; *p;) {
    if (*p == ' ') {
      p++;
      continue;
    }
    v.push_back(u8(strtoul(std::string(p, 2).c_str(), nullptr, 16)));
    p += 2;
  }
  return v;
}

const char* kGoldenOne = "58 59 5a 05 61 2e 70 63 78 03 00 00 00 00 00 00 00 03 00 00 00 00 01 00 15 00 00 00 00 00 00 00";
const char* kGoldenTwo =
    "4a 55 4e 4b 01 02 03 04 05 00 00 00 78 9c cb 48 cd c9 c9 07 00 06 2c 02 15 0b 73 6b 79 2f 73 6b 79 2e 70 69 63"
    " 04 00 00 00 00 00 00 00 04 00 00 00 00 05 70 2e 62 69 6e 11 00 00 00 04 00 00 00 05 00 00 00 01 02 00 2e 00 00"
    " 00 04 00 00 00";
}  // namespace

TEST(FileGolden, OneRawEntryMatchesTheHandMadeFileAndReadsBack) {
  std::vector<u8> bytes;
  std::string why;
  ASSERT_TRUE(Datafile_Build({{"a.pcx", Bytes("XYZ"), DATAFILE_RAW}}, {}, &bytes, &why));
  EXPECT_EQ(bytes, Hex(kGoldenOne));
  Write_Bytes(Test_Path("dat"), Hex(kGoldenOne));
  File_Set_Datafile(Test_Path("dat").c_str());
  File_Init();
  ASSERT_EQ(File_Count(), 1);
  EXPECT_EQ(Read_Entry("A.PCX"), Bytes("XYZ"));
}

TEST(FileGolden, DataBaseAndZlibEntryMatchTheHandMadeFile) {
  std::vector<u8> bytes;
  std::string why;
  DatafileLayout layout;
  layout.prefix = Bytes("JUNK");
  ASSERT_TRUE(Datafile_Build({{"sky/sky.pic", {1, 2, 3, 4}, DATAFILE_RAW}, {"p.bin", Bytes("hello"), DATAFILE_ZLIB}},
                             layout, &bytes, &why));
  EXPECT_EQ(bytes, Hex(kGoldenTwo));
  Write_Bytes(Test_Path("dat"), Hex(kGoldenTwo));
  File_Set_Datafile(Test_Path("dat").c_str());
  File_Init();
  ASSERT_EQ(File_Count(), 2);
  EXPECT_EQ(File_Get_Entry(0)->offset, 4u);
  EXPECT_EQ(Read_Entry("SKY/SKY.PIC"), std::vector<u8>({1, 2, 3, 4}));
  // With the unpack switch off the packed entry reads as stored: its size field, then the zlib stream.
  std::vector<u8> stored = Read_Entry("p.bin");
  EXPECT_EQ(stored, std::vector<u8>(bytes.begin() + 8, bytes.begin() + 25));
  EXPECT_EQ(File_Get_Size("p.bin"), 5u);
  File_Unpack_On();
  EXPECT_EQ(Read_Entry("p.bin"), Bytes("hello"));
  EXPECT_EQ(File_Get_Entry(1)->loaded, 0) << "unpacking also unloads on close";
}

TEST(FileDirectory, LookupIgnoresCaseAndTheFirstOfTwoEqualNamesWins) {
  Start_Datafile({{"sky/sky.pic", Bytes("first"), DATAFILE_RAW},
                  {"SKY/SKY.PIC", Bytes("second"), DATAFILE_RAW},
                  {"other", Bytes("x"), DATAFILE_RAW}});
  EXPECT_EQ(File_Find("Sky/Sky.Pic"), 0);
  EXPECT_EQ(File_Find("OTHER"), 2);
  EXPECT_EQ(Read_Entry("SKY/SKY.PIC"), Bytes("first"));
  EXPECT_FATAL(File_Find("missing.pcx"), "File: missing.pcx not found in datafile");
}

TEST(FileDirectory, ASecondInitReadsTheDirectoryAfresh) {
  Start_Datafile({{"a", Bytes("1"), DATAFILE_RAW}, {"b", Bytes("2"), DATAFILE_RAW}});
  File_Init();
  EXPECT_EQ(File_Count(), 2);
  File_Done();
  File_Init();
  EXPECT_EQ(File_Count(), 2);
  EXPECT_EQ(Read_Entry("b"), Bytes("2"));
}

TEST(FileRead, ReadsStopAtTheEntryEndWhetherLoadedOrNot) {
  std::vector<u8> data = Counting(1000);
  Start_Datafile({{"e", data, DATAFILE_RAW}, {"next", Bytes("NEXT"), DATAFILE_RAW}});
  for (int loaded = 0; loaded < 2; loaded++) {
    if (loaded) File_Load("e");
    File_Open("e");
    File_Seek(990, 0);
    u8 buffer[64];
    memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(File_Read(buffer, 10), 10u);
    EXPECT_EQ(memcmp(buffer, &data[990], 10), 0);
    EXPECT_EQ(File_Tell(), 1000u);
    EXPECT_EQ(File_Read(buffer, 10), 0u);
    File_Seek(995, 0);
    memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(File_Read(buffer, 64), 5u);
    EXPECT_EQ(buffer[5], 0xAA) << "nothing past the entry is copied";
    File_Seek(5000, 0);
    EXPECT_EQ(File_Read(buffer, 64), 0u);
    File_Close();
  }
}

TEST(FileRead, ByteReadsFollowSeeksAndTellCountsOnlyBytesHandedOut) {
  std::vector<u8> data = Counting(150000);
  Start_Datafile({{"e", data, DATAFILE_RAW}});
  File_Open("e");
  File_Seek(100, 0);
  EXPECT_EQ(File_Get_Byte(), data[100]);
  EXPECT_EQ(File_Get_Byte(), data[101]);
  EXPECT_EQ(File_Tell(), 102u);
  u8 two[2];
  File_Read(two, 2);
  EXPECT_EQ(two[0], data[102]);
  File_Seek(-4, 2);
  EXPECT_EQ(File_Tell(), 149996u);
  EXPECT_EQ(File_Get_Byte(), data[149996]);
  File_Seek(0, 0);
  u32 sum = 0, expected = 0;
  for (u32 i = 0; i < 150000; i++) {
    sum = sum * 31 + File_Get_Byte();
    expected = expected * 31 + data[i];
  }
  EXPECT_EQ(sum, expected) << "three 64000-byte refills";
  EXPECT_EQ(File_Past_End(), 0);
  EXPECT_EQ(File_Get_Byte(), 0);
  EXPECT_EQ(File_Past_End(), 1);
  File_Close();
}

TEST(FileRead, AnOpenEntryKeepsItsPlaceWhileAnotherIsLoaded) {
  std::vector<u8> a = Counting(5000, 1), b = Counting(5000, 2);
  Start_Datafile({{"a", a, DATAFILE_RAW}, {"b", b, DATAFILE_RAW}});
  File_Open("a");
  std::vector<u8> got(5000);
  File_Read(got.data(), 2000);
  File_Load("b");
  File_Read(got.data() + 2000, 3000);
  File_Close();
  EXPECT_EQ(got, a);
  EXPECT_EQ(memcmp(File_Get_Data("b"), b.data(), 5000), 0);
}

TEST(FileOpen, OneFileAtATime) {
  Start_Datafile({{"a", Bytes("1"), DATAFILE_RAW}});
  File_Open("a");
  EXPECT_FATAL(File_Open("a"), "File: File already in use");
  File_Close();
  File_Close();  // nothing open: nothing happens
  EXPECT_FATAL(File_Read(nullptr, 1), "File: No file open");
}

TEST(FileLoad, LoadUnloadAutoUnloadAndProgressMarks) {
  Start_Datafile({{"a", Bytes("alpha"), DATAFILE_RAW}, {"b", Bytes("beta"), DATAFILE_RAW}});
  File_Load("a");
  const FileEntry* a = File_Get_Entry(0);
  ASSERT_EQ(a->loaded, 1);
  EXPECT_STREQ(Mem_Get_Description(a->data), "File: a");
  EXPECT_EQ(Read_Entry("a"), Bytes("alpha"));
  File_Auto_Unload_On();
  File_Progress_On();
  testing::internal::CaptureStdout();
  EXPECT_EQ(Read_Entry("a"), Bytes("alpha"));
  EXPECT_EQ(Read_Entry("b"), Bytes("beta"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\xFE\xFE");
  EXPECT_EQ(a->loaded, 0) << "unloaded on close";
  EXPECT_FATAL(File_Unload("a"), "File_Unload: File not loaded");
  EXPECT_FATAL(File_Unpack(0, nullptr), "File_Unpack: file not compressed.");
}

TEST(FileLoad, LoadAllPrintsTheBarAndLoadsEveryEntry) {
  Start_Datafile({{"a", Bytes("1"), DATAFILE_RAW}, {"b", Bytes("22"), DATAFILE_RAW}});
  testing::internal::CaptureStdout();
  File_Load_All();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "File: Loading  [..]\b\b\b\xFE\xFE\n");
  EXPECT_EQ(File_Get_Entry(1)->loaded, 1);
  EXPECT_EQ(memcmp(File_Get_Data("b"), "22", 2), 0);
  testing::internal::CaptureStdout();
  File_Show_Dir();
  std::string dir = testing::internal::GetCapturedStdout();
  EXPECT_EQ(dir.rfind("File_Show_Dir:\na\t       1\t       0\t1\t", 0), 0u) << dir;
}

TEST(FileRoundTrip, RawLzariAndZlibEntriesReadBackByteForByte) {
  std::vector<u8> big = Counting(3 << 20, 7);
  std::vector<u8> small = Counting(777, 8);
  std::vector<DatafileEntry> entries = {
      {"raw/empty", {}, DATAFILE_RAW},         {"raw/big", big, DATAFILE_RAW},
      {"zlib/empty", {}, DATAFILE_ZLIB},       {"zlib/big", big, DATAFILE_ZLIB},
      {"lz/small.KLZ", small, DATAFILE_LZARI}, {"lz/big.klz", big, DATAFILE_LZARI},
  };
  Start_Datafile(entries);
  ASSERT_EQ(File_Count(), 6);
  EXPECT_EQ(Read_Entry("raw/empty"), std::vector<u8>());
  EXPECT_EQ(Read_Entry("raw/big"), big);
  File_Unpack_On();
  EXPECT_EQ(Read_Entry("zlib/empty"), std::vector<u8>());
  EXPECT_EQ(Read_Entry("zlib/big"), big);
  EXPECT_EQ(File_Get_Entry(3)->loaded, 0) << "unpacked entries are dropped again on close";
  File_Unpack_Off();
  EXPECT_LT(File_Get_Size("lz/big.klz"), big.size() * 3 / 5);
  testing::internal::CaptureStdout();
  File_Decompress_All();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "File: Decompressing  [..]\b\b\b\xFE\xFE\n");
  EXPECT_EQ(Read_Entry("lz/small.KLZ"), small);
  EXPECT_EQ(Read_Entry("LZ/BIG.KLZ"), big);
  EXPECT_EQ(File_Get_Size("lz/big.klz"), big.size());
  EXPECT_STREQ(Mem_Get_Description(File_Get_Data("lz/big.klz")), "Lzh: lz/big.klz");
}

TEST(FileRoundTrip, UnpackedEntryReloadsAsStoredAfterUnload) {
  std::vector<u8> data = Counting(5000);
  Start_Datafile({{"z", data, DATAFILE_ZLIB}});
  u32 stored = File_Get_Entry(0)->size;
  File_Unpack_On();
  File_Load("z");
  EXPECT_EQ(File_Get_Entry(0)->size, 5000u);
  EXPECT_STREQ(Mem_Get_Description(File_Get_Data("z")), "File: z");
  File_Unload("z");
  EXPECT_EQ(File_Get_Entry(0)->size, stored);
  EXPECT_EQ(File_Get_Entry(0)->packed, 1);
  EXPECT_EQ(Read_Entry("z"), data);
}

TEST(FilePlain, PlainModeReadsFilesByNameAndRefusesLoads) {
  std::vector<u8> data = Counting(70000);
  Write_Bytes(Test_Path("plain"), data);
  File_Set_Datafile("");
  File_Init();
  EXPECT_EQ(File_Using_Datafile(), 0);
  std::string name = Test_Path("plain");
  EXPECT_EQ(File_Get_Size(name.c_str()), 70000u);
  File_Open(name.c_str());
  EXPECT_EQ(File_Size(), 70000u);
  EXPECT_EQ(File_Get_Byte(), data[0]);
  EXPECT_EQ(File_Tell(), 1u);
  EXPECT_EQ(File_Size(), 70000u);
  EXPECT_EQ(File_Get_Byte(), data[1]) << "the size query keeps the byte reader's place";
  File_Seek(-4, 2);
  u8 last[8];
  EXPECT_EQ(File_Read(last, 8), 4u);
  EXPECT_EQ(last[3], data[69999]);
  File_Close();
  File_Unload(name.c_str());  // nothing happens outside data-file mode
  EXPECT_FATAL(File_Load(name.c_str()), "File_Load: only works when using datafile");
  EXPECT_FATAL(File_Open("no such file"), "File: Unable to open file: no such file");
  EXPECT_FATAL(File_Get_Size("no such file"), "File: Unable to open file: no such file");
}

TEST(FileBadInput, DamagedDataFilesAreRefusedWithAClearMessage) {
  std::vector<u8> good;
  std::string why;
  ASSERT_TRUE(Datafile_Build({{"abc", Bytes("hello"), DATAFILE_RAW}, {"z", Bytes("hello"), DATAFILE_ZLIB}}, {},
                             &good, &why));
  const size_t n = good.size();
  // The raw entry's five bytes, the packed entry, then the first record: length, "abc", stored, offset, unpacked.
  const size_t record = 5 + Datafile_Stored_Bytes({"z", Bytes("hello"), DATAFILE_ZLIB}).size();
  struct Case {
    const char* what;
    std::vector<u8> bytes;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"short", std::vector<u8>(good.begin(), good.begin() + 9), "File: Datafile is damaged"});
  Case many{"count", good, "File: Datafile has too many entries"};
  many.bytes[n - 10] = 101;
  cases.push_back(many);
  Case dir{"directory", good, "File: Datafile is damaged"};
  dir.bytes[n - 5] = 0x10;  // D far beyond the file
  cases.push_back(dir);
  Case runs{"records", good, "File: Datafile is damaged"};
  runs.bytes[n - 10] = 3;  // a third record that is not there
  cases.push_back(runs);
  Case name{"name", good, "File: Datafile is damaged"};
  name.bytes[record] = 200;
  cases.push_back(name);
  Case outside{"offset", good, "File: Datafile is damaged (entry outside the file)"};
  outside.bytes[record + 1 + 3 + 4 + 3] = 0xF0;
  cases.push_back(outside);
  Case sizes{"sizes", good, "File: Datafile is damaged (entry sizes disagree)"};
  sizes.bytes[record + 1 + 3 + 8] = 4;
  cases.push_back(sizes);
  Case field{"field", good, "File: Datafile is damaged (entry sizes disagree)"};
  field.bytes[5] = 6;  // the packed entry's own size field
  cases.push_back(field);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = Test_Path(c.what);
    Write_Bytes(path, c.bytes);
    File_Set_Datafile(path.c_str());
    EXPECT_FATAL(File_Init(), c.message);
    EXPECT_NE(File_Try_Init(), nullptr);
    EXPECT_EQ(File_Is_Initialised(), 0);
  }
  File_Set_Datafile(Test_Path("missing").c_str());
  EXPECT_FATAL(File_Init(), "File: Unable to open datafile");
}

TEST(FileBadInput, APackedEntryThatDoesNotInflateIsFatal) {
  std::vector<u8> bytes;
  std::string why;
  ASSERT_TRUE(Datafile_Build({{"z", Counting(3000), DATAFILE_ZLIB}}, {}, &bytes, &why));
  bytes[30] ^= 0x55;  // inside the deflate data
  Write_Bytes(Test_Path("dat"), bytes);
  File_Set_Datafile(Test_Path("dat").c_str());
  File_Init();
  File_Unpack_On();
  EXPECT_FATAL(File_Open("z"), "Zlib: ");
}

TEST(FileBadInput, APackedSizeTheStreamCannotReachIsRefusedBeforeItsBlockIsTaken) {
  std::vector<u8> bytes;
  std::string why;
  ASSERT_TRUE(Datafile_Build({{"z", Counting(3000), DATAFILE_ZLIB}}, {}, &bytes, &why));
  // 3.75 GB declared in the entry's size field and in its record alike.
  const u8 huge[4] = {0, 0, 0, 0xF0};
  memcpy(&bytes[0], huge, 4);
  memcpy(&bytes[bytes.size() - 10 - 14 + 9], huge, 4);  // the record: length, "z", stored, offset, unpacked
  Write_Bytes(Test_Path("dat"), bytes);
  File_Set_Datafile(Test_Path("dat").c_str());
  File_Init();
  File_Unpack_On();
  // In 1 GB of address space no block of the declared size can be had: the message tells which check ended
  // the load.
  auto load_in_one_gigabyte = [] {
    const rlimit limit = {1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &limit);
    File_Load("z");
  };
  EXPECT_FATAL(load_in_one_gigabyte(), "Zlib: Unable to complete inflating.");
}
