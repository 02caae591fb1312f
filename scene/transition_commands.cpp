// fade and its short forms, sp_fade, mosaic, zoom, rotate, bg_effect: transitions of
// the scene layers driven from the script.
#include <string>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/compose_scene.h"
#include "scene/effect_wait.h"
#include "scene/picture_layers.h"
#include "media/gfx/layer_slots.h"
#include "scene/transition.h"

namespace ml {
namespace {

std::int32_t readNumber(ScriptContext& sc) { return sc.evaluate(sc.readArgument()); }

std::uint8_t result(bool ok) { return ok ? 1 : 0; }

std::string transitionOf(ScriptContext& sc, const CommandRow& row) {
  return row.fixedText ? std::string(row.fixedText) : sc.readArgument();
}

// One ramp of a layer's mosaic level from `from` while `more(v)`, by the step each
// frame. False when the program is closing; `stopped` tells whether the stop test
// ended it.
template <typename More>
bool mosaicRamp(ScriptContext& sc, Sprite& layer, int from, int direction, More more, bool& stopped) {
  stopped = false;
  for (int v = from; more(v); v += direction * transitionStep(sc.rt.media.settings)) {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) {
      stopped = true;
      return true;
    }
    layer.setMosaic(v);
    if (!redraw(sc)) return false;
  }
  return true;
}

}  // namespace

std::uint8_t cmdFade(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string transition = transitionOf(sc, row);
  if (sc.fastForward) {
    // Only a fade-out changes what a saved game must rebuild.
    if (parseTransition(transition) == Transition::Out) {
      clearRecordedName(*sc.state, 0);
      sc.state->backgroundEffectMode() = 0;
      for (int k = 1; k <= 3; ++k) clearRecordedName(*sc.state, k);
    }
    return 1;
  }
  return result(runTransition(sc, transition, kBackgroundSlot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, row.a));
}

std::uint8_t cmdSpriteFade(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string transition = transitionOf(sc, row);
  if (sc.fastForward) {
    if (parseTransition(transition) == Transition::Out)
      for (int k = 1; k <= 3; ++k) clearRecordedName(*sc.state, k);
    return 1;
  }
  return result(runTransition(sc, transition, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, -1, row.a));
}

std::uint8_t cmdMosaic(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t slot = readNumber(sc);
  const std::string word = sc.readArgument();
  if (sc.fastForward) return 1;
  const bool outIn = word == "MOSAIC_OUTIN", out = word == "MOSAIC_OUT", in = word == "MOSAIC_IN";
  if (!outIn && !out && !in) {
    reportBadParameter(sc, word);
    return 1;
  }
  if (!isLayerSlot(slot)) return 1;
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  bool stopped = false;
  int final = 0;
  if (outIn) {
    if (!mosaicRamp(sc, layer, 0, +1, [](int v) { return v <= 254; }, stopped)) return 0;
    if (!stopped && !mosaicRamp(sc, layer, 255, -1, [](int v) { return v > 0; }, stopped)) return 0;
  } else if (out) {
    if (!mosaicRamp(sc, layer, 0, +1, [](int v) { return v < 256; }, stopped)) return 0;
    final = 255;
  } else {
    if (!mosaicRamp(sc, layer, 255, -1, [](int v) { return v >= 0; }, stopped)) return 0;
  }
  layer.setMosaic(final);
  return result(redraw(sc));
}

std::uint8_t cmdZoom(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::string word = sc.readArgument();
  if (sc.fastForward) return 1;
  const bool out = word == "ZOOM_OUT";
  if (!out && word != "ZOOM_IN") {
    reportBadParameter(sc, word);
    return 1;
  }
  // The zoom enlarges the frame as it stands; nothing is composed meanwhile.
  BackBuffer& bb = sc.rt.scene.backBuffer;
  for (int v = out ? 0 : 255; out ? v <= 255 : v >= 0; v += (out ? 1 : -1) * transitionStep(sc.rt.media.settings)) {
    if (!poll(sc)) return 0;
    if (effectStopped(sc)) break;
    bb.setHold(v);
    repaint(sc);
  }
  bb.setHold(out ? 255 : 0);
  repaint(sc);
  return 1;
}

std::uint8_t cmdRotate(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t slot = readNumber(sc);
  const std::int32_t angle = readNumber(sc);
  const std::string word = sc.readArgument();
  if (sc.fastForward) return 1;
  const bool set = word == "ROTATE_SET";
  if (!set && word != "ROTATE_MOVE") {
    reportBadParameter(sc, word);
    return 1;
  }
  if (!isLayerSlot(slot)) return 1;
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  if (set) {
    layer.setRotation(angle % 360);
    return 1;
  }
  for (int a = 0; a < 360; a += transitionStep(sc.rt.media.settings)) {
    if (!poll(sc)) return 0;
    if (effectStopped(sc)) break;
    layer.setRotation(a);
    if (!redraw(sc)) return 0;
  }
  layer.setRotation(0);
  return result(redraw(sc));
}

std::uint8_t cmdBgEffect(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::int32_t mode = row.a != 0 ? row.b : readNumber(sc);
  sc.state->backgroundEffectMode() = static_cast<std::uint8_t>(mode);
  if (sc.state->backgroundEffectMode() != 0)
    sc.effectStartSecond = static_cast<std::int32_t>(sc.rt.platform.ticks() / 1000);
  else
    backgroundEffectHook(0);
  return 1;
}

}  // namespace ml
