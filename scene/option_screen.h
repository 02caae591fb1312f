// The in-game option screen.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;

// True when it ended with a return to the title or the program quitting.
bool runOptionScreen(Runtime& rt, ScriptContext& sc);

}  // namespace ml
