// The player's settings file: "mirelune.ini" in the game folder, read at start-up and
// written at every exit, every OK of the option dialog and every close of the in-game
// option screen. "Default.ini" has the same form and is read only by the option
// dialog's default button.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/ini_file.h"
#include "media/settings.h"
#include "media/text/text_rules.h"

namespace ml {

inline constexpr std::string_view kSettingsFileName = "mirelune.ini";
inline constexpr std::string_view kDefaultSettingsFileName = "Default.ini";

// The player names go into 12-byte buffers of the text renderer: 11 bytes and a
// terminator.
inline constexpr std::size_t kPlayerNameBytes = 11;

// How the settings file was found by ReadSettings: loaded, missing, or there but not
// readable (too large, a link, not a regular file...), with the reason ("PATH: reason").
struct SettingsFileStatus {
  IniFile::LoadResult result = IniFile::LoadResult::Missing;
  std::string reason;
};

// Reads every value of the table (media/settings.h) into settings; a missing key, a
// value that is not an integer where one is expected, or a missing or unreadable file
// gives the value's default, and every value is clamped into its range. refreshRates
// is the full-screen refresh-rate list as the option dialog shows it (decimal texts);
// *refreshEntry receives the index of the first entry equal to Display/Refresh, else 0
// (the first entry), or -1 when the list is empty. Display/Refresh itself keeps the
// value read. Answers Display/Window.
bool ReadSettings(const std::string& path, Settings& settings,
                  std::span<const std::string> refreshRates = {}, int* refreshEntry = nullptr,
                  SettingsFileStatus* status = nullptr);

// User/Name and User/Family into the text renderer's name buffers, which the name
// placeholders of the text and the speaker's name draw from. Every reading of the
// settings is followed by this, or the placeholders keep the default names.
void applyPlayerNames(const Settings& settings, TextRules& rules);

// Writes every value of the table except the two Niji keys, in table order,
// Display/Window from the current screen mode, each clamped into its range. Other keys
// and sections of an existing file are kept; a file that cannot be read is not
// overwritten. Written through the safe write path; false, with *error ("PATH:
// reason") for the caller to report, when the file could not be written (the old one
// then stays whole).
// `more` adds the program's own keys (kept like any other unknown key) in the same write.
bool WriteSettings(const std::string& path, const Settings& settings, bool windowed,
                   std::string* error = nullptr, const std::function<void(IniFile&)>& more = {});

// The longest prefix of text of at most maxBytes that does not split a double-byte
// character (the engine's lead-byte rule); a lead byte without its second byte at the
// end is dropped as well.
std::string cutToCharacterBoundary(std::string_view text, std::size_t maxBytes);

}  // namespace ml
