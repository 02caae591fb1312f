#include "scene/effect_wait.h"

#include <algorithm>
#include <cstdlib>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

bool windowCounts(Runtime& rt) { return rt.platform.windowActive() || rt.media.settings.system.noActive; }

// "1.25" -> 1250, read digit by digit so that no binary fraction creeps in.
long long decimalSecondsToMs(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  long long whole = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (whole < 1000000000LL) whole = whole * 10 + (s[i] - '0');
    ++i;
  }
  long long ms = whole * 1000;
  if (i < s.size() && s[i] == '.') {
    ++i;
    for (long long scale = 100; scale >= 1 && i < s.size() && s[i] >= '0' && s[i] <= '9'; scale /= 10)
      ms += (s[i++] - '0') * scale;
  }
  return negative ? -ms : ms;
}

}  // namespace

int transitionStep(const Settings& settings) {
  // The setting holds the index as a negative number; a stray value outside the
  // table takes its nearest end.
  const int index = std::clamp(std::abs(settings.effect.speed), 0, 11);
  return kTransitionSteps[index];
}

int dividedStep(const Settings& settings, int divisor) {
  return std::max(1, transitionStep(settings) / std::max(1, divisor));
}

bool effectStopped(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (rt.story.input.isHeld(InputSkip)) return true;
  if (clickCheck(sc)) return true;
  if (rt.story.switches.skipMode) return true;
  return rt.story.switches.autoMode && rt.media.settings.skip.effect;
}

bool redraw(ScriptContext& sc) { return present(sc); }

void repaint(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!windowCounts(rt)) return;
  rt.platform.present(rt.scene.backBuffer.presentRequest(rt.scene.paintSuppressed));
}

long long secondsArgumentToMs(ScriptContext& sc, const std::string& argument) {
  for (char c : argument)
    if (c == ',') sc.scriptError(SJ("不正な文字があります"), argument);
  if (argument.find('.') != std::string::npos) return decimalSecondsToMs(argument);
  return static_cast<long long>(sc.evaluate(argument)) * 1000;
}

bool timedEffectWait(ScriptContext& sc, long long milliseconds) {
  Runtime& rt = sc.rt;
  if (rt.media.settings.effect.waitCancel) return true;
  const std::uint32_t start = rt.platform.ticks();
  for (;;) {
    if (rt.requests().quitRequested) return true;
    if (!poll(sc)) return false;
    if (effectStopped(sc)) return true;
    if (rt.requests().titleRequested) return true;
    if (!present(sc)) return false;
    const std::uint32_t elapsed = rt.platform.ticks() - start;
    if (static_cast<long long>(elapsed) >= milliseconds) return true;
  }
}

void reportBadParameter(ScriptContext& sc, std::string_view word) {
  sc.scriptError(SJ("パラメータが不正"), word);
}

}  // namespace ml
