// The contents of the current-line dialog ("デバッグ"): the running line, the page text
// and the names of the pictures and sounds now recorded in the game state.
#pragma once

#include "platform/ui_model.h"

namespace ml {

class Runtime;

DebugFormData currentLineForm(Runtime& rt);

}  // namespace ml
