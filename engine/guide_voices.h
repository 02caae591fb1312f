// The voices that speak the window buttons' descriptions: a table of rows of sixteen
// entries, one row per speaker; Voice/GuideNo picks the row. Entry m names button m;
// a quick load speaks entry 1 and a quick save entry 2.
#pragma once

#include <array>
#include <string>

namespace ml {

class ScriptContext;

struct GuideVoiceRow {
  const char* displayNameUtf8;  // as the option dialog lists it
  const char* filePrefix;       // entry m is "wav\<prefix>_<mm>.wav"
};
inline constexpr int kGuideVoiceRows = 6;
inline constexpr int kGuideVoiceEntries = 16;
inline constexpr int kGuideQuickLoad = 1;
inline constexpr int kGuideQuickSave = 2;
const std::array<GuideVoiceRow, kGuideVoiceRows>& guideVoiceRows();
// The row's name as the option dialog lists it (Shift-JIS); empty outside the table.
std::string guideVoiceRowName(int row);

// "wav\gv_aoi_03.wav" for row 0, entry 3; empty for a row or entry outside the table.
std::string guideVoicePath(int row, int entry);

// With Voice/Guide on: entry `entry` of the row Voice/GuideNo on the interface sound
// channel at the effect volume. A game without that file stays silent.
void playGuideVoice(ScriptContext& sc, int entry);

}  // namespace ml
