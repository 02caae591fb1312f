#include "engine/poll.h"

#include <cstdio>

#include "engine/page_display.h"
#include "engine/page_seams.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"
#include "scene/message_window.h"
#include "scene/picture_layers.h"

namespace ml {
namespace {

// Counted voice commands in all of the game's scripts.
constexpr int kTotalVoiceCommands = 2667;

bool windowCounts(Runtime& rt) { return rt.platform.windowActive() || rt.settings.system.noActive; }

}  // namespace

std::string readRateText(Runtime& rt) {
  char digits[64];
  std::snprintf(digits, sizeof digits, " %d/%d", rt.readStatus.countRead(), kTotalVoiceCommands);
  return SJ("既読率") + digits;
}

bool poll(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  rt.platform.processMessages();
  rt.serviceSoundChannels();
  if (rt.window.quitRequested) return false;
  bool active = rt.platform.windowActive();
  if (active || rt.settings.system.noActive) {
    sc.mouseX = rt.window.mouseX;
    sc.mouseY = rt.window.mouseY;
  } else {
    sc.mouseX = -1;
    sc.mouseY = -1;
  }
  rt.input.release(InputLogBack | InputLogForward);
  if (active && rt.platform.ctrlHeld())
    rt.input.press(InputSkip);
  else
    rt.input.release(InputSkip);
  return true;
}

bool present(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!windowCounts(rt)) return true;
  // The debug read-rate line sits in the last slot, so it lands on top of this frame.
  if (rt.debugMode) updateReadRateLine(rt);
  if (!rt.composeBackBuffer()) return false;
  rt.platform.present(rt.frameRequest());
  return true;
}

bool pollWithMenus(ScriptContext& sc, bool presentFirst, bool consumeFontChange) {
  Runtime& rt = sc.rt;
  if (rt.window.quitRequested) return true;
  poll(sc);
  if (presentFirst) present(sc);
  if (rt.window.titleRequested) {
    rt.shell->refreshSaveMenus(false);
    setAutoMode(rt, false);
    setSkipMode(rt, false);
    rt.resetTextSize();
    sc.state->backgroundEffectMode() = 0;
    return true;
  }
  if (rt.window.fontChanged) {
    rt.applyFontChange();
    if (consumeFontChange) rt.window.fontChanged = false;
  }
  return false;
}

bool clickCheck(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!rt.input.isPressed(InputDecide)) return false;
  rt.input.consumePresses();
  setAutoMode(rt, false);
  setSkipMode(rt, false);
  return rt.settings.effect.clickCancel;
}

void endFastForward(ScriptContext& sc) {
  if (!sc.fastForward) return;
  sc.fastForward = false;
  sc.rt.layers[kModeIndicatorSlot].release();
  // The jump only recorded pictures and sounds; now they are shown and played.
  restoreSceneLayers(sc, *sc.state);
  restartRecordedSounds(sc);
}

void setAutoMode(Runtime& rt, bool on) {
  rt.switches.autoMode = on;
  rt.shell->autoModeChanged(on);
}

void setSkipMode(Runtime& rt, bool on) {
  rt.switches.skipMode = on;
  rt.shell->skipModeChanged(on);
}

bool autoMode(const Runtime& rt) { return rt.switches.autoMode; }
bool skipMode(const Runtime& rt) { return rt.switches.skipMode; }

}  // namespace ml
