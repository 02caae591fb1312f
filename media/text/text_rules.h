// Shared state of text layout that the scripts and the settings change: the opening
// brackets that start an indented quotation, the characters that may hang in the last
// column, and the player's given and family names that replace the name placeholders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sjis.h"

namespace ml {

struct TextRules {
  // The sets are 1024-byte buffers in the original data model: at most 1023 bytes of
  // text. The names are 12-byte buffers: at most 11 bytes and a terminator.
  static constexpr std::size_t kSetCapacity = 1024;
  static constexpr std::size_t kNameCapacity = 12;

  TextRules();

  // All texts are Shift-JIS. Too long values are cut on a character boundary.
  void setOpeningBrackets(std::string_view set);
  void setLineEnd(std::string_view set);
  void setGivenName(std::string_view name);
  void setFamilyName(std::string_view name);

  const std::string& openingBrackets() const { return openingBrackets_; }
  const std::string& lineEnd() const { return lineEnd_; }
  std::string_view givenName() const { return givenName_.data(); }
  std::string_view familyName() const { return familyName_.data(); }

  // Membership of one two-byte character; the sets are walked character by
  // character, so a trail byte never pairs with the next lead byte.
  bool isOpeningBracket(std::uint8_t lead, std::uint8_t trail) const;
  bool isLineEnd(std::uint8_t lead, std::uint8_t trail) const;

  // Everything back to the defaults.
  void reset();

 private:
  std::string openingBrackets_;
  std::string lineEnd_;
  std::array<char, kNameCapacity> givenName_{};
  std::array<char, kNameCapacity> familyName_{};
};

}  // namespace ml
