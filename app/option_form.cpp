#include "app/option_form.h"

#include <algorithm>
#include <charconv>

namespace ml {
namespace {

// The controls' own limits, narrower than the settings file's: a control cannot hold
// more, so a value beyond them is stored as the control's end.
void clampToControls(Settings& s) {
  auto clip = [](int& v, int hi) { v = std::clamp(v, 0, hi); };
  for (int* v : {&s.volume.bgm, &s.volume.se, &s.volume.voice, &s.volume.pan}) clip(*v, 100);
  for (int* v : {&s.window.red, &s.window.green, &s.window.blue, &s.window.alpha, &s.message.readedLumi, &s.log.lumi})
    clip(*v, 255);
  clip(s.skip.wait, 10);
  clip(s.key.repeat, 8);
  clip(s.voice.rate, 3);
  clip(s.display.time, 2);
  clip(s.display.timeTop, 3);
  clip(s.display.drawWait, 3);
  clip(s.message.mojiType, 2);
}

}  // namespace

void OptionForm::load(const Settings& live, const std::vector<std::string>& rates, int entry, int chara) {
  values = live;
  refreshRates = rates;
  refreshEntry = entry >= 0 && entry < static_cast<int>(rates.size()) ? entry : (rates.empty() ? -1 : 0);
  charaVoice_ = live.charaVoice;
  selectChara(chara);
  done = confirmed = cancelled = nameRequested = false;
  shown_ = live;
}

void OptionForm::store(Settings& live) const {
  Settings out = values;
  // What the dialog shows no control for stays as the game left it.
  out.font = live.font;
  out.display.window = live.display.window;
  out.message.readedLumi2 = live.message.readedLumi2;
  out.skip2.wait = live.skip2.wait;
  out.save.samSaveBig = live.save.samSaveBig;
  out.charaVolume = live.charaVolume;
  out.charaVoice = charaVoice_;
  if (refreshEntry >= 0 && refreshEntry < static_cast<int>(refreshRates.size())) {
    const std::string& text = refreshRates[static_cast<std::size_t>(refreshEntry)];
    int rate = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (ec == std::errc() && ptr != text.data()) out.display.refresh = rate;
  }
  out.clampToRanges();
  clampToControls(out);
  live = out;
}

namespace {

// What the sliders change while they move: colour, opacity, volumes, read-text brightness.
void copySliders(const Settings& from, Settings& to) {
  to.window.red = from.window.red;
  to.window.green = from.window.green;
  to.window.blue = from.window.blue;
  to.window.alpha = from.window.alpha;
  to.volume.bgm = from.volume.bgm;
  to.volume.se = from.volume.se;
  to.volume.voice = from.volume.voice;
  to.message.readedLumi = from.message.readedLumi;
}

}  // namespace

void OptionForm::applySliders(Settings& live) const { copySliders(values, live); }

void OptionForm::restoreSliders(Settings& live) const { copySliders(shown_, live); }

int OptionForm::messageSpeedPosition() const { return 4 - std::clamp(values.message.speed, 0, 4); }
void OptionForm::setMessageSpeedPosition(int position) { values.message.speed = 4 - std::clamp(position, 0, 4); }

int OptionForm::fadePosition() const { return std::clamp(-values.effect.speed, 0, 11); }
void OptionForm::setFadePosition(int position) { values.effect.speed = -std::clamp(position, 0, 11); }

void OptionForm::selectChara(int entry) { charaEntry_ = std::clamp(entry, 0, kCharaEntries - 1); }

bool OptionForm::charaTicked() const { return charaVoice_[static_cast<std::size_t>(charaEntry_)]; }

void OptionForm::setCharaTicked(bool on) {
  if (charaEntry_ == kOtherEntry) {
    for (std::size_t i = 7; i < charaVoice_.size(); ++i) charaVoice_[i] = on;
  } else {
    charaVoice_[static_cast<std::size_t>(charaEntry_)] = on;
  }
}

void OptionForm::listNames(const GameContent& content) {
  speakerNames.clear();
  for (int i = 0; i < kOtherEntry; ++i) speakerNames.push_back(content.voices[static_cast<std::size_t>(i)].displayName);
  guideNames.clear();
  for (const GuideVoiceRow& row : content.guideVoices) guideNames.push_back(row.displayName);
}

}  // namespace ml
