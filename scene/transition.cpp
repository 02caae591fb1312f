#include "scene/transition.h"

#include <algorithm>
#include <array>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/effect_wait.h"
#include "scene/picture_layers.h"
#include "media/gfx/layer_slots.h"

namespace ml {
namespace {

// The slots a transition works on, with the ones given as -1 (or out of range) left out.
struct SlotSet {
  std::array<int, 4> slot{};
  int count = 0;

  SlotSet(int s1, int s2, int s3, int s4) {
    for (int s : {s1, s2, s3, s4})
      if (isLayerSlot(s)) slot[static_cast<std::size_t>(count++)] = s;
  }
  const int* begin() const { return slot.data(); }
  const int* end() const { return slot.data() + count; }
};

Sprite* layerAt(Runtime& rt, int slot) {
  return isLayerSlot(slot) ? &rt.scene.layers[static_cast<std::size_t>(slot)] : nullptr;
}

// The background leads with fade levels; sprites on their own fade by alpha.
void setLevel(Sprite& s, bool alpha, int v) {
  if (alpha)
    s.setAlpha(v);
  else
    s.setFade(v);
}

void releaseAndForget(ScriptContext& sc, int slot) {
  sc.rt.scene.layers.clear(slot);
  clearRecordedName(*sc.state, sceneSlotFromLayer(slot));
}

bool fadeOut(ScriptContext& sc, const SlotSet& slots, bool alpha, int divisor) {
  Runtime& rt = sc.rt;
  int v = 255;
  do {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    for (int s : slots) setLevel(rt.scene.layers[s], alpha, v);
    if (!redraw(sc)) return false;
    v -= dividedStep(rt.media.settings, divisor);
  } while (v > 0);
  for (int s : slots) releaseAndForget(sc, s);
  return redraw(sc);
}

bool fadeIn(ScriptContext& sc, const SlotSet& slots, int s1, bool quarterSpeed, int divisor) {
  Runtime& rt = sc.rt;
  const bool alpha = s1 != kBackgroundSlot;
  int v = 0;
  do {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    for (int s : slots) {
      Sprite& layer = rt.scene.layers[s];
      if (alpha) {
        layer.setAlpha(v);
      } else {
        // Sprites that come in with the background fade through black like it.
        layer.setFade(v);
        if (s != s1) layer.setAlpha(255);
      }
    }
    if (!redraw(sc)) return false;
    v += quarterSpeed ? std::max(1, transitionStep(rt.media.settings) / 4) : dividedStep(rt.media.settings, divisor);
  } while (v < 256);
  for (int s : slots) setLevel(rt.scene.layers[s], alpha, 255);
  if (!poll(sc)) return false;
  return redraw(sc);
}

bool mosaic(ScriptContext& sc, int s1, bool out) {
  Runtime& rt = sc.rt;
  Sprite* layer = layerAt(rt, s1);
  if (!layer) return true;
  int v = out ? 0 : 255;
  do {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    layer->setMosaic(v);
    if (!redraw(sc)) return false;
    v += out ? transitionStep(rt.media.settings) : -transitionStep(rt.media.settings);
  } while (out ? v < 255 : v > 0);
  layer->setMosaic(out ? 255 : 0);
  return redraw(sc);
}

bool scrollOut(ScriptContext& sc, int s1, bool left) {
  Runtime& rt = sc.rt;
  Sprite* layer = layerAt(rt, s1);
  if (!layer) return true;
  for (;;) {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    const int distance = 3 * transitionStep(rt.media.settings);
    const int x = layer->x() + (left ? -distance : distance);
    if (x < -799 || x > 799) break;
    layer->setPosition(x, layer->y());
    if (!redraw(sc)) return false;
  }
  releaseAndForget(sc, s1);
  return redraw(sc);
}

bool crossFade(ScriptContext& sc, const SlotSet& slots, int s1, int s2, int s3, int s4) {
  Runtime& rt = sc.rt;
  Sprite* incoming = layerAt(rt, s1);
  Sprite* outgoing = layerAt(rt, s1 + 1);
  // The per-pixel alpha flag makes the alpha levels count for both pictures.
  const bool hadAlpha = incoming && incoming->alphaFlag();
  if (incoming) incoming->setAlphaFlag(true);
  if (outgoing) outgoing->setAlphaFlag(true);
  const SlotSet others(s2, s3, s4, -1);
  int v = 0;
  do {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    // The background stays fully drawn below while the old one above it fades away.
    if (incoming && s1 != kBackgroundSlot) incoming->setAlpha(v);
    if (outgoing) outgoing->setAlpha(255 - v);
    for (int s : others) rt.scene.layers[s].setAlpha(v);
    if (!redraw(sc)) return false;
    v += transitionStep(rt.media.settings);
  } while (v < 256);
  for (int s : slots) rt.scene.layers[s].setAlpha(255);
  if (incoming) incoming->setAlphaFlag(hadAlpha);
  if (outgoing) rt.scene.layers.clear(s1 + 1);
  if (!poll(sc)) return false;
  return redraw(sc);
}

}  // namespace

Transition parseTransition(std::string_view name) {
  struct Entry {
    std::string_view name;
    Transition t;
  };
  static constexpr Entry kNames[] = {
      {"FADE_SET", Transition::Set},
      {"FADE_NONE", Transition::None},
      {"FADE_OUT", Transition::Out},
      {"FADE_STOP", Transition::Stop},
      {"FADE_IN", Transition::In},
      {"FADE_IN2", Transition::In2},
      {"MOSAIC_OUT", Transition::MosaicOut},
      {"MOSAIC_IN", Transition::MosaicIn},
      {"SCROLL_LEFT_OUT", Transition::ScrollLeftOut},
      {"SCROLL_RIGHT_OUT", Transition::ScrollRightOut},
      {"FADE_CROSS", Transition::Cross},
  };
  for (const Entry& e : kNames)
    if (e.name == name) return e.t;
  return Transition::Unknown;
}

bool runTransition(ScriptContext& sc, std::string_view name, int s1, int s2, int s3, int s4,
                   int divisor) {
  return runTransition(sc, parseTransition(name), name, s1, s2, s3, s4, divisor);
}

bool runTransition(ScriptContext& sc, Transition t, std::string_view name, int s1, int s2, int s3,
                   int s4, int divisor) {
  Runtime& rt = sc.rt;
  const SlotSet slots(s1, s2, s3, s4);
  const bool alpha = s1 != kBackgroundSlot;
  switch (t) {
    case Transition::Set:
      return true;
    case Transition::None:
      return redraw(sc);
    case Transition::Out:
      return fadeOut(sc, slots, alpha, divisor);
    case Transition::Stop:
      for (int s : slots) setLevel(rt.scene.layers[s], alpha, 0);
      return redraw(sc);
    case Transition::In:
    case Transition::In2:
      return fadeIn(sc, slots, s1, t == Transition::In2, divisor);
    case Transition::MosaicOut:
    case Transition::MosaicIn:
      return mosaic(sc, s1, t == Transition::MosaicOut);
    case Transition::ScrollLeftOut:
    case Transition::ScrollRightOut:
      return scrollOut(sc, s1, t == Transition::ScrollLeftOut);
    case Transition::Cross:
      return crossFade(sc, slots, s1, s2, s3, s4);
    case Transition::Unknown:
      break;
  }
  reportBadParameter(sc, name);
  return true;
}

}  // namespace ml
