#include <cstring>

#include "engine/script_context.h"
#include "engine_fixture.h"
#include "media/io/keys.h"

namespace ml::test {
namespace {

using ScriptReaderTest = EngineTest;

TEST_F(ScriptReaderTest, QuotedArgumentKeepsBlanksAndEndsAfterTheQuote) {
  auto& s = load("cmd \"a b\" next\r\n");
  s.advance(3);
  EXPECT_EQ(s.readArgument(), "a b");
  EXPECT_EQ(s.byteAt(s.pos), ' ');
  EXPECT_EQ(s.readArgument(), "next");
  // An empty quoted argument is an empty string and is passed over whole.
  load("\"\" x");
  EXPECT_EQ(sc().readArgument(), "");
  EXPECT_EQ(sc().readArgument(), "x");
}

TEST_F(ScriptReaderTest, PeekSkipsBlankLinesCountsLinesAndDoesNotConsume) {
  auto& s = load("\r\n\r\n  \t word rest\r\n");
  char w[64];
  EXPECT_EQ(s.peekWord(w, sizeof w), 4);
  EXPECT_STREQ(w, "word");
  EXPECT_EQ(s.lineNumber, 3);
  EXPECT_EQ(s.peekWord(w, sizeof w), 4);  // still there
  EXPECT_EQ(s.lineNumber, 3);
}

TEST_F(ScriptReaderTest, BareLineFeedDoesNotEndAToken) {
  // Scripts are written with CR LF; a bare LF runs the token on into the next line.
  auto& s = load("first\nsecond\r\nthird");
  EXPECT_EQ(s.readArgument(), "first\nsecond");
  EXPECT_EQ(s.lineNumber, 2);
  s.copyLineText();
  EXPECT_STREQ(s.lineText, "");
  EXPECT_EQ(s.readArgument(), "third");
  EXPECT_EQ(s.lineNumber, 3);
  // The line copy ends at a bare LF all the same.
  load("ab\ncd");
  sc().copyLineText();
  EXPECT_STREQ(sc().lineText, "ab");
}

TEST_F(ScriptReaderTest, OverlongTokenIsReportedAndCut) {
  std::string longWord(70, 'a');
  auto& s = load(longWord + " b");
  std::string arg = s.readArgument();
  EXPECT_EQ(arg.size(), 63u);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "トークンが長すぎる");
  // The rest of the over-long token is read next, never past the buffer.
  EXPECT_EQ(s.readArgument(), std::string(7, 'a'));
  EXPECT_EQ(s.readArgument(), "b");
  // Exactly 63 characters fit a 64-byte argument without a report.
  reporter.entries.clear();
  load(std::string(63, 'x'));
  EXPECT_EQ(sc().readArgument().size(), 63u);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(ScriptReaderTest, LineCopyHolds1023CharactersAndCutsLonger) {
  auto& s = load(std::string(1023, 'x') + "\r\nnext");
  s.copyLineText();
  EXPECT_EQ(std::strlen(s.lineText), 1023u);
  EXPECT_TRUE(reporter.entries.empty());
  load(std::string(1024, 'y') + "\r\n");
  sc().copyLineText();
  EXPECT_EQ(std::strlen(sc().lineText), 1023u);
  EXPECT_EQ(sc().lineTextLength, 1023);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "１行が１０２４文字を超えている");
}

TEST_F(ScriptReaderTest, ScrambledScriptIsUnscrambledOnLoad) {
  std::string plain = "F1=7\r\n";
  std::string file = "X";
  for (std::size_t i = 0; i < plain.size(); ++i)
    file += static_cast<char>(plain[i] ^ kScriptKey[i % 5]);
  writeFile("scr/sx.scr", file);
  ASSERT_TRUE(sc().load("scr\\sx.scr", state(), true));
  EXPECT_EQ(sc().text[0], 'N');
  EXPECT_EQ(std::string(sc().text.begin() + 1, sc().text.end()), plain);
  run();
  EXPECT_EQ(state().flags[1], 7);
  // Any other marker leaves the file as it is, the marker included.
  writeFile("scr/sy.scr", "Y" + plain);
  ASSERT_TRUE(sc().load("scr\\sy.scr", state(), true));
  EXPECT_EQ(sc().text[0], 'Y');
}

TEST_F(ScriptReaderTest, LoadFailuresAreReportedWithTheirNumbers) {
  EXPECT_FALSE(sc().load("scr\\missing.scr", state(), true));
  writeFile("scr/empty.scr", "");
  EXPECT_FALSE(sc().load("scr\\empty.scr", state(), true));
  ASSERT_EQ(reporter.entries.size(), 2u);
  EXPECT_EQ(u(reporter.entries[0].message), "オープンできません");
  EXPECT_EQ(reporter.entries[0].fileName, "SCRIPT");
  EXPECT_EQ(reporter.entries[0].number, 510);
  EXPECT_EQ(reporter.entries[0].lineText, "scr\\missing.scr");
  EXPECT_EQ(u(reporter.entries[1].message), "サイズがおかしい");
  EXPECT_EQ(reporter.entries[1].number, 517);
  // A failed load leaves an empty script, which simply runs to its end.
  EXPECT_EQ(sc().size, 0);
  EXPECT_EQ(sc().step(), 1);
}

TEST_F(ScriptReaderTest, PathsIgnoreCaseAndBackslashes) {
  writeScript("Mixed", "F2=3");
  ASSERT_TRUE(sc().load("SCR\\mixed.SCR", state(), true));
  EXPECT_STREQ(sc().scriptPath, "SCR\\mixed.SCR");
}

TEST_F(ScriptReaderTest, SetPositionRecountsLines) {
  auto& s = load("a\r\nb\r\nc\nd");
  s.setPosition(9);  // on "d", after three LFs
  EXPECT_EQ(s.pos, 9);
  EXPECT_EQ(s.lineNumber, 4);
  s.setPosition(1);
  EXPECT_EQ(s.lineNumber, 1);
  // Positions outside the text are kept inside it.
  s.setPosition(5000);
  EXPECT_EQ(s.pos, s.size);
  s.setPosition(-3);
  EXPECT_EQ(s.pos, 1);
}

TEST_F(ScriptReaderTest, VoiceCommandsAreRegisteredInFileOrder) {
  // Index 1 follows the marker, not a blank: not registered. "vo2", "vol" and the "vo"
  // inside a comment or inside a word are not counted either.
  auto& s = load("vo a\r\n vo b\r\n;vo c\r\nxvo d\r\nvo2 e\r\nvol f\r\n\tvo g\r\nあvo h\r\n");
  const char* path = s.scriptPath;
  EXPECT_EQ(rt->media.readStatus.count(path), 2);
  std::string t(s.text.begin(), s.text.end());
  EXPECT_EQ(rt->media.readStatus.positionOf(path, 0), static_cast<int>(t.find("vo b")));
  EXPECT_EQ(rt->media.readStatus.positionOf(path, 1), static_cast<int>(t.find("vo g")));
  EXPECT_EQ(rt->media.readStatus.ordinalAt(path, static_cast<int>(t.find("vo g"))), 1);
}

TEST_F(ScriptReaderTest, ReadTrackingOffSkipsRegistration) {
  state().readTrackingOff() = 1;
  auto& s = load("\r\nvo a\r\n");
  EXPECT_EQ(rt->media.readStatus.entryCount(), 0);
  EXPECT_EQ(s.size, 9);
}

TEST_F(ScriptReaderTest, OperandsStopAtOperatorsAndKeepDoubleByteCharactersWhole) {
  const std::string s = "F12+3";
  std::size_t i = 0;
  char out[16];
  readOperand(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), i, out, sizeof out);
  EXPECT_STREQ(out, "F12");
  EXPECT_EQ(i, 2u);
  // A trail byte equal to an operator character stays with its lead byte.
  const std::string sj = utf8ToSjis("ソ") + "=1";  // "ソ" is 0x83 0x5C
  i = 0;
  readOperand(reinterpret_cast<const std::uint8_t*>(sj.data()), sj.size(), i, out, sizeof out);
  EXPECT_EQ(std::string(out), utf8ToSjis("ソ"));
  // A long operand is cut to the buffer but passed over whole.
  const std::string longer = "ABCDEFGHIJ=1";
  i = 0;
  char small[4];
  readOperand(reinterpret_cast<const std::uint8_t*>(longer.data()), longer.size(), i, small,
              sizeof small);
  EXPECT_STREQ(small, "ABC");
  EXPECT_EQ(i, 9u);
}

TEST_F(ScriptReaderTest, FileExistsLooksForLooseFilesAndReportsMissingOnes) {
  writeFile("cg/BG01.bmp", "BM");
  EXPECT_TRUE(sc().fileExists("cg\\bg01.bmp", false));
  EXPECT_FALSE(sc().fileExists("cg\\none.psd", true));
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_FALSE(sc().fileExists("wav\\none.wav", false));
  ASSERT_EQ(reporter.entries.size(), 1u);
  EXPECT_EQ(u(reporter.entries[0].message), "ファイルが存在しない");
  EXPECT_EQ(reporter.entries[0].detail, "wav\\none.wav");
}

TEST(LeadByteTest, RangesIncludeA0AndHalfWidthKana) {
  EXPECT_FALSE(sjis::isLead(0x80));
  EXPECT_TRUE(sjis::isLead(0x81));
  EXPECT_TRUE(sjis::isLead(0xA0));
  EXPECT_FALSE(sjis::isLead(0xA1));
  EXPECT_FALSE(sjis::isLead(0xBF));
  EXPECT_TRUE(sjis::isLead(0xC0));
  EXPECT_TRUE(sjis::isLead(0xDF));
  EXPECT_TRUE(sjis::isLead(0xFC));
  EXPECT_FALSE(sjis::isLead(0xFD));
}

}  // namespace
}  // namespace ml::test
