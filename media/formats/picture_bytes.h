// The bytes of a picture file as the PSD and BMP loaders need them: the loose file
// when there is one, else the entry of the picture archive with its first 32 bytes
// unscrambled; bytes that do not begin with the loader's magic are an LZSS-packed
// picture (a 32-bit little-endian unpacked size, then the stream).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace ml {

class GameFolder;
class DataArchive;

// Length of the scrambled head of an archived picture (the shortest one accepted).
inline constexpr std::size_t kPictureHeadSize = 32;

// No picture the memory budget admits needs more bytes than this, packed or unpacked;
// a larger (or sparse) file is refused before it is read.
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t(256) << 20;

// Reports nothing: each loader reports in its own words. False (and out empty) when
// the picture is found nowhere or its bytes are damaged.
bool loadPictureBytes(const GameFolder& folder, DataArchive& pictureArchive,
                      std::string_view name, std::string_view magic,
                      std::vector<std::uint8_t>& out);

// Step 3 alone: keeps bytes that begin with magic, else unpacks them to exactly their
// declared size. False when the packed form is damaged.
bool unpackPictureBytes(std::vector<std::uint8_t>& bytes, std::string_view magic);

}  // namespace ml
