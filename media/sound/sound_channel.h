// One playable sound: a decoded 16-bit buffer played through one mixer track. Loaded
// whole (effects, voices) or progressively, one second of output per tick (music);
// with looping, a play position, a volume in hundredths of a decibel and a pan.
// Loading the name it already holds keeps the buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/sound/sound_decoder.h"
#include "media/sound/sound_device.h"

namespace ml {

class SoundChannel {
 public:
  // One second of 44100 Hz 16-bit stereo: the progressive step.
  static constexpr std::size_t kStreamChunk = 176400;

  SoundChannel(SoundDevice& device, int track);
  ~SoundChannel();
  SoundChannel(const SoundChannel&) = delete;
  SoundChannel& operator=(const SoundChannel&) = delete;

  // rateMode 1-3 plays a voice at double speed (see deliver).
  bool loadWhole(std::string_view name, int rateMode = 0);
  // allBgm: decode the whole track at once instead.
  bool loadStreaming(std::string_view name, bool allBgm = false);
  bool play(bool loop);
  bool stop();
  bool seek(std::uint32_t bytes);
  bool isPlaying();
  bool setVolume(int level, bool remember);
  bool setPan(int p);
  void startFade(int fromLevel, int step);
  bool tick(bool refill);
  void release();

  bool empty() const { return samples_.empty(); }
  const std::string& cachedName() const { return name_; }
  int volumeLevel() const { return volumeLevel_; }
  int fadeLevel() const { return fadeLevel_; }
  int attenuation() const { return attenuation_; }
  int pan() const { return pan_; }
  std::uint32_t bufferBytes() const { return bytes_; }
  std::uint64_t decodedBytes() const { return decoded_; }
  bool streaming() const { return decoder_ != nullptr; }
  // Play position in bytes of the buffer.
  std::uint32_t position();
  const PcmFormat& format() const { return format_; }
  // The buffer as the mixer reads it (tests).
  const std::vector<std::int16_t>& samples() const { return samples_; }

 private:
  // Hands the buffer to the mixer track, stopped at position 0, full volume, centred.
  void install();
  bool progressiveStep();

  SoundDevice& device_;
  int track_;
  std::vector<std::int16_t> samples_;
  std::uint32_t bytes_ = 0;
  PcmFormat format_;
  std::string name_;
  std::unique_ptr<SoundDecoder> decoder_;
  std::uint64_t decoded_ = 0;
  std::uint64_t length_ = 0;
  int volumeLevel_ = 255;
  int attenuation_ = 0;
  int pan_ = 0;
  int fadeLevel_ = -1;
  int fadeStep_ = 0;
};

// Copies count bytes of decoded sound into a buffer for a rate mode: 0 as they are,
// 1 every other 16-bit sample, 2 and 3 blocks of 1500 or 3000 bytes with an equal
// block of the source skipped after each (count is the halved size for modes 1-3).
void deliverDecoded(const std::uint8_t* source, std::size_t sourceBytes, std::uint8_t* out,
                    std::size_t count, int rateMode);

}  // namespace ml
