// The extras: picture gallery, recollection gallery and its player, music room.
#pragma once

#include <string_view>

namespace ml {

class Runtime;
class ScriptContext;
struct ExtrasTables;

// True when the player goes back to the title menu, false when the program quits.
bool runExtras(Runtime& rt, ScriptContext& sc, const ExtrasTables& tables);
// Replays one scene on a copy of the game state; the real game is left as it was.
void playRecollection(Runtime& rt, ScriptContext& sc, std::string_view script, int startValue);

}  // namespace ml
