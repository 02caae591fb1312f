#include "media/settings.h"

#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// The member a row stands for, as an accessor the table can hold.
#define ML_AT(member) [](Settings& s) -> decltype(auto) { return (s.member); }

constexpr SettingField flag(std::string_view section, std::string_view key, bool& (*at)(Settings&),
                            bool byDefault, SettingUse use = SettingUse::ReadWrite) {
  return {section, key, SettingType::Bool, use, at, nullptr, nullptr, byDefault ? 1 : 0, {}, 0, 1, nullptr};
}

constexpr SettingField number(std::string_view section, std::string_view key, int& (*at)(Settings&),
                              int byDefault, int min, int max, int (*convert)(int) = nullptr) {
  return {section, key, SettingType::Int, SettingUse::ReadWrite, nullptr, at, nullptr, byDefault, {}, min, max,
          convert};
}

constexpr SettingField text(std::string_view section, std::string_view key, std::string& (*at)(Settings&),
                            std::string_view byDefaultUtf8, int maxBytes) {
  return {section, key, SettingType::Text, SettingUse::ReadWrite, nullptr, nullptr, at, 0, byDefaultUtf8, 0,
          maxBytes, nullptr};
}

// The longest text an INI value hands out (IniFile::kMaxValueBytes); the renderer's
// name buffers hold 11 bytes and a terminator.
constexpr int kMaxTextBytes = 1023;
constexpr int kNameBytes = 11;

// Every key in the order the settings file is written. Ranges are those the editors
// produce (option dialog, in-game option screen), the wider of the two where they
// differ; otherwise Display/Refresh 1-1000 Hz, Voice/GuideNo 0-5 (the six guide voices
// of the in-game option screen), Font/Name at most 1023 bytes.
constexpr SettingField kFields[] = {
    flag("Display", "Window", ML_AT(display.window), true, SettingUse::ScreenMode),
    number("Display", "Refresh", ML_AT(display.refresh), 60, 1, 1000),
    number("Display", "Time", ML_AT(display.time), 0, 0, 2),
    flag("Display", "Date", ML_AT(display.date), false),
    number("Display", "TimeTop", ML_AT(display.timeTop), 0, 0, 3),
    number("Display", "DrawWait", ML_AT(display.drawWait), 0, 0, 3),

    text("Font", "Name", ML_AT(font.name), "ＭＳ ゴシック", kMaxTextBytes),
    number("Font", "Style", ML_AT(font.style), 0, 0, 3),

    text("User", "Name", ML_AT(user.name), "ヨルク", kNameBytes),
    text("User", "Family", ML_AT(user.family), "ハセリ", kNameBytes),

    number("Message", "Speed", ML_AT(message.speed), 0, 0, 255),
    flag("Message", "Readed", ML_AT(message.readed), true),
    number("Message", "ReadedLumi", ML_AT(message.readedLumi), 128, 0, 255),
    number("Message", "ReadedLumi2", ML_AT(message.readedLumi2), 128, 0, 255),
    number("Message", "MojiType", ML_AT(message.mojiType), 0, 0, 2),
    number("Message", "RetPosi", ML_AT(message.retPosi), 0, 0, 1),

    flag("Skip2", "Cancel", ML_AT(skip2.cancel), true),
    flag("Skip2", "Unread", ML_AT(skip2.unread), true),
    number("Skip2", "Wait", ML_AT(skip2.wait), 5, 0, 255),

    number("Skip", "Wait", ML_AT(skip.wait), 5, 0, 255),
    flag("Skip", "Voice", ML_AT(skip.voice), false),
    flag("Skip", "Effect", ML_AT(skip.effect), false),
    flag("Skip", "Cancel", ML_AT(skip.cancel), true),
    flag("Skip", "Unread", ML_AT(skip.unread), true),

    flag("SkipSelect", "Unread", ML_AT(skipSelect.unread), true),

    number("Window", "Red", ML_AT(window.red), 0, 0, 255),
    number("Window", "Green", ML_AT(window.green), 0, 0, 255),
    number("Window", "Blue", ML_AT(window.blue), 0, 0, 255),
    number("Window", "Alpha", ML_AT(window.alpha), 128, 0, 255),
    flag("Window", "Guide", ML_AT(window.guide), true),
    number("Window", "Drag", ML_AT(window.drag), 1, 0, 2),
    flag("Window", "Window", ML_AT(window.window), true),
    flag("Window", "Board", ML_AT(window.board), true),
    flag("Window", "Icon", ML_AT(window.icon), true),

    number("Volume", "Bgm", ML_AT(volume.bgm), 100, 0, 255),
    number("Volume", "Se", ML_AT(volume.se), 100, 0, 255),
    number("Volume", "Voice", ML_AT(volume.voice), 100, 0, 255),
    number("Volume", "Pan", ML_AT(volume.pan), 10, 0, 100),
    flag("Volume", "BgmOn", ML_AT(volume.bgmOn), true),
    flag("Volume", "SeOn", ML_AT(volume.seOn), true),
    flag("Volume", "VoOn", ML_AT(volume.voOn), true),

    flag("Voice", "Next", ML_AT(voice.next), false),
    number("Voice", "Rate", ML_AT(voice.rate), 0, 0, 3),
    flag("Voice", "Guide", ML_AT(voice.guide), true),
    number("Voice", "GuideNo", ML_AT(voice.guideNo), 0, 0, 5),

    flag("Bgm", "AllBgm", ML_AT(bgm.allBgm), false),

    number("Key", "Repeat", ML_AT(key.repeat), 2, 0, 8),
    flag("Key", "Context", ML_AT(key.context), true),

    flag("Save", "OverWriteCheck", ML_AT(save.overWriteCheck), true),
    flag("Save", "Recall", ML_AT(save.recall), true),
    flag("Save", "SamWin", ML_AT(save.samWin), true),
    flag("Save", "SamSaveBig", ML_AT(save.samSaveBig), true),

    number("Effect", "Speed", ML_AT(effect.speed), -4, -11, 0, convertEffectSpeed),
    flag("Effect", "ClickCancel", ML_AT(effect.clickCancel), false),
    flag("Effect", "WaitCancel", ML_AT(effect.waitCancel), false),

    number("Log", "Lumi", ML_AT(log.lumi), 160, 0, 255),
    flag("Log", "Exit", ML_AT(log.exit), true),
    flag("Log", "Cg", ML_AT(log.cg), true),
    flag("Log", "Bgm", ML_AT(log.bgm), true),
    flag("Log", "Voice", ML_AT(log.voice), true),

    flag("Movie", "Play", ML_AT(movie.play), true),

    flag("System", "NoActive", ML_AT(system.noActive), false),

    // CharaVoice/n and CharaVolume/n alternately, n = 0 … 9.
    flag("CharaVoice", "0", ML_AT(charaVoice[0]), true),
    number("CharaVolume", "0", ML_AT(charaVolume[0]), 127, 0, 255),
    flag("CharaVoice", "1", ML_AT(charaVoice[1]), true),
    number("CharaVolume", "1", ML_AT(charaVolume[1]), 127, 0, 255),
    flag("CharaVoice", "2", ML_AT(charaVoice[2]), true),
    number("CharaVolume", "2", ML_AT(charaVolume[2]), 127, 0, 255),
    flag("CharaVoice", "3", ML_AT(charaVoice[3]), true),
    number("CharaVolume", "3", ML_AT(charaVolume[3]), 127, 0, 255),
    flag("CharaVoice", "4", ML_AT(charaVoice[4]), true),
    number("CharaVolume", "4", ML_AT(charaVolume[4]), 127, 0, 255),
    flag("CharaVoice", "5", ML_AT(charaVoice[5]), true),
    number("CharaVolume", "5", ML_AT(charaVolume[5]), 127, 0, 255),
    flag("CharaVoice", "6", ML_AT(charaVoice[6]), true),
    number("CharaVolume", "6", ML_AT(charaVolume[6]), 127, 0, 255),
    flag("CharaVoice", "7", ML_AT(charaVoice[7]), true),
    number("CharaVolume", "7", ML_AT(charaVolume[7]), 127, 0, 255),
    flag("CharaVoice", "8", ML_AT(charaVoice[8]), true),
    number("CharaVolume", "8", ML_AT(charaVolume[8]), 127, 0, 255),
    flag("CharaVoice", "9", ML_AT(charaVoice[9]), true),
    number("CharaVolume", "9", ML_AT(charaVolume[9]), 127, 0, 255),

    flag("Niji", "Rain1", ML_AT(niji.rain1), true, SettingUse::ReadOnly),
    flag("Niji", "Rain2", ML_AT(niji.rain2), false, SettingUse::ReadOnly),
};

#undef ML_AT

}  // namespace

std::span<const SettingField> settingFields() { return kFields; }

int convertEffectSpeed(int stored) {
  if (stored <= 0) return stored;
  if (stored > 64) return 0;
  if (stored >= 33) return -1;
  if (stored >= 25) return -2;
  if (stored >= 17) return -3;
  if (stored >= 13) return -4;
  if (stored >= 9) return -5;
  if (stored >= 7) return -6;
  if (stored >= 5) return -7;
  return stored - 12;  // 4 → -8, 3 → -9, 2 → -10, 1 → -11
}

void Settings::resetToDefaults() {
  for (const SettingField& f : kFields) {
    switch (f.type) {
      case SettingType::Bool: f.flag(*this) = f.defaultValue != 0; break;
      case SettingType::Int: f.number(*this) = f.defaultValue; break;
      case SettingType::Text: f.text(*this) = utf8ToSjis(f.defaultText); break;
    }
  }
}

void Settings::clampToRanges() {
  for (const SettingField& f : kFields) {
    if (f.type == SettingType::Int) {
      int& v = f.number(*this);
      v = f.clamp(v);
    } else if (f.type == SettingType::Text) {
      std::string& v = f.text(*this);
      v = std::string(sjis::cutAtBoundary(v, static_cast<std::size_t>(f.max)));
    }
  }
}

}  // namespace ml
