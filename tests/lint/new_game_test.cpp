// mirelune-new: the folder it writes holds every picture the engine loads by name and
// passes the checker; what it cannot write is refused before anything is written.
#include <string>

#include "engine/game_content.h"
#include "scene/command_table.h"
#include "tests/lint/lint_fixture.h"
#include "tools/lint/implied_files.h"

namespace ml::test {
namespace {

class NewGameTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    if (!fs::exists(bin_ + "/mirelune-new")) GTEST_SKIP() << "mirelune-new is not built";
  }
};

TEST_F(NewGameTest, TheSkinHasEveryPictureTheEngineLoadsByName) {
  // A title with a blank stands in a text line: the blank must not end it.
  RunResult r = run("mirelune-new", path("game") + " --title 'My Game'");
  ASSERT_EQ(r.status, 0) << r.out;
  // Every command with the arguments that make the engine load the most.
  for (const CommandRow& row : commandTable()) {
    std::vector<std::string> args(12, "1");
    args[0] = std::string(row.keyword) == "window" ? "0" : "1";
    for (const std::string& p : lint::impliedFiles(row.keyword, args)) {
      if (p.rfind("cg\\", 0) != 0) continue;  // sounds belong to the game
      EXPECT_TRUE(fs::exists(path("game/cg/" + p.substr(3)))) << p << " for " << row.keyword;
    }
  }
  std::vector<std::string> plate = {"2", "0", "0", "0", "0", "0", "0", "7", "1", "_WinNam", "0", "0"};
  for (const std::string& p : lint::impliedFiles("window", plate)) EXPECT_TRUE(fs::exists(path("game/cg/" + p.substr(3)))) << p;
  for (const char* named : {"_WinMsg.psd", "_WinNam.psd", "_WinSel.psd", "bg01.bmp", "chara01.psd"})
    EXPECT_TRUE(fs::exists(path(std::string("game/cg/") + named))) << named;
  // The scripts are kept in both forms, and the converted one is what the converter makes.
  RunResult c = run("mirelune-convert", "script " + path("game/src/start.scr") + " " + path("start.scr"));
  ASSERT_EQ(c.status, 0) << c.out;
  std::vector<std::uint8_t> a, b;
  readWholeFile(path("game/scr/start.scr"), a);
  readWholeFile(path("start.scr"), b);
  EXPECT_EQ(a, b);
  RunResult l = run("mirelune-lint", path("game"));
  EXPECT_EQ(l.status, 0) << l.out;
  EXPECT_TRUE(l.has("0 problems\n")) << l.out;
  EXPECT_FALSE(l.has("gamedata")) << "the game data is there and sound: " << l.out;
  // The game's own title, not the demo's.
  std::vector<std::uint8_t> data;
  readWholeFile(path("game/scr/gamedata.txt"), data);
  std::vector<ContentProblem> problems;
  const GameContent content = parseGameContent({reinterpret_cast<const char*>(data.data()), data.size()}, nullptr,
                                               problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(content.title, "My Game");
  EXPECT_EQ(content.credits.size(), 3u);
}

TEST_F(NewGameTest, RefusesWhatItCannotWrite) {
  // A folder in use, and a title Shift-JIS cannot hold: nothing is written.
  writeBytes("used/notes.txt", "mine");
  EXPECT_EQ(run("mirelune-new", path("used")).status, 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(path("used")), fs::directory_iterator{}), 1);
  RunResult r = run("mirelune-new", path("emoji") + " --title '星🌠'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.has("U+1F320")) << r.out;
  EXPECT_FALSE(fs::exists(path("emoji")));
  EXPECT_EQ(run("mirelune-new", "").status, 2);
}

}  // namespace
}  // namespace ml::test
