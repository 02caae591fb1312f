#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "media/formats/read_status.h"

namespace ml {
namespace {

class ReadStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("mirelune-rs-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::string fileBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void writeBytes(const std::string& b) {
    std::ofstream out(path_, std::ios::binary);
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
  }
  static void registerScript(ReadStatusStore& s, const std::string& name, int voices) {
    s.resetScript(name);
    for (int i = 0; i < voices; ++i) s.registerVoice(name, i, 100 + 10 * i);
  }

  std::string path_;
};

TEST_F(ReadStatusTest, MarkingNeedsAnEntryAndReportsTheOldState) {
  ReadStatusStore s;
  EXPECT_FALSE(s.isRead("scr\\a.scr", 3, true));  // only creates the entry
  EXPECT_EQ(s.entryCount(), 1);
  EXPECT_FALSE(s.isRead("scr\\a.scr", 3, true));  // marks
  EXPECT_TRUE(s.isRead("SCR\\A.SCR", 3, false));  // ASCII case ignored
  EXPECT_FALSE(s.isRead("scr\\a.scr", 4, false));
  EXPECT_FALSE(s.isRead("scr\\a.scr", 4096, true));  // outside the table: ignored
  EXPECT_FALSE(s.isRead("scr\\a.scr", -1, true));
}

TEST_F(ReadStatusTest, PositionsAndOrdinals) {
  ReadStatusStore s;
  EXPECT_FALSE(s.resetScript("scr\\b.scr"));
  EXPECT_TRUE(s.resetScript("scr\\b.scr"));
  registerScript(s, "scr\\b.scr", 3);
  EXPECT_EQ(s.count("scr\\b.scr"), 3);
  EXPECT_EQ(s.positionOf("scr\\b.scr", 2), 120);
  EXPECT_EQ(s.positionOf("scr\\b.scr", 3), 1);      // unused
  EXPECT_EQ(s.positionOf("scr\\none.scr", 0), 1);   // unknown name, no entry made
  EXPECT_EQ(s.positionOf("scr\\b.scr", 99999), 1);  // outside the table
  EXPECT_EQ(s.entryCount(), 1);
  EXPECT_EQ(s.ordinalAt("scr\\b.scr", 110), 1);
  EXPECT_EQ(s.ordinalAt("scr\\b.scr", 111), 0);
  EXPECT_EQ(s.ordinalAt("scr\\c.scr", 110), 0);  // creates the entry
  EXPECT_EQ(s.entryCount(), 2);
  EXPECT_FALSE(s.registerVoice("scr\\d.scr", 0, 5));  // unknown
}

TEST_F(ReadStatusTest, RegistrationStopsAtTheTableSize) {
  ReadStatusStore s;
  registerScript(s, "big", 5000);
  EXPECT_EQ(s.count("big"), ReadStatusStore::kMaxOrdinals);
  EXPECT_EQ(s.positionOf("big", 4095), 100 + 10 * 4095);
}

TEST_F(ReadStatusTest, FileRoundTripKeepsTheReadMarks) {
  ReadStatusStore s;
  registerScript(s, "scr\\open.scr", 3);
  registerScript(s, "scr\\s01.scr", 5);
  s.isRead("scr\\open.scr", 1, true);
  s.isRead("scr\\s01.scr", 0, true);
  s.isRead("scr\\s01.scr", 4, true);
  EXPECT_EQ(s.countRead(), 3);
  ASSERT_TRUE(s.save(path_));
  std::string expected = std::string("scr\\open.scr") + '\0' + std::string("\0\1\0", 3) + '\xFF' +
                         "scr\\s01.scr" + '\0' + std::string("\1\0\0\0\1", 5) + '\xFF';
  EXPECT_EQ(fileBytes(), expected);

  ReadStatusStore t;
  ASSERT_TRUE(t.load(path_));
  EXPECT_EQ(t.entryCount(), 2);
  EXPECT_EQ(t.countRead(), 3);
  EXPECT_TRUE(t.isRead("scr\\s01.scr", 4, false));
  EXPECT_FALSE(t.isRead("scr\\s01.scr", 3, false));
  EXPECT_EQ(t.count("scr\\open.scr"), 3);
  // Positions are not stored: they come back when the script is loaded again.
  EXPECT_EQ(t.positionOf("scr\\s01.scr", 0), 1);
}

TEST_F(ReadStatusTest, ShorterScriptKeepsItsFlagsButSavesOnlyItsCount) {
  ReadStatusStore s;
  registerScript(s, "a", 12);
  for (int i = 0; i < 12; ++i) s.isRead("a", i, true);
  ASSERT_TRUE(s.save(path_));
  ReadStatusStore t;
  ASSERT_TRUE(t.load(path_));
  registerScript(t, "a", 10);
  EXPECT_TRUE(t.isRead("a", 11, false));  // still held
  EXPECT_EQ(t.countRead(), 10);
  ASSERT_TRUE(t.save(path_));
  EXPECT_EQ(fileBytes(), std::string("a") + '\0' + std::string(10, '\1') + '\xFF');
}

TEST_F(ReadStatusTest, LongerScriptSavesItsNewLinesAsUnreadAndKeepsLaterRecords) {
  ReadStatusStore s;
  registerScript(s, "a", 2);
  registerScript(s, "b", 1);
  s.isRead("a", 0, true);
  s.isRead("b", 0, true);
  ASSERT_TRUE(s.save(path_));
  ReadStatusStore t;
  ASSERT_TRUE(t.load(path_));
  registerScript(t, "a", 4);  // the script now has two more voice lines
  EXPECT_FALSE(t.isRead("a", 2, false));
  ASSERT_TRUE(t.save(path_));
  EXPECT_EQ(fileBytes(), std::string("a") + '\0' + std::string("\1\0\0\0", 4) + '\xFF' + "b" +
                             '\0' + '\1' + '\xFF');
  ReadStatusStore u;
  ASSERT_TRUE(u.load(path_));
  EXPECT_EQ(u.entryCount(), 2);
  EXPECT_TRUE(u.isRead("b", 0, false));
  EXPECT_EQ(u.countRead(), 2);
}

TEST_F(ReadStatusTest, EmptyStoreWritesNothingAndMissingFileLoadsNothing) {
  ReadStatusStore s;
  ASSERT_TRUE(s.save(path_));
  EXPECT_FALSE(std::filesystem::exists(path_));
  registerScript(s, "x", 1);
  EXPECT_FALSE(s.load(path_));
  EXPECT_EQ(s.entryCount(), 0);
}

TEST_F(ReadStatusTest, DamagedFilesKeepWhatCouldBeRead) {
  ReadStatusStore s;
  // Ends inside the second record's flags: the flags read so far stay.
  writeBytes(std::string("a") + '\0' + "\1\1" + '\xFF' + "b" + '\0' + "\1");
  ASSERT_TRUE(s.load(path_));
  EXPECT_EQ(s.entryCount(), 2);
  EXPECT_EQ(s.count("b"), 1);
  EXPECT_EQ(s.countRead(), 3);
  // An empty name ends the records.
  writeBytes(std::string("a") + '\0' + "\1" + '\xFF' + '\0' + "b" + '\0' + "\1" + '\xFF');
  ASSERT_TRUE(s.load(path_));
  EXPECT_EQ(s.entryCount(), 1);
  // A name without its NUL within 255 bytes is not a record.
  writeBytes(std::string("a") + '\0' + "\1" + '\xFF' + std::string(300, 'n'));
  ASSERT_TRUE(s.load(path_));
  EXPECT_EQ(s.entryCount(), 1);
  // More flag bytes than a script can have: the rest of the file is not trusted.
  writeBytes(std::string("a") + '\0' + std::string(5000, '\1') + '\xFF' + "b" + '\0' + '\xFF');
  ASSERT_TRUE(s.load(path_));
  EXPECT_EQ(s.count("a"), ReadStatusStore::kMaxOrdinals);
  EXPECT_EQ(s.entryCount(), 1);
  // The file ends inside a name.
  writeBytes("abc");
  ASSERT_TRUE(s.load(path_));
  EXPECT_EQ(s.entryCount(), 1);
  EXPECT_EQ(s.count("abc"), 0);
}

TEST_F(ReadStatusTest, FullStoreIgnoresFurtherScripts) {
  ReadStatusStore s;
  for (int i = 0; i < ReadStatusStore::kMaxEntries; ++i) s.resetScript("s" + std::to_string(i));
  EXPECT_EQ(s.entryCount(), 1000);
  EXPECT_FALSE(s.resetScript("extra"));
  EXPECT_FALSE(s.isRead("extra", 0, true));
  EXPECT_FALSE(s.isRead("extra", 0, true));
  EXPECT_EQ(s.ordinalAt("extra", 5), 0);
  EXPECT_EQ(s.entryCount(), 1000);
}

TEST_F(ReadStatusTest, LongNamesAreKnownByTheirFirst255Bytes) {
  ReadStatusStore s;
  std::string name(300, 'q');
  registerScript(s, name, 2);
  s.isRead(name, 1, true);
  ASSERT_TRUE(s.save(path_));
  ReadStatusStore t;
  ASSERT_TRUE(t.load(path_));
  EXPECT_TRUE(t.isRead(name, 1, false));
}

}  // namespace
}  // namespace ml
