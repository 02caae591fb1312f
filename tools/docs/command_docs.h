// The command reference: a short description of every command word of the script
// language, kept apart from the command table (keyed by the word), and the page
// docs/commands.md made from both.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace ml::docs {

struct CommandDoc {
  std::string_view word;
  std::string_view arguments;  // "NAME TRANSITION", empty when none
  std::string_view what;       // what it does, with defaults and limits
  std::string_view example;    // one script line
};

std::span<const CommandDoc> commandDocs();

// docs/commands.md: the script syntax, then one section per group of commands in the
// order of the command table.
std::string renderCommandReference();

}  // namespace ml::docs
