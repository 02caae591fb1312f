#include "scene/window_buttons.h"

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/message_window.h"

namespace ml {

void hideMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  hideWindow(rt);
  sc.windowHidePending = false;
  rt.shell->setQuickItems(false);
  MessageWindowState& mw = rt.scene.messageWindow;
  constexpr int first = kChoiceFirstSlot;
  constexpr int last = kChoiceLastSlot;
  if (!mw.choicesHidden) {
    for (int i = first; i <= last; ++i)
      mw.choiceVisible[std::size_t(i - first)] = rt.scene.layers[std::size_t(i)].visible();
    mw.choicesHidden = true;
  }
  for (int i = first; i <= last; ++i) rt.scene.layers[std::size_t(i)].setVisible(false);
}

void restoreMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  restoreWindow(rt);
  rt.shell->refreshSaveMenus(true);
  sc.windowHidePending = false;
  MessageWindowState& mw = rt.scene.messageWindow;
  constexpr int first = kChoiceFirstSlot;
  constexpr int last = kChoiceLastSlot;
  if (mw.choicesHidden) {
    for (int i = first; i <= last; ++i)
      rt.scene.layers[std::size_t(i)].setVisible(mw.choiceVisible[std::size_t(i - first)]);
    mw.choicesHidden = false;
  }
}

}  // namespace ml
