#include <algorithm>
#include <cstdlib>

#include "message_fixture.h"

namespace ml::test {
namespace {

using MessageWindowTest = MessageTest;

TEST_F(MessageWindowTest, WindowCommandRecordsTheGeometryAndLoadsItsParts) {
  rt->media.settings.window.alpha = 100;
  load("window 0 10 400 7 8 20 30 18 3 win 5 6\r\n");
  step();
  const GameState& st = state();
  EXPECT_EQ(st.windowX, 10);
  EXPECT_EQ(st.windowY, 400);
  EXPECT_EQ(st.windowUnused[0], 7);
  EXPECT_EQ(st.windowUnused[1], 8);
  EXPECT_EQ(st.textOffsetX, 20);
  EXPECT_EQ(st.textOffsetY, 30);
  EXPECT_EQ(st.windowColumns, 18);
  EXPECT_EQ(st.windowRows, 3);
  EXPECT_EQ(st.windowPictureOffsetX, 5);
  EXPECT_EQ(st.windowPictureOffsetY, 6);
  EXPECT_STREQ(st.windowPicture, "win");
  EXPECT_TRUE(rt->story.switches.messageWindowActive);
  EXPECT_EQ(layer(kWindowPictureSlot).name(), "cg\\win.psd");
  EXPECT_EQ(layer(kWindowPictureSlot).x(), 15);
  EXPECT_EQ(layer(kWindowPictureSlot).y(), 406);
  EXPECT_EQ(layer(kWindowPictureSlot).alpha(), 100);
  EXPECT_EQ(layer(kWindowFrameSlot).x(), 10);
  EXPECT_EQ(layer(kWindowFrameSlot).y(), 400);
  // The board lies under the picture, in its size.
  EXPECT_EQ(layer(kWindowBoardSlot).name(), "MESSAGE_BOX");
  EXPECT_EQ(layer(kWindowBoardSlot).width(), 800);
  EXPECT_EQ(layer(kWindowBoardSlot).x(), 15);
  EXPECT_TRUE(messages().empty());
}

TEST_F(MessageWindowTest, BadWindowKindsAndMissingPicturesAreReported) {
  load("window 1 0 0 0 0 0 0 10 2 win 0 0\r\nwindow 0 0 450 0 0 20 20 20 4 nope 0 0\r\n");
  step();
  ASSERT_EQ(reporter.entries.size(), 1u);
  EXPECT_EQ(sjisToUtf8(reporter.entries[0].message), "現在サポートされていないウィンドウＮｏ．");
  EXPECT_EQ(reporter.entries[0].detail, "1");
  EXPECT_EQ(state().windowColumns, 0);  // nothing recorded
  step();
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1], "ファイルが存在しない");
  EXPECT_EQ(reporter.entries[1].detail, "cg\\nope.psd");
  EXPECT_TRUE(rt->story.switches.messageWindowActive);  // active, without a picture
  EXPECT_TRUE(layer(kWindowPictureSlot).empty());
  EXPECT_EQ(state().windowColumns, 20);
}

TEST_F(MessageWindowTest, PageTextUsesTheWindowAndTheTextSize) {
  setInput("click\nwait 100\nclick\n");
  load(windowLine() + "moji 2\r\n大きい\r\nmoji 3\r\n普通\r\n");
  run(3);
  EXPECT_EQ(state().textSizeCode(), 1);
  EXPECT_EQ(pageTextSize(state().textSizeCode()), 36);
  EXPECT_EQ(rt->scene.messageFonts.large->height(), 36);
  run(2);
  // moji 3 is not one of the large sizes: 24 pixels.
  EXPECT_EQ(state().textSizeCode(), 2);
  EXPECT_EQ(pageTextSize(state().textSizeCode()), 24);
  EXPECT_EQ(rt->scene.messageFonts.large->height(), 24);
  // A return to the title resets it.
  resetTextSize(*rt);
  EXPECT_EQ(state().textSizeCode(), 0);
}

TEST_F(MessageWindowTest, WrappedPageHangsPunctuationAndIndentsAfterABracket) {
  // Five columns of 24 pixels, lines 28 pixels apart, text at (20, 470).
  load(windowLine(5, 4) + "「あいうえおか」\r\n");
  step();
  bool checked = false;
  onPoll = [&] {
    if (!sc().waitingForClick || checked) return;
    checked = true;
    const std::uint32_t* f = compose();
    auto lit = [&](int column, int line) { return brightest(f, 20 + 24 * column + 2, 470 + 28 * line + 2, 20, 20) > 200; };
    // Line 1: 「あいう and the fourth cell of the first line holds う; え moves on.
    EXPECT_TRUE(lit(0, 0));
    EXPECT_TRUE(lit(3, 0));
    EXPECT_FALSE(lit(4, 0));  // the last column takes only hanging punctuation
    // Line 2 is indented one cell past the bracket: えおか, then 」 hangs in column 4.
    EXPECT_FALSE(lit(0, 1));
    EXPECT_TRUE(lit(1, 1));
    EXPECT_TRUE(lit(3, 1));
    EXPECT_TRUE(lit(4, 1));
    EXPECT_FALSE(lit(1, 2));
  };
  setInput("click\n");
  step();
  EXPECT_TRUE(checked);

  // def_kinsoku without 」 makes it start the next line; def_indent without 「 stops
  // the indentation.
  checked = false;
  onPoll = [&] {
    if (!sc().waitingForClick || checked) return;
    checked = true;
    const std::uint32_t* f = compose();
    auto lit = [&](int column, int line) { return brightest(f, 20 + 24 * column + 2, 470 + 28 * line + 2, 20, 20) > 200; };
    EXPECT_TRUE(lit(0, 1));   // no indentation
    EXPECT_FALSE(lit(4, 1));  // 」 no longer hangs in the last column...
    EXPECT_TRUE(lit(0, 2));   // ...it starts the third line
    EXPECT_FALSE(lit(1, 2));
  };
  setInput("click\n");
  load("def_indent （\r\ndef_kinsoku 。\r\n" + windowLine(5, 4) + "「あいうえおかき」\r\n", "rules");
  run();
  EXPECT_TRUE(checked);
  EXPECT_EQ(rt->media.textRules.openingBrackets(), SJ("（"));
}

TEST_F(MessageWindowTest, KeyWaitIconFollowsTheTextOrStandsAtTheFixedPoint) {
  std::vector<std::pair<int, int>> positions;
  std::vector<int> frames;
  onPoll = [&] {
    Sprite& icon = layer(kKeyWaitSlot);
    if (sc().waitingForClick && icon.visible()) {
      positions.emplace_back(icon.x(), icon.y());
      frames.push_back(icon.currentFrame());
    }
  };
  setInput("wait 400\nclick\nwait 100\nclick\n");
  load(windowLine() + "あいう\r\n二行目の\\nかきくけ\r\n");
  step();
  step();
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.front(), std::make_pair(20 + 72, 470));  // after う
  // Animated back and forth on the idle frames: ... 0 1 2 1 0 1 2 ...
  ASSERT_GE(frames.size(), 6u);
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
    EXPECT_EQ(std::abs(frames[i + 1] - frames[i]), 1) << i;
    EXPECT_TRUE(frames[i] >= 0 && frames[i] <= 2);
  }
  EXPECT_NE(std::find(frames.begin(), frames.end(), 0), frames.end());
  EXPECT_NE(std::find(frames.begin(), frames.end(), 2), frames.end());

  positions.clear();
  step();
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.front(), std::make_pair(20 + 96, 470 + 28));  // after the second line

  rt->media.settings.message.retPosi = 1;
  positions.clear();
  setInput("wait 100\nclick\n");
  load(windowLine() + "何でも\r\n", "fixed");
  run();
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.front(), std::make_pair(kFixedKeyWaitX, kFixedKeyWaitY));
  EXPECT_FALSE(layer(kKeyWaitSlot).visible());  // hidden once the page ends
}

TEST_F(MessageWindowTest, IdleFramesKeepTheWindowUnderTheKeyWaitIcon) {
  // An icon that covers only part of its picture, so that what lies under the rest of
  // its rectangle shows; a red background composed before the window came back.
  layered("_Ret", 16, 16, 0, 0, 4, 4, 10, 60, 10, 3);
  layered("red", 800, 600, 0, 0, 800, 600, 200, 0, 0);
  std::uint32_t inside = 0, outside = 0;
  onPoll = [&] {
    const Sprite& icon = layer(kKeyWaitSlot);
    if (!sc().waitingForClick || !icon.visible() || platform.lastFrame().empty()) return;
    const int y = icon.y() + 12;
    inside = platform.lastFrame()[std::size_t(y) * 800 + icon.x() + 12];
    outside = platform.lastFrame()[std::size_t(y) * 800 + icon.x() + 40];
  };
  // The window defined only after the scene, or shown again after the scene changed.
  for (const std::string& order : {"bg red FADE_NONE\r\n" + windowLine(),
                                   windowLine() + "window_off\r\nbg red FADE_NONE\r\nwindow_on\r\n"}) {
    setInput("wait 500\nclick\n");
    load(order + "あ\r\n");
    run();
    ASSERT_NE(outside, 0u) << order;
    EXPECT_EQ(inside, outside) << order;  // the window, not the background, around the icon
    EXPECT_NE(inside & 0xFFFFFF, 0xC80000u) << order;
  }
}

TEST_F(MessageWindowTest, SpeakerNameIsCentredOnThePlateForOnePage) {
  // Plate at (40, 400), text offset (10, 8), 8 columns: a field of 8 x 24 pixels.
  setInput("click\nwait 100\nclick\nwait 100\nclick\n");
  bool plateShown = false;
  int nameX = 0;
  std::string nameText;
  onPoll = [&] {
    if (!sc().waitingForClick || !nameText.empty()) return;
    nameText = layer(kSpeakerNameSlot).text();
    nameX = layer(kSpeakerNameSlot).x();
    plateShown = layer(kPlatePictureSlot).hasPicture() && layer(kPlateFrameSlot).hasPicture();
  };
  load(windowLine() + "window 2 40 400 0 0 10 8 8 1 nam 0 -4\r\nmsg2 ミナ\r\n台詞\r\n地の文\r\n");
  run(4);
  EXPECT_EQ(sjisToUtf8(nameText), "ミナ");
  EXPECT_EQ(nameX, 40 + 10 + 8 * 12 - 4 * 6);
  EXPECT_TRUE(layer(kSpeakerNameSlot).empty());  // given up with the page
  EXPECT_TRUE(plateShown);
  EXPECT_FALSE(sc().speakerName.has_value());
  EXPECT_TRUE(layer(kPlatePictureSlot).empty());

  // The next page has no speaker: no plate.
  nameText.clear();
  plateShown = true;
  onPoll = [&] {
    if (sc().waitingForClick) plateShown = plateShown && !layer(kPlatePictureSlot).empty();
  };
  run(1);
  EXPECT_FALSE(plateShown);

  // A plate without a picture shows only the name, measured with the player's name in
  // place of the placeholder.
  rt->media.textRules.setGivenName(SJ("アキラ"));
  nameText.clear();
  onPoll = [&] {
    if (!sc().waitingForClick || !nameText.empty()) return;
    nameText = layer(kSpeakerNameSlot).text();
    nameX = layer(kSpeakerNameSlot).x();
    plateShown = !layer(kPlatePictureSlot).empty();
  };
  setInput("click\n");
  load(windowLine() + "window 2 40 400 0 0 10 8 8 1 NULL 0 0\r\nmsg2 ●名●\r\n台詞\r\n", "noplate");
  run();
  EXPECT_EQ(sjisToUtf8(nameText), "●名●");
  EXPECT_EQ(nameX, 40 + 10 + 8 * 12 - 6 * 6);
  EXPECT_FALSE(plateShown);
}

TEST_F(MessageWindowTest, SpeakerNamesAreCutToTheirBuffer) {
  load("window 2 0 0 0 0 0 0 8 1 NULL 0 0\r\n");
  step();
  // One row: 22 bytes with the terminator; 21 bytes of text are kept, on a character
  // boundary.
  setSpeakerName(sc(), SJ("あいうえおかきくけこさしす"));
  EXPECT_EQ(sjisToUtf8(*sc().speakerName), "あいうえおかきくけこ");
  state().namePlateRows = 0;
  setSpeakerName(sc(), SJ("名前"));
  EXPECT_EQ(*sc().speakerName, "");
}

TEST_F(MessageWindowTest, WindowOffAndOnRememberWhatWasVisible) {
  load(windowLine() + "window_off\r\nwindow_off\r\nwindow_on\r\nwindow_on\r\n");
  step();
  layer(45).makeBox(10, 10);  // a slot of the window's range that stays hidden
  layer(45).setVisible(false);
  step();
  EXPECT_EQ(state().windowHidden(), 1);
  EXPECT_FALSE(rt->story.switches.messageWindowActive);
  EXPECT_FALSE(layer(kWindowPictureSlot).visible());
  EXPECT_FALSE(layer(kWindowFrameSlot).visible());
  step();  // hiding twice keeps what the first hide remembered
  step();
  EXPECT_EQ(state().windowHidden(), 0);
  EXPECT_TRUE(rt->story.switches.messageWindowActive);
  EXPECT_TRUE(layer(kWindowPictureSlot).visible());
  EXPECT_TRUE(layer(kWindowFrameSlot).visible());
  EXPECT_FALSE(layer(45).visible());
  step();  // showing a shown window changes nothing
  EXPECT_TRUE(layer(kWindowPictureSlot).visible());
  EXPECT_FALSE(layer(45).visible());

  // A loaded game that was saved with the window hidden gets it back hidden.
  layer(kWindowPictureSlot).release();
  state().windowHidden() = 1;
  reloadMessageWindow(sc());
  EXPECT_EQ(layer(kWindowPictureSlot).name(), "cg\\win.psd");
  EXPECT_FALSE(layer(kWindowPictureSlot).visible());
  EXPECT_FALSE(rt->story.switches.messageWindowActive);
  windowOn(sc());
  EXPECT_TRUE(layer(kWindowPictureSlot).visible());
}

TEST_F(MessageWindowTest, EscapeHidesTheWindowAndTheNextClickOnlyShowsItAgain) {
  // The quick items of the menus follow the window.
  struct Menus : ShellHooks {
    std::string calls;
    void setQuickItems(bool on) override { calls += on ? "Q" : "q"; }
    void refreshSaveMenus(bool on) override { calls += on ? "R" : "r"; }
  } menus;
  ShellHooks* saved = rt->shell;
  rt->shell = &menus;
  layer(140).makeBox(10, 10);  // a choice on screen
  bool hiddenSeen = false;
  onPoll = [&] {
    if (sc().waitingForClick && !rt->story.switches.messageWindowActive)
      hiddenSeen = !layer(kMessageTextSlot).visible() && !layer(140).visible();
  };
  setInput("wait 100\nkey escape\nwait 100\nclick\nwait 500\nclick\n");
  load(windowLine() + "頁\r\n");
  step();
  const std::uint32_t start = platform.ticks();
  step();
  EXPECT_TRUE(hiddenSeen);
  EXPECT_GE(platform.ticks() - start, 700u);  // the click that showed the window did not advance
  EXPECT_TRUE(rt->story.switches.messageWindowActive);
  EXPECT_TRUE(layer(140).visible());
  EXPECT_TRUE(layer(kWindowPictureSlot).visible());
  // Page shown (enabled), hidden (quick items off), shown again, page over (disabled).
  EXPECT_EQ(menus.calls, "RqRr");
  rt->shell = saved;
}

TEST_F(MessageWindowTest, ButtonBarFollowsTheWindowAndTheSettings) {
  rt->media.settings.window.icon = false;
  rt->media.settings.window.board = false;
  bool checked = false;
  onPoll = [&] {
    if (!sc().waitingForClick || checked) return;
    checked = true;
    EXPECT_EQ(layer(51).x(), 0 + 188);
    EXPECT_EQ(layer(51).y(), 450 + 39);
    EXPECT_FALSE(layer(51).visible());  // Window/Icon off
    EXPECT_FALSE(layer(kWindowBoardSlot).visible());
    EXPECT_TRUE(layer(kWindowPictureSlot).visible());
    EXPECT_TRUE(layer(55).hasPicture());  // the main game has the choice buttons
    EXPECT_FALSE(layer(54).visible());    // no last choice to return to
  };
  setInput("click\n");
  load(windowLine() + "頁\r\n");
  run(2);
  EXPECT_TRUE(checked);
  for (int i = 50; i <= 60; ++i) EXPECT_TRUE(layer(i).empty()) << i;
}

}  // namespace
}  // namespace ml::test
