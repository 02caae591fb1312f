// The pieces every frame-by-frame effect shares: the level step chosen by the player,
// the test that cuts an effect short, and the two ways a frame reaches the window.
#pragma once

#include <string>
#include <string_view>

namespace ml {

class Runtime;
class ScriptContext;
struct Settings;

// The step table of the effect speed setting (index 0 fastest, 11 slowest).
inline constexpr int kTransitionSteps[12] = {128, 64, 32, 24, 16, 12, 8, 6, 4, 3, 2, 1};

// The level step of the current effect speed; read again at every frame so that a
// change in the options dialog takes effect during a ramp.
int transitionStep(const Settings& settings);
// A step divided for slower ramps, never below 1.
int dividedStep(const Settings& settings, int divisor);

// True when an effect must jump to its end: Ctrl held, a click (consumed; it always
// switches auto and skip off, and ends the effect only with Effect/ClickCancel), skip
// mode, or auto mode with Skip/Effect.
bool effectStopped(ScriptContext& sc);

// Composes the frame from the layers and shows it; false when composing fails.
bool redraw(ScriptContext& sc);
// Shows the frame as it stands, with the current shake and zoom, without composing.
void repaint(ScriptContext& sc);

// A time argument in seconds: with a decimal point its value x 1000 truncated,
// otherwise the expression's value x 1000. Commas are reported and passed over.
long long secondsArgumentToMs(ScriptContext& sc, const std::string& argument);
// The cancellable timed wait of the scripts: polls and presents until the time has
// passed, a title request arrives or the stop test fires; Effect/WaitCancel skips it.
// False when the program is closing.
bool timedEffectWait(ScriptContext& sc, long long milliseconds);

// The full-screen fades of the composed frame to black and back from black, one step
// of the effect speed per repaint, without the stop test. False when the program is
// closing.
bool fadeScreenToBlack(ScriptContext& sc);
bool fadeScreenFromBlack(ScriptContext& sc);

// "パラメータが不正" with the offending word, as a script error.
void reportBadParameter(ScriptContext& sc, std::string_view word);

}  // namespace ml
