#include "app/settings_file.h"

#include <string>

#include "app/ini_file.h"

namespace ml {
namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0xA0) || (c >= 0xC0 && c <= 0xFC); }

// Keys of the CharaVoice and CharaVolume sections: "0" … "9".
std::string digitKey(int n) { return std::string(1, static_cast<char>('0' + n)); }

}  // namespace

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

std::string cutToCharacterBoundary(std::string_view text, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t len = isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + len > maxBytes || i + len > text.size()) break;
    i += len;
  }
  return std::string(text.substr(0, i));
}

bool ReadSettings(const std::string& path, Settings& s, std::span<const std::string> refreshRates,
                  int* refreshEntry) {
  IniFile ini;
  ini.load(path);  // missing or unreadable: every value takes its default
  const Settings d;

  s.display.window = ini.readBool("Display", "Window", d.display.window);
  s.display.time = ini.readInt("Display", "Time", d.display.time);
  s.display.date = ini.readBool("Display", "Date", d.display.date);
  s.display.timeTop = ini.readInt("Display", "TimeTop", d.display.timeTop);
  s.display.drawWait = ini.readInt("Display", "DrawWait", d.display.drawWait);
  s.display.refresh = ini.readInt("Display", "Refresh", d.display.refresh);
  if (refreshEntry) {
    *refreshEntry = refreshRates.empty() ? -1 : 0;
    for (std::size_t i = 0; i < refreshRates.size(); ++i) {
      if (IniFile::parseInt(refreshRates[i]) == s.display.refresh) {
        *refreshEntry = static_cast<int>(i);
        break;
      }
    }
  }

  s.font.name = ini.readString("Font", "Name", d.font.name);
  s.font.style = ini.readInt("Font", "Style", d.font.style);

  s.message.speed = ini.readInt("Message", "Speed", d.message.speed);
  s.message.readed = ini.readBool("Message", "Readed", d.message.readed);
  s.message.readedLumi = ini.readInt("Message", "ReadedLumi", d.message.readedLumi);
  s.message.readedLumi2 = ini.readInt("Message", "ReadedLumi2", d.message.readedLumi2);
  s.message.mojiType = ini.readInt("Message", "MojiType", d.message.mojiType);
  s.message.retPosi = ini.readInt("Message", "RetPosi", d.message.retPosi);

  s.skip2.cancel = ini.readBool("Skip2", "Cancel", d.skip2.cancel);
  s.skip2.unread = ini.readBool("Skip2", "Unread", d.skip2.unread);
  s.skip2.wait = ini.readInt("Skip2", "Wait", d.skip2.wait);

  s.skip.wait = ini.readInt("Skip", "Wait", d.skip.wait);
  s.skip.voice = ini.readBool("Skip", "Voice", d.skip.voice);
  s.skip.effect = ini.readBool("Skip", "Effect", d.skip.effect);
  s.skip.cancel = ini.readBool("Skip", "Cancel", d.skip.cancel);
  s.skip.unread = ini.readBool("Skip", "Unread", d.skip.unread);

  s.skipSelect.unread = ini.readBool("SkipSelect", "Unread", d.skipSelect.unread);

  s.window.red = ini.readInt("Window", "Red", d.window.red);
  s.window.green = ini.readInt("Window", "Green", d.window.green);
  s.window.blue = ini.readInt("Window", "Blue", d.window.blue);
  s.window.alpha = ini.readInt("Window", "Alpha", d.window.alpha);
  s.window.guide = ini.readBool("Window", "Guide", d.window.guide);
  s.window.drag = ini.readInt("Window", "Drag", d.window.drag);
  s.window.window = ini.readBool("Window", "Window", d.window.window);
  s.window.board = ini.readBool("Window", "Board", d.window.board);
  s.window.icon = ini.readBool("Window", "Icon", d.window.icon);

  s.volume.bgm = ini.readInt("Volume", "Bgm", d.volume.bgm);
  s.volume.se = ini.readInt("Volume", "Se", d.volume.se);
  s.volume.voice = ini.readInt("Volume", "Voice", d.volume.voice);
  s.volume.pan = ini.readInt("Volume", "Pan", d.volume.pan);
  s.volume.bgmOn = ini.readBool("Volume", "BgmOn", d.volume.bgmOn);
  s.volume.seOn = ini.readBool("Volume", "SeOn", d.volume.seOn);
  s.volume.voOn = ini.readBool("Volume", "VoOn", d.volume.voOn);

  // The renderer keeps each name in a 12-byte buffer; a longer one is cut whole
  // characters short rather than overrunning it.
  s.user.name = cutToCharacterBoundary(ini.readString("User", "Name", d.user.name), kPlayerNameBytes);
  s.user.family =
      cutToCharacterBoundary(ini.readString("User", "Family", d.user.family), kPlayerNameBytes);

  s.save.overWriteCheck = ini.readBool("Save", "OverWriteCheck", d.save.overWriteCheck);
  s.save.recall = ini.readBool("Save", "Recall", d.save.recall);
  s.save.samWin = ini.readBool("Save", "SamWin", d.save.samWin);
  s.save.samSaveBig = ini.readBool("Save", "SamSaveBig", d.save.samSaveBig);

  s.effect.speed = convertEffectSpeed(ini.readInt("Effect", "Speed", d.effect.speed));
  s.effect.clickCancel = ini.readBool("Effect", "ClickCancel", d.effect.clickCancel);
  s.effect.waitCancel = ini.readBool("Effect", "WaitCancel", d.effect.waitCancel);

  s.voice.next = ini.readBool("Voice", "Next", d.voice.next);
  s.voice.rate = ini.readInt("Voice", "Rate", d.voice.rate);
  s.voice.guide = ini.readBool("Voice", "Guide", d.voice.guide);
  s.voice.guideNo = ini.readInt("Voice", "GuideNo", d.voice.guideNo);

  s.bgm.allBgm = ini.readBool("Bgm", "AllBgm", d.bgm.allBgm);

  s.key.repeat = ini.readInt("Key", "Repeat", d.key.repeat);
  s.key.context = ini.readBool("Key", "Context", d.key.context);

  s.log.lumi = ini.readInt("Log", "Lumi", d.log.lumi);
  s.log.exit = ini.readBool("Log", "Exit", d.log.exit);
  s.log.cg = ini.readBool("Log", "Cg", d.log.cg);
  s.log.bgm = ini.readBool("Log", "Bgm", d.log.bgm);
  s.log.voice = ini.readBool("Log", "Voice", d.log.voice);

  s.movie.play = ini.readBool("Movie", "Play", d.movie.play);

  s.system.noActive = ini.readBool("System", "NoActive", d.system.noActive);

  for (int n = 0; n < 10; ++n) {
    s.charaVoice[n] = ini.readBool("CharaVoice", digitKey(n), d.charaVoice[n]);
    s.charaVolume[n] = ini.readInt("CharaVolume", digitKey(n), d.charaVolume[n]);
  }

  s.niji.rain1 = ini.readBool("Niji", "Rain1", d.niji.rain1);
  s.niji.rain2 = ini.readBool("Niji", "Rain2", d.niji.rain2);

  return s.display.window;
}

void applyPlayerNames(const Settings& s, TextRules& rules) {
  rules.setGivenName(s.user.name);
  rules.setFamilyName(s.user.family);
}

void WriteSettings(const std::string& path, const Settings& s, bool windowed) {
  IniFile ini;
  IniFile::LoadResult loaded = ini.load(path);
  // A file that exists but cannot be read is left alone: rewriting it from nothing
  // would lose whatever else it holds.
  if (loaded == IniFile::LoadResult::Unreadable) return;
  const std::string before = ini.text();

  ini.writeBool("Display", "Window", windowed);
  ini.writeInt("Display", "Refresh", s.display.refresh);
  ini.writeInt("Display", "Time", s.display.time);
  ini.writeBool("Display", "Date", s.display.date);
  ini.writeInt("Display", "TimeTop", s.display.timeTop);
  ini.writeInt("Display", "DrawWait", s.display.drawWait);

  ini.writeString("Font", "Name", s.font.name);
  ini.writeInt("Font", "Style", s.font.style);

  ini.writeString("User", "Name", cutToCharacterBoundary(s.user.name, kPlayerNameBytes));
  ini.writeString("User", "Family", cutToCharacterBoundary(s.user.family, kPlayerNameBytes));

  ini.writeInt("Message", "Speed", s.message.speed);
  ini.writeBool("Message", "Readed", s.message.readed);
  ini.writeInt("Message", "ReadedLumi", s.message.readedLumi);
  ini.writeInt("Message", "ReadedLumi2", s.message.readedLumi2);
  ini.writeInt("Message", "MojiType", s.message.mojiType);
  ini.writeInt("Message", "RetPosi", s.message.retPosi);

  ini.writeBool("Skip2", "Cancel", s.skip2.cancel);
  ini.writeBool("Skip2", "Unread", s.skip2.unread);
  ini.writeInt("Skip2", "Wait", s.skip2.wait);

  ini.writeInt("Skip", "Wait", s.skip.wait);
  ini.writeBool("Skip", "Voice", s.skip.voice);
  ini.writeBool("Skip", "Effect", s.skip.effect);
  ini.writeBool("Skip", "Cancel", s.skip.cancel);
  ini.writeBool("Skip", "Unread", s.skip.unread);

  ini.writeBool("SkipSelect", "Unread", s.skipSelect.unread);

  ini.writeInt("Window", "Red", s.window.red);
  ini.writeInt("Window", "Green", s.window.green);
  ini.writeInt("Window", "Blue", s.window.blue);
  ini.writeInt("Window", "Alpha", s.window.alpha);
  ini.writeBool("Window", "Guide", s.window.guide);
  ini.writeInt("Window", "Drag", s.window.drag);
  ini.writeBool("Window", "Window", s.window.window);
  ini.writeBool("Window", "Board", s.window.board);
  ini.writeBool("Window", "Icon", s.window.icon);

  ini.writeInt("Volume", "Bgm", s.volume.bgm);
  ini.writeInt("Volume", "Se", s.volume.se);
  ini.writeInt("Volume", "Voice", s.volume.voice);
  ini.writeInt("Volume", "Pan", s.volume.pan);
  ini.writeBool("Volume", "BgmOn", s.volume.bgmOn);
  ini.writeBool("Volume", "SeOn", s.volume.seOn);
  ini.writeBool("Volume", "VoOn", s.volume.voOn);

  ini.writeBool("Voice", "Next", s.voice.next);
  ini.writeInt("Voice", "Rate", s.voice.rate);
  ini.writeBool("Voice", "Guide", s.voice.guide);
  ini.writeInt("Voice", "GuideNo", s.voice.guideNo);

  ini.writeBool("Bgm", "AllBgm", s.bgm.allBgm);

  ini.writeInt("Key", "Repeat", s.key.repeat);
  ini.writeBool("Key", "Context", s.key.context);

  ini.writeBool("Save", "OverWriteCheck", s.save.overWriteCheck);
  ini.writeBool("Save", "Recall", s.save.recall);
  ini.writeBool("Save", "SamWin", s.save.samWin);
  ini.writeBool("Save", "SamSaveBig", s.save.samSaveBig);

  ini.writeInt("Effect", "Speed", s.effect.speed);
  ini.writeBool("Effect", "ClickCancel", s.effect.clickCancel);
  ini.writeBool("Effect", "WaitCancel", s.effect.waitCancel);

  ini.writeInt("Log", "Lumi", s.log.lumi);
  ini.writeBool("Log", "Exit", s.log.exit);
  ini.writeBool("Log", "Cg", s.log.cg);
  ini.writeBool("Log", "Bgm", s.log.bgm);
  ini.writeBool("Log", "Voice", s.log.voice);

  ini.writeBool("Movie", "Play", s.movie.play);

  ini.writeBool("System", "NoActive", s.system.noActive);

  for (int n = 0; n < 10; ++n) {
    ini.writeBool("CharaVoice", digitKey(n), s.charaVoice[n]);
    ini.writeInt("CharaVolume", digitKey(n), s.charaVolume[n]);
  }

  // The Niji keys are read but never written.
  if (loaded == IniFile::LoadResult::Loaded && ini.text() == before) return;
  ini.save(path);
}

}  // namespace ml
