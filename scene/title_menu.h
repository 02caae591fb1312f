// The title menu: start, continue, extras, options, end.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;

// False when the program is closing.
bool runTitleMenu(Runtime& rt, ScriptContext& sc);

}  // namespace ml
