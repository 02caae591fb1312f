// Start-up, frame loop, title return and shutdown through the headless platform.
#include <gtest/gtest.h>

#include "app/headless_shell.h"
#include "shell_fixture.h"

namespace ml::test {
namespace {

TEST(StartUp, QuickSavesGoOutsideDebugModeOnly) {
  {
    HeadlessGame g;
    g.dir.write("Save800.dat", "q");
    g.dir.write("Save900.dat", "p");
    g.dir.write("Save001.dat", "s");
    g.make();
    EXPECT_FALSE(g.dir.exists("Save800.dat"));
    EXPECT_FALSE(g.dir.exists("Save900.dat"));
    EXPECT_TRUE(g.dir.exists("Save001.dat"));
  }
  {
    HeadlessGame g(true);
    g.dir.write("Save800.dat", "q");
    g.dir.write("Save900.dat", "p");
    g.make();
    EXPECT_TRUE(g.dir.exists("Save800.dat"));
    EXPECT_TRUE(g.dir.exists("Save900.dat"));
  }
}

TEST(StartUp, CommandLineDebugWordIsExactAndFirst) {
  auto parse = [](std::vector<std::string> args, AppOptions& o) {
    std::vector<char*> argv{const_cast<char*>("mirelune")};
    for (auto& a : args) argv.push_back(a.data());
    std::string err;
    return parseCommandLine(static_cast<int>(argv.size()), argv.data(), o, err);
  };
  AppOptions o;
  EXPECT_TRUE(parse({"--game", "/g", "OpenDebugMode"}, o));
  EXPECT_TRUE(o.debugMode);
  EXPECT_EQ(o.gameDir, "/g");
  AppOptions lower;
  EXPECT_FALSE(parse({"opendebugmode"}, lower));
  EXPECT_FALSE(lower.debugMode);
  AppOptions second;
  EXPECT_FALSE(parse({"x", "OpenDebugMode"}, second));  // a stray word is refused
  EXPECT_FALSE(second.debugMode);
  AppOptions closed;
  EXPECT_TRUE(parse({"CloseDebugMode"}, closed));
  EXPECT_FALSE(closed.debugMode);
  AppOptions bad;
  EXPECT_FALSE(parse({"--bogus"}, bad));
  EXPECT_FALSE(parse({"--game"}, bad));
}

TEST(StartUp, OrderedSequenceReachesTheFrameLoop) {
  HeadlessGame g;
  g.platform.setRefreshRates({60, 75});
  Application& a = g.start();
  Runtime& rt = a.runtime();
  EXPECT_TRUE(a.started());
  EXPECT_FALSE(rt.requests().quitRequested);
  EXPECT_EQ(sjisToUtf8(g.platform.caption()), "Mirelune 体験版");
  MenuItem& full16 = a.menus().item("MnFull16");
  EXPECT_EQ(sjisToUtf8(full16.caption), "全画面(&0)");
  EXPECT_TRUE(full16.visible);
  EXPECT_FALSE(a.menus().item("MnFull32").visible);
  EXPECT_TRUE(a.menus().item("MnWindow").checked);
  EXPECT_FALSE(a.menus().item("MnDebug").visible);
  EXPECT_EQ(a.refreshRates(), (std::vector<std::string>{"60", "75"}));
  EXPECT_EQ(a.refreshEntry(), 0);
  EXPECT_EQ(a.fontsRebuilt(), 2);  // made at window creation, remade from the settings
  EXPECT_EQ(sjisToUtf8(a.fontDialogChoice().face), "ＭＳ ゴシック");
  EXPECT_TRUE(g.platform.windowed());
  EXPECT_EQ(g.platform.menuBar(), &a.menus().mainMenu());
  // The first paint shows the (black) back buffer.
  EXPECT_EQ(g.platform.presentedFrames(), 1u);
  ASSERT_EQ(g.platform.lastFrame().size(), 800u * 600u);
  EXPECT_EQ(g.platform.lastFrame()[0], 0xFF000000u);
  // Missing archives are reported, not fatal.
  EXPECT_TRUE(g.reported("データファイルが読めません"));
}

TEST(StartUp, SettingsChooseTheScreenModeAndAreWrittenAtExit) {
  HeadlessGame g;
  g.dir.write("mirelune.ini", "[Display]\r\nWindow=0\r\nRefresh=75\r\n[Mine]\r\nKeep=1\r\n");
  g.platform.setRefreshRates({60, 75, 85});
  Application& a = g.start();
  EXPECT_FALSE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnFull16").checked);
  EXPECT_FALSE(a.menus().item("MnWindow").checked);
  EXPECT_EQ(a.refreshEntry(), 1);
  a.shutdown();
  std::string ini = g.dir.read("mirelune.ini");
  EXPECT_NE(ini.find("Window=0"), std::string::npos);
  EXPECT_NE(ini.find("Keep=1"), std::string::npos);
  EXPECT_NE(ini.find("[Volume]"), std::string::npos);
}

TEST(StartUp, PlayerNamesFromTheSettingsReachTheText) {
  HeadlessGame g;
  g.dir.write("mirelune.ini", "[User]\r\nName=" + SJ("タロウ") + "\r\nFamily=" + SJ("ヤマダ") + "\r\n");
  Application& a = g.start();
  EXPECT_EQ(sjisToUtf8(std::string(a.runtime().media.textRules.givenName())), "タロウ");
  EXPECT_EQ(sjisToUtf8(std::string(a.runtime().media.textRules.familyName())), "ヤマダ");

  // Without the keys the defaults stand in.
  HeadlessGame plain;
  Application& b = plain.start();
  EXPECT_EQ(sjisToUtf8(std::string(b.runtime().media.textRules.givenName())), "ヨルク");
  EXPECT_EQ(sjisToUtf8(std::string(b.runtime().media.textRules.familyName())), "ハセリ");
}

TEST(StartUp, MissingScriptIsFatalOutsideDebugMode) {
  HeadlessGame g(false, "", false);
  g.dir.write("mirelune.ini", "[Volume]\r\nBgm=7\r\n");
  Application& a = g.make();
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.end(), RunEnd::FatalStartUp);
  EXPECT_TRUE(a.runtime().requests().quitRequested);
  EXPECT_TRUE(g.reported("MessageBox: [ver 2.40] シナリオが初期化できません -> OK"));
  EXPECT_EQ(a.steps(), 0u);
}

TEST(StartUp, FatalErrorLeavesAWindowThatClosesWithoutAQuestion) {
  HeadlessGame g(false, "", false);
  AppOptions o;
  o.gameDir = g.dir.path();  // a windowed run: the idle window stays until closed
  Application a(g.platform, g.platform, o);
  a.formCreate();
  EXPECT_FALSE(a.startUp());
  EXPECT_FALSE(a.windowClosed());
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("wait 100\nclose\n", err));
  g.platform.setInputScript(s);
  a.idleUntilClosed();
  EXPECT_TRUE(a.windowClosed());
  EXPECT_FALSE(g.reported("本当に終了"));
}

TEST(StartUp, MissingScriptIsToleratedInDebugMode) {
  HeadlessGame g(true, "", false);
  Application& a = g.start();
  EXPECT_TRUE(a.started());
  EXPECT_TRUE(a.menus().item("MnDebug").visible);
  EXPECT_FALSE(g.reported("シナリオが初期化できません"));
}

TEST(StartUp, UnusableGameFolderIsFatal) {
  HeadlessPlatform p;
  p.setQuiet(true);
  AppOptions o;
  o.gameDir = "/nonexistent/mirelune-game";
  o.headless = true;
  Application a(p, p, o);
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.end(), RunEnd::FatalStartUp);
  ASSERT_FALSE(p.reports().empty());
  EXPECT_EQ(p.reports()[0], "MessageBox: [ver 2.40] フォルダが変更できません -> OK");
}

TEST(StartUp, DesktopCheckNeedsEightHundredBySixHundredHighColour) {
  struct Case {
    DesktopMode mode;
    bool ok;
  } cases[] = {
      {{800, 600, 16}, true}, {{800, 600, 8}, false}, {{640, 480, 32}, false}, {{1920, 1080, 24}, true},
  };
  for (const Case& c : cases) {
    HeadlessGame g;
    g.platform.setDesktopMode(c.mode);
    Application& a = g.make();
    a.formCreate();
    EXPECT_EQ(a.startUp(), c.ok);
    if (!c.ok) {
      EXPECT_TRUE(g.reported("デスクトップを 800 × 600 ハイカラー以上にして下さい"));
      EXPECT_EQ(a.end(), RunEnd::DesktopRefused);
      EXPECT_TRUE(a.windowClosed());
    }
  }
}

TEST(StartUp, SettingsOfTheLastRunSurviveAFatalStart) {
  HeadlessGame g(false, "", false);
  g.dir.write("mirelune.ini", "[Volume]\r\nBgm=7\r\n");
  g.make().run();
  EXPECT_EQ(g.dir.read("mirelune.ini"), "[Volume]\r\nBgm=7\r\n");
}

TEST(FrameLoop, StepLimitEndsWithoutQuestionAndKeepsReadMarks) {
  HeadlessGame g;
  AppOptions o;
  o.maxSteps = 3;
  Application& a = g.make(o);
  a.runtime().media.readStatus.isRead("scr\\open.scr", 0, true);
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.end(), RunEnd::Ended);
  EXPECT_EQ(a.steps(), 3u);
  EXPECT_FALSE(g.reported("本当に終了"));
  EXPECT_TRUE(g.dir.exists("SaveXXX.dat"));
  EXPECT_TRUE(g.dir.exists("mirelune.ini"));
}

TEST(FrameLoop, StoryEndClosesWithoutQuestionAndKeepsReadMarks) {
  // A failed assignment ends the interpreter's loop: the story is over.
  HeadlessGame g(false, "N\r\n=1\r\n");
  Application& a = g.make();
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.end(), RunEnd::StoryEnded);
  EXPECT_TRUE(a.windowClosed());
  EXPECT_FALSE(g.reported("本当に終了"));
  // The read marks of the run survive it.
  EXPECT_TRUE(g.dir.exists("SaveXXX.dat"));
  EXPECT_TRUE(g.dir.exists("mirelune.ini"));
}

TEST(FrameLoop, HeadlessRunEndsWhenTheScriptRunsOut) {
  HeadlessGame g(false, "N\r\n; only a comment\r\n");
  AppOptions o;
  o.endAtScriptEnd = true;
  Application& a = g.make(o);
  a.run();
  EXPECT_EQ(a.end(), RunEnd::ScriptEnded);
  EXPECT_TRUE(g.reported("最後まで実行しました"));
  EXPECT_TRUE(g.dir.exists("SaveXXX.dat"));
  EXPECT_FALSE(g.reported("本当に終了"));
}

TEST(FrameLoop, ExitQuestionNoKeepsRunningYesCloses) {
  HeadlessGame g;
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("close\nwait 500\nanswer yes\nclose\n", err));
  g.platform.setInputScript(s);
  Application& a = g.make();
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.end(), RunEnd::Closed);
  EXPECT_TRUE(g.reported("MessageBox: [確認] 本当に終了してもよろしいですか？ -> No"));
  EXPECT_TRUE(g.reported("MessageBox: [確認] 本当に終了してもよろしいですか？ -> Yes"));
  EXPECT_GT(a.steps(), 1u);  // the game went on after the No
  EXPECT_TRUE(g.dir.exists("mirelune.ini"));
}

TEST(FrameLoop, InactiveWindowHoldsTheStoryUnlessNoActive) {
  for (bool noActive : {false, true}) {
    HeadlessGame g;
    if (noActive) g.dir.write("mirelune.ini", "[System]\r\nNoActive=1\r\n");
    InputScript s;
    std::string err;
    ASSERT_TRUE(s.parse("deactivate\nwait 1000\nanswer yes\nclose\n", err));
    g.platform.setInputScript(s);
    Application& a = g.make();
    a.run();
    if (noActive) EXPECT_GT(a.steps(), 0u);
    else EXPECT_EQ(a.steps(), 0u);
  }
}

TEST(FrameLoop, FrameLimitEndsAsAConfirmedClose) {
  HeadlessGame g;
  g.platform.setFrameLimit(1);
  Application& a = g.make();
  a.run();
  EXPECT_EQ(a.end(), RunEnd::Ended);
  EXPECT_FALSE(g.reported("本当に終了"));
}

TEST(TitleReturn, ClearsFlagsReloadsAndResetsEngineFlags) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  GameState& st = rt.story.state;
  st.flags[5] = 9;
  st.flags[1500] = 1;
  st.flags[2023] = 1;
  st.flags[2034] = 200;
  std::strcpy(st.pictureNames[0], "bg01");
  std::strcpy(st.pictureNames[3], "sp02");
  rt.story.switches.autoMode = true;
  rt.story.switches.skipMode = true;
  g.platform.queueBoxAnswer(BoxAnswer::No);
  a.requestTitle();
  EXPECT_FALSE(rt.requests().titleRequested);
  g.platform.queueBoxAnswer(BoxAnswer::Yes);
  a.requestTitle();
  EXPECT_TRUE(rt.requests().titleRequested);
  a.returnToTitle();
  EXPECT_FALSE(rt.requests().titleRequested);
  EXPECT_EQ(st.flags[5], 0);
  EXPECT_EQ(st.flags[1500], 0);
  EXPECT_EQ(st.flags[2023], 0);
  EXPECT_EQ(st.flags[2034], 0);
  EXPECT_EQ(st.pictureNames[0][0], 0);
  EXPECT_EQ(st.pictureNames[3][0], 0);
  EXPECT_FALSE(rt.story.switches.autoMode);
  EXPECT_FALSE(rt.story.switches.skipMode);
  EXPECT_EQ(sjisToUtf8(a.menus().item("MnSkip").caption), "自動再生(&A)");
}

TEST(TitleReturn, TitleQuestionDefaultsToNo) {
  HeadlessGame g;
  Application& a = g.start();
  a.requestTitle();
  EXPECT_FALSE(a.runtime().requests().titleRequested);
  EXPECT_TRUE(g.reported("MessageBox: [確認] タイトル画面に戻りますか？ -> No"));
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

std::vector<char*> argvOf(std::vector<std::string>& args) {
  std::vector<char*> v{const_cast<char*>("mirelune")};
  for (auto& a : args) v.push_back(a.data());
  return v;
}

TEST(HeadlessShell, OptionsAreTakenAndTheRestHandedBack) {
  std::vector<std::string> args{"--headless", "--game", "/g",   "OpenDebugMode", "--frames", "30",
                                "--seed",     "7",      "--input", "in.txt",     "--autoplay",
                                "--screenshot", "s.png", "--steps", "9", "--dump-state", "d.bin"};
  auto argv = argvOf(args);
  HeadlessShellOptions o;
  std::vector<std::string> rest;
  std::string err;
  ASSERT_TRUE(parseHeadlessShellOptions(static_cast<int>(argv.size()), argv.data(), o, rest, err)) << err;
  EXPECT_EQ(o.app.gameDir, "/g");
  EXPECT_TRUE(o.app.debugMode);
  EXPECT_TRUE(o.app.headless);
  EXPECT_TRUE(o.app.endAtScriptEnd);
  EXPECT_EQ(o.frames, 30u);
  EXPECT_EQ(o.app.maxSteps, 9u);
  EXPECT_EQ(o.inputFile, "in.txt");
  EXPECT_TRUE(o.autoplay);
  EXPECT_EQ(o.screenshot, "s.png");
  // The runner's own options stay for the runner (with their values, in order).
  EXPECT_EQ(rest, (std::vector<std::string>{"--seed", "7", "--dump-state", "d.bin"}));

  for (std::vector<std::string> bad : {std::vector<std::string>{"--frames", "x"},
                                       std::vector<std::string>{"--steps"},
                                       std::vector<std::string>{"--frames", "-1"}}) {
    auto bargv = argvOf(bad);
    HeadlessShellOptions b;
    std::vector<std::string> r;
    EXPECT_FALSE(parseHeadlessShellOptions(static_cast<int>(bargv.size()), bargv.data(), b, r, err));
    EXPECT_FALSE(err.empty());
  }
}

TEST(HeadlessShell, FrameLimitedRunWithInputAndScreenshot) {
  HeadlessGame g;
  g.dir.write("input.txt", "# the player waits, then quits by the menu\nwait 50\nanswer yes\nmenu MnExit\n");
  HeadlessShellOptions o;
  o.inputFile = g.dir.file("input.txt");
  o.screenshot = g.dir.file("shot.png");
  o.app.gameDir = g.dir.path();
  o.app.headless = true;
  std::string err;
  ASSERT_TRUE(prepareHeadlessPlatform(g.platform, o, err)) << err;
  Application a(g.platform, g.platform, o.app);
  a.run();
  EXPECT_EQ(a.end(), RunEnd::Closed);
  EXPECT_EQ(finishHeadlessRun(g.platform, a, o), 0);
  EXPECT_TRUE(g.dir.exists("shot.png"));

  HeadlessShellOptions badInput;
  g.dir.write("bad.txt", "wait\n");
  badInput.inputFile = g.dir.file("bad.txt");
  EXPECT_FALSE(prepareHeadlessPlatform(g.platform, badInput, err));
  EXPECT_NE(err.find("line 1"), std::string::npos);
}

TEST(HeadlessShell, FatalStartUpIsAFailedRun) {
  HeadlessGame g(false, "", false);
  HeadlessShellOptions o;
  o.app.gameDir = g.dir.path();
  o.app.headless = true;
  Application a(g.platform, g.platform, o.app);
  a.run();
  EXPECT_EQ(finishHeadlessRun(g.platform, a, o), 1);
}

}  // namespace
}  // namespace ml::test
