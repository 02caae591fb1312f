// goto, change, change_kaisou, kaisou_end, title, wait, sleep, break, name_check,
// cls, auto_ret_on and auto_ret_off.
#include <cmath>
#include <cstring>
#include <string>

#include "engine/engine_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/gfx/layer_slots.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// "1.5" seconds in milliseconds, truncated; the number may carry a sign.
std::int64_t decimalSecondsToMs(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  double value = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && value < 1e12) value = value * 10 + (s[i++] - '0');
  if (i < s.size() && s[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      value += (s[i++] - '0') * scale;
      scale /= 10;
    }
  }
  // Rounded at a millionth of a millisecond first, so that 0.3 s is 300 ms and not 299.
  double ms = std::floor(value * 1000.0 * 1e6 + 0.5) / 1e6;
  auto whole = static_cast<std::int64_t>(ms);
  return negative ? -whole : whole;
}

}  // namespace

std::uint8_t cmdGoto(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::string label = sc.readArgument();
  sc.lineNumber = 1;
  sc.pos = 1;
  char token[ScriptContext::kWordCapacity];
  // The token after a "goto" names a target and is no label; otherwise a forward jump
  // would land on its own argument, or on that of an earlier jump to the same label.
  bool afterGoto = false;
  for (;;) {
    int n = sc.peekWord(token, sizeof token);
    sc.advance(n);
    if (token[0] == '@' && !afterGoto && label == token) return 1;
    afterGoto = std::strcmp(token, "goto") == 0;
    if (sc.atEnd()) break;
    if (n == 0) sc.advance(1);  // a NUL byte or an empty quoted token: pass it
  }
  sc.scriptError(SJ("ラベルが見つからない"), label);
  return 0;
}

std::uint8_t cmdChange(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string name = sc.readArgument();
  const bool plainChange = row.a == 1;
  if (plainChange && !sc.mainGame) {
    // A recollection ends at the change of script.
    sc.fastForward = false;
    sc.rt.scene.layers.clear(kModeIndicatorSlot);
    return 0;
  }
  const std::string path = "scr\\" + name + ".scr";
  if (!sc.fileExists(path, false)) return 1;
  GameState& state = *sc.state;
  if (!sc.load(path, state, sc.mainGame)) return 0;
  std::size_t n = std::min(name.size(), sizeof state.scriptName - 1);
  std::memcpy(state.scriptName, name.data(), n);
  std::memset(state.scriptName + n, 0, sizeof state.scriptName - n);
  return 1;
}

std::uint8_t cmdKaisouEnd(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  if (sc.mainGame) return 1;
  sc.fastForward = false;
  sc.rt.scene.layers.clear(kModeIndicatorSlot);
  return 0;
}

std::uint8_t cmdTitle(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  Runtime& rt = sc.rt;
  setAutoMode(rt, false);
  setSkipMode(rt, false);
  sc.fastForward = false;
  if (!sc.mainGame) {
    sc.scriptError(SJ("Ｔｏｐスクリプトでは無いので title コマンドは使えません"), "");
    return 1;
  }
  GameState& state = *sc.state;
  state.backgroundEffectMode() = 0;
  state.flags[2034] = 255;
  state.flags[2037] = state.flags[2038] = state.flags[2039] = 0;
  state.readTrackingOff() = 0;
  if (!sc.load("scr\\open.scr", state, true)) return 0;
  // The running script is recorded, so that a game saved from here resumes in it.
  std::memset(state.scriptName, 0, sizeof state.scriptName);
  std::memcpy(state.scriptName, "open", 4);
  rt.scene.layers.clearAll();
  rt.sound().stopAllChannels();
  return 1;
}

std::uint8_t cmdWait(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string argument = sc.readArgument();
  const bool skippable = row.a == 1;
  Runtime& rt = sc.rt;

  if (sc.fastForward) {
    if (skippable) return 1;
    endFastForward(sc);
  }
  if (skippable && rt.media.settings.effect.waitCancel) return 1;

  for (char c : argument)
    if (c == ',') sc.scriptError(SJ("不正な文字があります"), argument);
  std::int64_t duration = argument.find('.') != std::string::npos
                              ? decimalSecondsToMs(argument)
                              : std::int64_t{sc.evaluate(argument)} * 1000;

  const std::uint32_t start = rt.platform.ticks();
  for (;;) {
    if (rt.requests().quitRequested) break;
    if (!poll(sc)) return 0;
    if (skippable) {
      if (rt.story.input.isHeld(InputSkip) || clickCheck(sc) || rt.story.switches.skipMode ||
          (rt.story.switches.autoMode && rt.media.settings.skip.effect))
        break;
    }
    if (rt.requests().titleRequested) break;
    if (!present(sc)) return 0;
    const std::uint32_t elapsed = rt.platform.ticks() - start;
    if (static_cast<std::int64_t>(elapsed) >= duration) break;
  }
  return 1;
}

std::uint8_t cmdBreak(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  setAutoMode(sc.rt, false);
  setSkipMode(sc.rt, false);
  endFastForward(sc);
  sc.scriptError(SJ("break コマンドにより停止しました"), "");
  return 1;
}

std::uint8_t cmdNameCheck(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.state->var('V') = sc.rt.media.settings.user.name == SJ("ヨルク") ? 1 : 0;
  return 1;
}

std::uint8_t cmdCls(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.rt.scene.layers.clear(kMessageTextSlot);
  return 1;
}

std::uint8_t cmdAutoReturn(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  sc.state->autoReturnOff() = static_cast<std::uint8_t>(row.a);
  return 1;
}

}  // namespace ml
