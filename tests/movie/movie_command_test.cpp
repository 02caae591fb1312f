// The movie and midi commands played headless: pictures by the sound clock, the end
// notice, a click or a title return cutting a movie short, the sound in the mixer,
// and the errors reported as the media control's.
#include "tests/movie/movie_fixture.h"

#include <cstring>
#include <functional>
#include <optional>

#include "media/sound/midi_synth.h"
#include "scene/sound_service.h"

namespace ml::test {
namespace {

struct Sample {
  std::uint32_t ms;  // since the movie started
  std::uint32_t pixel;
  bool suppressed;
};

class MovieCommand : public MovieTest {
 protected:
  // Watches the presented frames while the script runs: the centre pixel and the
  // paint suppression at every message pass after the movie began.
  void watch(std::function<void(std::uint32_t ms)> also = {}) {
    platform.setMessageHook([this, also](HeadlessPlatform& p, InputSink*) {
      if (!rt->scene.paintSuppressed) return;
      if (!started_) {
        started_ = true;
        startMs_ = p.ticks();
      }
      const std::uint32_t ms = p.ticks() - startMs_;
      const auto& f = p.lastFrame();
      samples_.push_back({ms, f.empty() ? 0u : f[300 * 800 + 400], true});
      if (also) also(ms);
    });
  }
  // Colour of a frame pixel: 0 red, 1 blue, -1 neither.
  static int colourOf(std::uint32_t px) {
    const int r = (px >> 16) & 0xFF, b = px & 0xFF;
    if (r > 180 && b < 80) return 0;
    if (b > 180 && r < 80) return 1;
    return -1;
  }
  std::uint32_t lastMs() const { return samples_.empty() ? 0 : samples_.back().ms; }

  bool started_ = false;
  std::uint32_t startMs_ = 0;
  std::vector<Sample> samples_;
};

TEST_F(MovieCommand, ShowsFramesBySoundClockSoundsAndEndsAtTheNotice) {
  ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}, {20, 20, 230}}, true));
  std::strcpy(rt->story.state.bgmName, "music");
  rt->media.settings.volume.bgm = 255;
  watch();
  const std::uint64_t before = platform.recordedAudio().size() / 2;
  load("movie op\n");
  EXPECT_NE(run(), 0);
  EXPECT_TRUE(mciErrors().empty());
  ASSERT_FALSE(samples_.empty());
  // First second red, second blue, each frame shown in its own second.
  for (const Sample& s : samples_) {
    if (s.ms >= 150 && s.ms <= 900) {
      EXPECT_EQ(colourOf(s.pixel), 0) << s.ms;
    }
    if (s.ms >= 1150 && s.ms <= 1900) {
      EXPECT_EQ(colourOf(s.pixel), 1) << s.ms;
    }
  }
  // Ended by its own notice, soon after its two seconds.
  EXPECT_GE(lastMs(), 1900u);
  EXPECT_LE(lastMs(), 2400u);
  EXPECT_TRUE(rt->requests().mciNotified);
  EXPECT_FALSE(rt->scene.paintSuppressed);
  EXPECT_FALSE(mci().movieOpen());
  EXPECT_EQ(rt->story.state.bgmName[0], '\0');
  // The tone went through the mixer at full level.
  const std::uint64_t after = platform.recordedAudio().size() / 2;
  EXPECT_GT(peak(before, after), 8000);
}

// A movie's sound is music: it follows Volume/Bgm and the music switch, also when they
// change while it plays (the option dialog stays open over a running game).
struct VolumeCase {
  const char* name;
  int bgm;
  bool on;
  int laterBgm;  // set after half a second; -1 unchanged
  int minPeak, maxPeak;        // first half second
  int laterMin, laterMax;      // the second after the change
};
class MovieVolume : public MovieCommand, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(MovieVolume, FollowsTheMusicVolume) {
  const VolumeCase& c = GetParam();
  ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}, {20, 20, 230}}, true));
  rt->media.settings.volume.bgm = c.bgm;
  rt->media.settings.volume.bgmOn = c.on;
  std::optional<std::uint64_t> start, changedAt;
  watch([&](std::uint32_t ms) {
    const std::uint64_t heard = platform.recordedAudio().size() / 2;
    if (!start) start = heard;
    if (ms >= 500 && !changedAt) {
      changedAt = heard;
      if (c.laterBgm >= 0) rt->media.settings.volume.bgm = c.laterBgm;
    }
  });
  load("movie op\n");
  EXPECT_NE(run(), 0);
  ASSERT_TRUE(start && changedAt);
  // The tone's own peak is 12000; at level 128 the mixer attenuates by 19.05 dB.
  const int first = peak(*start + 2205, *changedAt);
  EXPECT_GE(first, c.minPeak);
  EXPECT_LE(first, c.maxPeak);
  const int later = peak(*changedAt + 4410, *changedAt + 44100);
  EXPECT_GE(later, c.laterMin);
  EXPECT_LE(later, c.laterMax);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovieVolume,
    ::testing::Values(VolumeCase{"full", 255, true, -1, 8000, 14000, 8000, 14000},
                      VolumeCase{"half", 128, true, -1, 900, 1800, 900, 1800},
                      VolumeCase{"silent_level", 1, true, -1, 0, 0, 0, 0},
                      VolumeCase{"music_off", 255, false, -1, 0, 0, 0, 0},
                      VolumeCase{"raised_while_playing", 128, true, 255, 900, 1800, 8000, 14000},
                      VolumeCase{"lowered_to_silence", 255, true, 0, 8000, 14000, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MovieCommand, WithoutSoundFollowsTheClock) {
  ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}, {20, 20, 230}}, false));
  watch();
  load("movie op.mpg\n");
  EXPECT_NE(run(), 0);
  bool sawBlue = false;
  for (const Sample& s : samples_) {
    if (s.ms >= 150 && s.ms <= 900) {
      EXPECT_EQ(colourOf(s.pixel), 0) << s.ms;
    }
    sawBlue = sawBlue || (s.ms >= 1150 && colourOf(s.pixel) == 1);
  }
  EXPECT_TRUE(sawBlue);
  EXPECT_GE(lastMs(), 1900u);
  EXPECT_LE(lastMs(), 2400u);
}

// A click or a confirmed title return ends the movie at once, without the notice.
TEST_F(MovieCommand, ClickOrTitleReturnEndsIt) {
  for (bool title : {false, true}) {
    SCOPED_TRACE(title ? "title" : "click");
    ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}, {20, 20, 230}, {20, 230, 20}}, true));
    samples_.clear();
    started_ = false;
    rt->requests().titleRequested = false;
    watch([this, title](std::uint32_t ms) {
      if (ms < 500) return;
      if (title) rt->requests().titleRequested = true;
      else rt->story.input.press(InputDecide);
    });
    load("movie op\n");
    sc().step();
    EXPECT_LT(lastMs(), 700u);
    EXPECT_FALSE(rt->requests().mciNotified);
    EXPECT_FALSE(rt->scene.paintSuppressed);
    EXPECT_FALSE(mci().movieOpen());
    platform.setMessageHook({});
  }
}

// A movie cut short or spoilt inside plays what can be decoded and still ends with
// its notice; nothing is reported and nothing crashes.
TEST_F(MovieCommand, DamagedMoviePlaysWhatItCanAndEnds) {
  for (int damage = 0; damage < 3; ++damage) {
    SCOPED_TRACE(damage);
    ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}, {20, 20, 230}}, true));
    std::ifstream in(path("op.mpg"), std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    if (damage == 0) bytes.resize(bytes.size() / 2);
    if (damage == 1)
      for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 4000 && i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131);
    if (damage == 2) bytes.resize(std::min<std::size_t>(bytes.size(), 600));
    writeFile("op.mpg", bytes);
    samples_.clear();
    started_ = false;
    rt->requests().mciNotified = false;
    watch();
    load("movie op\n");
    EXPECT_NE(sc().step(), 0);
    EXPECT_LE(lastMs(), 2400u);
    EXPECT_FALSE(mci().movieOpen());
    EXPECT_FALSE(rt->scene.paintSuppressed);
    if (damage < 2) {
      EXPECT_TRUE(mciErrors().empty());
      EXPECT_TRUE(rt->requests().mciNotified);
    }
    reporter.entries.clear();
    platform.setMessageHook({});
  }
}

TEST_F(MovieCommand, MoviePlayOffOnlyReadsTheName) {
  ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}}, true));
  rt->media.settings.movie.play = false;
  std::strcpy(rt->story.state.bgmName, "music");
  watch();
  load("movie op\n");
  EXPECT_NE(run(), 0);
  EXPECT_TRUE(samples_.empty());
  EXPECT_STREQ(rt->story.state.bgmName, "music");
  EXPECT_TRUE(reporter.entries.size() <= 1);  // only the end of the script
}

// What the player sees when a step fails: the media control's error in place of the
// line, its step number in place of the line number, and whether the script goes on.
struct ErrorCase {
  const char* name;
  const char* script;
  int step;         // the number shown; 0: no report
  bool goesOn;      // the step's result
  const char* textHas;  // part of the error text (UTF-8)
};

class MediaErrors : public MovieCommand, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(MediaErrors, ReportAsTheMediaControl) {
  const ErrorCase& c = GetParam();
  if (std::string(c.name).find("midi") != std::string::npos && !haveSoundFont())
    GTEST_SKIP() << "no General MIDI soundfont installed";
  writeText("notmovie.mpg", "this is a text file, not a movie\n");
  Bytes damaged = testMidi();
  damaged.resize(damaged.size() - 5);
  writeFile("cut.mid", damaged);
  writeFile("tune.mid", testMidi());
  if (std::string(c.name) == "no_soundfont")
    rt->installMediaControl(std::make_unique<GameMediaControl>(
        *rt, &dynamic_cast<GameSound&>(rt->sound()).device(), std::vector<std::string>{path("none.sf2")}));
  load(std::string(c.script) + "\n");
  const int result = sc().step();
  EXPECT_EQ(result != 0, c.goesOn);
  const auto errors = mciErrors();
  if (c.step == 0) {
    EXPECT_TRUE(errors.empty());
    return;
  }
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].number, c.step);
  EXPECT_EQ(errors[0].fileName, "MCIError");
  EXPECT_EQ(errors[0].detail, "");
  EXPECT_NE(sjisToUtf8(errors[0].lineText).find(c.textHas), std::string::npos) << sjisToUtf8(errors[0].lineText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MediaErrors,
    ::testing::Values(ErrorCase{"not_a_movie", "movie notmovie", 7778, true, "再生できません"},
                      ErrorCase{"missing_movie_is_silent", "movie nothere", 0, true, ""},
                      ErrorCase{"damaged_midi", "midi cut", 7868, false, "トラック 1"},
                      ErrorCase{"no_soundfont", "midi tune", 7868, true, "サウンドフォント"},
                      ErrorCase{"good_midi", "midi tune", 0, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MovieCommand, MidiPlaysIntoTheMixerToItsEnd) {
  if (!haveSoundFont()) GTEST_SKIP() << "no General MIDI soundfont installed";
  writeFile("tune.mid", testMidi(4));
  rt->media.settings.volume.bgm = 255;
  const std::uint64_t before = platform.recordedAudio().size() / 2;
  load("midi tune\n");
  EXPECT_NE(sc().step(), 0);
  ASSERT_NE(mci().midi(), nullptr);
  // Stopping the sound channels (a title return, a movie) does not stop the tune.
  rt->sound().stopAllChannels();
  platform.advance(1000);
  EXPECT_GT(peak(before, before + 44100), 1000);
  // Two seconds of notes; the player calls the tune over a few seconds later and the
  // release dies away: then silence for good.
  platform.advance(10000);
  const std::uint64_t end = platform.recordedAudio().size() / 2;
  EXPECT_EQ(peak(end - 44100, end), 0);
  EXPECT_FALSE(mci().midi()->active());
  EXPECT_FALSE(rt->requests().mciNotified);
}

// The tune goes through the music path: with the music switched off it is not heard.
TEST_F(MovieCommand, MidiFollowsTheMusicSwitch) {
  if (!haveSoundFont()) GTEST_SKIP() << "no General MIDI soundfont installed";
  writeFile("tune.mid", testMidi(4));
  rt->media.settings.volume.bgm = 255;
  rt->media.settings.volume.bgmOn = false;
  const std::uint64_t before = platform.recordedAudio().size() / 2;
  load("midi tune\n");
  EXPECT_NE(sc().step(), 0);
  platform.advance(1000);
  EXPECT_EQ(peak(before, before + 44100), 0);
  EXPECT_TRUE(mci().midi()->active());
}

TEST_F(MovieCommand, SameRunSoundsTheSame) {
  if (!haveSoundFont()) GTEST_SKIP() << "no General MIDI soundfont installed";
  ASSERT_TRUE(encodeTestMovie(path("op.mpg"), {{230, 20, 20}}, true));
  writeFile("tune.mid", testMidi(2));
  load("movie op\nmidi tune\n");
  run();
  platform.advance(500);
  const std::vector<std::int16_t> first = platform.recordedAudio();
  // A second runtime on a fresh platform hears exactly the same.
  HeadlessPlatform other;
  other.setQuiet(true);
  other.recordAudio(true);
  RecordingReporter otherReports;
  {
    Runtime again(other, otherReports, dir_.string());
    installScene(again);
    ASSERT_TRUE(again.scene.backBuffer.create());
    ASSERT_TRUE(again.sound().openDevice());
    ASSERT_TRUE(again.story.script->load("scr\\test.scr", again.story.state, true));
    for (int i = 0; i < 20; ++i) {
      const bool armed = again.story.switches.endReportArmed;
      if (again.story.script->step() == 0 || (armed && !again.story.switches.endReportArmed)) break;
    }
    other.advance(500);
  }
  ASSERT_GE(other.recordedAudio().size(), first.size());
  EXPECT_TRUE(std::equal(first.begin(), first.end(), other.recordedAudio().begin()));
}

}  // namespace
}  // namespace ml::test
