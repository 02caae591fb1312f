#include "app/dialog_host.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

std::string repeat(const char* utf8, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += utf8;
  return out;
}

TEST(CommentFilter, KeepsCharactersDropsBackslashesAndCutsAt56Bytes) {
  struct Case {
    std::string in, out;  // UTF-8
  };
  for (const Case& c : {
           Case{"海辺で", "海辺で"},
           Case{"a\\b c", "ab c"},                                      // backslash gone, other bytes kept
           Case{repeat("星", 60), repeat("星", 28)},                    // 60 two-byte characters -> 28
           Case{"x" + repeat("星", 30), "x" + repeat("星", 27)},        // 55 bytes: no half character
           Case{repeat("z", 70), repeat("z", 56)},
           Case{"表示", "表示"},                                        // trail byte 0x5C is no backslash
       })
    EXPECT_EQ(sjisToUtf8(filterCommentText(utf8ToSjis(c.in))), c.out) << c.in;
  // A lone lead byte at the end is half a character.
  EXPECT_EQ(filterCommentText(std::string("ab\x82", 3)), "ab");
}

class CommentDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.setQuiet(true); }
  void play(const std::string& script) {
    InputScript s;
    std::string error;
    ASSERT_TRUE(s.parse(script, error)) << error;
    platform.setInputScript(std::move(s));
    platform.processMessages();
  }
  HeadlessPlatform platform;
  DialogHost host{platform};
};

TEST_F(CommentDialogTest, ScriptedAnswersAndTheUnansweredDefault) {
  // Unanswered: OK with the proposed comment (the empty-slot mark is emptied).
  std::string text = utf8ToSjis("提案");
  EXPECT_TRUE(host.showComment(text));
  EXPECT_EQ(sjisToUtf8(text), "提案");
  text = "\x01";
  EXPECT_TRUE(host.showComment(text));
  EXPECT_EQ(text, "");

  // Answers are typed into the edit: its limits apply; other forms' answers stay.
  play("comment \"花火\\の夜 " + repeat("あ", 40) + "\"\ncomment cancel\ncomment \"cancel\"\n");
  text = utf8ToSjis("提案");
  EXPECT_TRUE(host.showComment(text));
  EXPECT_EQ(sjisToUtf8(text), "花火の夜 " + repeat("あ", 23));
  EXPECT_FALSE(host.showComment(text));
  EXPECT_TRUE(host.showComment(text));
  EXPECT_EQ(text, "cancel");
  ASSERT_FALSE(platform.reports().empty());
  EXPECT_EQ(platform.reports().back(), "Dialog: [コメントの入力] \"cancel\" -> OK");
}

TEST_F(CommentDialogTest, JumpAnswersAreTypedIntoTheDigitsOnlyEdit) {
  // Unanswered: OK with the empty edit, which the menu reads as no line.
  std::string text;
  EXPECT_TRUE(host.showJump(text));
  EXPECT_EQ(text, "");
  play("jump 12x3\njump cancel\ncomment later\n");
  EXPECT_TRUE(host.showJump(text));
  EXPECT_EQ(text, "123");
  EXPECT_FALSE(host.showJump(text));
  // The comment's answer is not the jump's.
  text.clear();
  EXPECT_TRUE(host.showJump(text));
  EXPECT_EQ(text, "");
  std::string comment = "x";
  EXPECT_TRUE(host.showComment(comment));
  EXPECT_EQ(comment, "later");
}

TEST(InputScriptParse, CommentNeedsOneText) {
  InputScript s;
  std::string error;
  EXPECT_FALSE(s.parse("comment\n", error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(s.parse("comment a b\n", error));
  EXPECT_FALSE(s.parse("jump\n", error));
  ASSERT_TRUE(s.parse("comment \"two words\"\ncomment cancel\n", error)) << error;
  ASSERT_EQ(s.commands.size(), 2u);
  EXPECT_EQ(s.commands[0].kind, InputCommand::Kind::Comment);
  EXPECT_EQ(s.commands[0].name, "two words");
  EXPECT_FALSE(s.commands[0].cancel);
  EXPECT_TRUE(s.commands[1].cancel);
}

}  // namespace
}  // namespace ml
