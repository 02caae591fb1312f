#include "tools/common/synth.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ml::tools::synth {
namespace {

double energy(const AudioBuffer& a, std::size_t from, std::size_t to, int channel) {
  double e = 0;
  for (std::size_t i = from; i < to && i < a.frames(); ++i) e += a.samples[i * a.channels + channel] * a.samples[i * a.channels + channel];
  return e;
}

TEST(SynthTest, TunesParseIntoBeats) {
  std::vector<TuneNote> t = parseTune("C4 E4/2 G4*2 - A#4 Bb3/2 | c5");
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0].midi, 60);
  EXPECT_DOUBLE_EQ(t[1].beat, 1);
  EXPECT_DOUBLE_EQ(t[1].length, 0.5);
  EXPECT_EQ(t[2].midi, 67);
  EXPECT_DOUBLE_EQ(t[2].length, 2);
  EXPECT_EQ(t[3].midi, -1);  // a rest
  EXPECT_DOUBLE_EQ(t[3].beat, 3.5);
  EXPECT_EQ(t[4].midi, 70);
  EXPECT_EQ(t[5].midi, 58);
  EXPECT_EQ(t[6].midi, 72);
  EXPECT_DOUBLE_EQ(t[6].beat, 6.0);
  EXPECT_NEAR(midiToHz(69), 440.0, 1e-9);
  EXPECT_NEAR(midiToHz(81), 880.0, 1e-9);
  EXPECT_TRUE(parseTune("").empty());
  EXPECT_TRUE(parseTune("xyz!").empty());
}

TEST(SynthTest, PanAndSilenceBeforeTheNote) {
  Mix m(1.0, 2);
  m.note(Instrument::Flute, 0.5, 0.3, 440, 0.5f, -1.0f);
  AudioBuffer a = m.take();
  EXPECT_EQ(a.frames(), 44100u);
  EXPECT_EQ(energy(a, 0, 22050, 0), 0.0);
  EXPECT_GT(energy(a, 22050, 44100, 0), 1.0);
  EXPECT_LT(energy(a, 0, 44100, 1), 1e-9);  // hard left
}

TEST(SynthTest, LoopsFoldTheirTailsOntoTheStart) {
  // A note that rings past the loop's end must continue at its start, so the loop
  // repeats without a cut.
  Mix m(3.0, 1);
  m.note(Instrument::Bell, 1.5, 1.0, 660, 0.5f);
  Mix unfolded = m;
  m.foldLoop(2.0);
  AudioBuffer folded = m.take(), whole = unfolded.take();
  ASSERT_EQ(folded.frames(), 88200u);
  for (std::size_t i = 0; i < 44100; i += 997)
    EXPECT_FLOAT_EQ(folded.samples[i], whole.samples[i] + whole.samples[i + 88200]);
  EXPECT_GT(energy(folded, 0, 4410, 0), 0.0);
}

TEST(SynthTest, NormaliseAndDeterminism) {
  auto make = [] {
    Mix m(0.5, 2);
    m.noise(0, 0.3, 0.5f, 200, 4000, 9);
    m.kick(0.1, 1.0f);
    m.reverb(0.3f);
    m.normalise(0.5f);
    return m.take().samples;
  };
  std::vector<float> a = make(), b = make();
  EXPECT_EQ(a, b);
  float peak = 0;
  for (float v : a) peak = std::max(peak, std::fabs(v));
  EXPECT_NEAR(peak, 0.5f, 1e-6);
}

}  // namespace
}  // namespace ml::tools::synth
