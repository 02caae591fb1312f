// The RIFF/WAVE reader: the "fmt " block (18 bytes plus its cbSize extra bytes), the
// "fact" sample count and the "data" chunk of a WAVE file held in memory. Every size is
// checked against the bytes held; failures go to the MMSystem box with their site.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/sound/sound_errors.h"

namespace ml {

struct WaveFormat {
  std::uint16_t tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t bytesPerSecond = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t cbSize = 0;
  std::vector<std::uint8_t> extra;  // the cbSize bytes after the 18
};

class WaveFile {
 public:
  // Enters the RIFF chunk: "RIFF" with form type "WAVE" (sites 133, 140).
  bool open(std::vector<std::uint8_t> bytes, const SoundErrors& errors);
  // The format, then the "fact" chunk after it (sites 169 … 226). Cached.
  bool readFormat(const SoundErrors& errors);
  // The "data" chunk from the start of the form (site 261); its size is checked
  // against the file (site 294).
  bool findData(const SoundErrors& errors);

  const WaveFormat& format() const { return format_; }
  // The "fact" value; 0 when the chunk is absent.
  std::uint32_t sampleCount() const { return sampleCount_; }
  bool hasFact() const { return hasFact_; }
  std::span<const std::uint8_t> data() const { return data_; }
  std::size_t fileSize() const { return bytes_.size(); }

 private:
  struct Chunk {
    std::size_t offset = 0;  // of its contents
    std::uint32_t size = 0;
    bool found = false;
  };
  // The first chunk with this id from offset on inside the form.
  Chunk findChunk(const char id[4], std::size_t from) const;

  std::vector<std::uint8_t> bytes_;
  std::size_t formEnd_ = 0;
  bool formatRead_ = false;
  WaveFormat format_;
  std::uint32_t sampleCount_ = 0;
  bool hasFact_ = false;
  std::span<const std::uint8_t> data_;
};

}  // namespace ml
