#include "media/sound/wave_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/byte_reader.h"

namespace ml {

namespace {
constexpr std::size_t kFormStart = 12;  // after "RIFF", size and "WAVE"
}

bool WaveFile::open(std::vector<std::uint8_t> bytes, const SoundErrors& errors) {
  bytes_ = std::move(bytes);
  formatRead_ = false;
  hasFact_ = false;
  sampleCount_ = 0;
  data_ = {};
  ByteReader r(bytes_);
  const std::string_view riff = r.text(4);
  const std::uint32_t size = r.u32le();
  const std::string_view form = r.text(4);
  if (r.failed() || riff != "RIFF") {
    errors.mmSystem(133, kMmioChunkNotFound);
    return false;
  }
  if (form != "WAVE") {
    errors.mmSystem(140, kSoundInternalError);
    return false;
  }
  // A RIFF size past the end of the file stops at the file's end.
  formEnd_ = std::min<std::size_t>(bytes_.size(), std::size_t(8) + size);
  return true;
}

WaveFile::Chunk WaveFile::findChunk(const char id[4], std::size_t from) const {
  std::size_t at = from;
  while (at + 8 <= formEnd_) {
    const std::uint8_t* p = bytes_.data() + at;
    const std::uint32_t size = le32(p + 4);
    if (std::memcmp(p, id, 4) == 0) return {at + 8, size, true};
    // Chunks are padded to an even size.
    const std::uint64_t next = static_cast<std::uint64_t>(at) + 8 + size + (size & 1);
    if (next > formEnd_) break;
    at = static_cast<std::size_t>(next);
  }
  return {};
}

bool WaveFile::readFormat(const SoundErrors& errors) {
  if (formatRead_) return true;
  const Chunk fmt = findChunk("fmt ", kFormStart);
  if (!fmt.found) {
    errors.mmSystem(169, kMmioChunkNotFound);
    return false;
  }
  if (fmt.size < 16) {
    errors.mmSystem(169, kSoundInternalError);
    return false;
  }
  ByteReader r(bytes_);
  r.seek(fmt.offset);
  WaveFormat f;
  f.tag = r.u16le();
  f.channels = r.u16le();
  f.rate = r.u32le();
  f.bytesPerSecond = r.u32le();
  f.blockAlign = r.u16le();
  f.bitsPerSample = r.u16le();
  if (fmt.size >= 18) f.cbSize = r.u16le();
  if (r.failed()) {
    errors.mmSystem(178, kMmioCannotRead);
    return false;
  }
  // The extra bytes must lie inside the chunk and the file.
  const std::size_t headerBytes = fmt.size >= 18 ? 18 : 16;
  if (f.cbSize > fmt.size - headerBytes || f.cbSize > r.remaining()) {
    errors.mmSystem(187, kMmioCannotRead);
    return false;
  }
  std::span<const std::uint8_t> extra = r.bytes(f.cbSize);
  f.extra.assign(extra.begin(), extra.end());
  format_ = std::move(f);

  const std::uint64_t afterFmt = static_cast<std::uint64_t>(fmt.offset) + fmt.size + (fmt.size & 1);
  const Chunk fact = afterFmt <= formEnd_ ? findChunk("fact", static_cast<std::size_t>(afterFmt)) : Chunk{};
  if (fact.found) {
    if (fact.size != 4) {
      errors.mmSystem(213, kSoundInternalError);
      return false;
    }
    if (fact.offset + 4 > bytes_.size()) {
      errors.mmSystem(221, kMmioCannotRead);
      return false;
    }
    sampleCount_ = le32(bytes_.data() + fact.offset);
    hasFact_ = true;
  }
  formatRead_ = true;
  return true;
}

bool WaveFile::findData(const SoundErrors& errors) {
  const Chunk data = findChunk("data", kFormStart);
  if (!data.found) {
    errors.mmSystem(261, kMmioChunkNotFound);
    return false;
  }
  // A "data" size past the end of the file: the read ends early.
  if (data.size > bytes_.size() - data.offset) {
    errors.mmSystem(294, kMmioCannotRead);
    return false;
  }
  data_ = std::span<const std::uint8_t>(bytes_.data() + data.offset, data.size);
  return true;
}

}  // namespace ml
