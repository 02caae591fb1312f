// The two fixed 5-byte keys of the data formats. Games are built with these values
// (the packer uses the same header), so changing one makes existing data unreadable.
#pragma once

#include <array>
#include <cstdint>

namespace ml {

// XORed over scrambled script files ("X" marker): byte i with key[(i - 1) % 5].
inline constexpr std::array<std::uint8_t, 5> kScriptKey{0x4D, 0x69, 0x72, 0x65, 0x6C};

// XORed over scrambled archive indexes and the first 32 bytes of archived pictures;
// every byte lies in 0x01..0x7F.
inline constexpr std::array<std::uint8_t, 5> kArchiveKey{0x2B, 0x5E, 0x17, 0x6A, 0x33};

}  // namespace ml
