// The LZSS packing of pictures: a 4096-byte ring (positions 0..4077 start as zeros,
// writing starts at 4078), flag bytes read least significant bit first, bit 1 a
// literal byte, bit 0 a two-byte reference b1, b2 to ring position
// b1 | ((b2 & 0xF0) << 4) of length (b2 & 0x0F) + 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ml {

// Unpacks input into output until the input is exhausted or output is full, whatever
// the stream still holds. Returns the number of bytes written.
std::size_t decodeLzss(std::span<std::uint8_t> output, std::span<const std::uint8_t> input);

// The most bytes a stream of inputLength bytes can unpack to.
std::uint64_t lzssMaxOutput(std::size_t inputLength);

// Packs data into a stream that decodeLzss unpacks back to exactly data (given
// data.size() as the output size).
std::vector<std::uint8_t> encodeLzss(std::span<const std::uint8_t> data);

}  // namespace ml
