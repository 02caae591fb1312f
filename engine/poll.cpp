#include "engine/poll.h"

#include <cstdio>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/gfx/layer_slots.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// Counted voice commands in all of the game's scripts.
constexpr int kTotalVoiceCommands = 2667;

bool windowCounts(Runtime& rt) { return rt.platform.windowActive() || rt.media.settings.system.noActive; }

}  // namespace

std::string readRateText(const ReadStatusStore& readStatus) {
  char digits[64];
  std::snprintf(digits, sizeof digits, " %d/%d", readStatus.countRead(), kTotalVoiceCommands);
  return SJ("既読率") + digits;
}

bool poll(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  rt.platform.processMessages();
  rt.sound().serviceChannels();
  rt.mediaControl().service();
  if (rt.requests().quitRequested) return false;
  bool active = rt.platform.windowActive();
  if (active || rt.media.settings.system.noActive) {
    sc.mouseX = rt.story.input.mouseX;
    sc.mouseY = rt.story.input.mouseY;
  } else {
    sc.mouseX = -1;
    sc.mouseY = -1;
  }
  rt.story.input.release(InputLogBack | InputLogForward);
  if (active && rt.platform.ctrlHeld())
    rt.story.input.press(InputSkip);
  else
    rt.story.input.release(InputSkip);
  return true;
}

bool present(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!windowCounts(rt)) return true;
  // The debug read-rate line sits in the last slot, so it lands on top of this frame.
  if (rt.story.debugMode) rt.scenePort().updateStatusLine();
  if (!rt.composeBackBuffer()) return false;
  rt.platform.present(rt.frameRequest());
  return true;
}

bool pollWithMenus(ScriptContext& sc, bool presentFirst, bool consumeFontChange) {
  Runtime& rt = sc.rt;
  if (rt.requests().quitRequested) return true;
  poll(sc);
  if (presentFirst) present(sc);
  if (rt.requests().titleRequested) {
    rt.shell->refreshSaveMenus(false);
    setAutoMode(rt, false);
    setSkipMode(rt, false);
    rt.scenePort().resetTextSize();
    sc.state->backgroundEffectMode() = 0;
    return true;
  }
  if (rt.requests().fontChanged) {
    rt.scenePort().applyFontChange();
    if (consumeFontChange) rt.requests().fontChanged = false;
  }
  return false;
}

bool clickCheck(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!rt.story.input.isPressed(InputDecide)) return false;
  rt.story.input.consumePresses();
  setAutoMode(rt, false);
  setSkipMode(rt, false);
  return rt.media.settings.effect.clickCancel;
}

void endFastForward(ScriptContext& sc) {
  if (!sc.fastForward) return;
  sc.fastForward = false;
  sc.rt.scene.layers[kModeIndicatorSlot].release();
  // The jump only recorded pictures and sounds; now they are shown and played.
  sc.rt.scenePort().restoreFromState(sc, *sc.state);
  sc.rt.sound().restartRecordedSounds(sc);
}

void setAutoMode(Runtime& rt, bool on) {
  rt.story.switches.autoMode = on;
  rt.shell->autoModeChanged(on);
}

void setSkipMode(Runtime& rt, bool on) {
  rt.story.switches.skipMode = on;
  rt.shell->skipModeChanged(on);
}

bool autoMode(const Runtime& rt) { return rt.story.switches.autoMode; }
bool skipMode(const Runtime& rt) { return rt.story.switches.skipMode; }

}  // namespace ml
