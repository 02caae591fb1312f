#include "scene/option_screen.h"

namespace ml {

bool runOptionScreen(Runtime&, ScriptContext&) { return false; }

}  // namespace ml
