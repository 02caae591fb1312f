// script: a scenario script written in UTF-8 (any line ends) becomes the file the
// engine reads: Shift-JIS, CR LF line ends, and the one-byte marker the engine skips
// ("N" plain, or "X" with the rest scrambled by the script key).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/file_handle.h"
#include "media/formats/script_scramble.h"
#include "platform/text_encoding.h"
#include "tools/convert/subcommands.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "mirelune-convert script: %s\n", message.c_str());
  return 1;
}

// Length of the UTF-8 sequence that starts with b; 0 when b cannot start one.
int sequenceLength(std::uint8_t b) {
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// Converts one line (without its line end) character by character, so that a
// character without a Shift-JIS form is named instead of silently becoming "?".
bool convertLine(std::string_view line, std::string& out, std::string& error) {
  for (std::size_t i = 0; i < line.size();) {
    auto b = static_cast<std::uint8_t>(line[i]);
    int n = sequenceLength(b);
    if (n == 0 || i + n > line.size()) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "byte 0x%02X at column %zu is not UTF-8", b, i + 1);
      error = buf;
      return false;
    }
    std::string_view ch = line.substr(i, static_cast<std::size_t>(n));
    if (n == 1) {
      out += ch;
    } else {
      std::string sjis = ml::utf8ToSjis(ch);
      if (sjis.empty() || sjis.find('?') != std::string::npos || ml::sjisToUtf8(sjis) != ch) {
        error = "\"" + std::string(ch) + "\" at column " + std::to_string(i + 1) +
                " has no Shift-JIS form (or is not UTF-8)";
        return false;
      }
      out += sjis;
    }
    i += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int run_script(const std::vector<std::string>& args) {
  std::string in, out;
  bool scramble = false;
  for (const std::string& a : args) {
    if (a == "--scramble") {
      scramble = true;
    } else if (!a.empty() && a[0] == '-') {
      return fail("unknown option \"" + a + "\"");
    } else if (in.empty()) {
      in = a;
    } else if (out.empty()) {
      out = a;
    } else {
      return fail("unexpected argument \"" + a + "\"");
    }
  }
  if (in.empty() || out.empty()) return fail("needs IN and OUT (see --help)");

  std::vector<std::uint8_t> source;
  if (!ml::readWholeFile(in, source)) return fail("cannot read " + in);
  std::string_view text(reinterpret_cast<const char*>(source.data()), source.size());
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  std::string converted(1, static_cast<char>(ml::kPlainScriptMarker));
  converted.reserve(text.size() + text.size() / 20 + 2);
  int lineNumber = 1;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    std::string error;
    if (!convertLine(line, converted, error)) return fail(in + ":" + std::to_string(lineNumber) + ": " + error);
    if (end == std::string_view::npos) break;
    // CR LF, LF and a lone CR all end a line; the engine wants CR LF.
    converted += "\r\n";
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    ++lineNumber;
    if (start == text.size()) break;
  }

  std::vector<std::uint8_t> bytes(converted.begin(), converted.end());
  if (scramble) {
    bytes[0] = ml::kScrambledScriptMarker;
    ml::applyScriptKey(bytes);
  }
  std::string why;
  if (!ml::writeWholeFile(out, bytes.data(), bytes.size(), &why)) return fail("cannot write " + why);
  return 0;
}
