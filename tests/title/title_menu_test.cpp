#include <set>

#include "title/title_fixture.h"

namespace ml::test {
namespace {

constexpr int kFirstButton = 150;

struct ExitCase {
  const char* name;
  std::string input;          // after the fade-in
  bool saveAnswer;
  bool optionAnswer;
  std::vector<std::string> calls;
  bool newGame;               // the game state was reset for a new game
  int closes;                 // end button presses
  std::vector<bool> titleItem;
};

class TitleExitTest : public TitleTest, public ::testing::WithParamInterface<ExitCase> {};

// Every way out of the menu: what it opened, whether the game was reset, and that the
// script goes on after the menu command in each case.
TEST_P(TitleExitTest, ButtonsOpenTheirScreensAndLeaveAsTheyShould) {
  const ExitCase& c = GetParam();
  screens.saveAnswer = c.saveAnswer;
  screens.optionAnswer = c.optionAnswer;
  setInput("wait 400\n" + c.input);
  load("A=5\r\nF10=3\r\nF1500=7\r\nmenu\r\nB=1\r\n");
  state().backgroundEffectMode() = 1;
  run();

  EXPECT_EQ(screens.calls, c.calls);
  EXPECT_EQ(shell.closes, c.closes);
  EXPECT_EQ(shell.titleItem, c.titleItem);
  EXPECT_EQ(state().var('B'), 1) << "the script went on after the menu";
  EXPECT_EQ(state().var('A'), c.newGame ? 0 : 5);
  EXPECT_EQ(state().flags[10], c.newGame ? 0 : 3);
  EXPECT_EQ(state().flags[1500], 7) << "system flags outlive a new game";
  EXPECT_STREQ(state().scriptName, "open") << "the running script keeps its name";
  EXPECT_EQ(state().backgroundEffectMode(), 0);
  EXPECT_FALSE(rt->story.switches.titleMenuOpen);
  EXPECT_FALSE(rt->story.switches.titleMenuWaiting);
  if (c.newGame || c.saveAnswer) {
    for (int s = 130; s <= 169; ++s) EXPECT_TRUE(layer(s).empty()) << s;
  }
  EXPECT_TRUE(messages().empty()) << messages().front();
}

const std::string kStart = "click " + at(0) + "\n";

INSTANTIATE_TEST_SUITE_P(
    Exits, TitleExitTest,
    ::testing::Values(
        ExitCase{"Start", kStart, false, false, {}, true, 0, {false, true}},
        ExitCase{"ContinueWithoutLoadingStaysThenStart", "click " + at(1) + "\nwait 100\n" + kStart, false,
                 false, {"load"}, true, 0, {false, true}},
        ExitCase{"ContinueThatLoads", "click " + at(1) + "\n", true, false, {"load"}, false, 0, {false, true}},
        ExitCase{"ExtrasComeBackToTheMenu", "click " + at(2) + "\nwait 100\n" + kStart, false, false,
                 {"extras"}, true, 0, {false, true}},
        ExitCase{"OptionsClosedStays", "click " + at(3) + "\nwait 100\n" + kStart, false, false, {"options"},
                 true, 0, {false, true}},
        ExitCase{"OptionsEndingInATitleReturnLeave", "click " + at(3) + "\n", false, true, {"options"}, false,
                 0, {false}},
        ExitCase{"EndQuits", "click " + at(4) + "\n", false, false, {}, false, 1, {false}},
        ExitCase{"KeysChooseTheFirstAndTheLast", "key up\nwait 50\nkey down\nwait 50\nkey down\nwait 50\nkey up\nwait 50\nkey enter\n",
                 false, false, {}, true, 0, {false, true}}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

TEST_F(TitleTest, EndAnsweredNoKeepsTheMenu) {
  shell.confirmClose = false;
  setInput("wait 400\nclick " + at(4) + "\nwait 100\nclick " + at(4) + "\nwait 100\n" + kStart);
  load("menu\r\nB=1\r\n");
  run();
  EXPECT_EQ(shell.closes, 2);
  EXPECT_EQ(state().var('B'), 1);
}

TEST_F(TitleTest, HoverLightsOneButtonBetweenItsMarksAndPresentsOnlyOnChange) {
  struct Sample {
    std::uint32_t at = 0;
    std::uint64_t frames = 0;
    std::vector<int> buttonFrames;
    bool marks = false;
    int markLeftX = 0, markRightX = 0, markY = 0;
  };
  std::vector<Sample> samples(4);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i].at = static_cast<std::uint32_t>(700 + 200 * i);
  onPoll = [&] {
    for (Sample& s : samples) {
      if (s.frames != 0 || platform.ticks() < s.at) continue;
      s.frames = platform.presentedFrames();
      for (int i = 0; i < 5; ++i) s.buttonFrames.push_back(layer(kFirstButton + i).currentFrame());
      s.marks = layer(140).visible() && layer(141).visible();
      s.markLeftX = layer(140).x();
      s.markRightX = layer(141).x();
      s.markY = layer(140).y();
    }
  };
  // 600: over continue; 800: elsewhere on continue; 1000: over extras; 1200: off every button.
  setInput("wait 600\nmove " + at(1) + "\nwait 200\nmove 180 " + std::to_string(353 + 34 + 5) +
           "\nwait 200\nmove " + at(2) + "\nwait 200\nmove 600 100\nwait 200\nclick " + at(0) + "\n");
  load("menu\r\n");
  run();
  ASSERT_EQ(samples[3].buttonFrames.size(), 5u);
  EXPECT_EQ(samples[0].buttonFrames, (std::vector<int>{0, 1, 0, 0, 0}));
  EXPECT_TRUE(samples[0].marks);
  EXPECT_EQ(samples[0].markLeftX, 46);
  EXPECT_EQ(samples[0].markRightX, 204);
  EXPECT_EQ(samples[0].markY, 377);
  EXPECT_EQ(samples[1].frames, samples[0].frames) << "a move on the same button presents nothing";
  EXPECT_EQ(samples[2].buttonFrames, (std::vector<int>{0, 0, 1, 0, 0}));
  EXPECT_EQ(samples[2].markLeftX, 69);
  EXPECT_EQ(samples[2].markRightX, 180);
  EXPECT_EQ(samples[2].markY, 411);
  EXPECT_EQ(samples[2].frames, samples[1].frames + 1);
  EXPECT_EQ(samples[3].buttonFrames, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_FALSE(samples[3].marks);
}

TEST_F(TitleTest, AnimatedMarksMoveWhileTheyShowAndTheMenuRestsWhenNoneDoes) {
  layered("_MnMarkL", 56, 26, 0, 0, 56, 26, 200, 200, 0, 4);
  layered("_MnMarkR", 56, 26, 0, 0, 56, 26, 200, 200, 0, 4);
  std::set<int> markFrames;
  std::uint64_t restStart = 0, restEnd = 0;
  onPoll = [&] {
    const std::uint32_t t = platform.ticks();
    if (t >= 700 && t < 1300) markFrames.insert(layer(140).currentFrame());
    if (t >= 1500 && restStart == 0) restStart = platform.presentedFrames();
    if (t >= 2000 && restEnd == 0) restEnd = platform.presentedFrames();
  };
  // Over continue without moving, then off every button.
  setInput("wait 600\nmove " + at(1) + "\nwait 800\nmove 600 100\nwait 800\nclick " + at(0) + "\n");
  load("menu\r\n");
  run();
  EXPECT_GT(markFrames.size(), 1u) << "the marks kept still while the pointer did";
  EXPECT_EQ(restEnd, restStart) << "nothing changes on screen, so nothing is presented";
}

TEST_F(TitleTest, MenuShowsItsPicturesDisablesTheTitleItemAndPlaysTheTitleMusic) {
  ASSERT_TRUE(rt->sound().openDevice());
  writeTone("bgm12", 2.0);
  bool checked = false;
  onPoll = [&] {
    if (checked || !rt->story.switches.titleMenuWaiting) return;
    checked = true;
    EXPECT_TRUE(rt->story.switches.titleMenuOpen);
    EXPECT_EQ(shell.titleItem, (std::vector<bool>{false}));
    EXPECT_TRUE(layer(130).hasPicture());
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(layer(kFirstButton + i).x(), 115);
      EXPECT_EQ(layer(kFirstButton + i).y(), 295);
    }
    EXPECT_FALSE(layer(140).visible());
    SoundChannel* music = rt->sound().channel(SoundService::kMusicChannel);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->isPlaying());
  };
  setInput("wait 400\nclick " + at(0) + "\n");
  load("menu\r\n");
  run();
  EXPECT_TRUE(checked);
  // Leaving for a new game fades the title music out.
  SoundChannel* music = rt->sound().channel(SoundService::kMusicChannel);
  EXPECT_TRUE(music->empty() || music->fadeLevel() >= 0);
}

}  // namespace
}  // namespace ml::test
