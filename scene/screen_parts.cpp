#include "scene/screen_parts.h"

#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/message_window.h"
#include "scene/scene_commands.h"

namespace ml {

Sprite& layer(Runtime& rt, int slot) { return rt.scene.layers[slot]; }

bool loadButton(Runtime& rt, int slot, std::string_view path, int x, int y, int state) {
  Sprite& s = layer(rt, slot);
  if (!s.loadPicture(path, rt.platform.ticks())) return false;
  s.setPosition(x, y);
  // The frame is the state; nothing may step it on.
  s.setAnimating(false);
  s.setFrame(state);
  return true;
}

void setButtonFrame(Runtime& rt, int slot, int state) {
  Sprite& s = layer(rt, slot);
  if (s.empty()) return;
  s.setFrame(state);
}

int buttonFrame(Runtime& rt, int slot) { return layer(rt, slot).currentFrame(); }

bool onSlot(Runtime& rt, int slot, int x, int y) { return layer(rt, slot).hitTest(x, y); }

void clearSlots(Runtime& rt, int first, int last) {
  for (int i = first; i <= last; ++i) rt.scene.layers.clear(i);
}

void HiddenGameSlots::hide(Runtime& rt, int first, int end) {
  if (hidden_) return;
  first_ = first;
  end_ = end;
  for (int i = first; i < end; ++i) {
    visible_[static_cast<std::size_t>(i)] = layer(rt, i).visible();
    layer(rt, i).setVisible(false);
  }
  hidden_ = true;
}

void HiddenGameSlots::restore(Runtime& rt) {
  if (!hidden_) return;
  for (int i = first_; i < end_; ++i) layer(rt, i).setVisible(visible_[static_cast<std::size_t>(i)]);
  hidden_ = false;
}

namespace {

bool fadeAll(ScriptContext& sc, int kind) {
  if (sc.rt.requests().quitRequested) return false;
  CommandRow row{"fade_all", cmdFadeAll};
  row.a = kind;
  return cmdFadeAll(sc, row) != 0 && !sc.rt.requests().quitRequested;
}

}  // namespace

bool fadeScreenOut(ScriptContext& sc) { return fadeAll(sc, 0); }
bool fadeScreenIn(ScriptContext& sc) { return fadeAll(sc, 1); }

void drawLabel(Runtime& rt, int slot, std::string_view sjis, int x, int y, int size, std::uint32_t colour) {
  ensureMessageFonts(rt, rt.story.state);
  Sprite& s = layer(rt, slot);
  const int columns = static_cast<int>(sjis.size()) + 2;
  s.setText(sjis, rt.scene.messageFonts.normal, colour, size, columns, 1, false);
  // Solid, not at the window's opacity.
  s.setBoardMode(2);
  s.setPosition(x, y);
}

bool PointerWatch::moved(const ScriptContext& sc) {
  if (sc.mouseX == x && sc.mouseY == y) return false;
  x = sc.mouseX;
  y = sc.mouseY;
  return true;
}

bool extrasScreenEnds(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!pollWithMenus(sc, false, true)) return false;
  if (rt.requests().quitRequested) return true;
  rt.requests().titleRequested = false;
  rt.scene.layers.clearAll();
  rt.sound().stopAllChannels();
  return true;
}

void finishPass(ScriptContext& sc, bool changed, std::uint32_t idleMs) {
  sc.rt.story.switches.screenIdle = !changed;
  if (changed)
    present(sc);
  else
    sc.rt.platform.sleep(idleMs);
}

}  // namespace ml
