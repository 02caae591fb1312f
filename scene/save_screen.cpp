#include "scene/save_screen.h"

namespace ml {

bool runSaveScreen(Runtime&, ScriptContext&, bool) { return false; }

}  // namespace ml
