// The in-game option screen: what each control stores, and a session of clicks and
// drags through both pages that ends with the settings file written.
#include "extras/extras_fixture.h"
#include "media/settings.h"
#include "scene/option_screen.h"

namespace ml::test {
namespace {

TEST(OptionControls, SlidersStoreTheirSettingsOnTheirScales) {
  struct Case {
    int page, id, p;
    int (*value)(const Settings&);
    int expected;
  };
  const Case cases[] = {
      {0, 13, 0, [](const Settings& s) { return s.message.speed; }, 255},  // left end: slowest
      {0, 13, 255, [](const Settings& s) { return s.message.speed; }, 0},
      {0, 14, 77, [](const Settings& s) { return s.window.alpha; }, 77},
      {0, 15, 0, [](const Settings& s) { return s.message.readedLumi; }, 254},  // never 255
      {0, 15, 1, [](const Settings& s) { return s.message.readedLumi; }, 254},
      {0, 15, 100, [](const Settings& s) { return s.message.readedLumi; }, 155},
      {0, 16, 0, [](const Settings& s) { return s.message.readedLumi2; }, 255},
      {0, 17, 55, [](const Settings& s) { return s.skip.wait; }, 200},
      {0, 18, 300, [](const Settings& s) { return s.skip2.wait; }, 0},  // past the end
      {1, 16, 200, [](const Settings& s) { return s.volume.bgm; }, 200},
      {1, 17, -5, [](const Settings& s) { return s.volume.se; }, 0},
      {1, 18, 30, [](const Settings& s) { return s.volume.voice; }, 30},
      {1, 19, 12, [](const Settings& s) { return s.charaVolume[0]; }, 12},
      {1, 25, 13, [](const Settings& s) { return s.charaVolume[6]; }, 13},
      {1, 26, 14, [](const Settings& s) { return s.charaVolume[7] + s.charaVolume[8] + s.charaVolume[9]; }, 42},
  };
  for (const Case& c : cases) {
    Settings s;
    storeOptionSlider(s, c.page, c.id, c.p);
    EXPECT_EQ(c.value(s), c.expected) << "page " << c.page << " id " << c.id << " p " << c.p;
    // The knob stands where the value puts it (the stored 254 one short of the end).
    const int back = optionSliderPosition(s, c.page, c.id);
    EXPECT_NEAR(back, std::clamp(c.p, 0, 255), c.id == 15 && c.page == 0 ? 1 : 0);
  }
}

TEST(OptionControls, ChecksToggleTheirSettingsAndTheLastVoiceRowTakesThreeCharacters) {
  for (int page : {0, 1}) {
    const int first = page == 0 ? 9 : 4, last = page == 0 ? 12 : 14;
    for (int id = first; id <= last; ++id) {
      Settings s;
      const bool before = optionCheck(s, page, id);
      storeOptionCheck(s, page, id, !before);
      EXPECT_NE(optionCheck(s, page, id), before) << page << " " << id;
      Settings untouched;
      int differences = 0;
      for (const SettingField& f : settingFields())
        if (f.type == SettingType::Bool && f.flag(s) != f.flag(untouched)) ++differences;
      EXPECT_EQ(differences, page == 1 && id == 14 ? 3 : 1) << page << " " << id;
    }
  }
}

TEST(OptionControls, GuideVoicePositions) {
  Settings s;
  storeGuideVoice(s, 0);
  EXPECT_FALSE(s.voice.guide);
  EXPECT_EQ(guideVoicePosition(s), 0);
  storeGuideVoice(s, 6);
  EXPECT_TRUE(s.voice.guide);
  EXPECT_EQ(s.voice.guideNo, 5);
  EXPECT_EQ(guideVoicePosition(s), 6);
  storeGuideVoice(s, 99);
  EXPECT_EQ(guideVoicePosition(s), 6);
}

class OptionScreenRun : public ExtrasTest {};

TEST_F(OptionScreenRun, ClicksAndDragsChangeTheSettingsAndClosingWritesThem) {
  DialogHost dialogs(platform);
  rt->setDialogs(&dialogs);
  Settings& s = rt->media.settings;
  ASSERT_TRUE(s.message.readed);
  int page = 0;
  setInput(
      // Read text: the "off" place of its row.
      "wait 100\nclick 530 330\nwait 50\n"
      // The window opacity slider (y 240), dragged from 20 to 200.
      "move 130 248\npress left\nwait 50\nmove 310 248\nwait 50\nrelease left\nwait 50\n"
      // The name button; the name dialog answers with a new name.
      "name \"ハセリ\" \"ミナト\"\nclick 380 85\nwait 50\n"
      // The second page, music off, its volume dragged to 64, the guide voice 2.
      "click 720 35\nwait 50\nclick 45 75\nwait 50\nmove 180 76\npress left\nwait 50\nmove 235 76\nwait 50\nrelease left\n"
      "click 540 350\nwait 50\n"
      // Close.
      "click 690 560\n");
  EXPECT_FALSE(runOptionScreen(*rt, sc(), page));
  EXPECT_FALSE(s.message.readed);
  EXPECT_EQ(s.window.alpha, 200);
  EXPECT_EQ(s.user.name, SJ("ミナト"));
  EXPECT_EQ(rt->media.textRules.givenName(), SJ("ミナト"));
  EXPECT_FALSE(s.volume.bgmOn);
  EXPECT_EQ(s.volume.bgm, 64);
  EXPECT_TRUE(s.voice.guide);
  EXPECT_EQ(s.voice.guideNo, 1);
  EXPECT_EQ(page, 1);  // kept for the next opening
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"settings"}));
  for (int slot = 190; slot < 230; ++slot) EXPECT_TRUE(layer(slot).empty()) << slot;
}

TEST_F(OptionScreenRun, TheScreenModeMarkAndTheTitleButton) {
  int page = 0;
  // Full screen (the mark's other place), then the title button.
  setInput("wait 100\nclick 670 125\nwait 50\nclick 690 370\n");
  EXPECT_TRUE(runOptionScreen(*rt, sc(), page));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"full", "title", "settings"}));
}

}  // namespace
}  // namespace ml::test
