#include "tools/common/wave_writer.h"

#include <gtest/gtest.h>

#include "platform/byte_reader.h"

#include <cmath>
#include <cstring>

#include "tools/common/wave_reader.h"

namespace ml::tools {
namespace {

std::uint32_t get32(const std::vector<std::uint8_t>& b, std::size_t at) { return le32(b.data() + at); }
std::uint16_t get16(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b.data() + at); }

AudioBuffer tone(int channels, int rate, std::size_t frames, float freq) {
  AudioBuffer a;
  a.channels = channels;
  a.rate = rate;
  a.samples.resize(frames * channels);
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      a.samples[i * channels + c] = 0.5f * std::sin(6.2831853f * freq * (c + 1) * i / rate);
  return a;
}

std::vector<std::string> chunkIds(const WaveInfo& info) {
  std::vector<std::string> ids;
  for (const auto& c : info.chunks) ids.push_back(c.id);
  return ids;
}

TEST(WaveWriterTest, PcmWaveHasItsChunksAndSamples) {
  AudioBuffer a;
  a.channels = 2;
  a.rate = 22050;
  a.samples = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, -3.0f};  // out of range values are clipped
  std::vector<std::uint8_t> bytes = writePcmWave(a);
  ASSERT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(get32(bytes, 4), bytes.size() - 8);
  WaveInfo info;
  ASSERT_TRUE(parseWave(bytes, info));
  EXPECT_EQ(chunkIds(info), (std::vector<std::string>{"fmt ", "fact", "data"}));
  EXPECT_EQ(info.chunks[0].size, 16u);
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.rate, 22050);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.blockAlign, 4);
  EXPECT_EQ(get32(bytes, 28), 22050u * 4);  // average bytes per second
  ASSERT_TRUE(info.hasFact);
  EXPECT_EQ(info.factFrames, 3u);
  EXPECT_EQ(info.dataSize, 12u);
  EXPECT_EQ(static_cast<std::int16_t>(get16(bytes, info.dataOffset + 2)), 32767);
  EXPECT_EQ(static_cast<std::int16_t>(get16(bytes, info.dataOffset + 4)), -32767);
  EXPECT_EQ(static_cast<std::int16_t>(get16(bytes, info.dataOffset + 10)), -32767);

  AudioBuffer back;
  ASSERT_TRUE(readWaveSamples(bytes, back));
  EXPECT_EQ(back.frames(), 3u);
  EXPECT_NEAR(back.samples[3], 0.5f, 1e-4);

  ASSERT_TRUE(parseWave(writePcmWave(a, false), info));
  EXPECT_FALSE(info.hasFact);
}

TEST(WaveWriterTest, VorbisWaveDecodesToTheStatedLength) {
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const std::size_t frames = 44100 + 1234;  // not a multiple of any block size
    AudioBuffer a = tone(channels, 44100, frames, 440);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(writeVorbisWave(a, 0.3f, bytes, &error)) << error;
    EXPECT_EQ(get32(bytes, 4), bytes.size() - 8);

    WaveInfo info;
    ASSERT_TRUE(parseWave(bytes, info, &error)) << error;
    EXPECT_EQ(chunkIds(info), (std::vector<std::string>{"fmt ", "fact", "data"}));
    EXPECT_EQ(info.chunks[0].size, 18u);
    EXPECT_EQ(info.formatTag, 0x674F);
    EXPECT_EQ(info.channels, channels);
    EXPECT_EQ(info.rate, 44100);
    EXPECT_EQ(info.extraSize, 0);
    EXPECT_EQ(info.factFrames, frames);
    EXPECT_EQ(info.chunks[1].size, 4u);
    ASSERT_GE(info.dataSize, 4u);
    EXPECT_EQ(std::memcmp(bytes.data() + info.dataOffset, "OggS", 4), 0);
    // The data chunk is padded to an even length; the RIFF size includes the pad.
    EXPECT_EQ(bytes.size(), info.dataOffset + info.dataSize + (info.dataSize & 1));

    std::vector<std::uint8_t> ogg;
    ASSERT_TRUE(extractOgg(bytes, ogg, &error)) << error;
    AudioBuffer decoded;
    ASSERT_TRUE(decodeOggVorbis(ogg, decoded, &error)) << error;
    EXPECT_EQ(decoded.channels, channels);
    EXPECT_EQ(decoded.frames(), frames);
    // The tone survives: compare energies in the middle of the sound.
    double in = 0, out = 0, cross = 0;
    for (std::size_t i = 10000u * channels; i < 30000u * channels; ++i) {
      in += a.samples[i] * a.samples[i];
      out += decoded.samples[i] * decoded.samples[i];
      cross += a.samples[i] * decoded.samples[i];
    }
    EXPECT_GT(cross / std::sqrt(in * out), 0.98);

    // Equal input, equal bytes.
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(writeVorbisWave(a, 0.3f, again, &error));
    EXPECT_EQ(again, bytes);
  }
}

TEST(WaveWriterTest, OggFilesAreWrappedWithoutReencoding) {
  AudioBuffer a = tone(2, 32000, 5000, 300);
  std::vector<std::uint8_t> ogg, wave;
  ASSERT_TRUE(encodeOggVorbis(a, 0.1f, 77, ogg));
  std::string error;
  ASSERT_TRUE(wrapOggVorbis(ogg, wave, &error)) << error;
  std::vector<std::uint8_t> inside;
  ASSERT_TRUE(extractOgg(wave, inside));
  EXPECT_EQ(inside, ogg);
  WaveInfo info;
  ASSERT_TRUE(parseWave(wave, info));
  EXPECT_EQ(info.factFrames, 5000u);
  EXPECT_EQ(info.rate, 32000);
  EXPECT_EQ(info.channels, 2);

  std::vector<std::uint8_t> junk(ogg.begin(), ogg.begin() + 30);
  EXPECT_FALSE(wrapOggVorbis(junk, wave, &error));
  EXPECT_FALSE(error.empty());
  AudioBuffer none;
  EXPECT_FALSE(decodeOggVorbis({}, none, &error));
}

TEST(WaveWriterTest, EmptySoundStillMakesAValidFile) {
  AudioBuffer a;
  a.channels = 1;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(writeVorbisWave(a, 0.3f, bytes));
  std::vector<std::uint8_t> ogg;
  ASSERT_TRUE(extractOgg(bytes, ogg));
  AudioBuffer decoded;
  ASSERT_TRUE(decodeOggVorbis(ogg, decoded));
  EXPECT_EQ(decoded.frames(), 0u);
}

}  // namespace
}  // namespace ml::tools
