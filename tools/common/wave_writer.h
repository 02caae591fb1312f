// Writes the WAVE files the engine plays. Two forms:
//  - Vorbis WAVE: format tag 0x674F, an 18-byte "fmt " chunk (channels, rate), a
//    "fact" chunk with the number of sample frames, and a complete Ogg Vorbis stream
//    as the "data" chunk;
//  - PCM WAVE: format tag 1, 16-bit samples, also with a "fact" chunk, because the
//    engine sizes its streaming buffer from that count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ml::tools {

// Interleaved samples in -1..1.
struct AudioBuffer {
  int channels = 1;
  int rate = 44100;
  std::vector<float> samples;

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

inline constexpr std::uint16_t kWaveFormatPcm = 1;
inline constexpr std::uint16_t kWaveFormatVorbis = 0x674F;

// withFact false leaves the "fact" chunk out (a file the engine cannot stream).
std::vector<std::uint8_t> writePcmWave(const AudioBuffer& audio, bool withFact = true);

// A complete Ogg Vorbis stream (quality -0.1 … 1.0; serial numbers the stream, so
// equal input gives equal bytes).
bool encodeOggVorbis(const AudioBuffer& audio, float quality, std::uint32_t serial,
                     std::vector<std::uint8_t>& ogg, std::string* error = nullptr);

// The Vorbis WAVE around an Ogg Vorbis stream of the given layout and length.
std::vector<std::uint8_t> vorbisWaveFromOgg(const std::vector<std::uint8_t>& ogg, int channels,
                                            int rate, std::uint32_t frames);

// Encodes and wraps in one step.
bool writeVorbisWave(const AudioBuffer& audio, float quality, std::vector<std::uint8_t>& out,
                     std::string* error = nullptr, std::uint32_t serial = 0x4D4C4E45);

// An existing Ogg Vorbis stream (a ".ogg" file) wrapped as it is, without re-encoding:
// its channels, rate and length are read from the stream itself.
bool wrapOggVorbis(const std::vector<std::uint8_t>& ogg, std::vector<std::uint8_t>& out,
                   std::string* error = nullptr);

// Decodes an Ogg Vorbis stream held in memory.
bool decodeOggVorbis(const std::vector<std::uint8_t>& ogg, AudioBuffer& out,
                     std::string* error = nullptr);

}  // namespace ml::tools
