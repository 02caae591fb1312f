// fade_all_*, shake, shake2, shake3, flash, flash1..3: effects on the whole screen,
// worked on the composed frame and its presentation rather than on the layers.
#include <algorithm>
#include <cmath>
#include <cstring>
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

namespace ml {
namespace {

std::int32_t readNumber(ScriptContext& sc) { return sc.evaluate(sc.readArgument()); }

// The composed frame kept in the screen-copy slot, hidden so that no composition
// draws it.
const std::uint32_t* copyFrame(Runtime& rt) {
  Sprite& copy = rt.scene.layers[kScreenCopySlot];
  const Surface* s = copy.surface();
  if (s == nullptr || s->width() != BackBuffer::kWidth || s->height() != BackBuffer::kHeight) {
    if (!copy.makeBox(BackBuffer::kWidth, BackBuffer::kHeight, 1)) return nullptr;
  }
  copy.setVisible(false);
  std::uint32_t* pixels = copy.surface()->pixels(0);
  std::memcpy(pixels, rt.scene.backBuffer.pixels(), kFramePixels * sizeof(std::uint32_t));
  return pixels;
}

// One frame of a full-screen fade: shown as it stands, then the poll.
bool showFadeFrame(ScriptContext& sc) {
  repaint(sc);
  return poll(sc);
}

// Shows one shaken frame. False ends the shake: `closing` tells whether the program
// is closing rather than the player cutting it short.
bool shakeFrame(ScriptContext& sc, int dx, int dy, bool& closing) {
  Runtime& rt = sc.rt;
  closing = !poll(sc);
  if (closing || rt.requests().quitRequested || effectStopped(sc)) return false;
  rt.scene.backBuffer.setShakeX(dx);
  rt.scene.backBuffer.setShake(dy);
  repaint(sc);
  return true;
}

int clampOffset(long long v) { return static_cast<int>(std::clamp<long long>(v, -100000, 100000)); }

}  // namespace

bool fadeScreenToBlack(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (rt.scene.backBuffer.pixels() == nullptr) return true;
  rt.composeBackBuffer();
  std::uint32_t* frame = rt.scene.backBuffer.pixels();
  for (int c = 256; c > 0;) {
    const int step = transitionStep(rt.media.settings);
    rt.media.pixels->subtractAll(frame, kFramePixels, step);
    if (!showFadeFrame(sc)) return false;
    c -= step;
  }
  return true;
}

bool fadeScreenFromBlack(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (rt.scene.backBuffer.pixels() == nullptr) return true;
  rt.composeBackBuffer();
  std::uint32_t* frame = rt.scene.backBuffer.pixels();
  const std::uint32_t* copy = copyFrame(rt);
  if (copy == nullptr) return true;
  bool ok = true;
  for (int v = 0; ok && v < 256; v += transitionStep(rt.media.settings)) {
    rt.media.pixels->scaleCopyAll(frame, copy, kFramePixels, v);
    ok = showFadeFrame(sc);
  }
  rt.scene.layers.clear(kScreenCopySlot);
  return ok;
}

std::uint8_t cmdFadeAll(ScriptContext& sc, const CommandRow& row) {
  Runtime& rt = sc.rt;
  if (rt.scene.backBuffer.pixels() == nullptr) return 1;
  // These run in every mode and ignore the stop test: the screen must end black or
  // white, or come back from it, whatever the player does.
  switch (row.a) {
    case 0:
      return fadeScreenToBlack(sc) ? 1 : 0;
    case 1:
      return fadeScreenFromBlack(sc) ? 1 : 0;
    default:
      break;
  }
  rt.composeBackBuffer();
  std::uint32_t* frame = rt.scene.backBuffer.pixels();
  const PixelOps& ops = *rt.media.pixels;
  if (row.a == 2) {  // to white
    for (int c = 0; c < 256;) {
      const int step = transitionStep(rt.media.settings);
      ops.addAll(frame, kFramePixels, step);
      if (!showFadeFrame(sc)) return 0;
      c += step;
    }
    return 1;
  }
  if (row.a != 3) return 1;
  const std::uint32_t* copy = copyFrame(rt);
  if (copy == nullptr) return 1;
  bool ok = true;
  for (int v = 255; ok && v >= 0; v -= transitionStep(rt.media.settings)) {  // from white
    ops.maxCopyAll(frame, copy, kFramePixels, v);
    ok = showFadeFrame(sc);
  }
  rt.scene.layers.clear(kScreenCopySlot);
  return ok ? 1 : 0;
}

std::uint8_t cmdShake(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  Runtime& rt = sc.rt;
  std::string word;
  std::int32_t count = 0, frames = 1, ampX = 0, ampY = 0;
  if (row.a == 1) {
    word = sc.readArgument();
  } else {
    count = readNumber(sc);
    frames = readNumber(sc);
    ampX = readNumber(sc);
    ampY = readNumber(sc);
  }
  if (sc.fastForward) return 1;

  bool closing = false;
  if (row.a == 1) {
    int divisor;
    if (word == "SHAKE_1") {
      divisor = 2;
    } else if (word == "SHAKE_2") {
      divisor = 4;
    } else {
      reportBadParameter(sc, word);
      return 1;
    }
    // A decaying up-and-down jolt, moving up first.
    for (int n = 20, f = 0; n >= 1; --n, ++f) {
      const int a = n / divisor;
      if (!shakeFrame(sc, 0, f % 2 == 0 ? -a * a : a * a, closing)) break;
    }
  } else {
    frames = std::max(frames, 1);
    const bool decaying = row.a == 2;
    // A negative amplitude has no square root; it shakes nothing in that direction.
    if (decaying) {
      ampX = std::max(ampX, 0);
      ampY = std::max(ampY, 0);
    }
    auto divisorFor = [count](std::int32_t amplitude) {
      if (amplitude == 0) return 0LL;
      return std::max(1LL, static_cast<long long>(count / std::sqrt(static_cast<double>(amplitude))));
    };
    const long long kx = decaying ? divisorFor(ampX) : 0, ky = decaying ? divisorFor(ampY) : 0;
    bool going = true;
    for (long long left = count, phase = 0; going && left > 0; --left, phase = (phase + 1) % 4) {
      long long hx = ampX, hy = ampY;
      if (decaying) {
        hx = kx != 0 ? (left / kx) * (left / kx) : 0;
        hy = ky != 0 ? (left / ky) * (left / ky) : 0;
      }
      int dx = 0, dy = 0;
      switch (phase) {
        case 0: dy = clampOffset(-hy); break;
        case 1: dx = clampOffset(-hx); break;
        case 2: dy = clampOffset(hy); break;
        default: dx = clampOffset(hx); break;
      }
      for (int f = 0; going && f < frames; ++f) going = shakeFrame(sc, dx, dy, closing);
    }
  }
  rt.scene.backBuffer.setShake(0);
  rt.scene.backBuffer.setShakeX(0);
  repaint(sc);
  return closing ? 0 : 1;
}

std::uint8_t cmdFlash(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  Runtime& rt = sc.rt;
  if (row.a == 0) {
    const std::int32_t r = readNumber(sc), g = readNumber(sc), b = readNumber(sc);
    if (sc.fastForward) return 1;
    const bool on = r >= 0 && g >= 0 && b >= 0;
    rt.scene.backBuffer.setSolidFill(on, on ? r : rt.scene.backBuffer.solidRed(), on ? g : rt.scene.backBuffer.solidGreen(),
                               on ? b : rt.scene.backBuffer.solidBlue());
    return 1;
  }
  static constexpr int kPhases[4] = {1, 1, 3, 5};
  const int phases = kPhases[std::clamp(row.b, 0, 3)];
  long long durations[5] = {};
  for (int i = 0; i < phases; ++i) durations[i] = secondsArgumentToMs(sc, sc.readArgument());
  if (sc.fastForward) return 1;
  // White and normal phases alternate, starting and ending white.
  for (int i = 0; i < phases; ++i) {
    if (i % 2 == 1) {
      if (!timedEffectWait(sc, durations[i])) return 0;
      continue;
    }
    rt.scene.backBuffer.setSolidFill(true, 255, 255, 255);
    // Without the timed wait the white still shows for one frame.
    const bool ok = rt.media.settings.effect.waitCancel ? redraw(sc) : timedEffectWait(sc, durations[i]);
    rt.scene.backBuffer.setSolidFill(false, 255, 255, 255);
    if (!ok) return 0;
  }
  return 1;
}

}  // namespace ml
