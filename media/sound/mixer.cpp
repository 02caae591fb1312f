#include "media/sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace ml {

namespace {
std::int32_t gainOf(int hundredthsDb) {
  if (hundredthsDb <= -10000) return 0;
  if (hundredthsDb >= 0) return MixGains::kUnity;
  return static_cast<std::int32_t>(std::lround(MixGains::kUnity * std::pow(10.0, hundredthsDb / 2000.0)));
}
}  // namespace

MixGains gainsFor(int attenuation, int pan) {
  // The pan attenuates the side it points away from, on top of the volume.
  const int left = attenuation - std::max(pan, 0);
  const int right = attenuation - std::max(-pan, 0);
  return {gainOf(left), gainOf(right)};
}

void Mixer::mixTrack(MixTrack& t, std::int32_t* acc, std::size_t frames) {
  if (!t.playing || t.samples == nullptr || t.frames == 0) return;
  const std::uint64_t end = static_cast<std::uint64_t>(t.frames) << 16;
  const std::int32_t gl = t.gains.left, gr = t.gains.right;
  const bool stereo = t.channels == 2;
  for (std::size_t i = 0; i < frames; ++i) {
    if (t.position >= end) {
      if (!t.looping) {
        // Played to its end: stopped and rewound, ready to play again.
        t.playing = false;
        t.position = 0;
        return;
      }
      t.position %= end;
    }
    const std::size_t f = static_cast<std::size_t>(t.position >> 16);
    std::int32_t l, r;
    if (stereo) {
      l = t.samples[2 * f];
      r = t.samples[2 * f + 1];
    } else {
      l = r = t.samples[f];
    }
    if (t.step != MixTrack::kUnitStep) {
      // Other rates: linear between this frame and the next.
      std::size_t g = f + 1;
      if (g >= t.frames) g = t.looping ? 0 : f;
      const std::int32_t frac = static_cast<std::int32_t>(t.position & 0xFFFF);
      const std::int32_t l2 = stereo ? t.samples[2 * g] : t.samples[g];
      const std::int32_t r2 = stereo ? t.samples[2 * g + 1] : t.samples[g];
      l += ((l2 - l) * frac) >> 16;
      r += ((r2 - r) * frac) >> 16;
    }
    acc[2 * i] += (l * gl) >> 15;
    acc[2 * i + 1] += (r * gr) >> 15;
    t.position += t.step;
  }
  // Settled as skip() leaves it, so a run sounds the same whether it is heard or not.
  if (t.position >= end) {
    if (t.looping) {
      t.position %= end;
    } else {
      t.playing = false;
      t.position = 0;
    }
  }
}

void Mixer::mix(std::int16_t* out, std::size_t frames) {
  while (frames > 0) {
    const std::size_t n = std::min(frames, kBlock);
    std::fill_n(acc_.begin(), 2 * n, 0);
    for (MixTrack& t : tracks_) mixTrack(t, acc_.data(), n);
    for (std::size_t k = 0; k < streams_.size(); ++k) {
      if (streams_[k] == nullptr) continue;
      streams_[k]->render(streamBlock_.data(), n);
      const std::int32_t gl = streamGains_[k].left, gr = streamGains_[k].right;
      for (std::size_t i = 0; i < n; ++i) {
        acc_[2 * i] += (streamBlock_[2 * i] * gl) >> 15;
        acc_[2 * i + 1] += (streamBlock_[2 * i + 1] * gr) >> 15;
      }
    }
    for (std::size_t i = 0; i < 2 * n; ++i)
      out[i] = static_cast<std::int16_t>(std::clamp(acc_[i], -32768, 32767));
    out += 2 * n;
    frames -= n;
  }
}

void Mixer::setStream(int slot, MixStream* stream, MixGains gains) {
  if (slot < 0 || slot >= kStreams) return;
  streams_[static_cast<std::size_t>(slot)] = stream;
  streamGains_[static_cast<std::size_t>(slot)] = gains;
}

void Mixer::skip(std::size_t frames) {
  for (MixStream* s : streams_)
    if (s != nullptr) s->skip(frames);
  for (MixTrack& t : tracks_) {
    if (!t.playing || t.samples == nullptr || t.frames == 0) continue;
    const std::uint64_t end = static_cast<std::uint64_t>(t.frames) << 16;
    t.position += static_cast<std::uint64_t>(t.step) * frames;
    if (t.position >= end) {
      if (t.looping) {
        t.position %= end;
      } else {
        t.playing = false;
        t.position = 0;
      }
    }
  }
}

}  // namespace ml
