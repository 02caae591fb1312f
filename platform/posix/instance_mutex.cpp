#include "platform/posix/instance_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/safe_file.h"
#include "platform/posix/user_dirs.h"

namespace ml {

InstanceMutex::~InstanceMutex() { release(); }

void InstanceMutex::release() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the lock; the file stays for the next run
  fd_ = -1;
}

bool InstanceMutex::isPrivateDirectory(const std::string& directory) {
  struct stat st;
  if (directory.empty() || ::lstat(directory.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

std::string InstanceMutex::defaultDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime && isPrivateDirectory(runtime)) return runtime;
  // /tmp is shared by every user: a folder of our own there, made private.
  std::string own = "/tmp/mirelune-" + std::to_string(::geteuid());
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return isPrivateDirectory(own) ? own : std::string();
}

std::string InstanceMutex::nameForGame(std::string_view name, const std::string& gameDir) {
  const std::uint64_t hash = canonicalPathHash(gameDir);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string(name) + "-" + hex;
}

std::string InstanceMutex::lockPath(const std::string& directory, std::string_view name) {
  std::string file;
  for (char c : name) file.push_back(c == '/' || c == '\0' ? '_' : c);
  return directory + "/" + file + ".lock";
}

InstanceMutex::Result InstanceMutex::tryLock(const std::string& path) {
  // Made exclusively, or an existing one opened without following a link; either way it
  // must be our own regular file.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Result::Unavailable;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) {
    ::close(fd);
    return Result::Unavailable;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? Result::Busy : Result::Unavailable;
  }
  fd_ = fd;
  return Result::Acquired;
}

bool InstanceMutex::acquire(std::string_view name) {
  release();
  std::string dir = defaultDirectory();
  if (dir.empty()) return true;
  return tryLock(lockPath(dir, name)) != Result::Busy;
}

bool InstanceMutex::acquireIn(const std::string& directory, std::string_view name) {
  release();
  if (!isPrivateDirectory(directory)) return true;
  return tryLock(lockPath(directory, name)) != Result::Busy;
}

}  // namespace ml
