// What the name dialog ("名前の変更") does with the text typed into it, apart from
// drawing it: only double-byte characters stay (no full-width space), at most three of
// them, OK only with a name, and the default name one button away.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ml {

// The text with every single-byte character, every full-width space and a lead byte
// without its second byte removed, cut to maxBytes on a character boundary.
std::string filterNameText(std::string_view sjis, std::size_t maxBytes);

struct NameEntry {
  static constexpr int kMaxChars = 3;

  NameEntry(std::string defaultSjis, std::string currentSjis, int maxChars = kMaxChars);

  // The edit's limit: twice the characters.
  std::size_t maxBytes() const { return 2 * static_cast<std::size_t>(maxChars); }
  // A change of the edit: kept as filtered.
  void setText(std::string_view sjis) { text = filterNameText(sjis, maxBytes()); }
  void useDefault() { setText(defaultText); }
  bool okEnabled() const { return !text.empty(); }

  std::string defaultText;  // Shift-JIS
  std::string text;         // the edit, Shift-JIS
  int maxChars;
};

}  // namespace ml
