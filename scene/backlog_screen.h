// The backlog window: earlier pages, their voices, and continuing from one of them.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;

// True when the player continued from an earlier page.
bool runBacklog(Runtime& rt, ScriptContext& sc);

}  // namespace ml
