// The safe write path and the read checks: links, non-files, failed writes, stale
// temporaries.
#include "platform/posix/safe_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "media/io/game_folder.h"
#include "platform/posix/file_handle.h"
#include "shell/shell_fixture.h"

namespace ml {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// Names in a folder that have the form of our temporaries.
int temporariesIn(const std::string& dir) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir))
    if (isSafeFileTemporaryName(e.path().filename().string())) ++n;
  return n;
}

TEST(SafeFileTest, TemporaryNamesAreRecognisable) {
  EXPECT_TRUE(isSafeFileTemporaryName(".SaveXXX.dat.mltmp-a1B2c3"));
  EXPECT_FALSE(isSafeFileTemporaryName("SaveXXX.dat.mltmp-a1B2c3"));   // no leading dot
  EXPECT_FALSE(isSafeFileTemporaryName(".SaveXXX.dat.mltmp-a1B2c"));   // five characters
  EXPECT_FALSE(isSafeFileTemporaryName(".SaveXXX.dat.mltmp-a1B2c-"));  // not from mkostemp
  EXPECT_FALSE(isSafeFileTemporaryName(".mltmp-a1B2c3"));              // no target name
  EXPECT_FALSE(isSafeFileTemporaryName("mirelune.ini.Ab12Cd"));
}

TEST(SafeFileTest, ReplacesWholeKeepsModeAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  ASSERT_TRUE(writeFileSafely(path, std::string_view("first")));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(writeFileSafely(path, std::string_view("second")));
  EXPECT_EQ(dir.read("a.dat"), "second");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // Piece by piece: nothing appears before commit, and discarding leaves the old file.
  SafeFileWriter w;
  ASSERT_TRUE(w.open(path));
  EXPECT_TRUE(isSafeFileTemporaryName(fs::path(w.temporaryPath()).filename().string()));
  ASSERT_TRUE(w.write("xxxx-tail"));
  ASSERT_TRUE(w.writeAt(0, "head", 4));
  EXPECT_EQ(dir.read("a.dat"), "second");
  ASSERT_TRUE(w.commit());
  EXPECT_EQ(dir.read("a.dat"), "head-tail");
  ASSERT_TRUE(w.open(path));
  ASSERT_TRUE(w.write("dropped"));
  w.discard();
  EXPECT_EQ(dir.read("a.dat"), "head-tail");
  EXPECT_EQ(temporariesIn(dir.path()), 0);
}

TEST(SafeFileTest, LinksAndNonFilesAreRefusedAndTheirTargetsStayUntouched) {
  TempDir dir, outside;
  outside.write("victim", "precious");
  const std::string victim = outside.file("victim");
  // A link at the target itself, and at the fixed temporary name older versions used.
  ASSERT_EQ(::symlink(victim.c_str(), dir.file("SaveXXX.dat").c_str()), 0);
  ASSERT_EQ(::symlink(victim.c_str(), dir.file("state.dat.tmp").c_str()), 0);
  std::string error;
  EXPECT_FALSE(writeFileSafely(dir.file("SaveXXX.dat"), std::string_view("evil"), &error));
  EXPECT_EQ(error, dir.file("SaveXXX.dat") + ": is a symbolic link; nothing is written through it");
  EXPECT_TRUE(writeFileSafely(dir.file("state.dat"), std::string_view("mine")));
  EXPECT_EQ(outside.read("victim"), "precious");
  EXPECT_TRUE(fs::is_symlink(dir.file("SaveXXX.dat")));

  // A folder or a FIFO where the file should be.
  fs::create_directory(dir.file("folder"));
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(writeFileSafely(dir.file("folder"), std::string_view("x"), &error));
  EXPECT_NE(error.find("is not a regular file"), std::string::npos);
  EXPECT_FALSE(writeFileSafely(dir.file("fifo"), std::string_view("x"), &error));
  EXPECT_NE(error.find("is not a regular file"), std::string::npos);
  // No folder at all: the system's own words.
  EXPECT_FALSE(writeFileSafely(dir.file("none/x"), std::string_view("x"), &error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_EQ(temporariesIn(dir.path()), 0);
}

TEST(SafeFileTest, AFailedWriteLeavesTheOldFileWholeAndReportsWhy) {
  TempDir dir;
  dir.write("big.dat", "old contents");
  // Root ignores permission bits but not the file-size limit.
  pid_t pid = ::fork();
  if (pid == 0) {
    struct rlimit limit {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    bool written = writeFileSafely(dir.file("big.dat"), std::string(10000, 'n'), &error);
    ::_exit(!written && error.find("File too large") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(dir.read("big.dat"), "old contents");
  EXPECT_EQ(temporariesIn(dir.path()), 0);
}

TEST(SafeFileTest, AReadOnlyFolderKeepsItsFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root (see the file-size case)";
  TempDir dir;
  dir.write("ro.dat", "kept");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
  std::string error;
  EXPECT_FALSE(writeFileSafely(dir.file("ro.dat"), std::string_view("new"), &error));
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_EQ(dir.read("ro.dat"), "kept");
}

TEST(SafeFileTest, StaleTemporariesGoButHeldOnesLinksAndOtherFilesStay) {
  TempDir dir, outside;
  outside.write("victim", "precious");
  dir.write(".SaveXXX.dat.mltmp-Ab12Cd", "half");
  dir.write(".mirelune.ini.mltmp-zzzzzz", "half");
  dir.write("notes.mltmp-AAAAAA", "mine");  // not our form
  ASSERT_EQ(::symlink(outside.file("victim").c_str(), dir.file(".x.mltmp-QQQQQQ").c_str()), 0);
  SafeFileWriter live;
  ASSERT_TRUE(live.open(dir.file("live.dat")));
  EXPECT_EQ(removeStaleTemporaries(dir.path()), 2);
  EXPECT_FALSE(dir.exists(".SaveXXX.dat.mltmp-Ab12Cd"));
  EXPECT_FALSE(dir.exists(".mirelune.ini.mltmp-zzzzzz"));
  EXPECT_TRUE(dir.exists("notes.mltmp-AAAAAA"));
  EXPECT_TRUE(fs::is_symlink(dir.file(".x.mltmp-QQQQQQ")));
  EXPECT_EQ(outside.read("victim"), "precious");
  ASSERT_TRUE(live.write("still here"));
  ASSERT_TRUE(live.commit());
  EXPECT_EQ(dir.read("live.dat"), "still here");
}

TEST(SafeFileTest, KeepAsideNeverReplacesAnything) {
  TempDir dir;
  dir.write("SaveXXX.dat", "one");
  std::string kept;
  ASSERT_TRUE(keepAside(dir.file("SaveXXX.dat"), &kept, nullptr));
  EXPECT_EQ(kept, dir.file("SaveXXX.dat.damaged"));
  dir.write("SaveXXX.dat", "two");
  ASSERT_TRUE(keepAside(dir.file("SaveXXX.dat"), &kept, nullptr));
  EXPECT_EQ(kept, dir.file("SaveXXX.dat.damaged2"));
  EXPECT_EQ(dir.read("SaveXXX.dat.damaged"), "one");
  EXPECT_EQ(dir.read("SaveXXX.dat.damaged2"), "two");
  std::string error;
  EXPECT_FALSE(keepAside(dir.file("SaveXXX.dat"), &kept, &error));
  EXPECT_NE(error.find("No such file"), std::string::npos);
}

TEST(SafeFileTest, ReadingRefusesLinksOutFifosAndFolders) {
  TempDir game, outside;
  outside.write("secret.bmp", "BM secret");
  game.write("cg/own.bmp", "BM own");
  ASSERT_EQ(::symlink(outside.file("secret.bmp").c_str(), game.file("cg/out.bmp").c_str()), 0);
  ASSERT_EQ(::symlink("own.bmp", game.file("cg/in.bmp").c_str()), 0);
  ASSERT_EQ(::symlink(outside.path().c_str(), game.file("linkdir").c_str()), 0);
  ASSERT_EQ(::mkfifo(game.file("cg/pipe.bmp").c_str(), 0600), 0);
  GameFolder folder(game.path());
  FileHandle f;
  EXPECT_TRUE(folder.open("cg\\own.bmp", f));
  EXPECT_TRUE(folder.open("cg\\in.bmp", f));  // a link that stays inside is fine
  EXPECT_FALSE(folder.open("cg\\out.bmp", f));
  EXPECT_FALSE(folder.open("linkdir\\secret.bmp", f));
  EXPECT_FALSE(folder.open("..\\" + fs::path(outside.path()).filename().string() + "\\secret.bmp", f));
  EXPECT_FALSE(folder.open("cg\\pipe.bmp", f));  // and does not hang
  EXPECT_FALSE(folder.open("cg", f));
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(folder.resolveForReading("cg\\out.bmp"), "");
  std::string error;
  EXPECT_EQ(folder.resolveForWriting("linkdir\\x.bmp", &error), "");
  EXPECT_NE(error.find("outside the game folder"), std::string::npos);
  EXPECT_NE(folder.resolveForWriting("cg\\x.bmp"), "");

  // Side files are not read through any link.
  std::string reason;
  EXPECT_LT(openFileForReading(game.file("cg/in.bmp"), ReadCheck::NoLink, {}, &reason), 0);
  EXPECT_NE(reason.find("symbolic link"), std::string::npos);
}

}  // namespace
}  // namespace ml
