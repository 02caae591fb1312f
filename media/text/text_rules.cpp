#include "media/text/text_rules.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"

namespace ml {
namespace {

bool inSet(const std::string& set, std::uint8_t lead, std::uint8_t trail) {
  for (std::size_t i = 0; i < set.size();) {
    const std::size_t len = sjis::charLength(set, i);
    if (len == 2 && static_cast<std::uint8_t>(set[i]) == lead &&
        static_cast<std::uint8_t>(set[i + 1]) == trail)
      return true;
    i += len;
  }
  return false;
}

void setName(std::array<char, TextRules::kNameCapacity>& buffer, std::string_view name) {
  // A name stops at its first NUL, as a C string would.
  name = name.substr(0, std::min(name.find('\0'), name.size()));
  std::string_view cut = sjis::cutAtBoundary(name, TextRules::kNameCapacity - 1);
  buffer.fill(0);
  std::memcpy(buffer.data(), cut.data(), cut.size());
}

}  // namespace

TextRules::TextRules() { reset(); }

void TextRules::reset() {
  setOpeningBrackets(SJ("「（〔〈【"));
  setLineEnd(SJ("」）〕〉】、。！？"));
  setGivenName(SJ("ヨルク"));
  setFamilyName(SJ("ハセリ"));
}

void TextRules::setOpeningBrackets(std::string_view set) {
  openingBrackets_ = sjis::cutAtBoundary(set, kSetCapacity - 1);
}

void TextRules::setLineEnd(std::string_view set) {
  lineEnd_ = sjis::cutAtBoundary(set, kSetCapacity - 1);
}

void TextRules::setGivenName(std::string_view name) { setName(givenName_, name); }
void TextRules::setFamilyName(std::string_view name) { setName(familyName_, name); }

bool TextRules::isOpeningBracket(std::uint8_t lead, std::uint8_t trail) const {
  return inSet(openingBrackets_, lead, trail);
}

bool TextRules::isLineEnd(std::uint8_t lead, std::uint8_t trail) const {
  return inSet(lineEnd_, lead, trail);
}

}  // namespace ml
