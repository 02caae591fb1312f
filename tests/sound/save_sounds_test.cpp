// What a loaded game and the quick requests play: the recorded music and looping effect
// start again, and the guide voices speak on the interface channel.
#include <cstring>

#include "sound/sound_fixture.h"

namespace ml::test {
namespace {

TEST_F(SoundTest, ALoadedGamePlaysItsMusicAndTheQuickRequestsSpeakTheirGuideVoices) {
  writeSound("music", pcmWave(constantSamples(44100, 1000)));
  writeSound("rain", pcmWave(constantSamples(4410, 500)));
  writeSound("gv_aoi_01", pcmWave(constantSamples(4410, 100)));
  writeSound("gv_aoi_02", pcmWave(constantSamples(4410, 200)));
  load("F1=1\n");
  std::strcpy(state().scriptName, "test");
  std::strcpy(state().bgmName, "music");
  std::strcpy(state().seLoopName, "rain");
  rt->media.settings.voice.guide = true;
  rt->media.settings.voice.guideNo = 0;

  EXPECT_EQ(rt->saves().quickSave(sc()), 0);
  EXPECT_EQ(channel(SoundService::kInterfaceChannel).cachedName(), "wav\\gv_aoi_02.wav");
  EXPECT_EQ(channel(SoundService::kInterfaceChannel).volumeLevel(), rt->media.settings.volume.se);

  std::memset(state().bgmName, 0, sizeof state().bgmName);
  std::memset(state().seLoopName, 0, sizeof state().seLoopName);
  rt->sound().stopAllChannels();
  rt->media.settings.save.recall = false;
  EXPECT_EQ(rt->saves().quickLoad(sc()), 1);
  EXPECT_TRUE(channel(SoundService::kMusicChannel).isPlaying());
  EXPECT_EQ(channel(SoundService::kMusicChannel).cachedName(), "wav\\music.wav");
  EXPECT_TRUE(channel(SoundService::kEffectChannel).isPlaying());
  EXPECT_EQ(channel(SoundService::kInterfaceChannel).cachedName(), "wav\\gv_aoi_01.wav");

  // A row without voices, or the guide switched off, speaks nothing and reports nothing.
  rt->media.settings.voice.guideNo = 4;
  channel(SoundService::kInterfaceChannel).stop();
  EXPECT_EQ(rt->saves().quickSave(sc()), 0);
  EXPECT_FALSE(channel(SoundService::kInterfaceChannel).isPlaying());
  for (const std::string& e : scriptErrors()) EXPECT_EQ(e.find(".wav"), std::string::npos) << e;
}

}  // namespace
}  // namespace ml::test
