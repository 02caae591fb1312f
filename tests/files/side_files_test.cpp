// The game's own files through a whole run: what could not be read is kept, what could
// not be written is reported and fails the run, what killed runs left goes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ini_file.h"
#include "media/formats/read_status.h"
#include "shell/shell_fixture.h"

namespace ml {
namespace {

using test::HeadlessGame;

Application& runSteps(HeadlessGame& g, int steps) {
  AppOptions o;
  o.maxSteps = static_cast<std::uint64_t>(steps);
  Application& a = g.make(o);
  return a;
}

TEST(SideFiles, DamagedReadStatusIsKeptAndToldOnce) {
  HeadlessGame g;
  const std::string cut = std::string("scr\\a.scr") + '\0' + "\1\1";  // no end mark
  g.dir.write("SaveXXX.dat", cut);
  Application& a = runSteps(g, 3);
  a.runtime().media.readStatus.isRead("scr\\open.scr", 0, true);
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(g.dir.read("SaveXXX.dat.damaged"), cut);
  EXPECT_TRUE(g.reported("既読情報のファイルを読み切れない"));
  EXPECT_TRUE(g.reported("cut short"));
  // What could be read lives on in the fresh file, beside this run's marks.
  ReadStatusStore back;
  ReadStatusStore::LoadReport report;
  ASSERT_TRUE(back.load(g.dir.file("SaveXXX.dat"), &report));
  EXPECT_TRUE(report.whole());
  EXPECT_EQ(back.count("scr\\a.scr"), 2);
}

TEST(SideFiles, MoreRecordsThanTheStoreKeepsAreReportedNotCut) {
  HeadlessGame g;
  std::string many;
  for (int i = 0; i < ReadStatusStore::kMaxEntries + 5; ++i)
    many += "s" + std::to_string(i) + '\0' + '\1' + '\xFF';
  g.dir.write("SaveXXX.dat", many);
  EXPECT_EQ(runSteps(g, 2).run(), 0);
  EXPECT_TRUE(g.reported("holds 1005 records, more than the 1000"));
  EXPECT_EQ(g.dir.read("SaveXXX.dat.damaged"), many);
}

TEST(SideFiles, OversizedSettingsAreKeptToldAndReplacedByDefaults) {
  HeadlessGame g;
  const std::string big = "[Volume]\r\nBgm=5\r\n" + std::string(IniFile::kMaxFileBytes, ';');
  g.dir.write("mirelune.ini", big);
  Application& a = runSteps(g, 2);
  EXPECT_EQ(a.run(), 0);
  EXPECT_EQ(a.runtime().media.settings.volume.bgm, 100);
  EXPECT_TRUE(g.reported("設定ファイルが読めない"));
  EXPECT_TRUE(g.reported("is larger"));
  EXPECT_EQ(g.dir.read("mirelune.ini.damaged"), big);
  EXPECT_NE(g.dir.read("mirelune.ini").find("Bgm=100"), std::string::npos);
}

TEST(SideFiles, ALinkedSideFileIsNeitherReadNorWrittenThrough) {
  HeadlessGame g;
  test::TempDir outside;
  outside.write("victim", "[Volume]\r\nBgm=9\r\n");
  ASSERT_EQ(::symlink(outside.file("victim").c_str(), g.dir.file("mirelune.ini").c_str()), 0);
  ASSERT_EQ(::symlink(outside.file("victim").c_str(), g.dir.file("SaveXXX.dat").c_str()), 0);
  Application& a = runSteps(g, 2);
  a.runtime().media.readStatus.isRead("scr\\open.scr", 0, true);
  a.run();
  EXPECT_EQ(a.runtime().media.settings.volume.bgm, 100);
  EXPECT_EQ(outside.read("victim"), "[Volume]\r\nBgm=9\r\n");
  EXPECT_TRUE(g.reported("symbolic link"));
  // The links are kept aside as found; fresh files of the game's own take their place.
  EXPECT_TRUE(std::filesystem::is_symlink(g.dir.file("mirelune.ini.damaged")));
  EXPECT_FALSE(std::filesystem::is_symlink(g.dir.file("mirelune.ini")));
  EXPECT_FALSE(std::filesystem::is_symlink(g.dir.file("SaveXXX.dat")));
}

TEST(SideFiles, AFailedWriteIsReportedAndFailsTheRun) {
  HeadlessGame g;
  g.dir.write("mirelune.ini", "[Volume]\r\nBgm=7\r\n");
  pid_t pid = ::fork();
  if (pid == 0) {
    // The new settings file (some 700 bytes) cannot be written within 200 bytes.
    struct rlimit limit {200, 200};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    int status = runSteps(g, 2).run();
    ::_exit(status == 1 && g.reported("設定を保存できませんでした") && g.reported("File too large") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(g.dir.read("mirelune.ini"), "[Volume]\r\nBgm=7\r\n");
}

TEST(SideFiles, StartUpRemovesWhatKilledRunsLeft) {
  HeadlessGame g;
  g.dir.write(".SaveXXX.dat.mltmp-k1LLed", "half");
  g.dir.write(".mirelune.ini.mltmp-AAAAAA", "[Disp");
  g.dir.write("mirelune.ini.backup", "the player's own");
  EXPECT_EQ(runSteps(g, 1).run(), 0);
  EXPECT_FALSE(g.dir.exists(".SaveXXX.dat.mltmp-k1LLed"));
  EXPECT_FALSE(g.dir.exists(".mirelune.ini.mltmp-AAAAAA"));
  EXPECT_TRUE(g.dir.exists("mirelune.ini.backup"));
}

}  // namespace
}  // namespace ml
