#include "media/formats/picture_bytes.h"

#include <cstring>
#include <new>

#include "media/io/archive.h"
#include "platform/posix/file_handle.h"
#include "media/io/game_folder.h"
#include "media/formats/lzss.h"
#include "platform/byte_reader.h"

namespace ml {

bool unpackPictureBytes(std::vector<std::uint8_t>& bytes, std::string_view magic) {
  if (!magic.empty() && bytes.size() >= magic.size() &&
      std::memcmp(bytes.data(), magic.data(), magic.size()) == 0)
    return true;
  ByteReader in(bytes.data(), bytes.size());
  const std::uint32_t unpacked = in.u32le();
  if (in.failed()) return false;
  const std::span<const std::uint8_t> stream = in.bytes(in.remaining());
  // A declared size the stream could never produce is damage; checking it first also
  // keeps a damaged size from asking for gigabytes.
  if (unpacked == 0 || unpacked > lzssMaxOutput(stream.size()) || unpacked > kMaxPictureFileBytes) return false;
  std::vector<std::uint8_t> picture;
  try {
    picture.resize(unpacked);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // A stream that ends early would leave part of the picture undefined.
  if (decodeLzss(picture, stream) != picture.size()) return false;
  bytes = std::move(picture);
  return true;
}

bool loadPictureBytes(const GameFolder& folder, DataArchive& pictureArchive,
                      std::string_view name, std::string_view magic,
                      std::vector<std::uint8_t>& out) {
  out.clear();
  FileHandle loose;
  if (folder.open(name, loose)) {
    if (static_cast<std::uint64_t>(loose.size()) > kMaxPictureFileBytes || !loose.readAll(out)) return false;
  } else {
    const bool found = pictureArchive.find(name) && pictureArchive.entrySize() <= kMaxPictureFileBytes &&
                       pictureArchive.readSelected(out);
    pictureArchive.release();
    if (!found) return false;
    // The head is scrambled in every archived picture, so a shorter entry is damaged.
    if (out.size() < kPictureHeadSize) {
      out.clear();
      return false;
    }
    applyArchiveKey(out.data(), kPictureHeadSize);
  }
  if (!unpackPictureBytes(out, magic)) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace ml
