#include <cstdlib>
#include <ctime>

#include "engine/game_content.h"
#include "title/title_fixture.h"

namespace ml::test {
namespace {

struct DateCase {
  const char* format;  // UTF-8
  LocalDateTime t;
  const char* expected;  // UTF-8
};

TEST(DateTextTest, FormatsAsTheTableSays) {
  const LocalDateTime march5{2007, 3, 5, 9, 5, 7};
  const DateCase cases[] = {
      {"%y年%m月%d日", march5, "２００７年３月５日"},
      {"%h:%n", march5, "０９:０５"},
      {"%H%N%S", {2026, 12, 31, 23, 59, 7}, "２３５９０７"},
      {"%Y/%M/%D", {2026, 12, 31, 0, 0, 0}, "２０２６/１２/３１"},
      {"%x%q[%y]", march5, "[２００７]"},      // other letters insert nothing
      {"100% 3%", march5, "100% 3%"},         // "%" before no letter stays, digits copied
      {"%%d", march5, "%５"},
      {"日付%", march5, "日付%"},
  };
  for (const DateCase& c : cases)
    EXPECT_EQ(sjisToUtf8(formatDateText(utf8ToSjis(c.format), c.t)), c.expected) << c.format;
  // A double-byte character is copied whole, whatever its second byte; a lead byte
  // left without one at the end is dropped.
  EXPECT_EQ(formatDateText("\x83\x6E%d", march5), "\x83\x6E\x82\x54");
  EXPECT_EQ(formatDateText("%d\x83", march5), "\x82\x54");
}

class BuiltinSceneTest : public TitleTest {
 protected:
  void SetUp() override {
    TitleTest::SetUp();
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

TEST_F(BuiltinSceneTest, DateDisplayShowsLocalTimeAndTheFirstFormWaitsForAClick) {
  // 2007-03-05 09:05:00 UTC.
  platform.setEpoch(1173085500);
  std::uint32_t clickedAt = 0, doneAt = 0;
  onPoll = [&] {
    if (clickedAt == 0 && platform.ticks() >= 500) clickedAt = platform.ticks();
  };
  setInput("wait 500\nclick 10 10\n");
  load("date_disp 120 80 %y年%m月%d日\r\nA=1\r\n");
  run();
  doneAt = platform.ticks();
  EXPECT_EQ(sjisToUtf8(layer(kMessageTextSlot).text()), "２００７年３月５日");
  EXPECT_EQ(layer(kMessageTextSlot).x(), 120);
  EXPECT_EQ(layer(kMessageTextSlot).y(), 80);
  EXPECT_GE(doneAt, 500u) << "date_disp waited for the click";

  // date_disp2 returns at once; in a jump nothing is shown.
  const std::uint32_t before = platform.ticks();
  load("date_disp2 0 0 %h:%n\r\n");
  sc().step();
  EXPECT_LT(platform.ticks() - before, 100u);
  EXPECT_EQ(sjisToUtf8(layer(kMessageTextSlot).text()), "０９:０５");
  load("date_disp2 0 0 %y\r\n");
  sc().fastForward = true;
  sc().step();
  EXPECT_EQ(sjisToUtf8(layer(kMessageTextSlot).text()), "０９:０５");
  EXPECT_TRUE(messages().empty());
}

// blue_sky: 60 frames per strip; the next starts when the one above has 45 left.
TEST_F(BuiltinSceneTest, SkyStripsFollowEachOtherAndEndWithTheThird) {
  for (const char* name : {"BlueSky1", "BlueSky2", "BlueSky3"}) layered(name, 800, 72, 0, 0, 800, 72, 40, 90, 200, 60);
  int firstAtSecond = -1, secondAtThird = -1;
  onPoll = [&] {
    if (firstAtSecond < 0 && layer(12).visible()) firstAtSecond = layer(10).currentFrame();
    if (secondAtThird < 0 && layer(14).visible()) secondAtThird = layer(12).currentFrame();
  };
  load("blue_sky\r\nA=1\r\n");
  run();
  EXPECT_EQ(firstAtSecond, 15);
  EXPECT_EQ(secondAtThird, 15);
  EXPECT_EQ(layer(10).y(), 200);
  EXPECT_EQ(layer(12).y(), 272);
  EXPECT_EQ(layer(14).y(), 345);
  EXPECT_TRUE(layer(14).isLastFrame());
  for (int s : {10, 12, 14}) EXPECT_FALSE(layer(s).visible()) << s;
  EXPECT_EQ(state().var('A'), 1);
  EXPECT_EQ(recordedName(state(), 1), "") << "the strips are not recorded";

  // A click ends it early and the strips stay on screen.
  setInput("wait 200\nclick 10 10\n");
  load("blue_sky\r\n");
  sc().step();
  EXPECT_TRUE(layer(10).visible());
  EXPECT_FALSE(layer(14).isLastFrame());
  EXPECT_TRUE(messages().empty());
}

class EndingTest : public BuiltinSceneTest {
 protected:
  void SetUp() override {
    BuiltinSceneTest::SetUp();
    rt->story.makePlaceholderPictures = true;  // the credits' pictures are the game's own
    ASSERT_TRUE(rt->sound().openDevice());
    layered("bg", 800, 600, 0, 0, 800, 600, 30, 30, 30);
  }
  SoundChannel& music() { return *rt->sound().channel(SoundService::kMusicChannel); }
};

// The credits run row by row: each text stays its row's seconds, counted from the end
// of its fade-in to the start of the fade-out (exact on the virtual clock, to a frame).
TEST_F(EndingTest, CreditsKeepEachRowItsSecondsAndEndInAnEmptyScene) {
  writeTone("bgm13", 1.0);
  struct Change {
    std::uint32_t at;
    bool coverShown;
  };
  std::vector<Change> changes;
  bool lastShown = false;
  int musicChecks = 0;
  onPoll = [&] {
    const bool shown = layer(43).visible();
    if (shown != lastShown) changes.push_back({platform.ticks(), shown});
    lastShown = shown;
    if (musicChecks == 0 && !layer(43).empty()) {
      ++musicChecks;
      EXPECT_EQ(music().cachedName(), "wav\\bgm13.wav");
    }
  };
  load(windowLine() + "bg bg FADE_NONE\r\nこんにちは\r\nret\r\nending staff\r\nA=1\r\n");
  setInput("wait 300\nclick 10 10\n");
  run();
  EXPECT_EQ(state().var('A'), 1);
  EXPECT_EQ(musicChecks, 1);

  // Row 1 is uncovered (the cover hides), stays 3 s, and the cover returns for row 2.
  const auto& rows = rt->media.content.credits;
  // The cover shows at each fade-in's start and hides at its end; a row's picture
  // fades in after its text, before the row's time starts.
  ASSERT_GE(changes.size(), 11u);
  for (std::size_t r = 0; r < 5; ++r) {
    const std::uint32_t uncovered = changes[2 * r + 1].at;  // cover hidden: text shown
    const std::uint32_t covered = changes[2 * r + 2].at;    // cover back over it
    ASSERT_FALSE(changes[2 * r + 1].coverShown);
    const long long held = static_cast<long long>(covered) - uncovered;
    EXPECT_GE(held, rows[r].duration * 1000LL) << "row " << r;
    EXPECT_LE(held, rows[r].duration * 1000LL + (rows[r].picture.empty() ? 20 : 400)) << "row " << r;
  }
  for (int s : {0, 10, 12, 14, 43}) EXPECT_TRUE(layer(s).empty()) << s;
  for (int k = 0; k < 4; ++k) EXPECT_EQ(recordedName(state(), k), "") << k;
  EXPECT_TRUE(rt->story.switches.messageWindowActive) << "the window is back";
  EXPECT_TRUE(music().empty() || music().fadeLevel() >= 0);
  EXPECT_TRUE(messages().empty()) << messages().front();
}

TEST_F(EndingTest, AClickSkipsToTheEndEmptiesTheSceneAndFadesTheMusicAtOnce) {
  writeTone("bgm13", 60.0);
  std::uint32_t creditsAt = 0;
  onPoll = [&] {
    if (creditsAt == 0 && !layer(43).empty()) creditsAt = platform.ticks();
  };
  load(windowLine() + "bg bg FADE_NONE\r\nending staff\r\nA=1\r\n");
  // The first click lands during the first row.
  setInput("wait 1500\nclick 10 10\n");
  run();
  EXPECT_EQ(state().var('A'), 1);
  EXPECT_LT(platform.ticks() - creditsAt, 2500u) << "the credits did not run on";
  for (int s : {0, 10, 12, 14, 43}) EXPECT_TRUE(layer(s).empty()) << s;
  EXPECT_GE(music().fadeLevel(), 0) << "the music is fading";
  EXPECT_FALSE(music().empty());
  EXPECT_TRUE(messages().empty()) << messages().front();
}

}  // namespace
}  // namespace ml::test
