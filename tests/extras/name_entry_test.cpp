// The name dialog's rules (what typing leaves in the edit, the default, OK), and its
// headless answer from the input script.
#include <gtest/gtest.h>

#include "app/name_entry.h"
#include "app/dialog_host.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

TEST(NameEntry, TypingKeepsDoubleByteCharactersOnly) {
  struct Case {
    std::string typed, kept;
  };
  const std::string space = "\x81\x40";  // the full-width space
  const Case cases[] = {
      {"abc" + space + SJ("漢字"), SJ("漢字")},           // Latin letters and the space go
      {SJ("ミナト") + SJ("ハ"), SJ("ミナト")},             // a fourth character cannot be typed
      {SJ("ア") + "\x83", SJ("ア")},                       // a lead byte without its second byte
      {SJ("ｱ") + SJ("ア"), SJ("ア")},                      // half-width kana are single bytes
      {"12" + SJ("一") + "x" + SJ("二"), SJ("一二")},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(filterNameText(c.typed, 6), c.kept) << sjisToUtf8(c.typed);
}

TEST(NameEntry, OkNeedsANameAndTheDefaultButtonGivesOne) {
  NameEntry e(SJ("ヨルク"), "abc");
  EXPECT_EQ(e.maxBytes(), 6u);
  EXPECT_TRUE(e.text.empty());
  EXPECT_FALSE(e.okEnabled());
  e.useDefault();
  EXPECT_EQ(e.text, SJ("ヨルク"));
  EXPECT_TRUE(e.okEnabled());
  e.setText(SJ("アイウエオ"));
  EXPECT_EQ(e.text, SJ("アイウ"));
}

TEST(NameEntry, TheInputScriptAnswersTheNextNameDialog) {
  InputScript script;
  std::string error;
  ASSERT_TRUE(script.parse("name \"ハセリ\" \"ミナトカイ\"\n", error)) << error;
  EXPECT_FALSE(InputScript().parse("name onlyone\n", error));
  HeadlessPlatform platform;
  platform.setQuiet(true);
  platform.setInputScript(std::move(script));
  platform.processMessages();
  DialogHost dialogs(platform);
  std::string family = SJ("ハセリ"), given = SJ("ヨルク");
  // The answer keeps to the dialog's limit of three characters.
  EXPECT_TRUE(dialogs.showName(family, given));
  EXPECT_EQ(given, SJ("ミナト"));
  // None left: cancelled, the names stay.
  EXPECT_FALSE(dialogs.showName(family, given));
  EXPECT_EQ(given, SJ("ミナト"));
  platform.queueNameAnswer(SJ("ハセリ"), "abc");
  EXPECT_FALSE(dialogs.showName(family, given));  // nothing left of the given name
  EXPECT_EQ(given, SJ("ミナト"));
}

}  // namespace
}  // namespace ml
