// The choice commands: each consumes exactly the arguments it takes, so that the rest
// of the line is read right; the choice window itself is still to be built.
#include <string>

#include "engine/engine_commands.h"
#include "engine/script_context.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts, choice texts and date formats

}  // namespace

// window_sel number P1..P10 picture P11 P12
std::uint8_t cmdWindowSel(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(14); }
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
std::uint8_t cmdSelect(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(1); }
// select_center_on, select_center_off
std::uint8_t cmdSelectCenter(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }

}  // namespace ml
