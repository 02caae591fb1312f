// The in-game option screen: two pages of check marks and sliders drawn with the game's
// pictures, and the font, title, end and name buttons.
#pragma once

#include <vector>

namespace ml {

class Runtime;
class ScriptContext;
struct Settings;

// True when it ended with a return to the title or the program quitting. `page` (0 or
// 1) is the page shown, kept by the caller for the run.
bool runOptionScreen(Runtime& rt, ScriptContext& sc, int& page);

// The settings behind the screen's controls, for the screen and its tests.
// A check mark of the first page (ids 8-12: 8 the screen mode) or the second (ids
// 4-14): its setting's value.
bool optionCheck(const Settings& s, int page, int id);
// A slider's position 0-255 for the value its setting holds.
int optionSliderPosition(const Settings& s, int page, int id);
// Stores what a slider at position p (0-255, the pointer x minus the track x) means.
void storeOptionSlider(Settings& s, int page, int id, int p);
// Toggles (or sets) a check's setting; the screen mode is the caller's.
void storeOptionCheck(Settings& s, int page, int id, bool on);
// The guide-voice selector position 0-6 for the settings, and the settings for one.
int guideVoicePosition(const Settings& s);
void storeGuideVoice(Settings& s, int position);

}  // namespace ml
