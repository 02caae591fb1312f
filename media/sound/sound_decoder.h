// Turns a WAVE file into 16-bit PCM: PCM data (tag 1, 8 or 16 bits) passes through,
// Vorbis WAVE files (tags 0x674F, 0x676F) carry an Ogg Vorbis stream in their "data"
// chunk, decoded with libvorbisfile from memory. Either all at once (effects, voices)
// or one chunk at a time (music). Other formats are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/sound/sound_errors.h"
#include "media/sound/wave_file.h"

namespace ml {

// Decoded sound is always 16-bit interleaved.
struct PcmFormat {
  int channels = 2;
  int rate = 44100;
  int bytesPerFrame() const { return channels * 2; }
};

inline constexpr std::uint16_t kWaveTagPcm = 1;
inline constexpr std::uint16_t kWaveTagVorbis = 0x674F;
inline constexpr std::uint16_t kWaveTagVorbis3 = 0x676F;

// No track decodes to more than this (about 25 minutes of 44100 Hz stereo): a "fact"
// count or a stream claiming more is cut here rather than allocating gigabytes.
inline constexpr std::uint64_t kMaxDecodedBytes = std::uint64_t(256) << 20;

class SoundDecoder {
 public:
  SoundDecoder();
  ~SoundDecoder();
  SoundDecoder(const SoundDecoder&) = delete;
  SoundDecoder& operator=(const SoundDecoder&) = delete;

  // Reads the format and the data chunk of a whole WAVE file; false (after the box)
  // when it cannot be decoded.
  bool open(std::vector<std::uint8_t> file, const SoundErrors& errors);

  const PcmFormat& format() const { return format_; }
  const WaveFile& wave() const { return wave_; }
  // L: source channels x "fact" count x 2 bytes, cut to what the data can hold.
  std::uint64_t decodedLength() const { return length_; }

  // Everything, by the decoder's own length (the "fact" count does not limit it).
  bool decodeAll(std::vector<std::uint8_t>& out, const SoundErrors& errors);

  // Progressive decoding in chunks of chunkBytes output bytes.
  bool prepareProgressive(std::size_t chunkBytes, const SoundErrors& errors);
  // The next chunk into the decoder's own buffer; 0 at the end of the source.
  std::size_t decodeNext();
  const std::uint8_t* chunk() const { return chunk_.data(); }
  void finish();

 private:
  struct Vorbis;
  // Up to n bytes of output from the current position; the count produced.
  std::size_t produce(std::uint8_t* out, std::size_t n);

  WaveFile wave_;
  PcmFormat format_;
  bool vorbis_ = false;
  std::uint64_t length_ = 0;
  std::size_t sourcePos_ = 0;  // PCM: bytes of data consumed
  std::unique_ptr<Vorbis> ogg_;
  std::vector<std::uint8_t> chunk_;
};

}  // namespace ml
