#include "scene/title_menu.h"

namespace ml {

bool runTitleMenu(Runtime&, ScriptContext&) { return true; }

}  // namespace ml
