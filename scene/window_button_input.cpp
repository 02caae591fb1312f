// First form of the button pass: the buttons themselves do nothing yet. A click or a
// wheel turn towards the player advances; Escape (or a pending hide request) hides the
// window, and while it is hidden the next click or Escape shows it again. Of the
// pending requests, the jump to the next choice is carried out; the save requests wait
// for the save work.
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/window_buttons.h"
#include "scene/message_window.h"
#include "scene/save_screen.h"

namespace ml {
namespace {

// The requests raised by menus and keys outside the buttons. A jump to the next choice
// (menu, Shift+Down, the debug jump) ends the wait at once with the skip indicator up.
int processRequests(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (sc.fastForward) {
    rt.scene.layers[kModeIndicatorSlot].loadPicture("cg\\_Skip.bmp", rt.platform.ticks());
    present(sc);
    rt.shell->refreshSaveMenus(false);
    return kButtonsAdvance;
  }
  return kButtonsNothing;
}

}  // namespace

int handleWindowButtons(ScriptContext& sc, bool inChoice) {
  Runtime& rt = sc.rt;
  InputState& in = rt.story.input;
  if (!rt.story.switches.messageWindowActive) {
    if (in.isPressed(InputDecide | InputCancel) || sc.windowHidePending) {
      in.consumePresses();
      restoreMessageWindow(sc);
      return kButtonsScreenChanged;
    }
    return kButtonsNothing;
  }
  if (in.isPressed(InputDecide)) return kButtonsAdvance;
  if (const int opened = openSaveScreenFromKeys(sc)) return opened;
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
  // A choice is where the jump ends; there it is dropped.
  if (inChoice) sc.fastForward = false;
  return processRequests(sc);
}

}  // namespace ml
