#include "scene/extras.h"

namespace ml {

bool runExtras(Runtime&, ScriptContext&) { return true; }
void playRecollection(Runtime&, ScriptContext&, std::string_view, int) {}

}  // namespace ml
