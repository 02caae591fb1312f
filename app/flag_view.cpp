#include "app/flag_view.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

#include "engine/define_table.h"
#include "engine/game_state.h"

namespace ml {
namespace {

std::string format(const char* fmt, int v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// Leading decimal digits (after blanks); -1 when there are none or too many.
int leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int n = 0;
  auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), n);
  // Too many digits is still a number, far beyond the table.
  if (ec == std::errc::result_out_of_range && text[i] != '-') return std::numeric_limits<int>::max();
  if (ec != std::errc() || ptr == text.data() + i) return -1;
  return n;
}

}  // namespace

int FlagView::start() const { return std::max(leadingNumber(startText), 0); }

void FlagView::previous() { startText = std::to_string(std::max(start() - 100, 0)); }

void FlagView::next() { startText = std::to_string(std::min(static_cast<long long>(start()) + 100, 0LL + kLastStart)); }

void FlagView::refresh(const GameState& state) {
  for (auto& row : flags) row.fill(std::string());
  for (int c = 0; c < 10; ++c) flags[0][static_cast<std::size_t>(c + 1)] = format("  +%d", c);
  // Computed wide: a huge start number must not wrap into the table.
  const long long n = start();
  for (int r = 0; r < 10; ++r) {
    const long long first = n + 10LL * r;
    if (first >= GameState::kFlagCount) break;
    flags[static_cast<std::size_t>(r + 1)][0] = format("%4d", static_cast<int>(first));
    for (int c = 0; c < 10 && first + c < GameState::kFlagCount; ++c)
      flags[static_cast<std::size_t>(r + 1)][static_cast<std::size_t>(c + 1)] =
          format("%4d", state.flags[first + c]);
  }
  for (int l = 0; l < kLetters; ++l) {
    system[0][static_cast<std::size_t>(l)] = format("   %c", 'A' + l);
    // F names the flag table, not a variable.
    system[1][static_cast<std::size_t>(l)] = l == 'F' - 'A' ? "XXXXXXX" : format("%7d", state.vars[l]);
  }
}

void FlagView::lookUp(const DefineTable& defines, const GameState& state) {
  definition.clear();
  value.clear();
  const std::string* found = defines.find(macro, true);
  if (found == nullptr) return;
  definition = *found;
  if (definition.empty() || definition[0] != 'F') return;
  const int flag = leadingNumber(std::string_view(definition).substr(1));
  if (flag >= 0 && flag < GameState::kFlagCount) value = std::to_string(state.flags[flag]);
}

}  // namespace ml
