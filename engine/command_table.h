// What a command word of the script language is to the interpreter: each row names its
// handler, the fixed arguments the handler receives, and whether the step redraws the
// scene afterwards. The full table lives with the scene, which owns most handlers, and
// is installed into the story state at start-up.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ml {

class ScriptContext;
struct CommandRow;

// A handler consumes its own word (unless the row says the dispatcher does), reads its
// arguments and returns the step result: nonzero go on, zero end the interpreter loop.
using CommandHandler = std::uint8_t (*)(ScriptContext& sc, const CommandRow& row);

struct CommandRow {
  const char* keyword;
  CommandHandler handler;
  bool redraw = false;             // compose the scene after the step
  bool dispatcherAdvances = false; // the step consumes the word before the call
  const char* fixedText = nullptr; // transition or loop name fixed by the row
  int a = 0;                       // row-specific fixed numbers (variant, mode, ...)
  int b = 0;
};

#define ML_COMMAND(name) std::uint8_t name(ScriptContext& sc, const CommandRow& row)

// Whole-word, byte-exact, case-sensitive lookup; null when the word is no command.
// The table is scanned in order.
const CommandRow* findCommand(std::span<const CommandRow> table, std::string_view word);

}  // namespace ml
