#include "media/io/archive.h"

#include <fcntl.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <fstream>

#include "archive_bytes.h"
#include "media/io/keys.h"
#include "temp_dir.h"

namespace ml {
namespace {

using test::archiveBytes;
using test::RawEntry;
using test::readAllOf;
using test::TempDir;

TEST(ArchiveTest, PlainAndScrambledIndexesFindEveryEntry) {
  TempDir dir;
  std::vector<RawEntry> entries{{"open.scr", "Nopen script"}, {"a.wav", "RIFF...."}, {"empty", ""}};
  for (bool scrambled : {false, true}) {
    std::string path = dir.write(scrambled ? "s.dat" : "p.dat", archiveBytes(entries, scrambled));
    DataArchive a;
    ASSERT_TRUE(a.open(path, scrambled));
    EXPECT_EQ(a.entryCount(), 3);
    EXPECT_EQ(a.entryName(1), "a.wav");
    EXPECT_EQ(a.entryName(3), std::nullopt);
    EXPECT_EQ(a.entryName(-1), std::nullopt);
    ASSERT_TRUE(a.find("scr\\open.scr"));
    EXPECT_EQ(a.entrySize(), 12u);
    EXPECT_EQ(readAllOf(a), "Nopen script");
    ASSERT_TRUE(a.find("empty"));
    EXPECT_EQ(a.entrySize(), 0u);
    // Opened with the wrong scrambling flag the names do not match.
    DataArchive wrong;
    if (wrong.open(path, !scrambled)) {
      EXPECT_FALSE(wrong.find("open.scr"));
    }
  }
}

TEST(ArchiveTest, NamesMatchWithoutAsciiCaseWhateverTheFolder) {
  TempDir dir;
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes({{"BG01.psd", "pic"}}, false)), false));
  EXPECT_TRUE(a.find("cg\\bg01.PSD"));
  EXPECT_TRUE(a.find("other\\deeper\\Bg01.Psd"));
  EXPECT_TRUE(a.find("cg/bg01.psd"));
  EXPECT_TRUE(a.find("bg01.psd"));
  EXPECT_FALSE(a.find("bg01.ps"));
  EXPECT_FALSE(a.find("cg\\"));
  EXPECT_FALSE(a.find(""));
}

TEST(ArchiveTest, DoubleByteNamesCompareExactlyAndKeepTheirTrailBytes) {
  // "表" is 0x95 0x5C: its trail byte is a backslash and must not split the path.
  // 0x83 0x41 and 0x83 0x61 are different katakana whose trail bytes differ only in
  // what would be ASCII case.
  TempDir dir;
  std::string hyou = "\x95\x5C.psd";
  std::string kanaA = "\x83\x41.psd";
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes({{hyou, "one"}, {kanaA, "two"}}, true)), true));
  ASSERT_TRUE(a.find("cg\\" + hyou));
  EXPECT_EQ(readAllOf(a), "one");
  EXPECT_FALSE(a.find("\x83\x61.psd"));
  EXPECT_TRUE(a.find("CG\\\x83\x41.PSD"));
  EXPECT_EQ(archiveNameOf("cg\\" + hyou), hyou);
}

TEST(ArchiveTest, DuplicatesResolveToTheFirstAndOverrideWins) {
  TempDir dir;
  std::string main = dir.write("scr.dat", archiveBytes({{"a.scr", "main-a"}, {"A.SCR", "main-A"},
                                                        {"b.scr", "main-b"}}, true));
  std::string over = dir.write("arc2.scr", archiveBytes({{"b.scr", "over-b"}}, true));
  DataArchive a;
  ASSERT_TRUE(a.open(main, true));
  ASSERT_TRUE(a.find("a.scr"));
  EXPECT_EQ(readAllOf(a), "main-a");
  ASSERT_TRUE(a.attachOverride(over, true));
  ASSERT_TRUE(a.find("scr\\b.scr"));
  EXPECT_EQ(a.selection(), DataArchive::kSelectedOverride);
  EXPECT_EQ(a.entrySize(), 6u);
  EXPECT_EQ(readAllOf(a), "over-b");
  ASSERT_TRUE(a.find("a.scr"));  // not in the override: the main index serves it
  EXPECT_EQ(readAllOf(a), "main-a");

  // A second override replaces the first, even when it cannot be opened.
  EXPECT_FALSE(a.attachOverride(dir / "missing.dat", true));
  ASSERT_NE(a.overrideArchive(), nullptr);
  ASSERT_TRUE(a.find("b.scr"));
  EXPECT_EQ(readAllOf(a), "main-b");
}

TEST(ArchiveTest, OverrideServesEvenWhenTheMainArchiveIsMissing) {
  TempDir dir;
  DataArchive a;
  EXPECT_FALSE(a.open(dir / "wav.dat", false));
  ASSERT_TRUE(a.attachOverride(dir.write("arc3.wav", archiveBytes({{"v1.wav", "voice"}}, false)), false));
  ASSERT_TRUE(a.find("wav\\v1.wav"));
  EXPECT_EQ(readAllOf(a), "voice");
  EXPECT_FALSE(a.find("v2.wav"));
}

TEST(ArchiveTest, NothingSelectedReadsNothing) {
  TempDir dir;
  DataArchive a;
  char buf[8];
  EXPECT_FALSE(a.find("x"));
  EXPECT_EQ(a.entrySize(), 0u);
  EXPECT_EQ(a.read(buf, 8), 0u);
  EXPECT_FALSE(a.select(0));
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes({{"a", "AAAA"}}, false)), false));
  ASSERT_TRUE(a.find("a"));
  EXPECT_FALSE(a.find("missing"));
  EXPECT_EQ(a.selection(), DataArchive::kSelectedNone);
  EXPECT_EQ(a.entrySize(), 0u);
  EXPECT_EQ(a.read(buf, 8), 0u);
  a.close();
  EXPECT_EQ(a.entryCount(), 0);
  EXPECT_FALSE(a.isOpen());
  EXPECT_FALSE(a.find("a"));
}

TEST(ArchiveTest, ReadsContinueInPiecesAndStopAtTheEntryEnd) {
  TempDir dir;
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes({{"a", "0123456789"}, {"b", "NEXT"}}, false)), false));
  ASSERT_TRUE(a.find("a"));
  char buf[32] = {};
  EXPECT_EQ(a.read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(a.read(buf, 32), 6u);  // never into the next entry's bytes
  EXPECT_EQ(std::string(buf, 6), "456789");
  EXPECT_EQ(a.read(buf, 32), 0u);
  // select walks the own index; find starts the entry again.
  ASSERT_TRUE(a.select(1));
  EXPECT_EQ(readAllOf(a), "NEXT");
  EXPECT_FALSE(a.select(2));
  EXPECT_FALSE(a.select(-1));
  std::vector<std::uint8_t> whole;
  EXPECT_TRUE(a.readEntry("A", whole));
  EXPECT_EQ(std::string(whole.begin(), whole.end()), "0123456789");
  EXPECT_FALSE(a.readEntry("zzz", whole));
  EXPECT_TRUE(whole.empty());
}

TEST(ArchiveTest, HeaderOrIndexOutsideTheFileDoesNotOpen) {
  TempDir dir;
  DataArchive a;
  EXPECT_FALSE(a.open(dir.write("empty.dat", std::string()), false));
  EXPECT_FALSE(a.open(dir.write("short.dat", std::string(15, '\0')), false));
  EXPECT_TRUE(a.open(dir.write("zero.dat", std::string(16, '\0')), false));
  EXPECT_EQ(a.entryCount(), 0);
  // Count one larger than the index present, a huge count, a negative count.
  auto bytes = archiveBytes({{"a", "x"}}, false, 3);
  EXPECT_FALSE(a.open(dir.write("more.dat", bytes), false));
  EXPECT_FALSE(a.isOpen());
  EXPECT_FALSE(a.open(dir.write("huge.dat", archiveBytes({{"a", "x"}}, false, 0x7FFFFFFF)), false));
  EXPECT_FALSE(a.open(dir.write("neg.dat", archiveBytes({{"a", "x"}}, false, 0x80000000u)), false));
  // A failed open leaves the previous archive closed, not half open.
  ASSERT_TRUE(a.open(dir.write("ok.dat", archiveBytes({{"a", "x"}}, false)), false));
  ASSERT_TRUE(a.attachOverride(dir / "ok.dat", false));
  EXPECT_FALSE(a.open(dir / "more.dat", false));
  EXPECT_EQ(a.entryCount(), 0);
  EXPECT_EQ(a.overrideArchive(), nullptr);
}

TEST(ArchiveTest, LongScrambledIndexesAreReadPiecewiseWithTheKeyRunningOn) {
  // More entries than one read of the index holds, with a key position that does not
  // restart at a piece boundary.
  TempDir dir;
  std::vector<RawEntry> entries;
  for (int i = 0; i < 5001; ++i) entries.push_back({"f" + std::to_string(i) + ".scr", std::to_string(i * 7)});
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("long.dat", archiveBytes(entries, true)), true));
  ASSERT_EQ(a.entryCount(), 5001);
  for (int i : {0, 2047, 2048, 4095, 4096, 5000}) {
    ASSERT_TRUE(a.find("F" + std::to_string(i) + ".SCR")) << i;
    EXPECT_EQ(readAllOf(a), std::to_string(i * 7));
  }
}

TEST(ArchiveTest, CountsBeyondTheIndexLimitAreRefusedWithoutReading) {
  // A sparse file long enough for the claimed index: the count alone refuses it.
  TempDir dir;
  const std::string path = dir.write("sparse.dat", archiveBytes({}, false, kMaxArchiveEntries + 1));
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kArchiveHeaderSize + (kMaxArchiveEntries + 1ull) * kArchiveEntrySize)), 0);
  DataArchive a;
  EXPECT_FALSE(a.open(path, true));
  EXPECT_EQ(a.entryCount(), 0);
  // At the limit, the holes read as empty entries that never match a name.
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kArchiveHeaderSize + std::uint64_t(kMaxArchiveEntries) * kArchiveEntrySize)), 0);
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);  // rewrite only the count
    ASSERT_TRUE(f.good());
    std::vector<std::uint8_t> header = archiveBytes({}, false, kMaxArchiveEntries);
    f.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  }
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kArchiveHeaderSize + std::uint64_t(kMaxArchiveEntries) * kArchiveEntrySize)), 0);
  ASSERT_TRUE(a.open(path, false));
  EXPECT_EQ(a.entryCount(), static_cast<int>(kMaxArchiveEntries));
  EXPECT_FALSE(a.find("a.scr"));
}

TEST(ArchiveTest, EntriesOutsideTheFileCountAsMissing) {
  TempDir dir;
  std::vector<RawEntry> entries{
      {"past.psd", "abcd", 1000, 4},            // offset beyond the end
      {"long.psd", "abcd", -1, 0x7FFFFFFF},     // size running past the end
      {"wrap.psd", "abcd", 0xFFFFFFF0, 0x20},   // offset + size wraps 32 bits
      {"past.psd", "good", -1, -1},             // a later, sound entry of the same name
  };
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes(entries, true)), true));
  EXPECT_FALSE(a.find("long.psd"));
  EXPECT_FALSE(a.find("wrap.psd"));
  EXPECT_FALSE(a.select(0));
  ASSERT_TRUE(a.find("past.psd"));
  EXPECT_EQ(readAllOf(a), "good");
  // The index still lists them.
  EXPECT_EQ(a.entryName(1), "long.psd");
}

TEST(ArchiveTest, FullLengthNamesWithoutTerminator) {
  TempDir dir;
  std::string name24 = "abcdefghijklmnopqrst.psd";
  ASSERT_EQ(name24.size(), 24u);
  DataArchive a;
  ASSERT_TRUE(a.open(dir.write("x.dat", archiveBytes({{name24, "pic"}}, false)), false));
  EXPECT_EQ(a.entryName(0), name24);
  EXPECT_TRUE(a.find("cg\\ABCDEFGHIJKLMNOPQRST.PSD"));
  EXPECT_FALSE(a.find(name24 + "x"));
  EXPECT_FALSE(a.find(name24.substr(0, 23)));
}

TEST(ArchiveTest, OpensFromAnAdoptedDescriptor) {
  TempDir dir;
  std::string path = dir.write("x.dat", archiveBytes({{"a", "data"}}, false));
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  DataArchive a;
  ASSERT_TRUE(a.open(FileHandle::adopt(fd), false));
  ASSERT_TRUE(a.find("a"));
  EXPECT_EQ(readAllOf(a), "data");
  EXPECT_FALSE(a.open(FileHandle(), false));
}

}  // namespace
}  // namespace ml
