// The sound figures:
//   BM_MixOneSecond         our mixer producing one second of output (44100 frames) with
//                           looping music, a looping effect, a 22050 Hz mono voice and an
//                           interface sound playing at mixed volumes and pans
//   BM_DecodeVorbisOurs     a 3-minute Vorbis WAVE decoded whole through our reader
//   BM_DecodeVorbisPlain    plain libvorbisfile decoding the same Ogg stream to memory
//   BM_ProgressiveStep      the music's per-poll step (one more second decoded into the
//                           track's buffer); the "worst_ms" counter is the slowest step
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "media/sound/mixer.h"
#include "media/sound/sound_channel.h"
#include "media/sound/sound_decoder.h"
#include "tools/common/wave_reader.h"
#include "tools/common/wave_writer.h"

namespace {

std::vector<std::int16_t> tone(int frames, int channels, double hz) {
  std::vector<std::int16_t> s(static_cast<std::size_t>(frames * channels));
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s[static_cast<std::size_t>(i * channels + c)] = static_cast<std::int16_t>(12000 * std::sin(6.2831853 * hz * i / 44100));
  return s;
}

void BM_MixOneSecond(benchmark::State& state) {
  ml::Mixer mixer;
  const auto music = tone(44100 * 30, 2, 220), effect = tone(44100 * 3, 2, 330), voice = tone(22050 * 4, 1, 180),
             ui = tone(44100 / 2, 2, 880);
  auto setTrack = [&](int i, const std::vector<std::int16_t>& s, int channels, int rate, int volume, int pan) {
    ml::MixTrack& t = mixer.track(i);
    t.samples = s.data();
    t.channels = channels;
    t.frames = static_cast<std::uint32_t>(s.size() / static_cast<std::size_t>(channels));
    t.step = static_cast<std::uint32_t>((static_cast<std::uint64_t>(rate) << 16) / 44100);
    t.playing = true;
    t.looping = true;
    t.gains = ml::gainsFor(volume, pan);
  };
  setTrack(0, music, 2, 44100, -2325, 0);
  setTrack(2, effect, 2, 44100, -1500, -500);
  setTrack(3, ui, 2, 44100, -300, 200);
  setTrack(4, voice, 1, 22050, -1000, 1000);
  std::vector<std::int16_t> out(2 * 44100);
  for (auto _ : state) {
    mixer.mix(out.data(), 44100);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel("per second of audio");
}
BENCHMARK(BM_MixOneSecond)->Unit(benchmark::kMillisecond);

// Three minutes of a chord, encoded once.
const std::vector<std::uint8_t>& threeMinuteWave() {
  static const std::vector<std::uint8_t> wave = [] {
    ml::tools::AudioBuffer a;
    a.channels = 2;
    a.rate = 44100;
    const int n = 44100 * 180;
    a.samples.resize(static_cast<std::size_t>(2 * n));
    for (int i = 0; i < n; ++i) {
      const double t = i / 44100.0;
      const float v = static_cast<float>(0.2 * std::sin(6.2831853 * 220 * t) + 0.15 * std::sin(6.2831853 * 277 * t) +
                                         0.1 * std::sin(6.2831853 * 330 * t * (1 + 0.001 * std::sin(t))));
      a.samples[static_cast<std::size_t>(2 * i)] = v;
      a.samples[static_cast<std::size_t>(2 * i + 1)] = 0.8f * v;
    }
    std::vector<std::uint8_t> out;
    ml::tools::writeVorbisWave(a, 0.3f, out);
    return out;
  }();
  return wave;
}

void BM_DecodeVorbisOurs(benchmark::State& state) {
  const auto& wave = threeMinuteWave();
  ml::SoundErrors errors;
  std::vector<std::uint8_t> out;
  for (auto _ : state) {
    ml::SoundDecoder d;
    d.open(wave, errors);
    d.decodeAll(out, errors);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MB"] = static_cast<double>(out.size()) / 1e6;
}
BENCHMARK(BM_DecodeVorbisOurs)->Unit(benchmark::kMillisecond)->Iterations(3);

struct Memory {
  const std::uint8_t* p;
  std::size_t n, pos;
};

void BM_DecodeVorbisPlain(benchmark::State& state) {
  std::vector<std::uint8_t> ogg;
  ml::tools::extractOgg(threeMinuteWave(), ogg);
  ov_callbacks cb{};
  cb.read_func = [](void* out, size_t size, size_t count, void* src) -> size_t {
    auto* m = static_cast<Memory*>(src);
    const size_t want = std::min(count, (m->n - m->pos) / size);
    std::memcpy(out, m->p + m->pos, want * size);
    m->pos += want * size;
    return want;
  };
  cb.seek_func = [](void* src, ogg_int64_t off, int whence) -> int {
    auto* m = static_cast<Memory*>(src);
    const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos)
                                                                          : static_cast<ogg_int64_t>(m->n);
    if (base + off < 0 || base + off > static_cast<ogg_int64_t>(m->n)) return -1;
    m->pos = static_cast<std::size_t>(base + off);
    return 0;
  };
  cb.tell_func = [](void* src) -> long { return static_cast<long>(static_cast<Memory*>(src)->pos); };
  std::vector<char> out;
  for (auto _ : state) {
    Memory m{ogg.data(), ogg.size(), 0};
    OggVorbis_File vf;
    ov_open_callbacks(&m, &vf, nullptr, 0, cb);
    out.resize(static_cast<std::size_t>(ov_pcm_total(&vf, -1)) * 4);
    std::size_t have = 0;
    int section = 0;
    for (long got; have < out.size() &&
                   (got = ov_read(&vf, out.data() + have, static_cast<int>(std::min<std::size_t>(out.size() - have, 1 << 16)),
                                  0, 2, 1, &section)) > 0;)
      have += static_cast<std::size_t>(got);
    ov_clear(&vf);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MB"] = static_cast<double>(out.size()) / 1e6;
}
BENCHMARK(BM_DecodeVorbisPlain)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProgressiveStep(benchmark::State& state) {
  const auto& wave = threeMinuteWave();
  ml::SoundErrors errors;
  double worst = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ml::SoundDecoder d;
    d.open(wave, errors);
    d.prepareProgressive(ml::SoundChannel::kStreamChunk, errors);
    std::vector<std::uint8_t> track(static_cast<std::size_t>(d.decodedLength()));
    state.ResumeTiming();
    std::size_t decoded = 0;
    for (;;) {
      const auto t0 = std::chrono::steady_clock::now();
      const std::size_t n = d.decodeNext();
      if (n > 0) std::memcpy(track.data() + decoded, d.chunk(), std::min(n, track.size() - decoded));
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      worst = std::max(worst, ms);
      decoded += n;
      if (n == 0 || decoded >= track.size()) break;
    }
  }
  state.counters["worst_ms"] = worst;
  state.SetLabel("whole track, one step per second of music");
}
BENCHMARK(BM_ProgressiveStep)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
