// First form of the button pass: the buttons themselves do nothing yet. A click or a
// wheel turn towards the player advances; Escape (or a pending hide request) hides the
// window, and while it is hidden the next click or Escape shows it again.
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "engine/window_buttons.h"

namespace ml {

int handleWindowButtons(ScriptContext& sc, bool inChoice) {
  Runtime& rt = sc.rt;
  InputState& in = rt.input;
  if (!rt.switches.messageWindowActive) {
    if (in.isPressed(InputDecide | InputCancel) || sc.windowHidePending) {
      in.consumePresses();
      restoreMessageWindow(sc);
      return kButtonsScreenChanged;
    }
    return kButtonsNothing;
  }
  if (in.isPressed(InputDecide)) return kButtonsAdvance;
  if (in.isPressed(InputLogForward)) {
    in.consumePresses();
    return kButtonsAdvance;
  }
  if (in.isPressed(InputCancel)) {
    in.consumePresses();
    sc.windowHidePending = true;
  }
  if (sc.windowHidePending) {
    hideMessageWindow(sc);
    return kButtonsScreenChanged;
  }
  return kButtonsNothing;
}

}  // namespace ml
