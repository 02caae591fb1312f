#include "media/formats/script_scramble.h"

#include "media/io/keys.h"

namespace ml {

void applyScriptKey(std::span<std::uint8_t> file) {
  for (std::size_t i = 1; i < file.size(); ++i) file[i] ^= kScriptKey[(i - 1) % kScriptKey.size()];
}

bool unscrambleScript(std::span<std::uint8_t> file) {
  if (file.empty() || file[0] != kScrambledScriptMarker) return false;
  applyScriptKey(file);
  file[0] = kPlainScriptMarker;
  return true;
}

}  // namespace ml
