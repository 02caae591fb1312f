#include "app/settings_file.h"

#include <string>

#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

std::string cutToCharacterBoundary(std::string_view text, std::size_t maxBytes) {
  return std::string(sjis::cutAtBoundary(text, maxBytes));
}

bool ReadSettings(const std::string& path, Settings& s, std::span<const std::string> refreshRates,
                  int* refreshEntry, SettingsFileStatus* status) {
  IniFile ini;
  std::string reason;
  // Missing or unreadable: every value takes its default.
  IniFile::LoadResult loaded = ini.load(path, &reason);
  if (status) *status = {loaded, reason};

  for (const SettingField& f : settingFields()) {
    switch (f.type) {
      case SettingType::Bool:
        f.flag(s) = ini.readBool(f.section, f.key, f.defaultValue != 0);
        break;
      case SettingType::Int: {
        int v = ini.readInt(f.section, f.key, f.defaultValue);
        if (f.convertOnRead) v = f.convertOnRead(v);
        f.number(s) = f.clamp(v);
        break;
      }
      case SettingType::Text:
        // The player names go into 12-byte buffers: a longer one is cut whole
        // characters short rather than overrunning them.
        f.text(s) = ini.readString(f.section, f.key, utf8ToSjis(f.defaultText),
                                   static_cast<std::size_t>(f.max));
        break;
    }
  }

  if (refreshEntry) {
    *refreshEntry = refreshRates.empty() ? -1 : 0;
    for (std::size_t i = 0; i < refreshRates.size(); ++i) {
      if (IniFile::parseInt(refreshRates[i]) == s.display.refresh) {
        *refreshEntry = static_cast<int>(i);
        break;
      }
    }
  }
  return s.display.window;
}

void applyPlayerNames(const Settings& s, TextRules& rules) {
  rules.setGivenName(s.user.name);
  rules.setFamilyName(s.user.family);
}

bool WriteSettings(const std::string& path, const Settings& settings, bool windowed, std::string* error,
                   const std::function<void(IniFile&)>& more) {
  IniFile ini;
  std::string reason;
  IniFile::LoadResult loaded = ini.load(path, &reason);
  // A file that exists but cannot be read is left alone: rewriting it from nothing
  // would lose whatever else it holds.
  if (loaded == IniFile::LoadResult::Unreadable) {
    if (error) *error = reason + "; it is kept as it is, not overwritten";
    return false;
  }
  const std::string before = ini.text();

  Settings s = settings;  // the accessors hand out references
  s.clampToRanges();
  for (const SettingField& f : settingFields()) {
    switch (f.use) {
      case SettingUse::ReadOnly:
        continue;
      case SettingUse::ScreenMode:
        ini.writeBool(f.section, f.key, windowed);
        continue;
      case SettingUse::ReadWrite:
        break;
    }
    switch (f.type) {
      case SettingType::Bool: ini.writeBool(f.section, f.key, f.flag(s)); break;
      case SettingType::Int: ini.writeInt(f.section, f.key, f.number(s)); break;
      case SettingType::Text: ini.writeString(f.section, f.key, f.text(s)); break;
    }
  }
  if (more) more(ini);

  if (loaded == IniFile::LoadResult::Loaded && ini.text() == before) return true;
  return ini.save(path, error);
}

}  // namespace ml
