#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/text/text_layout.h"
#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Laid {
  TextLayoutResult result;
  std::vector<PlacedChar> chars;
};

class LayoutTest : public ::testing::Test {
 protected:
  Laid lay(std::string& text, int columns = 20, int rows = 4, bool rules = true,
           int reveal = 10000, int size = 24) {
    TextLayoutParams p;
    p.glyphSize = size;
    p.columns = columns;
    p.rows = rows;
    p.layoutRules = rules;
    p.reveal = reveal;
    Laid laid;
    laid.result = layoutText(text, p, this->rules, reporter, laid.chars);
    return laid;
  }
  static std::pair<int, int> cell(const PlacedChar& c, int size = 24) {
    return {c.x / size, c.y};
  }
  TextRules rules;
  RecordingReporter reporter;
};

TEST_F(LayoutTest, LineOfTwentyBreaksAfterNineteenUnlessItHangs) {
  std::string text = repeat(SJ("あ"), 20) + SJ("い");
  Laid laid = lay(text);
  ASSERT_EQ(laid.chars.size(), 21u);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(cell(laid.chars[i]), std::make_pair(i, 0)) << i;
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(0, 28));
  EXPECT_EQ(cell(laid.chars[20]), std::make_pair(1, 28));
  // The wrap sets the pen after the last column.
  EXPECT_TRUE(laid.result.penSet);
  EXPECT_EQ(laid.result.penX, 20 * 24);
  EXPECT_EQ(laid.result.penY, 0);

  std::string hanging = repeat(SJ("あ"), 19) + SJ("。") + SJ("い");
  laid = lay(hanging);
  ASSERT_EQ(laid.chars.size(), 21u);
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(19, 0));
  EXPECT_EQ(laid.chars[19].lead, static_cast<std::uint8_t>(SJ("。")[0]));
  EXPECT_EQ(cell(laid.chars[20]), std::make_pair(0, 28));

  // A line end right after the hanging character is part of the wrap, not a second
  // line break.
  std::string withBreak = repeat(SJ("あ"), 19) + SJ("。") + "\n" + SJ("い");
  laid = lay(withBreak);
  EXPECT_EQ(cell(laid.chars[20]), std::make_pair(0, 28));
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(LayoutTest, WithoutRulesEveryColumnIsUsedAndNothingIsReported) {
  std::string text = repeat(SJ("あ"), 21) + "\n" + repeat(SJ("い"), 80);
  Laid laid = lay(text, 20, 2, false);
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(19, 0));
  EXPECT_EQ(cell(laid.chars[20]), std::make_pair(0, 28));
  // The overflow still cuts the text, but silently.
  EXPECT_TRUE(laid.result.cut);
  EXPECT_TRUE(reporter.entries.empty());
  // Nor does an opening bracket indent anything.
  std::string quote = SJ("「") + repeat(SJ("あ"), 25);
  laid = lay(quote, 20, 4, false);
  EXPECT_EQ(cell(laid.chars[20]), std::make_pair(0, 28));
}

TEST_F(LayoutTest, QuotationContinuesOneCellRightOfItsBracket) {
  std::string text = SJ("「") + repeat(SJ("あ"), 40) + SJ("」");
  Laid laid = lay(text);
  EXPECT_EQ(cell(laid.chars[0]), std::make_pair(0, 0));
  // First line: the bracket and 18 characters; column 19 is the last column.
  EXPECT_EQ(cell(laid.chars[18]), std::make_pair(18, 0));
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(1, 28));
  EXPECT_EQ(cell(laid.chars[36]), std::make_pair(18, 28));
  EXPECT_EQ(cell(laid.chars[37]), std::make_pair(1, 56));
  // A new line inside the quotation starts under the bracket too, and a bracket
  // there is drawn in the bracket's own column.
  std::string two = SJ("「あ") + "\n" + SJ("い") + "\n" + SJ("「う");
  laid = lay(two);
  EXPECT_EQ(cell(laid.chars[2]), std::make_pair(1, 28));
  EXPECT_EQ(cell(laid.chars[3]), std::make_pair(0, 56));
  EXPECT_EQ(cell(laid.chars[4]), std::make_pair(1, 56));
  // A bracket in the middle of a line indents under its own column.
  std::string mid = SJ("あい「") + repeat(SJ("う"), 20);
  laid = lay(mid);
  EXPECT_EQ(cell(laid.chars[2]), std::make_pair(2, 0));
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(3, 28));
  // Custom bracket sets replace the defaults.
  rules.setOpeningBrackets(SJ("『"));
  std::string other = SJ("「") + repeat(SJ("あ"), 20);
  laid = lay(other);
  EXPECT_EQ(cell(laid.chars[19]), std::make_pair(0, 28));
}

TEST_F(LayoutTest, PlaceholdersAreDrawnWholeInOneStep) {
  std::string text = SJ("●名●です▲氏▲");
  Laid laid = lay(text, 20, 4, true, 1);
  ASSERT_EQ(laid.chars.size(), 3u);  // "ヨルク" despite a reveal count of 1
  EXPECT_EQ(laid.result.shown, 3);
  EXPECT_EQ(std::string({char(laid.chars[1].lead), char(laid.chars[1].trail)}), SJ("ル"));
  EXPECT_EQ(cell(laid.chars[2]), std::make_pair(2, 0));

  laid = lay(text, 20, 4, true, 4);
  ASSERT_EQ(laid.chars.size(), 4u);
  EXPECT_EQ(cell(laid.chars[3]), std::make_pair(3, 0));

  laid = lay(text);
  ASSERT_EQ(laid.chars.size(), 8u);
  EXPECT_EQ(std::string({char(laid.chars[5].lead), char(laid.chars[5].trail)}), SJ("ハ"));
  EXPECT_EQ(cell(laid.chars[7]), std::make_pair(7, 0));
  // The text itself keeps its placeholders.
  EXPECT_EQ(text, SJ("●名●です▲氏▲"));

  // One-byte characters of a name take half cells.
  rules.setGivenName("Tom");
  std::string latin = SJ("●名●あ");
  laid = lay(latin);
  ASSERT_EQ(laid.chars.size(), 4u);
  EXPECT_EQ(laid.chars[0].trail, 0);
  EXPECT_EQ(laid.chars[2].x, 24);
  EXPECT_EQ(laid.chars[3].x, 36);
}

TEST_F(LayoutTest, PlaceholderInTheLastColumnWrapsWhole) {
  for (bool rulesOn : {true, false}) {
    std::string text = repeat(SJ("あ"), 19) + SJ("●名●");
    Laid laid = lay(text, 20, 4, rulesOn);
    ASSERT_EQ(laid.chars.size(), 22u) << rulesOn;
    EXPECT_EQ(cell(laid.chars[19]), std::make_pair(0, 28));
    EXPECT_EQ(std::string({char(laid.chars[19].lead), char(laid.chars[19].trail)}), SJ("ヨ"));
  }
}

TEST_F(LayoutTest, NamesAreCutOnCharacterBoundaries) {
  rules.setGivenName(SJ("あいうえおか"));  // 12 bytes
  EXPECT_EQ(rules.givenName(), SJ("あいうえお"));
  rules.setFamilyName("abcdefghijklmn");
  EXPECT_EQ(rules.familyName(), "abcdefghijk");
  rules.setFamilyName(std::string("ab") + SJ("あいうえお"));  // 12 bytes, cut inside "お"
  EXPECT_EQ(rules.familyName(), std::string("ab") + SJ("あいうえ"));
  rules.reset();
  EXPECT_EQ(rules.givenName(), SJ("ヨルク"));
  EXPECT_EQ(rules.familyName(), SJ("ハセリ"));
}

TEST_F(LayoutTest, SetsAreWalkedCharacterByCharacter) {
  // "あ" is 82 A0 and "「" 81 75: the pair A0 81 straddles them and is no member.
  rules.setLineEnd(SJ("あ「"));
  EXPECT_TRUE(rules.isLineEnd(0x82, 0xA0));
  EXPECT_TRUE(rules.isLineEnd(0x81, 0x75));
  EXPECT_FALSE(rules.isLineEnd(0xA0, 0x81));
  EXPECT_TRUE(rules.isOpeningBracket(0x81, 0x75));  // default set still in place
  // The set buffers hold at most 1023 bytes.
  rules.setOpeningBrackets(repeat(SJ("「"), 600));
  EXPECT_EQ(rules.openingBrackets().size(), 1022u);
}

TEST_F(LayoutTest, EscapesBreakBlankOrAreReportedOnce) {
  std::string text = SJ("あ") + "\\ " + SJ("い") + "\\n" + SJ("う") + "\\N" + SJ("え");
  Laid laid = lay(text);
  ASSERT_EQ(laid.chars.size(), 4u);
  EXPECT_EQ(cell(laid.chars[1]), std::make_pair(1, 0));
  EXPECT_EQ(cell(laid.chars[2]), std::make_pair(0, 28));
  EXPECT_EQ(cell(laid.chars[3]), std::make_pair(0, 56));
  EXPECT_FALSE(laid.result.penSet);  // escaped breaks do not move the pen
  EXPECT_TRUE(reporter.entries.empty());

  std::string bad = SJ("あ") + "\\x" + SJ("い");
  laid = lay(bad);
  ASSERT_EQ(reporter.entries.size(), 1u);
  const auto& e = reporter.entries[0];
  EXPECT_FALSE(e.script);
  EXPECT_EQ(e.fileName, "SCRIPT");
  EXPECT_EQ(e.number, 1227);
  EXPECT_EQ(e.message, SJ("不正な制御コード"));
  EXPECT_EQ(e.detail, "[x]");
  EXPECT_EQ(bad, SJ("あ") + "\\ " + SJ("い"));
  ASSERT_EQ(laid.chars.size(), 2u);
  EXPECT_EQ(cell(laid.chars[1]), std::make_pair(1, 0));
  lay(bad);
  EXPECT_EQ(reporter.entries.size(), 1u);

  // A two-byte character after the backslash is reported and blanked whole.
  std::string wide = "\\" + SJ("あい");
  laid = lay(wide);
  ASSERT_EQ(reporter.entries.size(), 2u);
  EXPECT_EQ(reporter.entries[1].detail, "[" + SJ("あ") + "]");
  EXPECT_EQ(wide, "\\ " + SJ("い"));
  ASSERT_EQ(laid.chars.size(), 1u);
  EXPECT_EQ(laid.chars[0].x, 0);

  // A backslash that ends the text is reported once and dropped.
  std::string tail = SJ("あ") + "\\";
  laid = lay(tail);
  EXPECT_EQ(reporter.entries.size(), 3u);
  EXPECT_EQ(tail, SJ("あ"));
  lay(tail);
  EXPECT_EQ(reporter.entries.size(), 3u);
}

TEST_F(LayoutTest, OverflowIsReportedOnceAndCutsTheText) {
  std::string text = SJ("あ") + "\n" + SJ("い") + "\n" + SJ("う") + "\n";
  const std::string original = text;
  Laid laid = lay(text, 20, 2);
  ASSERT_EQ(reporter.entries.size(), 1u);
  EXPECT_EQ(reporter.entries[0].number, 1180);
  EXPECT_EQ(reporter.entries[0].message, SJ("メッセージがあふれました"));
  EXPECT_EQ(reporter.entries[0].detail, "");
  EXPECT_TRUE(laid.result.cut);
  EXPECT_EQ(text, original.substr(0, 2 * (2 + 1)));
  EXPECT_EQ(laid.chars.size(), 2u);
  laid = lay(text, 20, 2);
  EXPECT_EQ(reporter.entries.size(), 1u);
  EXPECT_FALSE(laid.result.cut);
  // Text that ends exactly at the last line end does not overflow.
  std::string exact = SJ("あ") + "\n" + SJ("い") + "\n";
  lay(exact, 20, 2);
  EXPECT_EQ(reporter.entries.size(), 1u);
  // Wrapping counts like line ends: 3 rows of 19 characters hold 57.
  std::string longText = repeat(SJ("あ"), 60);
  laid = lay(longText, 20, 3);
  EXPECT_EQ(laid.chars.size(), 57u);
  EXPECT_EQ(longText.size(), 57u * 2);
  EXPECT_EQ(reporter.entries.size(), 2u);
}

TEST_F(LayoutTest, PenAndRevealCount) {
  std::string text = SJ("あい") + "\n" + SJ("う") + "a\n";
  Laid laid = lay(text);
  EXPECT_TRUE(laid.result.penSet);
  EXPECT_EQ(laid.result.penX, 24 + 12);
  EXPECT_EQ(laid.result.penY, 28);
  // The reveal count stops the layout; line ends are no characters.
  laid = lay(text, 20, 4, true, 2);
  EXPECT_EQ(laid.result.shown, 2);
  EXPECT_FALSE(laid.result.penSet);
  laid = lay(text, 20, 4, true, 3);
  EXPECT_EQ(laid.result.shown, 3);
  EXPECT_EQ(laid.result.penX, 48);
  EXPECT_EQ(laid.result.penY, 0);
  laid = lay(text, 20, 4, true, 0);
  EXPECT_EQ(laid.result.shown, 0);
  EXPECT_TRUE(laid.chars.empty());
}

TEST_F(LayoutTest, OneByteCharactersTakeHalfCellsAndPitchFollowsSize) {
  std::string text = "ab" + SJ("あ") + "\n" + "c\r";
  Laid laid = lay(text);
  ASSERT_EQ(laid.chars.size(), 4u);
  EXPECT_EQ(laid.chars[1].x, 12);
  EXPECT_EQ(laid.chars[2].x, 24);
  EXPECT_EQ(laid.chars[3].y, 28);
  EXPECT_EQ(laid.chars[0].trail, 0);

  laid = lay(text, 20, 4, true, 10000, 25);
  EXPECT_EQ(laid.chars[1].x, 12);  // 25 / 2
  EXPECT_EQ(laid.chars[2].x, 24);
  EXPECT_EQ(laid.chars[3].y, 56);
  EXPECT_EQ(linePitch(24), 28);
  EXPECT_EQ(linePitch(36), 56);
  EXPECT_EQ(linePitch(12), 28);

  // Half-width katakana bytes from 0xC0 on start two-byte characters in this engine;
  // those below are one-byte characters.
  std::string kana = "\xB1\xB2";
  laid = lay(kana);
  ASSERT_EQ(laid.chars.size(), 2u);
  EXPECT_EQ(laid.chars[1].x, 12);
  EXPECT_EQ(twoByteCount(SJ("あいa") + "\\n"), 2);
  EXPECT_EQ(twoByteCount("\x82"), 0);
}

TEST_F(LayoutTest, HostileParametersStayBoundedAndSafe) {
  // A text that can never be placed (one column, every line wraps) ends at the last
  // row at once, even with a huge row count, as it would after walking every row.
  std::string text = SJ("あい");
  Laid small = lay(text, 1, 5);
  EXPECT_TRUE(small.result.cut);
  EXPECT_EQ(small.result.penX, 24);
  EXPECT_EQ(small.result.penY, 4 * 28);
  std::string text2 = SJ("あい");
  Laid huge = lay(text2, 1, 2000000000);
  EXPECT_TRUE(huge.result.cut);
  EXPECT_EQ(huge.result.penY, ((1 << 20) - 1) * 28);

  // Indentation at the last column behaves the same way.
  std::string deep = repeat(SJ("あ"), 18) + SJ("「") + repeat(SJ("い"), 5);
  Laid laid = lay(deep, 20, 1000000);
  EXPECT_TRUE(laid.result.cut);
  EXPECT_EQ(laid.chars.size(), 19u);

  // Zero or negative sizes and counts, a lone lead byte at the end.
  for (int size : {0, -5, 100000}) {
    std::string t = SJ("あいう") + "\x82";
    lay(t, 0, 0, true, 10000, size);
    std::string u = SJ("あいう") + "\x82";
    lay(u, -3, -3, false, 10000, size);
    std::string v = SJ("あいう") + "\x82";
    Laid w = lay(v, 10, 10, true, 10000, size);
    EXPECT_EQ(w.chars.size(), 3u);
  }
}

}  // namespace
}  // namespace ml
