// Shift-JIS as this engine reads it: the one place that knows which bytes begin a
// two-byte character, how text is walked and cut, and how ASCII letters fold.
// The lead range is the engine's own (0x81-0xA0 and 0xC0-0xFC): 0xA0 counts as a lead
// byte here although code page 932 calls it a single byte, and scripts rely on that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ml::sjis {

constexpr bool isLead(std::uint8_t b) { return (b >= 0x81 && b <= 0xA0) || (b >= 0xC0 && b <= 0xFC); }

// Bytes of the character at text[i]: 2 for a lead byte with a byte after it, else 1.
constexpr std::size_t charLength(std::string_view text, std::size_t i) {
  return isLead(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// The longest prefix of text of at most maxBytes bytes that does not split a
// character (a lead byte at the very end counts as a split character).
constexpr std::string_view cutAtBoundary(std::string_view text, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = isLead(text[i]) ? 2 : 1;
    if (i + len > maxBytes || i + len > text.size()) break;
    i += len;
  }
  return text.substr(0, i);
}

constexpr std::uint8_t foldAscii(std::uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c + 32) : c; }
constexpr char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Lower-cases ASCII letters only, leaving the trail bytes of two-byte characters alone
// (trail bytes 0x41-0x5A would otherwise fold into other characters).
inline std::string foldAsciiOutsideChars(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = charLength(out, i);
    if (len == 1) out[i] = foldAscii(out[i]);
    i += len;
  }
  return out;
}

// Byte-wise comparison with ASCII letters folded (every byte, as file names are
// compared on the other system).
constexpr bool equalsFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

// True when text ends with suffix, compared as equalsFolded does.
constexpr bool endsWithFolded(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && equalsFolded(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace ml::sjis
