#include "media/sound/sound_channel.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "media/io/archive.h"

namespace ml {

namespace {
constexpr std::size_t kMaxCachedName = 31;
}

void deliverDecoded(const std::uint8_t* source, std::size_t sourceBytes, std::uint8_t* out,
                    std::size_t count, int rateMode) {
  if (rateMode == 1) {
    std::size_t o = 0;
    for (std::size_t s = 0; o + 1 < count && s + 1 < sourceBytes; s += 4, o += 2) {
      out[o] = source[s];
      out[o + 1] = source[s + 1];
    }
    std::memset(out + o, 0, count - o);
    return;
  }
  if (rateMode == 2 || rateMode == 3) {
    const std::size_t block = rateMode == 2 ? 1500 : 3000;
    std::size_t o = 0;
    for (std::size_t s = 0; o < count && s < sourceBytes; s += 2 * block) {
      const std::size_t n = std::min({block, count - o, sourceBytes - s});
      std::memcpy(out + o, source + s, n);
      o += n;
    }
    std::memset(out + o, 0, count - o);
    return;
  }
  const std::size_t n = std::min(count, sourceBytes);
  std::memcpy(out, source, n);
  std::memset(out + n, 0, count - n);
}

SoundChannel::SoundChannel(SoundDevice& device, int track) : device_(device), track_(track) {}

SoundChannel::~SoundChannel() { release(); }

void SoundChannel::install() {
  attenuation_ = 0;
  pan_ = 0;
  SoundDevice::Lock lock(device_);
  MixTrack& t = device_.mixer().track(track_);
  t.samples = samples_.data();
  t.frames = bytes_ / static_cast<std::uint32_t>(format_.bytesPerFrame());
  t.channels = format_.channels;
  t.step = static_cast<std::uint32_t>((static_cast<std::uint64_t>(format_.rate) << 16) / AudioSource::kRate);
  t.position = 0;
  t.playing = false;
  t.looping = false;
  t.gains = gainsFor(0, 0);
}

void SoundChannel::release() {
  {
    SoundDevice::Lock lock(device_);
    device_.mixer().track(track_) = MixTrack{};
  }
  // Freed outside the lock: the mixer no longer sees it.
  std::vector<std::int16_t>().swap(samples_);
  bytes_ = 0;
  decoder_.reset();
  name_.clear();
  decoded_ = 0;
  length_ = 0;
  fadeLevel_ = -1;
  fadeStep_ = 0;
}

bool SoundChannel::loadWhole(std::string_view name, int rateMode) {
  if (!device_.valid()) return false;
  if (!name_.empty() && archiveNamesEqual(name, name_)) return true;
  release();
  std::vector<std::uint8_t> file;
  if (!device_.readFile(name, file)) return false;
  SoundDecoder decoder;
  if (!decoder.open(std::move(file), device_.errors())) return false;
  std::vector<std::uint8_t> decoded;
  if (!decoder.decodeAll(decoded, device_.errors())) return false;
  if (decoded.empty()) return true;
  const std::size_t count = rateMode >= 1 && rateMode <= 3 ? decoded.size() / 2 : decoded.size();
  std::vector<std::int16_t> buffer((count + 1) / 2);
  deliverDecoded(decoded.data(), decoded.size(), reinterpret_cast<std::uint8_t*>(buffer.data()), count,
                 rateMode);
  samples_ = std::move(buffer);
  bytes_ = static_cast<std::uint32_t>(count);
  format_ = decoder.format();
  install();
  if (name.size() <= kMaxCachedName) name_ = std::string(name);
  return true;
}

bool SoundChannel::loadStreaming(std::string_view name, bool allBgm) {
  if (allBgm) return loadWhole(name, 0);
  if (!device_.valid()) return false;
  if (!name_.empty() && archiveNamesEqual(name, name_)) return true;
  release();
  std::vector<std::uint8_t> file;
  if (!device_.readFile(name, file)) return false;
  auto decoder = std::make_unique<SoundDecoder>();
  if (!decoder->open(std::move(file), device_.errors())) return false;
  const std::uint64_t length = decoder->decodedLength();
  if (length == 0) {
    device_.errors().directSound(412, kSoundInternalError);
    return false;
  }
  if (!decoder->prepareProgressive(kStreamChunk, device_.errors())) return false;
  // The whole track's room at once, silent until decoded; it never moves while the
  // mixer plays it.
  samples_.assign(static_cast<std::size_t>((length + 1) / 2), 0);
  bytes_ = static_cast<std::uint32_t>(length);
  format_ = decoder->format();
  const std::size_t produced = decoder->decodeNext();
  if (produced == 0) {
    std::vector<std::int16_t>().swap(samples_);
    bytes_ = 0;
    device_.errors().directSound(463, kSoundInternalError);
    return false;
  }
  std::memcpy(samples_.data(), decoder->chunk(), static_cast<std::size_t>(std::min<std::uint64_t>(produced, length)));
  decoded_ = produced;
  length_ = length;
  decoder_ = std::move(decoder);
  if (decoded_ >= length_) decoder_.reset();
  install();
  if (name.size() <= kMaxCachedName) name_ = std::string(name);
  return true;
}

bool SoundChannel::progressiveStep() {
  if (!decoder_) return false;
  const std::size_t produced = decoder_->decodeNext();
  if (produced > 0 && decoded_ < length_) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(produced, length_ - decoded_));
    SoundDevice::Lock lock(device_);
    std::memcpy(reinterpret_cast<std::uint8_t*>(samples_.data()) + decoded_, decoder_->chunk(), n);
  }
  decoded_ += produced;
  // The end of the source also ends it when the count promised more.
  if (decoded_ >= length_ || produced == 0) decoder_.reset();
  return true;
}

bool SoundChannel::play(bool loop) {
  if (empty()) return false;
  SoundDevice::Lock lock(device_);
  MixTrack& t = device_.mixer().track(track_);
  // Already playing: it goes on from where it is, looping as now asked, so that it
  // matches the record (music played once and then asked to loop does loop).
  if (t.playing) {
    t.looping = loop;
    return true;
  }
  t.playing = true;
  t.looping = loop;
  return true;
}

bool SoundChannel::stop() {
  if (empty()) return false;
  SoundDevice::Lock lock(device_);
  MixTrack& t = device_.mixer().track(track_);
  t.playing = false;
  t.position = 0;
  return true;
}

bool SoundChannel::seek(std::uint32_t bytes) {
  if (empty()) return false;
  SoundDevice::Lock lock(device_);
  MixTrack& t = device_.mixer().track(track_);
  if (t.playing || bytes >= bytes_) return false;
  t.position = static_cast<std::uint64_t>(bytes / static_cast<std::uint32_t>(format_.bytesPerFrame())) << 16;
  return true;
}

std::uint32_t SoundChannel::position() {
  if (empty()) return 0;
  SoundDevice::Lock lock(device_);
  const MixTrack& t = device_.mixer().track(track_);
  return static_cast<std::uint32_t>(t.position >> 16) * static_cast<std::uint32_t>(format_.bytesPerFrame());
}

bool SoundChannel::isPlaying() {
  if (empty()) return false;
  SoundDevice::Lock lock(device_);
  return device_.mixer().track(track_).playing;
}

bool SoundChannel::setVolume(int level, bool remember) {
  if (empty()) return false;
  level = std::clamp(level, 0, 255);
  attenuation_ = 15 * level - 3825;
  if (attenuation_ <= -3800) attenuation_ = -10000;
  if (remember) volumeLevel_ = level;
  SoundDevice::Lock lock(device_);
  device_.mixer().track(track_).gains = gainsFor(attenuation_, pan_);
  return true;
}

bool SoundChannel::setPan(int p) {
  if (empty() || p < -100 || p > 100) return false;
  pan_ = 100 * p;
  SoundDevice::Lock lock(device_);
  device_.mixer().track(track_).gains = gainsFor(attenuation_, pan_);
  return true;
}

void SoundChannel::startFade(int fromLevel, int step) {
  if (empty()) return;
  fadeLevel_ = fromLevel;
  fadeStep_ = step;
  // A sound on its way out is decoded afresh when asked for again.
  name_.clear();
}

bool SoundChannel::tick(bool refill) {
  if (empty()) return false;
  if (fadeLevel_ >= 0) {
    fadeLevel_ = std::clamp(fadeLevel_ + fadeStep_, 0, volumeLevel_);
    setVolume(fadeLevel_, false);
    if (fadeLevel_ == 0) {
      release();
      return true;
    }
    if (fadeLevel_ == volumeLevel_) fadeLevel_ = -1;
  }
  if (refill && decoder_) progressiveStep();
  return true;
}

}  // namespace ml
