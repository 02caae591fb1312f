// move_yposi, move_xyposi, move_xyset, move_xywait, scroll, set_fade, set_alpha,
// set_alpha2, set_all_fade: moving layers and changing their levels.
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/effect_wait.h"
#include "media/gfx/layer_slots.h"

namespace ml {
namespace {

std::int32_t readNumber(ScriptContext& sc) { return sc.evaluate(sc.readArgument()); }

std::uint8_t result(bool ok) { return ok ? 1 : 0; }

int clampLevel(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, 255)); }

std::int32_t clampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

// Velocity in 16.16 pixels per frame that covers `distance` pixels in `frames` frames.
std::int32_t perFrame(std::int64_t distance, int frames) { return clampToInt32(distance * 65536 / frames); }

// Vertical move by `step` pixels per frame until the target is reached or passed.
bool moveVertically(ScriptContext& sc, int slot, int target, int step) {
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  // A step of 0 would never arrive; the layer goes to its target at once.
  if (step == 0) {
    layer.setPosition(layer.x(), target);
    return redraw(sc);
  }
  std::int64_t y = layer.y();
  for (;;) {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) {
      layer.setPosition(layer.x(), target);
      return redraw(sc);
    }
    y += step;
    if ((step > 0 && y >= target) || (step < 0 && y <= target)) {
      layer.setPosition(layer.x(), target);
      return redraw(sc);
    }
    layer.setPosition(layer.x(), static_cast<int>(y));
    if (!redraw(sc)) return false;
  }
}

// The level a ramp ends at: 255 rising, 0 falling.
int rampEnd(int step, int current) { return step > 0 ? 255 : step < 0 ? 0 : current; }

}  // namespace

std::uint8_t cmdMoveYPosi(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const std::int32_t y = readNumber(sc);
  const std::int32_t step = readNumber(sc);
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  if (sc.fastForward) {
    layer.setPosition(layer.x(), y);
    return 1;
  }
  return result(moveVertically(sc, slot, y, step));
}

std::uint8_t cmdScroll(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const std::string word = sc.readArgument();
  if (word != "UP" && word != "SCROLL_UP" && word != "SCROLL_DOWN") {
    reportBadParameter(sc, word);
    return 1;
  }
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  if (sc.fastForward) {
    layer.setPosition(layer.x(), 0);
    return 1;
  }
  // All three words slide the layer down to the top of the screen.
  return result(moveVertically(sc, slot, 0, 5));
}

std::uint8_t cmdMoveXYPosi(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const std::int32_t x = readNumber(sc);
  const std::int32_t y = readNumber(sc);
  const int frames = std::max(1, readNumber(sc));
  const int k = sceneSlotFromLayer(slot);
  sc.state->layerX[k] = x;
  sc.state->layerY[k] = y;
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  if (sc.fastForward) {
    layer.setPosition(x, y);
    return 1;
  }
  const std::int64_t dx = perFrame(std::int64_t{x} - layer.x(), frames);
  const std::int64_t dy = perFrame(std::int64_t{y} - layer.y(), frames);
  const std::int64_t tx = std::int64_t{x} * 65536, ty = std::int64_t{y} * 65536;
  std::int64_t cx = std::int64_t{layer.x()} * 65536, cy = std::int64_t{layer.y()} * 65536;
  if (dx != 0 || dy != 0) {
    for (;;) {
      if (!poll(sc)) return 0;
      if (effectStopped(sc)) break;
      cx += dx;
      if (dx != 0 && (dx > 0 ? cx >= tx : cx <= tx)) break;
      cy += dy;
      if (dy != 0 && (dy > 0 ? cy >= ty : cy <= ty)) break;
      layer.setPosition(static_cast<int>(cx >> 16), static_cast<int>(cy >> 16));
      if (!redraw(sc)) return 0;
    }
  }
  layer.setPosition(x, y);
  return result(redraw(sc));
}

std::uint8_t cmdMoveXYSet(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const std::int32_t x = readNumber(sc);
  const std::int32_t y = readNumber(sc);
  const int frames = std::max(1, readNumber(sc));
  const std::int32_t fadeStep = readNumber(sc);
  const std::int32_t alphaStep = readNumber(sc);
  const int k = sceneSlotFromLayer(slot);
  GameState& state = *sc.state;
  state.layerX[k] = x;
  state.layerY[k] = y;
  state.layerFade[k] = rampEnd(fadeStep, state.layerFade[k]);
  state.layerAlpha[k] = rampEnd(alphaStep, state.layerAlpha[k]);
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  if (sc.fastForward) {
    layer.setPosition(x, y);
    if (fadeStep != 0) layer.setFade(rampEnd(fadeStep, 0));
    if (alphaStep != 0) layer.setAlpha(rampEnd(alphaStep, 0));
    return 1;
  }
  // The composition runs the move and the ramps from here on, one step per frame.
  if (fadeStep != 0) layer.setFade(fadeStep > 0 ? 0 : 255);
  if (alphaStep != 0) layer.setAlpha(alphaStep > 0 ? 0 : 255);
  layer.setFadeStep(fadeStep);
  layer.setAlphaStep(alphaStep);
  layer.setVelocity(perFrame(std::int64_t{x} - layer.x(), frames), perFrame(std::int64_t{y} - layer.y(), frames));
  layer.setTarget(x, y);
  return 1;
}

std::uint8_t cmdMoveXYWait(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  Runtime& rt = sc.rt;
  if (sc.fastForward) return 1;
  const Sprite& waited = rt.scene.layers[static_cast<std::size_t>(slot)];
  auto running = [](const Sprite& s) {
    return s.velocityX() != 0 || s.velocityY() != 0 || s.fadeStep() != 0 || s.alphaStep() != 0;
  };
  for (;;) {
    if (!poll(sc)) return 0;
    if (effectStopped(sc) || !running(waited)) break;
    if (!present(sc)) return 0;
  }
  // Whatever still runs jumps to where it was going.
  for (int slot5 : {kBackgroundSlot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, kSpriteSlot4}) {
    Sprite& s = rt.scene.layers[static_cast<std::size_t>(slot5)];
    if (!running(s)) continue;
    if (s.velocityX() != 0 || s.velocityY() != 0) {
      s.setPosition(s.targetX(), s.targetY());
      s.setVelocity(0, 0);
    }
    if (s.fadeStep() != 0) {
      s.setFade(rampEnd(s.fadeStep(), s.fade()));
      s.setFadeStep(0);
    }
    if (s.alphaStep() != 0) {
      s.setAlpha(rampEnd(s.alphaStep(), s.alpha()));
      s.setAlphaStep(0);
    }
  }
  return 1;
}

std::uint8_t cmdSetFade(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const int level = clampLevel(readNumber(sc));
  sc.state->layerFade[sceneSlotFromLayer(slot)] = level;
  sc.rt.scene.layers[static_cast<std::size_t>(slot)].setFade(level);
  return 1;
}

std::uint8_t cmdSetAlpha(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const int slot = layerFromMoveNumber(readNumber(sc));
  const int target = clampLevel(readNumber(sc));
  const std::int32_t step = row.a == 0 ? 0 : readNumber(sc);
  sc.state->layerAlpha[sceneSlotFromLayer(slot)] = target;
  if (sc.fastForward) return 1;
  Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
  // set_alpha, and set_alpha2 with a step of 0, change the level at once.
  const int delta = step == std::numeric_limits<std::int32_t>::min() ? 255 : std::min(std::abs(step), 255);
  if (row.a == 0 || delta == 0) {
    layer.setAlpha(target);
    return 1;
  }
  // Unlike the moves, the level ramps of a layer and of the scene take no stop test:
  // Ctrl, skip and clicks let them run their frames.
  int level = layer.alpha();
  while (level != target) {
    if (!poll(sc)) return 0;
    level = level < target ? std::min(level + delta, target) : std::max(level - delta, target);
    layer.setAlpha(level);
    if (!redraw(sc)) return 0;
  }
  layer.setAlpha(target);
  return 1;
}

std::uint8_t cmdSetAllFade(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const int level = static_cast<int>(std::clamp<std::int64_t>(readNumber(sc), -256, 0));
  std::uint8_t& stored = sc.state->flags[2034];
  auto store = [&stored](int v) { stored = static_cast<std::uint8_t>(static_cast<std::int8_t>(v / 2)); };
  if (sc.fastForward) {
    store(level);
    return 1;
  }
  int current = static_cast<std::int8_t>(stored) * 2;
  while (current != level) {
    if (!poll(sc)) return 0;
    const int step = transitionStep(sc.rt.media.settings);
    current = current < level ? std::min(current + step, level) : std::max(current - step, level);
    store(current);
    if (!redraw(sc)) return 0;
  }
  store(level);
  return result(redraw(sc));
}

}  // namespace ml
