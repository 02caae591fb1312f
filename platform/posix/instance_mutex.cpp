#include "platform/posix/instance_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ml {

InstanceMutex::~InstanceMutex() { release(); }

void InstanceMutex::release() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the lock; the file stays for the next run
  fd_ = -1;
}

std::string InstanceMutex::defaultDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
  return "/tmp";
}

std::string InstanceMutex::lockPath(const std::string& directory, std::string_view name) {
  std::string file;
  for (char c : name) file.push_back(c == '/' || c == '\0' ? '_' : c);
  // /tmp is shared by every user; a mutex belongs to one user's session.
  if (directory == "/tmp") file += "-" + std::to_string(::getuid());
  return directory + "/" + file + ".lock";
}

InstanceMutex::Result InstanceMutex::tryLock(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result::Unavailable;
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
  std::string dir = defaultDirectory();
  release();
  Result r = tryLock(lockPath(dir, name));
  if (r == Result::Unavailable && dir != "/tmp") r = tryLock(lockPath("/tmp", name));
  return r != Result::Busy;
}

bool InstanceMutex::acquireIn(const std::string& directory, std::string_view name) {
  release();
  return tryLock(lockPath(directory, name)) != Result::Busy;
}

}  // namespace ml
