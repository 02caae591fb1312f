#include <cstring>
#include <string>

#include "engine_fixture.h"

namespace ml::test {
namespace {

using TextLineTest = EngineTest;

std::string page(ScriptContext& s) { return sjisToUtf8(std::string(s.messageText.get(), s.messageLength())); }

TEST_F(TextLineTest, LinesGatherIntoOnePageWithAutoReturnOff) {
  state().autoReturnOff() = 1;
  load("「こんにちは」\r\nさようなら 続き\r\n");
  run();
  EXPECT_EQ(page(sc()), "「こんにちは」\nさようなら続き\n");
  EXPECT_TRUE(errors().empty());
}

TEST_F(TextLineTest, EachLineIsAPageWithAutoReturnOn) {
  load("一行目\r\n二行目\r\n");
  sc().fastForward = true;  // pages end without waiting for the player
  rt->media.settings.skipSelect.unread = false;  // (an unread page would end the jump)
  sc().step();
  EXPECT_EQ(page(sc()), "一行目\n");
  EXPECT_TRUE(sc().newPage);  // the page ended; the next line starts a new one
  sc().step();
  EXPECT_EQ(page(sc()), "二行目\n");
}

TEST_F(TextLineTest, LastLineWithoutLineBreakStillEndsItsLine) {
  state().autoReturnOff() = 1;
  load("終わり");
  run();
  EXPECT_EQ(page(sc()), "終わり\n");
}

TEST_F(TextLineTest, TextThatWouldOverflowThePageIsDropped) {
  state().autoReturnOff() = 1;
  // 1000 bytes each (500 double-byte characters): the second one would reach 2000 and is
  // dropped whole; its line break still counts.
  std::string line;
  for (int i = 0; i < 500; ++i) line += "あ";
  load(line + "\r\n" + line + "\r\nい\r\n");
  run();
  EXPECT_EQ(sc().messageLength(), 1000u + 1u + 1u + 2u + 1u);
  EXPECT_TRUE(errors().empty());
}

TEST_F(TextLineTest, PageBufferIsNeverOverrun) {
  state().autoReturnOff() = 1;
  std::string line;
  for (int i = 0; i < 20; ++i) line += "ああああああああああ";  // 400 bytes
  std::string script;
  for (int i = 0; i < 10; ++i) script += line + "\r\n";
  load(script);
  run();
  EXPECT_LT(sc().messageLength(), 2000u);
  EXPECT_EQ(sc().messageText[sc().messageLength()], 0);
}

TEST_F(TextLineTest, WithoutAPageBufferTheInterpreterStops) {
  sc().messageText.reset();
  load("テキスト\r\nF1=1\r\n");
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "window が定義されていません");
  EXPECT_EQ(state().flags[1], 0);
}

}  // namespace
}  // namespace ml::test
