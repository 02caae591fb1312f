#include "engine/window_buttons.h"

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/message_window.h"

namespace ml {

void hideMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  hideWindow(rt);
  sc.windowHidePending = false;
  rt.shell->setQuickItems(false);
  MessageWindowState& mw = rt.messageWindow;
  constexpr int first = MessageWindowState::kChoiceFirstSlot;
  constexpr int last = MessageWindowState::kChoiceLastSlot;
  if (!mw.choicesHidden) {
    for (int i = first; i <= last; ++i)
      mw.choiceVisible[std::size_t(i - first)] = rt.layers[std::size_t(i)].visible();
    mw.choicesHidden = true;
  }
  for (int i = first; i <= last; ++i) rt.layers[std::size_t(i)].setVisible(false);
}

void restoreMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  restoreWindow(rt);
  rt.shell->refreshSaveMenus(true);
  sc.windowHidePending = false;
  MessageWindowState& mw = rt.messageWindow;
  constexpr int first = MessageWindowState::kChoiceFirstSlot;
  constexpr int last = MessageWindowState::kChoiceLastSlot;
  if (mw.choicesHidden) {
    for (int i = first; i <= last; ++i)
      rt.layers[std::size_t(i)].setVisible(mw.choiceVisible[std::size_t(i - first)]);
    mw.choicesHidden = false;
  }
}

}  // namespace ml
