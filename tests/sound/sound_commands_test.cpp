// The sound commands run from scripts, checked through the channels, the game state
// and what the recorded output holds.
#include "tests/sound/sound_fixture.h"

#include "engine/poll.h"

namespace ml::test {
namespace {

class SoundCommands : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    writeSound("music", pcmWave(rampSamples(44100 * 20)));
    writeSound("tone", pcmWave(constantSamples(44100, 8000)));
    writeSound("aoi001", pcmWave(constantSamples(22050, 8000)));
    writeSound("rin001", pcmWave(constantSamples(22050, 8000)));
  }
  std::string bgmName() { return state().bgmName; }
  std::string seName() { return state().seLoopName; }
  // Polls as a wait does, n times.
  void polls(int n) {
    for (int i = 0; i < n; ++i) poll(sc());
  }
};

TEST_F(SoundCommands, MusicIsRecordedOnlyWhenItLoops) {
  load("bgm1 music\n");
  run();
  EXPECT_EQ(bgmName(), "music");
  EXPECT_TRUE(channel(0).isPlaying());
  EXPECT_EQ(channel(0).volumeLevel(), rt->media.settings.volume.bgm);
  load("bgm2 tone\n");
  run();
  EXPECT_EQ(bgmName(), "");
  load("bgm_stop\n");
  run();
  EXPECT_FALSE(channel(0).isPlaying());
  EXPECT_TRUE(scriptErrors().empty());
}

TEST_F(SoundCommands, TheSameMusicGoesOnWithoutRestart) {
  load("bgm1 music\n");
  run();
  advanceMs(500);
  const std::uint32_t before = channel(0).position();
  EXPECT_GT(before, 0u);
  load("bgm1 music\n");
  run();
  EXPECT_GE(channel(0).position(), before);
}

TEST_F(SoundCommands, StartPositionsInSeconds) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"bgm1_ex music 12.5\n", 2205000}, {"bgm2_ex music 3\n", 529200}, {"bgm music LOOP 1+1\n", 352800}};
  for (auto [script, bytes] : cases) {
    rt->sound().channel(0)->release();
    state().bgmName[0] = 0;
    rt->media.settings.volume.bgmOn = false;  // prepared, not started: the position stays
    load(script);
    run();
    EXPECT_EQ(channel(0).position(), bytes) << script;
    EXPECT_FALSE(channel(0).isPlaying());
  }
}

TEST_F(SoundCommands, BadLoopKindAndMissingFilesAreReported) {
  load("bgm music LOOPING 0\nse none LOOP\nse2 none\n");
  run();
  EXPECT_EQ(scriptErrors(), (std::vector<std::string>{"パラメータが不正 LOOPING",
                                                      "ファイルが存在しない wav\\none.wav",
                                                      "ファイルが存在しない wav\\none.wav"}));
  EXPECT_FALSE(channel(0).isPlaying());
}

TEST_F(SoundCommands, EffectsRecordTheLoopInEveryMode) {
  load("se1 tone\n");
  run();
  EXPECT_EQ(seName(), "tone");
  EXPECT_TRUE(channel(2).isPlaying());
  rt->media.settings.volume.seOn = false;
  load("se2 tone\n");
  run();
  EXPECT_EQ(seName(), "");
  // A jump only records.
  rt->media.settings.volume.seOn = true;
  sc().fastForward = true;
  load("se1 tone\nbgm2 music\n");
  sc().fastForward = true;
  run();
  EXPECT_EQ(seName(), "tone");
  EXPECT_EQ(bgmName(), "music");
  EXPECT_FALSE(channel(0).isPlaying());
  // Its end starts the recorded sounds, looping.
  endFastForward(sc());
  EXPECT_TRUE(channel(0).isPlaying());
  EXPECT_TRUE(channel(2).isPlaying());
}

TEST_F(SoundCommands, MusicFadeReachesSilenceAfterVolumeOverTwoPolls) {
  rt->media.settings.volume.bgm = 100;
  load("bgm1 music\nbgm_fo\n");
  run();
  EXPECT_EQ(bgmName(), "");
  polls(49);
  EXPECT_TRUE(channel(0).isPlaying());
  EXPECT_EQ(channel(0).fadeLevel(), 2);
  polls(1);
  EXPECT_TRUE(channel(0).empty());
  // Asked for again while fading: one copy, heard at its volume.
  load("bgm1 music\nbgm_fo\n");
  run();
  polls(10);
  load("bgm1 music\n");
  run();
  polls(60);
  EXPECT_TRUE(channel(0).isPlaying());
  EXPECT_EQ(channel(0).fadeLevel(), -1);
  EXPECT_EQ(channel(0).attenuation(), 15 * 100 - 3825);
}

TEST_F(SoundCommands, EffectFadeStepsByFive) {
  rt->media.settings.volume.se = 50;
  load("se1 tone\nse_fo\n");
  run();
  EXPECT_EQ(seName(), "");
  polls(9);
  EXPECT_FALSE(channel(2).empty());
  polls(1);
  EXPECT_TRUE(channel(2).empty());
}

TEST_F(SoundCommands, SeWaitLastsAsLongAsTheEffect) {
  load("se3 tone\n");
  const std::uint32_t t0 = platform.ticks();
  run();
  EXPECT_FALSE(channel(2).isPlaying());
  const std::uint32_t waited = platform.ticks() - t0;
  EXPECT_GE(waited, 1000u);
  EXPECT_LE(waited, 1050u);
  // In skip mode it returns at once.
  rt->story.switches.skipMode = true;
  load("se2 tone\nse_wait\n");
  const std::uint32_t t1 = platform.ticks();
  run();
  EXPECT_EQ(platform.ticks(), t1);
}

TEST_F(SoundCommands, PageVoicesArePannedBySpeakerAndSwitchedPerCharacter) {
  rt->media.settings.volume.voice = 255;
  rt->media.settings.volume.pan = 10;
  // aoi stands on the left, rin on the right.
  std::strcpy(state().pictureNames[1], "aoi_normal");
  std::strcpy(state().pictureNames[2], "rin_smile");
  ASSERT_TRUE(rt->scene.layers[1].makeBox(10, 10));
  ASSERT_TRUE(rt->scene.layers[2].makeBox(10, 10));
  rt->scene.layers[1].setPosition(-200, 0);
  rt->scene.layers[2].setPosition(300, 0);
  struct Case {
    const char* voice;
    int pan;
  };
  for (const Case& c : {Case{"aoi001", -1000}, Case{"rin001", 1000}}) {
    std::strcpy(state().voiceName, c.voice);
    rt->sound().playPageVoice(sc(), false, nullptr, false);
    EXPECT_TRUE(channel(4).isPlaying()) << c.voice;
    EXPECT_EQ(channel(4).pan(), c.pan) << c.voice;
    // Character volume 127: (127 + 1) * 255 / 256 = 127.
    EXPECT_EQ(channel(4).volumeLevel(), 127);
    const std::uint64_t start = framesHeard();
    advanceMs(200);
    const double left = energy(start, framesHeard(), 0), right = energy(start, framesHeard(), 1);
    if (c.pan < 0) EXPECT_GT(left, 9 * right);
    else EXPECT_GT(right, 9 * left);
    channel(4).stop();
  }
  // Rin's voice switched off: silent, also from the backlog.
  rt->media.settings.charaVoice[1] = false;
  std::strcpy(state().voiceName, "rin001");
  rt->sound().playPageVoice(sc(), false, nullptr, false);
  EXPECT_FALSE(channel(4).isPlaying());
  BacklogEntry entry{};
  std::strcpy(entry.voiceName, "rin001");
  rt->sound().playPageVoice(sc(), true, &entry, true);
  EXPECT_FALSE(channel(4).isPlaying());
  const std::uint64_t start = framesHeard();
  advanceMs(200);
  EXPECT_EQ(energy(start, framesHeard(), 0) + energy(start, framesHeard(), 1), 0.0);
}

TEST_F(SoundCommands, VoicesAreSuppressedInSkipModeAndWhenOff) {
  std::strcpy(state().voiceName, "aoi001");
  rt->story.switches.skipMode = true;
  rt->sound().playPageVoice(sc(), false, nullptr, false);
  EXPECT_FALSE(channel(4).isPlaying());
  rt->story.switches.skipMode = false;
  rt->media.settings.volume.voOn = false;
  rt->sound().playPageVoice(sc(), false, nullptr, false);
  EXPECT_FALSE(channel(4).isPlaying());
  rt->media.settings.volume.voOn = true;
  rt->media.settings.log.voice = false;
  BacklogEntry entry{};
  std::strcpy(entry.voiceName, "aoi001");
  rt->sound().playPageVoice(sc(), true, &entry, false);
  EXPECT_FALSE(channel(4).isPlaying());
  rt->sound().playPageVoice(sc(), true, &entry, true);
  EXPECT_TRUE(channel(4).isPlaying());
}

TEST_F(SoundCommands, ThePageVoicePlaysWhenThePageIsShownAndVoWaitWaitsForIt) {
  // Every poll brings a click; with Voice/Next the voice outlives its page.
  platform.setMessageHook([this](HeadlessPlatform&, InputSink*) { rt->story.input.press(InputDecide); });
  rt->media.settings.voice.next = true;
  rt->media.settings.volume.voice = 255;
  load("vo aoi001\nあおいです。\nret\nvo_wait\n");
  const std::uint64_t start = framesHeard();
  run();
  EXPECT_STREQ(state().voiceName, "aoi001");
  EXPECT_FALSE(channel(4).isPlaying());
  // Half a second of voice, all of it heard before vo_wait let the script go on.
  const std::uint64_t end = framesHeard();
  EXPECT_GE(end - start, 22050u);
  EXPECT_GT(energy(start, start + 22000, 0), 0.0);
  EXPECT_LE(end - start, 22050u + 441u * 2);
  advanceMs(100);
  EXPECT_EQ(energy(end, framesHeard(), 0), 0.0);
}

TEST_F(SoundCommands, OptionDialogVolumesAndTheMusicSwitch) {
  load("bgm1 music\nse1 tone\n");
  run();
  auto& v = rt->media.settings.volume;
  v.bgm = 200;
  v.seOn = false;
  rt->sound().applyVolumes();
  EXPECT_EQ(channel(0).attenuation(), 15 * 200 - 3825);
  EXPECT_EQ(channel(2).attenuation(), -10000);
  rt->sound().setMusicOn(state(), false);
  EXPECT_FALSE(channel(0).isPlaying());
  rt->sound().setMusicOn(state(), true);
  EXPECT_TRUE(channel(0).isPlaying());
  // Recorded music resumes looping: it is still playing long after its 20 seconds.
  advanceMs(25000);
  EXPECT_TRUE(channel(0).isPlaying());
}

TEST_F(SoundCommands, TheSameRunSoundsTheSame) {
  auto once = [&](std::vector<std::int16_t>& out) {
    platform.recordAudio(true);
    load("bgm1 music\nse1 tone\n");
    run();
    advanceMs(300);
    out = heard();
  };
  std::vector<std::int16_t> first;
  once(first);
  // A second runtime on a fresh platform hears the same frames.
  HeadlessPlatform p2;
  p2.setQuiet(true);
  p2.recordAudio(true);
  RecordingReporter r2;
  {
    Runtime rt2(p2, r2, dir_.string());
    installScene(rt2);
    ASSERT_TRUE(rt2.scene.backBuffer.create());
    ASSERT_TRUE(rt2.sound().openDevice());
    ASSERT_TRUE(rt2.story.script->load("scr\\test.scr", rt2.story.state, true));
    for (int i = 0; i < 5; ++i) rt2.story.script->step();
    p2.advance(300);
  }
  ASSERT_GE(p2.recordedAudio().size(), first.size());
  EXPECT_TRUE(std::equal(first.begin(), first.end(), p2.recordedAudio().begin()));
}

}  // namespace
}  // namespace ml::test
