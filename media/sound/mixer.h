// Our own mixer behind the audio device: five tracks (one per channel) of 16-bit
// sound, each with its play position, loop switch and a left and right gain worked out
// once per volume or pan change. mix() runs with the device lock held: it never
// allocates and never waits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace ml {

struct MixGains {
  std::int32_t left = kUnity;
  std::int32_t right = kUnity;
  static constexpr std::int32_t kUnity = 1 << 15;
};

// The gains of a volume in hundredths of a decibel (0 loudest, -10000 silent) and a
// pan in the same unit (negative: the right side is attenuated, positive: the left).
MixGains gainsFor(int attenuation, int pan);

struct MixTrack {
  static constexpr std::uint32_t kUnitStep = 1u << 16;
  const std::int16_t* samples = nullptr;  // interleaved, `channels` per frame
  std::uint32_t frames = 0;
  int channels = 2;
  std::uint32_t step = kUnitStep;  // source frames per output frame, 16.16
  std::uint64_t position = 0;      // source frame, 16.16
  bool playing = false;
  bool looping = false;
  MixGains gains;
};

// Sound made while it plays (a movie's sound track, a synthesised MIDI tune) rather
// than held in a buffer. Called by the mixer with the device lock held.
class MixStream {
 public:
  virtual ~MixStream() = default;
  // Writes frames of 44100 Hz stereo into out; silence where it has nothing.
  virtual void render(std::int16_t* out, std::size_t frames) = 0;
  // Moves on by frames as if they had been heard.
  virtual void skip(std::size_t frames) = 0;
};

class Mixer final : public AudioSource {
 public:
  static constexpr int kTracks = 5;
  // Stream slots: a movie's sound and the MIDI tune.
  static constexpr int kStreams = 2;
  static constexpr int kMovieStream = 0;
  static constexpr int kMidiStream = 1;

  void mix(std::int16_t* out, std::size_t frames) override;
  void skip(std::size_t frames) override;

  // Touch only with the device lock held.
  MixTrack& track(int i) { return tracks_[static_cast<std::size_t>(i)]; }
  // A stream (not owned; nullptr: none) and its gains. Touch only with the lock held.
  void setStream(int slot, MixStream* stream, MixGains gains = {});
  MixStream* stream(int slot) const { return streams_[static_cast<std::size_t>(slot)]; }

 private:
  static constexpr std::size_t kBlock = 1024;
  void mixTrack(MixTrack& t, std::int32_t* acc, std::size_t frames);

  std::array<MixTrack, kTracks> tracks_{};
  std::array<MixStream*, kStreams> streams_{};
  std::array<MixGains, kStreams> streamGains_{};
  std::array<std::int32_t, 2 * kBlock> acc_{};
  std::array<std::int16_t, 2 * kBlock> streamBlock_{};
};

}  // namespace ml
