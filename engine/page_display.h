// The end of a page: the page display (text drawn, read marks, voice, backlog) and the
// page wait (click, skip, auto).
#pragma once

namespace ml {

class ScriptContext;

// False when a menu asked to leave the running scene.
bool showPage(ScriptContext& sc, bool skippable);
bool waitPage(ScriptContext& sc, bool skippable);

}  // namespace ml
