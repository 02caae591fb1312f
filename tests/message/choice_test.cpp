#include <set>

#include "message_fixture.h"
#include "engine/services.h"

namespace ml::test {
namespace {

// Records what the choice hands to the backlog and when the last-choice save is made.
struct Recorded {
  std::vector<std::string> backlog;  // UTF-8; "" for a page
  std::vector<std::int32_t> sAtLastChoiceSave;
};

class RecordingBacklog final : public BacklogService {
 public:
  explicit RecordingBacklog(Recorded& r) : r_(r) {}
  void addEntry(ScriptContext&, const char* choiceText) override {
    r_.backlog.push_back(choiceText ? sjisToUtf8(choiceText) : "");
  }

 private:
  Recorded& r_;
};

class RecordingSaves final : public SaveService {
 public:
  explicit RecordingSaves(Recorded& r) : r_(r) {}
  void updateSystemSave() override {}
  void debugAutoSave(ScriptContext&) override {}
  void saveLastChoice(ScriptContext& sc) override { r_.sAtLastChoiceSave.push_back(sc.state->vars['S' - 'A']); }

 private:
  Recorded& r_;
};

class ChoiceTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    layered("_WinSelS", 300, 30, 0, 0, 300, 30, 80, 80, 0);
    rt->installBacklog(std::make_unique<RecordingBacklog>(recorded));
    rt->installSaves(std::make_unique<RecordingSaves>(recorded));
  }
  std::int32_t s() { return state().vars['S' - 'A']; }
  // Choice j of n stands at y = j * spacing + spacing + 11 (P6 = 0); its text is
  // centred on x = 400.
  static std::string clickOn(int j, int n) {
    const int spacing = 346 / (n + 1);
    return "click 400 " + std::to_string(j * spacing + spacing + 11 + 10) + "\n";
  }
  static std::string windowSel() { return "window_sel 1 0 0 0 0 0 0 0 0 0 0 NULL 0 0\r\n"; }

  Recorded recorded;
};

TEST_F(ChoiceTest, NullLinesAreLeftOutButCountedAndIdsRunOnThroughTheScript) {
  setInput("wait 100\n" + clickOn(1, 2) + "wait 100\n" + clickOn(0, 2));
  load(windowLine() + windowSel() + "def_selmes どうする？\r\ndef_sel 行く\r\ndef_sel NULL\r\ndef_sel 帰る\r\n"
       "select2 1\r\nT=S\r\n"
       "def_sel 右\r\ndef_sel 左\r\nselect2 1\r\n");
  runUntil("T=S");
  EXPECT_EQ(s(), 3);  // the third def_sel line
  EXPECT_EQ(sc().choiceCount, 0);
  EXPECT_EQ(sc().choiceShown, 2);
  for (int j = 130; j <= 189; ++j) EXPECT_TRUE(layer(j).empty()) << j;
  EXPECT_TRUE(layer(kMessageTextSlot).empty());
  EXPECT_FALSE(sc().waitingForClick);
  run(5);
  EXPECT_EQ(s(), 4);  // ids continue after the first choice's three lines
  EXPECT_EQ(state().vars['T' - 'A'], 3);
  // The prompt as a page, then the answer; the save is written before S changes.
  ASSERT_GE(recorded.backlog.size(), 2u);
  EXPECT_EQ(recorded.backlog[0], "");
  EXPECT_EQ(recorded.backlog[1], "選択肢【帰る】");
  EXPECT_EQ(recorded.backlog.back(), "選択肢【右】");
  EXPECT_EQ(recorded.sAtLastChoiceSave, (std::vector<std::int32_t>{0, 3}));
  EXPECT_TRUE(messages().empty());

  // Only "NULL" lines: nothing to answer, the story goes on and S stays.
  load(windowLine() + "def_sel NULL\r\nselect2 1\r\nU=1\r\n");
  run(5);
  EXPECT_EQ(state().vars['U' - 'A'], 1);
  EXPECT_EQ(s(), 4);
}

TEST_F(ChoiceTest, AutoplayAnswersFirstLastOrFromTheSeed) {
  struct Case {
    AutoChoice how;
    std::set<int> answers;
  };
  const Case cases[] = {{AutoChoice::First, {1}}, {AutoChoice::Last, {3}}, {AutoChoice::Random, {1, 2, 3}}};
  for (const Case& c : cases) {
    std::set<int> seen;
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
      rt->story.autoChoice = c.how;
      rt->story.random.seed(seed * 0x9E3779B9u);
      load(windowLine() + "def_sel 一\r\ndef_sel 二\r\ndef_sel 三\r\nselect2 1\r\n");
      run(10);
      seen.insert(s());
    }
    EXPECT_EQ(seen, c.answers) << static_cast<int>(c.how);
  }
}

TEST_F(ChoiceTest, SelectShufflesTwoChoicesOutsideDebugModeOnly) {
  for (bool debug : {false, true}) {
    rt->story.debugMode = debug;
    rt->story.autoChoice = AutoChoice::First;
    std::set<int> firstShown;
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
      rt->story.random.seed(seed);
      load(windowLine() + "def_sel 一\r\ndef_sel 二\r\nselect 1\r\n");
      run(10);
      firstShown.insert(s());
    }
    const std::set<int> expected = debug ? std::set<int>{1} : std::set<int>{1, 2};
    EXPECT_EQ(firstShown, expected) << debug;
  }
  // One choice never draws from the generator.
  rt->story.debugMode = false;
  rt->story.random.seed(7);
  load(windowLine() + "def_sel 一\r\nselect 1\r\n");
  run(10);
  EXPECT_EQ(rt->story.random.state(), 7u);
}

TEST_F(ChoiceTest, TooManyChoicesAndOtherWindowsAreReported) {
  rt->story.autoChoice = AutoChoice::Last;
  std::string script = windowLine();
  for (int i = 0; i < 11; ++i) script += "def_sel 選" + std::to_string(i) + "\r\n";
  load(script + "select2 2\r\nwindow_sel 3 0 0 0 0 0 0 0 0 0 0 NULL 0 0\r\n");
  run(20);
  EXPECT_EQ(s(), 10);  // the eleventh was dropped; its line still counted
  EXPECT_EQ(messages(), (std::vector<std::string>{"選択肢はこれ以上登録できない", "現在サポートされていないウィンドウＮｏ．",
                                                   "現在サポートされていないウィンドウＮｏ．"}));
}

TEST_F(ChoiceTest, ClicksWhileTheWindowIsHiddenOnlyShowItAgain) {
  // Escape hides the window; the next click on a choice shows it; the one after chooses.
  setInput("wait 100\nkey escape\nwait 100\n" + clickOn(0, 2) + "wait 100\n" + clickOn(1, 2));
  bool sawHidden = false;
  onPoll = [&] {
    if (sc().waitingForClick && !rt->story.switches.messageWindowActive) {
      sawHidden = true;
      EXPECT_FALSE(layer(180).visible());
    }
  };
  load(windowLine() + "def_sel 一\r\ndef_sel 二\r\nselect2 1\r\n");
  run(10);
  EXPECT_TRUE(sawHidden);
  EXPECT_EQ(s(), 2);
}

TEST_F(ChoiceTest, TheWindowParametersPlaceTheChoicesAndTheCentringSwitchIsRecorded) {
  layered("sel", 300, 30, 0, 0, 300, 30, 0, 0, 80);
  // P1 = 100, P6 = 7, P9 = 5, P11 = 20, P12 = 3; two choices: spacing 115, base 126.
  std::vector<std::pair<int, int>> text, picture;
  bool highlightShown = false;
  onPoll = [&] {
    if (!sc().waitingForClick || !text.empty()) return;
    for (int j = 0; j < 2; ++j) {
      text.emplace_back(layer(180 + j).x(), layer(180 + j).y());
      picture.emplace_back(layer(140 + j).x(), layer(140 + j).y());
    }
  };
  setInput("wait 50\nmove 150 250\nwait 50\n");
  load(windowLine() + "window_sel 1 100 0 0 0 0 7 0 0 5 0 sel 20 3\r\nselect_center_on\r\n"
       "def_sel あい\r\ndef_sel う\r\nselect2 1\r\n");
  rt->story.input.mouseX = 0;
  rt->story.input.mouseY = 0;
  auto poll = onPoll;
  onPoll = [&] {
    poll();
    if (layer(150).visible()) highlightShown = true;
    if (highlightShown) rt->requests().menuReturnRequested = true;
  };
  run(10);
  EXPECT_EQ(state().centredChoices(), 1);
  ASSERT_EQ(text.size(), 2u);
  EXPECT_EQ(text[0], std::make_pair(400 - 6 * 4, 126 + 7));
  EXPECT_EQ(text[1], std::make_pair(400 - 6 * 2, 115 + 126 + 7));
  EXPECT_EQ(picture[0], std::make_pair(100 + 20 - 9, 126 + 3));
  EXPECT_EQ(picture[1], std::make_pair(100 + 5 + 20 - 9, 126 + 115 + 3));
  EXPECT_TRUE(highlightShown);  // the pointer over the second choice's picture
  EXPECT_EQ(s(), 0);            // leaving for the menu answers nothing
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

TEST_F(ChoiceTest, UpAndDownMoveTheHoveredChoiceAroundTheEndsAndDecideTakesIt) {
  struct Case {
    std::vector<std::uint32_t> keys;
    int answer;
  };
  // From nothing hovered: Down reaches the first, Up the last; both wrap at the ends.
  const Case cases[] = {{{InputDown}, 1}, {{InputUp}, 3}, {{InputDown, InputUp}, 3},
                        {{InputUp, InputDown}, 1}, {{InputUp, InputUp}, 2}, {{InputDown, InputDown, InputDown, InputDown}, 1}};
  for (const Case& c : cases) {
    std::size_t next = 0;
    int passes = 0;
    onPoll = [&] {
      if (!sc().waitingForClick || ++passes % 2) return;
      rt->story.input.press(next < c.keys.size() ? c.keys[next] : InputDecide);
      ++next;
    };
    load(windowLine() + "def_sel 一\r\ndef_sel 二\r\ndef_sel 三\r\nselect2 1\r\n");
    rt->story.input.mouseX = rt->story.input.mouseY = 0;
    run(10);
    EXPECT_EQ(s(), c.answer) << next;
  }
}

}  // namespace
}  // namespace ml::test
