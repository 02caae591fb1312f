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
  EXPECT_EQ(InstanceMutex::lockPath("/tmp", "X"), "/tmp/X-" + std::to_string(::getuid()) + ".lock");
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
  EXPECT_EQ(InstanceMutex::defaultDirectory(), "/tmp");
  if (old) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace ml
