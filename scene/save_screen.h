// The save/load screen: six pages of ten slots with thumbnails and comments.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;

// True when a game was loaded.
bool runSaveScreen(Runtime& rt, ScriptContext& sc, bool loadMode);

}  // namespace ml
