// Where the player's files go: the game folder when it is writable, else a folder of
// the user's data home named after the game; --save-dir over both.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <set>

#include "platform/posix/instance_mutex.h"
#include "platform/posix/user_dirs.h"
#include "shell_fixture.h"

namespace ml::test {
namespace {

TEST(SaveFolder, ChoiceFollowsOptionThenWritability) {
  TempDir game;
  const std::string id = gameId(game.path());
  struct Case {
    std::string option;
    bool writable;
    SaveFolderKind kind;
    std::string path;
  } cases[] = {
      {"", true, SaveFolderKind::GameFolder, game.path()},
      {"", false, SaveFolderKind::DataFolder, "/data/mirelune/" + id},
      {"/mine", true, SaveFolderKind::Chosen, "/mine"},
      {"/mine", false, SaveFolderKind::Chosen, "/mine"},
  };
  for (const Case& c : cases) {
    SaveFolderChoice got = chooseSaveFolder(game.path(), c.option, c.writable, "/data");
    EXPECT_EQ(got.kind, c.kind) << c.option << c.writable;
    EXPECT_EQ(got.path, c.path) << c.option << c.writable;
  }
}

TEST(SaveFolder, GameIdNamesTheFolderAndItsRealPath) {
  TempDir a, b;
  a.write("Same Name/x", "");
  b.write("Same Name/x", "");
  const std::string one = gameId(a.file("Same Name"));
  EXPECT_EQ(one.rfind("Same_Name-", 0), 0u) << one;
  EXPECT_EQ(one.size(), std::string("Same_Name-").size() + 8);
  // Every spelling of one folder gives the same id; another folder of that name does not.
  EXPECT_EQ(gameId(a.file("Same Name") + "/"), one);
  EXPECT_EQ(gameId(a.path() + "/./Same Name"), one);
  EXPECT_NE(gameId(b.file("Same Name")), one);
  // Names that could lead elsewhere or hide are made plain.
  EXPECT_EQ(gameId("/").rfind("game-", 0), 0u);
  EXPECT_EQ(gameId("/nonexistent/..hidden").rfind("hidden-", 0), 0u);
  EXPECT_EQ(gameId("/nonexistent/--help").rfind("help-", 0), 0u);
  EXPECT_EQ(gameId("/nonexistent/ゲーム").rfind("ゲーム-", 0), 0u);
}

TEST(SaveFolder, LockNameFollowsTheCanonicalPath) {
  TempDir a, b;
  ASSERT_EQ(::symlink(a.path().c_str(), b.file("link").c_str()), 0);
  const std::string name = InstanceMutex::nameForGame("XXX_MUTEX_OBJECT", a.path());
  EXPECT_EQ(InstanceMutex::nameForGame("XXX_MUTEX_OBJECT", b.file("link")), name);
  EXPECT_NE(InstanceMutex::nameForGame("XXX_MUTEX_OBJECT", b.path()), name);
}

TEST(SaveFolder, PicturesFolderFromUserDirsFile) {
  const std::pair<std::string, std::string> cases[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/home/p/Bilder"},
      {"# c\nXDG_PICTURES_DIR=\"/srv/pics/\"\n", "/srv/pics"},
      {"XDG_PICTURES_DIR=\"$HOME/\"\n", ""},        // the home folder: disabled
      {"XDG_PICTURES_DIR=\"relative\"\n", ""},      // not a form the format has
      {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", ""},
      {"XDG_PICTURES_DIR=$HOME/NoQuotes\n", ""},
  };
  for (const auto& [text, want] : cases)
    EXPECT_EQ(userDirFromConfig(text, "XDG_PICTURES_DIR", "/home/p"), want) << text;
}

TEST(SaveFolder, ScreenshotNamesNeverReplaceAnEarlierOne) {
  const char* oldTz = std::getenv("TZ");
  std::string savedTz = oldTz ? oldTz : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  std::set<std::string> taken;
  auto isTaken = [&](const std::string& n) { return taken.count(n) != 0; };
  const std::int64_t t = 1765200000;  // 2025-12-08 13:20:00 UTC
  EXPECT_EQ(screenshotFileName("demo-1234abcd", t, isTaken), "demo-1234abcd-20251208-132000.png");
  taken.insert("demo-1234abcd-20251208-132000.png");
  EXPECT_EQ(screenshotFileName("demo-1234abcd", t, isTaken), "demo-1234abcd-20251208-132000-2.png");
  taken.insert("demo-1234abcd-20251208-132000-2.png");
  EXPECT_EQ(screenshotFileName("demo-1234abcd", t, isTaken), "demo-1234abcd-20251208-132000-3.png");
  if (oldTz) ::setenv("TZ", savedTz.c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

TEST(SaveFolder, ReadOnlyFolderIsSeenAsSuch) {
  TempDir d;
  EXPECT_TRUE(folderWritable(d.path()));
  ASSERT_EQ(::chmod(d.path().c_str(), 0555), 0);
  EXPECT_FALSE(folderWritable(d.path()));
  ::chmod(d.path().c_str(), 0755);
  std::string error;
  EXPECT_TRUE(makeFolders(d.file("a/b/c"), &error)) << error;
  d.write("file", "x");
  EXPECT_FALSE(makeFolders(d.file("file/sub"), &error));
  EXPECT_NE(error.find("file"), std::string::npos);
}

// A whole run on a read-only game: settings and read marks land in the data folder, the
// game folder stays untouched, and the same data folder is found on the next run.
TEST(SaveFolder, ReadOnlyGameWritesIntoTheDataFolder) {
  TempDir data;
  const char* old = std::getenv("XDG_DATA_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  {
    HeadlessGame g;
    // The game ships its settings: the first run in the data folder starts from them.
    g.dir.write("mirelune.ini", "[Volume]\r\nBgm=42\r\n");
    ASSERT_EQ(::chmod(g.dir.path().c_str(), 0555), 0);
    AppOptions o;
    o.endAtScriptEnd = true;
    Application& a = g.make(o);
    EXPECT_EQ(a.saveFolder().kind, SaveFolderKind::DataFolder);
    const std::string folder = data.path() + "/mirelune/" + gameId(g.dir.path());
    EXPECT_EQ(a.saveFolder().path, folder);
    a.run();
    EXPECT_EQ(a.fileFailures(), 0);
    EXPECT_EQ(g.dir.read("mirelune.ini"), "[Volume]\r\nBgm=42\r\n");  // untouched
    std::ifstream written(folder + "/mirelune.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(written)), {});
    EXPECT_NE(text.find("Bgm=42"), std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::exists(folder + "/SaveXXX.dat"));
    ::chmod(g.dir.path().c_str(), 0755);
  }
  {
    // --save-dir wins over a writable game folder.
    HeadlessGame g;
    AppOptions o;
    o.endAtScriptEnd = true;
    o.saveDir = data.file("chosen");
    Application& a = g.make(o);
    EXPECT_EQ(a.saveFolder().kind, SaveFolderKind::Chosen);
    a.run();
    EXPECT_TRUE(data.exists("chosen/mirelune.ini"));
    EXPECT_FALSE(g.dir.exists("mirelune.ini"));
  }
  if (old) ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else ::unsetenv("XDG_DATA_HOME");
}

// A save folder that cannot be made is told once, and the failed writes count.
TEST(SaveFolder, UnmakeableSaveFolderIsReported) {
  TempDir data;
  data.write("blocker", "x");
  HeadlessGame g;
  AppOptions o;
  o.endAtScriptEnd = true;
  o.saveDir = data.file("blocker/saves");
  Application& a = g.make(o);
  a.run();
  EXPECT_TRUE(g.reported("blocker"));
  EXPECT_GT(a.fileFailures(), 0);
}

}  // namespace
}  // namespace ml::test
