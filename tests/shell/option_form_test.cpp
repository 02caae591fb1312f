#include "app/option_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/dialog_host.h"
#include "app/settings_file.h"
#include "platform/headless/input_script.h"
#include "shell_fixture.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

TEST(OptionForm, ReversedSlidersConvertBothWays) {
  struct Case {
    int stored;    // the setting
    int position;  // the slider
    int back;      // the setting after storing that position
  };
  // "メッセージの速度": position = 4 - min(Speed, 4); larger speeds show as the slowest.
  for (const Case& c : {Case{0, 4, 0}, Case{1, 3, 1}, Case{4, 0, 4}, Case{200, 0, 4}}) {
    OptionForm f;
    f.values.message.speed = c.stored;
    EXPECT_EQ(f.messageSpeedPosition(), c.position) << c.stored;
    f.setMessageSpeedPosition(f.messageSpeedPosition());
    EXPECT_EQ(f.values.message.speed, c.back) << c.stored;
  }
  // "画像切り換えの速度": the setting is the negated position.
  for (const Case& c : {Case{0, 0, 0}, Case{-4, 4, -4}, Case{-11, 11, -11}, Case{-30, 11, -11}}) {
    OptionForm f;
    f.values.effect.speed = c.stored;
    EXPECT_EQ(f.fadePosition(), c.position) << c.stored;
    f.setFadePosition(f.fadePosition());
    EXPECT_EQ(f.values.effect.speed, c.back) << c.stored;
  }
  OptionForm f;
  f.setMessageSpeedPosition(9);
  EXPECT_EQ(f.values.message.speed, 0);
  f.setFadePosition(-3);
  EXPECT_EQ(f.values.effect.speed, 0);
}

TEST(OptionForm, CharacterVoicesAreAWorkingCopyAndOtherSwitchesTheLastThree) {
  Settings live;
  live.charaVoice.fill(true);
  OptionForm f;
  f.load(live, {}, -1, 2);
  EXPECT_EQ(f.charaEntry(), 2);
  f.setCharaTicked(false);
  f.selectChara(OptionForm::kOtherEntry);
  f.setCharaTicked(false);
  EXPECT_FALSE(f.charaTicked());
  f.selectChara(3);
  EXPECT_TRUE(f.charaTicked());
  // Nothing reaches the settings before OK.
  for (bool on : live.charaVoice) EXPECT_TRUE(on);
  f.store(live);
  const std::array<bool, 10> want = {true, true, false, true, true, true, true, false, false, false};
  EXPECT_EQ(live.charaVoice, want);
  // An entry remembered out of range falls back to a valid one.
  f.selectChara(12);
  EXPECT_EQ(f.charaEntry(), OptionForm::kOtherEntry);
  f.selectChara(-1);
  EXPECT_EQ(f.charaEntry(), 0);
}

TEST(OptionForm, StoreWritesTheControlsKeepsTheRestAndClamps) {
  Settings live;
  live.charaVolume[4] = 77;
  live.font.name = "font";
  live.display.refresh = 60;
  OptionForm f;
  f.load(live, {"60", "75", "85"}, 0, 0);
  f.values.log.cg = !live.log.cg;
  f.values.user.name = utf8ToSjis("ミラ");
  f.values.volume.bgm = 500;  // out of range: clamped, never written as is
  f.values.charaVolume[4] = 5;  // no control shows it
  f.values.font.name = "other";
  f.refreshEntry = 2;
  const bool cg = f.values.log.cg;
  f.store(live);
  EXPECT_EQ(live.log.cg, cg);
  EXPECT_EQ(sjisToUtf8(live.user.name), "ミラ");
  EXPECT_EQ(live.volume.bgm, 100);
  EXPECT_EQ(live.charaVolume[4], 77);
  EXPECT_EQ(live.font.name, "font");
  EXPECT_EQ(live.display.refresh, 85);

  // An empty refresh list leaves the rate alone.
  f.load(live, {}, 3, 0);
  EXPECT_EQ(f.refreshEntry, -1);
  f.store(live);
  EXPECT_EQ(live.display.refresh, 85);
}

TEST(OptionForm, OnlySlidersApplyWhileTheDialogIsOpen) {
  Settings live;
  OptionForm f;
  f.load(live, {}, -1, 0);
  f.values.window.alpha = 12;
  f.values.volume.se = 34;
  f.values.message.readedLumi = 56;
  f.values.volume.seOn = !live.volume.seOn;
  f.values.log.voice = !live.log.voice;
  const Settings before = live;
  f.applySliders(live);
  EXPECT_EQ(live.window.alpha, 12);
  EXPECT_EQ(live.volume.se, 34);
  EXPECT_EQ(live.message.readedLumi, 56);
  EXPECT_EQ(live.volume.seOn, before.volume.seOn);
  EXPECT_EQ(live.log.voice, before.log.voice);
}

TEST(OptionForm, EnabledControlsFollowTheirSwitches) {
  OptionForm f;
  for (int time : {0, 1, 2}) {
    f.values.display.time = time;
    EXPECT_EQ(f.dateEnabled(), time == 2);
    EXPECT_EQ(f.timePositionEnabled(), time != 0);
  }
  f.values.voice.guide = false;
  EXPECT_FALSE(f.guideEnabled());
  f.values.message.readed = true;
  EXPECT_TRUE(f.readedBrightnessEnabled());
}

TEST(JumpFilter, KeepsUpToNineDigits) {
  for (auto [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"123", "123"}, {" 4a5\t", "45"}, {"-7", "7"}, {"12345678901", "123456789"}, {"", ""}})
    EXPECT_EQ(filterJumpText(in), out) << in;
}

TEST(KeyHelp, HeadingBlankLineAndThirteenKeys) {
  const auto& lines = keyHelpLines();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(sjisToUtf8(lines[0]), "キーボード説明");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(sjisToUtf8(lines[14]), "[↑] [↓] [←] [→]・・・選択肢やロード画面等の選択位置変更");
}

// What the drawn dialog does this time: the player's part, run once per showing; the
// dialog closes at once.
std::function<void(OptionForm&)> player;
bool drawn(Platform&, OptionForm& form, const std::function<void()>& closed) {
  player(form);
  closed();
  return true;
}

TEST(OptionDialog, SlidersActAtOnceAndOnlyOkStoresAndWrites) {
  test::HeadlessGame g;
  Application& app = g.start();
  DialogHost host(g.platform);
  host.setApplication(&app);
  host.setDrawnOptionDialog(&drawn);
  Settings& live = app.runtime().media.settings;
  const bool cg = live.log.cg;

  // The close box: the moved slider stays, the ticked box does not; nothing is written.
  player = [&](OptionForm& f) {
    f.values.volume.voice = 17;
    f.slidersMoved();
    f.values.log.cg = !cg;
    f.selectChara(5);
    f.done = true;
  };
  host.showOption();
  EXPECT_EQ(live.volume.voice, 17);
  EXPECT_EQ(live.log.cg, cg);
  EXPECT_FALSE(g.dir.exists(std::string(kSettingsFileName)));

  // The name button opens the name dialog over it, then the dialog shows again.
  g.platform.setInputScript([] {
    InputScript s;
    std::string error;
    EXPECT_TRUE(s.parse("name \"ハセリ\" \"ミラ\"\n", error)) << error;
    return s;
  }());
  g.platform.processMessages();
  int showings = 0;
  player = [&](OptionForm& f) {
    if (showings++ == 0) {
      EXPECT_EQ(f.charaEntry(), 0);  // the close box did not keep the entry
      f.nameRequested = f.done = true;
      return;
    }
    EXPECT_EQ(sjisToUtf8(f.values.user.name), "ミラ");
    f.values.log.cg = !cg;
    f.selectChara(5);
    f.confirmed = f.done = true;
  };
  host.showOption();
  EXPECT_EQ(showings, 2);
  EXPECT_EQ(live.log.cg, !cg);
  EXPECT_EQ(sjisToUtf8(live.user.name), "ミラ");
  Settings written;
  ASSERT_TRUE(g.dir.exists(std::string(kSettingsFileName)));
  ReadSettings(app.settingsPath(), written);
  EXPECT_EQ(written.log.cg, !cg);
  EXPECT_EQ(written.volume.voice, 17);

  // OK kept the character entry for the next showing.
  player = [&](OptionForm& f) {
    EXPECT_EQ(f.charaEntry(), 5);
    f.done = true;
  };
  host.showOption();
}

// Drawn dialogs that stay open over the game until a picture closes them: the test
// plays the player between pictures.
OptionForm* shownForm = nullptr;
FlagView* shownView = nullptr;
bool keptOption(Platform& p, OptionForm& form, const std::function<void()>& closed) {
  shownForm = &form;
  return p.openDialog({"TOptionForm",
                       [&form](DialogFrame& f) {
                         if (f.escape) form.cancelled = form.done = true;
                         return !form.done;
                       },
                       closed});
}
bool keptFlag(Platform& p, FlagView& view, const std::function<void()>&, const std::function<void()>&,
              const std::function<void()>& closed) {
  shownView = &view;
  return p.openDialog({"TFlagForm", [](DialogFrame& f) { return !f.escape; }, closed});
}
bool keptText(Platform& p, const std::string&, const std::vector<std::string>&) {
  return p.openDialog({"THelpForm", [](DialogFrame& f) { return !f.enter; }, {}});
}

struct KeptDialogs {
  explicit KeptDialogs(test::HeadlessGame& g) : host(g.platform) {
    AppOptions options;
    options.endAtScriptEnd = true;
    Application& app = g.start(options);
    g.platform.keepDialogs(true);
    host.setApplication(&app);
    host.setDrawnOptionDialog(&keptOption);
    host.setDrawnFlagDialog(&keptFlag);
    host.setDrawnTextWindow(&keptText);
    app.setDialogHost(&host);
  }
  DialogHost host;
};

TEST(OptionDialog, StaysOpenWhileTheGameRunsAndAppliesItsResultWhenItCloses) {
  test::HeadlessGame g(false, "N\r\nwait 1\r\nwait 1\r\n");
  KeptDialogs d(g);
  Application& app = *g.app;
  Settings& live = app.runtime().media.settings;
  const int voice = live.volume.voice;
  const bool cg = live.log.cg;

  app.menus().item("MnOption").onClick();
  ASSERT_EQ(g.platform.openDialogs(), 1u);
  // The game runs on to the end of its script with the dialog open.
  app.runFrameLoop();
  EXPECT_EQ(app.end(), RunEnd::ScriptEnded);
  EXPECT_EQ(g.platform.openDialogs(), 1u);
  // Opened again: the same window comes forward.
  d.host.showOption();
  EXPECT_EQ(g.platform.openDialogs(), 1u);
  EXPECT_EQ(g.platform.dialogRaises(), 1);

  // A slider acts at once; Esc puts it back and writes nothing.
  shownForm->values.volume.voice = voice == 17 ? 18 : 17;
  shownForm->slidersMoved();
  EXPECT_NE(live.volume.voice, voice);
  shownForm->values.log.cg = !cg;
  DialogFrame esc;
  esc.escape = true;
  g.platform.drawDialogs(esc);
  EXPECT_EQ(g.platform.openDialogs(), 0u);
  EXPECT_EQ(live.volume.voice, voice);
  EXPECT_EQ(live.log.cg, cg);
  EXPECT_FALSE(g.dir.exists(std::string(kSettingsFileName)));

  // OK stores everything and writes the settings file, when the window closes.
  d.host.showOption();
  shownForm->values.log.cg = !cg;
  g.platform.drawDialogs();
  EXPECT_EQ(live.log.cg, cg);
  shownForm->confirmed = shownForm->done = true;
  g.platform.drawDialogs();
  EXPECT_EQ(live.log.cg, !cg);
  ASSERT_TRUE(g.dir.exists(std::string(kSettingsFileName)));
  Settings written;
  ReadSettings(app.settingsPath(), written);
  EXPECT_EQ(written.log.cg, !cg);
}

TEST(FlagViewer, AnOpenViewerShowsTheRefreshedFlags) {
  test::HeadlessGame g(true);
  KeptDialogs d(g);
  GameState& state = g.app->runtime().story.state;
  d.host.showFlag();
  ASSERT_EQ(g.platform.openDialogs(), 1u);
  ASSERT_NE(shownView, nullptr);
  EXPECT_EQ(shownView->flags[1][6], "   0");
  state.flags[5] = 7;
  const int changes = g.platform.dialogChanges();
  d.host.refreshFlag();
  EXPECT_EQ(shownView->flags[1][6], "   7");
  EXPECT_GT(g.platform.dialogChanges(), changes);
  // The keyboard help beside it: one window however often it is asked for; Enter
  // closes it and leaves the viewer.
  d.host.showKeyHelp();
  d.host.showKeyHelp();
  EXPECT_EQ(g.platform.openDialogs(), 2u);
  DialogFrame enter;
  enter.enter = true;
  g.platform.drawDialogs(enter);
  EXPECT_EQ(g.platform.openDialogs(), 1u);
  EXPECT_TRUE(g.platform.dialogOpen("TFlagForm"));
}

}  // namespace
}  // namespace ml
