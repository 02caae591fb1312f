// The backlog: the ring of pages in the game state, and the backlog window with its
// paging, voice replay and continuing from an earlier page.
#include <algorithm>
#include <cstring>
#include <map>

#include "message_fixture.h"
#include "engine/services.h"
#include "media/sound/sound_channel.h"
#include "scene/backlog.h"
#include "tools/common/wave_writer.h"

namespace ml::test {
namespace {

constexpr int kRing = GameState::kBacklogEntries;

std::string text(const char* field, std::size_t n) { return sjisToUtf8(std::string(field, strnlen(field, n))); }
template <std::size_t N>
std::string text(const char (&field)[N]) {
  return text(field, N);
}

class BacklogTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    layered("_WinLog", 800, 150, 0, 0, 800, 150, 30, 0, 30);
    layered("_WinLogF", 800, 150, 0, 0, 800, 4, 60, 0, 60);
    layered("_WinLogNam", 200, 40, 0, 0, 200, 40, 30, 0, 30);
    layered("_WinLogNamF", 200, 40, 0, 0, 200, 2, 60, 0, 60);
    // Button k of the bar at x = 40k on a shared canvas, placed at (188, 489).
    const char* buttons[] = {"_lVo", "_lCont", "_lPrev", "_lNext", "_lTop", "_lBottom"};
    for (int k = 0; k < 6; ++k) layered(buttons[k], 400, 30, 40 * k, 0, 30, 30, 90, 0, 0, 3);
    layered("bgA", 800, 600, 0, 0, 800, 600, 10, 20, 30);
    layered("bgB", 800, 600, 0, 0, 800, 600, 30, 20, 10);
    std::strcpy(state().scriptName, "test");
  }

  // A window with its name plate.
  static std::string windows() { return windowLine() + "window 2 20 400 0 0 16 8 7 1 nam 0 0\r\n"; }
  // The centre of backlog button k (0 voice, 1 continue, 2 older, 3 newer, 4 oldest, 5 newest).
  static std::string clickButton(int k) { return "click " + std::to_string(188 + 40 * k + 15) + " 504\n"; }

  void writeMusic(const std::string& name) {
    tools::AudioBuffer audio;
    audio.channels = 2;
    audio.samples.assign(4410 * 2, 0.1f);
    std::filesystem::create_directories(dir_ / "wav");
    writeBytes("wav/" + name + ".wav", tools::writePcmWave(audio));
  }

  // Adds a page numbered `voice` with the given text straight through the service.
  void addPage(int voice, const std::string& utf8, const char* choice = nullptr) {
    state().voiceIndex = voice;
    const std::string page = utf8ToSjis(utf8);
    std::memcpy(sc().messageText.get(), page.c_str(), page.size() + 1);
    rt->backlog().addEntry(sc(), choice);
  }
  BacklogEntry& entry(int n) { return backlogEntry(state(), n); }
};

// The ring after n pages: count, write index, wrapped flag, and which pages the newest
// and oldest entries hold (the 257th page overwrites the first).
struct RingCase {
  int pages;
  int count;
  int writeIndex;
  int wrapped;
};

class BacklogRingTest : public BacklogTest, public ::testing::WithParamInterface<RingCase> {};

TEST_P(BacklogRingTest, PagesFillTheRingAndWrapAround) {
  const RingCase c = GetParam();
  for (int i = 0; i < c.pages; ++i) addPage(i, "頁" + std::to_string(i));
  EXPECT_EQ(state().backlogCount, c.count);
  EXPECT_EQ(state().backlogWriteIndex, c.writeIndex);
  EXPECT_EQ(state().backlogWrapped, c.wrapped);
  EXPECT_EQ(text(entry(1).text), "頁" + std::to_string(c.pages - 1));
  EXPECT_EQ(text(entry(c.count).text), "頁" + std::to_string(c.pages - c.count));
  EXPECT_EQ(entry(c.count).voiceNumber, c.pages - c.count);
}

INSTANTIATE_TEST_SUITE_P(Pages, BacklogRingTest,
                         ::testing::Values(RingCase{1, 1, 1, 0}, RingCase{255, 255, 255, 0},
                                           RingCase{256, 256, 0, 0}, RingCase{257, 256, 1, 1},
                                           RingCase{600, 256, 600 % kRing, 1}));

TEST_F(BacklogTest, AnEntryHoldsThePageAndTheStoryStateAtItsFixedPlaces) {
  state().var('A') = 0x01020304;
  state().var('G') = 77;  // byte 24: the last one copied
  state().var('H') = 99;  // beyond the 25 bytes
  state().flags[5] = 1;
  state().flags[2043] = 2;
  std::strcpy(state().pictureNames[0], "bgA");
  std::strcpy(state().pictureNames[2], "rin01");
  state().layerX[2] = -120;
  state().layerFade[2] = 200;
  std::strcpy(state().bgmName, "m1");
  std::strcpy(state().seLoopName, "wave");
  std::strcpy(state().voiceName, "rin001");
  sc().speakerName = SJ("凛");
  addPage(7, "こんにちは\n");

  const std::uint8_t* raw = reinterpret_cast<const std::uint8_t*>(&state()) + 3304;  // entry 0
  auto i32 = [&](int at) {
    std::int32_t v;
    std::memcpy(&v, raw + at, 4);
    return v;
  };
  auto str = [&](int at, int size) { return text(reinterpret_cast<const char*>(raw + at), std::size_t(size)); };
  EXPECT_EQ(i32(0), 7);
  EXPECT_EQ(i32(548), 0x01020304);
  EXPECT_EQ(raw[548 + 24], 77);
  EXPECT_EQ(raw[548 + 28], 0);  // H is not part of the snapshot
  EXPECT_EQ(raw[652 + 5], 1);
  EXPECT_EQ(raw[2695], 2);  // background-effect mode at its place in the flag copy
  EXPECT_EQ(i32(2860 + 8), -120);
  EXPECT_EQ(i32(2860 + 40 + 8), 200);
  const std::vector<std::pair<int, std::string>> strings = {
      {4, "凛"}, {2700, "bgA"}, {2764, "rin01"}, {2940, "test"}, {2972, "m1"}, {3004, "wave"}, {3036, "rin001"}};
  for (const auto& [at, want] : strings) EXPECT_EQ(str(at, 32), want) << at;
  EXPECT_EQ(str(36, 512), "こんにちは\n");
}

TEST_F(BacklogTest, APageShownAgainIsKeptOnceUnlessReadTrackingIsOff) {
  addPage(3, "一");
  addPage(3, "一");
  EXPECT_EQ(state().backlogCount, 1);
  // Another script with the same voice number is another page.
  std::strcpy(state().scriptName, "other");
  addPage(3, "一");
  EXPECT_EQ(state().backlogCount, 2);
  state().readTrackingOff() = 1;
  addPage(0, "二");
  addPage(0, "二");
  EXPECT_EQ(state().backlogCount, 4);
}

// Text, speaker and names are cut on a character boundary with room for the
// terminator; placeholders become the player's names.
struct CutCase {
  std::string speaker;  // UTF-8
  std::string page;
  std::string wantSpeaker;
  std::size_t wantTextBytes;
  std::string wantTextStart;
};

class BacklogCutTest : public BacklogTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(BacklogCutTest, FieldsAreCutOnCharacters) {
  const CutCase c = GetParam();
  rt->media.textRules.setGivenName(SJ("アキラ"));
  rt->media.textRules.setFamilyName(SJ("ミナト"));
  state().var('A') = 0x55;
  if (!c.speaker.empty()) sc().speakerName = utf8ToSjis(c.speaker);
  addPage(1, c.page);
  const BacklogEntry& e = entry(1);
  EXPECT_EQ(text(e.speakerName), c.wantSpeaker);
  EXPECT_EQ(strnlen(e.text, sizeof e.text), c.wantTextBytes);
  EXPECT_EQ(text(e.text).substr(0, c.wantTextStart.size()), c.wantTextStart);
  // Nothing of the page ran past its field.
  EXPECT_EQ(e.text[sizeof e.text - 1], 0);
  EXPECT_EQ(e.speakerName[sizeof e.speakerName - 1], 0);
  EXPECT_EQ(e.varSnapshot[0], 0x55);
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BacklogCutTest,
    ::testing::Values(
        // 300 two-byte characters: 511 bytes would split one, so 255 of them stay.
        CutCase{"", repeat("あ", 300), "", 510, "あああ"},
        // One byte first: 511 bytes end on a whole character.
        CutCase{"", "a" + repeat("あ", 300), "", 511, "aああ"},
        CutCase{"●名●", "●名●は▲氏▲と言った", "アキラ", 22, "アキラはミナトと言った"},
        CutCase{"▲氏▲", "x", "ミナト", 1, "x"},
        // A name that only begins with a placeholder stays as written.
        CutCase{"●名●先生", "x", "●名●先生", 1, "x"},
        // 16 characters of name: 31 bytes hold 15 of them.
        CutCase{repeat("凛", 16), "x", repeat("凛", 15), 1, "x"}));

// A ring from a save with indexes out of range is an empty backlog, never indexes.
struct CorruptCase {
  std::int32_t writeIndex;
  std::int32_t count;
  bool usable;
};

class BacklogCorruptTest : public BacklogTest, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(BacklogCorruptTest, OutOfRangeRingsAreEmpty) {
  const CorruptCase c = GetParam();
  state().backlogWriteIndex = c.writeIndex;
  state().backlogCount = c.count;
  state().backlogWrapped = 1;
  EXPECT_EQ(state().validateBacklogRing(), c.usable);
  if (!c.usable) {
    EXPECT_EQ(state().backlogCount, 0);
    // Nothing to browse: the window does not open.
    EXPECT_FALSE(rt->screens().runBacklog(sc()));
    EXPECT_FALSE(rt->story.switches.backlogOpen);
    EXPECT_TRUE(layer(83).empty());
    addPage(1, "新");
    EXPECT_EQ(state().backlogCount, 1);
    EXPECT_EQ(state().backlogWriteIndex, 1);
    EXPECT_EQ(text(entry(1).text), "新");
  }
}

INSTANTIATE_TEST_SUITE_P(Rings, BacklogCorruptTest,
                         ::testing::Values(CorruptCase{0, 0, true}, CorruptCase{255, 256, true},
                                           CorruptCase{256, 10, false}, CorruptCase{-1, 10, false},
                                           CorruptCase{3, 257, false}, CorruptCase{3, -2, false},
                                           CorruptCase{INT32_MIN, INT32_MAX, false}));

TEST_F(BacklogTest, AChoiceLineTakesThePlaceOfItsPrompt) {
  layered("_WinSelS", 300, 30, 0, 0, 300, 30, 80, 80, 0);
  rt->story.autoChoice = AutoChoice::First;
  setInput("wait 100\nclick\n");
  load(windows() + "vo v01\r\n一頁\r\nvo v02\r\nwindow_sel 1 0 0 0 0 0 0 0 0 0 0 NULL 0 0\r\n"
       "def_selmes どうする？\r\ndef_sel 行く\r\nselect2 1\r\n");
  run();
  ASSERT_EQ(state().backlogCount, 2);
  EXPECT_EQ(text(entry(1).text), "選択肢【行く】");
  EXPECT_EQ(text(entry(1).speakerName), "");
  EXPECT_EQ(entry(1).voiceNumber, 1);
  EXPECT_EQ(text(entry(2).text), "一頁\n");

  // A prompt that shares the last page's voice command is that page again: the answer
  // comes after the page instead of taking its place.
  setInput("wait 100\nclick\n");
  load(windows() + "vo v01\r\n一頁\r\nwindow_sel 1 0 0 0 0 0 0 0 0 0 0 NULL 0 0\r\n"
       "def_selmes どうする？\r\ndef_sel 帰る\r\nselect2 1\r\n", "second");
  std::strcpy(state().scriptName, "second");
  run();
  ASSERT_EQ(state().backlogCount, 4);
  EXPECT_EQ(text(entry(1).text), "選択肢【帰る】");
  EXPECT_EQ(text(entry(2).text), "一頁\n");
}

// Paging stops at the oldest and the newest page; the voice button replays the page's
// voice; paging on past the newest page closes the window and leaves the screen as it
// was.
TEST_F(BacklogTest, PagingStopsAtBothEndsAndClosingRestoresTheWindow) {
  struct Voices : SoundService {
    std::vector<std::pair<std::string, bool>> replays;
    bool openDevice() override { return true; }
    void stopChannel(int) override {}
    void stopAllChannels() override {}
    void serviceChannels() override {}
    void playPageVoice(ScriptContext&, bool fromBacklog, const BacklogEntry* e, bool forced) override {
      if (fromBacklog && e != nullptr) replays.emplace_back(e->voiceName, forced);
    }
    bool voicePlaying() override { return false; }
    void restartRecordedSounds(ScriptContext&) override {}
  };
  auto voices = std::make_unique<Voices>();
  Voices* v = voices.get();
  rt->installSound(std::move(voices));
  rt->media.settings.log.voice = false;

  // The pages the window went through, and for each the voice, older and newer
  // buttons it settled on.
  std::vector<std::string> counters;
  std::map<std::string, std::string> buttons;
  // The background on screen when the window opened.
  const Surface* background = nullptr;
  bool opened = false;
  onPoll = [&] {
    if (!rt->story.switches.backlogOpen) {
      if (!opened && state().backlogCount == 3) background = layer(0).surface();
      return;
    }
    opened = true;
    const std::string counter = sjisToUtf8(layer(129).text());
    if (counters.empty() || counters.back() != counter) counters.push_back(counter);
    std::string b = layer(101).visible() ? "V" : "-";
    b += layer(103).visible() ? "O" : "-";
    b += layer(104).visible() ? "N" : "-";
    buttons[counter] = b;
  };
  setInput("wait 100\nclick\nwait 100\nclick\nwait 100\nwheel 1\nwait 100\n"
           "key pageup\nwait 50\nkey pageup\nwait 50\nkey pageup\nwait 50\nwheel 1\nwait 100\n" +
           clickButton(0) + "wait 100\nkey pagedown\nwait 50\nwheel -1\nwait 50\nwheel -1\nwait 100\nmove 700 100\n"
           "wait 100\nclick\n");
  load(windows() + "bg1 bgA\r\nmsg2 凛\r\nvo v01\r\n一頁\r\nvo \"\"\r\n二頁\r\nvo v03\r\n三頁\r\n");
  run();

  EXPECT_EQ(state().backlogCount, 3);
  EXPECT_EQ(counters, (std::vector<std::string>{"  1/3", "  2/3", "  3/3", "  2/3", "  1/3"}))
      << ::testing::PrintToString(counters);
  EXPECT_EQ(buttons, (std::map<std::string, std::string>{{"  1/3", "VO-"}, {"  2/3", "-ON"}, {"  3/3", "V-N"}}));
  ASSERT_EQ(v->replays.size(), 1u);
  EXPECT_EQ(v->replays[0], std::make_pair(std::string("v01"), true));
  EXPECT_FALSE(rt->story.switches.backlogOpen);
  for (int i = 80; i <= 129; ++i) EXPECT_TRUE(layer(i).empty()) << i;
  // The scene is put back as it was (not loaded again), no longer darkened.
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(layer(0).surface(), background);
  EXPECT_EQ(layer(0).fade(), 255);
  EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
}

// Continuing from an earlier page rewinds the game to it: the newer entries go, and
// flags, variables, scene, music and the script position become that page's.
TEST_F(BacklogTest, ContinueFromHereRewindsTheGameToThatPage) {
  ASSERT_TRUE(rt->sound().openDevice());
  writeMusic("m1");
  writeMusic("m2");
  int most = 0;
  onPoll = [&] { most = std::max(most, state().backlogCount); };
  setInput("wait 100\nclick\nwait 100\nclick\nwait 100\nclick\nwait 100\n"
           "wheel 1\nwait 100\nwheel 1\nwait 100\nwheel 1\nwait 100\n" +
           clickButton(1) + "wait 100\nmove 700 100\n");
  load(windows() + "bgm1 m1\r\nbg1 bgA\r\nA=1\r\nF5=1\r\nmsg2 凛\r\nvo v01\r\n一頁\r\n"
       "A=2\r\nF5=0\r\nbgm1 m2\r\nbg1 bgB\r\nvo v02\r\n二頁\r\n"
       "A=7\r\nF5=1\r\nF6=1\r\nbgm1 m1\r\nbg1 bgA\r\nvo v03\r\n三頁\r\nvo v04\r\n四頁\r\nT=9\r\n");
  for (int i = 0; i < 100 && (most < 4 || state().backlogCount == 4); ++i) step();
  ASSERT_EQ(most, 4);

  EXPECT_EQ(state().backlogCount, 1);
  EXPECT_EQ(state().backlogWriteIndex, 1);
  EXPECT_EQ(state().var('A'), 2);
  EXPECT_EQ(state().flags[5], 0);
  EXPECT_EQ(state().flags[6], 0);
  EXPECT_STREQ(state().pictureNames[0], "bgB");
  EXPECT_STREQ(state().bgmName, "m2");
  EXPECT_EQ(rt->sound().channel(SoundService::kMusicChannel)->cachedName(), "wav\\m2.wav");
  EXPECT_NE(layer(0).name().find("bgB"), std::string::npos);
  EXPECT_EQ(layer(0).fade(), 255);
  // The script goes on at the page's voice command, with the page ready to show.
  const std::string script(sc().text.begin(), sc().text.end());
  EXPECT_EQ(sc().pos, static_cast<std::int32_t>(script.find("vo v02")));
  EXPECT_EQ(sjisToUtf8(sc().messageText.get()), "二頁\n");
  EXPECT_FALSE(rt->story.switches.backlogOpen);
  for (int i = 80; i <= 129; ++i) EXPECT_TRUE(layer(i).empty()) << i;
  EXPECT_TRUE(layer(31).visible());

  // The resumed page is recorded again when it is shown.
  setInput("wait 100\nclick\n");
  for (int i = 0; i < 10 && state().backlogCount < 2; ++i) step();
  EXPECT_EQ(state().backlogCount, 2);
  EXPECT_EQ(text(entry(1).text), "二頁\n");
  EXPECT_EQ(entry(1).voiceNumber, 1);
  EXPECT_EQ(text(entry(2).speakerName), "凛");
  EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
}


// Holding the older button pages once, then on after Key/Repeat x 250 ms.
TEST_F(BacklogTest, AHeldButtonRepeatsAfterTheRepeatDelay) {
  for (int i = 0; i < 40; ++i) addPage(i, "頁");
  rt->media.settings.key.repeat = 2;
  rt->media.settings.log.exit = false;
  std::vector<std::pair<std::uint32_t, std::string>> changes;
  onPoll = [&] {
    const std::string counter = sjisToUtf8(layer(129).text());
    if (rt->story.switches.backlogOpen && (changes.empty() || changes.back().second != counter))
      changes.emplace_back(platform.ticks(), counter);
  };
  // The window at (0, 0): the older button's picture part lies at (268..298, 39..69).
  setInput("wait 100\nmove 283 54\nwait 50\npress left\nwait 1000\nrelease left\nwait 200\nkey escape\n");
  EXPECT_FALSE(rt->screens().runBacklog(sc()));
  ASSERT_GE(changes.size(), 4u);
  EXPECT_EQ(changes[0].second, "  1/40");
  EXPECT_EQ(changes[1].second, "  2/40");
  EXPECT_GE(changes[2].first - changes[1].first, 500u);
  const int last = std::stoi(changes.back().second);
  EXPECT_GT(last, 5);
  EXPECT_LT(last, 40);
  EXPECT_FALSE(rt->story.switches.backlogOpen);
}

// Leaving a choice for an earlier page answers nothing: S stays, no last-choice save is
// written and the choices leave the screen.
TEST_F(BacklogTest, ContinuingFromInsideAChoiceLeavesItUnanswered) {
  struct Saves : SaveService {
    int lastChoiceSaves = 0;
    void updateSystemSave() override {}
    void debugAutoSave(ScriptContext&) override {}
    void saveLastChoice(ScriptContext&) override { ++lastChoiceSaves; }
  };
  auto saves = std::make_unique<Saves>();
  Saves* recorded = saves.get();
  rt->installSaves(std::move(saves));
  layered("_WinSelS", 300, 30, 0, 0, 300, 30, 80, 80, 0);
  bool inChoice = false;
  onPoll = [&] { inChoice = inChoice || layer(180).isText(); };
  setInput("wait 100\nclick\nwait 100\nclick\nwait 100\nwheel 1\nwait 100\nwheel 1\nwait 100\n" + clickButton(1) +
           "wait 100\nmove 700 100\n");
  load(windows() + "vo v01\r\n一頁\r\nvo v02\r\n二頁\r\nwindow_sel 1 0 0 0 0 0 0 0 0 0 0 NULL 0 0\r\n"
       "def_sel 行く\r\ndef_sel 帰る\r\nselect2 1\r\nT=S\r\n");
  for (int i = 0; i < 100 && !(inChoice && state().backlogCount == 0); ++i) step();
  ASSERT_TRUE(inChoice);
  EXPECT_EQ(state().backlogCount, 0);
  EXPECT_EQ(state().var('S'), 0);
  EXPECT_EQ(recorded->lastChoiceSaves, 0);
  for (int i = 130; i <= 189; ++i) EXPECT_TRUE(layer(i).empty()) << i;
  const std::string script(sc().text.begin(), sc().text.end());
  EXPECT_EQ(sc().pos, static_cast<std::int32_t>(script.find("vo v01")));
  EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
}

}  // namespace
}  // namespace ml::test
