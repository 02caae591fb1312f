// The engine reaches sound, saves, the backlog and the scene only through the objects
// installed in the runtime: a swapped-in object sees every call, and without the scene
// the interpreter still runs its own words.
#include "engine/poll.h"
#include "engine_fixture.h"

namespace ml::test {
namespace {

class RecordingSound : public SoundService {
 public:
  explicit RecordingSound(std::string& log) : log_(log) {}
  bool openDevice() override { return true; }
  void stopChannel(int channel) override { log_ += "stop" + std::to_string(channel) + " "; }
  void stopAllChannels() override { log_ += "stopAll "; }
  void serviceChannels() override { log_ += "service "; }
  void playPageVoice(ScriptContext&, bool, const BacklogEntry*, bool) override { log_ += "voice "; }
  bool voicePlaying() override { return false; }
  void restartRecordedSounds(ScriptContext&) override { log_ += "restart "; }

 private:
  std::string& log_;
};

using ServicesTest = EngineTest;

TEST_F(ServicesTest, InstalledObjectsSeeTheEnginesCalls) {
  std::string sound;
  rt->installSound(std::make_unique<RecordingSound>(sound));

  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sound, "service ");

  // A fast-forward's end restarts the recorded sounds; a return to the title stops
  // every channel.
  writeFile("scr/open.scr", "N");
  load("title\r\n");
  sound.clear();
  sc().fastForward = true;
  endFastForward(sc());
  EXPECT_EQ(sound, "restart ");
  sound.clear();
  ASSERT_EQ(sc().step(), 1);
  EXPECT_EQ(sound, "stopAll ");

  // Installing nothing puts the null object back.
  rt->installSound(nullptr);
  sound.clear();
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sound, "");
}

TEST_F(ServicesTest, WithoutTheSceneTheInterpreterRunsItsOwnWords) {
  Runtime bare(platform, reporter, rt->media.folder.root());
  writeScript("bare", "F10=1\r\n[F10=1]{ F11=1 }\r\n");
  ScriptContext& s = *bare.story.script;
  ASSERT_TRUE(s.load("scr\\bare.scr", bare.story.state, true));
  for (int i = 0; i < 20 && bare.story.switches.endReportArmed; ++i) s.step();
  EXPECT_EQ(bare.story.state.flags[11], 1);
  EXPECT_TRUE(bare.story.commands.empty());
}

}  // namespace
}  // namespace ml::test
