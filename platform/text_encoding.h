// Shift-JIS (code page 932) is the engine's text everywhere inside; conversion to and
// from UTF-8 happens only at the edges: captions, clipboard, dialogs, glyph lookup, logs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ml {

// Converts; characters that have no counterpart become '?'. Invalid input bytes too.
std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(std::string_view bytes);

// The Unicode code point of one Shift-JIS character (one or two bytes), 0 when none.
std::uint32_t sjisCharToUnicode(std::uint8_t lead, std::uint8_t trail);

}  // namespace ml

// A Shift-JIS literal written in UTF-8 source: converted once per place of use.
#define SJ(utf8_literal)                                                   \
  ([]() -> const std::string& {                                            \
    static const std::string converted = ::ml::utf8ToSjis(utf8_literal);   \
    return converted;                                                      \
  }())
