// The channel model and the mixer as heard through the recorded output.
#include "tests/sound/sound_fixture.h"

#include "media/sound/mixer.h"

namespace ml::test {
namespace {

TEST(SoundRateModes, DeliverKeepsTheDocumentedBytes) {
  Bytes source(6000);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i / 500);
  struct Case {
    int mode;
    std::size_t count;
    std::vector<std::pair<std::size_t, std::size_t>> from;  // (out offset, source offset)
  };
  const Case cases[] = {
      {0, 6000, {{0, 0}, {5999, 5999}}},
      {2, 3000, {{0, 0}, {1499, 1499}, {1500, 3000}, {2999, 4499}}},
      {3, 3000, {{0, 0}, {2999, 2999}}},
  };
  for (const Case& c : cases) {
    Bytes out(c.count, 0xEE);
    deliverDecoded(source.data(), source.size(), out.data(), c.count, c.mode);
    for (auto [o, s] : c.from) EXPECT_EQ(out[o], source[s]) << "mode " << c.mode << " at " << o;
  }
  // Mode 1: every other 16-bit sample.
  std::vector<std::int16_t> s16 = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<std::int16_t> o16(4);
  deliverDecoded(reinterpret_cast<const std::uint8_t*>(s16.data()), 16,
                 reinterpret_cast<std::uint8_t*>(o16.data()), 8, 1);
  EXPECT_EQ(o16, (std::vector<std::int16_t>{1, 3, 5, 7}));
}

TEST(SoundGains, VolumeAndPanUnits) {
  EXPECT_EQ(gainsFor(0, 0).left, MixGains::kUnity);
  EXPECT_EQ(gainsFor(-10000, 0).right, 0);
  // -6.02 dB halves the amplitude.
  EXPECT_NEAR(gainsFor(-602, 0).left, MixGains::kUnity / 2, 20);
  // A pan to the right attenuates the left side only.
  const MixGains right = gainsFor(0, 1000);
  EXPECT_EQ(right.right, MixGains::kUnity);
  EXPECT_NEAR(right.left, MixGains::kUnity * 0.3162, 20);
  const MixGains left = gainsFor(-300, -10000);
  EXPECT_EQ(left.right, 0);
  EXPECT_NEAR(left.left, MixGains::kUnity * 0.7079, 20);
}

class ChannelTest : public SoundTest {};

TEST_F(ChannelTest, VolumeLevelsBecomeHundredthsOfADecibel) {
  writeSound("a", pcmWave(constantSamples(100, 1000)));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  const std::pair<int, int> levels[] = {{255, 0}, {128, -1905}, {2, -3795}, {1, -10000}, {0, -10000},
                                        {300, 0}, {-5, -10000}};
  for (auto [level, cb] : levels) {
    EXPECT_TRUE(c.setVolume(level, false));
    EXPECT_EQ(c.attenuation(), cb) << level;
  }
  EXPECT_TRUE(c.setVolume(77, true));
  EXPECT_EQ(c.volumeLevel(), 77);
  EXPECT_TRUE(c.setPan(-100));
  EXPECT_EQ(c.pan(), -10000);
  EXPECT_FALSE(c.setPan(101));
  EXPECT_EQ(c.pan(), -10000);
  // Nothing loaded: every operation refuses.
  SoundChannel& empty = channel(3);
  EXPECT_FALSE(empty.setVolume(10, true));
  EXPECT_FALSE(empty.play(false));
  EXPECT_FALSE(empty.isPlaying());
  EXPECT_FALSE(empty.tick(true));
}

TEST_F(ChannelTest, CachedNameKeepsTheBufferUntilAFade) {
  writeSound("a", pcmWave(rampSamples(100)));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  const std::int16_t* buffer = c.samples().data();
  EXPECT_EQ(c.cachedName(), "wav\\a.wav");
  // The same name, in another case, keeps the decoded buffer.
  writeSound("a", pcmWave(rampSamples(50)));
  ASSERT_TRUE(c.loadWhole("WAV\\A.WAV"));
  EXPECT_EQ(c.samples().data(), buffer);
  EXPECT_EQ(c.bufferBytes(), 400u);
  c.setVolume(200, true);
  c.startFade(200, -20);
  EXPECT_EQ(c.cachedName(), "");
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  EXPECT_EQ(c.bufferBytes(), 200u);
  // A missing file is no error: false, and the channel is empty.
  EXPECT_FALSE(c.loadWhole("wav\\none.wav"));
  EXPECT_TRUE(c.empty());
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ChannelTest, FadeFrom200ByTwentyEmptiesTheChannelOnTheTenthTick) {
  writeSound("a", pcmWave(constantSamples(44100, 1000)));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  c.setVolume(200, true);
  c.play(true);
  c.startFade(200, -20);
  for (int i = 1; i <= 9; ++i) {
    EXPECT_TRUE(c.tick(false));
    EXPECT_EQ(c.fadeLevel(), 200 - 20 * i);
    EXPECT_FALSE(c.empty()) << i;
  }
  EXPECT_TRUE(c.tick(false));
  EXPECT_TRUE(c.empty());
  EXPECT_FALSE(c.isPlaying());
}

TEST_F(ChannelTest, LoopsSeamlesslyAndStopsAtTheEndOtherwise) {
  // 1000 frames whose left sample counts 1..1000.
  writeSound("a", pcmWave(rampSamples(1000)));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  c.setVolume(255, true);
  const std::uint64_t start = framesHeard();
  ASSERT_TRUE(c.play(true));
  advanceMs(100);  // 4410 frames
  ASSERT_GE(framesHeard() - start, 4410u);
  for (std::uint64_t f = 0; f < 4410; ++f) {
    ASSERT_EQ(heard()[2 * (start + f)], static_cast<std::int16_t>(f % 1000 + 1)) << f;
    ASSERT_EQ(heard()[2 * (start + f) + 1], static_cast<std::int16_t>(-(static_cast<int>(f % 1000) + 1))) << f;
  }
  // Once: the sound ends, the channel reports it stopped and rewinds.
  c.stop();
  const std::uint64_t once = framesHeard();
  c.play(false);
  advanceMs(100);
  EXPECT_EQ(heard()[2 * (once + 999)], 1000);
  EXPECT_EQ(heard()[2 * (once + 1000)], 0);
  EXPECT_FALSE(c.isPlaying());
  EXPECT_EQ(c.position(), 0u);
}

TEST_F(ChannelTest, SeekWorksOnlyWhileStopped) {
  writeSound("a", pcmWave(rampSamples(44100)));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\a.wav"));
  EXPECT_TRUE(c.seek(4000));
  EXPECT_EQ(c.position(), 4000u);
  c.play(false);
  EXPECT_FALSE(c.seek(0));
  EXPECT_FALSE(c.seek(44100 * 4 + 4));
}

TEST_F(ChannelTest, StreamingDecodesOneSecondPerTick) {
  writeSound("m", vorbisWave(3.5));
  SoundChannel& c = channel(0);
  ASSERT_TRUE(c.loadStreaming("wav\\m.wav"));
  EXPECT_EQ(c.bufferBytes(), 176400u * 3 + 88200);
  EXPECT_EQ(c.decodedBytes(), 176400u);
  EXPECT_TRUE(c.streaming());
  c.tick(true);
  EXPECT_EQ(c.decodedBytes(), 2u * 176400);
  c.tick(false);  // no refill asked: nothing decoded
  EXPECT_EQ(c.decodedBytes(), 2u * 176400);
  c.tick(true);
  c.tick(true);
  EXPECT_FALSE(c.streaming());
  // The streamed buffer holds what a whole decode gives.
  SoundChannel& whole = channel(2);
  ASSERT_TRUE(whole.loadWhole("wav\\m.wav"));
  EXPECT_EQ(whole.samples(), c.samples());
  // The same name again: nothing is decoded anew.
  ASSERT_TRUE(c.loadStreaming("wav\\M.wav"));
  EXPECT_FALSE(c.streaming());
}

TEST_F(ChannelTest, StreamingNeedsAFactCount) {
  writeSound("nofact", pcmWave(rampSamples(1000), 2, 44100, false));
  SoundChannel& c = channel(0);
  EXPECT_FALSE(c.loadStreaming("wav\\nofact.wav"));
  EXPECT_TRUE(c.empty());
  EXPECT_EQ(boxes(), std::vector<std::string>{
                         "MessageBox: [DirectSound Error] DSOUND (412) 未定義のエラー : 0x00000001 -> OK"});
  // Whole decoding does not need it.
  EXPECT_TRUE(c.loadWhole("wav\\nofact.wav"));
  EXPECT_EQ(c.bufferBytes(), 4000u);
}

TEST_F(ChannelTest, RateModeTwoPlaysAtDoubleSpeed) {
  writeSound("v", pcmWave(rampSamples(3000)));
  SoundChannel& c = channel(4);
  ASSERT_TRUE(c.loadWhole("wav\\v.wav", 2));
  EXPECT_EQ(c.bufferBytes(), 6000u);
  // Blocks of 375 frames, every other one.
  EXPECT_EQ(c.samples()[2 * 374], 375);
  EXPECT_EQ(c.samples()[2 * 375], 751);
}

TEST_F(ChannelTest, OtherRatesAreResampledToTheDevice) {
  writeSound("half", pcmWave(constantSamples(22050, 2000), 2, 22050));
  SoundChannel& c = channel(2);
  ASSERT_TRUE(c.loadWhole("wav\\half.wav"));
  c.setVolume(255, true);
  const std::uint64_t start = framesHeard();
  c.play(false);
  advanceMs(1100);
  // Half a second of source frames lasts a second at 44100 Hz.
  EXPECT_EQ(heard()[2 * (start + 44000)], 2000);
  EXPECT_EQ(heard()[2 * (start + 44200)], 0);
}

TEST_F(ChannelTest, NoDeviceNoSound) {
  HeadlessPlatform other;
  other.setQuiet(true);
  RecordingReporter rep;
  Runtime silent(other, rep, dir_.string());
  installScene(silent);
  writeSound("a", pcmWave(rampSamples(10)));
  EXPECT_FALSE(silent.sound().channel(2)->loadWhole("wav\\a.wav"));
}

}  // namespace
}  // namespace ml::test
