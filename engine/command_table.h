// The command words of the script language: each row names its handler, the fixed
// arguments the handler receives, and whether the step redraws the scene afterwards.
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

// Whole-word, byte-exact, case-sensitive lookup; null when the word is no command.
const CommandRow* findCommand(std::string_view word);
std::span<const CommandRow> commandTable();

}  // namespace ml
