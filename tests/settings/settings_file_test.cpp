#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "platform/text_encoding.h"

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

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/ml_settings_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    path_ = dir_ + "/mirelune.ini";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // Section names in the order they appear in text.
  static std::vector<std::string> sectionOrder(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
      if (!line.empty() && line[0] == '[') out.push_back(line.substr(1, line.find(']') - 1));
    return out;
  }

  std::string dir_;
  std::string path_;
};

TEST_F(SettingsFileTest, NoFileGivesDefaultsAndACompleteFileInWritingOrder) {
  Settings s;
  s.volume.bgm = 3;  // overwritten by the default
  s.niji.rain2 = true;
  EXPECT_TRUE(ReadSettings(path_, s));
  EXPECT_EQ(s.volume.bgm, 100);
  EXPECT_EQ(s.volume.se, 100);
  EXPECT_EQ(s.font.name, SJ("ＭＳ ゴシック"));
  EXPECT_EQ(s.user.name, SJ("ヨルク"));
  EXPECT_EQ(s.user.family, SJ("ハセリ"));
  EXPECT_EQ(s.effect.speed, -4);
  EXPECT_TRUE(s.niji.rain1);
  EXPECT_FALSE(s.niji.rain2);
  EXPECT_EQ(s.charaVolume[9], 127);

  WriteSettings(path_, s, true);
  const std::string text = readAll(path_);
  EXPECT_EQ(sectionOrder(text),
            (std::vector<std::string>{"Display", "Font", "User", "Message", "Skip2", "Skip",
                                      "SkipSelect", "Window", "Volume", "Voice", "Bgm", "Key",
                                      "Save", "Effect", "Log", "Movie", "System", "CharaVoice",
                                      "CharaVolume"}));
  EXPECT_EQ(text.find("Niji"), std::string::npos);
  EXPECT_EQ(text.find("Rain"), std::string::npos);
  EXPECT_NE(text.find("[Display]\r\nWindow=1\r\nRefresh=60\r\nTime=0\r\nDate=0\r\nTimeTop=0\r\n"
                      "DrawWait=0\r\n[Font]\r\nName=" +
                      SJ("ＭＳ ゴシック") + "\r\nStyle=0\r\n[User]\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[Effect]\r\nSpeed=-4\r\nClickCancel=0\r\nWaitCancel=0\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[CharaVolume]\r\n0=127\r\n"), std::string::npos);

  // Every key comes back as it went out.
  Settings again;
  again.volume.bgm = 1;
  EXPECT_TRUE(ReadSettings(path_, again));
  WriteSettings(dir_ + "/second.ini", again, true);
  EXPECT_EQ(readAll(dir_ + "/second.ini"), text);
}

TEST_F(SettingsFileTest, EveryKeyIsReadAndWritten) {
  Settings s;
  s.display.refresh = 75;
  s.display.time = 2;
  s.display.date = true;
  s.display.timeTop = 3;
  s.display.drawWait = 1;
  s.font.name = "IPAGothic";
  s.font.style = 3;
  s.message = {4, false, 50, 60, 2, 1};
  s.skip2 = {false, false, 9};
  s.skip = {7, true, true, false, false};
  s.skipSelect.unread = false;
  s.window = {1, 2, 3, 200, false, 2, false, false, false};
  s.volume = {10, 20, 30, 40, false, false, false};
  s.user.name = "Ann";
  s.user.family = "Lee";
  s.save = {false, false, false, false};
  s.effect = {-11, true, true};
  s.voice = {true, 3, false, 4};
  s.bgm.allBgm = true;
  s.key = {8, false};
  s.log = {0, false, false, false, false};
  s.movie.play = false;
  s.system.noActive = true;
  for (int n = 0; n < 10; ++n) {
    s.charaVoice[n] = n % 2 == 0;
    s.charaVolume[n] = n * 20;
  }
  WriteSettings(path_, s, false);

  Settings r;
  EXPECT_FALSE(ReadSettings(path_, r));
  EXPECT_EQ(r.display.refresh, 75);
  EXPECT_EQ(r.display.time, 2);
  EXPECT_TRUE(r.display.date);
  EXPECT_EQ(r.display.timeTop, 3);
  EXPECT_EQ(r.display.drawWait, 1);
  EXPECT_EQ(r.font.name, "IPAGothic");
  EXPECT_EQ(r.font.style, 3);
  EXPECT_EQ(r.message.speed, 4);
  EXPECT_FALSE(r.message.readed);
  EXPECT_EQ(r.message.readedLumi, 50);
  EXPECT_EQ(r.message.readedLumi2, 60);
  EXPECT_EQ(r.message.mojiType, 2);
  EXPECT_EQ(r.message.retPosi, 1);
  EXPECT_FALSE(r.skip2.cancel);
  EXPECT_FALSE(r.skip2.unread);
  EXPECT_EQ(r.skip2.wait, 9);
  EXPECT_EQ(r.skip.wait, 7);
  EXPECT_TRUE(r.skip.voice);
  EXPECT_TRUE(r.skip.effect);
  EXPECT_FALSE(r.skip.cancel);
  EXPECT_FALSE(r.skip.unread);
  EXPECT_FALSE(r.skipSelect.unread);
  EXPECT_EQ(r.window.red, 1);
  EXPECT_EQ(r.window.green, 2);
  EXPECT_EQ(r.window.blue, 3);
  EXPECT_EQ(r.window.alpha, 200);
  EXPECT_FALSE(r.window.guide);
  EXPECT_EQ(r.window.drag, 2);
  EXPECT_FALSE(r.window.window);
  EXPECT_FALSE(r.window.board);
  EXPECT_FALSE(r.window.icon);
  EXPECT_EQ(r.volume.bgm, 10);
  EXPECT_EQ(r.volume.se, 20);
  EXPECT_EQ(r.volume.voice, 30);
  EXPECT_EQ(r.volume.pan, 40);
  EXPECT_FALSE(r.volume.bgmOn);
  EXPECT_FALSE(r.volume.seOn);
  EXPECT_FALSE(r.volume.voOn);
  EXPECT_EQ(r.user.name, "Ann");
  EXPECT_EQ(r.user.family, "Lee");
  EXPECT_FALSE(r.save.overWriteCheck);
  EXPECT_FALSE(r.save.recall);
  EXPECT_FALSE(r.save.samWin);
  EXPECT_FALSE(r.save.samSaveBig);
  EXPECT_EQ(r.effect.speed, -11);
  EXPECT_TRUE(r.effect.clickCancel);
  EXPECT_TRUE(r.effect.waitCancel);
  EXPECT_TRUE(r.voice.next);
  EXPECT_EQ(r.voice.rate, 3);
  EXPECT_FALSE(r.voice.guide);
  EXPECT_EQ(r.voice.guideNo, 4);
  EXPECT_TRUE(r.bgm.allBgm);
  EXPECT_EQ(r.key.repeat, 8);
  EXPECT_FALSE(r.key.context);
  EXPECT_EQ(r.log.lumi, 0);
  EXPECT_FALSE(r.log.exit);
  EXPECT_FALSE(r.log.cg);
  EXPECT_FALSE(r.log.bgm);
  EXPECT_FALSE(r.log.voice);
  EXPECT_FALSE(r.movie.play);
  EXPECT_TRUE(r.system.noActive);
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(r.charaVoice[n], n % 2 == 0) << n;
    EXPECT_EQ(r.charaVolume[n], n * 20) << n;
  }
  // CharaVoice and CharaVolume are written alternately: both sections still list 0 … 9
  // in order.
  const std::string text = readAll(path_);
  EXPECT_NE(text.find("[CharaVoice]\r\n0=1\r\n1=0\r\n2=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("8=160\r\n9=180\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, HandWrittenFileKeepsUnknownLinesAndConvertsOldValues) {
  const std::string bigName = SJ("アイウエオカ");  // 12 bytes: cut to 10
  const std::string handWritten =
      "[niji]\n"
      "rain1=0\n"
      "rain2=1\n"
      "\n"
      "; my comment\n"
      "[EFFECT]\n"
      "speed=20\n"
      "Extra=keep\n"
      "[Volume]\n"
      "Bgm=loud\n"
      "Se= 55 \n"
      "[User]\n"
      "Name=" + bigName + "\n"
      "Family=ABCDEFGHIJKLMN\n"
      "[Display]\n"
      "Window=0\n"
      "Refresh=75\n"
      "[Mystery]\n"
      "x=y\n";
  writeAll(path_, handWritten);

  Settings s;
  const std::vector<std::string> rates{"60", "59", "72"};
  int entry = -2;
  EXPECT_FALSE(ReadSettings(path_, s, rates, &entry));
  EXPECT_EQ(entry, 0);  // no 75 Hz entry: the first one
  EXPECT_EQ(s.display.refresh, 75);
  EXPECT_FALSE(s.niji.rain1);
  EXPECT_TRUE(s.niji.rain2);
  EXPECT_EQ(s.effect.speed, -3);
  EXPECT_EQ(s.volume.bgm, 100);  // not an integer: the default
  EXPECT_EQ(s.volume.se, 55);
  EXPECT_EQ(s.user.name, SJ("アイウエオ"));
  EXPECT_EQ(s.user.family, "ABCDEFGHIJK");

  WriteSettings(path_, s, true);
  const std::string text = readAll(path_);
  // Existing sections keep their place and spelling; new ones follow in writing order.
  EXPECT_EQ(sectionOrder(text),
            (std::vector<std::string>{"niji", "EFFECT", "Volume", "User", "Display", "Mystery",
                                      "Font", "Message", "Skip2", "Skip", "SkipSelect", "Window",
                                      "Voice", "Bgm", "Key", "Save", "Log", "Movie", "System",
                                      "CharaVoice", "CharaVolume"}));
  // The file's own LF line endings are used for what is added.
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.substr(0, text.find("[Volume]")),
            "[niji]\nrain1=0\nrain2=1\n\n; my comment\n[EFFECT]\nspeed=-3\nExtra=keep\n"
            "ClickCancel=0\nWaitCancel=0\n");
  EXPECT_NE(text.find("[Volume]\nBgm=100\nSe= 55\nVoice=100\n"), std::string::npos);
  EXPECT_NE(text.find("[User]\nName=" + SJ("アイウエオ") + "\nFamily=ABCDEFGHIJK\n"),
            std::string::npos);
  EXPECT_NE(text.find("[Display]\nWindow=1\nRefresh=75\nTime=0\n"), std::string::npos);
  EXPECT_NE(text.find("[Mystery]\nx=y\n[Font]\n"), std::string::npos);

  // Read back, the second write changes nothing.
  Settings again;
  EXPECT_TRUE(ReadSettings(path_, again));
  EXPECT_EQ(again.effect.speed, -3);
  WriteSettings(path_, again, true);
  EXPECT_EQ(readAll(path_), text);
}

TEST_F(SettingsFileTest, CrLfFileStaysCrLf) {
  writeAll(path_, "[Effect]\r\nSpeed=-7\r\n[Display]\r\nRefresh=72\r\n");
  Settings s;
  const std::vector<std::string> rates{"60", "72", "72"};
  int entry = -2;
  EXPECT_TRUE(ReadSettings(path_, s, rates, &entry));
  EXPECT_EQ(entry, 1);
  EXPECT_EQ(s.effect.speed, -7);
  WriteSettings(path_, s, true);
  const std::string text = readAll(path_);
  EXPECT_EQ(text.rfind("[Effect]\r\nSpeed=-7\r\nClickCancel=0\r\nWaitCancel=0\r\n[Display]\r\n", 0),
            0u);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_EQ(text[i - 1], '\r') << "at " << i;
    }
  }

  int none = -2;
  ReadSettings(path_, s, {}, &none);
  EXPECT_EQ(none, -1);  // an empty list has no entry to select
}

TEST(SettingsConversionTest, EffectSpeedFromTheOldScale) {
  const std::pair<int, int> cases[] = {
      {1000, 0}, {65, 0}, {64, -1}, {33, -1}, {32, -2}, {25, -2}, {24, -3}, {20, -3},
      {17, -3},  {16, -4}, {13, -4}, {12, -5}, {9, -5}, {8, -6},  {7, -6},  {6, -7},
      {5, -7},   {4, -8}, {3, -9},  {2, -10}, {1, -11}, {0, 0},   {-7, -7}, {-400, -400}};
  for (auto [stored, expected] : cases) EXPECT_EQ(convertEffectSpeed(stored), expected) << stored;
}

TEST(SettingsConversionTest, NamesAreCutOnCharacterBoundaries) {
  // Eleven single bytes fit; a double-byte character that would reach byte 12 does not.
  EXPECT_EQ(cutToCharacterBoundary("ABCDEFGHIJKL", 11), "ABCDEFGHIJK");
  EXPECT_EQ(cutToCharacterBoundary("A" + SJ("アイウエオ") + "B", 11), "A" + SJ("アイウエオ"));
  EXPECT_EQ(cutToCharacterBoundary("AB" + SJ("アイウエオ"), 11), "AB" + SJ("アイウエ"));
  // Half-width katakana count as lead bytes by the engine's rule (0xC0–0xFC).
  EXPECT_EQ(cutToCharacterBoundary(std::string("\xB1\xC1\xC2", 3), 11), std::string("\xB1\xC1\xC2", 3));
  EXPECT_EQ(cutToCharacterBoundary(std::string("\xB1\xC1", 2), 11), "\xB1");
  EXPECT_EQ(cutToCharacterBoundary("", 11), "");
}

TEST_F(SettingsFileTest, UnreadableFileIsNeitherTrustedNorOverwritten) {
  const std::string big = "[Volume]\nBgm=5\n" + std::string(IniFile::kMaxFileBytes, ';') + "\n";
  writeAll(path_, big);
  Settings s;
  SettingsFileStatus status;
  EXPECT_TRUE(ReadSettings(path_, s, {}, nullptr, &status));
  EXPECT_EQ(status.result, IniFile::LoadResult::Unreadable);
  EXPECT_NE(status.reason.find("is larger"), std::string::npos) << status.reason;
  EXPECT_EQ(s.volume.bgm, 100);
  std::string error;
  EXPECT_FALSE(WriteSettings(path_, s, true, &error));
  EXPECT_NE(error.find("not overwritten"), std::string::npos) << error;
  EXPECT_EQ(readAll(path_), big);

  // A folder where the file should be: nothing is written, nothing crashes.
  ::unlink(path_.c_str());
  ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);
  EXPECT_TRUE(ReadSettings(path_, s));
  WriteSettings(path_, s, true);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

}  // namespace
}  // namespace ml

namespace ml {
namespace {

// Every integer of the table, far below and far above its range, comes back clamped and
// is written back clamped.
TEST_F(SettingsFileTest, EveryIntegerIsClampedIntoItsRange) {
  for (int side : {-1, 1}) {
    IniFile out;
    for (const SettingField& f : settingFields())
      if (f.type == SettingType::Int) out.writeInt(f.section, f.key, side < 0 ? f.min - 1000 : f.max + 1000);
    writeAll(path_, out.text());
    Settings s;
    ReadSettings(path_, s);
    for (const SettingField& f : settingFields()) {
      if (f.type != SettingType::Int) continue;
      // Effect/Speed converts old positive values first (+1000 reads as 0).
      int expected = side < 0 ? f.min : (f.convertOnRead ? f.clamp(f.convertOnRead(f.max + 1000)) : f.max);
      EXPECT_EQ(f.number(s), expected) << f.section << "/" << f.key;
    }
    // Written back as held, clamped again on the way out.
    s.volume.pan = 5000;
    WriteSettings(path_, s, true);
    IniFile back;
    ASSERT_EQ(back.load(path_), IniFile::LoadResult::Loaded);
    for (const SettingField& f : settingFields()) {
      if (f.type != SettingType::Int) continue;
      int v = back.readInt(f.section, f.key, -99999);
      EXPECT_GE(v, f.min) << f.section << "/" << f.key;
      EXPECT_LE(v, f.max) << f.section << "/" << f.key;
    }
    EXPECT_EQ(back.readInt("Volume", "Pan", 0), 100);
  }
}

// The table names every setting once: a distinct value put through each row comes back
// through the same row (two rows on one member would overwrite each other), and the
// defaults are the documented ones.
TEST(SettingsTableTest, EveryRowIsItsOwnMemberWithItsDefault) {
  Settings s;
  int n = 0;
  for (const SettingField& f : settingFields()) {
    ++n;
    if (f.type == SettingType::Int) f.number(s) = 100000 + n;
    if (f.type == SettingType::Text) f.text(s) = "t" + std::to_string(n);
  }
  n = 0;
  for (const SettingField& f : settingFields()) {
    ++n;
    if (f.type == SettingType::Int) {
      EXPECT_EQ(f.number(s), 100000 + n) << f.section << "/" << f.key;
    } else if (f.type == SettingType::Text) {
      EXPECT_EQ(f.text(s), "t" + std::to_string(n)) << f.section << "/" << f.key;
    }
  }
  for (const SettingField& f : settingFields()) {
    if (f.type != SettingType::Bool) continue;
    Settings t;
    for (const SettingField& g : settingFields())
      if (g.type == SettingType::Bool) g.flag(t) = false;
    f.flag(t) = true;
    int set = 0;
    for (const SettingField& g : settingFields())
      if (g.type == SettingType::Bool && g.flag(t)) ++set;
    EXPECT_EQ(set, 1) << f.section << "/" << f.key;
  }
  EXPECT_EQ(n, 84);  // every key of the settings file, the ten CharaVoice/CharaVolume pairs counted out

  const Settings d;
  EXPECT_TRUE(d.display.window);
  EXPECT_EQ(d.display.refresh, 60);
  EXPECT_EQ(d.message.readedLumi, 128);
  EXPECT_EQ(d.skip2.wait, 5);
  EXPECT_EQ(d.window.alpha, 128);
  EXPECT_EQ(d.window.drag, 1);
  EXPECT_EQ(d.volume.pan, 10);
  EXPECT_EQ(d.effect.speed, -4);
  EXPECT_EQ(d.key.repeat, 2);
  EXPECT_EQ(d.log.lumi, 160);
  EXPECT_EQ(d.charaVolume[4], 127);
  EXPECT_TRUE(d.charaVoice[9]);
  EXPECT_TRUE(d.niji.rain1);
  EXPECT_FALSE(d.niji.rain2);
  EXPECT_FALSE(d.system.noActive);
}

}  // namespace
}  // namespace ml
