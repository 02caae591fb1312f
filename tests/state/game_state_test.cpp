#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/game_state.h"

namespace ml {
namespace {

TEST(GameStateTest, InitialRecordAndChecksum) {
  auto s = std::make_unique<GameState>();
  s->resetToInitial();
  EXPECT_EQ(s->version, 400);
  EXPECT_STREQ(s->scriptName, "open");
  EXPECT_EQ(s->flags[2034], 255);
  EXPECT_EQ(s->checksum, 0u);
  // 145 from the bytes of 400, 434 from "open", 255 from F2034.
  EXPECT_EQ(s->computeChecksum(), 834u);
}

TEST(GameStateTest, ChecksumWrapsAndSkipsItsOwnField) {
  auto s = std::make_unique<GameState>();
  std::memset(s.get(), 0xFF, sizeof(GameState));
  // (788816 - 4) bytes of 255, modulo 2^32.
  EXPECT_EQ(s->computeChecksum(), static_cast<std::uint32_t>(788812ULL * 255ULL));
}

TEST(GameStateTest, NewGameKeepsSystemFlagsAndEngineSettings) {
  auto s = std::make_unique<GameState>();
  s->resetToInitial();
  s->checksum = 77;
  s->flags[0] = 1;
  s->flags[1023] = 2;
  s->flags[1024] = 3;
  s->flags[2022] = 4;
  s->flags[2047] = 5;
  s->vars[0] = 9;
  std::strcpy(s->bgmName, "m01");
  s->namePlateRows = 3;
  s->resetForNewGame();
  EXPECT_EQ(s->checksum, 77u);
  EXPECT_EQ(s->version, 400);
  EXPECT_EQ(s->scriptName[0], 0);
  EXPECT_EQ(s->flags[0], 0);
  EXPECT_EQ(s->flags[1023], 0);
  EXPECT_EQ(s->flags[1024], 3);
  EXPECT_EQ(s->flags[2022], 4);
  EXPECT_EQ(s->flags[2047], 5);
  EXPECT_EQ(s->flags[2034], 255);
  EXPECT_EQ(s->vars[0], 0);
  EXPECT_EQ(s->bgmName[0], 0);
  EXPECT_EQ(s->namePlateRows, 0);
}

TEST(GameStateTest, EngineSettingsOverlapTheFlags) {
  auto s = std::make_unique<GameState>();
  s->resetToInitial();
  s->flags[2044] = 3;
  EXPECT_EQ(s->textSizeCode(), 3);
  s->setSpritePosition(1, -200);
  EXPECT_EQ(s->spritePosition(1), -200);
  // Little-endian int16 at offset 2202..2203.
  EXPECT_EQ(s->bytes()[2202], 0x38);
  EXPECT_EQ(s->bytes()[2203], 0xFF);
  EXPECT_EQ(s->sceneDarkening(), -1);
}

}  // namespace
}  // namespace ml
