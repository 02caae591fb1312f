// A runtime on the headless platform with its sound device open and every frame the
// mixer makes recorded, plus makers of WAVE files with known samples.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/engine_fixture.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "platform/headless/headless_platform.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"
#include "scene/scene_services.h"
#include "scene/sound_service.h"
#include "tools/common/wave_writer.h"

namespace ml::test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void chunk(Bytes& b, const char* id, const Bytes& body, std::uint32_t size) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
  put32(b, size);
  for (std::uint8_t v : body) b.push_back(v);
  if (body.size() & 1) b.push_back(0);
}

// A RIFF/WAVE file from chunks already laid out.
inline Bytes riff(const Bytes& chunks, const char* form = "WAVE") {
  Bytes b = {'R', 'I', 'F', 'F'};
  put32(b, static_cast<std::uint32_t>(4 + chunks.size()));
  b.insert(b.end(), form, form + 4);
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

inline Bytes fmtBody(std::uint16_t tag, int channels, int rate, int bits) {
  Bytes f;
  put16(f, tag);
  put16(f, static_cast<std::uint32_t>(channels));
  put32(f, static_cast<std::uint32_t>(rate));
  put32(f, static_cast<std::uint32_t>(rate * channels * bits / 8));
  put16(f, static_cast<std::uint32_t>(channels * bits / 8));
  put16(f, static_cast<std::uint32_t>(bits));
  return f;
}

// A 16-bit PCM WAVE of exactly these interleaved samples, with a "fact" count.
inline Bytes pcmWave(const std::vector<std::int16_t>& samples, int channels = 2, int rate = 44100,
                     bool withFact = true) {
  Bytes c;
  chunk(c, "fmt ", fmtBody(1, channels, rate, 16), 16);
  if (withFact) {
    Bytes f;
    put32(f, static_cast<std::uint32_t>(samples.size() / channels));
    chunk(c, "fact", f, 4);
  }
  Bytes d;
  for (std::int16_t s : samples) put16(d, static_cast<std::uint16_t>(s));
  chunk(c, "data", d, static_cast<std::uint32_t>(d.size()));
  return riff(c);
}

// Stereo samples whose value counts frames (left) and their negation (right), so a
// position can be read off the output.
inline std::vector<std::int16_t> rampSamples(int frames, int start = 1) {
  std::vector<std::int16_t> s;
  for (int i = 0; i < frames; ++i) {
    s.push_back(static_cast<std::int16_t>((start + i) % 30000));
    s.push_back(static_cast<std::int16_t>(-((start + i) % 30000)));
  }
  return s;
}

// A constant stereo level: handy to read gains off the output.
inline std::vector<std::int16_t> constantSamples(int frames, std::int16_t value) {
  return std::vector<std::int16_t>(static_cast<std::size_t>(2 * frames), value);
}

inline Bytes vorbisWave(double seconds, double hz = 440.0, int channels = 2) {
  tools::AudioBuffer a;
  a.channels = channels;
  a.rate = 44100;
  const int n = static_cast<int>(seconds * 44100);
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c) a.samples.push_back(0.5f * static_cast<float>(std::sin(6.283185307 * hz * i / 44100.0)));
  Bytes out;
  EXPECT_TRUE(tools::writeVorbisWave(a, 0.3f, out));
  return out;
}

class SoundTest : public EngineTest {
 protected:
  SoundTest() : EngineTest(Options{"sound", true}) {}

  void writeSound(const std::string& name, const Bytes& bytes) { writeFile("wav/" + name + ".wav", bytes); }
  ScriptContext& load(const std::string& utf8) { return loadCrlf(utf8); }
  SoundChannel& channel(int i) { return *rt->sound().channel(i); }
  // Moves the virtual clock (and the mixer with it).
  void advanceMs(std::uint32_t ms) { platform.advance(ms); }
  // Recorded frames from frame `from` on (left, right interleaved).
  const std::vector<std::int16_t>& heard() const { return platform.recordedAudio(); }
  std::uint64_t framesHeard() const { return platform.recordedAudio().size() / 2; }
  // Sum of squares of one side over frames [from, to).
  double energy(std::uint64_t from, std::uint64_t to, int side) const {
    double e = 0;
    for (std::uint64_t f = from; f < to && 2 * f + 1 < heard().size(); ++f) {
      const double v = heard()[2 * f + static_cast<std::uint64_t>(side)];
      e += v * v;
    }
    return e;
  }
  std::vector<std::string> boxes() const {
    std::vector<std::string> out;
    for (const std::string& r : platform.reports())
      if (r.rfind("MessageBox:", 0) == 0) out.push_back(r);
    return out;
  }
  std::vector<std::string> scriptErrors() const {
    std::vector<std::string> out;
    for (const auto& e : reporter.entries)
      if (e.message != SJ("最後まで実行しました")) out.push_back(sjisToUtf8(e.message) + " " + sjisToUtf8(e.detail));
    return out;
  }
};

}  // namespace ml::test
