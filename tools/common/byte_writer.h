// The one set of writers of little- and big-endian fields, appended to (or patched
// into) a byte buffer: RIFF, BMP and archive fields are little-endian, PSD and MIDI
// fields big-endian. Reading goes through platform/byte_reader.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ml::tools {

inline void storeLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void storeBe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

inline void putLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFF);
  putLe16(out, v >> 16);
}

inline void patchLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  storeLe32(out.data() + at, v);
}

inline void putBe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

inline void putBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  putBe16(out, v >> 16);
  putBe16(out, v & 0xFFFF);
}

inline void patchBe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  storeBe32(out.data() + at, v);
}

}  // namespace ml::tools
