#include "app/name_entry.h"

#include "platform/sjis.h"

namespace ml {

std::string filterNameText(std::string_view sjis, std::size_t maxBytes) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size();) {
    const auto b = static_cast<std::uint8_t>(sjis[i]);
    if (!sjis::isLead(b)) {
      ++i;
      continue;
    }
    if (i + 1 >= sjis.size()) break;  // a lead byte cut off from its second byte
    const auto second = static_cast<std::uint8_t>(sjis[i + 1]);
    const bool fullWidthSpace = b == 0x81 && second == 0x40;
    if (!fullWidthSpace) {
      if (out.size() + 2 > maxBytes) break;
      out.append(sjis.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

NameEntry::NameEntry(std::string defaultSjis, std::string currentSjis, int maxChars_)
    : defaultText(std::move(defaultSjis)), maxChars(maxChars_ < 0 ? 0 : maxChars_) {
  setText(currentSjis);
}

}  // namespace ml
