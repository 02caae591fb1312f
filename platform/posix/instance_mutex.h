// Keeps a second copy of the same game from running: an exclusive, non-blocking flock on
// a lock file named after the mutex and the game folder, in a private folder of the
// user's: $XDG_RUNTIME_DIR when it is one (a folder of ours that nobody else can write),
// else /tmp/mirelune-<uid>, made with mode 0700 and checked (ours, a real folder, not
// writable by others). The lock goes with the process, so a crashed copy never leaves a
// stale lock behind. A lock file is never opened through a link, and one planted by
// another user is never used: the guard then steps aside rather than keep the game from
// starting.
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
  // The same in a given folder (tests); the folder must pass the same checks.
  bool acquireIn(const std::string& directory, std::string_view name);
  void release();
  bool held() const { return fd_ >= 0; }

  // The mutex name of one game: name, "-", and a hash of the game folder's real path,
  // so that two different games run side by side while the same one twice is refused.
  static std::string nameForGame(std::string_view name, const std::string& gameDir);
  // Where the lock file of a name lies.
  static std::string lockPath(const std::string& directory, std::string_view name);
  // The private folder for lock files (made when needed); empty when there is none
  // that passes the checks.
  static std::string defaultDirectory();
  // Whether a folder may hold our lock files: a real folder (not a link), owned by us,
  // not writable by group or others.
  static bool isPrivateDirectory(const std::string& directory);

 private:
  enum class Result { Acquired, Busy, Unavailable };
  Result tryLock(const std::string& path);
  int fd_ = -1;
};

}  // namespace ml
