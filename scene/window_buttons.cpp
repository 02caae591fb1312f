#include "scene/window_buttons.h"

#include <algorithm>
#include <string_view>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/posix/file_handle.h"
#include "scene/compose_scene.h"
#include "scene/message_window.h"

namespace ml {

namespace {

bool saveReadable(ScriptContext& sc, std::string_view name) {
  FileHandle file;
  return sc.rt.media.saveFolder.open(name, file);
}

}  // namespace

void requestNextChoice(ScriptContext& sc) { sc.fastForward = true; }

void requestLastChoice(ScriptContext& sc) {
  if (saveReadable(sc, "Save900.dat")) sc.prevChoicePending = true;
}

void requestQuickLoad(ScriptContext& sc) {
  if (saveReadable(sc, "Save800.dat")) sc.quickLoadPending = true;
}

void requestQuickSave(ScriptContext& sc) { sc.quickSavePending = true; }

void requestHideWindow(ScriptContext& sc) { sc.windowHidePending = true; }

void hideMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  hideWindow(rt);
  sc.windowHidePending = false;
  rt.shell->setQuickItems(false);
  MessageWindowState& mw = rt.scene.messageWindow;
  mw.dragging = false;
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

void moveMessageWindow(ScriptContext& sc, int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  Runtime& rt = sc.rt;
  // The key-wait icon (slot 79) moves with the rest, once.
  for (int i = kWindowFirstSlot; i <= kWindowLastSlot; ++i) {
    Sprite& s = rt.scene.layers[std::size_t(i)];
    if (!s.empty()) s.setPosition(s.x() + dx, s.y() + dy);
  }
  GameState& st = *sc.state;
  auto shifted = [](std::int32_t v, int d) {
    return static_cast<std::int32_t>(std::clamp<long long>(static_cast<long long>(v) + d, -(1LL << 24), 1LL << 24));
  };
  st.windowX = shifted(st.windowX, dx);
  st.windowY = shifted(st.windowY, dy);
  st.namePlateX = shifted(st.namePlateX, dx);
  st.namePlateY = shifted(st.namePlateY, dy);
  // Partial repaints restore from the window snapshot, which must show it where it is.
  refreshWindowSnapshot(rt.scene.layers, *rt.media.pixels);
}

}  // namespace ml
