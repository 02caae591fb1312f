// The pieces every waiting command shares: the input poll, the frame presentation,
// the poll with menu requests, the click check, the end of a fast-forward, and the
// skip and auto switches.
#pragma once

#include <string>

namespace ml {

class Runtime;
class ScriptContext;
class ReadStatusStore;

// Processes window messages, services the sound channels and refreshes the mouse
// position and the Ctrl (skip) button. False when the program is closing.
bool poll(ScriptContext& sc);
// Composes the back buffer and shows it, while the window is active (or System/NoActive
// is on). False when composing fails.
bool present(ScriptContext& sc);
// Poll (and present when asked) and handle the title and font requests. True when the
// caller must return at once (closing, or returning to the title).
bool pollWithMenus(ScriptContext& sc, bool presentFirst, bool consumeFontChange);
// A click since the last check: consumed, auto and skip switched off; answers whether
// clicks cut effects short (Effect/ClickCancel).
bool clickCheck(ScriptContext& sc);
// Ends a jump in progress and rebuilds the scene it skipped over.
void endFastForward(ScriptContext& sc);

void setAutoMode(Runtime& rt, bool on);
void setSkipMode(Runtime& rt, bool on);
bool autoMode(const Runtime& rt);
bool skipMode(const Runtime& rt);

// "既読率 %d/%d" (Shift-JIS): read marks in the store over all counted voice commands.
std::string readRateText(const ReadStatusStore& readStatus);

}  // namespace ml
