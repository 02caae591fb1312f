#include "tools/common/wave_reader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ml::tools {
namespace {

void put16(std::vector<std::uint8_t>& o, unsigned v) {
  o.push_back(v & 0xFF);
  o.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& o, unsigned v) {
  put16(o, v & 0xFFFF);
  put16(o, v >> 16);
}
void tag(std::vector<std::uint8_t>& o, const char* t) {
  for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(t[i]));
}

// A WAVE file by hand: fmt fields and raw data bytes.
std::vector<std::uint8_t> wave(unsigned formatTag, unsigned channels, unsigned rate, unsigned bits,
                               const std::vector<std::uint8_t>& data, bool extensible = false) {
  std::vector<std::uint8_t> o;
  tag(o, "RIFF");
  put32(o, 0);
  tag(o, "WAVE");
  tag(o, "LIST");  // an unknown chunk first, with an odd size and its pad byte
  put32(o, 3);
  for (std::uint8_t b : {'a', 'b', 'c', '\0'}) o.push_back(b);
  tag(o, "fmt ");
  put32(o, extensible ? 40 : 16);
  put16(o, extensible ? 0xFFFE : formatTag);
  put16(o, channels);
  put32(o, rate);
  put32(o, rate * channels * bits / 8);
  put16(o, channels * bits / 8);
  put16(o, bits);
  if (extensible) {
    put16(o, 22);
    put16(o, bits);
    put32(o, 0);
    put16(o, formatTag);  // the sub-format GUID begins with the tag
    for (int i = 0; i < 14; ++i) o.push_back(0);
  }
  tag(o, "data");
  put32(o, static_cast<unsigned>(data.size()));
  for (std::uint8_t b : data) o.push_back(b);
  unsigned riff = static_cast<unsigned>(o.size() - 8);
  for (int i = 0; i < 4; ++i) o[4 + i] = (riff >> (8 * i)) & 0xFF;
  return o;
}

TEST(WaveReaderTest, ReadsEveryPcmDepthAndFloat) {
  AudioBuffer a;
  ASSERT_TRUE(readWaveSamples(wave(1, 1, 8000, 8, {0, 128, 255}), a));
  ASSERT_EQ(a.samples.size(), 3u);
  EXPECT_FLOAT_EQ(a.samples[0], -1.0f);
  EXPECT_FLOAT_EQ(a.samples[1], 0.0f);

  ASSERT_TRUE(readWaveSamples(wave(1, 2, 48000, 24, {0, 0, 0x80, 0xFF, 0xFF, 0x7F}), a));
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(a.rate, 48000);
  ASSERT_EQ(a.samples.size(), 2u);
  EXPECT_FLOAT_EQ(a.samples[0], -1.0f);
  EXPECT_NEAR(a.samples[1], 1.0f, 1e-6);

  float f = -0.25f;
  std::vector<std::uint8_t> fb(4);
  std::memcpy(fb.data(), &f, 4);
  ASSERT_TRUE(readWaveSamples(wave(3, 1, 44100, 32, fb), a));
  EXPECT_FLOAT_EQ(a.samples[0], -0.25f);

  ASSERT_TRUE(readWaveSamples(wave(1, 1, 44100, 16, {0x00, 0xC0}, true), a));
  EXPECT_FLOAT_EQ(a.samples[0], -0.5f);

  // A trailing partial frame is dropped.
  ASSERT_TRUE(readWaveSamples(wave(1, 2, 44100, 16, {1, 0, 2, 0, 3}), a));
  EXPECT_EQ(a.frames(), 1u);
}

TEST(WaveReaderTest, DamagedFilesAreRefusedWithAReason) {
  std::string error;
  AudioBuffer a;
  EXPECT_FALSE(readWaveSamples({}, a, &error));
  EXPECT_NE(error.find("RIFF"), std::string::npos);

  std::vector<std::uint8_t> good = wave(1, 1, 8000, 16, {1, 0, 2, 0});
  // Every truncation either reads cleanly or fails with a reason; none reads past
  // the end (the sanitizer build checks that).
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + n);
    error.clear();
    if (!readWaveSamples(cut, a, &error)) {
      EXPECT_FALSE(error.empty()) << n;
    }
  }

  EXPECT_FALSE(readWaveSamples(wave(2, 1, 8000, 4, {1, 2}), a, &error));  // ADPCM
  EXPECT_NE(error.find("0x0002"), std::string::npos);
  EXPECT_FALSE(readWaveSamples(wave(1, 0, 8000, 16, {1, 2}), a, &error));
  EXPECT_FALSE(readWaveSamples(wave(0x674F, 1, 8000, 16, {1, 2, 3, 4}), a, &error));

  // A chunk size that points far past the end stops the walk without harm.
  std::vector<std::uint8_t> big = good;
  big[16] = 0xFF;
  big[17] = 0xFF;
  big[18] = 0xFF;
  big[19] = 0x7F;
  EXPECT_FALSE(readWaveSamples(big, a, &error));
}

}  // namespace
}  // namespace ml::tools
