// Little-endian fields appended to (or patched into) a byte buffer, for the RIFF and
// BMP writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ml::tools {

inline void putLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFF);
  putLe16(out, v >> 16);
}

inline void patchLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace ml::tools
