// The headless input-script parser on arbitrary text: it either fails with a message
// naming a line of the text, or every command it returns carries a line of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/headless/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  ml::InputScript script;
  std::string error;
  if (!script.parse(text, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (const ml::InputCommand& c : script.commands)
    if (c.line < 1 || static_cast<std::size_t>(c.line) > lines) std::abort();
  // Key names alone, as the key commands take them.
  ml::KeyEvent key;
  ml::parseKeySpec(text.substr(0, 64), key);
  return 0;
}
