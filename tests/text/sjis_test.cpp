#include "platform/sjis.h"

#include <gtest/gtest.h>

#include <utility>

namespace ml {
namespace {

TEST(SjisTest, LeadRangeIsTheEnginesOwn) {
  // 0xA0 leads although code page 932 calls it a single byte; half-width katakana
  // (0xC0-0xDF) lead too.
  const std::pair<int, bool> cases[] = {{0x00, false}, {0x5C, false}, {0x80, false}, {0x81, true},
                                        {0x9F, true},  {0xA0, true},  {0xA1, false}, {0xBF, false},
                                        {0xC0, true},  {0xDF, true},  {0xFC, true},  {0xFD, false}};
  for (const auto& [b, lead] : cases) {
    EXPECT_EQ(sjis::isLead(static_cast<std::uint8_t>(b)), lead) << b;
    EXPECT_EQ(sjis::isLead(static_cast<char>(b)), lead) << b;
  }
}

struct CutCase {
  std::string_view text;
  std::size_t maxBytes;
  std::string_view expected;
};

TEST(SjisTest, CutNeverSplitsACharacter) {
  const CutCase cases[] = {
      {"ab\x82\xA0" "c", 3, "ab"},          // the two-byte character would not fit
      {"ab\x82\xA0" "c", 4, "ab\x82\xA0"},
      {"ab\x82\xA0" "c", 99, "ab\x82\xA0" "c"},
      {"a\x82", 5, "a"},                    // a lead byte at the end is a split character
      {"\x95\\\\", 2, "\x95\\"},            // a trail byte equal to '\' stays with its lead
      {"abc", 0, ""},
  };
  for (const CutCase& c : cases) EXPECT_EQ(sjis::cutAtBoundary(c.text, c.maxBytes), c.expected) << c.text;
}

TEST(SjisTest, CharLengthAndFolding) {
  EXPECT_EQ(sjis::charLength("\x82\xA0", 0), 2u);
  EXPECT_EQ(sjis::charLength("a\x82", 1), 1u);  // no trail byte after it
  // Trail bytes in 'A'..'Z' (0x82 0x41 is a full-width character) keep their case.
  EXPECT_EQ(sjis::foldAsciiOutsideChars("AB\x82\x41Z"), "ab\x82\x41z");
  EXPECT_TRUE(sjis::equalsFolded("Save001.DAT", "save001.dat"));
  EXPECT_FALSE(sjis::equalsFolded("save1.dat", "save01.dat"));
  EXPECT_TRUE(sjis::endsWithFolded("BG\\TITLE.BMP", ".bmp"));
  EXPECT_FALSE(sjis::endsWithFolded("bmp", ".bmp"));
  EXPECT_FALSE(sjis::endsWithFolded("a.bmpx", ".bmp"));
}

}  // namespace
}  // namespace ml
