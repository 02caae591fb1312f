#include "tools/common/script_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/text_encoding.h"

namespace ml::tools {
namespace {

// Length of the UTF-8 sequence that starts with b; 0 when b cannot start one.
int sequenceLength(std::uint8_t b) {
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// Characters that input methods on Linux and macOS type where Windows text has the
// Shift-JIS character: the wave dash, minus, double bar and dash of a Japanese IME,
// and the Latin-1 cent, pound, not and broken-bar signs and the overline for their
// full-width forms. The yen sign is not among them: a Japanese keyboard types it for the
// backslash of an escape as often as for money, so the author is asked which.
struct TypedForm {
  std::uint32_t codePoint;
  const char* sjis;
};
constexpr TypedForm kTypedForms[] = {
    {0x301C, "\x81\x60"},  // 〜 wave dash: ～
    {0x2016, "\x81\x61"},  // ‖ double vertical line: ∥
    {0x2014, "\x81\x5C"},  // — em dash: ―
    {0x2212, "\x81\x7C"},  // − minus sign: －
    {0x00A2, "\x81\x91"},  // ¢: ￠
    {0x00A3, "\x81\x92"},  // £: ￡
    {0x00AC, "\x81\xCA"},  // ¬: ￢
    {0x00A6, "\xFA\x55"},  // ¦: ￤
    {0x203E, "\x81\x50"},  // ‾ overline: ￣
};

std::uint32_t decode(std::string_view ch) {
  auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(ch[i])); };
  switch (ch.size()) {
    case 1: return b(0);
    case 2: return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3: return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default: return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
  }
}

// Converts one line (without its line end) character by character, so that every
// character without a Shift-JIS form is named instead of silently becoming "?".
// Columns count characters, as an editor shows them.
void convertLine(std::string_view line, std::string& out, const std::string& where,
                 std::vector<std::string>& errors) {
  std::size_t column = 1;
  for (std::size_t i = 0; i < line.size(); ++column) {
    auto b = static_cast<std::uint8_t>(line[i]);
    int n = sequenceLength(b);
    bool whole = n > 0 && i + static_cast<std::size_t>(n) <= line.size();
    for (int k = 1; whole && k < n; ++k)
      whole = (static_cast<std::uint8_t>(line[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
    if (!whole) {
      char buf[96];
      std::snprintf(buf, sizeof buf, ":%zu: byte 0x%02X is not UTF-8 (is the file already Shift-JIS?)", column, b);
      errors.push_back(where + buf);
      ++i;
      continue;
    }
    std::string_view ch = line.substr(i, static_cast<std::size_t>(n));
    i += static_cast<std::size_t>(n);
    if (n == 1) {
      out += ch;
      continue;
    }
    const std::uint32_t cp = decode(ch);
    const char* typed = nullptr;
    for (const TypedForm& t : kTypedForms)
      if (t.codePoint == cp) typed = t.sjis;
    if (typed != nullptr) {
      out += typed;
      continue;
    }
    std::string sjis = ml::utf8ToSjis(ch);
    if (sjis.empty() || sjis.find('?') != std::string::npos || ml::sjisToUtf8(sjis) != ch) {
      char buf[96];
      std::snprintf(buf, sizeof buf, ":%zu: \"", column);
      std::snprintf(buf + std::strlen(buf), sizeof buf - std::strlen(buf), "%.*s\" (U+%04X) has no Shift-JIS form",
                    static_cast<int>(ch.size()), ch.data(), cp);
      errors.push_back(where + buf + (cp == 0x00A5 ? "; write \\ for an escape (\\n) or ￥ for the yen sign" : ""));
      continue;
    }
    out += sjis;
  }
}

}  // namespace

bool utf8ScriptToSjis(std::string_view text, const std::string& name, std::string& out,
                      std::vector<std::string>& errors) {
  const std::size_t errorsBefore = errors.size();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int lineNumber = 1;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    convertLine(line, out, name + ":" + std::to_string(lineNumber), errors);
    if (end == std::string_view::npos) break;
    // CR LF, LF and a lone CR all end a line; the engine wants CR LF.
    out += "\r\n";
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    ++lineNumber;
    if (start == text.size()) break;
  }
  return errors.size() == errorsBefore;
}

}  // namespace ml::tools
