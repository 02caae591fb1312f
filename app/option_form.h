// The option dialog ("設定", TOptionForm) without its drawing: the controls' values,
// loaded from the settings when it shows and stored back on OK. The windowed program
// draws it (app/option_dialog); the conversions between a control's position and its
// setting live here so that both sides agree.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/game_content.h"
#include "media/settings.h"

namespace ml {

class OptionForm {
 public:
  // Entries of the character-voice list: seven characters, then "その他".
  static constexpr int kCharaEntries = 8;
  static constexpr int kOtherEntry = 7;

  // Loads every control. refreshRates are the decimal texts of the refresh-rate list,
  // refreshEntry the entry selected now; charaEntry the character chosen last time.
  void load(const Settings& live, const std::vector<std::string>& refreshRates, int refreshEntry, int charaEntry);

  // Stores every control into the settings (OK). Settings the dialog has no control
  // for are left as they are.
  void store(Settings& live) const;
  // The sliders that take effect while they move: colour, opacity, volumes and the
  // read-text brightness.
  void applySliders(Settings& live) const;
  // The cancel button: those sliders back to what they were when the dialog showed.
  void restoreSliders(Settings& live) const;

  // "メッセージの速度" 0-4: the fastest on the right.
  int messageSpeedPosition() const;
  void setMessageSpeedPosition(int position);
  // "画像切り換えの速度" 0-11: the setting holds the negated position.
  int fadePosition() const;
  void setFadePosition(int position);

  int charaEntry() const { return charaEntry_; }
  void selectChara(int entry);
  bool charaTicked() const;
  // Ticking "その他" switches the last three characters together.
  void setCharaTicked(bool on);

  // Controls enabled by others.
  bool readedBrightnessEnabled() const { return values.message.readed; }
  bool guideEnabled() const { return values.voice.guide; }
  bool dateEnabled() const { return values.display.time == 2; }
  bool timePositionEnabled() const { return values.display.time != 0; }
  bool rainEmphasisEnabled() const { return values.niji.rain1; }

  // The speakers and guide voices the lists offer, from the game's content (Shift-JIS).
  void listNames(const GameContent& content);

  Settings values;
  std::vector<std::string> refreshRates;
  std::vector<std::string> speakerNames;  // the first seven speakers
  std::vector<std::string> guideNames;
  int refreshEntry = -1;

  // Set by the one who shows the dialog: a slider moved (its value is in `values`),
  // and "音楽" was ticked or unticked.
  std::function<void()> slidersMoved;
  std::function<void(bool on)> musicTicked;
  // "テスト再生": the selected guide voice.
  std::function<void()> guideTest;
  // The window's state between pictures.
  bool done = false;
  bool confirmed = false;
  bool cancelled = false;  // Esc: the cancel button, which the layout keeps hidden
  bool nameRequested = false;

 private:
  std::array<bool, 10> charaVoice_{};
  Settings shown_;  // the settings as the dialog showed, for a cancel
  int charaEntry_ = 0;
};

}  // namespace ml
