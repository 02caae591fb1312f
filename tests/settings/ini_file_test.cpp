#include "app/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace ml {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeAll(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out << data;
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/ml_ini_XXXXXX";
    path_ = ::mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(IniFileTest, LooksUpSectionsAndKeysIgnoringAsciiCase) {
  IniFile ini(
      "; comment=1\r\n"
      "orphan=5\r\n"
      "  [ Volume ]  trailing words\r\n"
      "  Bgm  =  80  \r\n"
      "se=\"  quoted \"\r\n"
      "[volume]\r\n"
      "Voice=1\r\n"
      "[Other]\r\n"
      "Bgm=7\r\n");
  EXPECT_EQ(ini.readInt("VOLUME", "bgm", -1), 80);
  EXPECT_EQ(ini.readString("volume", "SE").value(), "  quoted ");
  // The first section of a name wins, as does the first key.
  EXPECT_FALSE(ini.readString("Volume", "Voice").has_value());
  EXPECT_EQ(ini.readInt("Other", "Bgm", -1), 7);
  // Keys before any section and comments are never found.
  EXPECT_FALSE(ini.readString("", "orphan").has_value());
  EXPECT_FALSE(ini.readString("Volume", "; comment").has_value());
  EXPECT_FALSE(ini.readString("Missing", "Bgm").has_value());
}

TEST(IniFileTest, CaseFoldingLeavesSecondBytesOfDoubleByteCharactersAlone) {
  // 0x83 0x41 is a katakana; 0x83 0x61 is another one. They must not match.
  IniFile ini(std::string("[S]\n\x83\x41=1\n"));
  EXPECT_EQ(ini.readInt("s", std::string("\x83\x41"), 0), 1);
  EXPECT_EQ(ini.readInt("s", std::string("\x83\x61"), 0), 0);
  // A ']' that is a second byte does not end a section name.
  IniFile ini2(std::string("[\x83\x5D" "x]\nk=3\n"));
  EXPECT_EQ(ini2.readInt(std::string("\x83\x5D" "X"), "K", 0), 3);
}

TEST(IniFileTest, ByteOrderMarkBeforeTheFirstSection) {
  const std::string text = "\xEF\xBB\xBF[Volume]\r\nBgm=40\r\n";
  IniFile ini(text);
  EXPECT_EQ(ini.readInt("Volume", "Bgm", 0), 40);
  ini.writeInt("Volume", "Se", 1);
  EXPECT_EQ(ini.text(), text + "Se=1\r\n");
}

TEST(IniFileTest, IntegersReadLikeThePrivateProfileService) {
  EXPECT_EQ(IniFile::parseInt("42"), 42);
  EXPECT_EQ(IniFile::parseInt("  -7"), -7);
  EXPECT_EQ(IniFile::parseInt("+3"), 3);
  EXPECT_EQ(IniFile::parseInt("5 "), 5);
  // Digits followed by anything else are no integer: the key keeps its default.
  EXPECT_FALSE(IniFile::parseInt("12abc").has_value());
  EXPECT_FALSE(IniFile::parseInt("3.5").has_value());
  EXPECT_FALSE(IniFile::parseInt("0x10").has_value());
  EXPECT_FALSE(IniFile::parseInt("50%").has_value());
  EXPECT_EQ(IniFile::parseInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(IniFile::parseInt("2147483647"), INT32_MAX);
  EXPECT_FALSE(IniFile::parseInt("2147483648").has_value());
  EXPECT_FALSE(IniFile::parseInt("99999999999999999999999").has_value());
  EXPECT_FALSE(IniFile::parseInt("").has_value());
  EXPECT_FALSE(IniFile::parseInt("-").has_value());
  EXPECT_FALSE(IniFile::parseInt("yes").has_value());
  EXPECT_FALSE(IniFile::parseInt("- 5").has_value());

  IniFile ini("[A]\nGood=9\nBad=abc\nEmpty=\nFlag=-1\nOff=0\nOdd=on\nHalf=7.5\n");
  EXPECT_EQ(ini.readInt("A", "Good", 1), 9);
  EXPECT_EQ(ini.readInt("A", "Bad", 1), 1);
  EXPECT_EQ(ini.readInt("A", "Half", 1), 1);
  EXPECT_EQ(ini.readInt("A", "Empty", 1), 1);
  EXPECT_TRUE(ini.readBool("A", "Flag", false));
  EXPECT_FALSE(ini.readBool("A", "Off", true));
  EXPECT_TRUE(ini.readBool("A", "Odd", true));
  EXPECT_FALSE(ini.readBool("A", "Odd", false));
}

TEST(IniFileTest, WritingKeepsEveryOtherLineAndItsLineEnding) {
  const std::string original =
      "; settings\r\n"
      "[Display]\r\n"
      "Window = 0\r\n"
      "Custom=keep me\r\n"
      "\r\n"
      "; about sound\r\n"
      "[Volume]\n"
      "Bgm=10";  // no line ending at the end
  IniFile ini(original);
  EXPECT_EQ(ini.text(), original);
  ini.writeInt("display", "WINDOW", 1);   // in place, spelling and blanks kept
  ini.writeInt("Display", "Refresh", 75);  // after the section's last key
  ini.writeInt("Volume", "Se", 20);        // after a last line without ending
  ini.writeString("New", "Key", "v");     // a new section at the end
  EXPECT_EQ(ini.text(),
            "; settings\r\n"
            "[Display]\r\n"
            "Window = 1\r\n"
            "Custom=keep me\r\n"
            "Refresh=75\r\n"
            "\r\n"
            "; about sound\r\n"
            "[Volume]\n"
            "Bgm=10\r\n"
            "Se=20\r\n"
            "[New]\r\n"
            "Key=v\r\n");
}

TEST(IniFileTest, WritingIntoAnEmptyOrLfFile) {
  IniFile empty;
  empty.writeInt("A", "x", 1);
  empty.writeInt("B", "y", 2);
  empty.writeInt("A", "z", 3);
  EXPECT_EQ(empty.text(), "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");

  IniFile lf("[A]\nx=1\n");
  lf.writeInt("B", "y", 2);
  EXPECT_EQ(lf.text(), "[A]\nx=1\n[B]\ny=2\n");

  // A header without keys and without a line ending.
  IniFile bare("[A]");
  bare.writeInt("a", "k", 4);
  EXPECT_EQ(bare.text(), "[A]\r\nk=4\r\n");
}

TEST(IniFileTest, WrittenValuesCannotBreakTheFile) {
  IniFile ini;
  EXPECT_TRUE(ini.writeString("A", "k", "one\r\n[Evil]\r\nk=2"));
  EXPECT_TRUE(ini.writeString("A", "n", std::string("x\0y", 3)));
  EXPECT_FALSE(ini.writeString("A", "a=b", "1"));
  EXPECT_FALSE(ini.writeString("A]", "k", "1"));
  EXPECT_FALSE(ini.writeString("", "k", "1"));
  EXPECT_FALSE(ini.writeString("A", "", "1"));
  EXPECT_FALSE(ini.writeString("A", ";k", "1"));
  EXPECT_EQ(ini.text(), "[A]\r\nk=one\r\nn=x\r\n");
  EXPECT_EQ(ini.readString("A", "k").value(), "one");
}

TEST(IniFileTest, OddBytesAreReadSafely) {
  std::string text = "[A]\nnul=ab";
  text += '\0';
  text += "cd\n";
  text += "long=" + std::string(100000, 'x') + "\n";
  text += std::string("sjis=\x82\xa0\x82", 8) + "\n";  // a lone lead byte at the end
  text += "[B\n";                                       // not a header: still in A
  text += "after=1\n";
  text += "cr=5\r\r\n";
  IniFile ini(text);
  EXPECT_EQ(ini.readString("A", "nul").value(), "ab");
  EXPECT_EQ(ini.readString("A", "long").value().size(), IniFile::kMaxValueBytes);
  EXPECT_EQ(ini.readString("A", "sjis", 3).value(), "\x82\xa0");
  EXPECT_EQ(ini.readInt("A", "after", 0), 1);
  EXPECT_EQ(ini.readInt("A", "cr", 0), 5);
  EXPECT_EQ(ini.text(), text);
}

// A value read and written back must read the same again: the reader ends a value at a
// stray CR where the writer would cut it, even right after a lead byte.
TEST(IniFileTest, AValueReadsTheSameAfterAWriteBack) {
  for (std::string line : {std::string("Name=ab\x83\r\x83N"), std::string("Name=x\ry"), std::string("Name=\x83\r")}) {
    IniFile ini("[Font]\r\n" + line + "\r\n");
    const std::string first = ini.readString("Font", "Name").value();
    IniFile again;
    ASSERT_TRUE(again.writeString("Font", "Name", first));
    EXPECT_EQ(again.readString("Font", "Name").value(), first) << line;
  }
}

TEST(IniFileTest, LoadAndSave) {
  TempDir dir;
  IniFile ini;
  EXPECT_EQ(ini.load(dir.file("missing.ini")), IniFile::LoadResult::Missing);
  EXPECT_EQ(ini.load(dir.path()), IniFile::LoadResult::Unreadable);
  EXPECT_EQ(ini.load(dir.file("missing/below.ini")), IniFile::LoadResult::Missing);

  ASSERT_EQ(::mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);
  EXPECT_EQ(ini.load(dir.file("pipe.ini")), IniFile::LoadResult::Unreadable);  // and does not hang

  writeAll(dir.file("big.ini"), std::string(IniFile::kMaxFileBytes + 1, '\n'));
  EXPECT_EQ(ini.load(dir.file("big.ini")), IniFile::LoadResult::Unreadable);

  writeAll(dir.file("a.ini"), "[A]\nk=1\n");
  ::chmod(dir.file("a.ini").c_str(), 0640);
  ASSERT_EQ(ini.load(dir.file("a.ini")), IniFile::LoadResult::Loaded);
  ini.writeInt("A", "k", 2);
  ASSERT_TRUE(ini.save(dir.file("a.ini")));
  EXPECT_EQ(readAll(dir.file("a.ini")), "[A]\nk=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("a.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // Nothing is read or written through a link: the file it names stays as it is, and
  // so does the link.
  ASSERT_EQ(::symlink("a.ini", dir.file("link.ini").c_str()), 0);
  std::string reason;
  EXPECT_EQ(ini.load(dir.file("link.ini"), &reason), IniFile::LoadResult::Unreadable);
  EXPECT_NE(reason.find("symbolic link"), std::string::npos) << reason;
  ini.writeInt("A", "k", 7);
  EXPECT_FALSE(ini.save(dir.file("link.ini"), &reason));
  EXPECT_NE(reason.find("link.ini: is a symbolic link"), std::string::npos) << reason;
  EXPECT_EQ(readAll(dir.file("a.ini")), "[A]\nk=2\n");
  struct stat lst {};
  ASSERT_EQ(::lstat(dir.file("link.ini").c_str(), &lst), 0);
  EXPECT_TRUE(S_ISLNK(lst.st_mode));
  ASSERT_EQ(ini.load(dir.file("a.ini")), IniFile::LoadResult::Loaded);
  ini.writeInt("A", "k", 3);
  ASSERT_TRUE(ini.save(dir.file("a.ini")));

  // A folder that cannot be written leaves the old file whole and no stray files.
  EXPECT_FALSE(ini.save(dir.file("nowhere/a.ini")));
  if (::geteuid() != 0) {
    ::chmod(dir.file("a.ini").c_str(), 0440);
    ini.writeInt("A", "k", 5);
    EXPECT_FALSE(ini.save(dir.file("a.ini")));  // read-only: left alone
    EXPECT_EQ(readAll(dir.file("a.ini")), "[A]\nk=3\n");
    ::chmod(dir.file("a.ini").c_str(), 0640);
    ::chmod(dir.path().c_str(), 0500);
    ini.writeInt("A", "k", 4);
    EXPECT_FALSE(ini.save(dir.file("a.ini")));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readAll(dir.file("a.ini")), "[A]\nk=3\n");
  }
}

}  // namespace
}  // namespace ml
