#include "engine/command_table.h"

namespace ml {

const CommandRow* findCommand(std::span<const CommandRow> table, std::string_view word) {
  for (const CommandRow& row : table)
    if (word == row.keyword) return &row;
  return nullptr;
}

}  // namespace ml
