#include "platform/posix/file_handle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <ctime>

#include "temp_dir.h"

namespace ml {
namespace {

using test::TempDir;

TEST(FileHandleTest, WriteThenReadBackWithSeekAndSize) {
  TempDir dir;
  FileHandle f;
  ASSERT_TRUE(writeWholeFile(dir / "a.dat", "hello world", 11));
  EXPECT_FALSE(f.isOpen());

  ASSERT_TRUE(f.open(dir / "a.dat", FileHandle::Mode::Read));
  EXPECT_EQ(f.size(), 11);
  char buf[16] = {};
  EXPECT_TRUE(f.seek(6, FileHandle::Origin::Start));
  EXPECT_EQ(f.read(buf, 3), 3u);
  EXPECT_EQ(std::string(buf, 3), "wor");
  EXPECT_TRUE(f.seek(-5, FileHandle::Origin::Current));
  EXPECT_EQ(f.read(buf, 16), 7u);  // short at the end of the file
  EXPECT_EQ(std::string(buf, 7), "o world");
  EXPECT_EQ(f.read(buf, 4), 0u);
  EXPECT_FALSE(f.seek(-100, FileHandle::Origin::Start));
}

TEST(FileHandleTest, WholeFileWriteReplacesAndMissingFileFailsToOpenForReading) {
  TempDir dir;
  dir.write("t.dat", std::string("long old contents"));
  FileHandle f;
  ASSERT_TRUE(writeWholeFile(dir / "t.dat", "new", 3));
  EXPECT_EQ(dir.read("t.dat"), test::bytesOf("new"));

  EXPECT_FALSE(f.open(dir / "missing.dat", FileHandle::Mode::Read));
  EXPECT_FALSE(f.isOpen());
  // A folder is not a file: lookups must fall through to the archives.
  EXPECT_FALSE(f.open(dir.path(), FileHandle::Mode::Read));
  // Nor are pipes: opening one must not wait for a writer.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(f.open(dir / "fifo", FileHandle::Mode::Read));
  EXPECT_FALSE(f.open("/dev/null", FileHandle::Mode::Read));
  EXPECT_FALSE(writeWholeFile(dir / "no/such/dir/x.dat", "x", 1));
}

TEST(FileHandleTest, EmptyWrapperDoesNothing) {
  FileHandle f;
  char buf[4];
  EXPECT_EQ(f.read(buf, 4), 0u);
  EXPECT_EQ(f.size(), 0);
  EXPECT_FALSE(f.seek(0, FileHandle::Origin::Start));
  std::string text = "unchanged";
  EXPECT_FALSE(f.modifiedText(text));
  EXPECT_EQ(text, "Error");
  int date = 7, time = 7;
  EXPECT_FALSE(f.modifiedStamp(date, time));
  EXPECT_EQ(date, 0);
  EXPECT_EQ(time, 0);
  std::vector<std::uint8_t> all{1, 2};
  EXPECT_FALSE(f.readAll(all));
  EXPECT_TRUE(all.empty());
}

TEST(FileHandleTest, ModifiedTimeInLocalTime) {
  TempDir dir;
  std::string path = dir.write("s.dat", std::string("x"));
  std::tm tm{};
  tm.tm_year = 2003 - 1900;
  tm.tm_mon = 4;  // May
  tm.tm_mday = 7;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 42;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  struct timeval times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(::utimes(path.c_str(), times), 0);

  FileHandle f;
  ASSERT_TRUE(f.open(path, FileHandle::Mode::Read));
  std::string text;
  EXPECT_TRUE(f.modifiedText(text));
  EXPECT_EQ(text, "2003/05/07 09:05");
  int date = 0, time = 0;
  EXPECT_TRUE(f.modifiedStamp(date, time));
  EXPECT_EQ(date, 20030507);
  EXPECT_EQ(time, 90542);
}

TEST(FileHandleTest, MoveTransfersOwnershipAndDeleteRemovesFile) {
  TempDir dir;
  std::string path = dir.write("m.dat", std::string("abc"));
  FileHandle a;
  ASSERT_TRUE(a.open(path, FileHandle::Mode::Read));
  FileHandle b = std::move(a);
  EXPECT_FALSE(a.isOpen());
  EXPECT_EQ(b.size(), 3);
  FileHandle c;
  c = std::move(b);
  std::vector<std::uint8_t> all;
  EXPECT_TRUE(c.readAll(all));
  EXPECT_EQ(all, test::bytesOf("abc"));

  EXPECT_TRUE(FileHandle::deleteFile(path));
  EXPECT_FALSE(FileHandle::deleteFile(path));
  EXPECT_FALSE(dir.read("m.dat").size());
}

TEST(FileHandleTest, WholeFileWriteReplacesAtomically) {
  TempDir dir;
  std::string path = dir / "w.dat";
  EXPECT_TRUE(writeWholeFile(path, "first", 5));
  EXPECT_TRUE(writeWholeFile(path, "2nd", 3));
  std::vector<std::uint8_t> back;
  EXPECT_TRUE(readWholeFile(path, back));
  EXPECT_EQ(back, test::bytesOf("2nd"));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  // Into a folder that does not exist: fails, and nothing is left behind.
  EXPECT_FALSE(writeWholeFile(dir / "nope/w.dat", "x", 1));
  EXPECT_FALSE(readWholeFile(dir / "missing", back));
  EXPECT_TRUE(back.empty());
}

}  // namespace
}  // namespace ml
