// The voice commands give the following pages their read-tracking number.
#include "engine_fixture.h"

namespace ml::test {
namespace {

class VoiceCommandTest : public EngineTest {};

TEST_F(VoiceCommandTest, CountedVoicesNumberThePagesByTheirPlaceInTheScript) {
  load("\r\nvo a01\r\nvo a02\r\nvol a03\r\nvo2 b01\r\nvo a04\r\n");
  sc().step();
  EXPECT_STREQ(rt->story.state.voiceName, "a01");
  EXPECT_EQ(rt->story.state.voiceIndex, 0);
  sc().step();
  EXPECT_EQ(rt->story.state.voiceIndex, 1);
  // "vol" is counted but never registered (only "vo" and a blank is), so it finds no
  // ordinal and the number falls back to 0.
  sc().step();
  EXPECT_STREQ(rt->story.state.voiceName, "a03");
  EXPECT_EQ(rt->story.state.voiceIndex, 0);
  // vo2 names the voice and keeps the number.
  rt->story.state.voiceIndex = 7;
  sc().step();
  EXPECT_STREQ(rt->story.state.voiceName, "b01");
  EXPECT_EQ(rt->story.state.voiceIndex, 7);
  sc().step();
  EXPECT_EQ(rt->story.state.voiceIndex, 2);
}

TEST_F(VoiceCommandTest, WithReadTrackingOffEveryCountedVoiceIsZero) {
  rt->story.state.readTrackingOff() = 1;
  load("\r\nvo a01\r\nvo a02\r\n");
  sc().step();
  sc().step();
  EXPECT_STREQ(rt->story.state.voiceName, "a02");
  EXPECT_EQ(rt->story.state.voiceIndex, 0);
}

TEST_F(VoiceCommandTest, LongNamesAreCutToTheRecordField) {
  load("\r\nvo " + std::string(70, 'v') + "\r\n");
  sc().step();
  EXPECT_EQ(std::string(rt->story.state.voiceName), std::string(63, 'v'));
}

}  // namespace
}  // namespace ml::test
