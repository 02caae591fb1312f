// Keeps a second copy of the program from running: an exclusive, non-blocking flock on
// a lock file named after the mutex, in $XDG_RUNTIME_DIR (else /tmp). The lock goes
// with the process, so a crashed copy never leaves a stale lock behind.
#pragma once

#include <string>
#include <string_view>

namespace ml {

class InstanceMutex {
 public:
  InstanceMutex() = default;
  ~InstanceMutex();
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  // False when another process holds the name (nothing is then held). When no lock
  // file can be made at all, the guard cannot work and must not keep the game from
  // starting: the result is then true, with nothing held.
  bool acquire(std::string_view name);
  // The same in a given folder (tests).
  bool acquireIn(const std::string& directory, std::string_view name);
  void release();
  bool held() const { return fd_ >= 0; }

  // Where the lock file of a name lies.
  static std::string lockPath(const std::string& directory, std::string_view name);
  static std::string defaultDirectory();

 private:
  enum class Result { Acquired, Busy, Unavailable };
  Result tryLock(const std::string& path);
  int fd_ = -1;
};

}  // namespace ml
