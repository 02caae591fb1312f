// Every message the checker reports has its English gloss: a message added without one
// would reach authors who do not read Japanese untranslated.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tools/lint/glosses.h"

namespace ml::test {
namespace {

TEST(LintGlossesTest, EveryReportedMessageHasAnEnglishGloss) {
  const std::filesystem::path dir = std::filesystem::path(MIRELUNE_TEST_DATA) / "../../tools/lint";
  // The first Shift-JIS literal of a report: report(line, SJ("..."), ...).
  const std::regex message(R"re(report\([^;]*?SJ\("([^"]+)"\))re");
  int found = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".cpp") continue;
    std::ifstream in(entry.path());
    const std::string source((std::istreambuf_iterator<char>(in)), {});
    for (std::sregex_iterator m(source.begin(), source.end(), message), end; m != end; ++m) {
      ++found;
      EXPECT_NE(lint::englishGloss((*m)[1].str()), nullptr)
          << entry.path().filename().string() << ": \"" << (*m)[1].str() << "\" has no gloss";
    }
  }
  EXPECT_GT(found, 20);
}

}  // namespace
}  // namespace ml::test
