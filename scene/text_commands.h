// Handlers of the message window and text commands (window, msg2, ret, ret_noskip,
// window_off, window_on, moji, def_indent, def_kinsoku).
#pragma once

#include <cstdint>

namespace ml {

class ScriptContext;
struct CommandRow;

namespace message {

std::uint8_t cmdWindow(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdMsg2(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdRet(ScriptContext& sc, const CommandRow& row);  // row.a: skippable
std::uint8_t cmdWindowOff(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdWindowOn(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdMoji(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdDefIndent(ScriptContext& sc, const CommandRow& row);
std::uint8_t cmdDefKinsoku(ScriptContext& sc, const CommandRow& row);

}  // namespace message
}  // namespace ml
