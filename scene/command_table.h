// The command words of the script language in the order of its command list: the
// interpreter's own words and the scene's, each row with its handler.
#pragma once

#include <span>
#include <string_view>

#include "engine/command_table.h"

namespace ml {

std::span<const CommandRow> commandTable();
// Whole-word, byte-exact, case-sensitive lookup in the table above.
const CommandRow* findCommand(std::string_view word);

}  // namespace ml
