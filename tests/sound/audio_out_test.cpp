// The headless program's --audio-out: a 16-bit stereo WAVE of what the mixer made on
// the virtual clock, the same on every run.
#include "tests/sound/sound_fixture.h"

#include <cstdlib>

#include <sys/wait.h>

#include "tools/common/wave_reader.h"

namespace ml::test {
namespace {

class AudioOut : public SoundTest {
 protected:
  int runGame(const std::string& out) {
    const std::string binary = std::string(MIRELUNE_BINARY_DIR) + "/mirelune";
    const std::string command = binary + " --headless --game " + dir_.string() + " --steps 40 --seed 1 --audio-out " + out + " OpenDebugMode" +
                                " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(AudioOut, WritesWhatWasHeardTheSameEveryRun) {
  if (!std::filesystem::exists(std::string(MIRELUNE_BINARY_DIR) + "/mirelune")) GTEST_SKIP();
  // Half a second of a looping constant level, then a timed wait of one second.
  writeSound("hum", pcmWave(constantSamples(22050, 5000)));
  rt.reset();
  const std::string script = "N" + std::string("bgm1 hum\r\nwait 1\r\nbgm_stop\r\nwait 0.5\r\n");
  writeFile("scr/open.scr", Bytes(script.begin(), script.end()));
  const std::string a = (dir_ / "a.wav").string(), b = (dir_ / "b.wav").string();
  ASSERT_EQ(runGame(a), 0);
  ASSERT_EQ(runGame(b), 0);
  Bytes first, second;
  ASSERT_TRUE(tools::readFileBytes(a, first));
  ASSERT_TRUE(tools::readFileBytes(b, second));
  EXPECT_EQ(first, second);
  tools::WaveInfo info;
  ASSERT_TRUE(tools::parseWave(first, info));
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.rate, 44100);
  EXPECT_EQ(info.bitsPerSample, 16);
  // The music level 100 (-23.25 dB) of 5000 on both sides while it plays, across the
  // loop seam, and silence after bgm_stop.
  std::vector<std::int16_t> s(info.dataSize / 2);
  std::memcpy(s.data(), first.data() + info.dataOffset, s.size() * 2);
  const int expected = static_cast<int>(5000 * std::pow(10.0, -2325 / 2000.0));
  std::size_t loud = 0, firstLoud = s.size();
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] != 0) {
      ++loud;
      firstLoud = std::min(firstLoud, i);
      ASSERT_NEAR(s[i], expected, 1) << i;
    }
  // About a second of music, without a gap at the seam.
  EXPECT_GE(loud / 2, 44100u * 95 / 100);
  EXPECT_LE(loud / 2, 44100u * 110 / 100);
  for (std::size_t i = firstLoud; i < firstLoud + 2 * 44100 * 9 / 10 && i < s.size(); ++i) ASSERT_NE(s[i], 0) << i;
}

}  // namespace
}  // namespace ml::test
