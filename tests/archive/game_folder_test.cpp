#include "media/io/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text_encoding.h"
#include "temp_dir.h"

namespace ml {
namespace {

using test::TempDir;

// "表" is 0x95 0x5C in Shift-JIS: its trail byte is the path separator.
TEST(GameFolderTest, TrailByteBackslashDoesNotSplitAndCaseIsIgnored) {
  TempDir dir;
  dir.write("表/Open.SCR", "x");
  GameFolder folder(dir.path());
  const std::string sjisPath = utf8ToSjis("表") + "\\open.scr";
  EXPECT_EQ(folder.resolve(sjisPath), dir.path() + "/表/Open.SCR");
  EXPECT_TRUE(folder.exists(sjisPath));
  EXPECT_FALSE(folder.exists(utf8ToSjis("表") + "\\other.scr"));
}

TEST(GameFolderTest, LeadByteAtTheEndKeepsTheLastComponent) {
  TempDir dir;
  GameFolder folder(dir.path());
  const std::string resolved = folder.resolve("scr\\a\x81");
  ASSERT_GT(resolved.size(), dir.path().size() + 5);
  EXPECT_EQ(resolved.substr(0, dir.path().size() + 5), dir.path() + "/scr/");
}

}  // namespace
}  // namespace ml
