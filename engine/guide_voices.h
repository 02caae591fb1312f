// The voices that speak the window buttons' descriptions: a table of rows of sixteen
// entries, one row per speaker; Voice/GuideNo picks the row. Entry m names button m;
// a quick load speaks entry 1 and a quick save entry 2.
#pragma once

#include <string>

namespace ml {

class ScriptContext;

struct GameContent;

inline constexpr int kGuideVoiceEntries = 16;
inline constexpr int kGuideQuickLoad = 1;
inline constexpr int kGuideQuickSave = 2;
// The row's name as the option dialog lists it (Shift-JIS); empty outside the table.
std::string guideVoiceRowName(const GameContent& content, int row);

// "wav\gv_aoi_03.wav" for row 0, entry 3 of the demo; empty for a row or entry
// outside the table.
std::string guideVoicePath(const GameContent& content, int row, int entry);

// With Voice/Guide on: entry `entry` of the row Voice/GuideNo on the interface sound
// channel at the effect volume. A game without that file stays silent.
void playGuideVoice(ScriptContext& sc, int entry);

}  // namespace ml
