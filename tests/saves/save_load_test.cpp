// Saves and loads through the game's save service on a headless runtime: the record
// written and read back byte for byte, the checks a save file must pass, the flags a
// load and the system save merge, and where a loaded game resumes.
#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <functional>

#include "app/headless_runner.h"
#include "engine/save_file.h"
#include "message/message_fixture.h"

namespace ml::test {
namespace {

class SaveTest : public MessageTest {
 protected:
  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  std::string bytesOf(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
  std::string stateBytes() const {
    return std::string(reinterpret_cast<const char*>(rt->story.state.bytes()), sizeof(GameState));
  }
  // A save file holding the record, with its checksum made to match.
  void writeRecord(const std::string& name, GameState& s) {
    s.checksum = s.computeChecksum();
    writeBytes(name, std::vector<std::uint8_t>(s.bytes(), s.bytes() + sizeof(GameState)));
  }
  std::unique_ptr<GameState> recordOf(const std::string& name) {
    auto s = std::make_unique<GameState>();
    const std::string b = bytesOf(name);
    EXPECT_EQ(b.size(), sizeof(GameState));
    std::memcpy(s.get(), b.data(), std::min(b.size(), sizeof(GameState)));
    return s;
  }
  std::vector<std::pair<int, std::string>> systemErrors() const {
    std::vector<std::pair<int, std::string>> out;
    for (const auto& e : reporter.entries)
      if (!e.script) out.emplace_back(e.number, sjisToUtf8(e.message));
    return out;
  }
  SaveService& saves() { return rt->saves(); }
  // Loads a script as the running one of the story (recorded as `change` would).
  ScriptContext& story(const std::string& utf8, const std::string& name) {
    std::memset(state().scriptName, 0, sizeof state().scriptName);
    std::memcpy(state().scriptName, name.data(), name.size());
    return load(utf8, name);
  }

  // A story with two voice lines, a background and a sprite; stopped after the second
  // voice command.
  void playToSecondVoice() {
    layered("bg01", 800, 600, 0, 0, 800, 600, 20, 30, 40);
    layered("chr", 200, 400, 0, 0, 200, 400, 90, 10, 10);
    story(windowLine() +
         "bg bg01 FADE_NONE\r\nsp 0 chr FADE_NONE\r\nvo v001\r\nF1=1\r\nvo v002\r\nF2=2\r\nF3=3\r\n", "story");
    runUntil("F2=2");
  }
};

TEST_F(SaveTest, ASaveReadsBackByteForByteAndResumesAtTheVoiceOfItsPage) {
  playToSecondVoice();
  ASSERT_EQ(state().voiceIndex, 1);
  state().var('C') = 77;
  ASSERT_TRUE(saves().saveGame(1));
  EXPECT_EQ(bytesOf("Save001.dat"), stateBytes());
  const std::string saved = bytesOf("Save001.dat");

  // The game goes on elsewhere; the load brings all of it back.
  run();
  state().var('C') = 1;
  layer(kSpriteSlot1).release();
  std::memcpy(state().bgmName, "other", 6);
  std::memcpy(state().scriptName, "elsewhere", 10);
  ASSERT_TRUE(saves().loadGame(sc(), 1, false));
  EXPECT_EQ(stateBytes(), saved);
  EXPECT_EQ(sc().pos, rt->media.readStatus.positionOf(sc().scriptPath, 1));
  EXPECT_EQ(std::string(sc().scriptPath), "scr\\story.scr");
  sc().peekWord(sc().word, ScriptContext::kWordCapacity);
  EXPECT_STREQ(sc().word, "vo");
  EXPECT_EQ(layer(kBackgroundSlot).name(), "cg\\bg01.psd");
  EXPECT_EQ(layer(kSpriteSlot1).name(), "cg\\chr.psd");
  EXPECT_TRUE(rt->story.switches.messageWindowActive);
  EXPECT_TRUE(systemErrors().empty());

  // What a headless run dumps at its end is the loaded record.
  const std::string dump = file("dump.bin");
  std::string error;
  ASSERT_TRUE(writeStateDump(state(), dump, error)) << error;
  EXPECT_EQ(bytesOf("dump.bin"), saved);
}

TEST_F(SaveTest, AScriptWithoutVoiceCommandsResumesAtItsStart) {
  story("F1=1\r\nF2=2\r\n", "plain");
  run();
  ASSERT_TRUE(saves().saveGame(2));
  ASSERT_TRUE(saves().loadGame(sc(), 2, false));
  EXPECT_EQ(sc().pos, 1);
}

// Each case spoils a good save in one way; the load is refused with its message and the
// running game stays exactly as it was.
struct Spoilt {
  const char* what;
  std::function<void(GameState&)> edit;  // null: the file is cut short instead
  bool fixChecksum;
  int number;                            // 0: a script error
  const char* message;
};

TEST_F(SaveTest, SpoiltSavesAreRefusedAndTheGameIsLeftAsItWas) {
  const Spoilt cases[] = {
      {"one backlog byte", [](GameState& s) { s.backlog[3].text[10] ^= 1; }, false, 6798, "セーブデータが壊れています"},
      {"version 399", [](GameState& s) { s.version = 399; }, true, 6803, "セーブデータのバージョンが違います"},
      {"cut short", nullptr, false, 6798, "セーブデータが壊れています"},
      {"unterminated script name", [](GameState& s) { std::memset(s.scriptName, 'a', 64); }, true, 6798,
       "セーブデータが壊れています"},
      {"empty script name", [](GameState& s) { s.scriptName[0] = 0; }, true, 6798, "セーブデータが壊れています"},
      {"script not in the game", [](GameState& s) { std::strcpy(s.scriptName, "..\\..\\etc\\passwd"); }, true, 0,
       "ファイルが存在しない"},
  };
  playToSecondVoice();
  ASSERT_TRUE(saves().saveGame(5));
  const std::string good = bytesOf("Save005.dat");
  state().var('Q') = 12;
  for (const Spoilt& c : cases) {
    SCOPED_TRACE(c.what);
    auto s = recordOf("Save005.dat");
    if (c.edit) {
      c.edit(*s);
      if (c.fixChecksum) s->checksum = s->computeChecksum();
      writeBytes("Save006.dat", std::vector<std::uint8_t>(s->bytes(), s->bytes() + sizeof(GameState)));
    } else {
      writeBytes("Save006.dat", std::vector<std::uint8_t>(good.begin(), good.begin() + 1000));
    }
    const std::string before = stateBytes();
    const std::int32_t pos = sc().pos;
    reporter.entries.clear();
    EXPECT_FALSE(saves().loadGame(sc(), 6, true));
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(sjisToUtf8(reporter.entries[0].message), c.message);
    if (c.number != 0) {
      EXPECT_EQ(reporter.entries[0].number, c.number);
    }
    EXPECT_EQ(stateBytes(), before);
    EXPECT_EQ(sc().pos, pos);
    EXPECT_EQ(layer(kSpriteSlot1).name(), "cg\\chr.psd");
  }
  // A missing save names its file; the return to the last choice takes its indicator
  // away again.
  reporter.entries.clear();
  EXPECT_EQ(saves().returnToLastChoice(sc()), 0);
  ASSERT_FALSE(reporter.entries.empty());
  EXPECT_EQ(reporter.entries.back().number, 6784);
  EXPECT_EQ(sjisToUtf8(reporter.entries.back().message), "セーブデータがありません");
  EXPECT_EQ(reporter.entries.back().detail, "Save900.dat");
  EXPECT_TRUE(layer(kModeIndicatorSlot).empty());
}

TEST_F(SaveTest, HandEditedFieldsWithAMatchingChecksumLoadWithoutReachingPastThem) {
  playToSecondVoice();
  ASSERT_TRUE(saves().saveGame(7));
  auto s = recordOf("Save007.dat");
  std::memset(s->pictureNames[1], 'x', 64);  // no terminator
  std::memset(s->bgmName, 'y', 64);
  std::memset(s->comment, 'z', 256);
  std::memset(s->windowPicture, 'w', 64);
  std::memset(s->backlog[0].text, 'b', sizeof s->backlog[0].text);
  s->layerX[0] = INT_MIN;
  s->layerY[0] = INT_MAX;
  s->layerFade[0] = 100000;
  s->layerAlpha[0] = -5;
  s->voiceIndex = 999999;
  s->backlogWriteIndex = 256;
  s->backlogCount = 3;
  writeRecord("Save007.dat", *s);

  ASSERT_TRUE(saves().loadGame(sc(), 7, false));
  EXPECT_EQ(strnlen(state().pictureNames[1], 64), 63u);
  EXPECT_EQ(strnlen(state().comment, 256), 255u);
  EXPECT_EQ(strnlen(state().backlog[0].text, sizeof s->backlog[0].text), sizeof s->backlog[0].text - 1);
  EXPECT_EQ(state().layerFade[0], 255);
  EXPECT_EQ(state().layerAlpha[0], 0);
  EXPECT_EQ(sc().pos, 1);  // no such voice line: the start of the script
  // A ring pointing outside itself is an empty backlog, never an index.
  EXPECT_EQ(state().backlogWriteIndex, 0);
  EXPECT_EQ(state().backlogCount, 0);
}

TEST_F(SaveTest, SystemFlagsSetSinceTheSaveSurviveTheLoadAndEngineSettingsAreTheSaves) {
  story("F1=1\r\n", "plain");
  state().flags[1024] = 1;
  state().flags[2010] = 7;
  ASSERT_TRUE(saves().saveGame(3));
  state().flags[1024] = 0;  // a system flag cleared since: the save's value comes back
  state().flags[1500] = 1;
  state().flags[2001] = 4;
  state().flags[2010] = 9;
  state().flags[2002] = 5;
  ASSERT_TRUE(saves().loadGame(sc(), 3, false));
  EXPECT_EQ(state().flags[1024], 1);
  EXPECT_EQ(state().flags[1500], 1);
  EXPECT_EQ(state().flags[2001], 4);
  EXPECT_EQ(state().flags[2010], 7);
  EXPECT_EQ(state().flags[2002], 0);
}

TEST_F(SaveTest, FlagUpdateMergesSystemFlagsAndKeepsTheStoredEngineSettings) {
  story("flag_update\r\nF9=1\r\n", "sys");
  state().flags[1100] = 1;
  state().flags[2030] = 42;
  run(1);
  auto first = recordOf("Save000.dat");
  EXPECT_EQ(first->checksum, first->computeChecksum());
  EXPECT_EQ(first->flags[1100], 1);
  EXPECT_EQ(first->flags[2030], 0);  // the initial record's, not the game's
  EXPECT_EQ(first->flags[2034], 255);
  EXPECT_EQ(sc().pos, 12);  // past the word only

  // A later update keeps what was stored and adds what is set now; the game's own
  // record is left alone.
  state().flags[1100] = 0;
  state().flags[1200] = 3;
  const std::string before = stateBytes();
  saves().updateSystemSave();
  EXPECT_EQ(stateBytes(), before);
  auto second = recordOf("Save000.dat");
  EXPECT_EQ(second->flags[1100], 1);
  EXPECT_EQ(second->flags[1200], 3);
  EXPECT_EQ(second->flags[2030], 0);

  // The title menu reads them back; the engine settings stay the running ones.
  state().resetForNewGame();
  state().flags[1100] = 0;
  state().flags[2030] = 8;
  saves().readSystemSave();
  EXPECT_EQ(state().flags[1100], 1);
  EXPECT_EQ(state().flags[2030], 8);
  EXPECT_TRUE(systemErrors().empty());
}

TEST_F(SaveTest, ADamagedSystemSaveIsKeptAsideAndReplacedByTheInitialRecord) {
  story("F1=1\r\n", "plain");
  std::string damaged(sizeof(GameState), '\x01');
  writeBytes("Save000.dat", std::vector<std::uint8_t>(damaged.begin(), damaged.end()));

  state().flags[2023] = 1;
  state().flags[1300] = 1;
  saves().readSystemSave();
  EXPECT_EQ(systemErrors(), (std::vector<std::pair<int, std::string>>{{116, "セーブデータが壊れています"}}));
  EXPECT_EQ(state().version, 400);
  EXPECT_STREQ(state().scriptName, "open");
  EXPECT_EQ(state().flags[1300], 0);
  EXPECT_EQ(state().flags[2023], 1);  // the running engine settings stay

  reporter.entries.clear();
  saves().updateSystemSave();
  EXPECT_EQ(systemErrors(), (std::vector<std::pair<int, std::string>>{{8193, "セーブデータが壊れています"}}));
  EXPECT_EQ(bytesOf("Save000.dat.damaged"), damaged);
  auto fresh = recordOf("Save000.dat");
  EXPECT_EQ(fresh->checksum, fresh->computeChecksum());
  EXPECT_EQ(fresh->version, 400);
  EXPECT_EQ(fresh->flags[2023], 0);  // the initial record's settings

  // Saves made from here load again.
  std::strcpy(state().scriptName, "plain");
  ASSERT_TRUE(saves().saveGame(4));
  EXPECT_TRUE(saves().loadGame(sc(), 4, false));
}

TEST_F(SaveTest, AFailedWriteIsReportedAndTheOldSaveSurvives) {
  story("F1=1\r\n", "plain");
  ASSERT_TRUE(saves().saveGame(1));
  const std::string old = bytesOf("Save001.dat");
  state().flags[1] = 99;

  // A link in place of the save is never written through.
  writeBytes("target.dat", {'k', 'e', 'e', 'p'});
  std::filesystem::create_symlink(dir_ / "target.dat", dir_ / "Save002.dat");
  EXPECT_FALSE(saves().saveGame(2));
  EXPECT_EQ(bytesOf("target.dat"), "keep");

  // A folder that cannot be written (not for root, whom permissions do not stop).
  if (::geteuid() != 0) {
    ::chmod(dir_.c_str(), 0555);
    EXPECT_FALSE(saves().saveGame(1));
    ::chmod(dir_.c_str(), 0755);
    EXPECT_EQ(bytesOf("Save001.dat"), old);
  }
  for (const auto& e : systemErrors()) EXPECT_EQ(e, (std::pair<int, std::string>{6744, "セーブできませんでした"}));
  EXPECT_FALSE(systemErrors().empty());

  // No quick-save notice for a quick save that was not written.
  std::filesystem::create_symlink(dir_ / "target.dat", dir_ / "Save800.dat");
  bool noticed = false;
  onPoll = [&] { noticed = noticed || layer(kStatusLineSlot).isText(); };
  EXPECT_EQ(saves().quickSave(sc()), 0);
  EXPECT_FALSE(noticed);
}

TEST_F(SaveTest, QuickSaveShowsItsNoticeForASecondAndNothingWhileReadTrackingIsOff) {
  story("F1=1\r\n", "plain");
  int noticedPolls = 0, noticeX = 0;
  onPoll = [&] {
    if (!layer(kStatusLineSlot).isText()) return;
    ++noticedPolls;
    noticeX = layer(kStatusLineSlot).x();
  };
  const std::uint32_t t0 = platform.ticks();
  EXPECT_EQ(saves().quickSave(sc()), 0);
  EXPECT_TRUE(exists("Save800.dat"));
  EXPECT_EQ(noticedPolls, 10);
  EXPECT_GE(platform.ticks() - t0, 1000u);
  EXPECT_EQ(noticeX, 800 - 24 * 13);  // 26 bytes
  EXPECT_TRUE(layer(kStatusLineSlot).empty());

  std::filesystem::remove(dir_ / "Save800.dat");
  state().readTrackingOff() = 1;
  noticedPolls = 0;
  EXPECT_EQ(saves().quickSave(sc()), 0);
  EXPECT_FALSE(exists("Save800.dat"));
  EXPECT_EQ(noticedPolls, 0);
  EXPECT_EQ(saves().quickLoad(sc()), 0);
  EXPECT_TRUE(reporter.entries.empty());

  state().readTrackingOff() = 0;
  ASSERT_TRUE(saves().saveGame(800));
  EXPECT_EQ(saves().quickLoad(sc()), 1);
}

TEST_F(SaveTest, TheDebugAutosaveTurnsThroughFourSlotsWithThePageAsComment) {
  story("F1=1\r\n", "plain");
  sc().speakerName = SJ("葵");
  std::strcpy(sc().messageText.get(), SJ("「ねえ、今日の花火、一緒に見に行こうよ」").c_str());
  for (int i = 0; i < 5; ++i) saves().debugAutoSave(sc());
  for (const char* name : {"Save057.dat", "Save058.dat", "Save059.dat", "Save060.dat"})
    EXPECT_TRUE(exists(name)) << name;
  EXPECT_FALSE(exists("Save061.dat"));
  // 39 bytes cut before a character that would not fit whole.
  const std::string comment = recordOf("Save057.dat")->comment;
  EXPECT_EQ(comment.size(), 38u);
  EXPECT_EQ(comment, SJ("葵「ねえ、今日の花火、一緒に見に行こう"));
}

TEST_F(SaveTest, TitleRecordsTheFirstScriptAsTheOneRunning) {
  writeScript("F5=1\r\n", "open");
  writeScript("title\r\nF7=1\r\n", "second");
  story("change second\r\n", "first");
  run(1);
  ASSERT_STREQ(state().scriptName, "second");
  run(1);
  EXPECT_STREQ(state().scriptName, "open");
  ASSERT_TRUE(saves().saveGame(9));
  ASSERT_TRUE(saves().loadGame(sc(), 9, false));
  EXPECT_EQ(std::string(sc().scriptPath), "scr\\open.scr");
}

}  // namespace
}  // namespace ml::test
