#include "platform/posix/instance_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_dir.h"

namespace ml {
namespace {

// A child process that takes the lock, tells the parent, and holds it until the parent
// writes to it.
class LockHolder {
 public:
  LockHolder(const std::string& dir, const std::string& name) {
    if (::pipe(ready_) != 0 || ::pipe(go_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      InstanceMutex m;
      char ok = m.acquireIn(dir, name) && m.held() ? 'y' : 'n';
      (void)!::write(ready_[1], &ok, 1);
      char c;
      (void)!::read(go_[0], &c, 1);
      ::_exit(0);
    }
    char ok = 0;
    if (::read(ready_[0], &ok, 1) == 1) locked_ = ok == 'y';
  }
  ~LockHolder() { stop(); }
  bool locked() const { return locked_; }
  void stop() {
    if (pid_ <= 0) return;
    (void)!::write(go_[1], "x", 1);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    for (int fd : {ready_[0], ready_[1], go_[0], go_[1]}) ::close(fd);
  }

 private:
  int ready_[2] = {-1, -1};
  int go_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool locked_ = false;
};

TEST(InstanceMutexTest, SecondProcessIsRefusedUntilTheFirstEnds) {
  test::TempDir dir;
  LockHolder other(dir.path(), "XXX_MUTEX_OBJECT");
  ASSERT_TRUE(other.locked());
  InstanceMutex m;
  EXPECT_FALSE(m.acquireIn(dir.path(), "XXX_MUTEX_OBJECT"));
  EXPECT_FALSE(m.held());
  // Another name is free.
  InstanceMutex n;
  EXPECT_TRUE(n.acquireIn(dir.path(), "OTHER"));
  other.stop();
  EXPECT_TRUE(m.acquireIn(dir.path(), "XXX_MUTEX_OBJECT"));
  EXPECT_TRUE(m.held());
}

TEST(InstanceMutexTest, HeldUntilDestroyed) {
  test::TempDir dir;
  {
    InstanceMutex m;
    ASSERT_TRUE(m.acquireIn(dir.path(), "M"));
    LockHolder other(dir.path(), "M");
    EXPECT_FALSE(other.locked());
  }
  LockHolder after(dir.path(), "M");
  EXPECT_TRUE(after.locked());
}

TEST(InstanceMutexTest, LockFileNamesAndUnusableFolders) {
  EXPECT_EQ(InstanceMutex::lockPath("/run/user/1", "a/b"), "/run/user/1/a_b.lock");
  EXPECT_EQ(InstanceMutex::lockPath("/tmp/mirelune-7", "X"), "/tmp/mirelune-7/X.lock");
  // No lock file can be made: the guard steps aside instead of blocking the game.
  InstanceMutex m;
  EXPECT_TRUE(m.acquireIn("/nonexistent/folder", "X"));
  EXPECT_FALSE(m.held());
}

TEST(InstanceMutexTest, DefaultFolderFollowsXdgRuntimeDir) {
  test::TempDir dir;
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = old ? old : "";
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  EXPECT_EQ(InstanceMutex::defaultDirectory(), dir.path());
  {
    LockHolder other(dir.path(), "XXX_MUTEX_OBJECT");
    InstanceMutex m;
    EXPECT_FALSE(m.acquire("XXX_MUTEX_OBJECT"));
  }
  ::setenv("XDG_RUNTIME_DIR", (dir / "missing").c_str(), 1);
  // Without a runtime folder: a private one of ours under /tmp.
  EXPECT_EQ(InstanceMutex::defaultDirectory(), "/tmp/mirelune-" + std::to_string(::geteuid()));
  if (old) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace ml

namespace ml {
namespace {

TEST(InstanceMutexTest, PlantedLinksAndForeignFoldersAreNeverUsed) {
  test::TempDir dir, outside;
  std::string victim = outside.write("victim", std::string("precious"));
  // A link where the lock file goes: not opened, and the guard steps aside.
  ASSERT_EQ(::symlink(victim.c_str(), InstanceMutex::lockPath(dir.path(), "M").c_str()), 0);
  InstanceMutex m;
  EXPECT_TRUE(m.acquireIn(dir.path(), "M"));
  EXPECT_FALSE(m.held());
  EXPECT_EQ(outside.read("victim"), test::bytesOf("precious"));
  // A folder others may write to (or that is not ours) holds no lock of ours.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  EXPECT_FALSE(InstanceMutex::isPrivateDirectory(dir.path()));
  EXPECT_TRUE(m.acquireIn(dir.path(), "N"));
  EXPECT_FALSE(m.held());
  EXPECT_FALSE(std::filesystem::exists(InstanceMutex::lockPath(dir.path(), "N")));
  ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
  EXPECT_TRUE(InstanceMutex::isPrivateDirectory(dir.path()));
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.path().c_str(), 4321, 4321), 0);
    EXPECT_FALSE(InstanceMutex::isPrivateDirectory(dir.path()));
    ASSERT_EQ(::chown(dir.path().c_str(), 0, 0), 0);
  }
  // A link to a private folder is not the folder.
  ASSERT_EQ(::symlink(dir.path().c_str(), (outside / "link").c_str()), 0);
  EXPECT_FALSE(InstanceMutex::isPrivateDirectory(outside / "link"));
}

TEST(InstanceMutexTest, OneLockPerGameFolder) {
  test::TempDir a, b;
  EXPECT_EQ(InstanceMutex::nameForGame("X", a.path()), InstanceMutex::nameForGame("X", a.path() + "/."));
  EXPECT_NE(InstanceMutex::nameForGame("X", a.path()), InstanceMutex::nameForGame("X", b.path()));
  EXPECT_EQ(InstanceMutex::nameForGame("X", a.path()).rfind("X-", 0), 0u);
}

}  // namespace
}  // namespace ml
