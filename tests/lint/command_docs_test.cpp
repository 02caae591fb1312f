// The command reference: every command word has a description, no description names a
// word the engine does not know, and the page in docs/ is the one the build makes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "scene/command_table.h"
#include "tools/docs/command_docs.h"

namespace ml::test {
namespace {

TEST(CommandDocsTest, EveryCommandWordHasOneDescriptionAndNoOther) {
  std::set<std::string> table, described;
  for (const CommandRow& row : commandTable()) table.insert(row.keyword);
  for (const docs::CommandDoc& d : docs::commandDocs()) {
    const std::string word(d.word);
    EXPECT_TRUE(described.insert(word).second) << word << " is described twice";
    EXPECT_TRUE(table.count(word)) << word << " is described but is not a command word";
    EXPECT_FALSE(d.what.empty()) << word;
    // The example is a line the engine reads as this command.
    EXPECT_EQ(std::string(d.example).substr(0, word.size() + 1), word + (d.example.size() > word.size() ? " " : ""))
        << word << ": " << d.example;
  }
  for (const std::string& word : table) EXPECT_TRUE(described.count(word)) << word << " has no description";
}

TEST(CommandDocsTest, TheCommittedPageIsTheGeneratedOne) {
  const std::string path = std::string(MIRELUNE_TEST_DATA) + "/../../docs/commands.md";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::string committed((std::istreambuf_iterator<char>(in)), {});
  EXPECT_TRUE(committed == docs::renderCommandReference())
      << "docs/commands.md is out of date: copy build/docs/commands.md over it";
  EXPECT_EQ(committed.find("(no description)"), std::string::npos);
}

}  // namespace
}  // namespace ml::test
