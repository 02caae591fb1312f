#include "scene/backlog_screen.h"

namespace ml {

bool runBacklog(Runtime&, ScriptContext&) { return false; }

}  // namespace ml
