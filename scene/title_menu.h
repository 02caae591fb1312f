// The title menu: start, continue, extras, options, end.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;

inline constexpr int kTitleButtonCount = 5;
enum class TitleButton { Start, Continue, Extras, Options, End };

// Resets the menu's slots and draws its background, buttons and marks; starts the
// title music (or fades the music out when the game has none).
void drawTitleMenu(Runtime& rt, ScriptContext& sc);
// Lights the hovered button (-1: none) and puts the two marks beside it.
void highlightTitleButton(Runtime& rt, int hovered);

// The menu's loop. True when a new game starts, a game was loaded, the option screen
// ended with a title return or quitting, or the program quits through the end button;
// false when the program is closing under it.
bool runTitleMenu(Runtime& rt, ScriptContext& sc);

}  // namespace ml
