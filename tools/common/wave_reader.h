// Reads WAVE files for the author tools and the tests: the RIFF chunks as they are,
// and the samples of PCM (8, 16, 24, 32-bit), floating-point and Vorbis WAVE files.
// Every length is checked against the bytes held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/wave_writer.h"

namespace ml::tools {

struct WaveChunk {
  std::string id;              // four characters
  std::size_t offset = 0;      // of the chunk's data in the file
  std::uint32_t size = 0;      // as the chunk header states it
  std::size_t available = 0;   // bytes of it actually in the file
};

struct WaveInfo {
  std::uint16_t formatTag = 0;
  int channels = 0;
  int rate = 0;
  int bitsPerSample = 0;
  int blockAlign = 0;
  std::uint16_t extraSize = 0;   // cbSize of an 18-byte or longer "fmt "
  bool hasFact = false;
  std::uint32_t factFrames = 0;
  std::size_t dataOffset = 0;
  std::size_t dataSize = 0;      // clipped to the bytes in the file
  std::vector<WaveChunk> chunks; // every chunk inside RIFF, in file order
};

// The chunk structure and format; false with a reason for anything that is not a
// RIFF WAVE with "fmt " and "data".
bool parseWave(const std::vector<std::uint8_t>& bytes, WaveInfo& info, std::string* error = nullptr);

// The samples, whatever the supported encoding.
bool readWaveSamples(const std::vector<std::uint8_t>& bytes, AudioBuffer& out,
                     std::string* error = nullptr);

// The Ogg stream inside a Vorbis WAVE (format tags 0x674F and 0x676F).
bool extractOgg(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& ogg,
                std::string* error = nullptr);

// A whole file into memory (at most maxBytes); false when it cannot be read.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = std::size_t(1) << 30);

}  // namespace ml::tools
