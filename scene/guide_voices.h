// The guide voices: a voice that names the window button under the pointer, and the
// one spoken after a quick load (entry 1) or a quick save (entry 2). Rows of 16 entries
// of game data; Voice/GuideNo chooses the row, Voice/Guide switches them on.
#pragma once

#include <string>

namespace ml {

class ScriptContext;

inline constexpr int kGuideVoiceRows = 6;
inline constexpr int kGuideVoiceEntries = 16;
inline constexpr int kGuideQuickLoad = 1;
inline constexpr int kGuideQuickSave = 2;

// The row's name as the option dialog lists it (Shift-JIS).
std::string guideVoiceRowName(int row);
// The sound name (without "wav\" and ".wav") of an entry; empty when the row has none.
std::string guideVoiceName(int row, int entry);

// With Voice/Guide on: the entry of the chosen row on the interface channel at the
// effect volume. A voice the game does not have is passed over without a report.
void playGuideVoice(ScriptContext& sc, int entry);

}  // namespace ml
