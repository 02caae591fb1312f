// Commands whose behaviour is still to be built. Each one already consumes its word and
// reads exactly the arguments it takes, so that the rest of the line is read right;
// otherwise it does nothing yet. A family moves out of this file when it is built.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/command_handlers.h"
#include "engine/command_table.h"
#include "engine/runtime.h"
#include "engine/script_context.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts, choice texts and date formats

std::uint8_t readArguments(ScriptContext& sc, int count) {
  sc.skipWord();
  for (int i = 0; i < count; ++i) sc.readArgument();
  return 1;
}

}  // namespace

// --- Sound ---
// bgm name loopKind start; bgm1, bgm2 name; bgm1_ex, bgm2_ex name start;
// bgm_stop, bgm_fo
std::uint8_t cmdBgm(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[4] = {0, 1, 2, 3};
  return readArguments(sc, kArguments[row.a & 3]);
}
// se name loopKind; se1, se2, se3 name; se_stop, se_fo
std::uint8_t cmdSe(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[3] = {0, 1, 2};
  return readArguments(sc, kArguments[row.a < 0 || row.a > 2 ? 0 : row.a]);
}
// se_wait, vo_wait
std::uint8_t cmdSoundWait(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// vo, vol, vor, vo2 name: the voice of the next page. Counted voices (all but vo2) also
// give the page its number for read tracking: the ordinal of this command among the
// script's registered voice commands, found by its position. Playing it comes later.
std::uint8_t cmdVoice(ScriptContext& sc, const CommandRow& row) {
  const std::int32_t position = sc.pos;
  sc.skipWord();
  const std::string name = sc.readArgument();
  GameState& state = *sc.state;
  const size_t n = std::min(name.size(), sizeof state.voiceName - 1);
  std::memcpy(state.voiceName, name.data(), n);
  std::memset(state.voiceName + n, 0, sizeof state.voiceName - n);
  if (row.a == 1) {
    state.voiceIndex = state.readTrackingOff() != 0
                           ? 0
                           : sc.rt.readStatus.ordinalAt(sc.scriptPath, position);
  }
  return 1;
}

// --- Choices ---
// window_sel number P1..P10 picture P11 P12
std::uint8_t cmdWindowSel(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 14); }
// def_sel text (up to 1023 bytes)
std::uint8_t cmdDefSel(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument(kLongArgument);
  return 1;
}
// def_selmes, def_selmes2 text (up to 1023 bytes)
std::uint8_t cmdDefSelmes(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument(kLongArgument);
  return 1;
}
// select, select2 windowNumber
std::uint8_t cmdSelect(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// select_center_on, select_center_off
std::uint8_t cmdSelectCenter(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

// --- Saves ---
std::uint8_t cmdFlagUpdate(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// load, save
std::uint8_t cmdLoadSave(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

// --- Movies, MIDI and built-in scenes ---
// movie name
std::uint8_t cmdMovie(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// midi name
std::uint8_t cmdMidi(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
std::uint8_t cmdMenu(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// ending word (read, not used)
std::uint8_t cmdEnding(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// date_disp, date_disp2 x y format (format up to 1023 bytes)
std::uint8_t cmdDateDisp(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  sc.readArgument();
  sc.readArgument(kLongArgument);
  return 1;
}
std::uint8_t cmdBlueSky(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

}  // namespace ml
