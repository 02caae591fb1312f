// The backlog ring inside the game state: the last 256 pages and choices, each with a
// snapshot of the story state at that moment, and the rewind of the ring when the
// player continues from an earlier page.
#pragma once

#include <string>
#include <string_view>

#include "engine/services.h"

namespace ml {

class Runtime;
struct BacklogEntry;
struct GameState;
struct TextRules;

// The n-th newest entry (1 = newest); the caller keeps n within 1..count.
BacklogEntry& backlogEntry(GameState& state, int n);

// A fixed entry field as text (the field need not hold a terminator).
template <std::size_t N>
std::string_view entryField(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return {field, n};
}

// Page text with every "●名●" and "▲氏▲" replaced by the player's names.
std::string replaceNamePlaceholders(std::string_view text, const TextRules& names);

// Takes the n newest entries off the ring (continuing from the n-th newest page).
void dropNewestEntries(GameState& state, int n);

// Whether an entry is the line of a choice made ("選択肢【...】").
bool isChoiceLine(const BacklogEntry& e);

class GameBacklog final : public BacklogService {
 public:
  explicit GameBacklog(Runtime& rt) : rt_(rt) {}
  void addEntry(ScriptContext& sc, const char* choiceText) override;

 private:
  Runtime& rt_;
  // Whether the last page (a choice's prompt, before its answer) made an entry of its
  // own: the answer takes that entry's place, never that of the page before it.
  bool lastPageAdded_ = false;
};

}  // namespace ml
