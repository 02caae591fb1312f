// script: a scenario script written in UTF-8 (any line ends) becomes the file the
// engine reads: Shift-JIS, CR LF line ends, and the one-byte marker the engine skips
// ("N" plain, or "X" with the rest scrambled by the script key).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/file_handle.h"
#include "media/formats/script_scramble.h"
#include "platform/text_encoding.h"
#include "tools/common/script_text.h"
#include "tools/convert/subcommands.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "mirelune-convert script: %s\n", message.c_str());
  return 1;
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
  std::string converted(1, static_cast<char>(ml::kPlainScriptMarker));
  converted.reserve(text.size() + text.size() / 20 + 2);
  std::vector<std::string> errors;
  ml::tools::utf8ScriptToSjis(text, in, converted, errors);
  if (!errors.empty()) {
    // A file that is not UTF-8 at all would list every byte: the first screenful tells.
    constexpr std::size_t kShown = 40;
    for (std::size_t i = 0; i < errors.size() && i < kShown; ++i) std::fprintf(stderr, "%s\n", errors[i].c_str());
    if (errors.size() > kShown) std::fprintf(stderr, "%s: ... and %zu more\n", in.c_str(), errors.size() - kShown);
    return fail(std::to_string(errors.size()) + " character" + (errors.size() == 1 ? "" : "s") +
                " cannot be converted to Shift-JIS; nothing written");
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
