#include <algorithm>

#include "message_fixture.h"
#include "tools/common/bmp_writer.h"

namespace ml::test {
namespace {

using PageDisplayTest = MessageTest;

TEST_F(PageDisplayTest, TypewriterHoldsEachCharacterForItsFramesThenWaitsForAClick) {
  // (24 + 8) / 16 = 2 frames per character.
  rt->media.settings.message.speed = 24;
  std::vector<int> reveals;
  std::uint64_t framesAtWait = 0;
  onPoll = [&] {
    if (sc().waitingForClick) {
      if (framesAtWait == 0) framesAtWait = platform.presentedFrames();
      return;
    }
    reveals.push_back(layer(kMessageTextSlot).reveal());
  };
  setInput("wait 2000\nclick\n");
  load(windowLine() + "あいうえお\r\n");
  step();  // window
  const std::uint32_t before = platform.ticks();
  step();  // the page
  EXPECT_EQ(framesAtWait, 10u);
  // Seen at each poll: everything (before the first frame), then 1, 1, 2, 2, ... 5, 5.
  std::vector<int> expected = {Sprite::kRevealAll, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
  EXPECT_EQ(reveals, expected);
  EXPECT_GE(platform.ticks() - before, 2000u);  // the page waited for the click
  EXPECT_TRUE(sc().newPage);
  EXPECT_TRUE(layer(kMessageTextSlot).empty());
  EXPECT_FALSE(sc().waitingForClick);
}

TEST_F(PageDisplayTest, FastSpeedsShowThePageAtOnceAndAClickDuringTheRevealOnlyCompletesIt) {
  rt->media.settings.message.speed = 7;  // below the typewriter's threshold
  std::uint64_t framesAtWait = 0;
  onPoll = [&] {
    if (sc().waitingForClick && framesAtWait == 0) framesAtWait = platform.presentedFrames() + 1;
  };
  setInput("click\n");
  load(windowLine() + "あいうえお\r\n");
  run(2);
  EXPECT_EQ(framesAtWait, 1u);  // no frame before the wait began

  // A click while the text appears shows the rest; the next click ends the page.
  rt->media.settings.message.speed = 40;  // 3 frames per character
  setAutoMode(*rt, true);
  std::vector<int> revealsAtWait;
  onPoll = [&] {
    if (sc().waitingForClick && revealsAtWait.empty()) revealsAtWait.push_back(layer(kMessageTextSlot).reveal());
  };
  setInput("frames 4\nclick\nwait 1000\nclick\n");
  load(windowLine() + "かきくけこさしすせそ\r\n");
  const std::uint32_t before = platform.ticks();
  run(2);
  ASSERT_EQ(revealsAtWait.size(), 1u);
  EXPECT_EQ(revealsAtWait[0], Sprite::kRevealAll);
  EXPECT_FALSE(autoMode(*rt));  // the click switched auto off
  EXPECT_GE(platform.ticks() - before, 1000u);
}

TEST_F(PageDisplayTest, CtrlPassesSkippablePagesButStopsAtRetNoskip) {
  state().autoReturnOff() = 1;
  platform.setCtrlHeld(true);
  setInput("wait 3000\nctrl up\nclick\nwait 100\nctrl down\n");
  load(windowLine() + "一頁\r\nret\r\n二頁\r\nret_noskip\r\n三頁\r\nret\r\n");
  std::vector<std::uint32_t> ends;
  for (int i = 0; i < 20 && ends.size() < 3; ++i) {
    sc().peekWord(sc().word, ScriptContext::kWordCapacity);
    const bool pageEnd = std::string(sc().word).rfind("ret", 0) == 0;
    step();
    if (pageEnd) ends.push_back(platform.ticks());
  }
  ASSERT_EQ(ends.size(), 3u);
  EXPECT_LT(ends[0], 100u);    // passed at once
  EXPECT_GE(ends[1], 3000u);   // waited for the click despite Ctrl
  EXPECT_GE(ends[2], ends[1]);
}

TEST_F(PageDisplayTest, AutoModeWaitsTheConfiguredDelayAfterThePage) {
  rt->media.settings.skip.wait = 5;  // 5 x 19 + 100 = 195 ms
  rt->media.settings.skip.unread = false;
  setAutoMode(*rt, true);
  load(windowLine() + "自動\r\n次\r\n");
  step();
  const std::uint32_t before = platform.ticks();
  step();
  const std::uint32_t spent = platform.ticks() - before;
  EXPECT_GT(spent, 195u);
  EXPECT_LE(spent, 195u + 33u + 10u);
  EXPECT_TRUE(autoMode(*rt));

  // Not on a page that may not be skipped.
  state().autoReturnOff() = 1;
  setInput("wait 1000\nclick\n");
  load(windowLine() + "止まる\r\nret_noskip\r\n");
  const std::uint32_t start = platform.ticks();
  run();
  EXPECT_GE(platform.ticks() - start, 1000u);

  // An unread page switches auto mode off when Skip/Unread asks for it.
  rt->media.settings.skip.unread = true;
  state().autoReturnOff() = 0;
  setInput("wait 1000\nclick\n");
  load(windowLine() + "未読の頁\r\n", "unread");
  const std::uint32_t unreadStart = platform.ticks();
  run();
  EXPECT_FALSE(autoMode(*rt));
  EXPECT_GE(platform.ticks() - unreadStart, 1000u);
}

TEST_F(PageDisplayTest, AClickInAutoOrSkipModeOnlySwitchesTheModeOff) {
  rt->media.settings.skip.wait = 100;  // 2000 ms
  rt->media.settings.skip.unread = false;
  rt->media.settings.skip2.unread = false;
  setAutoMode(*rt, true);
  bool offAfterFirstClick = false;
  onPoll = [&] {
    if (platform.ticks() >= 600 && platform.ticks() < 700) offAfterFirstClick = !autoMode(*rt);
  };
  setInput("wait 500\nclick\nwait 3000\nclick\n");
  load(windowLine() + "頁\r\n");
  run(2);
  EXPECT_TRUE(offAfterFirstClick);
  EXPECT_GE(platform.ticks(), 3500u);  // the page stayed until the second click

  rt->media.settings.skip2.wait = 255;  // 1020 ms per page in skip mode
  setSkipMode(*rt, true);
  setInput("wait 300\nclick\nwait 2000\nclick\n");
  load(windowLine() + "頁\r\n");
  const std::uint32_t start = platform.ticks();
  run(2);
  EXPECT_FALSE(skipMode(*rt));
  EXPECT_GE(platform.ticks() - start, 2300u);
}

TEST_F(PageDisplayTest, SkipModeStopsAtTheFirstUnreadPageAndShowsItWhite) {
  rt->media.settings.skip2.wait = 5;
  const std::string script = windowLine() + "vo a01\r\n読んだ\r\nvo a02\r\n未読\r\n";
  load(script);
  // The first page was read in an earlier play-through.
  rt->media.readStatus.isRead(sc().scriptPath, 0, true);
  setSkipMode(*rt, true);
  setInput("wait 2000\nclick\n");
  std::uint32_t firstPageEnd = 0;
  runUntil("未読");
  firstPageEnd = platform.ticks();
  bool whiteWhileWaiting = false;
  onPoll = [&] {
    if (sc().waitingForClick && !whiteWhileWaiting)
      whiteWhileWaiting = brightest(compose(), 0, 450, 800, 150) == 255;
  };
  step();
  EXPECT_LT(firstPageEnd, 200u);  // the read page passed after the skip delay
  EXPECT_FALSE(skipMode(*rt));
  EXPECT_GE(platform.ticks(), 2000u);
  EXPECT_TRUE(whiteWhileWaiting);
  EXPECT_TRUE(rt->media.readStatus.isRead(sc().scriptPath, 1, false));

  // With Skip2/Unread off skip mode runs on over unread pages.
  rt->media.settings.skip2.unread = false;
  setSkipMode(*rt, true);
  load(windowLine() + "vo b01\r\n新しい\r\n", "other");
  const std::uint32_t start = platform.ticks();
  run();
  EXPECT_TRUE(skipMode(*rt));
  EXPECT_LT(platform.ticks() - start, 200u);
}

TEST_F(PageDisplayTest, ReadPagesAreGreyInALaterRunWithTheSameStore) {
  rt->media.settings.message.readedLumi = 128;
  const std::string script = windowLine() + "vo x01\r\n同じ頁\r\n";
  int firstRun = 0, secondRun = 0;
  onPoll = [&] {
    if (sc().waitingForClick && firstRun == 0) firstRun = brightest(compose(), 0, 450, 800, 150);
  };
  setInput("click\n");
  load(script);
  run();
  const std::string storePath = (dir_ / "SaveXXX.dat").string();
  ASSERT_TRUE(rt->media.readStatus.save(storePath));

  makeRuntime();  // the next run of the program
  rt->media.settings.message.readedLumi = 128;
  ASSERT_TRUE(rt->media.readStatus.load(storePath));
  onPoll = [&] {
    if (sc().waitingForClick && secondRun == 0) secondRun = brightest(compose(), 0, 450, 800, 150);
  };
  setInput("click\n");
  load(script);
  run();
  EXPECT_EQ(firstRun, 255);
  EXPECT_EQ(secondRun, 128);
  EXPECT_EQ(readPageColour(sc()), greyText(128));

  // Message/Readed off keeps read pages white; without read tracking nothing is marked.
  rt->media.settings.message.readed = false;
  EXPECT_EQ(readPageColour(sc()), kWhiteText);
  rt->media.settings.message.readed = true;
  writeScript("vo y01\r\n頁\r\n", "untracked");
  setInput("click\n");
  load(windowLine() + "set_read_mode 1\r\nchange untracked\r\n", "tracked");
  run();
  EXPECT_EQ(state().readTrackingOff(), 1);
  EXPECT_EQ(rt->media.readStatus.entryCount(), 2);  // the second script was never registered
  EXPECT_EQ(readPageColour(sc()), kWhiteText);
}

TEST_F(PageDisplayTest, AJumpToTheNextChoicePassesPagesUntilOneMayNotBeSkipped) {
  rt->media.settings.skipSelect.unread = false;
  state().autoReturnOff() = 1;
  setInput("wait 500\nclick\n");
  load(windowLine() + "一\r\nret\r\n二\r\nret\r\n三\r\nret_noskip\r\n");
  step();
  sc().fastForward = true;
  runUntil("三");
  EXPECT_EQ(platform.presentedFrames(), 0u);  // nothing was drawn or waited for
  run();
  EXPECT_FALSE(sc().fastForward);
  EXPECT_GE(platform.ticks(), 500u);  // the page that ended the jump was shown and waited

  // With SkipSelect/Unread the first unread page ends the jump.
  rt->media.settings.skipSelect.unread = true;
  setInput("wait 500\nclick\n");
  load(windowLine() + "vo u01\r\n四\r\nret\r\n", "unread");
  sc().fastForward = true;
  const std::uint32_t start = platform.ticks();
  run();
  EXPECT_FALSE(sc().fastForward);
  EXPECT_GE(platform.ticks() - start, 500u);
}

TEST_F(PageDisplayTest, AJumpRequestedWhileAPageWaitsEndsTheWaitAtOnce) {
  // The menu item, Shift+Down and the debug jump only switch the jump on; the waiting
  // page sees it, puts up the skip indicator and moves on without a click.
  rt->media.settings.skipSelect.unread = false;
  state().autoReturnOff() = 1;
  writeBytes("cg/_Skip.bmp", tools::writeBmp24(tools::RgbaImage(160, 30, 90, 90, 90, 255)));
  std::uint32_t requestedAt = 0;
  onPoll = [&] {
    if (sc().waitingForClick && platform.ticks() >= 300 && requestedAt == 0) {
      requestedAt = platform.ticks();
      sc().fastForward = true;
    }
  };
  setInput("wait 5000\nclick\n");  // a click only if the wait did not end by itself
  load(windowLine() + "一\r\nret\r\n二\r\nret\r\n");
  step();
  step();  // the first page
  step();  // ret: shown, then left once the jump was asked for
  EXPECT_GT(requestedAt, 0u);
  EXPECT_LT(platform.ticks() - requestedAt, 100u);
  EXPECT_TRUE(sc().fastForward);
  EXPECT_TRUE(layer(kModeIndicatorSlot).hasPicture());
  EXPECT_FALSE(sc().waitingForClick);
  onPoll = nullptr;
  const std::uint64_t frames = platform.presentedFrames();
  run();  // the second page is passed without a frame
  EXPECT_EQ(platform.presentedFrames(), frames);
}

TEST_F(PageDisplayTest, InactiveWindowStopsAutoAdvanceAndPresentsNothing) {
  rt->media.settings.skip.unread = false;
  setAutoMode(*rt, true);
  platform.setActive(false);
  setInput("wait 2000\nactivate\n");
  load(windowLine() + "頁\r\n");
  step();
  const std::uint64_t frames = platform.presentedFrames();
  std::uint64_t framesWhileInactive = 0;
  onPoll = [&] {
    if (platform.windowActive()) return;
    framesWhileInactive = platform.presentedFrames() - frames;
  };
  step();
  EXPECT_EQ(framesWhileInactive, 0u);
  EXPECT_GE(platform.ticks(), 2000u);  // auto mode went on only once the window was active
  EXPECT_TRUE(autoMode(*rt));
}

TEST_F(PageDisplayTest, ReadRateLineFollowsTheStoreAndTheChosenCorner) {
  load(windowLine() + "vo z01\r\n頁\r\n");
  rt->media.readStatus.isRead(sc().scriptPath, 0, true);
  updateReadRateLine(*rt);
  Sprite& line = layer(kStatusLineSlot);
  const std::string text = "既読率 1/2667";
  EXPECT_EQ(sjisToUtf8(line.text()), text);
  EXPECT_EQ(line.x(), 12);
  EXPECT_EQ(line.y(), 0);
  rt->media.settings.display.timeTop = 3;
  updateReadRateLine(*rt);
  const int length = static_cast<int>(utf8ToSjis(text).size());
  EXPECT_EQ(line.x(), 788 - 12 * length);
  EXPECT_EQ(line.y(), 576);
}

TEST_F(PageDisplayTest, OtherPlayerNamesSelectTheSecondVoiceOnce) {
  rt->media.textRules.setGivenName(SJ("アキラ"));
  setInput("click\nwait 100\nclick\n");
  load(windowLine() + "vo v01\r\n●名●さん\r\n●名●くん\r\n");
  step();
  std::strcpy(state().voiceName, "v01");
  run();
  // Two pages after one voice command: the suffix is added once.
  EXPECT_STREQ(state().voiceName, "v01-2");

  rt->media.textRules.setGivenName(SJ("ヨルク"));
  std::strcpy(state().voiceName, "v02");
  setInput("click\n");
  load(windowLine() + "●名●と▲氏▲\r\n", "second");
  run();
  EXPECT_STREQ(state().voiceName, "v02");  // the first placeholder has the default name
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

// The page display hands each shown page to the backlog and its voice to the sound
// service, whichever objects are installed.
TEST_F(PageDisplayTest, EachPageGoesToTheBacklogAndPlaysItsVoiceThroughTheServices) {
  struct Backlog : BacklogService {
    int pages = 0;
    void addEntry(ScriptContext&, const char* choice) override { pages += choice == nullptr; }
  };
  struct Voice : SoundService {
    int played = 0;
    bool openDevice() override { return true; }
    void stopChannel(int) override {}
    void stopAllChannels() override {}
    void serviceChannels() override {}
    void playPageVoice(ScriptContext&, bool fromBacklog, const BacklogEntry*, bool) override { played += !fromBacklog; }
    bool voicePlaying() override { return false; }
    void restartRecordedSounds(ScriptContext&) override {}
  };
  auto backlog = std::make_unique<Backlog>();
  auto voice = std::make_unique<Voice>();
  Backlog* b = backlog.get();
  Voice* v = voice.get();
  rt->installBacklog(std::move(backlog));
  rt->installSound(std::move(voice));
  state().autoReturnOff() = 1;
  setInput("wait 3000\nclick\nwait 3000\nclick\n");
  load(windowLine() + "一頁\r\nret\r\n二頁\r\nret\r\n");
  for (int i = 0; i < 5; ++i) step();
  EXPECT_EQ(b->pages, 2);
  EXPECT_EQ(v->played, 2);
}

}  // namespace
}  // namespace ml::test
