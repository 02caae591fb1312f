// The optional scrambling of script files: byte 0 "X" marks a scrambled file whose
// bytes from 1 on are XORed with kScriptKey; a loaded script gets byte 0 "N".
#pragma once

#include <cstdint>
#include <span>

namespace ml {

inline constexpr std::uint8_t kScrambledScriptMarker = 'X';
inline constexpr std::uint8_t kPlainScriptMarker = 'N';

// XORs bytes 1.. of a whole script file with the script key (its own inverse).
void applyScriptKey(std::span<std::uint8_t> file);

// Unscrambles a script file in place when it carries the "X" marker and sets byte 0 to
// "N"; returns whether it was scrambled.
bool unscrambleScript(std::span<std::uint8_t> file);

}  // namespace ml
